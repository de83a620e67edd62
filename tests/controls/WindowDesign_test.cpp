#include "controls/WindowDesign.h"

#include <gtest/gtest.h>

#include "controls/QrvEdit.h"
#include "platform/core/exceptions.h"
#include "platform/ui/comctrls.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/keys.h"
#include "platform/ui/menus.h"
#include "platform/ui/stdctrls.h"
#include "platform/ui/ui_test_util.h"

namespace ktrb::test {
namespace {

class TDemoWindow : public plat::TForm {
  public:
    using plat::TForm::TForm;
    plat::TPanel* pnlTop = nullptr;
    plat::TPageControl* pages = nullptr;
    plat::TTabSheet* tsOne = nullptr;
    plat::TEdit* edCode = nullptr;
    plat::TButton* btnOK = nullptr;
    TQvEdit* edName = nullptr;
    int clicks = 0;
    std::string lastKey;
    void btnOKClick(plat::TObject*) { ++clicks; }
    void edCodeKeyPress(plat::TObject*, char32_t& key) { lastKey = std::string(1, char(key)); }
};

using namespace design;

const Control kDemo[] = {
    {"pnlTop", Field<&TDemoWindow::pnlTop>, "", {0, 0, 0, 40}, "", plat::TAlign::alTop},
    {"splBottom", Make<plat::TSplitter>, "", {0, 0, 0, 3}, nullptr, plat::TAlign::alBottom},
    {"pages", Field<&TDemoWindow::pages>, "", {}, nullptr, plat::TAlign::alClient},
    {"tsOne", Field<&TDemoWindow::tsOne>, "pages", {}, "一"},
    {"tsTwo", Make<plat::TTabSheet>, "pages", {}, "二"},
    {"edCode", Field<&TDemoWindow::edCode>, "pnlTop", {8, 8, 120, 21}, nullptr, {}, 1},
    {"btnOK", Field<&TDemoWindow::btnOK>, "pnlTop", {300, 8, 80, 25}, "确定", {}, 0},
    {"edName", Field<&TDemoWindow::edName>, "pnlTop", {200, 8, 80, 21}, "品名"},
    // Only some bounds: the others stay the control's own.
    {"edTall", Make<plat::TEdit>, "pnlTop", {kOwn, kOwn, kOwn, 30}},
    {"edMoved", Make<plat::TEdit>, "pnlTop", {140, kOwn, 50, kOwn}},
};

const Handler kDemoEvents[] = {
    {"btnOK", "OnClick", On<&TDemoWindow::btnOKClick>},
    {"edCode", "onkeypress", On<&TDemoWindow::edCodeKeyPress>},
};

struct WindowDesign : ::testing::Test {
    TDemoWindow* w = plat::CreateForm<TDemoWindow>(nullptr);
    WindowDesign() {
        w->SetClientWidth(400);
        w->SetClientHeight(300);
    }
    ~WindowDesign() override { w->Free(); }
};

TEST_F(WindowDesign, BuildsEveryRowIntoItsPlaceAndMember) {
    Build(w, kDemo);
    ASSERT_TRUE(w->pnlTop && w->pages && w->tsOne && w->btnOK && w->edCode);
    EXPECT_EQ(w->FindComponent("btnOK"), w->btnOK);
    EXPECT_EQ(w->btnOK->Parent(), w->pnlTop);
    // The alignment sets the width; the height is the row's.
    EXPECT_EQ(w->pnlTop->Width(), w->ClientWidth());
    EXPECT_EQ(w->pnlTop->Height(), 40);
    EXPECT_EQ(w->pnlTop->Caption(), "");
    // A splitter keeps its height once it lies at the bottom.
    auto* splitter = static_cast<plat::TControl*>(w->FindComponent("splBottom"));
    EXPECT_EQ(splitter->Height(), 3);
    EXPECT_EQ(w->pages->Height(), w->ClientHeight() - 40 - 3);
    EXPECT_EQ(w->btnOK->Left(), 300);
    EXPECT_EQ(w->btnOK->Top(), 8);
    EXPECT_EQ(w->btnOK->Width(), 80);
    EXPECT_EQ(w->btnOK->Height(), 25);
    EXPECT_EQ(w->btnOK->Caption(), "确定");
    // A labelled edit's caption is its label's; its text stays empty.
    EXPECT_EQ(w->edName->Caption(), "品名");
    EXPECT_EQ(w->edName->Text(), "");
    // Both sheets join the page control, in order.
    ASSERT_EQ(w->pages->PageCount(), 2);
    EXPECT_EQ(w->pages->Pages(0), w->tsOne);
    EXPECT_EQ(w->pages->Pages(1)->Caption(), "二");
    const auto& plain = *new plat::TEdit(w);
    auto* tall = static_cast<plat::TControl*>(w->FindComponent("edTall"));
    EXPECT_EQ(tall->BoundsRect(), plat::Bounds(plain.Left(), plain.Top(), plain.Width(), 30));
    auto* moved = static_cast<plat::TControl*>(w->FindComponent("edMoved"));
    EXPECT_EQ(moved->BoundsRect(), plat::Bounds(140, plain.Top(), 50, plain.Height()));
    // The edit, made before the button, comes after it in tab order.
    EXPECT_EQ(w->btnOK->TabOrder(), 0);
    EXPECT_EQ(w->edCode->TabOrder(), 1);
}

TEST_F(WindowDesign, ConnectsHandlersByEventName) {
    Build(w, kDemo);
    Connect(w, kDemoEvents);
    w->btnOK->OnClick(w->btnOK);
    EXPECT_EQ(w->clicks, 1);
    char32_t key = U'x';
    w->edCode->OnKeyPress(w->edCode, key);
    EXPECT_EQ(w->lastKey, "x");
}

TEST_F(WindowDesign, RaisesForRowsThatCannotBeBuilt) {
    const Control orphan[] = {{"btnLost", Make<plat::TButton>, "pnlMissing", {0, 0, 10, 10}}};
    EXPECT_THROW(Build(w, orphan), plat::Exception);
    EXPECT_EQ(w->FindComponent("btnLost"), nullptr);
    const Control menu[] = {{"miFile", Make<plat::TMenuItem>}};
    EXPECT_THROW(Build(w, menu), plat::Exception);
    EXPECT_EQ(w->FindComponent("miFile"), nullptr);

    Build(w, kDemo);
    const Handler noControl[] = {{"btnGone", "OnClick", On<&TDemoWindow::btnOKClick>}};
    EXPECT_THROW(Connect(w, noControl), plat::Exception);
    const Handler noEvent[] = {{"btnOK", "OnWhatever", On<&TDemoWindow::btnOKClick>}};
    EXPECT_ANY_THROW(Connect(w, noEvent));
    // A key handler on a click event: the kinds differ.
    const Handler wrongKind[] = {{"btnOK", "OnClick", On<&TDemoWindow::edCodeKeyPress>}};
    EXPECT_ANY_THROW(Connect(w, wrongKind));
    EXPECT_FALSE(w->btnOK->OnClick.Assigned());
}

// A window with a menu, a pop-up menu and a tool bar.
class TMenuWindow : public plat::TForm {
  public:
    using plat::TForm::TForm;
    plat::TMainMenu* mnuMain = nullptr;
    plat::TMenuItem *miFile = nullptr, *miOpen = nullptr, *miHidden = nullptr;
    plat::TToolBar* tbTools = nullptr;
    plat::TToolButton *btnOpen = nullptr, *btnMore = nullptr;
    plat::TPopupMenu* popMore = nullptr;
    int opened = 0;
    void miOpenClick(plat::TObject*) { ++opened; }
    void KeyPressed(plat::TObject*, char32_t&) {}
};

using M = TMenuWindow;

const Control kBar[] = {
    {"tbTools", Field<&M::tbTools>, "", {0, 0, 0, 29}, nullptr, plat::TAlign::alTop}};

const Item kMenus[] = {
    {"mnuMain", Field<&M::mnuMain>},
    {"miFile", Field<&M::miFile>, "mnuMain", "文件(&F)"},
    {"miOpen", Field<&M::miOpen>, "miFile", "打开(&O)", 2, On<&M::miOpenClick>, "Ctrl+O"},
    {"miLine", Make<plat::TMenuItem>, "miFile", "-"},
    {"miHidden", Field<&M::miHidden>, "miFile", "隐藏", -1, nullptr, "F9", false},
    {"btnOpen", Field<&M::btnOpen>, "tbTools", "打开", 2, On<&M::miOpenClick>},
    {"btnSep", Make<plat::TToolButton>, "tbTools", "-"},
    // Its menu is a later row.
    {"btnMore", Field<&M::btnMore>, "tbTools", "更多", -1, nullptr, nullptr, true, "popMore"},
    {"popMore", Field<&M::popMore>},
    {"miMore", Make<plat::TMenuItem>, "popMore", "其他"},
};

struct MenuDesign : ::testing::Test {
    TMenuWindow* w = plat::CreateForm<TMenuWindow>(nullptr);
    MenuDesign() { w->SetClientWidth(400); }
    ~MenuDesign() override { w->Free(); }
};

TEST_F(MenuDesign, BuildsMenusItemsAndToolButtonsIntoTheirPlaces) {
    Build(w, kBar);
    Build(w, kMenus);
    ASSERT_TRUE(w->mnuMain && w->miFile && w->miOpen && w->miHidden && w->btnOpen && w->btnMore &&
                w->popMore);
    ASSERT_EQ(w->mnuMain->Items()->Count(), 1);
    EXPECT_EQ(w->mnuMain->Items()->Items(0), w->miFile);
    ASSERT_EQ(w->miFile->Count(), 3);
    EXPECT_EQ(w->miFile->Items(0), w->miOpen);
    EXPECT_TRUE(w->miFile->Items(1)->IsLine());
    EXPECT_EQ(w->miFile->Items(2), w->miHidden);
    EXPECT_EQ(w->miOpen->Caption(), "打开(&O)");
    EXPECT_EQ(w->miOpen->ShortCut(), plat::ShortCut('O', {plat::ssCtrl}));
    EXPECT_EQ(w->miOpen->ImageIndex(), 2);
    EXPECT_TRUE(w->miOpen->Visible());
    EXPECT_FALSE(w->miHidden->Visible());
    EXPECT_EQ(w->miHidden->ShortCut(), plat::ShortCut(plat::VK_F9, {}));
    ASSERT_EQ(w->popMore->Items()->Count(), 1);
    EXPECT_EQ(w->popMore->Items()->Items(0)->Caption(), "其他");
    // The buttons sit on the bar in the table's order, the text as hint.
    ASSERT_EQ(w->tbTools->ButtonCount(), 3);
    EXPECT_EQ(w->tbTools->Buttons(0), w->btnOpen);
    EXPECT_EQ(w->tbTools->Buttons(2), w->btnMore);
    EXPECT_EQ(w->btnOpen->Hint(), "打开");
    EXPECT_EQ(w->btnOpen->Caption(), "");
    EXPECT_EQ(w->btnOpen->ImageIndex(), 2);
    EXPECT_EQ(w->tbTools->Buttons(1)->Style(), plat::TToolButtonStyle::tbsSeparator);
    EXPECT_EQ(w->btnMore->Style(), plat::TToolButtonStyle::tbsDropDown);
    EXPECT_EQ(w->btnMore->DropdownMenu(), w->popMore);
    EXPECT_LT(w->btnOpen->Left(), w->btnMore->Left());
    // The click reaches the window's handler from the item and the button.
    w->miOpen->Click();
    w->btnOpen->Click();
    EXPECT_EQ(w->opened, 2);
}

TEST_F(MenuDesign, PlacesUnnamedAndRadioItemsWhereTheRowsSay) {
    using plat::TMenuItem;
    const Item rows[] = {
        {"popMore", Field<&M::popMore>},
        {"miIcons", Make<TMenuItem>, "popMore", "图标", -1, nullptr, nullptr, true, "", 1, true},
        {"miList", Make<TMenuItem>, "popMore", "清单", -1, nullptr, nullptr, true, "", 1},
        // Two items without names side by side.
        {"", Make<TMenuItem>, "popMore", "生成"},
        {"", Make<TMenuItem>, "popMore", "维护", -1, On<&M::miOpenClick>},
        {"miFirst", Make<TMenuItem>, "popMore", "首", -1, nullptr, nullptr, true, "", 0, false, 0},
        {"miLast", Make<TMenuItem>, "popMore", "末", -1, nullptr, nullptr, true, "", 0, false, 99},
        {"miOther", Make<TMenuItem>, "popMore", "另", -1, nullptr, nullptr, true, "", 2, true, 3},
    };
    Build(w, rows);
    const struct {
        const char* caption;
        bool radio;
        int group;
        bool checked;
    } want[] = {{"首", false, 0, false}, {"图标", true, 1, true},   {"清单", true, 1, false},
                {"另", true, 2, true},   {"生成", false, 0, false}, {"维护", false, 0, false},
                {"末", false, 0, false}};
    TMenuItem* items = w->popMore->Items();
    ASSERT_EQ(items->Count(), int(std::size(want)));
    for (int i = 0; i < items->Count(); ++i) {
        SCOPED_TRACE(want[i].caption);
        EXPECT_EQ(items->Items(i)->Caption(), want[i].caption);
        EXPECT_EQ(items->Items(i)->RadioItem(), want[i].radio);
        EXPECT_EQ(items->Items(i)->GroupIndex(), want[i].group);
        EXPECT_EQ(items->Items(i)->Checked(), want[i].checked);
    }
    EXPECT_EQ(items->Items(4)->Name(), "");
    EXPECT_EQ(items->Items(5)->Name(), "");
    items->Items(5)->Click();
    EXPECT_EQ(w->opened, 1);
    // One checked item a group: the list's check leaves the other group's.
    items->Items(2)->SetChecked(true);
    EXPECT_FALSE(items->Items(1)->Checked());
    EXPECT_TRUE(items->Items(3)->Checked());
}

TEST_F(MenuDesign, RaisesForItemsThatCannotBeBuilt) {
    Build(w, kBar);
    struct Case {
        const char* why;
        Item row;
    } cases[] = {
        {"unknown parent", {"miLost", Make<plat::TMenuItem>, "miNowhere", "x"}},
        {"an item on a tool bar", {"miBar", Make<plat::TMenuItem>, "tbTools", "x"}},
        {"a button in a window", {"btnLoose", Make<plat::TToolButton>, "", "x"}},
        {"a control as an item", {"btnPush", Make<plat::TButton>, "tbTools", "x"}},
        {"a menu inside a bar", {"popBar", Make<plat::TPopupMenu>, "tbTools"}},
        {"unknown drop-down",
         {"btnDrop", Make<plat::TToolButton>, "tbTools", "x", -1, nullptr, nullptr, true,
          "popNone"}},
        {"a handler of another kind",
         {"btnKey", Make<plat::TToolButton>, "tbTools", "x", -1, On<&M::KeyPressed>}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        EXPECT_ANY_THROW(Build(w, std::span<const Item>(&c.row, 1)));
    }
    EXPECT_EQ(w->FindComponent("miLost"), nullptr);
    EXPECT_EQ(w->FindComponent("btnPush"), nullptr);
}

}  // namespace
}  // namespace ktrb::test
