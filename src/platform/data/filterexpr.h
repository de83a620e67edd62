// Filter expressions of datasets: comparisons of fields with literals
// (F = 'v', F <> 3, F >= 2.5, F IS NULL, F IS NOT NULL), joined by AND, OR
// and NOT, with parentheses. Field names may be written in brackets. A text
// literal ending in "*" compared with = matches by prefix unless partial
// compares are switched off.
#pragma once
#include <functional>
#include <memory>
#include <string>

#include "platform/core/variant.h"

namespace plat::filter {

struct Node;

class Expression {
  public:
    Expression() = default;
    ~Expression();
    // Raises EDatabaseError naming the position of a syntax error.
    static std::shared_ptr<Expression> Parse(const std::string& text);
    // valueOf gives the value of a field by name (raising when unknown).
    bool Evaluate(const std::function<Variant(const std::string&)>& valueOf, bool caseInsensitive,
                  bool noPartial) const;

  private:
    std::unique_ptr<Node> root_;
};

}  // namespace plat::filter
