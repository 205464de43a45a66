// The builder fed with hand-made event streams, so that its placement rules are
// checked apart from the scanner and the parser.

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "builder/builder.h"

namespace {

using namespace plovarn;
using parser::Comment;
using parser::Event;
using scanner::ScalarStyle;
namespace ev = parser::event;

class Feed {
public:
    // Applies one event, after distributing the comments pulled past for it.
    Feed& on(Event event, std::uint64_t line, std::vector<std::pair<std::uint64_t, std::string>> comments = {}) {
        std::vector<Comment> pulled;
        for (auto& [l, text] : comments) pulled.push_back(Comment{scanner::Marker{0, l, 0}, std::move(text)});
        builder.distribute_comments(pulled);
        EXPECT_TRUE(pulled.empty());
        builder.apply(std::move(event), line);
        return *this;
    }
    Feed& scalar(std::string text, std::uint64_t line, std::vector<std::pair<std::uint64_t, std::string>> comments = {},
                 ScalarStyle style = ScalarStyle::Plain) {
        return on(ev::Scalar{std::move(text), style, 0, std::nullopt}, line, std::move(comments));
    }
    std::vector<types::YamlNode> docs() { return builder.take_documents(); }

    builder::Builder builder;
};

const types::YamlEntry& entry(const types::YamlNode& node, std::size_t i, std::string_view key) {
    EXPECT_EQ(node.as_mapping().at(i).first, key);
    return node.as_mapping().at(i).second;
}

TEST(BuilderEvents, CommentsAboveAndOnTheLineOfEntries) {
    Feed f;
    f.on(ev::StreamStart{}, 1).on(ev::DocumentStart{}, 2, {{1, "head"}}).on(ev::MappingStart{}, 2);
    f.scalar("a", 2).scalar("1", 2);
    // "one" on line 2 and "x" and "y" above b arrive with key b.
    f.scalar("b", 5, {{2, "one"}, {3, "x"}, {4, "y"}}).scalar("2", 5);
    f.on(ev::MappingEnd{}, 6).on(ev::DocumentEnd{}, 6).on(ev::StreamEnd{}, 6);
    auto docs = f.docs();
    ASSERT_EQ(docs.size(), 1u);
    const auto& a = entry(docs[0], 0, "a");
    EXPECT_EQ(a.comment_before, "head");
    EXPECT_EQ(a.comment_inline, "one");
    EXPECT_EQ(a.node.as_scalar().as_int(), 1);
    const auto& b = entry(docs[0], 1, "b");
    EXPECT_EQ(b.comment_before, "x\ny");
    EXPECT_FALSE(b.comment_inline.has_value());
}

TEST(BuilderEvents, TakeBeforeKeepsOnlyLinesStrictlyAbove) {
    Feed f;
    f.on(ev::SequenceStart{}, 1);
    // A comment on the item's own line that was still pending is not "above" it.
    f.scalar("x", 3, {{1, "above"}, {3, "same"}, {4, "below"}});
    f.scalar("y", 5);
    f.on(ev::SequenceEnd{}, 6).on(ev::StreamEnd{}, 6);
    auto docs = f.docs();
    const auto& items = docs[0].as_sequence();
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].comment_before, "above");
    EXPECT_FALSE(items[0].comment_inline.has_value());
    EXPECT_FALSE(items[1].comment_before.has_value());  // dropped by the first take
}

TEST(BuilderEvents, EndOfLineCommentReplacesAnEarlierOne) {
    Feed f;
    f.on(ev::SequenceStart{}, 1).scalar("x", 1);
    f.scalar("y", 2, {{1, "first"}, {1, "second"}});
    f.on(ev::SequenceEnd{}, 3).on(ev::StreamEnd{}, 3);
    auto docs = f.docs();
    EXPECT_EQ(docs[0].as_sequence()[0].comment_inline, "second");
}

TEST(BuilderEvents, InlineCommentWithoutATargetIsDropped) {
    Feed f;
    // On the line of the last scalar, but the fresh sequence has no item yet.
    f.on(ev::MappingStart{}, 1).scalar("k", 1).scalar("v", 1);
    f.on(ev::SequenceStart{}, 2);
    f.scalar("k2", 1, {{1, "lost"}});
    f.on(ev::SequenceEnd{}, 2).on(ev::MappingEnd{}, 2).on(ev::StreamEnd{}, 2);
    auto docs = f.docs();
    ASSERT_EQ(docs.size(), 1u);
    EXPECT_FALSE(entry(docs[0], 0, "k").comment_inline.has_value());
}

TEST(BuilderEvents, InlineCommentAfterTheRootClosedFillsOnlyAnAbsentField) {
    Feed f;
    f.on(ev::MappingStart{}, 1).scalar("a", 1).scalar("1", 1).on(ev::MappingEnd{}, 2);
    f.on(ev::DocumentEnd{}, 2, {{1, "late"}});
    f.on(ev::SequenceStart{}, 3).scalar("x", 3).on(ev::SequenceEnd{}, 4, {{3, "kept"}});
    f.on(ev::DocumentEnd{}, 4, {{3, "ignored"}}).on(ev::StreamEnd{}, 4);
    auto docs = f.docs();
    ASSERT_EQ(docs.size(), 2u);
    EXPECT_EQ(entry(docs[0], 0, "a").comment_inline, "late");
    EXPECT_EQ(docs[1].as_sequence()[0].comment_inline, "kept");
}

TEST(BuilderEvents, InlineCommentGoesToTheRepeatedKeyJustRead) {
    Feed f;
    f.on(ev::MappingStart{}, 1).scalar("a", 1).scalar("1", 1).scalar("b", 2).scalar("2", 2);
    f.scalar("a", 3).scalar("3", 3);
    f.on(ev::MappingEnd{}, 4).on(ev::DocumentEnd{}, 4, {{3, "on a"}}).on(ev::StreamEnd{}, 4);
    auto docs = f.docs();
    EXPECT_EQ(entry(docs[0], 0, "a").comment_inline, "on a");
    EXPECT_FALSE(entry(docs[0], 1, "b").comment_inline.has_value());
}

TEST(BuilderEvents, CommentsAboveANestedCollection) {
    Feed f;
    f.on(ev::MappingStart{}, 1).scalar("m", 1);
    // Above a mapping value: stays pending for the first key inside.
    f.on(ev::MappingStart{}, 3, {{2, "into m"}}).scalar("c", 3).scalar("2", 3).on(ev::MappingEnd{}, 4);
    f.scalar("s", 4);
    f.on(ev::SequenceStart{}, 5);
    // Above a collection that is a sequence item: taken for that item.
    f.on(ev::SequenceStart{}, 7, {{6, "item"}}).scalar("z", 7, {{7, "dropped"}}).on(ev::SequenceEnd{}, 8);
    f.on(ev::SequenceEnd{}, 8).on(ev::MappingEnd{}, 8).on(ev::StreamEnd{}, 8);
    auto docs = f.docs();
    const auto& m = entry(docs[0], 0, "m");
    EXPECT_FALSE(m.comment_before.has_value());
    EXPECT_EQ(entry(m.node, 0, "c").comment_before, "into m");
    const auto& s = entry(docs[0], 1, "s");
    const auto& outer = s.node.as_sequence();
    ASSERT_EQ(outer.size(), 1u);
    EXPECT_EQ(outer[0].comment_before, "item");
    EXPECT_FALSE(outer[0].node.as_sequence()[0].comment_before.has_value());
}

TEST(BuilderEvents, ScalarValuesByStyle) {
    Feed f;
    f.on(ev::SequenceStart{}, 1);
    f.scalar("", 1).scalar("", 2, {}, ScalarStyle::SingleQuoted).scalar("", 3, {}, ScalarStyle::DoubleQuoted);
    f.scalar("", 4, {}, ScalarStyle::Literal).scalar("", 5, {}, ScalarStyle::Folded);
    f.scalar("123", 6).scalar("123", 7, {}, ScalarStyle::DoubleQuoted).scalar("yes", 8, {}, ScalarStyle::Literal);
    f.on(ev::SequenceEnd{}, 9).on(ev::StreamEnd{}, 9);
    auto docs = f.docs();
    const auto& items = docs[0].as_sequence();
    ASSERT_EQ(items.size(), 8u);
    EXPECT_TRUE(items[0].node.as_scalar().is_null());
    for (std::size_t i : {1u, 2u}) {
        ASSERT_TRUE(items[i].node.as_scalar().is_str()) << i;  // empty quotes mean the empty string
        EXPECT_EQ(items[i].node.as_scalar().as_str(), "");
    }
    EXPECT_TRUE(items[3].node.as_scalar().is_null());
    EXPECT_TRUE(items[4].node.as_scalar().is_null());
    EXPECT_EQ(items[5].node.as_scalar().as_int(), 123);
    EXPECT_EQ(items[6].node.as_scalar().as_str(), "123");
    EXPECT_EQ(items[7].node.as_scalar().as_str(), "yes");
}

TEST(BuilderEvents, KeysRepeatsAliasesAndCollectionsInKeyPosition) {
    Feed f;
    f.on(ev::MappingStart{}, 1);
    f.scalar("true", 1).on(ev::Alias{1}, 1);
    f.scalar("dup", 2).scalar("1", 2);
    // A flow sequence as a key is dropped; its value becomes the next key.
    f.on(ev::SequenceStart{}, 3).scalar("x", 3).on(ev::SequenceEnd{}, 3);
    f.scalar("val", 3).scalar("v2", 3);
    f.scalar("dup", 5, {{4, "again"}}).scalar("2", 5);
    f.on(ev::MappingEnd{}, 6).on(ev::StreamEnd{}, 6);
    auto docs = f.docs();
    const auto& map = docs[0].as_mapping();
    ASSERT_EQ(map.size(), 3u);
    EXPECT_TRUE(entry(docs[0], 0, "true").node.is_null());
    const auto& dup = entry(docs[0], 1, "dup");
    EXPECT_EQ(dup.node.as_scalar().as_int(), 2);
    EXPECT_EQ(dup.comment_before, "again");
    EXPECT_EQ(entry(docs[0], 2, "val").node.as_scalar().as_str(), "v2");
}

TEST(BuilderEvents, MismatchedEndsAreHarmless) {
    Feed f;
    f.on(ev::MappingEnd{}, 1).on(ev::SequenceEnd{}, 1);
    f.on(ev::SequenceStart{}, 1).scalar("a", 1).on(ev::MappingEnd{}, 2);  // the sequence frame is discarded
    f.scalar("root", 3).on(ev::StreamEnd{}, 3);
    auto docs = f.docs();
    ASSERT_EQ(docs.size(), 1u);
    EXPECT_EQ(docs[0].as_scalar().as_str(), "root");
}

}  // namespace
