#include "support/runtime/RadicalFormDouble.h"

namespace ktrb::test {

RadicalFormDouble::RadicalFormDouble() : TComponent(nullptr) {
    broker = new TBrokers(this);
}

RadicalFormDouble::~RadicalFormDouble() {
    BeginDestroy();
}

void RadicalFormDouble::ShowForm() {
    trace.push_back("show");
    visible = true;
    if (onShow) onShow(this);
}

void RadicalFormDouble::HideForm() {
    visible = false;
    if (onHide) onHide(this);
}

int RadicalFormDouble::ShowFormModal() {
    ShowForm();
    HideForm();
    return modal::Ok;
}

void RadicalFormDouble::FreeForm() {
    if (onDestroy) onDestroy(this);
    delete this;
}

bool RadicalFormDouble::InitializeFromHost(const plat::Variant& params) {
    initParams.push_back(params);
    return initAnswer;
}

void RadicalFormDouble::UpdateButtons() {
    trace.push_back("UpdateButtons:" + std::to_string(actionRights));
}

void RadicalFormDouble::SetOpenMode(uint8_t m) {
    trace.push_back("SetOpenMode");
    openMode = m;
}

plat::Variant RadicalFormDouble::ConvertByDisplayMode(const plat::Variant& value) {
    return displayConversion ? displayConversion(value) : value;
}

int RadicalFormDouble::ShowMessageBox(const std::string& text, TMsgDlgType, const TMsgDlgButtons&) {
    messageBoxes.push_back(text);
    return answer;
}

int RadicalFormDouble::RunMessageDialog(const TMessageDialogSpec& dialog) {
    dialogs.push_back(dialog);
    if (answers.empty()) return answer;
    int a = answers.front();
    answers.pop_front();
    return a;
}

}  // namespace ktrb::test
