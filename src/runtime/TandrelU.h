// The reversible cipher of the passwords kept in the server settings file,
// and the exception log that records what went wrong while reading them.
//
// Cipher text: two lower-case hex digits per byte of the password in the ANSI
// code page; the byte at position i (from 1) is rotated right by i mod 8
// bits. An empty password is kept as the cipher of kEmptyPasswordSentinel.
//
// Exception log: <log folder>/Log/Alert_Tandrel_<yyyymmdd>.log, one
// "[date time] text" line per entry.
#pragma once
#include <cstdint>
#include <exception>
#include <string>
#include <vector>

#include "platform/core/exceptions.h"

namespace ktrb {

inline constexpr const char* kEmptyPasswordSentinel = "QV_Say_NoPassWord_ThePassWordIsEmpty";
inline constexpr const char* kPasswordErrorSentinel = "QV_Say_Password_Error";

// A database engine's error with its stack of numbered error records; the
// exception log writes one line per record.
class EDBEngineError : public plat::EDatabaseError {
  public:
    struct ErrorRecord {
        int errorCode = 0;
        std::string message;
    };
    explicit EDBEngineError(std::vector<ErrorRecord> records);
    const std::vector<ErrorRecord>& Errors() const { return records_; }
    const char* ClassName() const override { return "EDBEngineError"; }

  private:
    std::vector<ErrorRecord> records_;
};

uint8_t RotateLeft8(unsigned value, unsigned count);
uint8_t RotateRight8(unsigned value, unsigned count);

// Raises EConvertError when the password holds a character the ANSI code page
// cannot write.
std::string EncodePassword(const std::string& plain);
// Never raises: an undecodable cipher gives kPasswordErrorSentinel and an
// exception-log entry.
std::string DecodePassword(const std::string& cipher);

// Appends the account of the exception (may be null), with the label in the
// title line and the programmer's message, to the exception log. Never raises.
void WriteExceptionLog(const std::exception* e, const std::string& label,
                       const std::string& message);
// Appends one line; false when it could not be written. Never raises.
bool WriteExceptionLogLine(const std::string& text);
// "ClientPath", else "ServerPath" of the installation's registry key, else
// the system's temporary folder; "/tmp/" when the registry cannot be read.
std::string GetLogBaseFolder();

}  // namespace ktrb
