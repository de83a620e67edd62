// Passwords of the user table. The server keeps each as a salted slow hash
// (Argon2id by libsodium's crypto_pwhash_str); a client may send the
// password plain or in the module's own password cipher (two lower-case hex
// digits per byte of the password in the ANSI code page, the byte at
// position i from 1 rotated right by i mod 8 bits; an empty password is
// kept as the cipher of a fixed sentinel text), which the server deciphers.
#pragma once
#include <string>

namespace standin {

class Database;

// Raises plat::EConvertError for a character the ANSI code page cannot write.
std::string CipherPassword(const std::string& plain);
// The plain text of a cipher; false when `cipher` is not one.
bool DecipherPassword(const std::string& cipher, std::string& plain);

// A new salted hash of the password; raises ServerError when out of memory.
std::string HashPassword(const std::string& plain);
bool IsPasswordHash(const std::string& stored);
// Whether the sign-on key (the password, plain or ciphered) is the one hashed in `stored`.
bool SignOnKeyMatches(const std::string& stored, const std::string& key);

// Rewrites the user table's ciphered passwords as hashes (a database from
// before passwords were hashed). The caller holds the connection's lock.
void HashStoredPasswords(Database& db);

// The password every demo user has.
inline constexpr const char* kDemoPassword = "DEMO";

}  // namespace standin
