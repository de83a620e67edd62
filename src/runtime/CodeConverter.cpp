#include "runtime/CodeConverter.h"

#include <algorithm>
#include <exception>
#include <initializer_list>

#include "platform/component/collection.h"
#include "platform/component/properties.h"
#include "platform/core/text.h"
#include "runtime/LibStrs.h"
#include "runtime/MireltaINI.h"

namespace ktrb {

namespace {

ICodeConverterUi* g_ui = nullptr;

constexpr char kEntryDelimiter = '\3';
constexpr const char* kDialogFont = "SimSun";
constexpr int kGB2312Charset = 134;
constexpr int kBig5Charset = 136;

bool isDirection(int d) {
    return d == kBig5ToGB || d == kGBToBig5;
}

bool isStringKind(plat::TTypeKind k) {
    return k == plat::TTypeKind::tkString || k == plat::TTypeKind::tkLString ||
           k == plat::TTypeKind::tkWString;
}

// Length of the UTF-8 sequence that starts with b; 1 for a stray byte.
size_t sequenceLength(const std::string& s, size_t i) {
    unsigned char b = (unsigned char)s[i];
    size_t n = b < 0x80 ? 1 : (b >> 5) == 0x6 ? 2 : (b >> 4) == 0xE ? 3 : (b >> 3) == 0x1E ? 4 : 1;
    if (i + n > s.size() || !plat::IsValidUtf8(std::string_view(s).substr(i, n))) return 1;
    return n;
}

// The items of an object under a name: what its class publishes by index,
// else the items of the collection its property of that name holds.
std::vector<plat::TObject*> itemsOf(plat::TObject* object, const char* name) {
    std::vector<plat::TObject*> items;
    plat::TObject* holder = object;
    int count = plat::GetIndexedCount(object, name);
    if (count < 0) {
        holder = dynamic_cast<plat::TCollection*>(plat::GetSubObject(object, name));
        count = holder ? plat::GetIndexedCount(holder, name) : 0;
    }
    for (int i = 0; i < count; ++i)
        if (plat::TObject* item = plat::GetIndexedItem(holder, name, i)) items.push_back(item);
    return items;
}

const plat::TPropInfo* strPropOf(const plat::TObject* object, const char* name) {
    const plat::TPropInfo* p = plat::GetPropInfo(object, name);
    return p && isStringKind(p->Kind()) ? p : nullptr;
}

void setOrdIfPublished(plat::TObject* object, const char* name, int64_t value) {
    if (const plat::TPropInfo* p = plat::GetPropInfo(object, name))
        plat::SetOrdProp(object, *p, value);
}

// A combo box's selection, for the converters that replace its items.
struct ItemIndexKeeper {
    plat::TObject* combo = nullptr;
    int64_t index = -1;
    explicit ItemIndexKeeper(plat::TObject* c) {
        if (!c->InheritsFrom("TComboBox") || plat::GetStringsProp(c, "Items").empty()) return;
        combo = c;
        index = plat::GetOrdProp(c, "ItemIndex");
    }
    void restoreIfLost() const {
        if (combo && plat::GetOrdProp(combo, "ItemIndex") < 0)
            plat::SetOrdProp(combo, "ItemIndex", index);
    }
};

// The class conversions of a form's components.
enum class ClassAction {
    ListView,
    TabSet,
    SelectPanel,
    ComboStyle,
    MenuOwnerDraw,
    Navigator,
    TreeOrGrid
};

constexpr unsigned modeBit(int mode) {
    return 1u << mode;
}
constexpr unsigned kAnyButZero = modeBit(1) | modeBit(2) | modeBit(3) | modeBit(4);

struct ClassRule {
    std::initializer_list<const char*> classes;
    unsigned modes;
    ClassAction action;
    bool gridsOnly;  // grids take part only when asked to
};

// In each group the first rule that fits the component and the mode applies.
const ClassRule kFirstGroup[] = {
    {{"TListView"}, modeBit(1), ClassAction::ListView, false},
    {{"TTabSet"}, modeBit(2) | modeBit(1), ClassAction::TabSet, false},
    {{"TSelectPanel"}, modeBit(1), ClassAction::SelectPanel, false},
    {{"TComboBox"}, modeBit(1), ClassAction::ComboStyle, false},
    {{"TPopupMenu", "TMainMenu"}, kAnyButZero, ClassAction::MenuOwnerDraw, false},
    {{"TDBNavigator"}, modeBit(1), ClassAction::Navigator, false},
    {{"TTreeView"}, modeBit(1), ClassAction::TreeOrGrid, false},
    {{"TStringAlignGrid", "TStringGrid"}, modeBit(1), ClassAction::TreeOrGrid, true},
};
const ClassRule kSecondGroup[] = {
    {{"TListView"}, modeBit(2), ClassAction::ListView, false},
    {{"TSelectPanel"}, modeBit(2), ClassAction::SelectPanel, false},
    {{"TComboBox"}, modeBit(2), ClassAction::ComboStyle, false},
    {{"TDBNavigator"}, modeBit(2), ClassAction::Navigator, false},
    {{"TTreeView"}, modeBit(2), ClassAction::TreeOrGrid, false},
    {{"TStringAlignGrid", "TStringGrid"}, modeBit(2), ClassAction::TreeOrGrid, true},
};

template <size_t N>
const ClassRule* firstFit(const ClassRule (&rules)[N], const plat::TObject* c, int mode,
                          bool includeGrids) {
    if (mode < 0 || mode > 4) return nullptr;
    for (const ClassRule& r : rules) {
        if (!(r.modes & modeBit(mode)) || (r.gridsOnly && !includeGrids)) continue;
        for (const char* cls : r.classes)
            if (c->InheritsFrom(cls)) return &r;
    }
    return nullptr;
}

using PropertyConverter = void (TCodeConverter::*)(plat::TObject*, int);

struct NamedConverter {
    const char* name;
    PropertyConverter convert;
};

// Order of the properties for a component the name list names.
const NamedConverter kListedOrder[] = {
    {"Caption", &TCodeConverter::ConvertCaption},
    {"Hint", &TCodeConverter::ConvertHints},
    {"Font", &TCodeConverter::ConvertFontProperty},
    {"TitleFont", &TCodeConverter::ConvertTitleFont},
    {"Items", &TCodeConverter::ConvertItems},
    {"Lines", &TCodeConverter::ConvertLines},
    {"Text", &TCodeConverter::ConvertTextProperty},
    {"Style", &TCodeConverter::ConvertStyle},
    {"Panels", &TCodeConverter::ConvertPanels},
};
// Order for every other component.
const PropertyConverter kPlainOrder[] = {
    &TCodeConverter::ConvertFontProperty, &TCodeConverter::ConvertTitleFont,
    &TCodeConverter::ConvertCaption,      &TCodeConverter::ConvertHints,
    &TCodeConverter::ConvertItems,        &TCodeConverter::ConvertLines,
    &TCodeConverter::ConvertTextProperty, &TCodeConverter::ConvertStyle,
    &TCodeConverter::ConvertPanels,
};

std::vector<std::string> splitEntry(const std::string& entry) {
    std::vector<std::string> tokens;
    size_t start = 0;
    for (;;) {
        size_t end = entry.find(kEntryDelimiter, start);
        tokens.push_back(
            entry.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) return tokens;
        start = end + 1;
    }
}

}  // namespace

ICodeConverterUi* SetCodeConverterUi(ICodeConverterUi* ui) {
    ICodeConverterUi* old = g_ui;
    g_ui = ui;
    return old;
}

ICodeConverterUi* CodeConverterUi() {
    return g_ui;
}

// ---- Construction and settings ---------------------------------------------

TCodeConverter::TCodeConverter(plat::TComponent* owner) : plat::TComponent(owner) {
    LoadSettings();
    // The translator serves the display conversions and, where the
    // interface's and the database's code pages differ, the data both ways.
    if (displayMode_ != 0 || dbMode_ != 0) translator_ = std::make_unique<TTranslator>();
}

TCodeConverter::~TCodeConverter() = default;

void TCodeConverter::LoadSettings() {
    auto take = [this](const TMireltaIni& s) {
        windowsCodePage_ = s.WindowsCodePage;
        uiCodePage_ = s.UICodePage;
        dbCodePage_ = s.DBCodePage;
        displayMode_ = s.DisplayConvertMode;
        dbMode_ = s.DataConvertMode;
    };
    if (DesignType == dtServer)
        take(TMireltaIniS());
    else
        take(TMireltaIniC());
}

// ---- Data -------------------------------------------------------------------

std::string TCodeConverter::convertText(int direction, const std::string& text) const {
    if (!translator_ || text.empty() || !isDirection(direction)) return text;
    const bool toBig5 = direction == kGBToBig5;
    const plat::CodePage from = toBig5 ? plat::CodePage::Gbk : plat::CodePage::Big5;
    const plat::CodePage to = toBig5 ? plat::CodePage::Big5 : plat::CodePage::Gbk;
    // Converted bytes decoded; false when a character came out as "?".
    auto run = [&](const std::string& bytes, size_t questionMarks, std::string& out) {
        std::string converted =
            toBig5 ? translator_->GbToBig5(bytes) : translator_->Big5ToGb(bytes);
        plat::ConvertedText decoded = plat::FromCodePageReplacing(converted, to);
        if (decoded.replaced != 0 ||
            std::count(decoded.text.begin(), decoded.text.end(), '?') != (long)questionMarks)
            return false;
        out = std::move(decoded.text);
        return true;
    };
    std::string out;
    plat::ConvertedText whole = plat::ToCodePageReplacing(text, from);
    if (whole.replaced == 0 && plat::IsValidUtf8(text) &&
        run(whole.text, std::count(text.begin(), text.end(), '?'), out))
        return out;
    // Character by character: what the source code page cannot write, or
    // the target has no character for, stays as it is.
    out.clear();
    for (size_t i = 0; i < text.size();) {
        size_t n = sequenceLength(text, i);
        std::string_view ch(text.data() + i, n);
        std::string converted;
        plat::ConvertedText enc{"", 1};
        if (n > 1) enc = plat::ToCodePageReplacing(ch, from);
        if (enc.replaced == 0 && run(enc.text, 0, converted))
            out += converted;
        else
            out.append(ch);
        i += n;
    }
    return out;
}

plat::Variant TCodeConverter::convertArray(int direction, const plat::Variant& value) const {
    plat::Variant result = value;
    if (value.DimCount() == 1) {
        for (int i = value.LowBound(1); i <= value.HighBound(1); ++i) {
            const plat::Variant& e = value[i];
            // Null and unassigned elements keep their meaning.
            if (e.IsArray())
                result[i] = convertArray(direction, e);
            else if (!e.IsEmptyOrNull() && !e.IsDispatch())
                result[i] = plat::Variant(convertText(direction, plat::VarToStr(e)));
        }
    } else if (value.DimCount() == 2) {
        for (int i = value.LowBound(1); i <= value.HighBound(1); ++i)
            for (int j = value.LowBound(2); j <= value.HighBound(2); ++j)
                result.At(i, j) = ConvertVariant(direction, value.At(i, j));
    }
    return result;
}

plat::Variant TCodeConverter::ConvertVariant(int direction, const plat::Variant& value) const {
    if (!translator_ || !isDirection(direction) || value.IsEmptyOrNull() || value.IsDispatch())
        return value;
    if (value.IsArray()) return convertArray(direction, value);
    std::string converted = convertText(direction, plat::VarToStr(value));
    return value.Type() == plat::VarType::OleStr ? plat::Variant::Wide(converted)
                                                 : plat::Variant(converted);
}

plat::Variant TCodeConverter::ConvertDBToUI(const plat::Variant& value) const {
    int direction = dbMode_ == 2 ? kGBToBig5 : dbMode_ == 1 ? kBig5ToGB : 0;
    return ConvertVariant(direction, value);
}

plat::Variant TCodeConverter::ConvertUIToDB(const plat::Variant& value) const {
    int direction = dbMode_ == 1 ? kGBToBig5 : dbMode_ == 2 ? kBig5ToGB : 0;
    try {
        return ConvertVariant(direction, value);
    } catch (const std::exception&) {
        return value;
    }
}

plat::Variant TCodeConverter::ConvertToUI(const plat::Variant& value) const {
    int direction = displayMode_ == 2 ? kGBToBig5 : displayMode_ == 1 ? kBig5ToGB : 0;
    return ConvertVariant(direction, value);
}

plat::Variant TCodeConverter::ConvertFromUI(const plat::Variant& value) const {
    int direction = displayMode_ == 1 ? kGBToBig5 : displayMode_ == 2 ? kBig5ToGB : 0;
    try {
        return ConvertVariant(direction, value);
    } catch (const std::exception&) {
        return value;
    }
}

std::string TCodeConverter::Big5ToGB(const std::string& text) const {
    return convertText(kBig5ToGB, text);
}

std::string TCodeConverter::GBToBig5(const std::string& text) const {
    return convertText(kGBToBig5, text);
}

// ---- Properties -------------------------------------------------------------

bool TCodeConverter::HasPropertyOfType(const plat::TObject* object, const std::string& name,
                                       const std::string& typeName) {
    const plat::TPropInfo* p = plat::GetPropInfo(object, name);
    return p && plat::SameText(p->TypeName(), typeName);
}

void TCodeConverter::convertStringProp(plat::TObject* object, const char* name, int direction) {
    const plat::TPropInfo* p = strPropOf(object, name);
    if (!p || !p->Writable()) return;
    std::string old = plat::GetStrProp(object, *p);
    std::string converted = convertText(direction, old);
    if (converted != old) plat::SetStrProp(object, *p, converted);
}

void TCodeConverter::convertLinesProp(plat::TObject* object, const char* name, int direction) {
    const plat::TPropInfo* p = plat::GetPropInfo(object, name);
    if (!p || !p->IsStrings() || !p->setLines) return;
    std::vector<std::string> lines = p->getLines(*object), converted;
    converted.reserve(lines.size());
    for (const std::string& line : lines) converted.push_back(convertText(direction, line));
    if (converted != lines) p->setLines(*object, converted);
}

void TCodeConverter::ConvertCaption(plat::TObject* component, int mode) {
    convertStringProp(component, "Caption", mode);
}

void TCodeConverter::ConvertHints(plat::TObject* component, int mode) {
    convertStringProp(component, "Hint", mode);
    convertStringProp(component, "ButtonHint", mode);
}

void TCodeConverter::ConvertTextProperty(plat::TObject* component, int mode) {
    convertStringProp(component, "Text", mode);
}

void TCodeConverter::ConvertItems(plat::TObject* component, int mode) {
    if (!HasPropertyOfType(component, "Items", "TStrings")) return;
    ItemIndexKeeper keep(component);
    convertLinesProp(component, "Items", mode);
    keep.restoreIfLost();
}

void TCodeConverter::ConvertLines(plat::TObject* component, int mode) {
    if (HasPropertyOfType(component, "Lines", "TStrings"))
        convertLinesProp(component, "Lines", mode);
}

void TCodeConverter::ConvertPanels(plat::TObject* component, int mode) {
    if (!HasPropertyOfType(component, "Panels", "TStatusPanels")) return;
    for (plat::TObject* panel : itemsOf(component, "Panels"))
        convertStringProp(panel, "Text", mode);
}

void TCodeConverter::ConvertFontProperty(plat::TObject* component, int mode) {
    if (HasPropertyOfType(component, "Font", "TFont"))
        SetFontCharset(mode, plat::GetObjectProp(component, "Font"));
}

void TCodeConverter::ConvertTitleFont(plat::TObject* component, int mode) {
    if (HasPropertyOfType(component, "TitleFont", "TFont"))
        SetFontCharset(mode, plat::GetObjectProp(component, "TitleFont"));
}

void TCodeConverter::ConvertStyle(plat::TObject* component, int mode) {
    if (mode == 0) return;
    if (HasPropertyOfType(component, "Style", "TComboBoxStyle")) {
        ItemIndexKeeper keep(component);
        std::string style = plat::GetEnumProp(component, "Style");
        if (style == "csDropDown")
            plat::SetEnumProp(component, "Style", "csOwnerDrawVariable");
        else if (style == "csDropDownList")
            plat::SetEnumProp(component, "Style", "csOwnerDrawFixed");
        keep.restoreIfLost();
    } else if (HasPropertyOfType(component, "Style", "TListBoxStyle")) {
        if (plat::GetEnumProp(component, "Style") == "lbStandard")
            plat::SetEnumProp(component, "Style", "lbOwnerDrawFixed");
    }
}

void TCodeConverter::SetFontCharset(int mode, plat::TObject* font) {
    if (!font) return;
    int charset;
    if (mode == 0 || mode == 1 || mode == 4)
        charset = kGB2312Charset;
    else if (mode == 2 || mode == 3)
        charset = kBig5Charset;
    else
        return;
    if (const plat::TPropInfo* p = strPropOf(font, "Name")) plat::SetStrProp(font, *p, kDialogFont);
    setOrdIfPublished(font, "Charset", charset);
}

void TCodeConverter::ConvertControlText(plat::TComponent* control) {
    if (!control || windowsCodePage_ != "950") return;
    convertStringProp(control, strPropOf(control, "Text") ? "Text" : "Caption", kGBToBig5);
}

// ---- Forms ------------------------------------------------------------------

void TCodeConverter::convertListView(plat::TObject* view, int direction) {
    std::vector<plat::TObject*> columns = itemsOf(view, "Columns");
    std::vector<plat::TObject*> items = itemsOf(view, "Items");
    for (size_t col = 0; col < columns.size(); ++col) {
        convertStringProp(columns[col], "Caption", direction);
        for (plat::TObject* item : items) {
            if (col == 0) {
                convertStringProp(item, "Caption", direction);
                continue;
            }
            const plat::TPropInfo* p = plat::GetPropInfo(item, "SubItems");
            if (!p || !p->IsStrings() || !p->setLines) continue;
            std::vector<std::string> sub = p->getLines(*item);
            if (col - 1 >= sub.size()) continue;
            std::string converted = convertText(direction, sub[col - 1]);
            if (converted == sub[col - 1]) continue;
            sub[col - 1] = converted;
            p->setLines(*item, sub);
        }
    }
}

void TCodeConverter::convertComponent(plat::TComponent* c, int mode, bool includeGrids,
                                      const std::string& flagText) {
    if (!flagText.empty()) {
        for (int i = 0; i < nameList_.Count(); ++i) {
            std::vector<std::string> tokens = splitEntry(nameList_[i]);
            if (plat::UpperCase(tokens[0]) != plat::UpperCase(c->Name())) continue;
            setOrdIfPublished(c, "ParentFont", 0);
            if (tokens.size() < 2) return;
            // The entry's property names are matched whole: listing
            // TitleFont leaves Font to be converted.
            for (const NamedConverter& conv : kListedOrder) {
                bool listed = false;
                for (size_t t = 1; t < tokens.size() && !listed; ++t)
                    listed = plat::SameText(plat::Trim(tokens[t]), conv.name);
                if (!listed) (this->*conv.convert)(c, mode);
            }
            return;
        }
    }
    for (PropertyConverter conv : kPlainOrder) (this->*conv)(c, mode);

    for (const ClassRule* rule : {firstFit(kFirstGroup, c, mode, includeGrids),
                                  firstFit(kSecondGroup, c, mode, includeGrids)}) {
        if (!rule) continue;
        switch (rule->action) {
            case ClassAction::ListView:
                convertListView(c, mode);
                break;
            case ClassAction::TabSet: {
                const plat::TPropInfo* index = plat::GetPropInfo(c, "TabIndex");
                int64_t kept = index ? plat::GetOrdProp(c, *index) : -1;
                convertLinesProp(c, "Tabs", mode);
                if (index && plat::GetOrdProp(c, *index) != kept) plat::SetOrdProp(c, *index, kept);
                break;
            }
            case ClassAction::SelectPanel:
                for (const char* list : {"ChildHints", "BeginWords", "FinalWords"})
                    convertLinesProp(c, list, mode);
                convertStringProp(c, "HintWord", mode);
                if (plat::TComponent* view = c->FindComponent("ListView"))
                    convertListView(view, mode);
                break;
            case ClassAction::ComboStyle:
                if (plat::GetPropInfo(c, "Style") && plat::GetEnumProp(c, "Style") != "csSimple")
                    plat::SetEnumProp(c, "Style", "csOwnerDrawFixed");
                if (!plat::GetStringsProp(c, "Items").empty() &&
                    plat::GetOrdProp(c, "ItemIndex") < 0)
                    plat::SetOrdProp(c, "ItemIndex", 0);
                break;
            case ClassAction::MenuOwnerDraw:
                setOrdIfPublished(c, "OwnerDraw", 1);
                break;
            case ClassAction::Navigator:
                convertLinesProp(c, "Hints", mode);
                break;
            case ClassAction::TreeOrGrid:
                if (c->InheritsFrom("TTreeView")) {
                    for (plat::TObject* node : itemsOf(c, "Items"))
                        convertStringProp(node, "Text", mode);
                } else if (auto* grid = dynamic_cast<IAlignGridTexts*>(c)) {
                    auto convertItems = [&](plat::TStringList* items) {
                        if (!items) return;
                        for (int k = 0; k < items->Count(); ++k)
                            items->SetStrings(k, convertText(mode, (*items)[k]));
                    };
                    for (int col = 0; col < grid->ColCount(); ++col) {
                        for (int row = 0; row < grid->RowCount(); ++row) {
                            // Write back only what changed, so a check-box
                            // cell's read value never lands in its text.
                            std::string text = grid->GetCellValue(col, row);
                            std::string converted = convertText(mode, text);
                            if (converted != text) grid->SetCellValue(col, row, converted);
                            if (const std::string* hint = grid->FindHintCell(col, row))
                                grid->SetHintCell(col, row, convertText(mode, *hint));
                            SetFontCharset(mode, grid->FindFontCell(col, row));
                            convertItems(grid->ControlItemsCell(col, row));
                        }
                        SetFontCharset(mode, grid->FindFontCol(col));
                        SetFontCharset(mode, grid->FindFontFixedCol(col));
                        convertItems(grid->ControlItemsCol(col));
                    }
                    for (int row = 0; row < grid->RowCount(); ++row) {
                        SetFontCharset(mode, grid->FindFontRow(row));
                        SetFontCharset(mode, grid->FindFontFixedRow(row));
                        convertItems(grid->ControlItemsRow(row));
                    }
                } else if (auto* cells = dynamic_cast<IStringGridCells*>(c)) {
                    for (int col = 0; col < cells->ColCount(); ++col)
                        for (int row = 0; row < cells->RowCount(); ++row)
                            cells->SetCellText(col, row,
                                               convertText(mode, cells->GetCellText(col, row)));
                }
                break;
        }
    }
}

void TCodeConverter::ConvertForm(plat::TComponent* form, const std::string& flagText,
                                 bool includeGrids) {
    // Only a converted display has anything to do here.
    if (!form || !translator_ || displayMode_ == 0) return;
    const int mode = displayMode_;
    ConvertControlText(form);
    // The window's own title speaks the interface's language on any system,
    // not only on a traditional one (which the line above serves).
    if (windowsCodePage_ != "950") ConvertCaption(form, mode);
    ConvertHints(form, mode);
    if (ICodeConverterUi* ui = CodeConverterUi()) {
        for (plat::TObject* font : ui->ScreenFonts()) SetFontCharset(mode, font);
        // Toggled off and on so that hints pick the new font up.
        bool showHint = ui->ApplicationShowHint();
        ui->SetApplicationShowHint(!showHint);
        ui->SetApplicationShowHint(showHint);
    }
    for (int i = 0; i < form->ComponentCount(); ++i)
        convertComponent(form->Components(i), mode, includeGrids, flagText);
}

void TCodeConverter::fillNameList(const plat::Variant& description) {
    nameList_.Clear();
    if (!description.IsArray()) {
        // A single name stands for itself; an empty text names nothing.
        if (!description.IsEmptyOrNull() && !plat::VarToStr(description).empty())
            nameList_.Add(plat::VarToStr(description));
        return;
    }
    if (description.DimCount() != 1) return;
    for (int i = description.LowBound(1); i <= description.HighBound(1); ++i) {
        const plat::Variant& e = description[i];
        if (!e.IsArray()) {
            nameList_.Add(plat::VarToStr(e));
            continue;
        }
        std::string entry;
        if (e.DimCount() == 1)
            for (int j = e.LowBound(1); j <= e.HighBound(1); ++j) {
                if (j > e.LowBound(1)) entry += kEntryDelimiter;
                entry += plat::VarToStr(e[j]);
            }
        nameList_.Add(entry);
    }
}

void TCodeConverter::ReconvertForm(plat::TComponent* form, const plat::Variant& description,
                                   bool includeGrids) {
    if (!translator_) return;
    fillNameList(description);
    ConvertForm(form, "DO", includeGrids);
}

// ---- Message boxes ----------------------------------------------------------

int TCodeConverter::ShowMessageBox(const std::string& text, TMsgDlgType type,
                                   const TMsgDlgButtons& buttons) {
    if (text.empty()) return modal::None;
    TMessageDialogSpec dialog;
    dialog.Text = text;
    if (uiCodePage_ == "936" || windowsCodePage_ == "936") dialog.Text += "      ";
    dialog.Type = type;
    // The buttons speak the interface's language: the toolkit's English
    // under code page 437, simplified or traditional Chinese otherwise.
    for (TMsgDlgBtn b : buttons) {
        const std::string name = MsgDlgButtonName(b);
        std::string caption;
        if (uiCodePage_ != "437") {
            caption = LocalizeDialogButtons(name);
            if (uiCodePage_ == "950") caption = GBToBig5(caption);
        }
        dialog.Buttons.push_back({b, name, caption, false});
    }
    plat::TComponent* form = Owner();
    if (form && strPropOf(form, "Caption")) dialog.Caption = plat::GetStrProp(form, "Caption");
    if (displayMode_ <= 4) {
        dialog.FontName = kDialogFont;
        dialog.FontCharset =
            (displayMode_ == 2 || displayMode_ == 3) ? kBig5Charset : kGB2312Charset;
    }
    ICodeConverterUi* ui = CodeConverterUi();
    if (!ui) {
        WriteAlertLog(kLanguageLog, "Message without a window: " + text, "D");
        return modal::None;
    }
    if (form) ui->RestoreIfMinimized(form);
    return ui->RunMessageDialog(form, dialog);
}

// ---- Published properties ---------------------------------------------------

PLAT_PUBLISH(TCodeConverter) {
    p.Prop("DesignType", &TCodeConverter::DesignType);
}

}  // namespace ktrb
