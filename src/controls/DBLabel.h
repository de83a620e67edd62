// A caption label that attaches itself to another control: it places itself
// beside the control and, for a data-aware control, takes its text from the
// bound field's display label.
#pragma once
#include "platform/ui/stdctrls.h"

namespace ktrb {

enum class TPos { psTop, psLeft, psRight, psBottom };
PLAT_ENUM_INFO(TPos, psTop, psLeft, psRight, psBottom)

class TDBLabel : public plat::TLabel {
    PLAT_CLASS(TDBLabel, plat::TLabel)
  public:
    explicit TDBLabel(plat::TComponent* owner);

    bool AutoAlign() const { return autoAlign_; }
    void SetAutoAlign(bool v);
    bool AutoCaption() const { return autoCaption_; }
    void SetAutoCaption(bool v);
    uint8_t Gap() const { return gap_; }
    void SetGap(uint8_t v);
    TPos Pos() const { return pos_; }
    void SetPos(TPos v);
    // Refused with an error box when another caption label of the same
    // parent is attached to the control already.
    void SetFocusControl(plat::TWinControl* c) override;
    // Takes the caption from the control's field, then places the label.
    void Refresh();

  private:
    void updateCaption();
    void place();
    bool autoAlign_ = true;
    bool autoCaption_ = true;
    uint8_t gap_ = 4;
    TPos pos_ = TPos::psLeft;
};

}  // namespace ktrb
