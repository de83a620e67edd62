#include "standins/servers/variant_args.h"

namespace standin {

int ArgCount(const plat::Variant& array) {
    return array.IsArray() && array.DimCount() == 1 ? array.ArrayCount() : 0;
}

plat::Variant ArgItem(const plat::Variant& array, int index) {
    if (index < 0 || index >= ArgCount(array)) return {};
    return array[array.LowBound() + index];
}

std::string ArgText(const plat::Variant& v) {
    if (v.IsArray() || v.IsDispatch()) return {};
    try {
        return plat::VarToStr(v);
    } catch (const std::exception&) {
        return {};
    }
}

long long ArgInt(const plat::Variant& v, long long def) {
    if (v.IsArray() || v.IsDispatch()) return def;
    try {
        return plat::VarToIntDef(v, def);
    } catch (const std::exception&) {
        return def;
    }
}

}  // namespace standin
