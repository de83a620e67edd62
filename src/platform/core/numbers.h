// Numbers as the platform writes and reads them: no locale, "." always.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace plat {

// Float to text: 15 significant digits, shortest form, scientific outside
// the fixed range ("1E15", "1E-5"), "." as decimal separator.
std::string FloatToStr(double v);

// Text to number. The Try forms never raise; the plain forms raise
// EConvertError naming the text; the Def forms return the default.
bool TryStrToInt64(const std::string& s, int64_t& out);
bool TryStrToInt(const std::string& s, int& out);
bool TryStrToFloat(const std::string& s, double& out);
int StrToInt(const std::string& s);
int64_t StrToInt64(const std::string& s);
double StrToFloat(const std::string& s);
int StrToIntDef(const std::string& s, int def);
double StrToFloatDef(const std::string& s, double def);
std::string IntToStr(int64_t v);

// Banker's rounding, as the platform's Round.
int64_t RoundBankers(double v);

// The platform's float formats. Every rounding is half away from zero on the
// value's 18-significant-digit decimal expansion (2.5 -> 3, 0.125 -> 0.13,
// 1.005 -> 1.00), never the C library's rounding.
enum class FloatFormat {
    General,   // shortest of fixed and scientific; digits = least exponent digits
    Exponent,  // d.ddd...E+ddd with `precision` digits; digits = least exponent digits
    Fixed,     // ddd.ddd with `digits` decimals (scientific beyond `precision` integer digits)
    Number,    // as Fixed with thousands separators
    Currency,  // as Number with the currency string of the format settings
};
// precision: significant digits (1..18); digits: decimals (0..18) or exponent
// digits (0..4). Values outside are clamped. NaN and infinities give "NAN",
// "INF", "-INF".
std::string FloatToStrF(double v, FloatFormat format, int precision, int digits);
// The same for a currency value kept as an integer scaled by 10000: exact,
// with no binary rounding on the way (1.255 -> "1.26" with 2 decimals).
std::string CurrToStrF(int64_t scaled, FloatFormat format, int digits);
// Fixed with `decimals` decimals, no thousands separators.
std::string FormatFixed(double v, int decimals);

// The values those texts read back as, found without writing the text:
// StrToFloat(FloatToStr(v)) and StrToFloat(FormatFixed(v, decimals)), bit for
// bit. False (nothing computed) where the text would not read back or lies
// outside the range they serve (NaN, infinities, magnitudes near the limits
// of a double, 1E17 and more for the fixed form); the caller then takes the
// text path.
bool TryFloatTextValue(double v, double& out);
bool TryFixedTextValue(double v, int decimals, double& out);

// Picture formats: "0" digit, "#" optional digit, "." decimal point, ","
// thousands, "E+"/"E-" scientific, up to three ";" sections (positive,
// negative, zero), quoted literals; every other character (also "%") is
// written as it stands. An empty format gives FloatToStr. A value of 1E18 or
// more gives FloatToStr.
std::string FormatFloat(std::string_view format, double v);

}  // namespace plat
