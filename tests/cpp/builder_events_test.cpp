// The builder fed with hand-made event streams, for the placement rules that text
// rarely or never reaches (the rest is checked through parse_str).

#include <gtest/gtest.h>

#include <deque>
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
        for (auto& [l, text] : comments) pulled.push_back(Comment{scanner::Marker{0, l, 0}, texts.emplace_back(std::move(text))});
        builder.apply(std::move(event), line, pulled);
        EXPECT_TRUE(pulled.empty());
        return *this;
    }
    Feed& scalar(std::string text, std::uint64_t line, std::vector<std::pair<std::uint64_t, std::string>> comments = {},
                 ScalarStyle style = ScalarStyle::Plain) {
        return on(ev::Scalar{std::move(text), style, 0, nullptr, {}}, line, std::move(comments));
    }
    std::vector<types::YamlNode> docs() { return builder.take_documents(); }

    // Comment texts live as long as the builder, as the text being read does.
    std::deque<std::string> texts;
    builder::Builder builder;
};

const types::YamlEntry& entry(const types::YamlNode& node, std::size_t i, std::string_view key) {
    EXPECT_EQ(node.as_mapping().at(i).first, key);
    return node.as_mapping().at(i).second;
}

TEST(BuilderEvents, CommentsComingWithAScalarAreSplitAtItsLine) {
    Feed f;
    f.on(ev::SequenceStart{}, 1);
    // Comments pulled with a scalar's own event: those above it go before it, the
    // others after it (on its line, below it).
    f.scalar("x", 3, {{1, "above"}, {3, "same"}, {4, "below"}}, ScalarStyle::DoubleQuoted);
    // A collection start is not split: a comment on its own line is not above it.
    f.on(ev::SequenceStart{}, 6, {{5, "above inner"}, {6, "dropped"}});
    f.scalar("y", 7).on(ev::SequenceEnd{}, 8).on(ev::SequenceEnd{}, 8).on(ev::StreamEnd{}, 8);
    auto docs = f.docs();
    const auto& items = docs[0].as_sequence();
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].comment_before, "above");
    EXPECT_EQ(items[0].comment_inline, "same");
    EXPECT_EQ(items[1].comment_before, "below\nabove inner");
    EXPECT_FALSE(items[1].node.as_sequence()[0].comment_before.has_value());
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
