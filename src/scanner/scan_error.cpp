#include "scanner/token.h"

namespace plovarn::scanner {

ScanError ScanError::make(Marker mark, std::string_view info) {
    return ScanError{std::string(info), mark};
}

std::string ScanError::display() const {
    std::string out = info;
    out += " at byte ";
    out += std::to_string(mark.index);
    out += " line ";
    out += std::to_string(mark.line);
    out += " column ";
    out += std::to_string(mark.col + 1);
    return out;
}

}  // namespace plovarn::scanner
