#include "forms/ShowStatusCF.h"

namespace ktrb {

TfrmShowStatus::TfrmShowStatus(plat::TComponent* owner) : TQVForm(owner) {
    SetName("frmShowStatus");
}
TfrmShowStatus::~TfrmShowStatus() = default;
void TfrmShowStatus::Start(const std::string&, int, int) {}
void TfrmShowStatus::Step() {}
void TfrmShowStatus::Finish() {}
void TfrmShowStatus::SetMax(int) {}
void TfrmShowStatus::FormCreate(plat::TObject* sender) {
    TQVForm::FormCreate(sender);
}
void TfrmShowStatus::FormCloseQuery(plat::TObject*, bool&) {}
void TfrmShowStatus::pump(bool) {}

std::unique_ptr<IExportProgress> CreateShowStatusProgress(plat::TComponent*) {
    return nullptr;
}

}  // namespace ktrb
