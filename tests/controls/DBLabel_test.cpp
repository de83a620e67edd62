#include "controls/DBLabel.h"

#include <gtest/gtest.h>

#include "controls/controls_fixture.h"
#include "platform/ui/dbctrls.h"

using namespace plat;
using namespace ktrb;

namespace {
TDBLabel* SizedLabel(ctltest::Fixture& fx, TWinControl* parent) {
    auto* l = new TDBLabel(fx.form);
    l->SetParent(parent);
    l->SetAutoSize(false);
    l->SetBounds(0, 0, 52, 13);
    return l;
}
}  // namespace

TEST(CaptionLabel, PlacesItselfBesideTheControlAndNeverBelowZero) {
    ctltest::Fixture fx;
    auto* ed = new TEdit(fx.form);
    ed->SetParent(fx.inner);
    auto* l = SizedLabel(fx, fx.inner);
    EXPECT_EQ(l->Caption(), "挂靠标签");
    struct Case {
        TRect edit;
        TPos pos;
        TPoint at;
    } cases[] = {{Bounds(120, 100, 80, 21), TPos::psLeft, {64, 104}},
                 {Bounds(30, 100, 80, 21), TPos::psLeft, {0, 104}},
                 {Bounds(120, 100, 80, 20), TPos::psRight, {204, 104}},
                 {Bounds(120, 100, 80, 13), TPos::psLeft, {64, 100}},
                 {Bounds(120, 5, 80, 21), TPos::psTop, {120, 0}},
                 {Bounds(120, 5, 80, 21), TPos::psBottom, {120, 30}}};
    for (const Case& c : cases) {
        ed->SetBoundsRect(c.edit);
        l->SetFocusControl(nullptr);
        l->SetPos(c.pos);
        l->SetFocusControl(ed);
        EXPECT_EQ(l->Left(), c.at.X) << (int)c.pos << " " << c.edit.Left;
        EXPECT_EQ(l->Top(), c.at.Y) << (int)c.pos << " " << c.edit.Left;
    }
    l->SetAutoAlign(false);
    l->SetGap(10);
    EXPECT_EQ(l->Top(), 30);
}

TEST(CaptionLabel, TakesTheFieldsDisplayLabelWhenTheFieldExists) {
    ctltest::Fixture fx;
    auto* ed = new TDBEdit(fx.form);
    ed->SetParent(fx.inner);
    ed->SetDataSource(fx.src);
    ed->SetDataField("TH004");
    auto* l = SizedLabel(fx, fx.inner);
    l->SetFocusControl(ed);
    EXPECT_EQ(l->Caption(), "委外单号");

    auto* missing = new TDBEdit(fx.form);
    missing->SetParent(fx.inner);
    missing->SetDataSource(fx.src);
    missing->SetDataField("NOSUCH");
    auto* l2 = SizedLabel(fx, fx.inner);
    l2->SetFocusControl(missing);
    EXPECT_EQ(l2->Caption(), "挂靠标签");
    // A plain edit has no source: the caption stays.
    auto* plain = new TEdit(fx.form);
    plain->SetParent(fx.inner);
    auto* l3 = SizedLabel(fx, fx.inner);
    l3->SetCaption("数量");
    l3->SetFocusControl(plain);
    EXPECT_EQ(l3->Caption(), "数量");
}

TEST(CaptionLabel, ASecondLabelForTheSameControlIsRefusedOnTheForm) {
    ctltest::Fixture fx;
    uitest::Capture cap;
    auto* ed = new TEdit(fx.form);
    ed->SetParent(fx.form);
    auto* first = SizedLabel(fx, fx.form);
    first->SetFocusControl(ed);
    auto* second = SizedLabel(fx, fx.form);
    second->SetFocusControl(ed);
    EXPECT_EQ(second->FocusControl(), nullptr);
    ASSERT_EQ(cap.dialogs->Requests().size(), 1u);
    EXPECT_EQ(cap.dialogs->Requests()[0].Text, "不能同时有两个 DBLabel 指到同一个 Control.");
    delete ed;
    EXPECT_EQ(first->FocusControl(), nullptr);
}
