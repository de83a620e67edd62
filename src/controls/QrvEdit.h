// Edits and combo boxes that carry their own caption label, kept beside the
// control wherever it moves; the button edits also carry a square F2
// look-up button glued to their right edge.
#pragma once
#include <string>

#include "controls/GSpdBtn.h"
#include "platform/ui/dbctrls.h"

namespace ktrb {

enum class TLabelPosition { lpAbove, lpBelow, lpLeft, lpRight };
PLAT_ENUM_INFO(TLabelPosition, lpAbove, lpBelow, lpLeft, lpRight)

// The label (and button) part every member shares, on top of its control.
template <class Base>
class TLabelledControl : public Base {
  public:
    explicit TLabelledControl(plat::TComponent* owner);

    // Null once freed.
    plat::TLabel* EditLabel() const { return label_; }
    TGSpeedButton* F2Button() const { return button_; }

    // The label's text (not the control's).
    std::string Caption() const { return label_ ? label_->Caption() : std::string(); }
    void SetCaption(const std::string& text);
    TLabelPosition LabelPosition() const { return labelPosition_; }
    void SetLabelPosition(TLabelPosition value);
    int LabelSpacing() const { return labelSpacing_; }
    void SetLabelSpacing(int value);

    int ButtonSpacing() const { return buttonSpacing_; }
    void SetButtonSpacing(int value);
    int GlyphIndex() const { return glyphIndex_; }
    void SetGlyphIndex(int value);
    std::string ButtonHint() const { return button_ ? button_->Hint() : std::string(); }
    void SetButtonHint(const std::string& text);
    // Replaces the F2 look-up of the button (Sender: the control).
    plat::TNotifyEvent OnDialog;

    void SetParent(plat::TWinControl* parent) override;
    void SetBounds(int left, int top, int width, int height) override;
    void Notification(plat::TComponent* c, plat::TOperation op) override;

  protected:
    void EnabledChanged() override;
    void VisibleChanged() override;
    // The button members create their button in their constructor.
    void CreateF2Button();

  private:
    void placeLabel();
    void placeButton();
    void buttonClick();
    plat::TLabel* label_ = nullptr;
    int labelSpacing_ = 4;
    TLabelPosition labelPosition_ = TLabelPosition::lpLeft;
    TGSpeedButton* button_ = nullptr;
    int buttonSpacing_ = 2;
    int glyphIndex_ = 8;
};

extern template class TLabelledControl<plat::TEdit>;
extern template class TLabelledControl<plat::TDBEdit>;
extern template class TLabelledControl<plat::TComboBox>;
extern template class TLabelledControl<plat::TDBComboBox>;

class TQvEdit : public TLabelledControl<plat::TEdit> {
    PLAT_CLASS(TQvEdit, plat::TEdit)
  public:
    explicit TQvEdit(plat::TComponent* owner) : TLabelledControl(owner) {}
};

class TQvBtnEdit : public TQvEdit {
    PLAT_CLASS(TQvBtnEdit, TQvEdit)
  public:
    explicit TQvBtnEdit(plat::TComponent* owner) : TQvEdit(owner) { CreateF2Button(); }
};

class TQvDBEdit : public TLabelledControl<plat::TDBEdit> {
    PLAT_CLASS(TQvDBEdit, plat::TDBEdit)
  public:
    explicit TQvDBEdit(plat::TComponent* owner) : TLabelledControl(owner) {}
};

class TQvBtnDBEdit : public TQvDBEdit {
    PLAT_CLASS(TQvBtnDBEdit, TQvDBEdit)
  public:
    explicit TQvBtnDBEdit(plat::TComponent* owner) : TQvDBEdit(owner) { CreateF2Button(); }
};

class TQvComboBox : public TLabelledControl<plat::TComboBox> {
    PLAT_CLASS(TQvComboBox, plat::TComboBox)
  public:
    explicit TQvComboBox(plat::TComponent* owner) : TLabelledControl(owner) {}
};

class TQvDBComboBox : public TLabelledControl<plat::TDBComboBox> {
    PLAT_CLASS(TQvDBComboBox, plat::TDBComboBox)
  public:
    explicit TQvDBComboBox(plat::TComponent* owner) : TLabelledControl(owner) {}
};

}  // namespace ktrb
