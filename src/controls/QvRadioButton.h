// A radio button and a check box whose caption the control paints itself, in
// its own font, font colour and background colour, over the platform's
// circle or box.
#pragma once
#include "platform/ui/stdctrls.h"

namespace ktrb {

// Pixels from the client's left edge to the caption, by font size in points.
int CaptionOffset(int fontSize);

class TQvRadioButton : public plat::TRadioButton {
    PLAT_CLASS(TQvRadioButton, plat::TRadioButton)
  public:
    explicit TQvRadioButton(plat::TComponent* owner);
    // Draws the caption as the control does after the platform's painting.
    void PaintCaption(plat::TCanvas& c);

  protected:
    void PaintOver() override { PaintCaption(*Canvas()); }
    // The platform draws no caption of its own.
    void TextChanged() override { Invalidate(); }
    void EnabledChanged() override;
};

class TQVCheckBox : public plat::TCheckBox {
    PLAT_CLASS(TQVCheckBox, plat::TCheckBox)
  public:
    explicit TQVCheckBox(plat::TComponent* owner);
    void PaintCaption(plat::TCanvas& c);

  protected:
    void PaintOver() override { PaintCaption(*Canvas()); }
    void TextChanged() override { Invalidate(); }
    void EnabledChanged() override;
};

}  // namespace ktrb
