#include "controls/QvRadioButton.h"

#include <gtest/gtest.h>

#include "controls/controls_fixture.h"

using namespace plat;
using namespace ktrb;

namespace {
CanvasOp CaptionOp(TControl* c, void (*paint)(TControl*, TCanvas&)) {
    TRecordingCanvas canvas;
    paint(c, canvas);
    for (const CanvasOp& op : canvas.Ops())
        if (op.Kind == CanvasOpKind::Text) return op;
    ADD_FAILURE() << "no caption drawn";
    return {};
}
void PaintRadio(TControl* c, TCanvas& canvas) {
    static_cast<TQvRadioButton*>(c)->PaintCaption(canvas);
}
void PaintCheck(TControl* c, TCanvas& canvas) {
    static_cast<TQVCheckBox*>(c)->PaintCaption(canvas);
}
}  // namespace

TEST(SelfPaintedRadio, ButtonsOfOneParentFormAGroup) {
    ctltest::Fixture fx;
    std::vector<TQvRadioButton*> r;
    for (int i = 0; i < 3; ++i) {
        r.push_back(new TQvRadioButton(fx.form));
        r.back()->SetParent(i < 2 ? fx.inner : fx.outer);
    }
    EXPECT_FALSE(r[0]->TabStop());
    int clicks = 0;
    r[1]->OnClick = TNotifyEvent([&](TObject*) { ++clicks; }, nullptr);
    r[0]->SetChecked(true);
    r[2]->SetChecked(true);
    r[1]->SetChecked(true);
    r[1]->SetChecked(true);
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(r[0]->Checked());
    EXPECT_FALSE(r[0]->TabStop());
    EXPECT_TRUE(r[1]->TabStop());
    EXPECT_TRUE(r[2]->Checked());
    int dbl = 0;
    r[0]->OnDblClick = TNotifyEvent([&](TObject*) { ++dbl; }, nullptr);
    uitest::Mouse(r[0], QEvent::MouseButtonDblClick, 5, 5);
    EXPECT_EQ(dbl, 1);
}

TEST(SelfPaintedRadio, CaptionStartsByFontSizeInTheControlsColours) {
    ctltest::Fixture fx;
    auto* r = new TQvRadioButton(fx.form);
    r->SetParent(fx.inner);
    r->SetCaption("向下(&D)");
    r->Font()->SetColor(clNavy);
    r->SetColor(clYellow);
    for (auto [size, left] : {std::pair{9, 19}, {8, 17}, {12, 19}, {16, 20}, {81, 44}}) {
        r->Font()->SetSize(size);
        CanvasOp op = CaptionOp(r, PaintRadio);
        EXPECT_EQ(op.Rect.Left, left) << size;
    }
    r->SetEnabled(false);
    CanvasOp op = CaptionOp(r, PaintRadio);
    EXPECT_EQ(op.Font.Color, clNavy);
    EXPECT_EQ(op.Text, "向下(D)");
    EXPECT_EQ(CaptionOffset(0), 44);
    EXPECT_EQ(CaptionOffset(61), 39);
}

TEST(SelfPaintedCheck, CaptionStaysInsideTheControlForEveryFontSize) {
    ctltest::Fixture fx;
    auto* c = new TQVCheckBox(fx.form);
    c->SetParent(fx.inner);
    c->SetBounds(0, 0, 120, 17);
    c->SetCaption("区分大小写");
    EXPECT_TRUE(c->TabStop());
    for (TLeftRight align : {TLeftRight::taRightJustify, TLeftRight::taLeftJustify}) {
        c->SetAlignment(align);
        for (int size : {6, 8, 9, 12, 16}) {
            c->Font()->SetSize(size);
            CanvasOp op = CaptionOp(c, PaintCheck);
            SCOPED_TRACE(testing::Message() << (int)align << " size " << size);
            EXPECT_GE(op.Rect.Top, 0);
            EXPECT_GE(op.Rect.Left, 0);
            EXPECT_LE(op.Rect.Right, 120);
            EXPECT_LE(op.Rect.Bottom, 17);
        }
    }
    c->SetAlignment(TLeftRight::taRightJustify);
    c->Font()->SetSize(9);
    CanvasOp op = CaptionOp(c, PaintCheck);
    EXPECT_EQ(op.Rect.Left, 19);
    EXPECT_EQ(op.Rect.Top, 2);
}
