// Line folding shared by the plain and quoted scalar scanners.
#include "scanner/scanner.h"

namespace plovarn::scanner {

void Scanner::reset_fold_state() {
    text_.clear();
    held_blanks_.clear();
    first_break_ = false;
    more_breaks_ = 0;
}

// Appends what the blanks and breaks since the last content stand for: one break
// folds into a space, n+1 breaks into n line feeds, blanks within a line stay.
void Scanner::fold_into(std::string& text) {
    if (blanks_only_) {
        if (first_break_ && more_breaks_ == 0)
            text.push_back(' ');
        else
            text.append(more_breaks_, '\n');
        first_break_ = false;
        more_breaks_ = 0;
    } else {
        text += held_blanks_;
    }
    held_blanks_.clear();
}

}  // namespace plovarn::scanner
