// Line scroll rules: whenever the current line changes, which line fields
// the user may edit and which of the receipt form's controls are enabled,
// by the line's item, inspection and confirmation state, the document type
// and the form mode.
#include <string>
#include <utility>
#include <vector>

#include "dataframe/knlRadical.h"
#include "receipt/rules/Ktrb52CD.h"

namespace ktrb {

using plat::TField;

namespace {

// The fields a line bound by inspection results keeps editable.
constexpr const char* kRestrictedLineEditable =
    "TI020,TI023,TI024,TI025,TI032,TI034,TI040,TI045,TI046,TI047,TI048,TI009,TI060";
// The quantities that inspection fills while it is in use.
const std::vector<const char*> kInspectedQuantities = {"TI019", "TI021", "TI022", "TI017", "TI051",
                                                       "TI050", "TI056", "TI057", "TI062"};
// What an engineering item may not change.
const std::vector<const char*> kEngineeringLocked = {"TI049", "TI011", "TI012", "TI016", "TI017",
                                                     "TI050", "TI051", "TI057", "TI008", "TI015",
                                                     "TI009", "TI054", "TI023", "TI032"};
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

    TField* inspection = LineField("TI035");
    inspection->SetReadOnly(lineValue("TI007") != 0);
    view_.InspectionEditReadOnly = inspection->ReadOnly();
    viewChanged(TKtrb52Part::InspectionEdit);

    bool restricted = false;
    if (mode == TFormMode::Edit) {
        if (!ReadOnlySnapshot) SnapshotLineReadOnly();
        restricted = Session.InspectionKeys.IndexOf(lineText("TI003")) >= 0;
        if (!restricted && cdsBody1->Tag == kLocksApplied)
            RestoreLineReadOnly(ReadOnlySnapshot.get());
    }

    const bool dated = lineText("TI004C10") == "Y";
    for (const char* name : {"TI054", "TI011", "TI012"}) setReadOnly(name, !dated);

    if (Session.QualityParam == "Y") {
        const bool inspected = lineText("TI035") != "0";
        for (const char* name : kInspectedQuantities) setReadOnly(name, inspected);
    }

    TField* price = LineField("TI024");
    view_.MoneyAllowed = mode == TFormMode::Browse && !lineText("TI001").empty() &&
                         !price->ReadOnly() && price->Visible() && lineText("TI037") == "Y";
    viewChanged(TKtrb52Part::MoneyButton);

    ApplyLotAndDateLocks();
    UpdatePackagingReadOnly();

    if (mode == TFormMode::Edit && restricted && cdsBody1->Tag == kLocksLifted) {
        SetLineFieldsReadOnly(kRestrictedLineEditable, true, true);
        cdsBody1->Tag = kLocksApplied;
    }

    // A browsed unconfirmed line leaves the grid's lock as it was.
    if (lineText("TI037") == "Y" || mode == TFormMode::Edit || mode == TFormMode::Add) {
        view_.BodyGridLocked = lineText("TI037") == "Y";
        viewChanged(TKtrb52Part::BodyGrid);
    }

    if (lineText("TI004C") == "N") setReadOnly("TI010", true);

    if (lineText("TIC01") != "1") {
        setReadOnly("TI049", false);
        if (dated)
            for (const char* name : {"TI011", "TI012", "TI054"}) setReadOnly(name, false);
        UpdatePackagingReadOnly();
        for (const char* name : {"TI008", "TI015", "TI009", "TI023"}) setReadOnly(name, false);
        if (sysParam("SYS180") != "Y") setReadOnly("TI032", false);
        for (const auto& [editor, line] : kFormalItemHints) showEditorHint(editor, {line});
        showQueryMenu(true);
        const int source = headText("MQC03C") == "Y" ? 4 : 2;
        showEditorHint("cboTI004G", {0, source, 3});
        view_.ItemViewSource = "cdsBody1:TI004";
        viewChanged(TKtrb52Part::ItemView);
        if (!lineText("TIC02").empty() && !lineText("TIC03").empty() &&
            !lineText("TIC04").empty() && headText("MQC04C") == "Y")
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
