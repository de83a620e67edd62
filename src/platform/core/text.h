// Text as the platform handles it. Inside, every text is UTF-8; code pages
// appear only at the edges (files, byte routines, clipboard formats).
//
// Widths count the text as the ANSI/database code page writes it: a character
// the code page writes in one byte is 1 (ASCII, the euro sign of 936), every
// other character is 2 (CJK, and characters the code page cannot write, so a
// width limit is never exceeded by their replacement either). Bytes that are
// not valid UTF-8 count 1 each.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace plat {

enum class CodePage : int { Gbk = 936, Big5 = 950, Us = 437 };

// 936, 950 or 437; anything else raises EConvertError.
CodePage CodePageFromNumber(int number);
bool TryCodePageFromNumber(int number, CodePage& out);

// The process-wide ANSI and database code page (936 unless set).
CodePage AnsiCodePage();
void SetAnsiCodePage(CodePage cp);

// Sets the ANSI code page for its lifetime and restores the previous one.
class AnsiCodePageScope {
  public:
    explicit AnsiCodePageScope(CodePage cp) : saved_(AnsiCodePage()) { SetAnsiCodePage(cp); }
    ~AnsiCodePageScope() { SetAnsiCodePage(saved_); }
    AnsiCodePageScope(const AnsiCodePageScope&) = delete;
    AnsiCodePageScope& operator=(const AnsiCodePageScope&) = delete;

  private:
    CodePage saved_;
};

// The extension groups of Big5 used for site-defined characters: byte pairs
// with a trail byte 0x80..0xA0 map to U+A001..U+C07F, and 0xA3 0xC0..0xFE
// (except 0xA3 0xE0) to U+C101..U+C13F. Off unless switched on; applies to
// code page 950 only.
void SetBig5ExtensionGroups(bool on);
bool Big5ExtensionGroups();

// Strict conversions: a character the code page cannot write, bytes that are
// not valid in the code page, or input that is not valid UTF-8 raise
// EConvertError naming the offset. Nothing is dropped silently.
std::string ToCodePage(std::string_view utf8, CodePage cp);
std::string FromCodePage(std::string_view bytes, CodePage cp);
std::string ToAnsi(std::string_view utf8);     // in AnsiCodePage()
std::string FromAnsi(std::string_view bytes);  // in AnsiCodePage()

// Replacing conversions: each character that cannot be written becomes "?",
// each invalid byte sequence becomes U+FFFD; the caller gets the count.
struct ConvertedText {
    std::string text;
    int replaced = 0;
};
ConvertedText ToCodePageReplacing(std::string_view utf8, CodePage cp);
ConvertedText FromCodePageReplacing(std::string_view bytes, CodePage cp);

bool IsValidUtf8(std::string_view s);

// Code points of a text and back, for the controls that move a caret by
// characters. The reading is lenient: a stray byte, or a sequence cut short
// by the end of the text, counts as one character of that byte's value.
// Bytes of the UTF-8 sequence starting at s[i] (1 for a stray byte).
size_t Utf8Length(const std::string& s, size_t i);
std::u32string Utf8ToU32(const std::string& s);
std::string U32ToUtf8(const std::u32string& u);
std::string U32ToUtf8(char32_t c);

// Width in the code page (see top of file) and cuts that never split a character.
int TextWidth(std::string_view utf8);
int TextWidth(std::string_view utf8, CodePage cp);
// The longest head of the text whose width is at most `width`.
std::string CutToWidth(std::string_view utf8, int width);
std::string CutToWidth(std::string_view utf8, int width, CodePage cp);
// Fill after (Right) or before (Left) the text up to `width`; a wider text is
// returned unchanged.
std::string PadRightToWidth(std::string_view utf8, int width, char fill = ' ');
std::string PadLeftToWidth(std::string_view utf8, int width, char fill = ' ');

// Case. UpperCase/LowerCase touch ASCII letters only. The Ansi forms also
// fold Latin-1, Greek, Cyrillic and full-width Latin letters; both keep the
// byte length, so positions found in a folded copy apply to the original.
std::string UpperCase(std::string_view s);
std::string LowerCase(std::string_view s);
std::string AnsiUpperCase(std::string_view s);
std::string AnsiLowerCase(std::string_view s);

// Comparisons, locale-independent: <0, 0, >0.
int CompareStr(std::string_view a, std::string_view b);       // byte-wise
int CompareText(std::string_view a, std::string_view b);      // ASCII case ignored
int AnsiCompareText(std::string_view a, std::string_view b);  // Ansi case ignored
bool SameText(std::string_view a, std::string_view b);
bool AnsiSameText(std::string_view a, std::string_view b);

// Trims blanks and control characters (every byte <= ' ').
std::string Trim(std::string_view s);
std::string TrimLeft(std::string_view s);
std::string TrimRight(std::string_view s);

// 1-based byte position of `sub` in `s`, 0 when absent or `sub` is empty.
// PosEx starts at `offset` (1-based); an offset outside the text gives 0.
int Pos(std::string_view sub, std::string_view s);
int PosEx(std::string_view sub, std::string_view s, int offset);

enum class ReplaceFlags : unsigned { None = 0, All = 1, IgnoreCase = 2 };
constexpr ReplaceFlags operator|(ReplaceFlags a, ReplaceFlags b) {
    return ReplaceFlags((unsigned)a | (unsigned)b);
}
constexpr bool HasFlag(ReplaceFlags set, ReplaceFlags f) {
    return ((unsigned)set & (unsigned)f) != 0;
}
// Replaces the first (or every) occurrence; an empty `from` replaces nothing.
// IgnoreCase compares by AnsiUpperCase.
std::string StringReplace(std::string_view s, std::string_view from, std::string_view to,
                          ReplaceFlags flags);

// The text in quotes with each quote inside doubled.
std::string QuotedStr(std::string_view s, char quote = '\'');
// Upper-case hexadecimal with at least `digits` digits; negative values are
// written as their 32- or 64-bit two's complement.
std::string IntToHex(int32_t v, int digits);
std::string IntToHex(int64_t v, int digits);

}  // namespace plat
