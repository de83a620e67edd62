// What the exports of the data modules ask of the layers above them: the
// spreadsheet automation component (the form layer's TOLEExcel, created by
// class name as the module's component "OLEExcel1") and a progress sink that
// the form layer's progress window fills.
#pragma once
#include <cstdint>
#include <string>

#include "platform/core/variant.h"

namespace ktrb {

inline constexpr const char* kOleExcelClassName = "TOLEExcel";
inline constexpr const char* kOleExcelComponentName = "OLEExcel1";

// A cell font as the spreadsheet application takes it.
struct TExcelFont {
    std::string Name = "宋体";
    double Size = 9;
    bool Bold = false, Italic = false, Underline = false, StrikeOut = false;
};

// The spreadsheet automation component. Rows and columns count from 1. Every
// failing automation call raises to the caller.
class IOleExcel {
  public:
    virtual bool Connected() const = 0;
    // True starts a new spreadsheet application; false lets it go (and quits
    // it when AutoCloseExcel).
    virtual void SetConnected(bool value) = 0;
    virtual bool AutoCloseExcel() const = 0;
    virtual void SetAutoCloseExcel(bool value) = 0;
    virtual void SetVisible(bool value) = 0;
    virtual uint16_t Decimals() const = 0;
    virtual void SetDecimals(uint16_t value) = 0;
    virtual void NewWorkbook() = 0;
    virtual void SetSheetName(const std::string& name) = 0;
    virtual void SaveAs(const std::string& fileName) = 0;
    virtual void SelectCell(int row, int col) = 0;
    // `font` may be null (no font settings).
    virtual void WriteText(int row, int col, const TExcelFont* font, bool asText,
                           const std::string& text) = 0;
    virtual void WriteInteger(int row, int col, bool format, int32_t value) = 0;
    virtual void WriteFloat(int row, int col, const TExcelFont* font, bool format,
                            double value) = 0;
    // The application object (Unassigned when not connected), for what the
    // component does not wrap: the selected cell's format and value, a
    // cell's font colour.
    virtual plat::Variant Application() const = 0;

  protected:
    ~IOleExcel() = default;
};

// Progress of a long export: the form layer's progress window, or nothing.
class IExportProgress {
  public:
    virtual ~IExportProgress() = default;
    // Shows the text and a gauge over min .. max (none when both are 0).
    virtual void Start(const std::string& text, int min, int max) = 0;
    virtual void SetMax(int max) = 0;
    // One unit done; never beyond the maximum.
    virtual void Step() = 0;
    // True when the user asked to stop; the export then ends without a file.
    virtual bool Cancelled() { return false; }
    virtual void Finish() = 0;
};

}  // namespace ktrb
