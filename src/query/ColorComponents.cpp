#include "query/ColorComponents.h"

#include <cstdint>

#include "platform/component/properties.h"
#include "platform/core/exceptions.h"
#include "platform/core/numbers.h"
#include "platform/core/text.h"
#include "platform/data/dataset.h"
#include "platform/data/field.h"
#include "platform/ui/dbgrids.h"
#include "runtime/LibStrs.h"
#include "runtime/LibXml.h"

namespace ktrb {

using plat::TColor;

namespace {

const char* const kBadXml = "颜色管理xml格式错误";

bool IsDataGrid(plat::TComponent* c) {
    return dynamic_cast<plat::TCustomDataGrid*>(c) != nullptr;
}

bool HasColorProperty(plat::TComponent* c) {
    const plat::TPropInfo* p = c ? plat::GetPropInfo(c, "Color") : nullptr;
    return p && p->Kind() == plat::TTypeKind::tkInteger;
}

// The background a rule may replace: the plain white ones, never a colour
// the form gave the control on purpose.
bool IsPlainBackground(TColor c) {
    return c == plat::clWhite || c == plat::clWindow || c == plat::clHighlightText;
}

// The component name of the field a cell shows; designs name fields after
// their data set and field ("cdsBody1TI004").
std::string FieldComponentName(plat::TField* field) {
    if (!field) return {};
    if (!field->Name().empty()) return field->Name();
    plat::TDataSet* ds = field->DataSet();
    return ds ? ds->Name() + field->FieldName() : std::string();
}

// The colour data set on the record of the given key values; the cursor is
// moved only when it stands elsewhere (cells of one row share the record).
bool LocateColorRecord(plat::TDataSet* ds, const std::string& keyFields,
                       const plat::Variant& keyValues) {
    const std::string names = ReplaceAllText(keyFields, ",", ";", false);
    if (!ds->IsEmpty()) {
        std::vector<plat::TField*> fields = ds->GetFieldList(names);
        bool same = !fields.empty();
        for (size_t i = 0; same && i < fields.size(); ++i) {
            plat::Variant v = keyValues.IsArray()
                                  ? keyValues[keyValues.LowBound() + (int)i]
                                  : (fields.size() == 1 ? keyValues : plat::Variant());
            same = !v.IsEmptyOrNull() && fields[i]->AsString() == plat::VarToStr(v);
        }
        if (same) return true;
    }
    // The colour rows' own order means nothing: ordered by the keys, each
    // row's look-up is a search instead of a scan.
    if (ds->IndexFieldNames().empty() && ds->IndexName().empty()) ds->SetIndexFieldNames(names);
    return ds->Locate(names, keyValues);
}

void ApplyStyleKeys(const std::string& text, plat::TFont* font) {
    plat::TFontStyles style = font->Style();
    if (GetColorTextValue(text, "bold") == "Y") style.Include(plat::fsBold);
    if (GetColorTextValue(text, "italic") == "Y") style.Include(plat::fsItalic);
    font->SetStyle(style);
}

}  // namespace

// ---- texts and colours ------------------------------------------------------

std::string GetColorTextValue(const std::string& colorText, const std::string& key) {
    std::string value = TokenAt(TokenAt(colorText, key + "=", 2), ";", 1);
    return value == "'" ? std::string() : value;
}

TColor ColorFromText(const std::string& text) {
    int64_t v = 0;
    if (!plat::TryStrToInt64(text, v) || v < INT32_MIN || v > (int64_t)UINT32_MAX)
        throw plat::EConvertError("'" + text + "' is not a valid colour value");
    return (TColor)(uint32_t)v;
}

TColor ComplementColor(TColor color) {
    TColor rgb = plat::ColorToRGB(color);
    return plat::RGB(255 - plat::GetRValue(rgb), 255 - plat::GetGValue(rgb),
                     255 - plat::GetBValue(rgb));
}

TColor GetControlColor(plat::TComponent* control) {
    try {
        if (HasColorProperty(control)) return (TColor)plat::GetOrdProp(control, "Color");
    } catch (const plat::Exception&) {
    }
    return plat::clWhite;
}

plat::TFont* GetControlFont(plat::TComponent* control) {
    if (!control || !plat::GetPropInfo(control, "Font")) return nullptr;
    try {
        return dynamic_cast<plat::TFont*>(plat::GetObjectProp(control, "Font"));
    } catch (const plat::Exception&) {
        return nullptr;
    }
}

void SetControlColor(plat::TComponent* control, TColor color) {
    if (HasColorProperty(control)) plat::SetOrdProp(control, "Color", color);
}

// ---- conditions -------------------------------------------------------------

TColorCondition::TColorCondition(plat::TCollection* collection)
    : plat::TCollectionItem(collection) {}

void TColorCondition::Assign(plat::TPersistent* source) {
    auto* o = dynamic_cast<TColorCondition*>(source);
    if (!o) return plat::TCollectionItem::Assign(source);
    Value = o->Value;
    ColorX = o->ColorX;
    BkColor = o->BkColor;
    Msg = o->Msg;
    Checked = o->Checked;
}

TColorConditions::TColorConditions() : plat::TCollection(FactoryOf<TColorCondition>()) {}

// ---- one component ----------------------------------------------------------

TColorComponent::TColorComponent(plat::TCollection* collection)
    : plat::TCollectionItem(collection) {}

void TColorComponent::SaveControlColors() {
    if (plat::TFont* f = GetControlFont(Control)) SavedFont.Assign(*f);
    SavedColor = GetControlColor(Control);
}

void TColorComponent::RestoreControlColors() {
    if (plat::TFont* f = GetControlFont(Control)) {
        f->SetColor(SavedFont.Color());
        f->SetStyle(SavedFont.Style());
    }
    SetControlColor(Control, SavedColor);
}

void TColorComponent::ApplyColorText(const std::string& colorText) {
    plat::TFont* font = GetControlFont(Control);
    if (!font || !HasColorProperty(Control)) return;
    try {
        font->SetStyle({});
        std::string bk = GetColorTextValue(colorText, "bkcolor");
        if (!bk.empty() && IsPlainBackground(SavedColor))
            SetControlColor(Control, ColorFromText(bk));
        std::string fore = GetColorTextValue(colorText, "colorx");
        if (!fore.empty()) {
            font->SetColor(ColorFromText(fore));
            if (plat::ColorToRGB(GetControlColor(Control)) == plat::ColorToRGB(font->Color()))
                font->SetColor(ComplementColor(font->Color()));
        }
        ApplyStyleKeys(colorText, font);
    } catch (const plat::Exception&) {
        SetControlColor(Control, plat::clWhite);
        font->SetStyle({});
        font->SetColor(plat::clBlack);
    }
}

// ---- the set ----------------------------------------------------------------

TColorComponents::TColorComponents(plat::TComponent* owner)
    : plat::TCollection(FactoryOf<TColorComponent>()), owner_(owner) {}

TColorComponent* TColorComponents::FindItem(const std::string& controlName,
                                            const std::string& fieldName) const {
    for (int i = 0; i < Count(); ++i) {
        TColorComponent* item = GetItem(i);
        if (item->Control && item->Control->Name() == controlName && item->FieldName == fieldName)
            return item;
    }
    return nullptr;
}

TColorComponent* TColorComponents::FindByField(const std::string& fieldName) const {
    for (int i = 0; i < Count(); ++i)
        if (GetItem(i)->FieldName == fieldName) return GetItem(i);
    return nullptr;
}

void TColorComponents::SaveColors() {
    for (int i = 0; i < Count(); ++i)
        if (GetItem(i)->Control && !IsDataGrid(GetItem(i)->Control))
            GetItem(i)->SaveControlColors();
}

void TColorComponents::RestoreColors() {
    for (int i = 0; i < Count(); ++i)
        if (GetItem(i)->Control && !IsDataGrid(GetItem(i)->Control))
            GetItem(i)->RestoreControlColors();
}

void TColorComponents::ApplyToRecord(plat::TDataSet* colorDataSet) {
    for (int i = 0; i < Count(); ++i) {
        TColorComponent* item = GetItem(i);
        // A grid's rules colour its rows one cell at a time; coloured here
        // they would repaint every row in the current record's colours.
        if (!item->Control || IsDataGrid(item->Control)) continue;
        item->ApplyColorText(colorDataSet->FieldByName(item->Control->Name())->AsString());
    }
}

bool TColorComponents::CalcCellColors(plat::TCustomDataGrid* grid, plat::TField* field,
                                      const std::string& keyFields, const plat::Variant& keyValues,
                                      plat::TDataSet* colorDataSet, plat::TFont* font,
                                      plat::TBrush* brush) {
    if (!grid || !colorDataSet || !font || !brush) return true;
    const std::string cell = FieldComponentName(field);
    const bool gridColumn = colorDataSet->FindField(grid->Name()) != nullptr;
    bool ok = true;
    for (int i = 0; i < Count(); ++i) {
        TColorComponent* item = GetItem(i);
        if (item->Control != grid) continue;
        try {
            const bool rowRule = gridColumn && item->FieldName.empty() && !FindByField(cell);
            if (!rowRule && (cell.empty() || item->FieldName != cell)) continue;
            if (!LocateColorRecord(colorDataSet, keyFields, keyValues)) continue;
            const std::string text =
                colorDataSet->FieldByName(rowRule ? grid->Name() : cell)->AsString();
            if (text.empty()) continue;
            std::string bk = GetColorTextValue(text, "bkcolor");
            if (!bk.empty()) brush->Color = ColorFromText(bk);
            std::string fore = GetColorTextValue(text, "colorx");
            if (!fore.empty()) font->SetColor(ColorFromText(fore));
            ApplyStyleKeys(text, font);
            if (plat::ColorToRGB(brush->Color) == plat::ColorToRGB(font->Color()))
                font->SetColor(ComplementColor(font->Color()));
        } catch (const plat::Exception&) {
            ok = false;
        }
    }
    return ok;
}

std::string AddColorFilter(const std::string& browseCondition, const TColorConditions& conditions,
                           const std::string& companyDb) {
    std::string filter;
    for (int i = 0; i < conditions.Count(); ++i)
        if (conditions.GetItem(i)->Checked)
            filter += " ( " + conditions.GetItem(i)->Value + " ) or ";
    if (filter.empty()) return browseCondition;
    filter.resize(filter.size() - 3);  // the last "or "
    std::string where = plat::Trim(browseCondition).empty()
                            ? "(" + filter + ")"
                            : "(" + browseCondition + ") and (" + filter + ")";
    return ReplaceAllText(where, "$$", companyDb + "..", false);
}

std::unique_ptr<TColorComponents> LoadColorComponents(plat::TComponent* owner,
                                                      const std::string& xml,
                                                      const std::string& path) {
    auto set = std::make_unique<TColorComponents>(owner);
    if (plat::Trim(xml).empty()) return set;  // a program without colour rules
    plat::XmlDocument doc = LoadXmlDocument(xml);
    if (!doc.DocumentElement()) throw plat::Exception(kBadXml);
    if (!IsXmlName(path)) return set;
    const bool body = path == "body";
    for (const plat::XmlNode& node :
         doc.SelectNodes("//colormanager/" + path + "/component[@enable=\"Y\"]")) {
        TColorComponent* item = set->Add();
        item->Name = node.GetAttribute("name");
        plat::TComponent* found = nullptr;
        if (body && item->Name != "gdBody1") {
            item->FieldName = item->Name;
            found = owner ? owner->FindComponent("gdBody1") : nullptr;
        } else if (owner && !item->Name.empty()) {
            found = owner->FindComponent(item->Name);
        }
        // The component lookup ignores case; the rules name controls exactly.
        if (found && found->Name() == (item->FieldName.empty() ? item->Name : "gdBody1"))
            item->Control = found;
        for (const plat::XmlNode& c : node.SelectNodes("condition")) {
            TColorCondition* cond = item->Conditions()->Add();
            cond->Value = c.GetAttribute("value");
            cond->ColorX = c.GetAttribute("colorx");
            cond->BkColor = c.GetAttribute("bkcolor");
            cond->Msg = c.GetAttribute("msg");
        }
    }
    return set;
}

}  // namespace ktrb
