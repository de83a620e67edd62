#include "controls/QVForm.h"

#include <gtest/gtest.h>

#include "controls/F2Button.h"
#include "controls/QrvEdit.h"
#include "platform/ui/buttons.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/screenshot.h"
#include "platform/ui/stdctrls.h"
#include "platform/ui/ui_test_util.h"
#include "runtime/language_fixture.h"

namespace ktrb::test {
namespace {

using plat::TBitmap;
using plat::TColor;

constexpr TColor kBack = 0x008080;  // olive, the transparent colour
constexpr TColor kInk = 0;

TColor face() {
    return plat::ColorToRGB(plat::clBtnFace);
}
TColor shadow() {
    return plat::ColorToRGB(plat::clBtnShadow);
}
TColor highlight() {
    return plat::ColorToRGB(plat::clBtnHighlight);
}

TBitmap filled(int w, int h, TColor c) {
    TBitmap b(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) b.SetPixel(x, y, c);
    return b;
}

TEST(DisabledGlyph, LightPixelsAreInkOnlyWhereTheyTouchTheBackground) {
    // A 5x5 white square at (2,2) on a 9x9 background.
    TBitmap src = filled(9, 9, kBack);
    for (int y = 2; y < 7; ++y)
        for (int x = 2; x < 7; ++x) src.SetPixel(x, y, 0xFFFFFF);
    TBitmap d = CreateDisabledGlyph(&src);
    EXPECT_EQ(d.GetPixel(2, 2), shadow());  // the ring
    EXPECT_EQ(d.GetPixel(6, 4), shadow());
    EXPECT_EQ(d.GetPixel(4, 4), face());       // inside: no ink
    EXPECT_EQ(d.GetPixel(7, 7), highlight());  // below-right of the ring's corner
    EXPECT_EQ(d.GetPixel(0, 0), face());       // background
}

TEST(DisabledGlyph, DarkThresholdAndDiagonalContact) {
    struct Case {
        TColor pixel;
        bool ink;
    };
    // Channel sums 383 and 384, each surrounded by a light frame so that no
    // neighbour is the background.
    for (const Case& c : {Case{0x7F8080, true}, Case{0x808080, false}}) {
        TBitmap src = filled(5, 5, 0xFFFFFF);
        src.SetPixel(0, 4, kBack);  // bottom-left: the transparent colour
        src.SetPixel(2, 2, c.pixel);
        TBitmap d = CreateDisabledGlyph(&src);
        EXPECT_EQ(d.GetPixel(2, 2) == shadow(), c.ink) << std::hex << c.pixel;
    }
    // (1,3) touches the background at (0,4) only diagonally.
    TBitmap src = filled(5, 5, 0xFFFFFF);
    src.SetPixel(0, 4, kBack);
    TBitmap d = CreateDisabledGlyph(&src);
    EXPECT_EQ(d.GetPixel(1, 3), face());
    EXPECT_EQ(d.GetPixel(1, 4), shadow());
}

TEST(DisabledGlyph, AppendKeepsTheImageAndAddsTheDisabledOneBeside) {
    TBitmap g = filled(4, 3, kBack);
    g.SetPixel(1, 1, kInk);
    AppendDisabledGlyph(&g);
    ASSERT_EQ(g.Width(), 8);
    EXPECT_EQ(g.Height(), 3);
    EXPECT_EQ(g.GetPixel(1, 1), kInk);
    EXPECT_EQ(g.GetPixel(0, 2), kBack);
    EXPECT_EQ(g.GetPixel(5, 1), shadow());
    EXPECT_EQ(g.GetPixel(6, 2), highlight());
    AppendDisabledGlyph(nullptr);
}

class TfrmDemo : public TQVForm {
    PLAT_CLASS(TfrmDemo, TQVForm)
  public:
    explicit TfrmDemo(plat::TComponent* owner) : TQVForm(owner) {
        SetCaption("演示窗口");
        SetClientWidth(300);
        SetClientHeight(120);
        label = new plat::TLabel(this);
        label->SetName("lblCode");
        label->SetParent(this);
        label->SetBounds(10, 14, 80, 16);
        label->SetCaption("供应商编号");
        edit = new TQvBtnDBEdit(this);
        edit->SetName("edtCode");
        edit->SetParent(this);
        edit->SetBounds(100, 10, 150, 22);
        plainEdit = new TQvBtnEdit(this);
        plainEdit->SetName("edtPlain");
        plainEdit->SetParent(this);
        plainEdit->SetBounds(100, 40, 150, 22);
        one = new plat::TSpeedButton(this);
        one->SetName("btnOne");
        one->SetParent(this);
        one->SetBounds(10, 80, 23, 23);
        *one->Glyph() = filled(16, 16, kBack);
        one->Glyph()->SetPixel(8, 8, kInk);
        two = new plat::TSpeedButton(this);
        two->SetName("btnTwo");
        two->SetParent(this);
        two->SetBounds(40, 80, 23, 23);
        *two->Glyph() = filled(32, 16, kBack);
        two->SetNumGlyphs(2);
        ok = new plat::TButton(this);
        ok->SetName("btnOK");
        ok->SetParent(this);
        ok->SetBounds(200, 80, 80, 25);
        ok->SetCaption("确定");
    }
    plat::TLabel* label;
    TQvBtnDBEdit* edit;
    TQvBtnEdit* plainEdit;
    plat::TSpeedButton *one, *two;
    plat::TButton* ok;
};

class QVFormTest : public LanguageFixture {
  protected:
    TfrmDemo* Make() { return plat::CreateForm<TfrmDemo>(nullptr); }
};

TEST_F(QVFormTest, CreationGivesOneGlyphButtonsADisabledImage) {
    TfrmDemo* f = Make();
    EXPECT_EQ(f->one->NumGlyphs(), 2);
    EXPECT_EQ(f->one->Glyph()->Width(), 32);
    EXPECT_EQ(f->one->Glyph()->GetPixel(24, 8), shadow());
    EXPECT_EQ(f->two->Glyph()->Width(), 32);
    ASSERT_TRUE(f->edit->F2Button());
    EXPECT_EQ(f->edit->F2Button()->NumGlyphs(), 2);
    EXPECT_EQ(f->plainEdit->F2Button()->NumGlyphs(), 1);
    EXPECT_TRUE(f->ApplyLanguageOnShow);
    EXPECT_FALSE(f->Converted);
    EXPECT_EQ(f->label->Font()->Name(), "宋体");
    f->Free();
}

TEST_F(QVFormTest, EnglishInterfaceGivesOwnedControlsTahoma) {
    SetCodePages("437", "936");
    TfrmDemo* f = Make();
    EXPECT_EQ(f->GetUICodePage(), "437");
    EXPECT_EQ(f->label->Font()->Name(), "Tahoma");
    EXPECT_EQ(f->label->Font()->Charset(), 134);
    EXPECT_EQ(f->Font()->Name(), "宋体");
    f->Free();
}

TEST_F(QVFormTest, ShowAppliesPackagesFromTheGeneralClassDown) {
    WritePackage("CHS", "TQVForm",
                 "<TQVForm Caption=\"base\"><lblCode Caption=\"general\"/>"
                 "<btnOK Caption=\"OK\"/></TQVForm>");
    WritePackage("CHS", "TfrmDemo",
                 "<TfrmDemo Caption=\"demo\"><lblCode Caption=\"own\"/></TfrmDemo>");
    TfrmDemo* f = Make();
    uitest::ShowActive(f);
    EXPECT_EQ(f->Caption(), "demo");
    EXPECT_EQ(f->label->Caption(), "own");
    EXPECT_EQ(f->ok->Caption(), "OK");

    // The descendant pass leaves the framework's package out.
    TfrmDemo* g = Make();
    g->ApplyDescendantLanguage(g, true);
    EXPECT_EQ(g->ok->Caption(), "确定");
    EXPECT_EQ(g->label->Caption(), "own");
    f->Free();
    g->Free();
}

TEST_F(QVFormTest, NoPackagesChangeNothing) {
    TfrmDemo* f = Make();
    uitest::ShowActive(f);
    EXPECT_EQ(f->Caption(), "演示窗口");
    EXPECT_EQ(f->GetLangMessage("TfrmDemo", "sNone", "缺省", false), "缺省");
    f->Free();
}

TEST_F(QVFormTest, BigFiveInterfaceConvertsTheWindowOnce) {
    UseDemoTable();
    SetCodePages("950", "936");
    TfrmDemo* f = Make();
    EXPECT_EQ(f->GetDisplayMode(), 2);
    EXPECT_EQ(f->GetLangMessage("TfrmDemo", "sNone", "供应商", true), "供應商");
    f->ConvertFormOnce();
    EXPECT_EQ(f->label->Caption(), "供應商編號");
    EXPECT_TRUE(f->Converted);
    f->label->SetCaption("供应商");
    f->ConvertFormOnce();
    EXPECT_EQ(f->label->Caption(), "供应商");
    f->Free();
}

TEST_F(QVFormTest, MessageBoxIsARealDialogWithTheFormsCaption) {
    SetCodePages("936", "936");
    TfrmDemo* f = Make();
    f->SetWindowState(plat::TWindowState::wsMinimized);
    auto script = std::make_shared<plat::ScriptedDialogRunner>();
    std::string caption, text, yes;
    script->Expect([&](plat::TCustomForm& d) {
        caption = d.Caption();
        text = static_cast<plat::TLabel*>(d.FindComponent("Message"))->Caption();
        yes = static_cast<plat::TButton*>(d.FindComponent("Yes"))->Caption();
        return plat::mrNo;
    });
    plat::DialogRunnerScope scope(script);
    int answer = f->ShowMessageBox("删除这张单据？", plat::TMsgDlgType::mtConfirmation,
                                   {plat::TMsgDlgBtn::mbYes, plat::TMsgDlgBtn::mbNo});
    EXPECT_EQ(answer, plat::mrNo);
    EXPECT_EQ(script->Shown().size(), 1u);
    EXPECT_EQ(caption, "演示窗口");
    EXPECT_EQ(text, "删除这张单据？      ");  // six blanks under code page 936
    EXPECT_FALSE(yes.empty());
    EXPECT_EQ(f->WindowState(), plat::TWindowState::wsNormal);
    f->Free();
}

TEST_F(QVFormTest, Pictures) {
    struct Case {
        const char* ui;
        const char* name;
    };
    UseDemoTable();
    WritePackage("ENG", "TfrmDemo",
                 "<TfrmDemo Caption=\"Demo window\"><lblCode Caption=\"Supplier\"/>"
                 "<btnOK Caption=\"OK\"/></TfrmDemo>");
    for (const Case& c : {Case{"936", "CHS"}, Case{"950", "CHT"}, Case{"437", "ENG"}}) {
        SetCodePages(c.ui, "936");
        TfrmDemo* f = Make();
        f->ConvertFormOnce();
        f->edit->SetEnabled(false);
        f->one->SetEnabled(false);
        uitest::ShowActive(f);
        plat::SaveScreenshot(f, inst.root() + "QVForm_" + c.name + ".png");
        if (const char* dir = std::getenv("KTRB_SHOTS"))
            plat::SaveScreenshot(f, std::string(dir) + "/QVForm_" + c.name + ".png");
        f->Free();
    }
}

}  // namespace
}  // namespace ktrb::test
