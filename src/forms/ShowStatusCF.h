// TfrmShowStatus: the small modeless window that shows a caption and a gauge
// while a long operation runs (an export, for one). The caller creates it,
// calls Start, Step once per unit done, Finish, and frees it. Closing the
// window while the work runs asks the work to stop.
#pragma once
#include <chrono>
#include <memory>
#include <string>

#include "controls/QVForm.h"
#include "dataframe/ExportIntf.h"

namespace plat {
class TBevel;
class TGauge;
class TLabel;
}  // namespace plat

namespace ktrb {

class TfrmShowStatus : public TQVForm {
    PLAT_CLASS(TfrmShowStatus, TQVForm)
  public:
    explicit TfrmShowStatus(plat::TComponent* owner);
    ~TfrmShowStatus() override;

    plat::TBevel* Bevel1 = nullptr;
    plat::TGauge* StatusBar = nullptr;
    plat::TLabel* Label1 = nullptr;
    // When not empty, Start converts the whole window once.
    plat::Variant ConversionMarker;
    // How often the window was brought up to date on the screen.
    int Repaints = 0;

    void Start(const std::string& text, int min, int max);
    void Step();
    void Finish();
    void SetMax(int max);
    // The user closed the window while the work ran.
    bool Cancelled() const { return cancelled_; }

    void FormCreate(plat::TObject* sender);
    void FormDestroy(plat::TObject* sender) {}
    void FormCloseQuery(plat::TObject* sender, bool& canClose);

  private:
    // Lets the window repaint and take a click of its close box, at most
    // every few milliseconds so that a fast loop stays fast.
    void pump(bool force);
    bool running_ = false;
    bool cancelled_ = false;
    std::chrono::steady_clock::time_point lastPump_{};
};

// The progress window as the exports see it; the window is freed with it.
std::unique_ptr<IExportProgress> CreateShowStatusProgress(plat::TComponent* owner);

}  // namespace ktrb
