// Numbers as the platform writes and reads them: no locale, "." always.
#pragma once
#include <cstdint>
#include <string>

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

}  // namespace plat
