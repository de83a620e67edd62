#include <gtest/gtest.h>

#include "platform/ui/buttons.h"
#include "platform/ui/comctrls.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/mask.h"
#include "platform/ui/screenshot.h"
#include "ui_test_util.h"

using namespace plat;

// Every kind of control on one form, painted offscreen: no paint path may
// fail, and the picture is kept for a look (ui-gallery.png in the test
// temporary folder).
TEST(Gallery, EveryControlPaints) {
    auto* f = CreateForm<TForm>(nullptr);
    f->SetCaption("委外进货单 - 控件");
    f->Font()->SetName("宋体");
    f->Font()->SetHeight(-13);
    f->SetClientWidth(560);
    f->SetClientHeight(380);
    auto* menu = new TMainMenu(f);
    auto* data = NewItem("资料(&D)", 0, false, true, nullptr);
    data->Add(NewItem("新增(&A)", ShortCut(VK_F5, {}), false, true, nullptr));
    menu->Items()->Add(data);
    menu->Items()->Add(NewItem("功能(&F)", 0, false, true, nullptr));
    f->SetMenu(menu);
    auto* tb = new TToolBar(f);
    tb->SetParent(f);
    tb->SetFlat(true);
    auto* images = new TImageList(f);
    images->SetWidth(18);
    images->SetHeight(18);
    TBitmap glyph(18, 18);
    glyph.Canvas()->Brush.Color = clOlive;
    glyph.Canvas()->FillRect(Bounds(0, 0, 18, 18));
    glyph.Canvas()->Brush.Color = clNavy;
    glyph.Canvas()->Rectangle(3, 3, 15, 15);
    images->AddMasked(glyph, clDefault);
    tb->SetImages(images);
    for (auto st : {TToolButtonStyle::tbsButton, TToolButtonStyle::tbsSeparator,
                    TToolButtonStyle::tbsDropDown, TToolButtonStyle::tbsCheck}) {
        auto* b = new TToolButton(f);
        b->SetParent(tb);
        b->SetStyle(st);
        b->SetImageIndex(0);
    }
    auto* status = new TStatusBar(f);
    status->SetParent(f);
    for (auto [t, w] : {std::pair{"浏览", 40}, {"", 300}, {"0/0", 50}}) {
        auto* p = status->Panels()->Add();
        p->SetText(t);
        p->SetWidth(w);
    }
    auto* pc = new TPageControl(f);
    pc->SetParent(f);
    pc->SetAlign(TAlign::alClient);
    auto* head = new TTabSheet(f);
    head->SetCaption("详细字段");
    head->SetPageControl(pc);
    auto* browse = new TTabSheet(f);
    browse->SetCaption("信息浏览");
    browse->SetPageControl(pc);
    int y = 8;
    auto place = [&](TControl* c, int x, int w, int h) {
        c->SetParent(head);
        c->SetBounds(x, y, w, h);
    };
    auto* l = new TLabel(f);
    l->SetCaption("单号(&N)");
    place(l, 8, 60, 15);
    auto* e = new TEdit(f);
    e->SetText("KTRB-0001");
    place(e, 80, 120, 21);
    auto* m = new TMaskEdit(f);
    m->SetEditMask("!9999/99/99;1;_");
    place(m, 210, 100, 21);
    y += 30;
    auto* cb = new TComboBox(f);
    cb->Items()->Add("已确认");
    cb->SetItemIndex(0);
    place(cb, 8, 120, 21);
    auto* chk = new TCheckBox(f);
    chk->SetCaption("自动扣料(&K)");
    chk->SetChecked(true);
    place(chk, 140, 120, 17);
    auto* rb = new TRadioButton(f);
    rb->SetCaption("向下(&D)");
    rb->SetChecked(true);
    place(rb, 270, 100, 17);
    y += 30;
    auto* btn = new TBitBtn(f);
    btn->SetKind(TBitBtnKind::bkOK);
    place(btn, 8, 75, 25);
    auto* sb = new TSpeedButton(f);
    sb->SetGlyph(glyph);
    place(sb, 90, 23, 22);
    auto* panel = new TPanel(f);
    panel->SetCaption("面板");
    panel->SetBevelInner(TBevelCut::bvLowered);
    place(panel, 120, 100, 30);
    auto* gauge = new TGauge(f);
    gauge->SetProgress(40);
    place(gauge, 230, 100, 20);
    y += 40;
    auto* gb = new TRadioGroup(f);
    gb->SetCaption("方向");
    gb->Items()->Add("向上");
    gb->Items()->Add("向下");
    gb->SetItemIndex(1);
    place(gb, 8, 150, 70);
    auto* bevel = new TBevel(f);
    place(bevel, 170, 60, 60);
    auto* memo = new TMemo(f);
    memo->Lines()->Add("备注");
    place(memo, 240, 120, 60);
    y += 80;
    auto* lv = new TListView(f);
    lv->SetViewStyle(TViewStyle::vsReport);
    lv->Columns()->Add()->SetCaption("品号");
    lv->Items()->Add()->SetCaption("A001");
    place(lv, 8, 160, 70);
    auto* tv = new TTreeView(f);
    tv->Items()->AddChild(tv->Items()->Add(nullptr, "全部"), "原料");
    place(tv, 180, 120, 70);
    auto* lb = new TListBox(f);
    lb->Items()->Add("一");
    place(lb, 310, 80, 70);
    uitest::ShowActive(f);
    std::string path = ::testing::TempDir() + "/ui-gallery.png";
    SaveScreenshot(f, path);
    TBitmap shot;
    shot.LoadFromFile(path);
    EXPECT_EQ(shot.Width(), f->Width());
    f->Free();
}
