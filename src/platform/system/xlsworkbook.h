// A one-sheet spreadsheet in the binary .xls format (BIFF8 in a compound
// document), written without any outside library. It holds text and number
// cells with a number format and a font per cell, and column widths; texts
// are kept once in the shared-string table in Unicode. The spreadsheet
// application stand-in and the file export both write through it.
//
// The format's limits hold: 65536 rows, 256 columns, 32767 characters in a
// cell (a longer text is cut at a character boundary).
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace plat {

struct TXlsFont {
    std::string Name = "Arial";
    double Size = 10;  // points
    bool Bold = false, Italic = false, Underline = false, StrikeOut = false;
    // Colour index of the sheet's palette (1 black, 2 white, 3 red, ... 56);
    // 0 is the automatic colour.
    int ColorIndex = 0;

    bool operator==(const TXlsFont&) const = default;
};

enum class TXlsCellKind : uint8_t { Empty, Number, Text };

class TXlsWorkbook {
  public:
    static constexpr uint32_t kMaxRows = 65536;
    static constexpr uint32_t kMaxCols = 256;
    static constexpr size_t kMaxTextChars = 32767;  // UTF-16 units
    // The general number format.
    static constexpr uint16_t kGeneral = 0;

    explicit TXlsWorkbook(std::string sheetName = "Sheet1");

    // Sheet names are cut to 31 characters; the characters : \ / ? * [ ]
    // become "_" (the format refuses them).
    void SetSheetName(std::string_view name);
    const std::string& SheetName() const { return sheetName_; }

    // The style of a number format ("" or "General" is the general one) and
    // a font; the same pair gives the same style.
    uint16_t Style(std::string_view numberFormat, const TXlsFont& font = {});
    const std::string& StyleFormat(uint16_t style) const;
    const TXlsFont& StyleFont(uint16_t style) const;

    // Cell writers. Rows and columns count from 0; a cell outside the
    // format's limits, or a style not made by Style(), raises EListError; a
    // number that is not finite raises EConvertError.
    void SetNumber(uint32_t row, uint32_t col, double value, uint16_t style = kGeneral);
    void SetText(uint32_t row, uint32_t col, std::string_view utf8, uint16_t style = kGeneral);
    // The style of a cell, its value kept (an empty cell keeps the style).
    void SetStyle(uint32_t row, uint32_t col, uint16_t style);
    // Empties a cell; its style stays.
    void ClearValue(uint32_t row, uint32_t col);

    TXlsCellKind Kind(uint32_t row, uint32_t col) const;
    double Number(uint32_t row, uint32_t col) const;       // 0 unless a number cell
    std::string Text(uint32_t row, uint32_t col) const;    // "" unless a text cell
    uint16_t CellStyle(uint32_t row, uint32_t col) const;  // kGeneral for a cell never written

    // Width in 1/256 of a character; 0 restores the default width.
    void SetColumnWidth(uint32_t col, uint16_t width);

    // The whole file as bytes.
    std::string SaveToBytes() const;
    // Writes the file whole or not at all (a failure leaves no partial
    // file); raises EInOutError naming the file.
    void SaveToFile(const std::string& path) const;

  private:
    struct Cell {
        TXlsCellKind kind = TXlsCellKind::Empty;
        bool styled = false;
        uint16_t style = kGeneral;
        uint32_t text = 0;  // shared-string index
        double number = 0;
    };
    struct StyleKey {
        uint16_t format;  // index into formats_
        uint16_t font;    // index into fonts_
        bool operator==(const StyleKey&) const = default;
    };

    Cell& cell(uint32_t row, uint32_t col);
    const Cell* find(uint32_t row, uint32_t col) const;
    void checkStyle(uint16_t style) const;
    void writeGlobals(std::string& out, size_t& sheetOffsetAt) const;
    void writeSharedStrings(std::string& out) const;
    void writeSheet(std::string& out) const;

    std::string sheetName_;
    std::vector<std::vector<Cell>> rows_;
    std::vector<std::u16string> strings_;
    std::unordered_map<std::u16string, uint32_t> stringIndex_;
    std::vector<std::string> formats_;
    std::vector<TXlsFont> fonts_;
    std::vector<StyleKey> styles_;
    std::vector<uint16_t> widths_;
};

}  // namespace plat
