// Line scroll rules: whenever the current line changes, which line fields
// the user may edit and which of the receipt form's controls are enabled,
// by the line's item, inspection and confirmation state, the document type
// and the form mode.
#include <string>
#include <utility>
#include <vector>

#include "dataframe/knlRadical.h"
#include "receipt/rules/FieldCodes.h"
#include "receipt/rules/Ktrb52CD.h"

namespace ktrb {

using plat::TField;

namespace {

// The fields a line bound by inspection results keeps editable.
constexpr const char* kRestrictedLineEditable =
    "TI020,TI023,TI024,TI025,TI032,TI034,TI040,TI045,TI046,TI047,TI048,TI009,TI060";
// The quantities that inspection fills while it is in use.
const std::vector<const char*> kInspectedQuantities = {
    mocti::AcceptedQuantity,  mocti::ScrappedQuantity,  mocti::RejectedQuantity,
    mocti::AcceptedPackages,  mocti::RejectedPackages,  mocti::ScrappedPackages,
    mocti::DestroyedQuantity, mocti::DestroyedPackages, mocti::StockQuantity};
// What an engineering item may not change.
const std::vector<const char*> kEngineeringLocked = {mocti::PackagingUnit,
                                                     mocti::ExpiryDate,
                                                     mocti::RecheckDate,
                                                     mocti::ReceivedPackages,
                                                     mocti::AcceptedPackages,
                                                     mocti::ScrappedPackages,
                                                     mocti::RejectedPackages,
                                                     mocti::DestroyedPackages,
                                                     mocti::Unit,
                                                     mocti::Process,
                                                     mocti::Warehouse,
                                                     mocti::ProductionDate,
                                                     mocti::PricingUnit,
                                                     mocti::Project};
// The lookup texts of a formal item's editors: editor, line of the form's memo.
const std::vector<std::pair<const char*, int>> kFormalItemHints = {
    {"cboTI008G", 7},  {"cboTI015G", 11}, {"cboTI009G", 8}, {"cboTI010G", 9},  {"cboTI054G", 10},
    {"cboTI011G", 10}, {"cboTI012G", 10}, {"cboTI023G", 7}, {"cboTI032G", 12},
};

constexpr const char* kReadOnlyMark = "1";  // a read-only field in the snapshot
constexpr int kLocksApplied = 1;
constexpr int kLocksLifted = 0;

bool isNested(const TField* f) {
    return dynamic_cast<const plat::TDataSetField*>(f) != nullptr;
}

bool inCommaList(const std::string& list, const std::string& name) {
    return ("," + list + ",").find("," + name + ",") != std::string::npos;
}

}  // namespace

void TdmKtrb52::cdsBody1AfterScroll(plat::TDataSet* DataSet) {
    TdmDouble::cdsBody1AfterScroll(DataSet);
    const TFormMode mode = formMode();
    auto setReadOnly = [this](const char* name, bool on) { LineField(name)->SetReadOnly(on); };

    TField* inspection = LineField(mocti::InspectionState);
    inspection->SetReadOnly(lineValue(mocti::ReceivedQuantity) != 0);
    view_.InspectionEditReadOnly = inspection->ReadOnly();
    viewChanged(TKtrb52Part::InspectionEdit);

    bool restricted = false;
    if (mode == TFormMode::Edit) {
        if (!ReadOnlySnapshot) SnapshotLineReadOnly();
        restricted = Session.InspectionKeys.IndexOf(lineText(mocti::LineNo)) >= 0;
        if (!restricted && cdsBody1->Tag == kLocksApplied)
            RestoreLineReadOnly(ReadOnlySnapshot.get());
    }

    const bool dated = lineText(mocti::ItemDated) == "Y";
    for (const char* name : {mocti::ProductionDate, mocti::ExpiryDate, mocti::RecheckDate})
        setReadOnly(name, !dated);

    if (Session.QualityParam == "Y") {
        const bool inspected = lineText(mocti::InspectionState) != "0";
        for (const char* name : kInspectedQuantities) setReadOnly(name, inspected);
    }

    TField* price = LineField(mocti::UnitPrice);
    view_.MoneyAllowed = mode == TFormMode::Browse && !lineText(mocti::DocType).empty() &&
                         !price->ReadOnly() && price->Visible() &&
                         lineText(mocti::ConfirmCode) == "Y";
    viewChanged(TKtrb52Part::MoneyButton);

    ApplyLotAndDateLocks();
    UpdatePackagingReadOnly();

    if (mode == TFormMode::Edit && restricted && cdsBody1->Tag == kLocksLifted) {
        SetLineFieldsReadOnly(kRestrictedLineEditable, true, true);
        cdsBody1->Tag = kLocksApplied;
    }

    // A browsed unconfirmed line leaves the grid's lock as it was.
    if (lineText(mocti::ConfirmCode) == "Y" || mode == TFormMode::Edit || mode == TFormMode::Add) {
        view_.BodyGridLocked = lineText(mocti::ConfirmCode) == "Y";
        viewChanged(TKtrb52Part::BodyGrid);
    }

    if (lineText(mocti::ItemLotManaged) == "N") setReadOnly(mocti::Lot, true);

    if (lineText(mocti::ItemKind) != "1") {
        setReadOnly(mocti::PackagingUnit, false);
        if (dated)
            for (const char* name : {mocti::ExpiryDate, mocti::RecheckDate, mocti::ProductionDate})
                setReadOnly(name, false);
        UpdatePackagingReadOnly();
        for (const char* name : {mocti::Unit, mocti::Process, mocti::Warehouse, mocti::PricingUnit})
            setReadOnly(name, false);
        if (sysParam("SYS180") != "Y") setReadOnly(mocti::Project, false);
        for (const auto& [editor, line] : kFormalItemHints) showEditorHint(editor, {line});
        showQueryMenu(true);
        const int source = headText(mocth::ChecksArrival) == "Y" ? 4 : 2;
        showEditorHint("cboTI004G", {0, source, 3});
        view_.ItemViewSource = "cdsBody1:TI004";
        viewChanged(TKtrb52Part::ItemView);
        if (!lineText(mocti::ArrivalType).empty() && !lineText(mocti::ArrivalNo).empty() &&
            !lineText(mocti::ArrivalLineNo).empty() && headText(mocth::ChecksInspection) == "Y")
            showEditorHint("cboTIC05G", {6});
    } else {
        for (const char* name : kEngineeringLocked) setReadOnly(name, true);
        showQueryMenu(false);
        showEditorHint("cboTI004G", {1, 2});
    }
}

void TdmKtrb52::SnapshotLineReadOnly() {
    if (!ReadOnlySnapshot) ReadOnlySnapshot = std::make_unique<plat::TStringList>();
    ReadOnlySnapshot->Clear();
    for (TField* f : cdsBody1->Fields())
        ReadOnlySnapshot->Add(f->FieldName() + "=" + (f->ReadOnly() ? kReadOnlyMark : "0"));
}

void TdmKtrb52::RestoreLineReadOnly(const plat::TStringList* snapshot) {
    if (!snapshot || snapshot->Count() == 0) return;
    TControlsDisabled controls(cdsBody1);
    for (TField* f : cdsBody1->Fields()) {
        if (!f->Visible() || isNested(f)) continue;
        bool readOnly = snapshot->Values(f->FieldName()) == kReadOnlyMark;
        if (f->ReadOnly() != readOnly) f->SetReadOnly(readOnly);
    }
    cdsBody1->Tag = kLocksLifted;
}

void TdmKtrb52::SetLineFieldsReadOnly(const std::string& fields, bool readOnly, bool allExcept) {
    TControlsDisabled controls(cdsBody1);
    for (TField* f : cdsBody1->Fields()) {
        if (!f->Visible() || isNested(f) || f->ReadOnly() == readOnly) continue;
        if (inCommaList(fields, f->FieldName()) != allExcept) f->SetReadOnly(readOnly);
    }
}

}  // namespace ktrb
