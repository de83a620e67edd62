#include "forms/OleExcel.h"

#include <cmath>

#include "platform/automation/oleobject.h"
#include "platform/component/classes.h"
#include "platform/component/properties.h"
#include "runtime/MireltaINI.h"

namespace ktrb {

using plat::Variant;

namespace {

constexpr const char* kTextFormat = "@";
constexpr const char* kIntegerFormat = "0_ ";
// The application's constants for fonts.
constexpr int kUnderlineSingle = 2, kUnderlineNone = -4142;
constexpr int kRed = 255;

enum class FontOrder { Text, Float };

void applyFont(plat::Dispatch& cell, const TExcelFont& font, FontOrder order) {
    plat::DispatchPtr f = cell.Get("Font").AsDispatch();
    auto style = [&] {
        if (font.Bold && font.Italic)
            f->Put("FontStyle", "Bold Italic");
        else if (font.Bold)
            f->Put("FontStyle", "Bold");
        else if (font.Italic)
            f->Put("FontStyle", "Italic");
    };
    auto lines = [&] {
        f->Put("Underline", font.Underline ? kUnderlineSingle : kUnderlineNone);
        f->Put("Strikethrough", font.StrikeOut ? -1 : 0);
    };
    f->Put("Name", font.Name);
    if (order == FontOrder::Text) {
        style();
        lines();
        f->Put("Size", font.Size);
    } else {
        f->Put("Size", font.Size);
        style();
        lines();
    }
}

}  // namespace

TOLEExcel::TOLEExcel(plat::TComponent* owner) : TComponent(owner) {
    UICodePage = "936";
    TMireltaIniC ini;
    if (!ini.UICodePage.empty()) UICodePage = ini.UICodePage;
}

TOLEExcel::~TOLEExcel() {
    // A destructor cannot report a failing application; letting go of it is
    // all that is left to do.
    try {
        SetConnected(false);
        if (autoCloseExcel_ && application_.IsDispatch()) application_.AsDispatch()->Call("Quit");
    } catch (const std::exception&) {
    }
    application_ = workbook_ = worksheet_ = Variant();
}

void TOLEExcel::SetConnected(bool value) {
    if (value) {
        application_ = Variant(plat::CreateOleObject(kExcelProgID));
    } else if (application_.IsDispatch()) {
        plat::DispatchPtr app = application_.AsDispatch();
        application_ = workbook_ = worksheet_ = Variant();
        connected_ = false;
        if (autoCloseExcel_) app->Call("Quit");
    }
    connected_ = application_.IsDispatch();
}

void TOLEExcel::SetVisible(bool value) {
    if (!application_.IsDispatch()) return;
    visible_ = value;
    application_.AsDispatch()->Put("Visible", value);
}

void TOLEExcel::NewWorkbook() {
    if (!application_.IsDispatch()) return;
    plat::DispatchPtr app = application_.AsDispatch();
    app->Put("SheetsInNewWorkbook", 1);
    workbook_ = app->Get("WorkBooks").AsDispatch()->Call("Add");
    if (workbook_.IsDispatch()) worksheet_ = workbook_.AsDispatch()->Get("ActiveSheet");
}

void TOLEExcel::SetSheetName(const std::string& name) {
    if (worksheet_.IsDispatch()) worksheet_.AsDispatch()->Put("Name", name);
}

void TOLEExcel::SaveAs(const std::string& fileName) {
    if (workbook_.IsDispatch()) workbook_.AsDispatch()->Call("SaveAs", fileName);
}

plat::DispatchPtr TOLEExcel::cell(int row, int col) const {
    return worksheet_.AsDispatch()->GetIndexed("Cells", row, col).AsDispatch();
}

void TOLEExcel::SelectCell(int row, int col) {
    cell(row, col)->Call("Select");
}

// The number format goes on the cell being written, so that every cell of a
// column keeps its own format (a code such as "0012" stays text).
void TOLEExcel::WriteText(int row, int col, const TExcelFont* font, bool asText,
                          const std::string& text) {
    if (asText || font) {
        plat::DispatchPtr c = cell(row, col);
        if (asText) c->Put("NumberFormatLocal", kTextFormat);
        if (font) applyFont(*c, *font, FontOrder::Text);
    }
    worksheet_.AsDispatch()->PutIndexed("Cells", Variant(text), row, col);
}

void TOLEExcel::WriteInteger(int row, int col, bool format, int32_t value) {
    if (format) cell(row, col)->Put("NumberFormatLocal", kIntegerFormat);
    worksheet_.AsDispatch()->PutIndexed("Cells", Variant(value), row, col);
}

void TOLEExcel::WriteFloat(int row, int col, const TExcelFont* font, bool format, double value) {
    if (format) {
        std::string numberFormat;
        GetNumberFormat(numberFormat);
        cell(row, col)->Put("NumberFormatLocal", numberFormat);
    }
    if (!font) {
        worksheet_.AsDispatch()->PutIndexed("Cells", Variant(value), row, col);
        return;
    }
    plat::DispatchPtr c = cell(row, col);
    if (CompareFloat(value, 0) == -1) c->Get("Font").AsDispatch()->Put("color", kRed);
    applyFont(*c, *font, FontOrder::Float);
    worksheet_.AsDispatch()->PutIndexed("Cells", Variant(value), row, col);
}

void TOLEExcel::GetNumberFormat(std::string& text) const {
    const std::string d = decimals_ == 0 ? "0" : "0." + std::string(decimals_, '0');
    const std::string g = ThousandSign.empty() ? "" : "#" + ThousandSign + "##";
    const std::string n = g + d;
    switch (NumberType) {
        case TNumberType::tp_Number1:
        case TNumberType::tp_Number2:
            text = n + "_);(" + n + ")";
            break;
        case TNumberType::tp_Number3:
            text = n + ";" + n;
            break;
        case TNumberType::tp_Number4:
            text = n + "_ ";
            break;
        case TNumberType::tp_Number5:
            text = n + "_ ;-" + n + " ";
            break;
        default:
            text.clear();
    }
}

int TOLEExcel::CompareFloat(double a, double b) {
    if (std::fabs(a - b) < 1e-8) return 0;
    return a > b ? 1 : -1;
}

PLAT_PUBLISH(TOLEExcel) {
    p.Prop("AutoCloseExcel", &TOLEExcel::AutoCloseExcel, &TOLEExcel::SetAutoCloseExcel);
    p.Prop("ExceptRaise", &TOLEExcel::ExceptRaise);
    p.Prop("BeforeConnect", &TOLEExcel::BeforeConnect);
    p.Prop("AfterConnect", &TOLEExcel::AfterConnect);
    p.Prop("OnOpenBook", &TOLEExcel::OnOpenBook);
    p.Prop("OnCloseBook", &TOLEExcel::OnCloseBook);
    p.Prop("DecimalSeparator", &TOLEExcel::DecimalSeparator);
    p.Prop("Visible", &TOLEExcel::Visible, &TOLEExcel::SetVisible);
    p.Prop("ThousandSign", &TOLEExcel::ThousandSign);
    p.Prop("UICodePage", &TOLEExcel::UICodePage);
}

void RegisterOleExcelClass() {
    plat::RegisterClass<TOLEExcel>();
}
void UnregisterOleExcelClass() {
    plat::UnRegisterClass(TOLEExcel::StaticClass());
}

}  // namespace ktrb
