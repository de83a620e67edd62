#include "forms/RadicalCF.h"

#include "dataframe/RadicalCD.h"
#include "runtime/Brokers.h"

namespace ktrb {

TfrmRadical::TfrmRadical(plat::TComponent* owner) : TQVForm(owner) {
    SetName("frmRadical");
    closeEvent_ = TCloseEvent(this, &TfrmRadical::FormClose);
}

TfrmRadical::~TfrmRadical() = default;

void TfrmRadical::FormCreate(plat::TObject* sender) {
    TQVForm::FormCreate(sender);
    brokers_ = new TBrokers(this);
}
void TfrmRadical::FormShow(plat::TObject* sender) {
    TQVForm::FormShow(sender);
}
void TfrmRadical::FormKeyDown(plat::TObject*, uint16_t&, plat::TShiftState) {}
void TfrmRadical::FormKeyPress(plat::TObject*, char32_t&) {}
void TfrmRadical::FormResize(plat::TObject*) {}
void TfrmRadical::FormPaint(plat::TObject*) {}
void TfrmRadical::FormClose(plat::TObject*, ktrb::TCloseAction&) {}
void TfrmRadical::FormDestroy(plat::TObject*) {}
void TfrmRadical::HandleF2Key(uint16_t&, plat::TWinControl*) {}
void TfrmRadical::HandleF3Key(uint16_t&, plat::TWinControl*) {}
void TfrmRadical::HandleF4Key(uint16_t&, plat::TWinControl*) {}
void TfrmRadical::HandleF11Key(uint16_t&, plat::TWinControl*) {}
void TfrmRadical::InitializeAfterConnect() {}
void TfrmRadical::InitFormSettings() {}
int TfrmRadical::OpenProgram(const std::string&, const std::string&) {
    return 0;
}
void TfrmRadical::GetProgramInfo(const std::string&, plat::Variant&) {}
bool TfrmRadical::InitializeFromHost(const plat::Variant&) {
    return true;
}
TDataModuleClass TfrmRadical::GetDataModuleClass() {
    return {};
}
void TfrmRadical::GetProgramID(std::string& programID) {
    programID = GetProgramIDFromModule();
}
void TfrmRadical::GetHelpContext(const std::string& topic, std::string& context) {
    context = topic + "0000";
}
void TfrmRadical::ParseUserRights(const std::string&, const std::string&, const std::string&) {}
bool TfrmRadical::IsHosted() {
    return true;
}
std::string TfrmRadical::GetProgramIDFromModule() {
    return {};
}
void TfrmRadical::ShowHelp() {}
void TfrmRadical::ApplyScreenLanguage() {}
void TfrmRadical::ApplyDataModuleLanguage() {}
void TfrmRadical::GetBaseClassParam(plat::TObject*, TInteraParam*) {}
void TfrmRadical::SetReturn(plat::TObject*, TInteraParam*) {}
void TfrmRadical::ConvertVariant(int, const plat::Variant& value, plat::Variant& result) {
    result = value;
}
void TfrmRadical::ConvertDBToUI(const plat::Variant& value, plat::Variant& result) {
    result = value;
}
void TfrmRadical::ConvertByDisplayMode(const plat::Variant& value, plat::Variant& result) {
    result = value;
}
void TfrmRadical::RevertByDisplayMode(const plat::Variant& value, plat::Variant& result) {
    result = value;
}
void TfrmRadical::PickDate(plat::TField*) {}
void TfrmRadical::OpenLookup(plat::TField*, const std::string&, const plat::Variant&,
                             const std::string&) {}
void TfrmRadical::OpenLookupEx(plat::TField*, const std::string&, bool, bool, const plat::Variant&,
                               const std::string&, const std::string&) {}
void TfrmRadical::PickPhrase(plat::TField*) {}
void TfrmRadical::RebindDataSource(plat::TDataSource*) {}
void TfrmRadical::PackToolButtons(plat::TToolBar*) {}
void TfrmRadical::WndProc(plat::TMessage& m) {
    TQVForm::WndProc(m);
}
bool TfrmRadical::FormVisible() const {
    return Visible();
}
void TfrmRadical::ShowForm() {
    Show();
}
void TfrmRadical::HideForm() {
    Hide();
}
THandle TfrmRadical::FormHandle() {
    return Handle();
}
std::string TfrmRadical::FormCaption() const {
    return Caption();
}
int TfrmRadical::ShowFormModal() {
    return ShowModal();
}
void TfrmRadical::FreeForm() {
    Free();
}
std::string TfrmRadical::VersionText() const {
    return {};
}
plat::Variant TfrmRadical::ConvertByDisplayMode(const plat::Variant& value) {
    return value;
}
plat::Variant TfrmRadical::RevertByDisplayMode(const plat::Variant& value) {
    return value;
}
int TfrmRadical::ShowMessageBox(const std::string& text, TMsgDlgType type,
                                const TMsgDlgButtons& buttons) {
    return TQVForm::ShowMessageBox(text, type, buttons);
}
int TfrmRadical::RunMessageDialog(const TMessageDialogSpec&) {
    return modal::Ok;
}
void TfrmRadical::Beep() {}
void TfrmRadical::DoClose(plat::TCloseAction& action) {
    auto a = static_cast<ktrb::TCloseAction>(action);
    closeEvent_(this, a);
    action = static_cast<plat::TCloseAction>(a);
}

namespace {
class XdgOpenLauncher : public IDesktopLauncher {
  public:
    bool Open(const std::string&) override { return false; }
};
std::shared_ptr<IDesktopLauncher>& launcherSlot() {
    static std::shared_ptr<IDesktopLauncher> slot = std::make_shared<XdgOpenLauncher>();
    return slot;
}
}  // namespace

IDesktopLauncher& DesktopLauncher() {
    return *launcherSlot();
}
std::shared_ptr<IDesktopLauncher> SetDesktopLauncher(std::shared_ptr<IDesktopLauncher> launcher) {
    auto old = launcherSlot();
    launcherSlot() = launcher ? std::move(launcher) : std::make_shared<XdgOpenLauncher>();
    return old;
}

}  // namespace ktrb
