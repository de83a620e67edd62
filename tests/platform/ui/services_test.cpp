#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QStyle>

#include "platform/core/exceptions.h"
#include "platform/ui/clipboard_qt.h"
#include "platform/ui/imglist.h"
#include "platform/ui/menus.h"
#include "platform/ui/stdctrls.h"
#include "ui_test_util.h"

using namespace plat;

TEST(Menus, CheckedRadioAndDynamicItems) {
    auto* form = CreateForm<TForm>(nullptr);
    auto* menu = new TPopupMenu(form);
    std::vector<TMenuItem*> items;
    for (auto c : {"正常", "冻结", "作废"}) {
        auto* i = NewItem(c, 0, false, true, nullptr);
        i->SetRadioItem(true);
        menu->Items()->Add(i);
        items.push_back(i);
    }
    items[0]->SetChecked(true);
    items[2]->SetChecked(true);
    EXPECT_FALSE(items[0]->Checked());
    EXPECT_TRUE(items[2]->Action()->isChecked());
    // A click does not tick a plain item; AutoCheck does.
    auto* plain = NewItem("工具栏(&S)", TextToShortCut("Ctrl+S"), true, true, nullptr);
    menu->Items()->Insert(0, plain);
    plain->Action()->trigger();
    EXPECT_TRUE(plain->Checked());
    plain->AutoCheck = true;
    plain->Action()->trigger();
    EXPECT_FALSE(plain->Checked());
    EXPECT_EQ(plain->MenuIndex(), 0);
    EXPECT_EQ(menu->Items()->Find("工具栏(S)"), plain);
    EXPECT_EQ(menu->FindItem(TextToShortCut("Ctrl+S")), plain);
    EXPECT_EQ(plain->Action()->text(), QString::fromUtf8("工具栏(&S)\tCtrl+S"));
    menu->Items()->Delete(0);
    EXPECT_EQ(menu->Items()->Count(), 3);
    // OnPopup runs before the menu shows; items added then are in it.
    menu->OnPopup = TNotifyEvent(
        [&](TObject*) { menu->Items()->Add(NewItem("新增", 0, false, true, nullptr)); });
    menu->Popup(10, 10);
    EXPECT_EQ(menu->Items()->SubMenu()->actions().size(), 4);
    menu->Items()->SubMenu()->hide();
    form->Free();
}

TEST(Menus, OwnerDrawnItemsPaintThroughTheirHandler) {
    TMenuItem item(nullptr);
    item.SetCaption("新增(&A)");
    item.SetShortCut(ShortCut(VK_F5, {}));
    TRecordingCanvas rec;
    item.DrawTo(rec, Bounds(0, 0, 150, 19), true);
    EXPECT_EQ(rec.Texts(), (std::vector<std::string>{"新增(A)", "F5"}));
    EXPECT_EQ(rec.Ops()[0].Brush.Color, clHighlight);
    bool drawn = false;
    item.OnDrawItem =
        TMenuDrawItemEvent([&](TObject*, TCanvas*, TRect, bool selected) { drawn = selected; });
    item.DrawTo(rec, Bounds(0, 0, 150, 19), true);
    EXPECT_TRUE(drawn);
}

TEST(ImageLists, MaskedStripsAreSplitAndDrawn) {
    TImageList list(nullptr);
    list.SetWidth(2);
    list.SetHeight(2);
    TBitmap strip(4, 2);
    strip.Canvas()->Brush.Color = clFuchsia;
    strip.Canvas()->FillRect(Bounds(0, 0, 4, 2));
    strip.SetPixel(0, 0, clBlack);
    strip.SetPixel(3, 0, clRed);
    EXPECT_EQ(list.AddMasked(strip, clFuchsia), 0);
    EXPECT_EQ(list.Count(), 2);
    TBitmap dest(2, 2);
    dest.Canvas()->Brush.Color = clLime;
    dest.Canvas()->FillRect(Bounds(0, 0, 2, 2));
    list.Draw(*dest.Canvas(), 0, 0, 1);
    EXPECT_EQ(dest.GetPixel(1, 0), clRed);
    EXPECT_EQ(dest.GetPixel(0, 0), clLime);     // transparent
    list.Draw(*dest.Canvas(), 0, 0, 0, false);  // greyed
    EXPECT_EQ(dest.GetPixel(0, 0), ColorToRGB(clBtnShadow));
    TBitmap b;
    list.GetBitmap(1, b);
    EXPECT_EQ(b.GetPixel(0, 0), ColorToRGB(clBtnFace));
    EXPECT_THROW(list.Delete(5), EInvalidOperation);
    list.SetWidth(18);  // a new size empties the list
    EXPECT_EQ(list.Count(), 0);
}

TEST(Services, TheDesktopClipboardBehindTheInterface) {
    IClipboard* old = InstallQtClipboard();
    Clipboard().SetData(kClipboardText, "委外进货单");
    EXPECT_EQ(Clipboard().GetData(kClipboardText).value_or(""), "委外进货单");
    TEdit e(nullptr);
    e.PasteFromClipboard();
    EXPECT_EQ(e.Text(), "委外进货单");
    Clipboard().SetData("application/x-grid-rows", std::string("a\tb\0c", 5));
    EXPECT_EQ(Clipboard().GetData("application/x-grid-rows")->size(), 5u);
    EXPECT_FALSE(Clipboard().HasFormat(kClipboardText));
    Clipboard().Clear();
    EXPECT_FALSE(Clipboard().HasFormat("application/x-grid-rows"));
    SetClipboard(old);
}

TEST(Services, ScreenCursorGuardAndHintPauses) {
    {
        TCursorGuard busy(crHourGlass);
        EXPECT_EQ(Screen->Cursor(), crHourGlass);
        ASSERT_NE(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    }
    EXPECT_EQ(Screen->Cursor(), crDefault);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    int old = Application->HintPause;
    Application->HintPause = 100;
    EXPECT_EQ(QApplication::style()->styleHint(QStyle::SH_ToolTip_WakeUpDelay), 100);
    Application->HintPause = old;
}

TEST(Services, AnExceptionHandlerReplacesTheMessageBox) {
    uitest::Capture cap;
    std::string seen;
    Application->OnException = Event<TObject*, const std::exception&>(
        [&](TObject*, const std::exception& e) { seen = e.what(); });
    SafeCall([] { throw EInOutError("cannot write"); });
    SafeCall([] { Abort(); });
    Application->OnException = nullptr;
    EXPECT_EQ(seen, "cannot write");
    EXPECT_TRUE(cap.dialogs->Requests().empty());
    EXPECT_EQ(cap.log.size(), 1u);
}

TEST(Services, SymbolFontCodesBecomeSymbols) {
    TRecordingCanvas c;
    c.Font.SetName("WingDings");
    c.TextOut(0, 0, std::string(1, '\xFE'));
    c.TextOut(0, 0, "\xC3\xA9");  // U+00E9: the up arrow's code
    EXPECT_EQ(c.Texts(), (std::vector<std::string>{"☑", "↑"}));
}
