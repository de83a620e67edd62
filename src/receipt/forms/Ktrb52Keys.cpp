// The receipt form's look-up keys: F2 on the head fields, the amount
// dialog's edits and the line grid's columns; F3 and F4 on a few columns.
#include <algorithm>

#include "controls/FDBGrid.h"
#include "platform/automation/oleobject.h"
#include "platform/core/text.h"
#include "platform/data/clientdataset.h"
#include "platform/ui/dbctrls.h"
#include "receipt/forms/Ktrb52CF.h"
#include "receipt/rules/FieldCodes.h"
#include "runtime/Brokers.h"
#include "runtime/LibStrs.h"
#include "runtime/PropAccess.h"

namespace ktrb {

using plat::TField;
using plat::Variant;

namespace {

std::string dataFieldOf(plat::TWinControl* control) {
    if (auto* e = dynamic_cast<plat::TDBEdit*>(control)) return plat::Trim(e->DataField());
    if (auto* c = dynamic_cast<plat::TDBComboBox*>(control)) return plat::Trim(c->DataField());
    return {};
}

void putInEdit(plat::TDataSet* ds) {
    if (ds->State() != plat::dsEdit && ds->State() != plat::dsInsert) ds->Edit();
}

}  // namespace

std::string NextBatchNumber(const std::string& pattern, const std::string& highest) {
    const size_t start = pattern.find('*');
    const size_t end = pattern.find_first_not_of('*', start);
    const size_t run = (end == std::string::npos ? pattern.size() : end) - start;
    const std::string prefix = pattern.substr(0, start);
    const std::string suffix = pattern.substr(start + run);
    uint64_t next = 1;
    if (!highest.empty()) {
        std::string digits = highest.size() >= start + run ? highest.substr(start, run) : "";
        if (digits.empty() || digits.size() > 18 ||
            !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
            digits = "0";
        next = std::stoull(digits) + 1;
    }
    std::string number = std::to_string(next);
    if (number.size() > run) return {};
    return prefix + std::string(run - number.size(), '0') + number + suffix;
}

TField* TfrmKtrb52::selectedBodyField() const {
    return gdBody1 ? gdBody1->SelectedField() : nullptr;
}

void TfrmKtrb52::HandleF2Key(uint16_t& key, plat::TWinControl* control) {
    TfrmDouble::HandleF2Key(key, control);
    TdmKtrb52* dm = ReceiptModule();
    if (!dm || !control) return;
    const bool inGrid = control == gdBody1 || (gdBody1 && control->Parent() == gdBody1);
    if (!inGrid) {
        const std::string name = control->Name();
        if (name == "edTI023" || name == "edTI028" || name == "edTI026") {
            putInEdit(dm->cdsBody1);
            const std::string field = name.substr(2);
            if (field == mocti::PricingUnit)
                OpenLookup(line(mocti::PricingUnit), "INVMD",
                           plat::VarArrayOf({lineText(mocti::Item), lineText(mocti::Item)}), "01");
            else if (field == mocti::DeductionNote)
                PickPhrase(line(mocti::DeductionNote));
            else
                OpenLookupEx(line(mocti::DeductionAmount), ",,", false, false,
                             plat::VarArrayOf({lineText(mocti::Item), headText(mocth::Supplier),
                                               headText(mocth::Currency), lineText(mocti::Process),
                                               headText(mocth::DocDate), headText(mocth::DocDate)}),
                             "02", "MOCMA");
            return;
        }
        headF2(dataFieldOf(control));
        return;
    }
    putInEdit(dm->cdsBody1);
    bodyF2(selectedBodyField());
}

void TfrmKtrb52::headF2(const std::string& name) {
    TField* f = head(name.c_str());
    if (!f) return;
    const Variant empty("");
    if (name == mocth::DocType)
        OpenLookup(f, "CMSMQ", plat::VarArrayOf({"59", Brokers()->UserID}), "01");
    else if (name == mocth::DocDate || name == mocth::InvoiceDate)
        PickDate(f);
    else if (name == mocth::Factory)
        OpenLookup(f, "CMSMB", empty, "01");
    else if (name == mocth::Department)
        OpenLookup(f, "CMSME", empty, "01");
    else if (name == mocth::Supplier)
        OpenLookup(f, "PURMA", empty, "02");
    else if (name == mocth::Currency)
        OpenLookup(f, "CMSMF", empty, "01");
    else if (name == mocth::ExchangeRate)
        OpenLookup(f, "CMSMG", Variant(headText(mocth::Currency)), "01");
    else if (name == mocth::Remark)
        PickPhrase(f);
    else if (name == mocth::PaymentTerms)
        OpenLookup(f, "CMSNA", Variant("1"), "01");
    else if (name == mocth::Project && sys("SYS180") == "Y")
        OpenLookup(f, "CMSNO", empty, "01");
}

void TfrmKtrb52::convertPrice(TField* price) {
    if (!price) return;
    Variant result = Brokers()->CallServerMethod(
        "ChangeTax",
        plat::VarArrayOf({price->Value(), headText(mocth::TaxKind), "N", headText(mocth::Currency),
                          head(mocth::TaxRate) ? head(mocth::TaxRate)->Value() : Variant()}));
    if (!result.IsEmpty() && !result.IsNull()) SetFieldText(price, plat::VarToStr(result));
}

void TfrmKtrb52::bodyF2(TField* f) {
    if (!f || f->ReadOnly()) return;
    const std::string name = f->FieldName();
    const Variant empty("");
    const Variant project(sys("SYS180") == "Y" ? headText(mocth::Project) : std::string());
    if (name == mocti::Item) {
        OpenLookup(f, lineText(mocti::ItemKind) == "1" ? "BOMMI" : "INVMB", empty, "01");
    } else if (name == mocti::Unit || name == mocti::PricingUnit) {
        OpenLookup(f, "INVMD", Variant(lineText(mocti::Item)), "01");
    } else if (name == mocti::Warehouse) {
        const bool workOrder =
            !lineText(mocti::WorkOrderType).empty() || !lineText(mocti::WorkOrderNo).empty();
        OpenLookup(f, "CMSMC", Variant(headText(mocth::Factory)), workOrder ? "06" : "01");
    } else if (name == mocti::Lot) {
        OpenLookup(f, "INVML",
                   plat::VarArrayOf({lineText(mocti::Item), lineText(mocti::Warehouse),
                                     lineText(mocti::Location)}),
                   "03");
    } else if (name == mocti::ExpiryDate || name == mocti::RecheckDate ||
               name == mocti::ProductionDate || name == mocti::AcceptanceDate) {
        PickDate(f);
    } else if (name == mocti::WorkOrderType) {
        // A work order picked fills the line as a typed one does.
        if (OpenLookupEx(
                f, "TI013,TI014", false, false,
                plat::VarArrayOf({"2", headText(mocth::Factory), lineText(mocti::WorkOrderType),
                                  lineText(mocti::WorkOrderNo), "", headText(mocth::Supplier),
                                  lineText(mocti::Item), headText(mocth::Currency),
                                  headText(mocth::TaxKind), lineText(mocti::ItemKind), project}),
                "72", "MOCTA") &&
            !lineText(mocti::WorkOrderNo).empty())
            onToTheQuantity();
    } else if (name == mocti::Process) {
        OpenLookupEx(f, "TI015,TI024", false, false,
                     plat::VarArrayOf({lineText(mocti::Item), "2", headText(mocth::Currency)}),
                     "02", "BOMMF");
        convertPrice(line(mocti::UnitPrice));
    } else if (name == mocti::UnitPrice) {
        if (lineText(mocti::ItemKind) != "2") return;
        TLookupRequest request;
        request.A = Variant("MOCMA");
        request.B = Variant("01");
        request.Value = plat::VarArrayOf({lineText(mocti::Item), headText(mocth::Supplier),
                                          headText(mocth::Currency), headText(mocth::DocDate),
                                          headText(mocth::DocDate)});
        Variant rows = Brokers()->F2GetData(request);
        if (!rows.IsArray() || rows.ArrayCount() == 0) return;
        const Variant& row = rows[rows.LowBound()];
        if (!row.IsArray() || row.ArrayCount() < 10) return;
        const int lo = row.LowBound();
        SetFieldText(line(mocti::PricingUnit), plat::VarToStr(row[lo]));
        SetFieldText(line(mocti::Process), plat::VarToStr(row[lo + 3]));
        Variant price = Brokers()->CallServerMethod(
            "ChangeTax", plat::VarArrayOf({row[lo + 1], headText(mocth::TaxKind), row[lo + 9],
                                           sys("SYS003"), sys("SYS004")}));
        SetFieldText(line(mocti::UnitPrice), plat::VarToStr(price));
    } else if (name == mocti::DeductionAmount) {
        OpenLookupEx(f, ",,TI026", false, false,
                     plat::VarArrayOf({lineText(mocti::Item), headText(mocth::Supplier),
                                       headText(mocth::Currency), lineText(mocti::Process),
                                       headText(mocth::DocDate), headText(mocth::DocDate)}),
                     "02", "MOCMA");
    } else if (name == mocti::DeductionNote || name == mocti::Remark || name == mocti::LotNote) {
        PickPhrase(f);
    } else if (name == mocti::Project) {
        if (sys("SYS180") == "N") OpenLookup(f, "INVLD", Variant(lineText(mocti::Item)), "01");
    } else if (name == mocti::Location) {
        OpenLookup(f, "CMSNI", plat::VarArrayOf({lineText(mocti::Warehouse)}), "01");
    } else if (name == mocti::InspectionBatch) {
        if (headText(mocth::ChecksInspection) == "Y")
            OpenLookupEx(f, "TIC02,TIC03,TIC04,TIC05", false, false,
                         plat::VarArrayOf({headText(mocth::Supplier), headText(mocth::Factory),
                                           lineText(mocti::DocType), lineText(mocti::DocNo)}),
                         "04", "QMSTD");
    }
}

void TfrmKtrb52::HandleF3Key(uint16_t& key, plat::TWinControl* control) {
    TfrmDouble::HandleF3Key(key, control);
    TdmKtrb52* dm = ReceiptModule();
    if (!dm || !control || !gdBody1 || (control != gdBody1 && control->Parent() != gdBody1)) return;
    putInEdit(dm->cdsBody1);
    bodyF3(selectedBodyField());
}

void TfrmKtrb52::bodyF3(TField* f) {
    if (!f || f->ReadOnly()) return;
    const std::string name = f->FieldName();
    if (name == mocti::Item) {
        if (headText(mocth::ChecksArrival) != "Y") return;
        const std::string lineType = lineText(mocti::ItemKind) == "1" ? "1" : "2";
        if (lineText(mocti::ItemKind) != "1" && lineText(mocti::ItemKind) != "2") return;
        OpenLookupEx(
            f, "TI013,TI014", false, false,
            plat::VarArrayOf({"2", headText(mocth::Factory), lineText(mocti::WorkOrderType),
                              lineText(mocti::WorkOrderNo), "", headText(mocth::Supplier),
                              headText(mocth::Currency), headText(mocth::TaxKind), lineType,
                              sys("SYS180") == "Y" ? headText(mocth::Project) : std::string()}),
            "71", "MOCTA");
    } else if (name == mocti::Process) {
        OpenLookupEx(
            f, "TI015,TI024", false, false,
            plat::VarArrayOf({lineText(mocti::WorkOrderType), lineText(mocti::WorkOrderNo)}), "06",
            "SFCTA");
        convertPrice(line(mocti::UnitPrice));
    } else if (name == mocti::Lot) {
        batchNumberFromRule(f);
    }
}

void TfrmKtrb52::batchNumberFromRule(TField* f) {
    plat::DispatchPtr rules = plat::CreateOleObject("Tarvolin.Class1");
    if (!rules) return;
    const std::string pattern = plat::VarToStr(rules->Call(
        "ShowTree", plat::VarArrayOf({"6", Brokers()->CompanyID, Brokers()->SignOnKey, ""})));
    if (pattern.empty()) return;
    if (pattern.find('*') == std::string::npos) {
        SetFieldTextQuiet(f, pattern);
        return;
    }
    auto filled = [&](const std::string& with) {
        std::string out;
        for (char c : pattern) out += c == '*' ? with : std::string(1, c);
        return out;
    };
    Variant values;
    std::string highest;
    if (TdmKtrb52* dm = ReceiptModule();
        dm &&
        dm->GetLookupValues(f, "INVME", "08", values,
                            plat::VarArrayOf({lineText(mocti::Item), filled("0"), filled("9"),
                                              std::to_string(pattern.size()), filled("[0-9]")})) &&
        values.IsArray() && plat::VarToIntDef(values[0], 0) > 0 && values.ArrayCount() > 1)
        highest = plat::VarToStr(values[1]);
    if (!highest.empty() && highest == filled("9")) {
        Brokers()->ShowMessageCode("E", "100106");
        return;
    }
    const std::string next = NextBatchNumber(pattern, highest);
    if (next.empty()) {
        Brokers()->ShowMessageCode("E", "100106");
        return;
    }
    SetFieldTextQuiet(f, next);
}

void TfrmKtrb52::HandleF4Key(uint16_t& key, plat::TWinControl* control) {
    TfrmDouble::HandleF4Key(key, control);
    TdmKtrb52* dm = ReceiptModule();
    if (!dm || !control || !gdBody1 || (control != gdBody1 && control->Parent() != gdBody1)) return;
    TField* f = selectedBodyField();
    if (!f || f->FieldName() != mocti::Item || headText(mocth::ChecksArrival) != "Y" ||
        lineText(mocti::ItemKind) != "2")
        return;
    TLookupRequest request;
    request.A = Variant("MOCCD");
    request.B = Variant("01");
    request.Value = plat::VarArrayOf(
        {headText(mocth::Supplier), headText(mocth::Factory), lineText(mocti::Item),
         lineText(mocti::ArrivalType), lineText(mocti::ArrivalNo),
         sys("SYS180") == "Y" ? headText(mocth::Project) : std::string()});
    Variant rows = Brokers()->F2GetData(request);
    if (!rows.IsArray() || rows.ArrayCount() == 0) return;
    const Variant& row = rows[rows.LowBound()];
    if (!row.IsArray() || row.ArrayCount() < 3) return;
    putInEdit(dm->cdsBody1);
    const int lo = row.LowBound();
    SetFieldText(line(mocti::ArrivalType), plat::VarToStr(row[lo]));
    SetFieldText(line(mocti::ArrivalNo), plat::VarToStr(row[lo + 1]));
    SetFieldText(line(mocti::ArrivalLineNo), plat::VarToStr(row[lo + 2]));
}

}  // namespace ktrb
