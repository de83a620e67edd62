// Simplified/traditional conversion of Chinese text on encoded bytes: GB
// (code page 936) to Big5 (code page 950) and back.
//
// The table conversion looks every double-byte character up in the table
// file "Language" of the client folder (else of the host program's folder)
// and falls back to the plain code-page conversion of the character where the
// table gives nothing. The tables are loaded once per process, on first use.
//
// TTranslator reaches the same conversion through the conversion library
// "Qvlanguage.dll" and its two entries. Libraries are looked up by name among
// those registered in the process; "Qvlanguage.dll" is registered from the
// start and converts by the table.
#pragma once
#include <functional>
#include <memory>
#include <string>

namespace ktrb {

// Character index of a byte pair in the GB and in the Big5 table; -1 when the
// pair lies outside the table.
int GbCharIndex(unsigned char lead, unsigned char trail);
int Big5CharIndex(unsigned char lead, unsigned char trail);

// Raise EConvertError when the table file holds a malformed value.
std::string GbToBig5Text(const std::string& gbBytes);
std::string Big5ToGbText(const std::string& big5Bytes);

// Drops the loaded tables (the library's unload); the next conversion loads
// them again.
void ReleaseLanguageTables();

// Shows a plain message (the missing table file). The windows layer installs
// a message box; until then the text goes to the "libstrs" alert log. Returns
// the handler it replaces; an empty handler restores the alert log.
using PlainMessageHandler = std::function<void(const std::string& text)>;
PlainMessageHandler SetPlainMessageHandler(PlainMessageHandler handler);

// ---- Conversion libraries ---------------------------------------------------

// An entry takes the source text and writes the converted text to `result`.
using ConverterEntry = void (*)(const std::string& source, std::string& result);

struct ConversionLibrary {
    ConverterEntry GBtoBIG5 = nullptr;
    ConverterEntry BIG5toGB = nullptr;
};

inline constexpr const char* kTranslatorLibrary = "Qvlanguage.dll";

// Registers (or replaces) a library under a file name; a library can be
// unregistered again, so that loading it fails.
void RegisterConversionLibrary(const std::string& name, const ConversionLibrary& library);
void UnregisterConversionLibrary(const std::string& name);

class TTranslator {
  public:
    // Raises plat::Exception "Load Library Qvlanguage.dll Error!" when the
    // library is not there and "Get Library Procedure Address Error!" when an
    // entry is missing.
    TTranslator();
    ~TTranslator();
    TTranslator(const TTranslator&) = delete;
    TTranslator& operator=(const TTranslator&) = delete;

    std::string GbToBig5(const std::string& text) const;
    std::string Big5ToGb(const std::string& text) const;

  private:
    std::shared_ptr<const ConversionLibrary> library_;
};

}  // namespace ktrb
