#include "receipt/rules/Ktrb52CD_Support.h"

#include <cmath>

#include "platform/core/numbers.h"
#include "platform/core/text.h"
#include "platform/data/field.h"
#include "runtime/PropAccess.h"

namespace ktrb {

using plat::Variant;

TShadowScope::TShadowScope(plat::TField* shadow, const std::string& value)
    : shadow_(shadow), earlier_(shadow->AsString()), exceptions_(std::uncaught_exceptions()) {
    SetFieldTextQuiet(shadow_, value);
}

TShadowScope::~TShadowScope() {
    if (std::uncaught_exceptions() <= exceptions_) return;
    try {
        SetFieldTextQuiet(shadow_, earlier_);
    } catch (...) {
    }
}

bool TryNumber(const Variant& value, double& number) {
    if (value.IsArray() || value.IsEmptyOrNull()) return false;
    if (value.IsNumeric()) {
        number = value.AsFloat();
        return std::isfinite(number);
    }
    if (!value.IsText()) return false;
    std::string text = plat::Trim(value.RawText());
    return !text.empty() && plat::TryStrToFloat(text, number) && std::isfinite(number);
}

std::string NumberText(double value) {
    return plat::FloatToStr(value);
}

}  // namespace ktrb
