#include "forms/ShowStatusCF.h"

#include <algorithm>

#include "controls/WindowDesign.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/stdctrls.h"

namespace ktrb {

namespace {

// The window is let to repaint and take clicks this often during a run.
constexpr auto kPumpInterval = std::chrono::milliseconds(40);

// The window as the exports' progress sink; frees the window with itself.
class ShowStatusProgress : public IExportProgress {
  public:
    explicit ShowStatusProgress(TfrmShowStatus* window) : window_(window) {}
    ~ShowStatusProgress() override { window_->Free(); }
    void Start(const std::string& text, int min, int max) override {
        window_->Start(text, min, max);
    }
    void SetMax(int max) override { window_->SetMax(max); }
    void Step() override { window_->Step(); }
    bool Cancelled() override { return window_->Cancelled(); }
    void Finish() override { window_->Finish(); }

  private:
    TfrmShowStatus* window_;
};

using S = TfrmShowStatus;
using design::Field;
using design::kOwn;
using design::On;

const design::Control kControls[] = {
    {"Bevel1", Field<&S::Bevel1>, "", {12, 12, 478, 43}},
    {"StatusBar", Field<&S::StatusBar>, "", {20, 26, 460, 21}},
    {"Label1", Field<&S::Label1>, "", {20, 4, kOwn, kOwn}, "处理进度"},
};

const design::Handler kEvents[] = {
    {"", "OnCreate", On<&S::FormCreate>},
    {"", "OnDestroy", On<&S::FormDestroy>},
    {"", "OnCloseQuery", On<&S::FormCloseQuery>},
};

}  // namespace

TfrmShowStatus::TfrmShowStatus(plat::TComponent* owner) : TQVForm(owner) {
    using namespace plat;
    SetName("frmShowStatus");
    SetCaption("Status");
    SetBorderStyle(TFormBorderStyle::bsSingle);
    BorderIcons = TBorderIcons{TBorderIcon::biSystemMenu};
    Position = TPosition::poScreenCenter;
    SetParentFont(true);
    SetClientWidth(501);
    SetClientHeight(65);

    design::Build(this, kControls);
    StatusBar->BackColor = clWindow;
    StatusBar->ForeColor = clBlue;
    StatusBar->SetProgress(0);
    design::Connect(this, kEvents);
}

TfrmShowStatus::~TfrmShowStatus() = default;

void TfrmShowStatus::FormCreate(plat::TObject* sender) {
    TQVForm::FormCreate(sender);
}

void TfrmShowStatus::Start(const std::string& text, int min, int max) {
    SetCaption(text);
    QvConverter->ConvertControlText(this);
    Label1->SetCaption(text);
    QvConverter->ConvertCaption(Label1, GetDisplayMode());
    QvConverter->ConvertFontProperty(Label1, GetDisplayMode());
    if (min == 0 && max == 0) {
        StatusBar->SetVisible(false);
    } else {
        // The platform's gauge widens its range to take a minimum above the
        // old maximum, so the minimum can always go first.
        StatusBar->SetMinValue(min);
        StatusBar->SetMaxValue(std::max(min, max));
        StatusBar->SetProgress(min);
        StatusBar->SetVisible(true);
    }
    if (!ConversionMarker.IsEmpty()) ConvertFormOnce();
    cancelled_ = false;
    running_ = true;
    Show();
    Repaint();
    pump(true);
}

void TfrmShowStatus::SetMax(int max) {
    StatusBar->SetMaxValue(std::max(StatusBar->MinValue(), max));
}

void TfrmShowStatus::Step() {
    if (StatusBar->Progress() < StatusBar->MaxValue())
        StatusBar->SetProgress(StatusBar->Progress() + 1);
    pump(false);
}

void TfrmShowStatus::Finish() {
    running_ = false;
    Close();
}

void TfrmShowStatus::FormCloseQuery(plat::TObject*, bool&) {
    // Closing the window while the work runs asks the work to stop.
    if (running_) cancelled_ = true;
}

void TfrmShowStatus::pump(bool force) {
    const auto now = std::chrono::steady_clock::now();
    if (!force && now - lastPump_ < kPumpInterval) return;
    lastPump_ = now;
    ++Repaints;
    StatusBar->Repaint();
    plat::Application->ProcessMessages();
}

std::unique_ptr<IExportProgress> CreateShowStatusProgress(plat::TComponent* owner) {
    return std::make_unique<ShowStatusProgress>(plat::CreateForm<TfrmShowStatus>(owner));
}

}  // namespace ktrb
