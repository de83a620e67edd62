// Building XPath expressions from values. XPath 1.0 has no escape inside a
// literal, so a value holding both quote kinds is written with concat();
// values built into paths this way can never change the path's meaning.
#pragma once
#include <string>
#include <string_view>

namespace plat {

// 'v', or "v" when v holds a single quote, or concat('a', "'", 'b"c') when it
// holds both kinds.
std::string XPathLiteral(std::string_view value);

// element[@attribute=literal], e.g. Component[@ID='edTH003'].
std::string XPathAttributeStep(std::string_view element, std::string_view attribute,
                               std::string_view value);

// element[child=literal], e.g. *[Required='-1'].
std::string XPathChildStep(std::string_view element, std::string_view child,
                           std::string_view value);

}  // namespace plat
