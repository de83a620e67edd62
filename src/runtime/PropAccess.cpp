#include "runtime/PropAccess.h"

#include <algorithm>

#include "platform/component/properties.h"
#include "platform/core/numbers.h"
#include "platform/core/text.h"
#include "platform/data/dataset.h"
#include "platform/data/field.h"

namespace ktrb {

using plat::TObject;

namespace {

const plat::TPropInfo* findProp(TObject* object, const std::string& name) {
    return object && !name.empty() ? plat::GetPropInfo(object, name) : nullptr;
}

TObject* objectProp(TObject* object, const std::string& name) {
    const plat::TPropInfo* p = findProp(object, name);
    return p && p->Kind() == plat::TTypeKind::tkClass ? plat::GetObjectProp(object, *p) : nullptr;
}

// The ten data-set events, in the order of the saved record.
using DataSetEventMember = plat::TDataSetNotifyEvent plat::TDataSet::*;
constexpr std::array<DataSetEventMember, 10> kDataSetEvents = {
    &plat::TDataSet::AfterEdit,   &plat::TDataSet::AfterInsert, &plat::TDataSet::AfterOpen,
    &plat::TDataSet::AfterPost,   &plat::TDataSet::BeforeEdit,  &plat::TDataSet::BeforeInsert,
    &plat::TDataSet::BeforeOpen,  &plat::TDataSet::BeforePost,  &plat::TDataSet::BeforeScroll,
    &plat::TDataSet::AfterScroll,
};

// The items of a field list: cut at the delimiter and trimmed.
std::vector<std::string> listItems(const std::string& list, const std::string& delimiter) {
    std::vector<std::string> items;
    if (list.empty()) return items;
    size_t start = 0;
    while (true) {
        size_t at = delimiter.empty() ? std::string::npos : list.find(delimiter, start);
        items.push_back(plat::Trim(
            list.substr(start, at == std::string::npos ? std::string::npos : at - start)));
        if (at == std::string::npos) break;
        start = at + delimiter.size();
    }
    return items;
}

// Components of the form bound to the field.
template <class F>
void forEachBoundTo(plat::TComponent* form, const std::string& field, F&& action) {
    for (int i = 0; i < form->ComponentCount(); ++i) {
        plat::TComponent* c = form->Components(i);
        if (plat::SameText(GetStrPropByName(c, "DataField"), field)) action(c);
    }
}

}  // namespace

// ---- properties by name -----------------------------------------------------

std::string GetStrPropByName(TObject* object, const std::string& name) {
    const plat::TPropInfo* p = findProp(object, name);
    return p ? plat::GetStrProp(object, *p) : std::string();
}

int64_t GetOrdPropByName(TObject* object, const std::string& name) {
    const plat::TPropInfo* p = findProp(object, name);
    return p ? plat::GetOrdProp(object, *p) : 0;
}

plat::EventHandle GetMethodPropByName(TObject* object, const std::string& name) {
    const plat::TPropInfo* p = findProp(object, name);
    return p ? plat::GetMethodProp(object, *p) : plat::EventHandle();
}

void SetStrPropByName(TObject* object, const std::string& name, const std::string& value) {
    if (const plat::TPropInfo* p = findProp(object, name)) plat::SetStrProp(object, *p, value);
}

void SetOrdPropByName(TObject* object, const std::string& name, int64_t value) {
    if (const plat::TPropInfo* p = findProp(object, name)) plat::SetOrdProp(object, *p, value);
}

void SetMethodPropByName(TObject* object, const std::string& name,
                         const plat::EventHandle& method) {
    if (const plat::TPropInfo* p = findProp(object, name)) plat::SetMethodProp(object, *p, method);
}

bool HasPropByName(TObject* object, const std::string& name) {
    return findProp(object, name) != nullptr;
}

int GetPropertyKind(TObject* object, const std::string& name) {
    const plat::TPropInfo* p = findProp(object, name);
    return p ? (int)p->Kind() : 0;
}

bool ReadStrProperty(TObject* object, const std::string& name, std::string& value) {
    const plat::TPropInfo* p = findProp(object, name);
    if (!p) return false;
    value = plat::GetStrProp(object, *p);
    return true;
}

std::string ReadStrProperty(TObject* object, const std::string& name) {
    return GetStrPropByName(object, name);
}
int64_t ReadOrdProperty(TObject* object, const std::string& name) {
    return GetOrdPropByName(object, name);
}
void WriteStrProperty(TObject* object, const std::string& name, const std::string& value) {
    SetStrPropByName(object, name, value);
}
void WriteOrdProperty(TObject* object, const std::string& name, int64_t value) {
    SetOrdPropByName(object, name, value);
}
bool HasProperty(TObject* object, const std::string& name) {
    return HasPropByName(object, name);
}

// ---- dataset events ---------------------------------------------------------

TDataSetEventRecord SaveDataSetEvents(plat::TDataSet* dataSet) {
    TDataSetEventRecord saved;
    if (!dataSet) return saved;
    for (size_t i = 0; i < kDataSetEvents.size(); ++i) {
        saved.Events[i] = dataSet->*kDataSetEvents[i];
        dataSet->*kDataSetEvents[i] = {};
    }
    return saved;
}

void RestoreDataSetEvents(plat::TDataSet* dataSet, const TDataSetEventRecord& saved) {
    if (!dataSet) return;
    for (size_t i = 0; i < kDataSetEvents.size(); ++i)
        dataSet->*kDataSetEvents[i] = saved.Events[i];
}

TDataEventRecord SaveDataEvents(plat::TDataSource* source) {
    TDataEventRecord saved;
    if (!source) return saved;
    saved.DataSet = SaveDataSetEvents(source->DataSet());
    saved.OnDataChange = source->OnDataChange;
    saved.OnStateChange = source->OnStateChange;
    source->OnDataChange = {};
    source->OnStateChange = {};
    return saved;
}

void RestoreDataEvents(plat::TDataSource* source, const TDataEventRecord& saved) {
    if (!source) return;
    RestoreDataSetEvents(source->DataSet(), saved.DataSet);
    source->OnDataChange = saved.OnDataChange;
    source->OnStateChange = saved.OnStateChange;
}

TDataEventsDetached::TDataEventsDetached(plat::TDataSource* source) : source_(source) {
    saved_ = SaveDataEvents(source);
}

TDataEventsDetached::TDataEventsDetached(plat::TDataSet* dataSet) : dataSet_(dataSet) {
    saved_.DataSet = SaveDataSetEvents(dataSet);
}

TDataEventsDetached::~TDataEventsDetached() {
    if (source_)
        RestoreDataEvents(source_, saved_);
    else
        RestoreDataSetEvents(dataSet_, saved_.DataSet);
}

TSavedMethods SaveMethodProps(TObject* object, const std::vector<std::string>& names) {
    TSavedMethods saved(names.size());
    for (size_t i = 0; i < names.size(); ++i) {
        const plat::TPropInfo* p = findProp(object, names[i]);
        if (!p || p->Kind() != plat::TTypeKind::tkMethod) continue;
        saved[i].Name = names[i];
        saved[i].Method = plat::GetMethodProp(object, *p);
        plat::SetMethodProp(object, *p, plat::EventHandle());
    }
    return saved;
}

void RestoreMethodProps(TObject* object, const TSavedMethods& saved) {
    for (const TSavedMethod& s : saved)
        if (const plat::TPropInfo* p = findProp(object, s.Name))
            plat::SetMethodProp(object, *p, s.Method);
}

// ---- field writes -----------------------------------------------------------

namespace {
// A field's ReadOnly lifted for a write, set back however the write ends.
struct TReadOnlyLifted {
    explicit TReadOnlyLifted(plat::TField* f) : field(f), was(f->ReadOnly()) {
        field->SetReadOnly(false);
    }
    ~TReadOnlyLifted() { field->SetReadOnly(was); }
    TReadOnlyLifted(const TReadOnlyLifted&) = delete;
    TReadOnlyLifted& operator=(const TReadOnlyLifted&) = delete;
    plat::TField* field;
    bool was;
};
}  // namespace

bool SetFieldText(plat::TField* field, const std::string& text, bool useEditText) {
    if (!field) return false;
    TReadOnlyLifted lifted(field);

    using plat::TFieldType;
    const TFieldType type = field->DataType();
    const bool typedNumber = type == TFieldType::ftSmallint || type == TFieldType::ftInteger ||
                             type == TFieldType::ftWord || type == TFieldType::ftFloat ||
                             type == TFieldType::ftCurrency;
    if (useEditText && typedNumber) {
        field->SetText(text);
        return true;
    }
    std::string value = text;
    // Cut before the field's own truncation so that a double-byte character
    // straddling the field's size is dropped whole.
    const bool plainText = type == TFieldType::ftString || type == TFieldType::ftFixedChar;
    if (plainText && field->Size() > 0 && plat::TextWidth(value) > field->Size())
        value = plat::CutToWidth(value, field->Size());
    field->SetAsString(value);
    return true;
}

bool SetFieldNumber(plat::TField* field, double value) {
    double stored;
    if (!field || field->DataType() != plat::TFieldType::ftFloat ||
        !plat::TryFloatTextValue(value, stored))
        return SetFieldText(field, plat::FloatToStr(value));
    TReadOnlyLifted lifted(field);
    field->SetValue(plat::Variant(stored));
    return true;
}

bool SetFieldTextQuiet(plat::TField* field, const std::string& text, bool useEditText) {
    if (!field) return false;
    struct ValidateDetached {
        plat::TField* field;
        plat::TFieldNotifyEvent saved;
        ~ValidateDetached() { field->OnValidate = saved; }
    } detached{field, field->OnValidate};
    field->OnValidate = {};
    return SetFieldText(field, text, useEditText);
}

bool IsDataSetBrowsing(plat::TDataSet* dataSet) {
    try {
        return dataSet && dataSet->Active() && dataSet->State() == plat::dsBrowse &&
               !(dataSet->Bof() && dataSet->Eof());
    } catch (...) {
        return false;
    }
}

// ---- controls ---------------------------------------------------------------

void CopySelectedItems(const ISelectableItems& source, ISelectableItems& target) {
    for (int i = 0; i < source.ItemCount(); ++i) {
        if (!source.ItemSelected(i)) continue;
        const std::string text = source.ItemText(i);
        bool present = false;
        for (int j = 0; j < target.ItemCount() && !present; ++j)
            present = target.ItemText(j) == text;
        if (!present) target.AddItem(text);
    }
}

void FitGridColumns(IFitGrid& grid) {
    plat::TDataSet* dataSet = grid.GridDataSet();
    const int fields = grid.GridFieldCount();
    if (!dataSet || !dataSet->Active() || fields < 1) return;
    int width = 0;
    for (int c = 0; c <= fields; ++c) width += grid.ColumnWidth(c) + 1;
    width += 1 + grid.HorizontalScrollBarHeight() + 1;
    const int client = grid.GridClientWidth();
    if (width < client) {
        const int extra = (client - width) / fields;
        for (int c = 1; c <= fields; ++c) grid.SetColumnWidth(c, grid.ColumnWidth(c) + extra);
    } else {
        grid.SetParentClientWidth(width);
    }
}

void CollectPageLastControls(plat::TComponent* pageControl, plat::TStringList& names,
                             plat::TComponent*& lastControl) {
    constexpr int kPages = 16;
    plat::TComponent* owner = pageControl ? pageControl->Owner() : nullptr;
    if (!owner) return;
    struct Slot {
        plat::TComponent* control = nullptr;
        int16_t tabOrder = 0;
    };
    std::array<Slot, kPages> slots{};
    std::array<std::string, kPages> pageNames{};
    int pageCount = 0;
    // A tab sheet of this page control, by its page index; -1 for anything else.
    auto pageOf = [&](TObject* sheet) -> int {
        auto* c = dynamic_cast<plat::TComponent*>(sheet);
        if (!c || !c->InheritsFrom("TTabSheet")) return -1;
        if (objectProp(c, "Parent") != pageControl) return -1;
        return (int)GetOrdPropByName(c, "PageIndex");
    };
    for (int i = 0; i < owner->ComponentCount(); ++i) {
        plat::TComponent* c = owner->Components(i);
        if (int page = pageOf(c); page >= 0) {
            pageCount = std::max(pageCount, page + 1);
            if (page < kPages) pageNames[page] = c->Name();
            continue;
        }
        if (!c->InheritsFrom("TWinControl")) continue;
        if (!GetOrdPropByName(c, "Visible") || !GetOrdPropByName(c, "Enabled")) continue;
        int page = pageOf(objectProp(c, "Parent"));
        if (page < 0 || page >= kPages) continue;
        auto tabOrder = (int16_t)GetOrdPropByName(c, "TabOrder");
        Slot& slot = slots[page];
        if (!slot.control || tabOrder > slot.tabOrder) slot = {c, tabOrder};
    }
    int last = std::min(pageCount, kPages);
    if (last > 0 && plat::SameText(pageNames[last - 1], "TbsBrowse")) --last;
    if (last > 0 && plat::SameText(pageNames[last - 1], "TbsUDF")) --last;
    for (int page = 0; page < last; ++page) {
        if (!slots[page].control) continue;
        names.Add(slots[page].control->Name());
        lastControl = slots[page].control;
    }
}

void ColorControlsByField(plat::TComponent* form, const std::string& fields,
                          const std::string& delimiter, int32_t color) {
    if (!form) return;
    for (const std::string& item : listItems(fields, delimiter)) {
        if (item.empty()) break;
        forEachBoundTo(form, item, [&](plat::TComponent* c) {
            const bool fixedColour = c->InheritsFrom("TwwDBComboBox") ||
                                     c->InheritsFrom("TDBRadioGroup") ||
                                     c->InheritsFrom("TFDbCheckBox");
            if (!fixedColour || color == kRequiredFieldColor) SetOrdPropByName(c, "Color", color);
        });
    }
}

void EnableControlsByField(plat::TComponent* form, const std::string& fields,
                           const std::string& delimiter, bool enabled) {
    if (!form) return;
    for (std::string item : listItems(fields, delimiter)) {
        item = plat::Trim(item.substr(0, item.find(' ')));
        // An empty item would match every component without a DataField.
        if (item.empty()) continue;
        forEachBoundTo(form, item, [&](plat::TComponent* c) {
            SetOrdPropByName(c, "Enabled", enabled ? 1 : 0);
        });
    }
}

}  // namespace ktrb
