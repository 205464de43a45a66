#pragma once

// A plain or quoted scalar's text as it is assembled, with the blanks and line
// breaks met since its last piece, which are not yet known to belong to it: what
// they fold into is added only when another piece follows.

#include <cstddef>
#include <string>

namespace plovarn::scanner {

class ScalarBuffer {
public:
    // Starts a new scalar; the text keeps its room.
    void reset() {
        text_.clear();
        held_blanks_.clear();
        first_break_ = false;
        more_breaks_ = 0;
    }
    std::string& text() { return text_; }
    const std::string& text() const { return text_; }

    // A blank after a piece, on the same line.
    void hold_blank(char blank) { held_blanks_.push_back(blank); }
    // A line break; `after_piece` when no break was met since the last piece.
    // Blanks at the end of a line are dropped.
    void hold_break(bool after_piece) {
        if (after_piece) {
            held_blanks_.clear();
            first_break_ = true;
        } else {
            ++more_breaks_;
        }
    }
    // Before the next piece: one line break folds into a space, n+1 into n line
    // feeds (`breaks_crossed`), and blanks within a line stay.
    void fold(bool breaks_crossed);

private:
    std::string text_;
    std::string held_blanks_;
    // A recorded line break is always a single line feed, so breaks are counts.
    bool first_break_ = false;
    std::size_t more_breaks_ = 0;
};

}  // namespace plovarn::scanner
