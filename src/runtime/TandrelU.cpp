#include "runtime/TandrelU.h"

#include <cxxabi.h>

#include <cstdlib>
#include <memory>
#include <system_error>
#include <typeinfo>

#include "platform/core/dates.h"
#include "platform/core/text.h"
#include "platform/system/files.h"
#include "platform/system/paths.h"
#include "platform/system/registry.h"
#include "runtime/LibStrs.h"
#include "runtime/MireltaINI.h"

namespace ktrb {

namespace {

const std::string kHyphens(34, '-');
constexpr const char* kDecodeLabel = "DecodeSQLSa";
constexpr const char* kDecodeMessage = "解析 Sa 时发生错误!";

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    throw plat::EConvertError(std::string("'") + c + "' is not a valid hexadecimal digit");
}

std::string className(const std::exception& e) {
    if (auto* p = dynamic_cast<const plat::Exception*>(&e)) return p->ClassName();
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> name(
        abi::__cxa_demangle(typeid(e).name(), nullptr, nullptr, &status), std::free);
    return status == 0 && name ? name.get() : typeid(e).name();
}

// "<kind> Error 01: Code: <code>, Message: <text>"
std::string errorLine(const char* kind, int number, int code, const std::string& message) {
    return std::string(kind) + " Error " + ZeroPad(2, number) + ": Code: " + std::to_string(code) +
           ", Message: " + message;
}

}  // namespace

EDBEngineError::EDBEngineError(std::vector<ErrorRecord> records)
    : plat::EDatabaseError(records.empty() ? std::string() : records.front().message),
      records_(std::move(records)) {}

uint8_t RotateLeft8(unsigned value, unsigned count) {
    unsigned b = value & 0xFF, n = count % 8;
    return (uint8_t)(((b << n) | (b >> ((8 - n) % 8))) & 0xFF);
}

uint8_t RotateRight8(unsigned value, unsigned count) {
    unsigned b = value & 0xFF, n = count % 8;
    return (uint8_t)(((b >> n) | (b << ((8 - n) % 8))) & 0xFF);
}

std::string EncodePassword(const std::string& plain) {
    std::string bytes = plat::ToAnsi(plain.empty() ? std::string(kEmptyPasswordSentinel) : plain);
    static const char digits[] = "0123456789abcdef";
    std::string cipher;
    cipher.reserve(bytes.size() * 2);
    for (size_t i = 0; i < bytes.size(); ++i) {
        uint8_t b = RotateRight8((unsigned char)bytes[i], (unsigned)(i + 1));
        cipher += digits[b >> 4];
        cipher += digits[b & 0x0F];
    }
    return cipher;
}

std::string DecodePassword(const std::string& cipher) {
    try {
        std::string bytes;
        for (size_t i = 1; 2 * i <= cipher.size(); ++i) {
            int value = hexDigit(cipher[2 * i - 2]) * 16 + hexDigit(cipher[2 * i - 1]);
            bytes += (char)RotateLeft8((unsigned)value, (unsigned)i);
        }
        std::string plain = plat::FromAnsi(bytes);
        return plain == kEmptyPasswordSentinel ? std::string() : plain;
    } catch (const std::exception& e) {
        WriteExceptionLog(&e, EncodePassword(kDecodeLabel), kDecodeMessage);
        return kPasswordErrorSentinel;
    }
}

void WriteExceptionLog(const std::exception* e, const std::string& label,
                       const std::string& message) {
    try {
        std::string title = kHyphens;
        if (!plat::Trim(label).empty()) title += " on " + label + " ";
        WriteExceptionLogLine(title + kHyphens);
        if (e) {
            WriteExceptionLogLine("讯息信息:");
            int count = 1;
            if (auto* db = dynamic_cast<const EDBEngineError*>(e)) {
                const auto& records = db->Errors();
                for (size_t i = 0; i < records.size(); ++i)
                    WriteExceptionLogLine(errorLine("EDBEngineError", (int)i + 1,
                                                    records[i].errorCode, records[i].message));
                count = (int)records.size();
            } else if (auto* os = dynamic_cast<const std::system_error*>(e)) {
                WriteExceptionLogLine(errorLine("EWin32Error", 1, os->code().value(), os->what()));
            } else if (auto* io = dynamic_cast<const plat::EInOutError*>(e)) {
                WriteExceptionLogLine(errorLine("EInOutError", 1, 0, io->what()));
            } else {
                WriteExceptionLogLine("Exception is " + className(*e) +
                                      "\r\nMessage 01: " + e->what());
            }
            WriteExceptionLogLine("ErrorMessage Count: " + std::to_string(count));
        }
        if (!plat::Trim(message).empty()) WriteExceptionLogLine("Programer Message: " + message);
    } catch (...) {
        // The log is a witness, never a new failure of its caller.
    }
}

bool WriteExceptionLogLine(const std::string& text) {
    try {
        std::string folder = plat::IncludeTrailingPathDelimiter(GetLogBaseFolder()) + "Log";
        if (!plat::ForceDirectories(folder)) return false;
        plat::TDateTime now = plat::Now();
        int y, m, d;
        plat::DecodeDate(now, y, m, d);
        std::string file =
            folder + "/Alert_Tandrel_" + ZeroPad(4, y) + ZeroPad(2, m) + ZeroPad(2, d) + ".log";
        std::string line = "[" + plat::DateTimeToStr(now) + "] " + text;
        // Characters the ANSI code page lacks become "?" rather than losing the line.
        return plat::AppendTextLine(file, AnsiStrToWideCP(WideStrToAnsiCP(line, 0), 0), 0);
    } catch (...) {
        return false;
    }
}

std::string GetLogBaseFolder() {
    try {
        plat::TRegistry registry;
        registry.SetRootKey(plat::RegistryRoot::LocalMachine);
        if (registry.OpenKeyReadOnly(kMireltaRegistryKey)) {
            for (const char* name : {"ClientPath", "ServerPath"}) {
                std::string folder = registry.ReadString(name);
                if (!folder.empty()) return plat::NativePath(folder);
            }
        }
        std::string temp = plat::TempFolder();
        if (!temp.empty() && temp.size() <= 255) return temp;
    } catch (...) {
    }
    return "/tmp/";
}

}  // namespace ktrb
