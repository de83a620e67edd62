#include "standins/appserver/sign_on.h"

#include <sodium.h>

#include <cstdint>
#include <cstring>

#include "platform/core/text.h"
#include "standins/appserver/server.h"
#include "standins/appserver/sqlite_db.h"

// Defined only by test programs (cmake/test_defaults.cpp); programs people
// run leave it undefined and always hash at full cost.
extern "C" const bool ktrb_test_light_password_hashes __attribute__((weak));

namespace standin {

namespace {

const char kEmpty[] = "QV_Say_NoPassWord_ThePassWordIsEmpty";

// Argon2id, 2 passes over 19 MiB: slow enough against guessing, light
// enough for a server where many clients sign on at once.
constexpr unsigned long long kOps = 2;
constexpr size_t kMemory = size_t(19) << 20;
// A password longer than any a person types is no password.
constexpr size_t kMaxPassword = 1024;

void InitSodium() {
    static const bool ready = sodium_init() >= 0;
    if (!ready) throw ServerError("The password library cannot start");
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

std::string CipherPassword(const std::string& plain) {
    static const char digits[] = "0123456789abcdef";
    std::string bytes = plat::ToAnsi(plain.empty() ? std::string(kEmpty) : plain);
    std::string cipher;
    cipher.reserve(bytes.size() * 2);
    for (size_t i = 0; i < bytes.size(); ++i) {
        unsigned b = (unsigned char)bytes[i], n = (unsigned)((i + 1) % 8);
        auto r = (uint8_t)(((b >> n) | (b << ((8 - n) % 8))) & 0xFF);
        cipher += digits[r >> 4];
        cipher += digits[r & 0x0F];
    }
    return cipher;
}

bool DecipherPassword(const std::string& cipher, std::string& plain) {
    if (cipher.empty() || cipher.size() % 2 != 0 || cipher.size() > 2 * kMaxPassword) return false;
    std::string bytes;
    for (size_t i = 0; i < cipher.size(); i += 2) {
        int hi = HexDigit(cipher[i]), lo = HexDigit(cipher[i + 1]);
        if (hi < 0 || lo < 0) return false;
        unsigned b = (unsigned)(hi * 16 + lo), n = (unsigned)((i / 2 + 1) % 8);
        bytes += (char)(((b << n) | (b >> ((8 - n) % 8))) & 0xFF);
    }
    try {
        plain = bytes == kEmpty ? std::string() : plat::FromAnsi(bytes);
    } catch (const plat::Exception&) {
        return false;  // bytes the code page cannot read are no password
    }
    return true;
}

std::string HashPassword(const std::string& plain) {
    InitSodium();
    char out[crypto_pwhash_STRBYTES];
    // Test programs make thousands of demo databases; they link a flag that
    // takes the cheapest hash (a hash names its own cost, so checks follow).
    const bool light =
        &ktrb_test_light_password_hashes != nullptr && ktrb_test_light_password_hashes;
    const unsigned long long ops = light ? crypto_pwhash_OPSLIMIT_MIN : kOps;
    const size_t memory = light ? crypto_pwhash_MEMLIMIT_MIN : kMemory;
    if (crypto_pwhash_str(out, plain.data(), plain.size(), ops, memory) != 0)
        throw ServerError("Not enough memory to hash a password");
    return out;
}

bool IsPasswordHash(const std::string& stored) {
    return stored.rfind("$argon2", 0) == 0;
}

bool SignOnKeyMatches(const std::string& stored, const std::string& key) {
    if (!IsPasswordHash(stored) || stored.size() >= crypto_pwhash_STRBYTES ||
        key.size() > 2 * kMaxPassword)
        return false;
    InitSodium();
    auto verify = [&](const std::string& plain) {
        return plain.size() <= kMaxPassword &&
               crypto_pwhash_str_verify(stored.c_str(), plain.data(), plain.size()) == 0;
    };
    if (verify(key)) return true;
    std::string plain;
    return DecipherPassword(key, plain) && verify(plain);
}

void HashStoredPasswords(Database& db) {
    TransactionGuard tx(db);
    for (auto& row : db.Query("SELECT MF001, IFNULL(MF006, '') FROM ADMMF")) {
        const std::string stored = plat::VarToStr(row[1]);
        std::string plain;
        if (stored.empty() || IsPasswordHash(stored) || !DecipherPassword(stored, plain)) continue;
        db.Query("UPDATE ADMMF SET MF006 = ? WHERE MF001 = ?", {HashPassword(plain), row[0]});
    }
    tx.Commit();
}

}  // namespace standin
