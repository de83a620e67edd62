#include "platform/data/filterexpr.h"

#include <cctype>
#include <vector>

#include "platform/core/exceptions.h"
#include "platform/core/numbers.h"
#include "platform/core/text.h"

namespace plat::filter {

enum class Op { And, Or, Not, Eq, Ne, Lt, Le, Gt, Ge, IsNull, IsNotNull, Field, Literal };

struct Node {
    Op op;
    std::string name;  // Field
    Variant value;     // Literal
    std::unique_ptr<Node> a, b;
};

namespace {

struct Token {
    enum Kind { End, Ident, Text, Number, Sym } kind;
    std::string text;
    size_t at;
};

class Parser {
  public:
    explicit Parser(const std::string& s) : s_(s) { next(); }

    std::unique_ptr<Node> parse() {
        auto n = orExpr();
        if (tok_.kind != Token::End) fail("unexpected '" + tok_.text + "'");
        return n;
    }

  private:
    [[noreturn]] void fail(const std::string& what) {
        throw EDatabaseError("Filter expression incorrectly terminated or invalid at position " +
                             std::to_string(tok_.at + 1) + ": " + what);
    }

    void next() {
        size_t i = pos_;
        while (i < s_.size() && std::isspace((unsigned char)s_[i])) ++i;
        tok_.at = i;
        if (i >= s_.size()) {
            tok_ = {Token::End, "", i};
            pos_ = i;
            return;
        }
        char c = s_[i];
        if (c == '\'' || c == '"') {
            std::string t;
            size_t j = i + 1;
            for (;;) {
                if (j >= s_.size()) {
                    tok_.at = i;
                    fail("unterminated text");
                }
                if (s_[j] == c) {
                    if (j + 1 < s_.size() && s_[j + 1] == c) {
                        t.push_back(c);
                        j += 2;
                        continue;
                    }
                    break;
                }
                t.push_back(s_[j++]);
            }
            tok_ = {Token::Text, t, i};
            pos_ = j + 1;
            return;
        }
        if (c == '[') {
            size_t j = s_.find(']', i);
            if (j == std::string::npos) fail("unterminated field name");
            tok_ = {Token::Ident, s_.substr(i + 1, j - i - 1), i};
            pos_ = j + 1;
            return;
        }
        if (std::isdigit((unsigned char)c) ||
            (c == '.' && i + 1 < s_.size() && std::isdigit((unsigned char)s_[i + 1])) ||
            (c == '-' && i + 1 < s_.size() && std::isdigit((unsigned char)s_[i + 1]) &&
             expectOperand_)) {
            size_t j = i + 1;
            while (j < s_.size() && (std::isdigit((unsigned char)s_[j]) || s_[j] == '.')) ++j;
            tok_ = {Token::Number, s_.substr(i, j - i), i};
            pos_ = j;
            return;
        }
        if (std::isalpha((unsigned char)c) || c == '_' || (unsigned char)c >= 0x80) {
            size_t j = i + 1;
            while (j < s_.size() && (std::isalnum((unsigned char)s_[j]) || s_[j] == '_' ||
                                     (unsigned char)s_[j] >= 0x80))
                ++j;
            tok_ = {Token::Ident, s_.substr(i, j - i), i};
            pos_ = j;
            return;
        }
        static const char* const syms[] = {"<>", "<=", ">=", "=", "<", ">", "(", ")"};
        for (const char* sym : syms) {
            size_t n = std::char_traits<char>::length(sym);
            if (s_.compare(i, n, sym) == 0) {
                tok_ = {Token::Sym, sym, i};
                pos_ = i + n;
                return;
            }
        }
        fail(std::string("unexpected character '") + c + "'");
    }

    bool keyword(const char* k) const {
        return tok_.kind == Token::Ident && SameText(tok_.text, k);
    }
    bool sym(const char* k) const { return tok_.kind == Token::Sym && tok_.text == k; }

    std::unique_ptr<Node> make(Op op, std::unique_ptr<Node> a = nullptr,
                               std::unique_ptr<Node> b = nullptr) {
        auto n = std::make_unique<Node>();
        n->op = op;
        n->a = std::move(a);
        n->b = std::move(b);
        return n;
    }

    std::unique_ptr<Node> orExpr() {
        auto n = andExpr();
        while (keyword("OR")) {
            expectOperand_ = true;
            next();
            n = make(Op::Or, std::move(n), andExpr());
        }
        return n;
    }

    std::unique_ptr<Node> andExpr() {
        auto n = notExpr();
        while (keyword("AND")) {
            expectOperand_ = true;
            next();
            n = make(Op::And, std::move(n), notExpr());
        }
        return n;
    }

    std::unique_ptr<Node> notExpr() {
        if (keyword("NOT")) {
            expectOperand_ = true;
            next();
            return make(Op::Not, notExpr());
        }
        return comparison();
    }

    std::unique_ptr<Node> comparison() {
        auto left = primary();
        if (keyword("IS")) {
            next();
            bool neg = false;
            if (keyword("NOT")) {
                neg = true;
                next();
            }
            if (!keyword("NULL")) fail("NULL expected");
            next();
            return make(neg ? Op::IsNotNull : Op::IsNull, std::move(left));
        }
        static const std::pair<const char*, Op> ops[] = {{"=", Op::Eq}, {"<>", Op::Ne},
                                                         {"<", Op::Lt}, {"<=", Op::Le},
                                                         {">", Op::Gt}, {">=", Op::Ge}};
        for (auto [text, op] : ops)
            if (sym(text)) {
                expectOperand_ = true;
                next();
                return make(op, std::move(left), primary());
            }
        if (left->op == Op::Field || left->op == Op::Literal) fail("comparison expected");
        return left;
    }

    std::unique_ptr<Node> primary() {
        expectOperand_ = false;
        if (sym("(")) {
            expectOperand_ = true;
            next();
            auto n = orExpr();
            if (!sym(")")) fail("')' expected");
            next();
            return n;
        }
        auto n = std::make_unique<Node>();
        switch (tok_.kind) {
            case Token::Text:
                n->op = Op::Literal;
                n->value = Variant(tok_.text);
                break;
            case Token::Number: {
                double d;
                if (!TryStrToFloat(tok_.text, d)) fail("bad number");
                n->op = Op::Literal;
                n->value = Variant(d);
                break;
            }
            case Token::Ident:
                if (SameText(tok_.text, "NULL")) {
                    n->op = Op::Literal;
                    n->value = Variant::Null();
                } else {
                    n->op = Op::Field;
                    n->name = tok_.text;
                }
                break;
            default:
                fail("operand expected");
        }
        next();
        return n;
    }

    const std::string& s_;
    size_t pos_ = 0;
    Token tok_{Token::End, "", 0};
    bool expectOperand_ = true;
};

Variant value(const Node& n, const std::function<Variant(const std::string&)>& valueOf) {
    return n.op == Op::Field ? valueOf(n.name) : n.value;
}

int compare(const Variant& a, const Variant& b, bool ci) {
    if (a.IsText() && b.IsText())
        return ci ? AnsiCompareText(a.RawText(), b.RawText())
                  : CompareStr(a.RawText(), b.RawText());
    if (a.IsNumeric() || b.IsNumeric()) {
        double x = VarToFloatDef(a, 0), y = VarToFloatDef(b, 0);
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    return Variant::Compare(a, b);
}

bool eval(const Node& n, const std::function<Variant(const std::string&)>& valueOf, bool ci,
          bool noPartial) {
    switch (n.op) {
        case Op::And:
            return eval(*n.a, valueOf, ci, noPartial) && eval(*n.b, valueOf, ci, noPartial);
        case Op::Or:
            return eval(*n.a, valueOf, ci, noPartial) || eval(*n.b, valueOf, ci, noPartial);
        case Op::Not:
            return !eval(*n.a, valueOf, ci, noPartial);
        case Op::IsNull:
            return value(*n.a, valueOf).IsEmptyOrNull();
        case Op::IsNotNull:
            return !value(*n.a, valueOf).IsEmptyOrNull();
        case Op::Field:
        case Op::Literal:
            return VarToIntDef(value(n, valueOf), 0) != 0;
        default:
            break;
    }
    Variant a = value(*n.a, valueOf), b = value(*n.b, valueOf);
    if (a.IsEmptyOrNull() || b.IsEmptyOrNull()) {
        bool both = a.IsEmptyOrNull() && b.IsEmptyOrNull();
        return n.op == Op::Eq ? both : (n.op == Op::Ne ? !both : false);
    }
    if ((n.op == Op::Eq || n.op == Op::Ne) && !noPartial && b.IsText() && n.b->op == Op::Literal &&
        !b.RawText().empty() && b.RawText().back() == '*') {
        std::string prefix = b.RawText().substr(0, b.RawText().size() - 1);
        std::string text = VarToStr(a).substr(0, prefix.size());
        bool eq = ci ? AnsiSameText(text, prefix) : text == prefix;
        return n.op == Op::Eq ? eq : !eq;
    }
    if (a.IsText() != b.IsText()) {
        // A text field against a number literal compares as text.
        if (a.IsText())
            b = Variant(VarToStr(b));
        else
            a = Variant(VarToStr(a));
        if (a.IsText() && b.IsText() && !(n.a->op == Op::Field && n.b->op == Op::Field)) {
            double x, y;
            if (TryStrToFloat(a.RawText(), x) && TryStrToFloat(b.RawText(), y)) {
                a = Variant(x);
                b = Variant(y);
            }
        }
    }
    int c = compare(a, b, ci);
    switch (n.op) {
        case Op::Eq:
            return c == 0;
        case Op::Ne:
            return c != 0;
        case Op::Lt:
            return c < 0;
        case Op::Le:
            return c <= 0;
        case Op::Gt:
            return c > 0;
        case Op::Ge:
            return c >= 0;
        default:
            return false;
    }
}

}  // namespace

Expression::~Expression() = default;

std::shared_ptr<Expression> Expression::Parse(const std::string& text) {
    auto e = std::make_shared<Expression>();
    Parser p(text);
    e->root_ = p.parse();
    return e;
}

bool Expression::Evaluate(const std::function<Variant(const std::string&)>& valueOf,
                          bool caseInsensitive, bool noPartial) const {
    return root_ && eval(*root_, valueOf, caseInsensitive, noPartial);
}

}  // namespace plat::filter
