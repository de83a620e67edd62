#include "runtime/Translator.h"

#include <map>
#include <mutex>
#include <string_view>
#include <vector>

#include "platform/core/exceptions.h"
#include "platform/core/text.h"
#include "platform/system/files.h"
#include "platform/system/paths.h"
#include "platform/system/system.h"
#include "runtime/LibStrs.h"
#include "runtime/MireltaINI.h"

namespace ktrb {

namespace {

constexpr const char* kTableFile = "Language";
constexpr const char* kTableMissing = "Can't find file Language !!";

// The euro sign: one byte in code page 936, a pair in 950.
constexpr unsigned char kGbEuro = 0x80;
constexpr unsigned char kBig5Euro[2] = {0xA3, 0xE1};

// Lead bytes of both code pages. The trail-byte rules keep a lead byte that
// stands before a byte no character can end with (an ASCII digit, a blank, a
// line end) from taking that byte with it.
bool isLead(unsigned char b) {
    return b >= 0x81 && b <= 0xFE;
}
bool isGbPair(unsigned char lead, unsigned char trail) {
    return isLead(lead) && trail >= 0x40 && trail <= 0xFE && trail != 0x7F;
}
bool isBig5Pair(unsigned char lead, unsigned char trail) {
    return isLead(lead) && ((trail >= 0x40 && trail <= 0x7E) || (trail >= 0xA1 && trail <= 0xFE));
}

struct Tables {
    std::vector<uint16_t> big5;  // Big5 index -> GB code
    std::vector<uint16_t> gb;    // GB index -> Big5 code
    bool empty() const { return big5.empty() && gb.empty(); }
};

std::mutex g_mutex;
Tables g_tables;

PlainMessageHandler& messageHandler() {
    static PlainMessageHandler handler;
    return handler;
}

void showPlainMessage(const std::string& text) {
    PlainMessageHandler handler = messageHandler();
    if (handler)
        handler(text);
    else
        WriteAlertLog("libstrs", text, "D");
}

// Characters 2 to 5 of the value token as four hexadecimal digits; "A" to
// "F" upper case only, anything else must be a decimal digit.
uint16_t entryValue(std::string_view line) {
    size_t eq = line.find('=');
    std::string_view token =
        eq == std::string_view::npos ? std::string_view() : line.substr(eq + 1);
    token = token.substr(0, token.find('='));
    if (token.size() < 5)
        throw plat::EConvertError("'" + std::string(token) + "' is not a valid table value");
    unsigned value = 0;
    for (char c : token.substr(1, 4)) {
        unsigned digit;
        if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else if (c >= '0' && c <= '9')
            digit = c - '0';
        else
            throw plat::EConvertError("'" + std::string(1, c) + "' is not a valid integer value");
        value = value * 16 + digit;
    }
    return (uint16_t)value;
}

Tables parseTables(const std::string& bytes) {
    std::vector<std::string_view> kept;
    size_t bigCount = 0, gbCount = 0;
    std::string_view all(bytes);
    for (size_t pos = 0; pos < all.size();) {
        size_t end = all.find('\n', pos);
        if (end == std::string_view::npos) end = all.size();
        std::string_view line = all.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if ((!line.empty() && line[0] == '[') || plat::Trim(line).empty()) continue;
        kept.push_back(line);
        if (line.substr(0, 4) == "BIG5")
            ++bigCount;
        else if (line.substr(0, 2) == "GB")
            ++gbCount;
    }
    // Big5 entries come first, the GB entries after them: each table takes
    // its entries by position.
    Tables t;
    t.big5.reserve(bigCount);
    t.gb.reserve(gbCount);
    for (size_t n = 0; n < bigCount; ++n) t.big5.push_back(entryValue(kept[n]));
    for (size_t n = 0; n < gbCount; ++n) t.gb.push_back(entryValue(kept[bigCount + n]));
    return t;
}

std::string findTableFile() {
    std::string clientPath = TMireltaIniC().ClientPath;
    if (!clientPath.empty()) {
        std::string file = plat::IncludeTrailingPathDelimiter(clientPath) + kTableFile;
        if (plat::FileExists(file)) return file;
    }
    std::string file =
        plat::IncludeTrailingPathDelimiter(plat::ExtractFilePath(plat::HostProgramFileName())) +
        kTableFile;
    return plat::FileExists(file) ? file : std::string();
}

// Loads the tables while they are empty. The message about a missing file
// is shown without the lock held, since showing it may convert texts.
const Tables& tables(std::unique_lock<std::mutex>& lock) {
    if (g_tables.empty()) {
        std::string file = findTableFile();
        if (file.empty()) {
            lock.unlock();
            showPlainMessage(kTableMissing);
            lock.lock();
        } else {
            g_tables = parseTables(plat::ReadFileBytes(file));
        }
    }
    return g_tables;
}

// The plain code-page conversion of one double-byte character.
std::string fallback(const unsigned char* pair, plat::CodePage from, plat::CodePage to) {
    std::string wide;
    try {
        wide = plat::FromCodePage(std::string_view((const char*)pair, 2), from);
    } catch (const plat::EConvertError&) {
        return "?";
    }
    return plat::ToCodePageReplacing(wide, to).text;
}

// The table's code as two bytes, or the fallback when it gives none.
void appendChar(std::string& out, const std::vector<uint16_t>& table, int index,
                const unsigned char* pair, plat::CodePage from, plat::CodePage to) {
    if (index >= 0 && index < (int)table.size()) {
        uint16_t code = table[index];
        unsigned char hi = code >> 8, lo = code & 0xFF;
        if (hi > ' ' || lo > ' ') {
            out += (char)hi;
            out += (char)lo;
            return;
        }
    }
    out += fallback(pair, from, to);
}

// Both directions walk the text alike; only the euro sign, the pair test and
// the table differ.
enum class Direction { GbToBig5, Big5ToGb };

std::string convertText(const std::string& text, Direction dir) {
    std::unique_lock<std::mutex> lock(g_mutex);
    const Tables& t = tables(lock);
    const bool toBig5 = dir == Direction::GbToBig5;
    const auto& table = toBig5 ? t.gb : t.big5;
    const plat::CodePage from = toBig5 ? plat::CodePage::Gbk : plat::CodePage::Big5;
    const plat::CodePage to = toBig5 ? plat::CodePage::Big5 : plat::CodePage::Gbk;
    const unsigned char* p = (const unsigned char*)text.data();
    const size_t n = text.size();
    std::string out;
    out.reserve(n);
    for (size_t i = 0; i < n;) {
        bool hasNext = i + 1 < n;
        if (toBig5 && p[i] == kGbEuro) {
            out.append((const char*)kBig5Euro, 2);
            ++i;
        } else if (!toBig5 && hasNext && p[i] == kBig5Euro[0] && p[i + 1] == kBig5Euro[1]) {
            out += (char)kGbEuro;
            i += 2;
        } else if (hasNext && (toBig5 ? isGbPair(p[i], p[i + 1]) : isBig5Pair(p[i], p[i + 1]))) {
            int index = toBig5 ? GbCharIndex(p[i], p[i + 1]) : Big5CharIndex(p[i], p[i + 1]);
            appendChar(out, table, index, p + i, from, to);
            i += 2;
        } else {
            out += (char)p[i];
            ++i;
        }
    }
    return out;
}

// ---- Conversion libraries ---------------------------------------------------

void tableGbToBig5(const std::string& source, std::string& result) {
    result = GbToBig5Text(source);
}
void tableBig5ToGb(const std::string& source, std::string& result) {
    result = Big5ToGbText(source);
}

std::mutex g_libraryMutex;

std::map<std::string, std::shared_ptr<const ConversionLibrary>>& libraries() {
    static std::map<std::string, std::shared_ptr<const ConversionLibrary>> registered{
        {kTranslatorLibrary, std::make_shared<const ConversionLibrary>(
                                 ConversionLibrary{tableGbToBig5, tableBig5ToGb})},
    };
    return registered;
}

}  // namespace

int GbCharIndex(unsigned char lead, unsigned char trail) {
    if (lead >= 0xA1 && lead <= 0xA9 && trail >= 0xA1 && trail <= 0xFE)
        return (lead - 0xA1) * 94 + (trail - 0xA1);
    if (lead >= 0xB0 && lead <= 0xF7 && trail >= 0xA1 && trail <= 0xFE)
        return 1410 + (lead - 0xB0) * 94 + (trail - 0xA1);
    if (lead >= 0x81 && lead <= 0xA0 && trail >= 0x40 && trail <= 0xFE)
        return 8178 + (lead - 0x81) * 191 + (trail - 0x40);
    if (lead >= 0xAA && lead <= 0xFE && trail >= 0x40 && trail <= 0xA0)
        return 14290 + (lead - 0xAA) * 97 + (trail - 0x40);
    if (lead >= 0xA8 && lead <= 0xA9 && trail >= 0x40 && trail <= 0xA0)
        return 22535 + (lead - 0xA8) * 97 + (trail - 0x40);
    return -1;
}

int Big5CharIndex(unsigned char lead, unsigned char trail) {
    if (lead < 0xA1) return -1;
    if (trail >= 0x40 && trail <= 0x7E) return (lead - 0xA1) * 157 + (trail - 0x40);
    if (trail >= 0xA1 && trail <= 0xFE) return (lead - 0xA1) * 157 + 63 + (trail - 0xA1);
    return -1;
}

std::string GbToBig5Text(const std::string& gbBytes) {
    return convertText(gbBytes, Direction::GbToBig5);
}

std::string Big5ToGbText(const std::string& big5Bytes) {
    return convertText(big5Bytes, Direction::Big5ToGb);
}

void ReleaseLanguageTables() {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_tables = Tables();
}

PlainMessageHandler SetPlainMessageHandler(PlainMessageHandler handler) {
    PlainMessageHandler previous = std::move(messageHandler());
    messageHandler() = std::move(handler);
    return previous;
}

void RegisterConversionLibrary(const std::string& name, const ConversionLibrary& library) {
    std::lock_guard<std::mutex> lock(g_libraryMutex);
    libraries()[name] = std::make_shared<const ConversionLibrary>(library);
}

void UnregisterConversionLibrary(const std::string& name) {
    std::lock_guard<std::mutex> lock(g_libraryMutex);
    libraries().erase(name);
}

TTranslator::TTranslator() {
    std::shared_ptr<const ConversionLibrary> library;
    {
        std::lock_guard<std::mutex> lock(g_libraryMutex);
        auto it = libraries().find(kTranslatorLibrary);
        if (it != libraries().end()) library = it->second;
    }
    if (!library)
        throw plat::Exception(std::string("Load Library ") + kTranslatorLibrary + " Error!");
    if (!library->GBtoBIG5 || !library->BIG5toGB)
        throw plat::Exception("Get Library Procedure Address Error!");
    library_ = std::move(library);
}

TTranslator::~TTranslator() = default;

std::string TTranslator::GbToBig5(const std::string& text) const {
    if (!library_ || !library_->GBtoBIG5) return text;
    std::string result;
    library_->GBtoBIG5(text, result);
    return result;
}

std::string TTranslator::Big5ToGb(const std::string& text) const {
    if (!library_ || !library_->BIG5toGB) return text;
    std::string result;
    library_->BIG5toGB(text, result);
    return result;
}

}  // namespace ktrb
