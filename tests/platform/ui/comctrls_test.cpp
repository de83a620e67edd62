#include "platform/ui/comctrls.h"

#include <gtest/gtest.h>

#include <QAbstractScrollArea>
#include <QMenu>
#include <QScrollBar>
#include <QTabBar>
#include <QTreeWidget>
#include <QWheelEvent>

#include "platform/core/exceptions.h"
#include "platform/core/text.h"
#include "platform/ui/buttons.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/screenshot.h"
#include "platform/ui/stdctrls.h"
#include "ui_test_util.h"

using namespace plat;

namespace {
struct Host {
    TForm* form = CreateForm<TForm>(nullptr);
    std::vector<std::string> log;
    ~Host() { form->Free(); }
    template <class C>
    C* add() {
        auto* c = new C(form);
        c->SetParent(form);
        return c;
    }
};

// A page control that paints its tabs itself and records what it was asked.
class TRecordingPages : public TPageControl {
    PLAT_CLASS(TRecordingPages, TPageControl)
  public:
    using TPageControl::TPageControl;
    std::vector<std::string> drawn;
    void DrawTab(int tabIndex, const TRect& r, bool active) override {
        drawn.push_back(PageOfTab(tabIndex)->Caption() + (active ? "*" : ""));
    }
};

TTabSheet* AddSheet(TPageControl* pc, const std::string& caption) {
    auto* s = new TTabSheet(pc->Owner());
    s->SetCaption(caption);
    s->SetPageControl(pc);
    return s;
}
}  // namespace

TEST(PageControl, HiddenTabsKeepThePlatformsTabIndexing) {
    Host h;
    auto* pc = h.add<TRecordingPages>();
    auto* a = AddSheet(pc, "A");
    auto* b = AddSheet(pc, "B");
    auto* c = AddSheet(pc, "C");
    EXPECT_EQ(pc->ActivePage(), a);
    a->SetTabVisible(false);
    EXPECT_EQ(a->TabIndex(), -1);
    EXPECT_EQ(b->TabIndex(), 0);
    EXPECT_EQ(c->TabIndex(), 1);
    EXPECT_EQ(pc->PageOfTab(1), c);
    EXPECT_EQ(c->PageIndex(), 2);
    pc->SetActivePage(c);
    EXPECT_EQ(pc->TabIndex(), 1);
    TRecordingCanvas rec;
    pc->SetOwnerDraw(true);
    pc->PaintTabsTo(rec);
    EXPECT_EQ(pc->drawn, (std::vector<std::string>{"B", "C*"}));
}

TEST(PageControl, UserChangesAskOnChangingThenRaiseOnChange) {
    Host h;
    auto* pc = h.add<TPageControl>();
    auto* a = AddSheet(pc, "A");
    auto* b = AddSheet(pc, "B");
    auto* c = AddSheet(pc, "C");
    bool allow = false;
    pc->OnChanging = TTabChangingEvent([&](TObject*, bool& ok) {
        h.log.push_back("changing");
        ok = allow;
    });
    pc->OnChange = TNotifyEvent([&](TObject*) { h.log.push_back("change"); });
    b->OnShow = TNotifyEvent([&](TObject*) { h.log.push_back("show B"); });
    a->OnHide = TNotifyEvent([&](TObject*) { h.log.push_back("hide A"); });
    pc->TabClicked(1);
    EXPECT_EQ(pc->ActivePage(), a);
    allow = true;
    pc->TabClicked(1);
    EXPECT_EQ(pc->ActivePage(), b);
    EXPECT_TRUE(b->Visible());
    EXPECT_FALSE(a->Visible());
    EXPECT_EQ(h.log,
              (std::vector<std::string>{"changing", "changing", "show B", "hide A", "change"}));
    // The program's change raises nothing; the next page skips hidden tabs.
    h.log.clear();
    c->SetTabVisible(false);
    pc->SetActivePage(a);
    EXPECT_TRUE(h.log.empty());
    pc->SelectNextPage(false);
    EXPECT_EQ(pc->ActivePage(), b);
}

TEST(PageControl, HidingTheActiveTabActivatesThePageNowInItsPlace) {
    Host h;
    auto* pc = h.add<TPageControl>();
    auto* a = AddSheet(pc, "A");
    auto* b = AddSheet(pc, "B");
    auto* browse = AddSheet(pc, "Browse");
    bool changed = false;
    pc->OnChange = TNotifyEvent([&](TObject*) { changed = true; });
    // The tab in the same place takes over, or the last tab when it was the last.
    pc->SetActivePage(browse);
    browse->SetTabVisible(false);
    EXPECT_EQ(pc->ActivePage(), b);
    EXPECT_TRUE(b->Visible());
    EXPECT_FALSE(browse->Visible());
    EXPECT_EQ(pc->TabIndex(), 1);
    pc->SetActivePage(a);
    a->SetTabVisible(false);
    EXPECT_EQ(pc->ActivePage(), b);
    EXPECT_EQ(pc->TabIndex(), 0);
    // Hiding another tab leaves the active page alone; with no tab left there is none.
    browse->SetTabVisible(true);
    browse->SetTabVisible(false);
    EXPECT_EQ(pc->ActivePage(), b);
    b->SetTabVisible(false);
    EXPECT_EQ(pc->ActivePage(), nullptr);
    EXPECT_FALSE(changed);
}

TEST(PageControl, CtrlTabInsideMovesThePage) {
    Host h;
    auto* pc = h.add<TPageControl>();
    pc->SetBounds(0, 0, 300, 200);
    auto* a = AddSheet(pc, "A");
    auto* b = AddSheet(pc, "B");
    auto* e = new TEdit(h.form);
    e->SetParent(a);
    // Sheets fill the display area.
    EXPECT_EQ(a->BoundsRect(), pc->DisplayRect());
    uitest::ShowActive(h.form);
    e->SetFocus();
    e->SimulateKey(VK_TAB, {ssCtrl});
    EXPECT_EQ(pc->ActivePage(), b);
    EXPECT_FALSE(e->Focused());
}

TEST(ToolBar, ButtonsLineUpAndRunTimeButtonsGoWhereTheyArePut) {
    Host h;
    auto* tb = h.add<TToolBar>();
    tb->SetBounds(0, 0, 400, 29);
    auto add = [&](const std::string& name, TToolButtonStyle style = TToolButtonStyle::tbsButton) {
        auto* b = new TToolButton(h.form);
        b->SetName(name);
        b->SetParent(tb);
        b->SetStyle(style);
        return b;
    };
    auto* add1 = add("btnAdd");
    auto* sep = add("ToolButton6", TToolButtonStyle::tbsSeparator);
    auto* last = add("btnLast");
    EXPECT_EQ(add1->BoundsRect(), Bounds(0, 0, 23, 22));
    EXPECT_EQ(sep->BoundsRect(), Bounds(23, 0, 8, 22));
    EXPECT_EQ(last->Left(), 31);
    // Placed right after the separator.
    auto* color = new TToolButton(h.form);
    color->SetParent(tb);
    color->SetStyle(TToolButtonStyle::tbsDropDown);
    color->SetLeft(sep->Left() + sep->Width());
    EXPECT_EQ(color->Index(), 2);
    EXPECT_EQ(color->Left(), 31);
    EXPECT_EQ(color->Width(), 23 + 15);
    EXPECT_EQ(last->Left(), 31 + 38);
}

TEST(ToolBar, CheckButtonsAndDropDownMenus) {
    Host h;
    auto* tb = h.add<TToolBar>();
    auto* a = new TToolButton(h.form);
    a->SetParent(tb);
    a->SetStyle(TToolButtonStyle::tbsCheck);
    a->Grouped = true;
    auto* b = new TToolButton(h.form);
    b->SetParent(tb);
    b->SetStyle(TToolButtonStyle::tbsCheck);
    b->Grouped = true;
    int clicks = 0;
    a->OnClick = TNotifyEvent([&](TObject*) { ++clicks; });
    uitest::MouseClick(a, 5, 5);
    EXPECT_TRUE(a->Down());
    uitest::MouseClick(b, 5, 5);
    EXPECT_TRUE(b->Down());
    EXPECT_FALSE(a->Down());
    uitest::MouseClick(b, 5, 5);  // a grouped button stays down
    EXPECT_TRUE(b->Down());
    EXPECT_EQ(clicks, 1);
    auto* d = new TToolButton(h.form);
    d->SetParent(tb);
    d->SetStyle(TToolButtonStyle::tbsDropDown);
    auto* menu = new TPopupMenu(h.form);
    menu->Items()->Add(NewItem("底色", 0, false, true, nullptr));
    int popups = 0, dclicks = 0;
    menu->OnPopup = TNotifyEvent([&](TObject*) { ++popups; });
    d->SetDropdownMenu(menu);
    d->OnClick = TNotifyEvent([&](TObject*) { ++dclicks; });
    uitest::MouseClick(d, d->Width() - 5, 5);
    uitest::MouseClick(d, 5, 5);
    EXPECT_EQ(popups, 1);
    EXPECT_EQ(dclicks, 1);
    menu->Items()->SubMenu()->hide();
}

TEST(StatusBar, PanelsAndTheLastOneReachingTheEdge) {
    Host h;
    auto* sb = h.add<TStatusBar>();
    sb->SetBounds(0, 0, 400, 19);
    for (int w : {40, 100}) sb->Panels()->Add()->SetWidth(w);
    sb->Panels()->Items(0)->SetText("浏览");
    sb->Panels()->Items(1)->SetText("单据笔数");
    EXPECT_EQ(sb->PanelRect(0), Rect(0, 0, 40, 19));
    EXPECT_EQ(sb->PanelRect(1), Rect(40, 0, sb->ClientWidth(), 19));
    TRecordingCanvas rec;
    sb->PaintTo(rec);
    EXPECT_EQ(rec.Texts(), (std::vector<std::string>{"浏览", "单据笔数"}));
    // Reached by index through the collection.
    EXPECT_EQ(static_cast<TStatusPanel*>(sb->Panels()->TCollection::Items(1))->Text(), "单据笔数");
}

TEST(ListView, ReportColumnsSubItemsAndSorting) {
    Host h;
    auto* lv = h.add<TListView>();
    lv->SetViewStyle(TViewStyle::vsReport);
    for (auto c : {"品号", "品名"}) lv->Columns()->Add()->SetCaption(c);
    for (auto [code, name] : {std::pair{"B02", "螺丝"}, {"a01", "垫片"}, {"C03", "弹簧"}}) {
        TListItem* i = lv->Items()->Add();
        i->SetCaption(code);
        i->SubItems()->Add(name);
    }
    QTreeWidget* t = lv->Tree();
    EXPECT_EQ(t->headerItem()->text(1), QString::fromUtf8("品名"));
    EXPECT_EQ(t->topLevelItem(0)->text(1), QString::fromUtf8("螺丝"));
    lv->SetSortType(TSortType::stText);
    EXPECT_EQ(lv->Items()->Item(0)->Caption(), "a01");
    EXPECT_EQ(t->topLevelItem(0)->text(0), "a01");
    // Sorted through OnCompare when sorting by data.
    lv->OnCompare = TLVCompareEvent([](TObject*, TListItem* a, TListItem* b, int, int& r) {
        r = -AnsiCompareText(a->Caption(), b->Caption());
    });
    lv->SetSortType(TSortType::stData);
    EXPECT_EQ(lv->Items()->Item(0)->Caption(), "C03");
    lv->CustomSort(
        [](TListItem* a, TListItem* b, intptr_t) {
            return a->SubItems()->Strings(0).compare(b->SubItems()->Strings(0));
        },
        0);
    EXPECT_EQ(lv->Items()->Item(0)->SubItems()->Strings(0), "垫片");
    EXPECT_EQ(lv->FindCaption(0, "b0", true, true, false)->Caption(), "B02");
    EXPECT_EQ(lv->FindCaption(0, "b0", false, true, false), nullptr);
}

TEST(ListView, SelectionAndCaptionEditEvents) {
    Host h;
    auto* lv = h.add<TListView>();
    TListItem* a = lv->Items()->Add();
    a->SetCaption("one");
    TListItem* b = lv->Items()->Add();
    b->SetCaption("two");
    std::vector<std::string> log;
    lv->OnSelectItem = Event<TObject*, TListItem*, bool>(
        [&](TObject*, TListItem* i, bool s) { log.push_back(i->Caption() + (s ? "+" : "-")); });
    lv->SetSelected(a);
    lv->SetSelected(b);
    EXPECT_EQ(log, (std::vector<std::string>{"one+", "one-", "two+"}));
    EXPECT_EQ(lv->ItemIndex(), 1);
    bool allow = true;
    lv->OnEditing =
        Event<TObject*, TListItem*, bool&>([&](TObject*, TListItem*, bool& ok) { ok = allow; });
    lv->OnEdited = Event<TObject*, TListItem*, std::string&>(
        [](TObject*, TListItem*, std::string& s) { s += "!"; });
    lv->CaptionEdited(b, "deux");
    EXPECT_EQ(b->Caption(), "deux!");
    allow = false;
    EXPECT_FALSE(b->EditCaption());
    lv->SetReadOnly(true);
    allow = true;
    EXPECT_FALSE(lv->CanEdit(b));
    b->Delete();
    EXPECT_EQ(lv->Items()->Count(), 1);
}

TEST(ListView, AHundredThousandItemsWalkAndGoItemByItem) {
    Host h;
    auto* lv = h.add<TListView>();
    lv->SetViewStyle(TViewStyle::vsReport);
    const int n = 100000;
    lv->Items()->BeginUpdate();
    for (int i = 0; i < n; ++i) lv->Items()->Add()->SetCaption(std::to_string(i));
    lv->Items()->EndUpdate();
    long long sum = 0;
    for (int i = 0; i < n; ++i) sum += lv->Items()->Item(i)->Index();
    EXPECT_EQ(sum, (long long)n * (n - 1) / 2);
    // Deleting from either end, item by item, as the forms do.
    for (int i = 0; i < 10; ++i) lv->Items()->Item(0)->Delete();
    EXPECT_EQ(lv->Items()->Item(0)->Caption(), "10");
    EXPECT_EQ(lv->Items()->Item(0)->Index(), 0);
    for (int i = lv->Items()->Count() - 1; i >= n / 2; --i) lv->Items()->Item(i)->Delete();
    EXPECT_EQ(lv->Tree()->topLevelItemCount(), n / 2);
    lv->Items()->Clear();
    EXPECT_EQ(lv->Tree()->topLevelItemCount(), 0);
}

TEST(TreeView, AHundredThousandNodesWalkAndClear) {
    Host h;
    auto* tv = h.add<TTreeView>();
    const int n = 100000;
    tv->Items()->BeginUpdate();
    TTreeNode* parent = tv->Items()->Add(nullptr, "root");
    for (int i = 0; i < n; ++i) tv->Items()->AddChild(i % 2 ? parent : nullptr, std::to_string(i));
    tv->Items()->EndUpdate();
    int walked = 0;
    for (TTreeNode* x = tv->Items()->GetFirstNode(); x; x = x->GetNext()) ++walked;
    EXPECT_EQ(walked, n + 1);
    EXPECT_EQ(parent->Count(), n / 2);
    EXPECT_EQ(parent->GetLastChild()->GetPrevSibling()->Text(), std::to_string(n - 3));
    // A node deleted from the middle leaves its neighbours' order.
    TTreeNode* mid = parent->Item(n / 4);
    TTreeNode* after = mid->GetNextSibling();
    mid->Delete();
    EXPECT_EQ(parent->Item(n / 4), after);
    EXPECT_EQ(after->Index(), n / 4);
    tv->Items()->Clear();
    EXPECT_EQ(tv->Items()->Count(), 0);
    EXPECT_EQ(tv->Tree()->topLevelItemCount(), 0);
}

TEST(TreeView, NodesByAbsoluteIndexAndOrder) {
    Host h;
    auto* tv = h.add<TTreeView>();
    TTreeNodes* n = tv->Items();
    TTreeNode* r1 = n->Add(nullptr, "root1");
    TTreeNode* c1 = n->AddChild(r1, "c1");
    n->AddChild(c1, "g1");
    n->AddChild(r1, "c2");
    TTreeNode* r2 = n->Add(r1, "root2");
    n->Insert(r1, "root0");
    EXPECT_EQ(n->Count(), 6);
    std::vector<std::string> order;
    for (int i = 0; i < n->Count(); ++i) order.push_back(n->Item(i)->Text());
    EXPECT_EQ(order, (std::vector<std::string>{"root0", "root1", "c1", "g1", "c2", "root2"}));
    EXPECT_EQ(c1->AbsoluteIndex(), 2);
    EXPECT_EQ(n->Item(3)->Level(), 2);
    EXPECT_EQ(n->Item(3)->GetNext()->Text(), "c2");
    EXPECT_EQ(r2->GetPrev()->Text(), "c2");
    int deleted = 0;
    tv->OnDeletion = Event<TObject*, TTreeNode*>([&](TObject*, TTreeNode*) { ++deleted; });
    c1->Delete();
    EXPECT_EQ(deleted, 2);
    EXPECT_EQ(n->Count(), 4);
    EXPECT_EQ(r1->Count(), 1);
    EXPECT_THROW(n->Item(4), EListError);
}

TEST(TreeView, ChangingCanRefuseAndExpandingFillsChildren) {
    Host h;
    auto* tv = h.add<TTreeView>();
    TTreeNode* a = tv->Items()->Add(nullptr, "a");
    TTreeNode* b = tv->Items()->Add(nullptr, "b");
    b->SetHasChildren(true);
    std::vector<std::string> log;
    bool allow = true;
    tv->OnChanging = Event<TObject*, TTreeNode*, bool&>([&](TObject*, TTreeNode* node, bool& ok) {
        log.push_back("changing " + node->Text());
        ok = allow;
    });
    tv->OnChange = Event<TObject*, TTreeNode*>(
        [&](TObject*, TTreeNode* node) { log.push_back("change " + node->Text()); });
    tv->SetSelected(a);
    allow = false;
    tv->SetSelected(b);
    EXPECT_EQ(tv->Selected(), a);
    EXPECT_EQ(log, (std::vector<std::string>{"changing a", "change a", "changing b"}));
    tv->OnExpanding = Event<TObject*, TTreeNode*, bool&>([&](TObject*, TTreeNode* node, bool&) {
        if (node->Count() == 0) tv->Items()->AddChild(node, "lazy");
    });
    b->Expand(false);
    EXPECT_TRUE(b->Expanded());
    EXPECT_EQ(b->getFirstChild()->Text(), "lazy");
    tv->Items()->Add(nullptr, "0");
    tv->AlphaSort();
    EXPECT_EQ(tv->Items()->GetFirstNode()->Text(), "0");
}

TEST(Buttons, GlyphStripsGiveTheStatesImage) {
    TColor colors[] = {clRed, clLime, clBlue, clYellow};
    auto stripOf = [&](int n) {
        TBitmap strip(n * 3, 3);
        for (int i = 0; i < n; ++i)
            for (int y = 0; y < 3; ++y)
                for (int x = 0; x < 3; ++x)
                    strip.SetPixel(i * 3 + x, y, y == 2 && x == 0 ? clOlive : colors[i]);
        return strip;
    };
    struct Case {
        int num;
        TButtonState state;
        TColor expect;
    } cases[] = {
        {4, TButtonState::bsUp, clRed},    {4, TButtonState::bsDisabled, clLime},
        {4, TButtonState::bsDown, clBlue}, {4, TButtonState::bsExclusive, clYellow},
        {2, TButtonState::bsDown, clRed},  {3, TButtonState::bsExclusive, clBlue},
    };
    for (auto& c : cases) {
        TBitmap strip = stripOf(c.num);
        TBitmap g = GlyphForState(strip, c.num, c.state);
        EXPECT_EQ(g.Width(), 3);
        EXPECT_EQ(g.GetPixel(1, 1), c.expect) << c.num << " " << (int)c.state;
        EXPECT_EQ(g.TransparentColor(), clOlive);
    }
    // One image only: the disabled look is made from it.
    TBitmap one(3, 3);
    one.Canvas()->Brush.Color = clOlive;
    one.Canvas()->FillRect(Bounds(0, 0, 3, 3));
    one.SetPixel(0, 0, clBlack);
    TBitmap dis = GlyphForState(one, 1, TButtonState::bsDisabled);
    EXPECT_EQ(dis.GetPixel(0, 0), ColorToRGB(clBtnShadow));
    EXPECT_EQ(dis.GetPixel(1, 1), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(dis.GetPixel(2, 2), clOlive);
}

TEST(Buttons, SpeedButtonGroupsAndClicks) {
    Host h;
    auto* a = h.add<TSpeedButton>();
    auto* b = h.add<TSpeedButton>();
    int clicks = 0;
    b->OnClick = TNotifyEvent([&](TObject*) { ++clicks; });
    a->SetGroupIndex(1);
    b->SetGroupIndex(1);
    a->SetDown(true);
    uitest::MouseClick(b, 3, 3);
    EXPECT_TRUE(b->Down());
    EXPECT_FALSE(a->Down());
    EXPECT_EQ(clicks, 1);
    b->SetDown(false);  // no AllowAllUp: stays down
    EXPECT_TRUE(b->Down());
    // Released outside: no click.
    uitest::Mouse(b, QEvent::MouseButtonPress, 3, 3);
    uitest::Mouse(b, QEvent::MouseButtonRelease, 300, 3);
    EXPECT_EQ(clicks, 1);
    // Without a group a speed button never stays down.
    auto* c = h.add<TSpeedButton>();
    c->SetDown(true);
    EXPECT_FALSE(c->Down());
}

TEST(Buttons, BitBtnKinds) {
    Host h;
    auto* ok = h.add<TBitBtn>();
    ok->SetKind(TBitBtnKind::bkOK);
    EXPECT_EQ(ok->Caption(), "OK");
    EXPECT_EQ(ok->ModalResult, mrOk);
    EXPECT_TRUE(ok->Default());
    EXPECT_FALSE(ok->Glyph()->Empty());
    auto* close = h.add<TBitBtn>();
    close->SetKind(TBitBtnKind::bkClose);
    int clicks = 0;
    close->OnClick = TNotifyEvent([&](TObject*) { ++clicks; });
    h.form->Show();
    close->Click();
    EXPECT_FALSE(h.form->Visible());
    EXPECT_EQ(clicks, 0);
}

TEST(ExtControls, SplitterResizesItsNeighbour) {
    Host h;
    h.form->SetClientWidth(400);
    h.form->SetClientHeight(200);
    auto* left = h.add<TPanel>();
    left->SetWidth(100);
    left->SetAlign(TAlign::alLeft);
    auto* split = h.add<TSplitter>();
    split->SetLeft(200);
    split->SetAlign(TAlign::alLeft);
    auto* rest = h.add<TPanel>();
    rest->SetAlign(TAlign::alClient);
    EXPECT_EQ(split->Left(), 100);
    EXPECT_EQ(split->ResizeControl(), left);
    int moved = 0;
    split->OnMoved = TNotifyEvent([&](TObject*) { ++moved; });
    uitest::Mouse(split, QEvent::MouseButtonPress, 1, 10);
    uitest::Mouse(split, QEvent::MouseMove, 41, 10);
    uitest::Mouse(split, QEvent::MouseButtonRelease, 41, 10);
    EXPECT_EQ(left->Width(), 140);
    EXPECT_EQ(rest->Left(), 143);
    EXPECT_EQ(moved, 1);
    // Never below MinSize (dragging far left snaps to 0 past half of it).
    uitest::Mouse(split, QEvent::MouseButtonPress, 1, 10);
    uitest::Mouse(split, QEvent::MouseButtonRelease, -120, 10);
    EXPECT_EQ(left->Width(), 30);
}

TEST(ExtControls, TimerGaugeAndImage) {
    Host h;
    auto* t = new TTimer(h.form);
    int ticks = 0;
    t->OnTimer = TNotifyEvent([&](TObject*) { ++ticks; });
    t->Timer();
    t->SetEnabled(false);
    t->Timer();
    EXPECT_EQ(ticks, 1);
    EXPECT_FALSE(t->Running());
    auto* g = h.add<TGauge>();
    g->SetMaxValue(3);
    g->SetProgress(2);
    EXPECT_EQ(g->PercentDone(), 66);
    g->AddProgress(5);
    EXPECT_EQ(g->Progress(), 3);
    auto* img = h.add<TImage>();
    img->Picture()->Bitmap()->SetSize(4, 4);
    img->SetTransparent(true);
    TRecordingCanvas rec;
    img->PaintTo(rec);
    ASSERT_EQ(rec.Ops().size(), 1u);
    EXPECT_EQ(rec.Ops()[0].Kind, CanvasOpKind::Image);
    EXPECT_EQ(rec.Ops()[0].Color, clWhite);  // the lower-left pixel
}

TEST(Screenshots, AFormRendersWithItsFrameToAPng) {
    Host h;
    h.form->SetCaption("委外进货单");
    h.form->SetClientWidth(200);
    h.form->SetClientHeight(100);
    auto* p = h.add<TPanel>();
    p->SetBounds(10, 10, 50, 30);
    p->SetColor(clRed);
    uitest::ShowActive(h.form);
    TBitmap shot = Screenshot(h.form);
    EXPECT_EQ(shot.Width(), h.form->Width());
    EXPECT_EQ(shot.Height(), h.form->Height());
    EXPECT_EQ(shot.GetPixel(10, 6), ColorToRGB(clActiveCaption));
    // The panel's face, inside its raised bevel, at its client position.
    EXPECT_EQ(shot.GetPixel(4 + 30, 23 + 25), clRed);
    std::string path = ::testing::TempDir() + "/form.png";
    SaveScreenshot(h.form, path);
    TBitmap back;
    back.LoadFromFile(path);
    EXPECT_EQ(back.Width(), shot.Width());
}

TEST(ExtControls, ScrollBoxRangeAndNoTracking) {
    Host h;
    auto* box = h.add<TScrollBox>();
    box->SetBounds(0, 0, 100, 80);
    auto* far = new TPanel(h.form);
    far->SetParent(box);
    far->SetBounds(150, 200, 40, 30);
    EXPECT_EQ(box->HorzScrollBar.Range, 190);
    EXPECT_EQ(box->VertScrollBar.Range, 230);
    EXPECT_FALSE(box->VertScrollBar.Tracking);
    // The child keeps its coordinates in the scrolled area.
    EXPECT_EQ(far->Left(), 150);
}

namespace {
// A wheel turn over a control as the toolkit delivers it: to the viewport of
// a scrolling view. Returns whether some widget took it.
bool Wheel(TControl* c, int x, int y, int steps) {
    QWidget* w = c->Widget();
    if (auto* area = qobject_cast<QAbstractScrollArea*>(w)) w = area->viewport();
    QPointF at(x, y);
    QWheelEvent e(at, w->mapToGlobal(at), QPoint(), QPoint(0, -120 * steps), Qt::NoButton,
                  Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(w, &e);
    return e.isAccepted();
}

int VerticalScroll(TControl* c) {
    auto* area = qobject_cast<QAbstractScrollArea*>(c->Widget());
    return area ? area->verticalScrollBar()->value() : -1;
}
}  // namespace

// Lists, list views, check lists and memos scroll by the wheel.
TEST(Wheel, EveryScrollingListAndMemoTakesTheWheel) {
    Host h;
    h.form->SetBounds(0, 0, 600, 400);
    auto* list = h.add<TListBox>();
    auto* memo = h.add<TMemo>();
    auto* view = h.add<TListView>();
    view->SetViewStyle(TViewStyle::vsReport);
    view->Columns()->Add()->SetCaption("名称");
    for (int i = 0; i < 80; ++i) {
        list->Items()->Add("项目" + std::to_string(i));
        memo->Lines()->Add("第" + std::to_string(i) + "行");
        view->Items()->Add()->SetCaption("方案" + std::to_string(i));
    }
    int x = 0;
    for (TWinControl* c : std::initializer_list<TWinControl*>{list, memo, view}) {
        c->SetBounds(x, 0, 180, 120);
        x += 190;
    }
    uitest::ShowActive(h.form);
    for (TWinControl* c : std::initializer_list<TWinControl*>{list, memo, view}) {
        SCOPED_TRACE(c->ClassName());
        qobject_cast<QAbstractScrollArea*>(c->Widget())->verticalScrollBar()->setValue(0);
        ASSERT_EQ(VerticalScroll(c), 0);
        Wheel(c, 20, 20, 2);
        EXPECT_GT(VerticalScroll(c), 0);
    }
}

// A wheel over the page control's tabs neither turns the page nor is taken
// there: left unaccepted, the toolkit passes a real turn on to the window
// below.
TEST(Wheel, ThePageTabsPassTheWheelOn) {
    Host h;
    h.form->SetBounds(0, 0, 400, 300);
    auto* pc = h.add<TPageControl>();
    pc->SetBounds(0, 0, 300, 200);
    auto* a = AddSheet(pc, "单头");
    AddSheet(pc, "单身");
    uitest::ShowActive(h.form);
    auto* bar = pc->Widget()->findChild<QTabBar*>();
    ASSERT_NE(bar, nullptr);
    for (int delta : {-120, 120}) {
        QPointF at = bar->tabRect(0).center();
        QWheelEvent e(at, bar->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(bar, &e);
        EXPECT_FALSE(e.isAccepted()) << delta;
        EXPECT_EQ(pc->ActivePage(), a) << delta;
    }
}
