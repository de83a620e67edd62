// The supplier's document number and the project of the receipt header, and
// the receipt form's own copy of the serial numbers, kept in step with the
// serial rows of the lines as they are posted and deleted.
#include <string>

#include "receipt/rules/Ktrb52CD.h"
#include "runtime/Brokers.h"

namespace ktrb {

using plat::TField;
using plat::Variant;

namespace {

// A serial row is one serial number of one line.
constexpr const char* kSerialKey = "MB001;MB002;MB003;MB004";

Variant serialKeyOf(plat::TDataSet* rows) {
    return plat::VarArrayOf({Variant(rows->FieldByName("MB001")->AsString()),
                             Variant(rows->FieldByName("MB002")->AsString()),
                             Variant(rows->FieldByName("MB003")->AsString()),
                             Variant(rows->FieldByName("MB004")->AsString())});
}

bool isNested(const TField* f) { return dynamic_cast<const plat::TDataSetField*>(f) != nullptr; }

}  // namespace

void TdmKtrb52::cdsMainTH006Validate(TField* Sender) {
    Variant reply;
    bool used = false;
    switch (formMode()) {
        case TFormMode::Add:
            used = GetLookupValues(HeadField("TH001"), "MOCTH", "05", reply, plat::VarArrayOf({Variant(Sender->AsString())}));
            break;
        case TFormMode::Edit:
            used = GetLookupValues(HeadField("TH001"), "MOCTH", "06", reply,
                            plat::VarArrayOf({Variant(Sender->AsString()), Variant(headText("TH001")),
                                              Variant(headText("TH002"))}));
            break;
        case TFormMode::Browse: return;
    }
    if (used && hasValues(reply)) showMessage(kMsgWarning, "200400", {Variant(std::string())});
}

void TdmKtrb52::cdsMainTH045Validate(TField* Sender) {
    CheckValueAndFill(Sender, "CMSNO", "01", plat::VarArrayOf({Variant(Sender->AsString())}), "TH045C");
}

void TdmKtrb52::cdsFootAfterPost(plat::TDataSet* DataSet) {
    plat::TClientDataSet* copy = ReceiptForm().SerialDataSet();
    if (!copy || !copy->Active()) return;
    // Matched by line and serial number: the same serial number on another
    // line is another row.
    if (copy->Locate(kSerialKey, serialKeyOf(DataSet))) copy->Edit();
    else copy->Append();
    for (TField* f : DataSet->Fields()) {
        if (!f->IsDataField() || isNested(f)) continue;
        copy->FieldByName(f->FieldName())->SetAsString(f->AsString());
    }
    copy->Post();
}

void TdmKtrb52::cdsFootBeforeDelete(plat::TDataSet* DataSet) {
    plat::TClientDataSet* copy = ReceiptForm().SerialDataSet();
    if (!copy || !copy->Active()) return;
    const Variant key = serialKeyOf(DataSet);
    while (copy->Locate(kSerialKey, key)) copy->Delete();
}

}  // namespace ktrb
