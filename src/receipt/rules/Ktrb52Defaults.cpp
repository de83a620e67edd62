// Defaults of a new receipt and of a new line. Every write goes through the
// field writer with the read-only guard lifted, so the written fields' own
// rules run unless said otherwise.
#include <utility>
#include <vector>

#include "platform/core/dates.h"
#include "platform/core/text.h"
#include "receipt/rules/FieldCodes.h"
#include "receipt/rules/Ktrb52CD.h"
#include "runtime/PropAccess.h"

namespace ktrb {

using plat::TField;
using plat::Variant;

namespace {

using TFieldValues = std::vector<std::pair<const char*, const char*>>;

const TFieldValues kHeadFixedValues = {
    {mocth::AutoIssue, "N"},
    {mocth::TaxKind, "2"},
    {mocth::DeductionKind, "1"},
    {mocth::Reserved, "N"},
    {mocth::ConfirmCode, "N"},
    {mocth::ProductionUpdateCode, "N"},
    {mocth::AutoIssueFactorySupplied, "N"},
    {mocth::TransferCount, "0"},
};

const TFieldValues kLineFlagValues = {
    {mocti::PaymentHold, "N"}, {mocti::Overdue, "N"},       {mocti::InspectionState, "0"},
    {mocti::RejectCode, "N"},  {mocti::InvoicedCode, "N"},  {mocti::ConfirmCode, "N"},
    {mocti::UpdateCode, "N"},  {mocti::CostEntryMade, "N"}, {mocti::ExpenseEntryMade, "N"},
    {mocti::Urgent, "N"},
};

const TFieldValues kLineRateValues = {
    {mocti::ItemTaxRate, "0"}, {mocti::ConversionRate, "1"}, {mocti::ScrapCode, "N"}};

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

    TField* date = HeadField(mocth::DocDate);
    if (date->AsString().empty()) {
        std::string today =
            Today.size() >= 8 ? Today.substr(0, 8) : plat::FormatDateTime("yyyymmdd", plat::Date());
        if (today.substr(0, 6) >= sysParam("SYS011")) SetFieldText(date, today);
    }

    TField* factory = HeadField(mocth::Factory);
    if (factory->AsString().empty())
        CheckValueAndFill(date, "CMSMB", "02", plat::VarArrayOf({Variant(date->AsString())}),
                          mocth::Factory, kMsgNone);

    SetFieldText(HeadField(mocth::InvoiceKind), sysParam("SYS026") == "1" ? "2" : "S");
    SetFieldText(HeadField(mocth::Currency), sysParam("SYS003"));
    SetFieldText(HeadField(mocth::ExchangeRate), "1");
    writeAll(cdsMain, kHeadFixedValues);
    if (sysParam("SYS180") == "Y") SetFieldTextQuiet(HeadField(mocth::Project), kNoProject);
}

void TdmKtrb52::AssignBodyLine() {
    TdmDouble::AssignBodyLine();
    SetFieldText(LineField(mocti::Process), kWholeWorkOrder);
    SetFieldText(LineField(mocti::AcceptanceDate), headText(mocth::DocDate));
    writeAll(cdsBody1, kLineFlagValues);
    writeAll(cdsBody1, kLineRateValues);
    SetFieldText(LineField(mocti::Lot), kNoLot);
    SetFieldText(LineField(mocti::Estimated), "N");
    PriceFromAmountEnabled = true;
    SetFieldText(LineField(mocti::ItemKind), "2");
    SetFieldText(LineField(mocti::ItemSerialManaged), "N");
    if (sysParam("SYS180") == "Y")
        SetFieldText(LineField(mocti::Project), headText(mocth::Project));
}

}  // namespace ktrb
