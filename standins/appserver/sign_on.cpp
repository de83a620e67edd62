#include "standins/appserver/sign_on.h"

#include <cstdint>

#include "platform/core/text.h"

namespace standin {

std::string CipherPassword(const std::string& plain) {
    static const char kEmpty[] = "QV_Say_NoPassWord_ThePassWordIsEmpty";
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

}  // namespace standin
