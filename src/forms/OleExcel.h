// TOLEExcel: drives the spreadsheet application ("Excel.Application") by late
// binding so that document data can be written into a new workbook cell by
// cell, with fonts and number formats, and saved. It holds the application,
// the workbook and the worksheet as automation variants and never touches a
// file itself. Failing automation calls raise to the caller; the guarded
// operations do nothing while their object is not set.
#pragma once
#include <cstdint>
#include <string>

#include "dataframe/ExportIntf.h"
#include "platform/component/component.h"

namespace ktrb {

enum class TDateType : uint8_t {
    tpDate_1,
    tpDate_2,
    tpDate_3,
    tpDate_4,
    tpDate_5,
    tpDate_6,
    tpDate_7,
    tpDate_8,
    tpDate_9,
    tpDate_10,
    tpDate_11
};
enum class TTimeType : uint8_t {
    tp_Time1,
    tp_Time2,
    tp_Time3,
    tp_Time4,
    tp_Time5,
    tp_Time6,
    tp_Time7,
    tp_Time8
};
enum class TDateTimeType : uint8_t { tp_DateTime1, tp_DateTime2 };
// The shape of the number format (see GetNumberFormat).
enum class TNumberType : uint8_t { tp_Number1, tp_Number2, tp_Number3, tp_Number4, tp_Number5 };

inline constexpr const char* kExcelProgID = "Excel.Application";

class TOLEExcel : public plat::TComponent, public IOleExcel {
    PLAT_CLASS(TOLEExcel, TComponent)
  public:
    explicit TOLEExcel(plat::TComponent* owner);
    ~TOLEExcel() override;

    // ---- published ----
    bool ExceptRaise = true;                                                  // stored only
    plat::TNotifyEvent BeforeConnect, AfterConnect, OnOpenBook, OnCloseBook;  // never fired
    char DecimalSeparator = '.';                                              // stored only
    TDateType DateType = TDateType::tpDate_8;                                 // stored only
    TTimeType TimeType = TTimeType::tp_Time1;                                 // stored only
    TDateTimeType DateTimeType = TDateTimeType::tp_DateTime1;                 // stored only
    TNumberType NumberType = TNumberType::tp_Number4;
    // Thousands separator of the number format; empty: no grouping.
    std::string ThousandSign = ",";
    std::string UICodePage;  // stored only

    bool AutoCloseExcel() const override { return autoCloseExcel_; }
    void SetAutoCloseExcel(bool value) override { autoCloseExcel_ = value; }
    uint16_t Decimals() const override { return decimals_; }
    void SetDecimals(uint16_t value) override { decimals_ = value; }
    bool Visible() const { return visible_; }
    void SetVisible(bool value) override;

    bool Connected() const override { return connected_; }
    void SetConnected(bool value) override;
    void NewWorkbook() override;
    void SetSheetName(const std::string& name) override;
    void SaveAs(const std::string& fileName) override;
    void SelectCell(int row, int col) override;
    void WriteText(int row, int col, const TExcelFont* font, bool asText,
                   const std::string& text) override;
    void WriteInteger(int row, int col, bool format, int32_t value) override;
    void WriteFloat(int row, int col, const TExcelFont* font, bool format, double value) override;
    plat::Variant Application() const override { return application_; }
    const plat::Variant& Workbook() const { return workbook_; }
    const plat::Variant& Worksheet() const { return worksheet_; }

    // The number format of the current Decimals, ThousandSign and NumberType.
    void GetNumberFormat(std::string& text) const;
    // 0 when the two differ by less than 1e-8, else 1 or -1.
    static int CompareFloat(double a, double b);

  private:
    plat::DispatchPtr cell(int row, int col) const;

    plat::Variant application_, workbook_, worksheet_;
    bool connected_ = false;
    bool autoCloseExcel_ = true;
    uint16_t decimals_ = 0;
    bool visible_ = false;
};

// Registers TOLEExcel by class name, so that the data modules can create
// their component "OLEExcel1"; and takes it back.
void RegisterOleExcelClass();
void UnregisterOleExcelClass();

}  // namespace ktrb
