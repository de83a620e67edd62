#include "controls/QrvEdit.h"

#include <gtest/gtest.h>

#include "controls/controls_fixture.h"

using namespace plat;
using namespace ktrb;

namespace {
// A control at (100, 50), 120 x 21, with a label of the given size.
template <class C>
C* Placed(ctltest::Fixture& fx, int labelW, int labelH) {
    auto* c = new C(fx.form);
    c->SetParent(fx.inner);
    c->EditLabel()->SetAutoSize(false);
    c->EditLabel()->SetBounds(0, 0, labelW, labelH);
    c->SetBounds(100, 50, 120, 21);
    return c;
}
}  // namespace

TEST(LabelledEdit, PlacesItsLabelOnEverySide) {
    ctltest::Fixture fx;
    auto* ed = Placed<TQvEdit>(fx, 40, 13);
    EXPECT_EQ(ed->EditLabel()->Parent(), fx.inner);
    EXPECT_EQ(ed->EditLabel()->FocusControl(), ed);
    struct Case {
        TLabelPosition pos;
        int labelH;
        TPoint at;
    } cases[] = {
        {TLabelPosition::lpLeft, 13, {56, 54}},   {TLabelPosition::lpAbove, 13, {100, 33}},
        {TLabelPosition::lpBelow, 13, {100, 75}}, {TLabelPosition::lpRight, 13, {224, 54}},
        {TLabelPosition::lpLeft, 24, {56, 49}},   {TLabelPosition::lpRight, 24, {224, 49}}};
    for (const Case& c : cases) {
        ed->EditLabel()->SetHeight(c.labelH);
        ed->SetLabelPosition(c.pos);
        EXPECT_EQ(ed->EditLabel()->Left(), c.at.X) << (int)c.pos << " " << c.labelH;
        EXPECT_EQ(ed->EditLabel()->Top(), c.at.Y) << (int)c.pos << " " << c.labelH;
    }
    ed->SetLabelSpacing(-1);
    EXPECT_EQ(ed->LabelSpacing(), 4);
}

TEST(LabelledEdit, LabelAndButtonFollowTheControl) {
    ctltest::Fixture fx;
    auto* ed = Placed<TQvBtnDBEdit>(fx, 40, 13);
    TGSpeedButton* b = ed->F2Button();
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->Name(), "F2Button");
    EXPECT_EQ(b->GlyphIndex(), 8);
    EXPECT_EQ(b->BoundsRect(), Bounds(222, 50, 21, 21));
    ed->SetButtonSpacing(-1);
    EXPECT_EQ(b->Left(), 219);
    ed->SetBounds(10, 20, 100, 24);
    EXPECT_EQ(b->BoundsRect(), Bounds(109, 20, 24, 24));
    EXPECT_EQ(ed->EditLabel()->Left(), 10 - 40 - 4);
    ed->SetEnabled(false);
    EXPECT_FALSE(b->Enabled());
    EXPECT_FALSE(ed->EditLabel()->Enabled());
    ed->SetVisible(false);
    EXPECT_FALSE(b->Visible());
    EXPECT_FALSE(ed->EditLabel()->Visible());
    ed->SetParent(fx.outer);
    EXPECT_EQ(b->Parent(), fx.outer);
    EXPECT_EQ(ed->EditLabel()->Parent(), fx.outer);
}

TEST(LabelledEdit, ButtonAsksTheOwningFormForTheLookupUnlessOnDialogIsSet) {
    ctltest::Fixture fx;
    for (bool db : {false, true}) {
        TWinControl* ed =
            db ? static_cast<TWinControl*>(new TQvBtnDBEdit(fx.form)) : new TQvBtnEdit(fx.form);
        ed->SetParent(fx.inner);
        // A read-only edit still takes the focus and asks.
        static_cast<TCustomEdit*>(ed)->SetReadOnly(true);
        auto* b = static_cast<TGSpeedButton*>(ed->FindComponent("F2Button"));
        ASSERT_NE(b, nullptr);
        fx.form->F2.clear();
        b->Click();
        ASSERT_EQ(fx.form->F2.size(), 1u) << db;
        EXPECT_EQ(fx.form->F2[0], ed);
        EXPECT_EQ(fx.form->ActiveControl(), ed);
    }
    auto* ed = new TQvBtnEdit(fx.form);
    ed->SetParent(fx.inner);
    ed->SetReadOnly(true);
    TObject* sender = nullptr;
    ed->OnDialog = TNotifyEvent([&](TObject* s) { sender = s; }, nullptr);
    fx.form->F2.clear();
    ed->F2Button()->Click();
    EXPECT_EQ(sender, ed);
    EXPECT_TRUE(fx.form->F2.empty());
}

TEST(LabelledEdit, AFreedLabelOrButtonIsForgotten) {
    ctltest::Fixture fx;
    auto* ed = Placed<TQvBtnEdit>(fx, 40, 13);
    ed->SetCaption("单号");
    EXPECT_EQ(ed->Caption(), "单号");
    delete ed->EditLabel();
    delete ed->F2Button();
    EXPECT_EQ(ed->EditLabel(), nullptr);
    EXPECT_EQ(ed->Caption(), "");
    ed->SetCaption("x");
    ed->SetLabelPosition(TLabelPosition::lpAbove);
    EXPECT_EQ(ed->LabelPosition(), TLabelPosition::lpLeft);
    ed->SetGlyphIndex(11);
    EXPECT_EQ(ed->GlyphIndex(), 8);
    ed->SetBounds(0, 0, 50, 20);
    ed->SetEnabled(false);
    EXPECT_EQ(ed->ButtonHint(), "");
}

TEST(LabelledEdit, TheDataAwareMembersShowTheirField) {
    ctltest::Fixture fx;
    auto* ed = new TQvDBEdit(fx.form);
    ed->SetParent(fx.inner);
    ed->SetDataSource(fx.src);
    ed->SetDataField("TH004");
    ed->SetCaption("单号");
    EXPECT_EQ(ed->Text(), "A001");
    EXPECT_EQ(ed->Caption(), "单号");
    auto* cb = new TQvDBComboBox(fx.form);
    cb->SetParent(fx.inner);
    cb->Items()->Add("Y");
    cb->Items()->Add("N");
    cb->SetDataSource(fx.src);
    cb->SetDataField("TH026");
    EXPECT_EQ(cb->Text(), "Y");
}
