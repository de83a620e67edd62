// The supplier's document number and the project of the receipt header, and
// the receipt form's own copy of the serial numbers, kept in step with the
// serial rows of the lines as they are posted and deleted.
#include <string>
#include <vector>

#include "receipt/rules/FieldCodes.h"
#include "receipt/rules/Ktrb52CD.h"
#include "runtime/Brokers.h"

namespace ktrb {

using plat::TField;
using plat::Variant;

namespace {

// A serial row is one serial number of one line.
constexpr const char* kSerialKey = "MB001;MB002;MB003;MB004";

const char* const kLineKey[][2] = {
    {psmmb::DocType, mocti::DocType}, {psmmb::DocNo, mocti::DocNo}, {psmmb::LineNo, mocti::LineNo}};

bool isNested(const TField* f) {
    return dynamic_cast<const plat::TDataSetField*>(f) != nullptr;
}

// The line and serial number of a serial row; a row the server has not
// keyed yet belongs to the current line.
std::vector<std::string> serialKeyOf(plat::TDataSet* rows, plat::TDataSet* lines) {
    std::vector<std::string> key;
    for (const auto& [serialField, lineField] : kLineKey) {
        std::string value = rows->FieldByName(serialField)->AsString();
        key.push_back(value.empty() ? lines->FieldByName(lineField)->AsString() : value);
    }
    key.push_back(rows->FieldByName(psmmb::Serial)->AsString());
    return key;
}

Variant keyValues(const std::vector<std::string>& key) {
    return plat::VarArrayOf({Variant(key[0]), Variant(key[1]), Variant(key[2]), Variant(key[3])});
}

}  // namespace

void TdmKtrb52::cdsMainTH006Validate(TField* Sender) {
    Variant reply;
    bool used = false;
    switch (formMode()) {
        case TFormMode::Add:
            used = GetLookupValues(HeadField(mocth::DocType), "MOCTH", "05", reply,
                                   plat::VarArrayOf({Variant(Sender->AsString())}));
            break;
        case TFormMode::Edit:
            used = GetLookupValues(
                HeadField(mocth::DocType), "MOCTH", "06", reply,
                plat::VarArrayOf({Variant(Sender->AsString()), Variant(headText(mocth::DocType)),
                                  Variant(headText(mocth::DocNo))}));
            break;
        case TFormMode::Browse:
            return;
    }
    if (used && hasValues(reply)) showMessage(kMsgWarning, "200400", {Variant(std::string())});
}

void TdmKtrb52::cdsMainTH045Validate(TField* Sender) {
    CheckValueAndFill(Sender, "CMSNO", "01", plat::VarArrayOf({Variant(Sender->AsString())}),
                      mocth::ProjectName);
}

void TdmKtrb52::cdsFootAfterPost(plat::TDataSet* DataSet) {
    plat::TClientDataSet* copy = ReceiptForm().SerialDataSet();
    if (!copy || !copy->Active()) return;
    // Matched by line and serial number: the same serial number on another
    // line is another row.
    const std::vector<std::string> key = serialKeyOf(DataSet, cdsBody1);
    if (copy->Locate(kSerialKey, keyValues(key)))
        copy->Edit();
    else
        copy->Append();
    for (TField* f : DataSet->Fields()) {
        if (!f->IsDataField() || isNested(f)) continue;
        copy->FieldByName(f->FieldName())->SetAsString(f->AsString());
    }
    for (int i = 0; i < 3; ++i) copy->FieldByName(kLineKey[i][0])->SetAsString(key[i]);
    copy->Post();
}

void TdmKtrb52::cdsFootBeforeDelete(plat::TDataSet* DataSet) {
    plat::TClientDataSet* copy = ReceiptForm().SerialDataSet();
    if (!copy || !copy->Active()) return;
    const Variant key = keyValues(serialKeyOf(DataSet, cdsBody1));
    while (copy->Locate(kSerialKey, key)) copy->Delete();
}

}  // namespace ktrb
