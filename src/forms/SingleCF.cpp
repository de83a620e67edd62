#include "forms/SingleCF.h"

#include "controls/ExtPage.h"
#include "controls/FDBGrid.h"
#include "query/ColorComponents.h"
#include "query/QvColorQBE.h"
#include "runtime/libUDF.h"

namespace ktrb {

TfrmSingle::TfrmSingle(plat::TComponent* owner) : TfrmBase(owner) {
    SetName("frmSingle");
}
TfrmSingle::~TfrmSingle() = default;

TdmSingle* TfrmSingle::SingleModule() const {
    return dynamic_cast<TdmSingle*>(DataModule);
}

void TfrmSingle::HandleF2Key(uint16_t& key, plat::TWinControl* control) {
    TfrmBase::HandleF2Key(key, control);
}
void TfrmSingle::PrepareOnShow() {
    TfrmBase::PrepareOnShow();
}
void TfrmSingle::ApplyControlSettings() {
    TfrmBase::ApplyControlSettings();
}
void TfrmSingle::InitializeAfterConnect() {
    TfrmBase::InitializeAfterConnect();
}
void TfrmSingle::InitFormSettings() {
    TfrmBase::InitFormSettings();
}
void TfrmSingle::LoadRequiredControls() {
    TfrmBase::LoadRequiredControls();
}
void TfrmSingle::SetupUDFControls() {
    TfrmBase::SetupUDFControls();
}
void TfrmSingle::UpdateButtons() {
    TfrmBase::UpdateButtons();
}
bool TfrmSingle::AddRecord(bool flag) {
    return DataModule && TfrmBase::AddRecord(flag);
}
bool TfrmSingle::EditRecord() {
    return DataModule && TfrmBase::EditRecord();
}
bool TfrmSingle::DeleteRecord(bool ask) {
    return TfrmBase::DeleteRecord(ask);
}
bool TfrmSingle::QueryRecords() {
    return DataModule != nullptr;
}
bool TfrmSingle::SaveDocument() {
    return false;
}
bool TfrmSingle::CancelEdit(bool ask) {
    return TfrmBase::CancelEdit(ask);
}
bool TfrmSingle::ValidateRequiredFields(plat::TDataSet* dataSet) {
    return TfrmBase::ValidateRequiredFields(dataSet);
}
void TfrmSingle::ShowStateText(uint8_t state) {
    TfrmBase::ShowStateText(state);
}
void TfrmSingle::HighlightGridColumns() {
    TfrmBase::HighlightGridColumns();
}

void TfrmSingle::pgHeadChange(plat::TObject*) {}
plat::TField* TfrmSingle::FindTableField(const std::string&, const std::string&) {
    return nullptr;
}
void TfrmSingle::ShowAttachments() {}
bool TfrmSingle::HasAttachments() {
    return false;
}
void TfrmSingle::LoadAttachmentKeys() {}
void TfrmSingle::RequireComboFields() {}
void TfrmSingle::UpdateBatchMenu() {}
void TfrmSingle::QueryUDFRelatedValue(TUDFField*, const plat::TStringList*, std::string& text) {
    text.clear();
}
void TfrmSingle::ApplyUDFRelations(plat::TField*) {}
plat::TField* TfrmSingle::FindQualifiedField(const std::string&) {
    return nullptr;
}
void TfrmSingle::ApplyColorConditions() {}
void TfrmSingle::SelectColorCondition(plat::TObject*) {}
void TfrmSingle::AddRecordWithKeys(const plat::Variant&) {}
void TfrmSingle::EditRecordByKeys(const plat::Variant&) {}
int TfrmSingle::FollowGridLink(plat::TCustomDataGrid*, plat::TDataSet*) {
    return 0;
}
void TfrmSingle::ApplySavedCondition(plat::TObject*) {}
plat::Variant TfrmSingle::GetSignOffFlag(const std::string&, const std::string&) {
    return plat::VarArrayOf({"N", ""});
}
plat::Variant TfrmSingle::GetSignOffOptions(const std::string&) {
    return plat::Variant();
}
std::string TfrmSingle::QueryLinkValues(const std::string&) {
    return {};
}
void TfrmSingle::GetVoucherFormatKey(std::string& text) {
    text.clear();
}
void TfrmSingle::LoadVoucherFormats(plat::TMenuItem*, bool) {}
void TfrmSingle::ImportDocumentXml(const std::string&) {}
void TfrmSingle::OpenDataSet(plat::TClientDataSet* dataSet, const std::string& where,
                             const std::string& orderBy) {
    TfrmBase::OpenDataSet(dataSet, where, orderBy);
}
void TfrmSingle::SetupColorComponents(const std::string&) {}
void TfrmSingle::AssignDocumentNumber(std::string& docNo) {
    docNo = kNumberUnknown;
}
std::unique_ptr<IQueryDialog> TfrmSingle::CreateQueryDialog() {
    return nullptr;
}

void TfrmSingle::RebuildConditionMenu() {}
std::string TfrmSingle::RecordKeyText(bool) {
    return {};
}
bool TfrmSingle::CheckDocumentNumber() {
    return true;
}
void TfrmSingle::GetDefaultFormat(const std::string&, std::string& name) {
    name = "<New>";
}
void TfrmSingle::RunCalculator(plat::TWinControl*) {}
void TfrmSingle::ApplyOptions(TfrmOptions*) {}
void TfrmSingle::SetUDFHints() {}
void TfrmSingle::BuildLinkFields() {}
void TfrmSingle::LoadFieldRuleCollection(const std::string&, const std::string&) {}

void TfrmSingle::FormCreate(plat::TObject* sender) {
    TfrmBase::FormCreate(sender);
}
void TfrmSingle::FormShow(plat::TObject* sender) {
    TfrmBase::FormShow(sender);
}
void TfrmSingle::FormKeyDown(plat::TObject* sender, uint16_t& key, plat::TShiftState shift) {
    TfrmBase::FormKeyDown(sender, key, shift);
}
void TfrmSingle::FormKeyPress(plat::TObject* sender, char32_t& key) {
    TfrmBase::FormKeyPress(sender, key);
}
void TfrmSingle::FormClose(plat::TObject* sender, ktrb::TCloseAction& action) {
    TfrmBase::FormClose(sender, action);
}
void TfrmSingle::FormResize(plat::TObject* sender) {
    TfrmBase::FormResize(sender);
}
void TfrmSingle::FormDestroy(plat::TObject* sender) {
    TfrmBase::FormDestroy(sender);
}
void TfrmSingle::pgHeadChanging(plat::TObject*, bool&) {}
void TfrmSingle::miOKClick(plat::TObject*) {
    SaveDocument();
}
void TfrmSingle::miCancelClick(plat::TObject*) {
    CancelEdit(true);
}
void TfrmSingle::miPrintClick(plat::TObject*) {}
void TfrmSingle::miPreviewClick(plat::TObject*) {}
void TfrmSingle::miBBPrintClick(plat::TObject*) {}
void TfrmSingle::miBBSelectAllClick(plat::TObject*) {}
void TfrmSingle::miBBUnSelectAllClick(plat::TObject*) {}
void TfrmSingle::P1Click(plat::TObject*) {}
void TfrmSingle::miTable2ExcelClick(plat::TObject*) {}
void TfrmSingle::miTable2Excel2Click(plat::TObject*) {}
void TfrmSingle::miOptionsClick(plat::TObject*) {}
void TfrmSingle::btnCalcClick(plat::TObject*) {}
void TfrmSingle::miCaclClick(plat::TObject*) {}
void TfrmSingle::btnColorQueryClick(plat::TObject*) {}
void TfrmSingle::MenuItemVoucherFormatClick(plat::TObject*) {}
void TfrmSingle::MenuItem1Click(plat::TObject*) {}
void TfrmSingle::popPrintPopup(plat::TObject*) {}
void TfrmSingle::gdHeadDblClick(plat::TObject*) {}
void TfrmSingle::gdHeadTitleButtonClick(plat::TObject*, const std::string&) {}
void TfrmSingle::gdHeadKeyDown(plat::TObject*, uint16_t&, plat::TShiftState) {}
void TfrmSingle::gdHeadKeyUp(plat::TObject*, uint16_t&, plat::TShiftState) {}
void TfrmSingle::gdHeadColEnter(plat::TObject*) {}
void TfrmSingle::gdHeadMouseMove(plat::TObject*, plat::TShiftState, int, int) {}
void TfrmSingle::gdHeadMouseDown(plat::TObject*, plat::TMouseButton, plat::TShiftState, int, int) {}
void TfrmSingle::gdHeadCalcCellColors(plat::TObject*, plat::TField*, plat::TGridDrawState, bool,
                                      plat::TFont*, plat::TBrush*) {}
void TfrmSingle::gdHeadCalcTitleAttributes(plat::TObject*, plat::TField*, plat::TFont*,
                                           plat::TBrush*, plat::TAlignment&) {}
void TfrmSingle::gdHeadCalcTitleImage(plat::TObject*, plat::TField*, int& image) {
    image = -1;
}

void TfrmSingle::ClearMainGridSelection() {}
bool TfrmSingle::MainGridRecordSelected() const {
    return false;
}
std::string TfrmSingle::ProgramIDFromModule() const {
    return {};
}
void TfrmSingle::LoadFieldRules(const std::string&, const std::string&, const std::string&,
                                TUDFFields&) {}
plat::Variant TfrmSingle::GetKeyValueArray() {
    return {};
}
int TfrmSingle::OptionsMoneyDigits() {
    return 2;
}

}  // namespace ktrb
