// The striped data grid of every document window: alternating row colours
// with the current record's row marked, check-box cells from the module's
// own pictures, optional digit-box painting of money columns, and the
// stripes carried on below the last record, where a click appends a record.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/dbgrids.h"

namespace ktrb {

class TFDBGrid;

class TFDBGridColors : public plat::TPersistent {
    PLAT_CLASS(TFDBGridColors, plat::TPersistent)
  public:
    explicit TFDBGridColors(TFDBGrid* grid);
    plat::TColor OddRecColor() const { return odd_; }
    void SetOddRecColor(plat::TColor c);
    plat::TColor EvenRecColor() const { return even_; }
    void SetEvenRecColor(plat::TColor c);
    plat::TColor FocusRecColor() const { return focus_; }
    void SetFocusRecColor(plat::TColor c);

  private:
    void set(plat::TColor& field, plat::TColor c);
    TFDBGrid* grid_;
    plat::TColor even_ = 0, odd_ = 0, focus_ = 0;
};

enum class TTextLayout { tlTop, tlCenter, tlBottom };
PLAT_ENUM_INFO(TTextLayout, tlTop, tlCenter, tlBottom)

// Accounting-style painting of money fields: one box per digit, the
// thousands and the decimal point marked by coloured box lines.
class TCurrencyStyle : public plat::TPersistent {
    PLAT_CLASS(TCurrencyStyle, plat::TPersistent)
  public:
    explicit TCurrencyStyle(TFDBGrid* grid);
    void Assign(plat::TPersistent* source) override;
    void Changed();

    plat::TNotifyEvent OnChange;

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool v);
    plat::TFont* CurrencyFont() { return &currencyFont_; }
    void SetCurrencyFont(plat::TFont* f);
    plat::TFont* NegativeFont() { return &negativeFont_; }
    void SetNegativeFont(plat::TFont* f);
    int CHNWidth() const { return chnWidth_; }
    int ENGWidth() const { return engWidth_; }
    int CHNHeight() const { return chnHeight_; }
    int ENGHeight() const { return engHeight_; }
    const std::string& CurrencySymbol() const { return symbol_; }
    void SetCurrencySymbol(const std::string& v);
    bool CurrencySymbolAligned() const { return symbolAligned_; }
    void SetCurrencySymbolAligned(bool v);
    plat::TColor Color() const { return color_; }
    void SetColor(plat::TColor v) { color_ = v; }
    const std::string& DecimalFormat() const { return decimalFormat_; }
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int v);
    int DecimalNumber() const { return decimalNumber_; }
    void SetDecimalNumber(int n);
    int DigitalNumber() const { return digitalNumber_; }
    void SetDigitalNumber(int n);
    plat::TColor DecimalSeparatorColor() const { return decimalSepColor_; }
    void SetDecimalSeparatorColor(plat::TColor v);
    plat::TColor GridLineColor() const { return lineColor_; }
    void SetGridLineColor(plat::TColor v);
    int GridLineWidth() const { return lineWidth_; }
    void SetGridLineWidth(int v);
    plat::TColor KilobitSeparatorColor() const { return kiloColor_; }
    void SetKilobitSeparatorColor(plat::TColor v);
    plat::TColor NegativeColor() const { return negativeColor_; }
    void SetNegativeColor(plat::TColor v);
    bool ShowNegativeColor() const { return showNegColor_; }
    void SetShowNegativeColor(bool v);
    bool ShowNegativeFont() const { return showNegFont_; }
    void SetShowNegativeFont(bool v);
    bool ShowNegativeSign() const { return showNegSign_; }
    void SetShowNegativeSign(bool v);
    double Value() const { return valueSign_ * value_; }
    void SetValue(double x);
    bool ZeroEmpty() const { return zeroEmpty_; }
    void SetZeroEmpty(bool v);
    int DecimalPointCount() const { return decimalPointCount_; }
    TTextLayout TextLayout() const { return layout_; }
    void SetTextLayout(TTextLayout v);
    bool FixColWidth() const { return fixColWidth_; }
    void SetFixColWidth(bool v) { fixColWidth_ = v; }
    const std::string& CurrencyNames() const { return names_; }
    void SetCurrencyNames(const std::string& s);
    bool ColorUseGridCellColor() const { return useCellColor_; }
    void SetColorUseGridCellColor(bool v);
    // CurrencyNames one name (or name=decimals) per line.
    const std::vector<std::string>& CurrencyList() const { return list_; }

    // Paints a cell of a listed field as digit boxes; anything else is left.
    void PaintCurrencyCell(plat::TCanvas& canvas, const plat::TRect& rect,
                           const std::string& fieldName, double value, int topExtend, bool blank);
    void PaintDigitBoxes(plat::TCanvas& canvas, const plat::TRect& rect, double value, int decimals,
                         int topExtend, bool blank);
    void MeasureCurrencyFont();

  private:
    void changedIfNegative();
    TFDBGrid* grid_;
    plat::TFont currencyFont_, negativeFont_;
    std::string symbol_;
    int chnWidth_ = 0, engWidth_ = 0, chnHeight_ = 0, engHeight_ = 0;
    plat::TColor color_ = 0xFFFFFF;
    std::string decimalFormat_ = "0.00";
    int maxLength_ = 18;
    bool symbolAligned_ = false;
    int decimalNumber_ = 2;
    plat::TColor decimalSepColor_ = 0x0000FF;
    int digitalNumber_ = 10;
    plat::TColor lineColor_ = 0xC0C0C0;
    int lineWidth_ = 1;
    plat::TColor kiloColor_ = 0x008000;
    plat::TColor negativeColor_ = 0x0000FF;
    bool showNegColor_ = false, showNegFont_ = false, showNegSign_ = true;
    double value_ = 0;
    bool zeroEmpty_ = false;
    int decimalPointCount_ = 1;
    int valueSign_ = 1;
    TTextLayout layout_ = TTextLayout::tlCenter;
    bool fixColWidth_ = true;
    std::string names_;
    bool enabled_ = false;
    bool useCellColor_ = true;
    std::vector<std::string> list_;
};

class TFDBGrid : public plat::TCustomDataGrid {
    PLAT_CLASS(TFDBGrid, plat::TCustomDataGrid)
  public:
    explicit TFDBGrid(plat::TComponent* owner);
    ~TFDBGrid() override;

    TFDBGridColors* GridColors() const { return colors_; }
    // Takes the object; the grid frees it.
    void SetGridColors(TFDBGridColors* c);
    TCurrencyStyle* CHNCurrencyFields() const { return currency_.get(); }
    bool GrawGridInBlank() const { return blank_; }
    void SetGrawGridInBlank(bool v);
    plat::TColor LastStripeColor() const { return lastStripe_; }
    const plat::TBitmap& CheckedBitmap() const { return *checked_; }
    const plat::TBitmap& UncheckedBitmap() const { return *unchecked_; }

    // Top of the blank area: titles plus the data rows in view.
    int DataRowsHeight();
    // Bottom of the area where rows are painted.
    int DataAreaBottom();

  protected:
    void DoCalcCellColors(plat::TField* field, plat::TGridDrawState state, bool highlight,
                          plat::TFont* font, plat::TBrush* brush) override;
    void DrawCheckBox(const plat::TRect& rect, int col, int row, bool checked) override;
    void DrawDataCell(const plat::TRect& rect, plat::TField* field,
                      plat::TGridDrawState state) override;
    void PaintEmptyArea(const plat::TRect& area) override;
    void MouseDown(plat::TMouseButton button, plat::TShiftState shift, int x, int y) override;

  private:
    void paintBlankArea(int top);
    void paintBlankRow(int row, int x, int y);
    void drawBlankCellEdges(const plat::TRect& cell, bool notCut, bool fixed);
    int fixedDataCount();
    int selectColumnAt(int x, int y);
    std::unique_ptr<plat::TBitmap> checked_, unchecked_;
    plat::TColor lastStripe_ = 0;
    TFDBGridColors* colors_ = nullptr;
    std::unique_ptr<TCurrencyStyle> currency_;
    bool blank_ = true;
};

}  // namespace ktrb
