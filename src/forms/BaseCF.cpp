#include "forms/BaseCF.h"

#include "dataframe/BaseCD.h"
#include "runtime/MT_Doc.h"

namespace ktrb {

TfrmBase::TfrmBase(plat::TComponent* owner) : TfrmRadical(owner) {
    SetName("frmBase");
}
TfrmBase::~TfrmBase() = default;

TdmBase* TfrmBase::BaseModule() const {
    return dynamic_cast<TdmBase*>(DataModule);
}
void TfrmBase::SetFormMode(uint8_t mode) {
    formMode_ = static_cast<TFormMode>(mode);
}
bool TfrmBase::AddRecord(bool) {
    return DataModule != nullptr;
}
bool TfrmBase::EditRecord() {
    return false;
}
bool TfrmBase::DeleteRecord(bool) {
    return false;
}
bool TfrmBase::CancelEdit(bool) {
    return true;
}
bool TfrmBase::CloseForm() {
    Close();
    return true;
}
bool TfrmBase::ViewDocument() {
    return DataModule != nullptr;
}
void TfrmBase::ApplyRights() {}
void TfrmBase::RefreshData() {}
bool TfrmBase::ValidateRequiredFields(plat::TDataSet*) {
    return true;
}
void TfrmBase::ShowStateText(uint8_t) {}
void TfrmBase::ApplyRecordRights(plat::TDataSet*) {}
void TfrmBase::SaveGridLayouts() {}
void TfrmBase::LoadGridLayouts() {}
bool TfrmBase::RefreshMainColors(const std::string&, const std::string&) {
    return true;
}
bool TfrmBase::RefreshCurrentRecordColors() {
    return true;
}
void TfrmBase::HandleF2Key(uint16_t& key, plat::TWinControl* control) {
    TfrmRadical::HandleF2Key(key, control);
}
void TfrmBase::HandleF3Key(uint16_t& key, plat::TWinControl* control) {
    TfrmRadical::HandleF3Key(key, control);
}
void TfrmBase::HandleF4Key(uint16_t& key, plat::TWinControl* control) {
    TfrmRadical::HandleF4Key(key, control);
}
void TfrmBase::HandleF11Key(uint16_t& key, plat::TWinControl* control) {
    TfrmRadical::HandleF11Key(key, control);
}
void TfrmBase::PrepareOnShow() {
    TfrmRadical::PrepareOnShow();
}
void TfrmBase::ApplyControlSettings() {
    TfrmRadical::ApplyControlSettings();
}
void TfrmBase::InitializeAfterConnect() {
    TfrmRadical::InitializeAfterConnect();
}
void TfrmBase::InitFormSettings() {
    TfrmRadical::InitFormSettings();
}
void TfrmBase::LoadRequiredControls() {}
void TfrmBase::UpdateButtons() {}
void TfrmBase::GetHelpContext(const std::string& topic, std::string& context) {
    TfrmRadical::GetHelpContext(topic, context);
}
bool TfrmBase::CheckRequiredFields(plat::TDataSet*, const std::string&) {
    return true;
}
void TfrmBase::SetRequiredFields(const std::string& list) {
    RequiredFields = list;
}
void TfrmBase::AddRequiredFields(const std::string&) {}
void TfrmBase::RemoveRequiredFields(const std::string&) {}
void TfrmBase::ApplyFieldLockList(const std::string&, TFieldLockKind) {}
bool TfrmBase::ReadUserSettingFlag(const std::string&, const std::string&, bool def) {
    return def;
}
TMT_Doc* TfrmBase::GetUserSettings() {
    return userSettings_.get();
}
void TfrmBase::OpenDataSet(plat::TClientDataSet*, const std::string&, const std::string&) {}
std::string TfrmBase::QualifyField(const std::string& table, const std::string& field) {
    return table.empty() ? field : table + "." + field;
}
void TfrmBase::ApplyGridColumns(plat::TCustomDataGrid*) {}
void TfrmBase::ShowF11Input(plat::TWinControl*) {}
void TfrmBase::FormCreate(plat::TObject* sender) {
    TfrmRadical::FormCreate(sender);
}
void TfrmBase::FormShow(plat::TObject* sender) {
    TfrmRadical::FormShow(sender);
}
void TfrmBase::FormKeyDown(plat::TObject* sender, uint16_t& key, plat::TShiftState shift) {
    TfrmRadical::FormKeyDown(sender, key, shift);
}
void TfrmBase::FormClose(plat::TObject* sender, ktrb::TCloseAction& action) {
    TfrmRadical::FormClose(sender, action);
}
void TfrmBase::FormCloseQuery(plat::TObject*, bool&) {}
void TfrmBase::miAddClick(plat::TObject*) {}
void TfrmBase::miQueryClick(plat::TObject*) {}
void TfrmBase::miEditClick(plat::TObject*) {}
void TfrmBase::miDeleteClick(plat::TObject*) {}
void TfrmBase::miViewItemClick(plat::TObject*) {}
void TfrmBase::miFirstClick(plat::TObject*) {}
void TfrmBase::miPriorClick(plat::TObject*) {}
void TfrmBase::miNextClick(plat::TObject*) {}
void TfrmBase::miLastClick(plat::TObject*) {}
void TfrmBase::NGClick(plat::TObject*) {}
void TfrmBase::MenuItem11Click(plat::TObject*) {}
void TfrmBase::miToolBarClick(plat::TObject*) {}
void TfrmBase::miManagerClick(plat::TObject*) {}
void TfrmBase::mnSearchClick(plat::TObject*) {}
void TfrmBase::miExitClick(plat::TObject*) {}
void TfrmBase::DateFieldDBComboDlgExit(plat::TObject*) {}
void TfrmBase::qvSearchDialog1SelectField(plat::TObject*, const std::string&) {}
void TfrmBase::qvSearchDialog1BeforeSearch(plat::TObject*) {}
void TfrmBase::qvSearchDialog1AfterSearch(plat::TObject*) {}
void TfrmBase::qvSearchDialog1InitDialog(plat::TObject*) {}
void TfrmBase::SetStatusPanelText(int, const std::string&) {}

}  // namespace ktrb
