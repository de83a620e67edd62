#include "platform/xml/xpath.h"

namespace plat {

std::string XPathLiteral(std::string_view value) {
    if (value.find('\'') == std::string_view::npos) return "'" + std::string(value) + "'";
    if (value.find('"') == std::string_view::npos) return "\"" + std::string(value) + "\"";
    std::string out = "concat(";
    size_t start = 0;
    while (true) {
        size_t q = value.find('\'', start);
        out += "'" + std::string(value.substr(start, q - start)) + "'";
        if (q == std::string_view::npos) break;
        out += ", \"'\", ";
        start = q + 1;
    }
    return out + ")";
}

std::string XPathAttributeStep(std::string_view element, std::string_view attribute,
                               std::string_view value) {
    return std::string(element) + "[@" + std::string(attribute) + "=" + XPathLiteral(value) + "]";
}

std::string XPathChildStep(std::string_view element, std::string_view child,
                           std::string_view value) {
    return std::string(element) + "[" + std::string(child) + "=" + XPathLiteral(value) + "]";
}

}  // namespace plat
