// The platform's Format: "%[index:][-][width][.precision]type" with the types
// d u x (integers), e f g n m (floats), s (text), letters in either case, and
// "*" for a width or precision taken from the arguments. "%%" is a percent sign.
//
// Arguments are variants and are checked by kind: d u x take the integer kinds;
// e f g n m take floats, currency, dates and integers; s takes text. A bad
// directive, a missing argument or an argument of the wrong kind raises
// EConvertError; nothing is read past the arguments, so texts from outside
// can be used as formats. Extra arguments are ignored.
//
// Widths and the precision of %s count the width in the ANSI code page (a
// Chinese character is 2), and a precision cut never splits a character.
// Floats round half away from zero (see FloatToStrF).
#pragma once
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/variant.h"

namespace plat {

std::string Format(std::string_view format, std::initializer_list<Variant> args);
std::string Format(std::string_view format, const std::vector<Variant>& args);
std::string Format(std::string_view format, const Variant* args, size_t count);

}  // namespace plat
