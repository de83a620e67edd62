#include "dataframe/BaseCD.h"

#include <algorithm>

#include "dataframe/knlBase.h"
#include "dataframe/knlRadical.h"
#include "platform/component/properties.h"
#include "platform/core/numbers.h"
#include "platform/core/text.h"
#include "runtime/Brokers.h"
#include "runtime/LibStrs.h"

namespace ktrb {

using plat::TDataSet;
using plat::TField;
using plat::Variant;

namespace {

bool isWordByte(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '#' || c == '@' || c == '$' || c >= 0x80;
}

bool wordAt(const std::string& text, size_t at, const std::string& word) {
    if (text.compare(at, word.size(), word) != 0) return false;
    if (at > 0 && isWordByte((unsigned char)text[at - 1])) return false;
    size_t end = at + word.size();
    return end >= text.size() || !isWordByte((unsigned char)text[end]);
}

// The first position of an SQL keyword as a whole word (the text is upper
// case); npos when absent.
size_t findKeyword(const std::string& text, const std::string& word, size_t from = 0) {
    for (size_t at = text.find(word, from); at != std::string::npos; at = text.find(word, at + 1))
        if (wordAt(text, at, word)) return at;
    return std::string::npos;
}

// The FROM of the outer select: the first one outside brackets, else the
// first one anywhere.
size_t findOuterFrom(const std::string& upper) {
    int depth = 0;
    for (size_t i = 0; i < upper.size(); ++i) {
        if (upper[i] == '(')
            ++depth;
        else if (upper[i] == ')')
            --depth;
        else if (depth == 0 && wordAt(upper, i, "FROM"))
            return i;
    }
    return findKeyword(upper, "FROM");
}

std::string dropFirstItem(const std::string& columns) {
    size_t comma = columns.find(',');
    return comma == std::string::npos ? columns : columns.substr(comma + 1);
}

std::string dropAs(const std::string& columns) {
    return plat::StringReplace(columns, " AS ", " ", plat::ReplaceFlags::All);
}

}  // namespace

TdmBase::TdmBase(plat::TComponent* owner) : TdmRadical(owner) {
    cdsMain = new TwwClientDataSet(this);
    cdsMain->SetName("cdsMain");
    cdsMain->SetRemoteServer(MIDAS);
    cdsMain->PacketRecords = 20;
    cdsMain->FetchOnDemand = false;
    cdsMain->ValidateWithMask = true;
    cdsMain->BeforeOpen = plat::TDataSetNotifyEvent(this, &TdmBase::cdsMainBeforeOpen);
    cdsMain->AfterOpen = plat::TDataSetNotifyEvent(this, &TdmBase::cdsMainAfterOpen);
    cdsMain->AfterEdit = plat::TDataSetNotifyEvent(this, &TdmBase::cdsMainAfterEdit);
    cdsMain->BeforePost = plat::TDataSetNotifyEvent(this, &TdmBase::cdsMainBeforePost);
    cdsMain->BeforeScroll = plat::TDataSetNotifyEvent(this, &TdmBase::cdsMainBeforeScroll);
    cdsMain->AfterScroll = plat::TDataSetNotifyEvent(this, &TdmBase::cdsMainAfterScroll);
    cdsMain->OnNewRecord = plat::TDataSetNotifyEvent(this, &TdmBase::cdsMainNewRecord);
    dsMain = new TwwDataSource(this);
    dsMain->SetName("dsMain");
    dsMain->SetDataSet(cdsMain);
    cdsMainColor = new TwwClientDataSet(this);
    cdsMainColor->SetName("cdsMainColor");
    cdsMainColor->SetRemoteServer(MIDAS);
    cdsMainColor->PacketRecords = 20;
    cdsMainColor->FetchOnDemand = false;
    dsMainColor = new TwwDataSource(this);
    dsMainColor->SetName("dsMainColor");
}

TdmBase::~TdmBase() {
    // Close and disconnect while the owned components still exist; freeing
    // them comes last. A descendant that already freed them has closed them.
    for (int i = 0; !Destroying() && i < ComponentCount(); ++i) {
        auto* ds = dynamic_cast<TDataSet*>(Components(i));
        if (!ds) continue;
        try {
            ds->Close();
        } catch (const std::exception&) {
            // A data set that cannot close cleanly is freed with the module anyway.
        }
    }
    if (!Destroying() && MIDAS && MIDAS->Connected()) MIDAS->Close();
    BeginDestroy();
}

bool TdmBase::IsLocalServer() {
    return IsLocalAddress(MIDAS->Address());
}

void TdmBase::ShowAuditFields(bool show) {
    ShowAuditFieldsOf(cdsMain, show);
}

// ---- program settings and selects ----

bool TdmBase::InitDataModule() {
    MainTable = hostParam("M11_TABLE");
    SetKeyFields(hostParam("M11_KEY"));
    if (sysParam("SYS150").substr(0, 1) == "Y") {
        SetMainSelect(hostParam("M11_SELECT"));
        SetBodySelect(hostParam("D11_SELECT"));
    }
    cdsMain->Open();
    SetAuditFieldLabels(cdsMain);
    bool active = cdsMain->Active();
    try {
        cdsMainColor->SetRemoteServer(MIDAS);
        cdsMainColor->SetProviderName("pvdColor");
        cdsMainColor->Open();
    } catch (const std::exception&) {
        // Documents without colour rules have no colour data.
    }
    return active;
}

void TdmBase::SetKeyFields(const std::string& keys) {
    if (!plat::SameText(keys, KeyFields)) KeyFields = keys;
}

void TdmBase::SetMainSelect(const std::string& select) {
    std::string s = dropFirstItem(plat::UpperCase(select));
    size_t from = findKeyword(s, "FROM");
    s = from == std::string::npos ? std::string() : s.substr(0, from);
    MainColumns = dropAs(plat::Trim(s));
}

void TdmBase::SetBodySelect(const std::string& select) {
    std::string upper = plat::UpperCase(select);
    size_t from = findOuterFrom(upper);
    if (from == std::string::npos) {
        BodyColumns.clear();
        BodyFrom.clear();
        return;
    }
    BodyColumns = dropFirstItem(dropAs(plat::Trim(upper.substr(0, from))));
    BodyFrom = plat::Trim(upper.substr(from + 4));
    size_t join = std::string::npos;
    for (const char* word : {"LEFT", "RIGHT", "INNER"})
        join = std::min(join, findKeyword(BodyFrom, word));
    if (join == std::string::npos) {
        BodyFrom.clear();
        return;
    }
    size_t end = findKeyword(BodyFrom, "WHERE");
    if (end == std::string::npos) end = BodyFrom.size();
    // Positions in the upper-case text hold in the original (same bytes).
    std::string original = plat::Trim(select.substr(from + 4));
    BodyFrom = " " + original.substr(join, end - join);
}

void TdmBase::LoadNumberFormats(const std::string& tables) {
    if (tables.empty() || !Broker) return;
    Variant rows;
    if (!Broker->QueryData("NUMFD", "01", Variant(tables), rows) || !rows.IsArray()) return;
    for (int i = rows.LowBound(1); i <= rows.HighBound(1); ++i) {
        const Variant& row = rows[i];
        if (!row.IsArray() || row.ArrayCount() < 3) continue;
        int low = row.LowBound(1);
        std::string column = plat::VarToStr(row[low]);
        if (NumberFormats.IndexOfName(column) >= 0) continue;
        NumberFormats.Add(column + "=" + plat::VarToStr(row[low + 1]) + "." +
                          plat::VarToStr(row[low + 2]));
    }
}

namespace {
// A float column without a number format keeps this many significant digits.
constexpr int kFloatDigits = 15;
}  // namespace

double TdmBase::CheckNumberRange(TField* field, int decimals, bool showMessage, double value) {
    std::string format = NumberFormats.Values(field->FieldName());
    int precision = 0, scale = 0;
    if (!format.empty()) {
        precision = plat::StrToIntDef(TokenAt(format, ".", 1), 0);
        scale = plat::StrToIntDef(TokenAt(format, ".", 2), 0);
    } else if (field->DataType() == plat::TFieldType::ftFloat ||
               field->DataType() == plat::TFieldType::ftCurrency) {
        // A column without a number format is a binary float: it keeps 15
        // significant digits, and a longer number would be stored changed.
        precision = kFloatDigits;
        scale = std::clamp(decimals, 0, kFloatDigits - 1);
    } else {
        return value;
    }
    if (precision - scale <= 0) return value;
    std::string limit(precision - scale, '9');
    if (decimals > 0 && decimals < scale)
        limit += "." + std::string(decimals, '9');
    else if (decimals >= scale && scale > 0)
        limit += "." + std::string(scale, '9');
    double bound = plat::StrToFloat(limit);
    if (value > bound) {
        if (showMessage)
            this->showMessage(kMsgError, "100280",
                              {Variant(field->DisplayLabel()), Variant(limit)});
        return 0;
    }
    if (value < -bound) {
        if (showMessage)
            this->showMessage(kMsgError, "100288",
                              {Variant(field->DisplayLabel()), Variant("-" + limit)});
        return 0;
    }
    return value;
}

void TdmBase::NumberFieldSetText(TField* Sender, const std::string& Text) {
    double value = 0;
    std::string s = plat::Trim(plat::StringReplace(Text, ",", "", plat::ReplaceFlags::All));
    if (!s.empty() && !plat::TryStrToFloat(s, value)) value = 0;
    int decimals = GetFieldDecimals(Sender->FieldName());
    if (decimals >= 0) value = RoundToDecimals(decimals, value);
    value = CheckNumberRange(Sender, decimals, true, value);
    try {
        Sender->SetValue(Variant(value));
    } catch (const plat::EConvertError&) {
        Sender->SetValue(Variant(0));
    }
}

// ---- cdsMain events ----

void TdmBase::cdsMainNewRecord(TDataSet* DataSet) {
    SetAuditValues(DataSet);
    SetDefaultValues();
    FillNulls(DataSet);
}

void TdmBase::cdsMainAfterEdit(TDataSet* DataSet) {
    if (OwnerForm() && OwnerForm()->FormMode() == TFormMode::Edit) SetAuditValues(DataSet);
}

void TdmBase::cdsMainBeforePost(TDataSet* DataSet) {
    if (OwnerForm() && !OwnerForm()->ValidateRequiredFields(DataSet)) plat::Abort();
}

void TdmBase::cdsMainBeforeScroll(TDataSet*) {
    if (EventsBound) FetchNextPacketAtEnd(cdsMain, dsMain);
}

void TdmBase::cdsMainAfterScroll(TDataSet* DataSet) {
    if (!OwnerForm()) return;
    try {
        OwnerForm()->ApplyRecordRights(DataSet);
    } catch (const std::exception&) {
        // Rights on controls are cosmetic here; the save checks them again.
    }
}

void TdmBase::cdsMainAfterOpen(TDataSet*) {
    for (int i = 0; i < CurrencyFields.Count(); ++i) {
        std::string name = CurrencyFields.Names(i);
        std::string fieldName = name.substr(0, name.find("||"));
        if (plat::SameText(fieldName, kLocalCurrencyKey)) continue;
        bool earlier = false;
        for (int j = 0; j < i && !earlier; ++j) {
            std::string other = CurrencyFields.Names(j);
            earlier = plat::SameText(other.substr(0, other.find("||")), fieldName);
        }
        if (earlier) continue;
        if (TField* f = findFieldComponent(fieldName)) CurrencyFieldChange(f);
    }
    if (AppServer.IsDispatch())
        ServerRecordCount = (int)plat::VarToIntDef(AppServer.AsDispatch()->Call("GetRecCount"), 0);
}

void TdmBase::cdsMainBeforeOpen(TDataSet*) {}

PLAT_PUBLISH(TdmBase) {
    p.Method("cdsMainNewRecord", &TdmBase::cdsMainNewRecord);
    p.Method("cdsMainAfterEdit", &TdmBase::cdsMainAfterEdit);
    p.Method("cdsMainBeforePost", &TdmBase::cdsMainBeforePost);
    p.Method("cdsMainBeforeScroll", &TdmBase::cdsMainBeforeScroll);
    p.Method("cdsMainAfterScroll", &TdmBase::cdsMainAfterScroll);
    p.Method("cdsMainAfterOpen", &TdmBase::cdsMainAfterOpen);
    p.Method("cdsMainBeforeOpen", &TdmBase::cdsMainBeforeOpen);
    p.Method("CurrencyFieldChange", &TdmBase::CurrencyFieldChange);
    p.Method("MoneyFieldGetText", &TdmBase::MoneyFieldGetText);
    p.Method("QuantityFieldGetText", &TdmBase::QuantityFieldGetText);
    p.Method("NumberFieldSetText", &TdmBase::NumberFieldSetText);
}

}  // namespace ktrb
