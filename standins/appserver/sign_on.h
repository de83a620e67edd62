// The cipher of the user table's passwords: the module's own password
// cipher (two lower-case hex digits per byte of the password in the ANSI
// code page, the byte at position i from 1 rotated right by i mod 8 bits;
// an empty password is kept as the cipher of a fixed sentinel text).
#pragma once
#include <string>

namespace standin {

// Raises plat::EConvertError for a character the ANSI code page cannot write.
std::string CipherPassword(const std::string& plain);

// The password every demo user has.
inline constexpr const char* kDemoPassword = "DEMO";

}  // namespace standin
