#include "query/QvQBE.h"

namespace ktrb {

TRecordInfo::TRecordInfo() : PickList(std::make_unique<TGridStrings>()) {}

TRecordInfoList::~TRecordInfoList() = default;
void TRecordInfoList::ClearObjects() {
    Clear();
    owned_.clear();
}
void TRecordInfoList::AddInfo(const std::string&, std::unique_ptr<TRecordInfo>) {}
TRecordInfo* TRecordInfoList::FindByCaption(const std::string&) const {
    return nullptr;
}
TRecordInfo* TRecordInfoList::Info(int) const {
    return nullptr;
}

struct TQBEForm::Impl {};

TQBEForm::TQBEForm(plat::TComponent* owner)
    : TQVForm(owner), infos_(std::make_unique<TRecordInfoList>()), d_(std::make_unique<Impl>()) {}
TQBEForm::~TQBEForm() = default;

void TQBEForm::Prepare(plat::TDataSet*, const std::string&, const std::string&, const std::string&,
                       int) {}
void TQBEForm::SetBodySource(plat::TDataSet*, const std::string&, const std::string&,
                             const std::string&, const std::string&) {}
bool TQBEForm::Execute(std::string&, std::string&) {
    return false;
}
void TQBEForm::GetCondition(std::string&, std::string&) {}
std::string TQBEForm::GetWhereText() const {
    return {};
}
int TQBEForm::GetTopRowCount() const {
    return 500;
}
void TQBEForm::SetTopRowCount(int) {}
void TQBEForm::DoCondition() {}
void TQBEForm::SetupSchemeColumns() {}
bool TQBEForm::LoadSchemeList() {
    return true;
}
bool TQBEForm::SaveScheme(const std::string&, bool) {
    return false;
}
bool TQBEForm::LoadScheme(int, const std::string&) {
    return false;
}
std::string TQBEForm::SchemeText() {
    return {};
}
void TQBEForm::BuildGridFields() {}
void TQBEForm::FillKeyRows() {}
int TQBEForm::RemoveEmptyRows() {
    return 0;
}
int TQBEForm::GetAppendRow() {
    return -1;
}
std::string TQBEForm::BuildRowCondition(int) {
    return {};
}
std::string TQBEForm::BuildGridWhere() {
    return {};
}
void TQBEForm::ClearBlankValues() {}
void TQBEForm::BuildHeadFieldLists() {}
void TQBEForm::BuildBodyFieldLists() {}
void TQBEForm::SetupValueEditor() {}
void TQBEForm::SetupBodyValueEditor() {}
std::string TQBEForm::MessageLine(int) const {
    return {};
}
void TQBEForm::FormCreate(plat::TObject*) {}
void TQBEForm::FormShow(plat::TObject*) {}
void TQBEForm::FormActivate(plat::TObject*) {}
void TQBEForm::FormClose(plat::TObject*, plat::TCloseAction&) {}
void TQBEForm::BBOKClick(plat::TObject*) {}
void TQBEForm::sg1SelectCell(plat::TObject*, int, int, bool&) {}
void TQBEForm::sg1ComboBoxClick(plat::TObject*) {}
void TQBEForm::sg1ValidateEdit(plat::TObject*, int, int, bool&) {}
void TQBEForm::sg1KeyDown(plat::TObject*, uint16_t&, plat::TShiftState) {}
void TQBEForm::sg1KeyPress(plat::TObject*, char32_t&) {}
void TQBEForm::cbTopRowKeyPress(plat::TObject*, char32_t&) {}
void TQBEForm::ExtPageControl1Change(plat::TObject*) {}
void TQBEForm::BbAssignClick(plat::TObject*) {}
void TQBEForm::BbAssign2Click(plat::TObject*) {}
void TQBEForm::BBClearClick(plat::TObject*) {}
void TQBEForm::BBClear2Click(plat::TObject*) {}
void TQBEForm::Memo1Change(plat::TObject*) {}
void TQBEForm::Memo2Change(plat::TObject*) {}
void TQBEForm::cboFieldChange(plat::TObject*) {}
void TQBEForm::cboField2Change(plat::TObject*) {}
void TQBEForm::chkBodyClick(plat::TObject*) {}
void TQBEForm::ListBox1DblClick(plat::TObject*) {}
void TQBEForm::ListBox2DblClick(plat::TObject*) {}
void TQBEForm::ForFloatKeyPress(plat::TObject*, char32_t&) {}
void TQBEForm::btnInsertClick(plat::TObject*) {}
void TQBEForm::btnOpenClick(plat::TObject*) {}
void TQBEForm::btnDeleteClick(plat::TObject*) {}
void TQBEForm::lstConditionEdited(plat::TObject*, plat::TListItem*, std::string&) {}
void TQBEForm::ToolButton1Click(plat::TObject*) {}
void TQBEForm::ViewIconExecute(plat::TObject*) {}
void TQBEForm::ViewSmallIconExecute(plat::TObject*) {}
void TQBEForm::ViewListExecute(plat::TObject*) {}
void TQBEForm::ViewReportExecute(plat::TObject*) {}
IQBEOwner* TQBEForm::owner() const {
    return dynamic_cast<IQBEOwner*>(Owner());
}

}  // namespace ktrb
