// The receipt form's query menu, the void guard and the line grid's key
// guards.
#include "controls/FDBGrid.h"
#include "controls/QrvEdit.h"
#include "platform/core/text.h"
#include "platform/data/clientdataset.h"
#include "platform/ui/keys.h"
#include "platform/ui/menus.h"
#include "receipt/forms/Ktrb52CF.h"
#include "receipt/rules/FieldCodes.h"
#include "runtime/Brokers.h"

namespace ktrb {

using plat::Variant;

void TfrmKtrb52::bindQueryMenu() {
    auto bind = [this](plat::TMenuItem* item, void (TfrmKtrb52::*handler)(plat::TObject*)) {
        if (item) item->OnClick = plat::TNotifyEvent(this, handler);
    };
    bind(miVNDB04, &TfrmKtrb52::miVNDB04Click);
    bind(miKTRB17, &TfrmKtrb52::miKTRB17Click);
    bind(miBatchStockQuery, &TfrmKtrb52::miBatchStockQueryClick);
    bind(miSubcontractPriceQuery, &TfrmKtrb52::miSubcontractPriceQueryClick);
    bind(miPriceHistoryQuery, &TfrmKtrb52::miPriceHistoryQueryClick);
    bind(miPurchaseInvoiceQuery, &TfrmKtrb52::miPurchaseInvoiceQueryClick);
    bind(miLDGB40, &TfrmKtrb52::miLDGB40Click);
    if (miInvalid) miInvalid->OnClick = plat::TNotifyEvent(this, &TfrmKtrb52::miInvalidGuarded);
    if (btnInvalid) btnInvalid->OnClick = plat::TNotifyEvent(this, &TfrmKtrb52::miInvalidGuarded);
}

std::string TfrmKtrb52::labelOf(const char* name, bool body) const {
    plat::TField* f = body ? line(name) : head(name);
    return f ? f->DisplayLabel() : std::string(name);
}

void TfrmKtrb52::miVNDB04Click(plat::TObject*) {
    if (headText(mocth::Supplier).empty()) {
        Brokers()->ShowMessageCode("E", "200139", {Variant(labelOf(mocth::Supplier, false))});
        return;
    }
    OpenProgram("VNDB04", " PURMA.MA001 =" + plat::QuotedStr(edTH005 ? edTH005->Text()
                                                                     : headText(mocth::Supplier)));
}

void TfrmKtrb52::miKTRB17Click(plat::TObject*) {
    if (lineText(mocti::WorkOrderType).empty() || lineText(mocti::WorkOrderNo).empty()) {
        Brokers()->ShowMessageCode("E", "200139",
                                   {Variant(labelOf(mocti::WorkOrderType, true) + Memo1[8] +
                                            labelOf(mocti::WorkOrderNo, true))});
        return;
    }
    OpenProgram("KTRB17", " TA001 =" + plat::QuotedStr(lineText(mocti::WorkOrderType)) +
                              " and TA002 = " + plat::QuotedStr(lineText(mocti::WorkOrderNo)));
}

void TfrmKtrb52::miBatchStockQueryClick(plat::TObject*) {
    Brokers()->OpenSearchWindow(Variant("INVML"), Variant("01"),
                                plat::VarArrayOf({lineText(mocti::Item), headText(mocth::DocDate),
                                                  headText(mocth::Factory)}));
}

void TfrmKtrb52::miSubcontractPriceQueryClick(plat::TObject*) {
    // Rights bit 2 and bit 8 are the edit ($02) and delete ($08) bits of the word.
    if (!(ActionRights() & (0x02 | 0x08))) {
        Brokers()->ShowMessageCode("E", "100253");
        return;
    }
    Brokers()->OpenSearchWindow(
        Variant("MOCMA"), Variant("01"),
        plat::VarArrayOf({lineText(mocti::Item), headText(mocth::Supplier),
                          headText(mocth::Currency), headText(mocth::DocDate),
                          headText(mocth::DocDate)}));
}

void TfrmKtrb52::miPriceHistoryQueryClick(plat::TObject*) {
    Brokers()->OpenSearchWindow(Variant("MOCTN"), Variant("01"),
                                plat::VarArrayOf({lineText(mocti::Item)}));
}

void TfrmKtrb52::miPurchaseInvoiceQueryClick(plat::TObject*) {
    const Variant keys = plat::VarArrayOf({headText(mocth::DocType), headText(mocth::DocNo)});
    Brokers()->OpenSearchWindow(Variant("MOCTI"), Variant("60"), keys, Variant("ACPTB"),
                                Variant("60"), keys, mocti::LineNo);
}

void TfrmKtrb52::miLDGB40Click(plat::TObject*) {
    if (headText(mocth::DocType).empty() || headText(mocth::DocNo).empty()) {
        Brokers()->ShowMessageCode(
            "E", "200139",
            {Variant(labelOf(mocth::DocType, false) + Me[4] + labelOf(mocth::DocNo, false))});
        return;
    }
    std::string type, number;
    Variant values;
    if (TdmKtrb52* dm = ReceiptModule();
        dm &&
        dm->GetLookupValues(head(mocth::DocType), "AJSLA", "01", values,
                            plat::VarArrayOf({headText(mocth::DocType), headText(mocth::DocNo)})) &&
        values.IsArray() && plat::VarToIntDef(values[0], 0) > 0 && values.ArrayCount() > 4) {
        type = plat::VarToStr(values[3]);
        number = plat::VarToStr(values[4]);
    }
    if (type.empty() || number.empty()) type.clear(), number.clear();
    // The keys are quoted as texts: a quote inside cannot end the condition.
    auto quoted = [](const std::string& v) { return plat::QuotedStr(v); };
    OpenProgram("LDGB40",
                "AJSTA.TA001=" + quoted(type) + " AND AJSTA.TA002=" + quoted(number) + " ");
}

void TfrmKtrb52::miInvalidGuarded(plat::TObject* sender) {
    if (CheckAllBodyLines()) miInvalidClick(sender);
}

void TfrmKtrb52::gdBody1KeyPressGuard(plat::TObject*, char32_t& key) {
    plat::TField* f = selectedBodyField();
    if (f && (f->FieldName() == mocti::StockUnit || f->FieldName() == mocti::StockQuantity))
        key = 0;
}

void TfrmKtrb52::gdBody1KeyDownGuard(plat::TObject* sender, uint16_t& key,
                                     plat::TShiftState shift) {
    TdmKtrb52* dm = ReceiptModule();
    const bool editing = FormMode() == TFormMode::Edit || FormMode() == TFormMode::Add;
    if (dm && editing && key == plat::VK_DELETE && shift.Contains(plat::TShiftStateItem::ssCtrl) &&
        dm->cdsFoot->Active() && !dm->cdsFoot->IsEmpty() && !dm->cdsBody1->ReadOnly() &&
        !(gdBody1 && gdBody1->ReadOnly()) && !dm->cdsBody1->IsEmpty()) {
        Brokers()->ShowMessageCode("E", "201075");
        plat::Abort();
    }
    gdBody1KeyDown(sender, key, shift);
}

}  // namespace ktrb
