#include "standins/servers/spreadsheet_app.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/core/exceptions.h"
#include "platform/system/desktop.h"
#include "platform/system/xlsworkbook.h"

namespace standin {

using plat::DispArgs;
using plat::DispatchKind;
using plat::Variant;

namespace {

constexpr const char* kTextFormat = "@";
constexpr const char* kLocalGeneral = "G/通用格式";
// The application's constants for fonts.
constexpr int kUnderlineSingle = 2, kUnderlineNone = -4142;

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower((unsigned char)a[i]) != std::tolower((unsigned char)b[i])) return false;
    return true;
}

// A plain decimal number, as the application takes a typed text for one.
bool parseNumber(const std::string& s, double& out) {
    size_t i = 0, n = s.size();
    if (i < n && (s[i] == '+' || s[i] == '-')) ++i;
    size_t digits = 0;
    while (i < n && std::isdigit((unsigned char)s[i])) ++i, ++digits;
    if (i < n && s[i] == '.') {
        ++i;
        while (i < n && std::isdigit((unsigned char)s[i])) ++i, ++digits;
    }
    if (!digits) return false;
    if (i < n && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < n && (s[i] == '+' || s[i] == '-')) ++i;
        size_t exp = 0;
        while (i < n && std::isdigit((unsigned char)s[i])) ++i, ++exp;
        if (!exp) return false;
    }
    if (i != n) return false;
    out = std::strtod(s.c_str(), nullptr);
    return std::isfinite(out);
}

// The first eight entries of the default palette, as 0xBBGGRR colours.
constexpr int kPalette[8] = {0x000000, 0xFFFFFF, 0x0000FF, 0x00FF00,
                             0xFF0000, 0x00FFFF, 0xFF00FF, 0xFFFF00};

int nearestColorIndex(int bgr) {
    int best = 1;
    long bestDistance = -1;
    for (int i = 0; i < 8; ++i) {
        long d = 0;
        for (int shift = 0; shift < 24; shift += 8) {
            const long c = ((bgr >> shift) & 0xFF) - ((kPalette[i] >> shift) & 0xFF);
            d += c * c;
        }
        if (bestDistance < 0 || d < bestDistance) {
            bestDistance = d;
            best = i + 1;
        }
    }
    return best;
}

[[noreturn]] void unknown(std::string_view name, const char* object) {
    throw plat::EOleSysError("Unknown name: " + std::string(name) + " (" + object + ")",
                             plat::kUnknownName);
}

const Variant& lastArg(DispArgs args, std::string_view name) {
    if (args.empty())
        throw plat::EOleSysError("Invalid number of parameters: " + std::string(name),
                                 plat::kBadParamCount);
    return args.back();
}

struct Sheet {
    plat::TXlsWorkbook book;
    std::string fullName;
};

struct AppState {
    bool visible = false;
    int sheetsInNewWorkbook = 1;
    std::vector<std::shared_ptr<Sheet>> books;
    // The selected cell, kept as a position: a cell object kept here would
    // hold this state alive for ever.
    std::shared_ptr<Sheet> selectedSheet;
    uint32_t selectedRow = 0, selectedCol = 0;
};

struct CellRef {
    std::shared_ptr<Sheet> sheet;
    uint32_t row, col;  // from 0

    std::string format() const { return sheet->book.StyleFormat(style()); }
    plat::TXlsFont font() const { return sheet->book.StyleFont(style()); }
    uint16_t style() const { return sheet->book.CellStyle(row, col); }
    void setFormat(std::string f) {
        if (f == kLocalGeneral) f = "General";
        sheet->book.SetStyle(row, col, sheet->book.Style(f, font()));
    }
    void setFont(const plat::TXlsFont& f) {
        sheet->book.SetStyle(row, col, sheet->book.Style(format(), f));
    }
    Variant value() const {
        switch (sheet->book.Kind(row, col)) {
            case plat::TXlsCellKind::Number:
                return Variant(sheet->book.Number(row, col));
            case plat::TXlsCellKind::Text:
                return Variant(sheet->book.Text(row, col));
            default:
                return Variant();
        }
    }
    void setValue(const Variant& v) {
        const uint16_t s = style();
        if (v.IsEmptyOrNull()) {
            sheet->book.ClearValue(row, col);
        } else if (v.Type() == plat::VarType::Boolean) {
            sheet->book.SetText(row, col, v.AsBoolean() ? "TRUE" : "FALSE", s);
        } else if (v.IsNumeric()) {
            sheet->book.SetNumber(row, col, v.AsFloat(), s);
        } else {
            const std::string text = v.AsString();
            double number;
            if (format() != kTextFormat && parseNumber(text, number))
                sheet->book.SetNumber(row, col, number, s);
            else
                sheet->book.SetText(row, col, text, s);
        }
    }
};

// Cells and their fonts are made for every write, so they answer by a
// switch rather than a member table.
class FontObject : public plat::Dispatch {
  public:
    explicit FontObject(CellRef cell) : cell_(std::move(cell)) {}
    std::string DispatchName() const override { return "Font"; }
    bool HasMember(std::string_view name) const override { return member(name) >= 0; }

  protected:
    Variant DoInvoke(std::string_view name, DispatchKind kind, DispArgs args) override {
        const int m = member(name);
        if (m < 0) unknown(name, "Font");
        plat::TXlsFont f = cell_.font();
        if (kind != DispatchKind::PropertyPut) {
            switch (m) {
                case 0:
                    return Variant(f.Name);
                case 1:
                    return Variant(f.Size);
                case 2:
                    return Variant(f.Bold);
                case 3:
                    return Variant(f.Italic);
                case 4:
                    return Variant(f.Bold && f.Italic ? "Bold Italic"
                                   : f.Bold           ? "Bold"
                                   : f.Italic         ? "Italic"
                                                      : "Regular");
                case 5:
                    return Variant(f.Underline ? kUnderlineSingle : kUnderlineNone);
                case 6:
                    return Variant(f.StrikeOut);
                case 7:
                    return Variant(kPalette[((f.ColorIndex ? f.ColorIndex : 1) - 1) % 8]);
                default:
                    return Variant(f.ColorIndex ? f.ColorIndex : 1);
            }
        }
        const Variant& v = lastArg(args, name);
        switch (m) {
            case 0:
                f.Name = v.AsString();
                break;
            case 1:
                f.Size = v.AsFloat();
                break;
            case 2:
                f.Bold = v.AsBoolean();
                break;
            case 3:
                f.Italic = v.AsBoolean();
                break;
            case 4: {
                const std::string s = v.AsString();
                f.Bold = s.find("Bold") != std::string::npos;
                f.Italic = s.find("Italic") != std::string::npos;
                break;
            }
            case 5:
                f.Underline = v.AsInteger() != kUnderlineNone && v.AsInteger() != 0;
                break;
            case 6:
                f.StrikeOut = v.AsBoolean();
                break;
            case 7:
                f.ColorIndex = nearestColorIndex(v.AsInteger());
                break;
            default: {
                const int index = v.AsInteger();
                if (index < 1 || index > 56)
                    throw plat::EConvertError("Unable to set the ColorIndex property");
                f.ColorIndex = index;
            }
        }
        cell_.setFont(f);
        return Variant();
    }

  private:
    static int member(std::string_view name) {
        static const char* const kNames[] = {"Name",          "Size",      "Bold",
                                             "Italic",        "FontStyle", "Underline",
                                             "Strikethrough", "Color",     "ColorIndex"};
        for (int i = 0; i < 9; ++i)
            if (sameName(name, kNames[i])) return i;
        return -1;
    }
    CellRef cell_;
};

class CellObject : public plat::Dispatch {
  public:
    CellObject(CellRef cell, std::shared_ptr<AppState> app)
        : cell_(std::move(cell)), app_(std::move(app)) {}
    std::string DispatchName() const override { return "Range"; }
    bool HasMember(std::string_view name) const override { return member(name) >= 0; }

  protected:
    Variant DoInvoke(std::string_view name, DispatchKind kind, DispArgs args) override {
        const int m = member(name);
        if (m < 0) unknown(name, "Range");
        const bool put = kind == DispatchKind::PropertyPut;
        switch (m) {
            case 0:
                if (!put) return cell_.value();
                cell_.setValue(lastArg(args, name));
                return Variant();
            case 1:
            case 2:
                if (!put) return Variant(cell_.format());
                cell_.setFormat(lastArg(args, name).AsString());
                return Variant();
            case 3:
                return Variant(plat::DispatchPtr(std::make_shared<FontObject>(cell_)));
            case 4:
                app_->selectedSheet = cell_.sheet;
                app_->selectedRow = cell_.row;
                app_->selectedCol = cell_.col;
                return Variant(true);
            case 5:
                return Variant((int)cell_.row + 1);
            default:
                return Variant((int)cell_.col + 1);
        }
    }

  private:
    static int member(std::string_view name) {
        static const char* const kNames[] = {
            "Value", "NumberFormat", "NumberFormatLocal", "Font", "Select", "Row", "Column"};
        for (int i = 0; i < 7; ++i)
            if (sameName(name, kNames[i])) return i;
        return -1;
    }
    CellRef cell_;
    std::shared_ptr<AppState> app_;
};

uint32_t cellIndex(const Variant& v, uint32_t limit, const char* what) {
    const int i = v.AsInteger();
    if (i < 1 || (uint32_t)i > limit)
        throw plat::EListError(std::string(what) + " " + std::to_string(i) + " is out of range");
    return (uint32_t)i - 1;
}

class WorksheetObject : public plat::DispatchObject {
  public:
    WorksheetObject(std::shared_ptr<Sheet> sheet, std::shared_ptr<AppState> app)
        : DispatchObject("Worksheet"), sheet_(std::move(sheet)), app_(std::move(app)) {
        Property(
            "Name", [this] { return Variant(sheet_->book.SheetName()); },
            [this](const Variant& v) { sheet_->book.SetSheetName(v.AsString()); });
        IndexedProperty(
            "Cells", [this](DispArgs a) { return Variant(plat::DispatchPtr(cellObject(a))); },
            [this](DispArgs a, const Variant& v) {
                CellRef c = ref(a);
                c.setValue(v);
            },
            2, 2);
    }

  private:
    CellRef ref(DispArgs a) const {
        return CellRef{sheet_, cellIndex(a[0], plat::TXlsWorkbook::kMaxRows, "Row"),
                       cellIndex(a[1], plat::TXlsWorkbook::kMaxCols, "Column")};
    }
    std::shared_ptr<CellObject> cellObject(DispArgs a) const {
        return std::make_shared<CellObject>(ref(a), app_);
    }
    std::shared_ptr<Sheet> sheet_;
    std::shared_ptr<AppState> app_;
};

class WorkbookObject : public plat::DispatchObject {
  public:
    WorkbookObject(std::shared_ptr<Sheet> sheet, std::shared_ptr<AppState> app)
        : DispatchObject("Workbook"), sheet_(sheet) {
        auto worksheet = std::make_shared<WorksheetObject>(sheet, app);
        Property("ActiveSheet", [worksheet] { return Variant(plat::DispatchPtr(worksheet)); });
        Property("FullName", [this] { return Variant(sheet_->fullName); });
        Method(
            "SaveAs",
            [this](DispArgs a) {
                const std::string file = a[0].AsString();
                sheet_->book.SaveToFile(file);
                sheet_->fullName = file;
                return Variant();
            },
            1);
        Method("Close", [app, this](DispArgs) {
            std::erase(app->books, sheet_);
            return Variant(true);
        });
    }

    const std::shared_ptr<Sheet>& sheet() const { return sheet_; }

  private:
    std::shared_ptr<Sheet> sheet_;
};

class ApplicationObject : public plat::DispatchObject {
  public:
    ApplicationObject() : DispatchObject("Excel.Application"), app_(std::make_shared<AppState>()) {
        Property(
            "Visible", [this] { return Variant(app_->visible); },
            [this](const Variant& v) { setVisible(v.AsBoolean()); });
        Property(
            "SheetsInNewWorkbook", [this] { return Variant(app_->sheetsInNewWorkbook); },
            [this](const Variant& v) {
                if (v.AsInteger() < 1) throw plat::EConvertError("At least one sheet");
                app_->sheetsInNewWorkbook = v.AsInteger();
            });
        workbooks_ = std::make_shared<Workbooks>(this);
        Property("Workbooks", [this] { return Variant(plat::DispatchPtr(workbooks_)); });
        Property("ActiveWorkbook", [this] { return active(); });
        Property("ActiveSheet", [this] {
            Variant book = active();
            return book.IsEmpty() ? book : book.AsDispatch()->Get("ActiveSheet");
        });
        Property("Selection", [this] { return selection(); });
        Property("ActiveCell", [this] { return selection(); });
        Method("Quit", [this](DispArgs) {
            app_->books.clear();
            bookObjects_.clear();
            app_->selectedSheet.reset();
            app_->visible = false;
            return Variant();
        });
    }

  private:
    class Workbooks : public plat::DispatchObject {
      public:
        explicit Workbooks(ApplicationObject* owner) : DispatchObject("Workbooks") {
            Method("Add", [owner](DispArgs) { return owner->addBook(); });
            Property("Count", [owner] { return Variant((int)owner->app_->books.size()); });
            IndexedProperty(
                "Item",
                [owner](DispArgs a) {
                    const int i = a[0].AsInteger();
                    if (i < 1 || (size_t)i > owner->bookObjects_.size())
                        throw plat::EListError("Workbook index out of range");
                    return Variant(plat::DispatchPtr(owner->bookObjects_[i - 1]));
                },
                {}, 1, 1);
        }
    };

    Variant addBook() {
        auto sheet = std::make_shared<Sheet>();
        app_->books.push_back(sheet);
        auto book = std::make_shared<WorkbookObject>(sheet, app_);
        bookObjects_.push_back(book);
        return Variant(plat::DispatchPtr(book));
    }
    Variant active() const {
        // A closed workbook leaves the list of books; its object goes too.
        for (auto it = bookObjects_.rbegin(); it != bookObjects_.rend(); ++it)
            if (std::find(app_->books.begin(), app_->books.end(), (*it)->sheet()) !=
                app_->books.end())
                return Variant(plat::DispatchPtr(*it));
        return Variant();
    }
    Variant selection() const {
        if (!app_->selectedSheet) return Variant();
        CellRef cell{app_->selectedSheet, app_->selectedRow, app_->selectedCol};
        return Variant(plat::DispatchPtr(std::make_shared<CellObject>(cell, app_)));
    }
    void setVisible(bool on) {
        const bool shown = on && !app_->visible;
        app_->visible = on;
        if (!shown) return;
        for (const auto& book : app_->books)
            if (!book->fullName.empty()) plat::DesktopLauncher().Open(book->fullName);
    }

    std::shared_ptr<AppState> app_;
    std::shared_ptr<Workbooks> workbooks_;
    std::vector<std::shared_ptr<WorkbookObject>> bookObjects_;
};

}  // namespace

std::shared_ptr<plat::Dispatch> CreateSpreadsheetApplication() {
    return std::make_shared<ApplicationObject>();
}

}  // namespace standin
