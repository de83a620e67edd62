// The windows layer as the code-page converter sees it: the screen's fonts,
// the application's hint switch, restoring a minimised form, and message
// boxes shown through the platform's message dialogs.
#pragma once
#include "runtime/CodeConverter.h"

namespace ktrb {

class TScreenConverterUi : public ICodeConverterUi {
  public:
    std::vector<plat::TObject*> ScreenFonts() override;
    bool ApplicationShowHint() const override;
    void SetApplicationShowHint(bool on) override;
    void RestoreIfMinimized(plat::TComponent* form) override;
    int RunMessageDialog(plat::TComponent* form, const TMessageDialogSpec& dialog) override;
};

// Installs the screen's converter interface unless one is installed already
// (tests install their own first).
void InstallScreenConverterUi();

}  // namespace ktrb
