#include "controls/FDbChkBox.h"

#include <gtest/gtest.h>

#include "controls/controls_fixture.h"
#include "platform/core/exceptions.h"
#include "platform/data/field.h"

using namespace plat;
using namespace ktrb;

namespace {
const TCheckBoxState U = TCheckBoxState::cbUnchecked, C = TCheckBoxState::cbChecked,
                     G = TCheckBoxState::cbGrayed;

TFDbCheckBox* Bound(ctltest::Fixture& fx, const char* field) {
    auto* b = new TFDbCheckBox(fx.form);
    b->SetParent(fx.inner);
    b->SetDataSource(fx.src);
    b->SetDataField(field);
    return b;
}
}  // namespace

TEST(GlyphCheckBox, ClicksCycleThroughTheStates) {
    ctltest::Fixture fx;
    auto* b = new TBitCheckBox(fx.form);
    b->SetParent(fx.inner);
    int clicks = 0;
    b->OnClick = TNotifyEvent([&](TObject*) { ++clicks; }, nullptr);
    for (bool grayed : {false, true}) {
        b->AllowGrayed = grayed;
        b->SetState(U);
        std::vector<TCheckBoxState> seen;
        for (int i = 0; i < 3; ++i) {
            b->Click();
            seen.push_back(b->State());
        }
        std::vector<TCheckBoxState> want = grayed ? std::vector{G, C, U} : std::vector{C, U, C};
        EXPECT_EQ(seen, want);
    }
    EXPECT_EQ(clicks, 6);
    EXPECT_EQ(fx.form->ActiveControl(), b);
    b->SetState(G);
    EXPECT_FALSE(b->Checked());
    b->SetCheckedNumGlyphs(5);
    EXPECT_EQ(b->CheckedNumGlyphs(), 2);
    b->SetCheckedNumGlyphs(0);
    EXPECT_EQ(b->CheckedNumGlyphs(), 1);
    EXPECT_EQ(b->CheckedGlyph()->Width(), 19);
    EXPECT_EQ(b->CheckedGlyph()->Height(), 14);
}

TEST(GlyphCheckBox, AcceleratorAndSpaceToggle) {
    ctltest::Fixture fx;
    auto* b = new TBitCheckBox(fx.form);
    b->SetParent(fx.inner);
    b->SetCaption("保存后继续录入下一笔(&N)");
    EXPECT_TRUE(fx.form->DialogChar('n'));
    EXPECT_EQ(b->State(), C);
    EXPECT_EQ(fx.form->ActiveControl(), b);
    b->SimulateKey(0, {}, ' ');
    EXPECT_EQ(b->State(), U);
    TRecordingCanvas canvas;
    b->PaintTo(canvas);
    bool underlined = false;
    for (const CanvasOp& op : canvas.Ops())
        if (op.Kind == CanvasOpKind::Text && op.Text == "保存后继续录入下一笔(N)")
            underlined = op.UnderlineIndex == 11;
    EXPECT_TRUE(underlined);
}

TEST(GlyphCheckBox, DisabledBoxDrawsItsOnlyImageAndAGreyCaption) {
    ctltest::Fixture fx;
    auto* b = new TBitCheckBox(fx.form);
    b->SetParent(fx.inner);
    b->SetCaption("启用颜色管理");
    auto paint = [&] {
        TRecordingCanvas canvas;
        b->PaintTo(canvas);
        std::vector<CanvasOp> ops;
        for (const CanvasOp& op : canvas.Ops())
            if (op.Kind == CanvasOpKind::Image || op.Kind == CanvasOpKind::Text) ops.push_back(op);
        return ops;
    };
    auto on = paint();
    b->SetEnabled(false);
    auto off = paint();
    ASSERT_EQ(on.size(), 2u);
    ASSERT_EQ(off.size(), 3u);
    EXPECT_EQ(on[1].Rect, off[2].Rect);
    EXPECT_EQ(off[1].Font.Color, clGrayText);
    EXPECT_EQ(off[0].Font.Color, clBtnHighlight);
}

TEST(DataCheckBox, ShowsTheFlagTextsOfItsField) {
    ctltest::Fixture fx;
    auto* b = Bound(fx, "TH026");
    EXPECT_EQ(b->ValueChecked(), "Y");
    EXPECT_EQ(b->ValueUnchecked(), "N");
    TField* f = fx.ds->FieldByName("TH026");
    struct Case {
        const char* text;  // null: the field is null
        const char* checked;
        TCheckBoxState state;
    } cases[] = {{"Y", "Y", C}, {"n", "Y", U}, {"t", "Y;T", C},
                 {"", "Y", G},  {"X", "Y", G}, {nullptr, "Y", U}};
    for (const Case& c : cases) {
        fx.ds->Edit();
        if (c.text)
            f->SetAsString(c.text);
        else
            f->Clear();
        fx.ds->Post();
        b->SetValueChecked(c.checked);
        EXPECT_EQ(b->State(), c.state) << (c.text ? c.text : "null");
    }
}

TEST(DataCheckBox, WritesTheFirstFlagTextOrClearsWhenGrayed) {
    ctltest::Fixture fx;
    auto* b = Bound(fx, "TH035");
    b->SetValueChecked("Y;T");
    b->AllowGrayed = true;
    EXPECT_EQ(b->State(), U);
    b->Click();
    EXPECT_EQ(fx.ds->State(), dsEdit);
    EXPECT_EQ(b->State(), G);
    fx.ds->Post();
    EXPECT_TRUE(fx.ds->FieldByName("TH035")->IsNull());
    // A null field shows unchecked.
    EXPECT_EQ(b->State(), U);
    b->AllowGrayed = false;
    b->Click();
    EXPECT_EQ(b->State(), C);
    fx.ds->Post();
    EXPECT_EQ(fx.ds->FieldByName("TH035")->AsString(), "Y");
    // Esc puts the field's value back.
    b->Click();
    b->SimulateKey(0, {}, 27);
    EXPECT_EQ(b->State(), C);
    fx.ds->Cancel();
}

TEST(DataCheckBox, AReadOnlyFieldOrBoxIsNeverWritten) {
    ctltest::Fixture fx;
    auto* b = Bound(fx, "TH026");
    fx.ds->FieldByName("TH026")->SetReadOnly(true);
    b->Click();
    EXPECT_EQ(b->State(), C);
    EXPECT_EQ(fx.ds->State(), dsBrowse);
    // Even a record put into edit elsewhere keeps the read-only field.
    fx.ds->Edit();
    b->SetState(U);
    b->DataLink()->SetModified();
    fx.ds->Post();
    EXPECT_EQ(fx.ds->FieldByName("TH026")->AsString(), "Y");

    auto* ro = Bound(fx, "TH035");
    ro->SetReadOnly(true);
    ro->Click();
    EXPECT_EQ(ro->State(), U);
    EXPECT_EQ(fx.ds->State(), dsBrowse);
}

TEST(DataCheckBox, AutoCaptionTakesTheDisplayLabel) {
    ctltest::Fixture fx;
    auto* b = Bound(fx, "TH026");
    b->SetCaption("设计");
    b->SetAutoCaption(true);
    EXPECT_EQ(b->Caption(), "自动扣料");
    delete fx.src;
    fx.src = nullptr;
    EXPECT_EQ(b->DataSource(), nullptr);
}

TEST(DataCheckBox, AFailedWriteOnLeavingKeepsTheFocus) {
    ctltest::Fixture fx;
    uitest::Capture cap;
    fx.ds->FieldByName("TH035")->OnValidate = TFieldNotifyEvent([](TField* fld) {
        if (fld->AsString() == "Y") throw EDatabaseError("不可自动扣料");
    });
    auto* b = Bound(fx, "TH035");
    auto* other = new TEdit(fx.form);
    other->SetParent(fx.inner);
    b->SetFocus();
    b->Click();
    other->SetFocus();
    EXPECT_EQ(fx.form->ActiveControl(), b);
    EXPECT_EQ(cap.dialogs->Texts(), (std::vector<std::string>{"不可自动扣料."}));
    EXPECT_EQ(fx.ds->FieldByName("TH035")->AsString(), "N");
    EXPECT_EQ(reinterpret_cast<TFieldDataLink*>(b->Perform(CM_GETDATALINK)), b->DataLink());
}
