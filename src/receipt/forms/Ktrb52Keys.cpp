// The receipt form's look-up keys: F2 on the head fields, the amount
// dialog's edits and the line grid's columns; F3 and F4 on a few columns.
#include <algorithm>

#include "controls/FDBGrid.h"
#include "platform/automation/oleobject.h"
#include "platform/core/text.h"
#include "platform/data/clientdataset.h"
#include "platform/ui/dbctrls.h"
#include "receipt/forms/Ktrb52CF.h"
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
            if (field == "TI023")
                OpenLookup(line("TI023"), "INVMD",
                           plat::VarArrayOf({lineText("TI004"), lineText("TI004")}), "01");
            else if (field == "TI028")
                PickPhrase(line("TI028"));
            else
                OpenLookupEx(
                    line("TI026"), ",,", false, false,
                    plat::VarArrayOf({lineText("TI004"), headText("TH005"), headText("TH007"),
                                      lineText("TI015"), headText("TH029"), headText("TH029")}),
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
    if (name == "TH001")
        OpenLookup(f, "CMSMQ", plat::VarArrayOf({"59", Brokers()->UserID}), "01");
    else if (name == "TH029" || name == "TH013")
        PickDate(f);
    else if (name == "TH004")
        OpenLookup(f, "CMSMB", empty, "01");
    else if (name == "TH038")
        OpenLookup(f, "CMSME", empty, "01");
    else if (name == "TH005")
        OpenLookup(f, "PURMA", empty, "02");
    else if (name == "TH007")
        OpenLookup(f, "CMSMF", empty, "01");
    else if (name == "TH008")
        OpenLookup(f, "CMSMG", Variant(headText("TH007")), "01");
    else if (name == "TH010")
        PickPhrase(f);
    else if (name == "TH033")
        OpenLookup(f, "CMSNA", Variant("1"), "01");
    else if (name == "TH045" && sys("SYS180") == "Y")
        OpenLookup(f, "CMSNO", empty, "01");
}

void TfrmKtrb52::convertPrice(TField* price) {
    if (!price) return;
    Variant result = Brokers()->CallServerMethod(
        "ChangeTax", plat::VarArrayOf({price->Value(), headText("TH015"), "N", headText("TH007"),
                                       head("TH030") ? head("TH030")->Value() : Variant()}));
    if (!result.IsEmpty() && !result.IsNull()) SetFieldText(price, plat::VarToStr(result));
}

void TfrmKtrb52::bodyF2(TField* f) {
    if (!f || f->ReadOnly()) return;
    const std::string name = f->FieldName();
    const Variant empty("");
    const Variant project(sys("SYS180") == "Y" ? headText("TH045") : std::string());
    if (name == "TI004") {
        OpenLookup(f, lineText("TIC01") == "1" ? "BOMMI" : "INVMB", empty, "01");
    } else if (name == "TI008" || name == "TI023") {
        OpenLookup(f, "INVMD", Variant(lineText("TI004")), "01");
    } else if (name == "TI009") {
        const bool workOrder = !lineText("TI013").empty() || !lineText("TI014").empty();
        OpenLookup(f, "CMSMC", Variant(headText("TH004")), workOrder ? "06" : "01");
    } else if (name == "TI010") {
        OpenLookup(f, "INVML",
                   plat::VarArrayOf({lineText("TI004"), lineText("TI009"), lineText("TI060")}),
                   "03");
    } else if (name == "TI011" || name == "TI012" || name == "TI054" || name == "TI018") {
        PickDate(f);
    } else if (name == "TI013") {
        // A work order picked fills the line as a typed one does.
        if (OpenLookupEx(
                f, "TI013,TI014", false, false,
                plat::VarArrayOf({"2", headText("TH004"), lineText("TI013"), lineText("TI014"), "",
                                  headText("TH005"), lineText("TI004"), headText("TH007"),
                                  headText("TH015"), lineText("TIC01"), project}),
                "72", "MOCTA") &&
            !lineText("TI014").empty())
            onToTheQuantity();
    } else if (name == "TI015") {
        OpenLookupEx(f, "TI015,TI024", false, false,
                     plat::VarArrayOf({lineText("TI004"), "2", headText("TH007")}), "02", "BOMMF");
        convertPrice(line("TI024"));
    } else if (name == "TI024") {
        if (lineText("TIC01") != "2") return;
        TLookupRequest request;
        request.A = Variant("MOCMA");
        request.B = Variant("01");
        request.Value = plat::VarArrayOf({lineText("TI004"), headText("TH005"), headText("TH007"),
                                          headText("TH029"), headText("TH029")});
        Variant rows = Brokers()->F2GetData(request);
        if (!rows.IsArray() || rows.ArrayCount() == 0) return;
        const Variant& row = rows[rows.LowBound()];
        if (!row.IsArray() || row.ArrayCount() < 10) return;
        const int lo = row.LowBound();
        SetFieldText(line("TI023"), plat::VarToStr(row[lo]));
        SetFieldText(line("TI015"), plat::VarToStr(row[lo + 3]));
        Variant price = Brokers()->CallServerMethod(
            "ChangeTax", plat::VarArrayOf({row[lo + 1], headText("TH015"), row[lo + 9],
                                           sys("SYS003"), sys("SYS004")}));
        SetFieldText(line("TI024"), plat::VarToStr(price));
    } else if (name == "TI026") {
        OpenLookupEx(f, ",,TI026", false, false,
                     plat::VarArrayOf({lineText("TI004"), headText("TH005"), headText("TH007"),
                                       lineText("TI015"), headText("TH029"), headText("TH029")}),
                     "02", "MOCMA");
    } else if (name == "TI028" || name == "TI040" || name == "TI055") {
        PickPhrase(f);
    } else if (name == "TI032") {
        if (sys("SYS180") == "N") OpenLookup(f, "INVLD", Variant(lineText("TI004")), "01");
    } else if (name == "TI060") {
        OpenLookup(f, "CMSNI", plat::VarArrayOf({lineText("TI009")}), "01");
    } else if (name == "TIC05") {
        if (headText("MQC04C") == "Y")
            OpenLookupEx(f, "TIC02,TIC03,TIC04,TIC05", false, false,
                         plat::VarArrayOf({headText("TH005"), headText("TH004"), lineText("TI001"),
                                           lineText("TI002")}),
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
    if (name == "TI004") {
        if (headText("MQC03C") != "Y") return;
        const std::string lineType = lineText("TIC01") == "1" ? "1" : "2";
        if (lineText("TIC01") != "1" && lineText("TIC01") != "2") return;
        OpenLookupEx(
            f, "TI013,TI014", false, false,
            plat::VarArrayOf({"2", headText("TH004"), lineText("TI013"), lineText("TI014"), "",
                              headText("TH005"), headText("TH007"), headText("TH015"), lineType,
                              sys("SYS180") == "Y" ? headText("TH045") : std::string()}),
            "71", "MOCTA");
    } else if (name == "TI015") {
        OpenLookupEx(f, "TI015,TI024", false, false,
                     plat::VarArrayOf({lineText("TI013"), lineText("TI014")}), "06", "SFCTA");
        convertPrice(line("TI024"));
    } else if (name == "TI010") {
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
                            plat::VarArrayOf({lineText("TI004"), filled("0"), filled("9"),
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
    if (!f || f->FieldName() != "TI004" || headText("MQC03C") != "Y" || lineText("TIC01") != "2")
        return;
    TLookupRequest request;
    request.A = Variant("MOCCD");
    request.B = Variant("01");
    request.Value = plat::VarArrayOf({headText("TH005"), headText("TH004"), lineText("TI004"),
                                      lineText("TIC02"), lineText("TIC03"),
                                      sys("SYS180") == "Y" ? headText("TH045") : std::string()});
    Variant rows = Brokers()->F2GetData(request);
    if (!rows.IsArray() || rows.ArrayCount() == 0) return;
    const Variant& row = rows[rows.LowBound()];
    if (!row.IsArray() || row.ArrayCount() < 3) return;
    putInEdit(dm->cdsBody1);
    const int lo = row.LowBound();
    SetFieldText(line("TIC02"), plat::VarToStr(row[lo]));
    SetFieldText(line("TIC03"), plat::VarToStr(row[lo + 1]));
    SetFieldText(line("TIC04"), plat::VarToStr(row[lo + 2]));
}

}  // namespace ktrb
