// The page control whose tabs are painted in the window-caption colours, so
// that the active page stands out as an active title bar.
#pragma once
#include "platform/ui/comctrls.h"

namespace ktrb {

class TExtPageControl : public plat::TPageControl {
    PLAT_CLASS(TExtPageControl, plat::TPageControl)
  public:
    explicit TExtPageControl(plat::TComponent* owner);
    // OnDrawTab alone when assigned; else the caption-colour drawing.
    void DrawTab(int tabIndex, const plat::TRect& rect, bool active) override;
    // The page of the tabIndex-th visible tab (hidden tabs skipped).
    int PageIndexOfTab(int tabIndex) const;
};

}  // namespace ktrb
