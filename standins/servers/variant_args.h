// Reading the arguments of late-bound calls without trusting their shape:
// a missing element or a value of the wrong kind reads as empty, never
// raises.
#pragma once
#include <string>

#include "platform/core/variant.h"

namespace standin {

// Element `index` (counted from the array's low bound) of a one-dimensional
// array; Unassigned when the value is not such an array or is too short.
plat::Variant ArgItem(const plat::Variant& array, int index);
// The value as text; arrays, objects and values without a text form give "".
std::string ArgText(const plat::Variant& v);
// The value as an integer; `def` when it has none.
long long ArgInt(const plat::Variant& v, long long def = 0);
// Number of elements of a one-dimensional array, 0 for anything else.
int ArgCount(const plat::Variant& array);

}  // namespace standin
