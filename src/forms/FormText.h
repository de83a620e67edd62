// Small text helpers the document forms share.
#pragma once
#include <string>
#include <vector>

namespace ktrb {

// The parts of a text between the delimiters (an empty text gives one empty
// part).
inline std::vector<std::string> SplitText(const std::string& text, char delimiter) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t at; (at = text.find(delimiter, start)) != std::string::npos; start = at + 1)
        parts.push_back(text.substr(start, at - start));
    parts.push_back(text.substr(start));
    return parts;
}

}  // namespace ktrb
