// The tab set: a row of tabs along the bottom edge of a page, painted by the
// control (or by its owner), one of them selected.
#pragma once
#include <string>
#include <vector>

#include "platform/ui/controls.h"

namespace plat {

enum class TTabSetStyle { tsStandard, tsOwnerDraw };
PLAT_ENUM_INFO(TTabSetStyle, tsStandard, tsOwnerDraw)

// Sender, new tab, allow change.
using TTabChangeEvent = Event<TObject*, int, bool&>;
// Sender, canvas, rectangle, index, selected.
using TDrawTabSetEvent = Event<TObject*, TCanvas*, const TRect&, int, bool>;
// Sender, index, width.
using TMeasureTabEvent = Event<TObject*, int, int&>;

class TTabSet : public TCustomControl {
    PLAT_CLASS(TTabSet, TCustomControl)
  public:
    explicit TTabSet(TComponent* owner);

    const std::vector<std::string>& Tabs() const { return tabs_; }
    void SetTabs(const std::vector<std::string>& tabs);
    // -1 when no tab is selected.
    int TabIndex() const { return tabIndex_; }
    // Raises OnChange first; the handler may refuse.
    void SetTabIndex(int i);
    // The first tab shown (the others scroll off to the left).
    int FirstIndex() const { return firstIndex_; }
    void SetFirstIndex(int i);
    TTabSetStyle Style() const { return style_; }
    void SetStyle(TTabSetStyle s);
    int TabHeight() const { return tabHeight_; }
    void SetTabHeight(int h);
    int StartMargin() const { return startMargin_; }
    void SetStartMargin(int v);
    TColor SelectedColor() const { return selectedColor_; }
    void SetSelectedColor(TColor c);
    TColor UnselectedColor() const { return unselectedColor_; }
    void SetUnselectedColor(TColor c);
    TColor BackgroundColor() const { return backgroundColor_; }
    void SetBackgroundColor(TColor c);
    // The tab under a client point, -1 for none.
    int ItemAtPos(TPoint p);
    TRect ItemRect(int index);

    TTabChangeEvent OnChange;
    TDrawTabSetEvent OnDrawTab;
    TMeasureTabEvent OnMeasureTab;

  protected:
    void Paint() override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;

  private:
    int tabWidth(int i);
    std::vector<std::string> tabs_;
    int tabIndex_ = -1, firstIndex_ = 0;
    TTabSetStyle style_ = TTabSetStyle::tsStandard;
    int tabHeight_ = 20, startMargin_ = 5;
    TColor selectedColor_ = clBtnFace, unselectedColor_ = clWindow, backgroundColor_ = clBtnFace;
};

}  // namespace plat
