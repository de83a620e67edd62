#include "platform/system/codepage_io.h"

#include "platform/core/exceptions.h"
#include "platform/core/text.h"
#include "platform/system/files.h"

namespace plat::sysdetail {

int ResolveCodePage(int codePage) {
    if (codePage == 0) return int(AnsiCodePage());
    if (codePage != kCodePageUtf8) CodePageFromNumber(codePage);
    return codePage;
}

bool TryDecode(std::string_view bytes, int codePage, std::string& utf8) {
    if (codePage == kCodePageUtf8) {
        if (!IsValidUtf8(bytes)) return false;
        utf8.assign(bytes);
        return true;
    }
    ConvertedText t = FromCodePageReplacing(bytes, CodePageFromNumber(codePage));
    if (t.replaced) return false;
    utf8 = std::move(t.text);
    return true;
}

std::string DecodeLenient(std::string_view bytes, int codePage) {
    if (codePage != kCodePageUtf8)
        return FromCodePageReplacing(bytes, CodePageFromNumber(codePage)).text;
    std::string out;
    size_t i = 0;
    while (i < bytes.size()) {
        // Longest valid UTF-8 run from here, else one replaced byte.
        size_t n = 1;
        unsigned char c = (unsigned char)bytes[i];
        size_t len = c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 0;
        if (len && i + len <= bytes.size() && IsValidUtf8(bytes.substr(i, len))) {
            n = len;
            out.append(bytes.substr(i, len));
        } else {
            out += "\xEF\xBF\xBD";
        }
        i += n;
    }
    return out;
}

std::string Encode(std::string_view utf8, int codePage) {
    if (codePage != kCodePageUtf8) return ToCodePage(utf8, CodePageFromNumber(codePage));
    if (!IsValidUtf8(utf8)) throw EConvertError("The text is not valid UTF-8");
    return std::string(utf8);
}

}  // namespace plat::sysdetail
