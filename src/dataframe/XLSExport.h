// TXLSExport: writes an .xls file directly, cell by cell, in the role of the
// report library's XLS export filter. Rows and columns count from 0. The
// file appears whole when the stream is closed, or not at all.
#pragma once
#include <string>

#include "platform/system/xlsworkbook.h"

namespace ktrb {

// Cell kinds of WriteCell.
inline constexpr int kXlsNumber = 2;
inline constexpr int kXlsText = 3;

class TXLSExport {
  public:
    explicit TXLSExport(std::string fileName);

    // Checks that the file can be made in its folder; raises EInOutError
    // when it cannot.
    void CreateStream();
    // A number cell takes the number its text reads (0 for a text that is
    // not one); any other kind is a text cell.
    void WriteCell(int kind, int row, int col, const std::string& text);
    // A number cell shown with a number format ("0.00"); a value that is not
    // finite is written as 0.
    void WriteNumber(int row, int col, double value, const std::string& format);
    // Width of a column in characters.
    void SetColumnWidth(int col, int chars);
    void StorePage() {}
    // Writes the file; raises EInOutError and leaves no file when it fails.
    void CloseStream();

    const std::string& FileName() const { return fileName_; }
    plat::TXlsWorkbook& Book() { return book_; }

  private:
    std::string fileName_;
    plat::TXlsWorkbook book_;
    bool open_ = false;
};

}  // namespace ktrb
