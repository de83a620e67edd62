#include "dataframe/LibDouble.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/core/format.h"
#include "platform/core/numbers.h"
#include "platform/core/text.h"
#include "runtime/LibStrs.h"
#include "runtime/PropAccess.h"

namespace ktrb {

namespace {

// ---- line numbers -----------------------------------------------------------

int64_t LineValue(const std::string& text) {
    int64_t v = 0;
    return plat::TryStrToInt64(text, v) ? v : 0;
}

// The width a line number is padded to: a string field's size; other fields
// are not padded.
int LineNumberWidth(const plat::TField* field) {
    return dynamic_cast<const plat::TStringField*>(field) ? field->Size() : 0;
}

// Exactly `width` decimal digits: among such texts the byte order is the
// order of their values.
bool IsFullWidthNumber(const std::string& text, int width) {
    return width > 0 && (int)text.size() == width &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool OrderedByFieldAlone(const plat::TDataSet* dataSet, const plat::TField* field) {
    auto names = plat::SplitFieldNames(dataSet->IndexFieldNames());
    return names.size() == 1 && plat::SameText(names[0], field->FieldName());
}

int64_t LargestByWalk(plat::TDataSet* dataSet, const plat::TField* field) {
    int64_t largest = 0;
    for (dataSet->First(); !dataSet->Eof(); dataSet->Next())
        largest = std::max(largest, LineValue(field->AsString()));
    return largest;
}

// The set is ordered by the field's text, byte by byte. Every integer text
// that can beat the largest full-width number C sorts after C, except those
// that start below "0" (blanks, signs, "$" hexadecimal) or with "0x"/"0X";
// those few are read where they sort.
int64_t LargestBySearch(plat::TDataSet* dataSet, const plat::TField* field, int width) {
    int64_t largest = 0;
    for (dataSet->First(); !dataSet->Eof(); dataSet->Next()) {
        const std::string text = field->AsString();
        if (!text.empty() && text[0] >= '0') break;
        largest = std::max(largest, LineValue(text));
    }
    for (const char* prefix : {"0X", "0x"}) {
        if (!dataSet->Locate(field->FieldName(), plat::Variant(prefix), plat::loPartialKey))
            continue;
        for (; !dataSet->Eof(); dataSet->Next()) {
            const std::string text = field->AsString();
            if (text.compare(0, 2, prefix) != 0) break;
            largest = std::max(largest, LineValue(text));
        }
    }
    if (dataSet->IsEmpty()) return largest;
    dataSet->Last();
    while (true) {
        const std::string text = field->AsString();
        largest = std::max(largest, LineValue(text));
        if (IsFullWidthNumber(text, width) || dataSet->MoveBy(-1) == 0) break;
    }
    return largest;
}

// ---- duplicate keys ---------------------------------------------------------

std::vector<std::string> KeyNames(const std::string& keyList) {
    std::vector<std::string> names;
    size_t start = 0;
    while (start <= keyList.size()) {
        size_t end = keyList.find('+', start);
        if (end == std::string::npos) end = keyList.size();
        std::string name = plat::Trim(std::string_view(keyList).substr(start, end - start));
        if (!name.empty()) names.push_back(name);
        start = end + 1;
    }
    return names;
}

std::vector<plat::TField*> KeyFields(const plat::TDataSet* dataSet,
                                     const std::vector<std::string>& names) {
    std::vector<plat::TField*> fields;
    fields.reserve(names.size());
    for (const std::string& name : names) fields.push_back(dataSet->FieldByName(name));
    return fields;
}

std::string KeyText(const std::vector<plat::TField*>& fields) {
    std::string text;
    for (const plat::TField* f : fields) {
        text += f->AsString();
        text += '\t';
    }
    return text;
}

// The leading parts of the key that the search cursor's order holds and
// that are non-empty texts: equal stored texts are then exactly equal key
// parts, so every record with the checked record's key lies in the run that
// starts where those parts are first found. Zero when the first part is not
// such a part.
size_t SearchablePrefix(const plat::TDataSet* search, const std::vector<plat::TField*>& checked,
                        const std::vector<std::string>& names) {
    auto order = plat::SplitFieldNames(search->IndexFieldNames());
    size_t n = 0;
    for (; n < names.size() && n < order.size() && plat::SameText(order[n], names[n]); ++n) {
        const auto* s = dynamic_cast<const plat::TStringField*>(checked[n]);
        if (!s || s->FixedChar() || s->AsString().empty()) break;
    }
    return n;
}

}  // namespace

std::string NextLineNumber(plat::TDataSet* dataSet, const std::string& fieldName) {
    plat::TField* field = dataSet->FindField(fieldName);
    if (!field) return {};
    const int width = LineNumberWidth(field);
    const bool search = width > 0 && OrderedByFieldAlone(dataSet, field);
    const int64_t largest =
        search ? LargestBySearch(dataSet, field, width) : LargestByWalk(dataSet, field);
    if (search && !dataSet->IsEmpty()) {
        dataSet->Last();
        dataSet->Next();
    }
    std::string text = ZeroPad(width, largest + 1);
    if (width > 0 && (int)text.size() > width)
        throw ELineNumberOverflow(
            "Line numbers of field '" + fieldName + "' are used up: " + std::to_string(largest) +
            " is the largest number its " + std::to_string(width) + " characters hold");
    return text;
}

void NextLineNumber(plat::TDataSet* dataSet, const std::string& fieldName, std::string& text) {
    text.clear();
    text = NextLineNumber(dataSet, fieldName);
}

std::string RecordKeyText(const plat::TDataSet* dataSet, const std::string& keyList) {
    return KeyText(KeyFields(dataSet, KeyNames(keyList)));
}

bool HasDuplicateKey(plat::TDataSet* search, plat::TField* field, const std::string& keyList) {
    plat::TDataSet* own = field->DataSet();
    std::vector<std::string> names = KeyNames(keyList);
    if (names.empty()) names.push_back(field->FieldName());
    const std::vector<plat::TField*> checked = KeyFields(own, names);
    const std::string key = KeyText(checked);
    // Unassigned while the record is being inserted: no record of the search is it.
    const plat::TBookmark self = own->GetBookmark();
    const std::vector<plat::TField*> fields = KeyFields(search, names);
    auto isOther = [&] { return !(search->GetBookmark() == self); };

    if (const size_t prefix = SearchablePrefix(search, checked, names)) {
        plat::Variant values = plat::Variant::CreateArray({0, (int)prefix - 1});
        std::string order;
        for (size_t i = 0; i < prefix; ++i) {
            values[(int)i] = checked[i]->AsString();
            order += (order.empty() ? "" : ";") + names[i];
        }
        auto inRun = [&] {
            for (size_t i = 0; i < prefix; ++i)
                if (fields[i]->AsString() != checked[i]->AsString()) return false;
            return true;
        };
        if (!search->Locate(order, prefix == 1 ? values[0] : values)) return false;
        for (; !search->Eof() && inRun(); search->Next())
            if (KeyText(fields) == key && isOther()) return true;
        return false;
    }
    for (search->First(); !search->Eof(); search->Next())
        if (KeyText(fields) == key && isOther()) return true;
    return false;
}

bool CopyDataSetStructure(plat::TComponent* owner, plat::TDataSet* source,
                          plat::TClientDataSet*& destination) {
    if (!destination) destination = new plat::TClientDataSet(owner);
    destination->Close();
    destination->FieldDefs().Clear();
    for (plat::TField* f : source->Fields()) {
        if (!f->IsDataField() || f->DataType() == plat::TFieldType::ftDataSet) continue;
        const bool text = plat::IsTextType(f->DataType());
        destination->FieldDefs().Add(f->FieldName(), f->DataType(), text ? f->Size() : 0);
    }
    destination->CreateDataSet();
    return true;
}

bool CloneCursorSafe(plat::TClientDataSet* source, plat::TClientDataSet* destination) {
    try {
        destination->CloneCursor(source, false, false);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

double ValueByDecimals(const plat::TField* field, int decimals) {
    if (field->IsNull() || decimals < -2) return 0;
    const double value = field->AsFloat();
    if (decimals == -2) return std::trunc(value);
    if (decimals == -1) return value;
    return plat::StrToFloat(plat::Format("%10.*f", {decimals, value}));
}

void SetValueByDecimals(plat::TField* field, int decimals, double value) {
    if (decimals < -2) return;
    std::string text;
    if (decimals == -2)
        text = plat::FloatToStr(std::trunc(value));
    else if (decimals == -1)
        text = plat::FloatToStr(value);
    else
        text = plat::Format("%10.*f", {decimals, value});
    SetFieldText(field, text, true);
}

}  // namespace ktrb
