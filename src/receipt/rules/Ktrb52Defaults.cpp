// Defaults of a new receipt and of a new line. Every write goes through the
// field writer with the read-only guard lifted, so the written fields' own
// rules run unless said otherwise.
#include <utility>
#include <vector>

#include "platform/core/dates.h"
#include "platform/core/text.h"
#include "receipt/rules/Ktrb52CD.h"
#include "runtime/PropAccess.h"

namespace ktrb {

using plat::TField;
using plat::Variant;

namespace {

using TFieldValues = std::vector<std::pair<const char*, const char*>>;

const TFieldValues kHeadFixedValues = {
    {"TH026", "N"}, {"TH015", "2"}, {"TH016", "1"}, {"TH017", "N"},
    {"TH023", "N"}, {"TH024", "N"}, {"TH035", "N"}, {"TH037", "0"},
};

const TFieldValues kLineFlagValues = {
    {"TI033", "N"}, {"TI034", "N"}, {"TI035", "0"}, {"TI036", "N"}, {"TI038", "N"},
    {"TI037", "N"}, {"TI039", "N"}, {"TI041", "N"}, {"TI042", "N"}, {"TI048", "N"},
};

const TFieldValues kLineRateValues = {{"TI004C11", "0"}, {"TI058", "1"}, {"TI059", "N"}};

void writeAll(plat::TDataSet* dataSet, const TFieldValues& values) {
    for (const auto& [name, value] : values) SetFieldText(dataSet->FieldByName(name), value);
}

}  // namespace

void TdmKtrb52::SetDefaultValues() {
    // A new receipt starts without an accepted supplier, so that keying the
    // supplier of the previous receipt again fills its terms.
    Session.SupplierAtEdit.clear();
    // Numbering follows the document type, decided again by the type of this
    // receipt (restored with the kept values or keyed).
    AutoNumber = false;
    TdmDouble::SetDefaultValues();

    TField* date = HeadField("TH029");
    if (date->AsString().empty()) {
        std::string today =
            Today.size() >= 8 ? Today.substr(0, 8) : plat::FormatDateTime("yyyymmdd", plat::Date());
        if (today.substr(0, 6) >= sysParam("SYS011")) SetFieldText(date, today);
    }

    TField* factory = HeadField("TH004");
    if (factory->AsString().empty())
        CheckValueAndFill(date, "CMSMB", "02", plat::VarArrayOf({Variant(date->AsString())}),
                          "TH004", kMsgNone);

    SetFieldText(HeadField("TH012"), sysParam("SYS026") == "1" ? "2" : "S");
    SetFieldText(HeadField("TH007"), sysParam("SYS003"));
    SetFieldText(HeadField("TH008"), "1");
    writeAll(cdsMain, kHeadFixedValues);
    if (sysParam("SYS180") == "Y") SetFieldTextQuiet(HeadField("TH045"), kNoProject);
}

void TdmKtrb52::AssignBodyLine() {
    TdmDouble::AssignBodyLine();
    SetFieldText(LineField("TI015"), kWholeWorkOrder);
    SetFieldText(LineField("TI018"), headText("TH029"));
    writeAll(cdsBody1, kLineFlagValues);
    writeAll(cdsBody1, kLineRateValues);
    SetFieldText(LineField("TI010"), kNoLot);
    SetFieldText(LineField("TI069"), "N");
    PriceFromAmountEnabled = true;
    SetFieldText(LineField("TIC01"), "2");
    SetFieldText(LineField("TI004MB454"), "N");
    if (sysParam("SYS180") == "Y") SetFieldText(LineField("TI032"), headText("TH045"));
}

}  // namespace ktrb
