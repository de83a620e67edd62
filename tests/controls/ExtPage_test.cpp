#include "controls/ExtPage.h"

#include <gtest/gtest.h>

#include "controls/controls_fixture.h"

using namespace plat;
using namespace ktrb;

namespace {
struct Pages {
    ctltest::Fixture fx;
    TExtPageControl* pc = new TExtPageControl(fx.form);
    std::vector<TTabSheet*> sheets;
    explicit Pages(std::vector<const char*> captions) {
        pc->SetParent(fx.inner);
        pc->SetBounds(0, 0, 300, 200);
        for (const char* c : captions) {
            auto* s = new TTabSheet(fx.form);
            s->SetCaption(c);
            s->SetPageControl(pc);
            sheets.push_back(s);
        }
    }
    // The texts and fills of one tab drawn in r.
    std::vector<CanvasOp> draw(int tab, bool active) {
        TRecordingCanvas canvas;
        pc->Canvas()->SetDevice(canvas.Device());
        pc->DrawTab(tab, Rect(10, 0, 80, 20), active);
        pc->Canvas()->SetDevice(nullptr);
        return canvas.Ops();
    }
};
}  // namespace

TEST(CaptionPageControl, TabsShowTheCaptionsOfTheVisiblePages) {
    Pages p({"A", "B", "C"});
    EXPECT_EQ(p.draw(1, false).back().Text, "B");
    p.sheets[0]->SetTabVisible(false);
    EXPECT_EQ(p.draw(0, false).back().Text, "B");
    EXPECT_EQ(p.draw(1, false).back().Text, "C");
    EXPECT_EQ(p.pc->PageIndexOfTab(1), 2);
}

TEST(CaptionPageControl, TheActiveTabIsInsetBoldOnTheActiveCaptionColour) {
    Pages p({"表头", "其它"});
    auto active = p.draw(0, true);
    ASSERT_EQ(active.size(), 2u);
    EXPECT_EQ(active[0].Rect, Rect(12, 2, 78, 18));
    EXPECT_EQ(active[0].Brush.Color, clActiveCaption);
    EXPECT_TRUE(active[1].Font.Style.Contains(fsBold));
    EXPECT_EQ(active[1].Font.Color, clCaptionText);
    auto idle = p.draw(1, false);
    EXPECT_EQ(idle[0].Rect, Rect(10, 0, 80, 20));
    EXPECT_EQ(idle[0].Brush.Color, clInactiveCaption);
    EXPECT_FALSE(idle[1].Font.Style.Contains(fsBold));
    EXPECT_EQ(idle[1].Font.Color, clInactiveCaptionText);

    int calls = 0;
    p.pc->OnDrawTab =
        TDrawTabEvent([&](TObject* s, int, TRect, bool) { calls += s == p.pc; }, nullptr);
    EXPECT_TRUE(p.draw(0, true).empty());
    EXPECT_EQ(calls, 1);
}
