#include "controls/ScreenConverterUi.h"

#include "platform/ui/dialogs.h"

namespace ktrb {

std::vector<plat::TObject*> TScreenConverterUi::ScreenFonts() {
    return {&plat::Screen->IconFont, &plat::Screen->HintFont, &plat::Screen->MenuFont};
}

bool TScreenConverterUi::ApplicationShowHint() const {
    return plat::Application->ShowHint;
}

void TScreenConverterUi::SetApplicationShowHint(bool on) {
    plat::Application->ShowHint = on;
}

void TScreenConverterUi::RestoreIfMinimized(plat::TComponent* form) {
    auto* f = dynamic_cast<plat::TCustomForm*>(form);
    if (f && f->WindowState() == plat::TWindowState::wsMinimized)
        f->SetWindowState(plat::TWindowState::wsNormal);
}

int TScreenConverterUi::RunMessageDialog(plat::TComponent*, const TMessageDialogSpec& dialog) {
    plat::MessageRequest r;
    r.Text = dialog.Text;
    r.Caption = dialog.Caption;
    r.Type = dialog.Type;
    r.Buttons = {};
    for (const TMessageDialogButton& b : dialog.Buttons) {
        r.Buttons.Include(b.Kind);
        r.Order.push_back(b.Kind);
        if (!b.Caption.empty()) r.ButtonCaptions.emplace_back(b.Kind, b.Caption);
    }
    if (r.Order.empty()) {
        r.Buttons.Include(plat::TMsgDlgBtn::mbOK);
        r.Order.push_back(plat::TMsgDlgBtn::mbOK);
    }
    // The default is the one marked, else the platform's first choice.
    r.DefaultButton = r.Order.front();
    for (plat::TMsgDlgBtn b : {plat::TMsgDlgBtn::mbOK, plat::TMsgDlgBtn::mbYes})
        if (r.Buttons.Contains(b)) {
            r.DefaultButton = b;
            break;
        }
    for (const TMessageDialogButton& b : dialog.Buttons)
        if (b.Default) r.DefaultButton = b.Kind;
    r.CancelButton = r.Buttons.Contains(plat::TMsgDlgBtn::mbCancel) ? plat::TMsgDlgBtn::mbCancel
                     : r.Buttons.Contains(plat::TMsgDlgBtn::mbNo)   ? plat::TMsgDlgBtn::mbNo
                                                                    : r.Order.front();
    r.FontName = dialog.FontName;
    if (!dialog.FontName.empty()) r.FontCharset = (plat::TFontCharset)dialog.FontCharset;
    return plat::MessageDialogs().Show(r);
}

void InstallScreenConverterUi() {
    static TScreenConverterUi screen;
    if (!CodeConverterUi()) SetCodeConverterUi(&screen);
}

}  // namespace ktrb
