// An owner-drawn list box whose rows carry a check state drawn as a
// Wingdings character (boxes or arrows), the selected row on a coloured bar.
#pragma once
#include <memory>
#include <vector>

#include "platform/ui/stdctrls.h"

namespace ktrb {

// The check state hung in an item's object slot.
class TCheck : public plat::TObject {
  public:
    bool Checked = false;
};

using TCheckEvent = plat::Event<plat::TObject*, int>;

class TFCheckListBox : public plat::TCustomListBox {
    PLAT_CLASS(TFCheckListBox, plat::TCustomListBox)
  public:
    explicit TFCheckListBox(plat::TComponent* owner);
    ~TFCheckListBox() override;

    plat::TColor BarColor() const { return barColor_; }
    void SetBarColor(plat::TColor v);
    int BoxSize() const { return boxSize_; }
    // Never larger than the item height.
    void SetBoxSize(int v);
    // 0: no glyph; 1, 2: boxes; 3, 4: arrows; 5 and above: no glyph, text
    // indented as with one.
    int CheckStyle() const { return checkStyle_; }
    void SetCheckStyle(int v);
    TCheckEvent OnCheck;

    bool GetChecked(int index);
    // Redraws the row and raises OnCheck even when the value is unchanged.
    void SetChecked(int index, bool value);
    void ToggleChecked(int index) { SetChecked(index, !GetChecked(index)); }

    plat::TRect CheckBoxRect(const plat::TRect& item) const;
    void DrawItemTo(plat::TCanvas& canvas, int index, const plat::TRect& r,
                    plat::TOwnerDrawState state) override;

  protected:
    virtual void DoCheck(int index);
    void MouseDown(plat::TMouseButton button, plat::TShiftState shift, int x, int y) override;
    void KeyDown(uint16_t& key, plat::TShiftState shift) override;

  private:
    TCheck* checkOf(int index);
    void drawCheckGlyph(plat::TCanvas& canvas, int index, const plat::TRect& r, bool selected);
    plat::TColor barColor_ = plat::clActiveCaption;
    int boxSize_ = 18;
    int checkStyle_ = 1;
    // Every TCheck handed out; those whose item is gone are dropped now and
    // then.
    std::vector<std::unique_ptr<TCheck>> checks_;
};

}  // namespace ktrb
