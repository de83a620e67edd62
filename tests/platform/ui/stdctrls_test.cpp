#include "platform/ui/stdctrls.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>

#include "platform/core/exceptions.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/screenshot.h"
#include "ui_test_util.h"

using namespace plat;

namespace {
struct Host {
    TForm* form = CreateForm<TForm>(nullptr);
    std::vector<std::string> log;
    Host() {
        form->Font()->SetName("宋体");
        form->Font()->SetHeight(-13);
    }
    template <class C>
    C* add(int top = 0) {
        auto* c = new C(form);
        c->SetParent(form);
        c->SetTop(top);
        return c;
    }
    TNotifyEvent logger(const std::string& what) {
        return TNotifyEvent([this, what](TObject*) { log.push_back(what); });
    }
    ~Host() { form->Free(); }
};
}  // namespace

TEST(Label, SizesItselfToItsCaption) {
    Host h;
    auto* l = h.add<TLabel>();
    l->SetCaption("单号(&N)");
    TCanvas c;
    c.Font.Assign(*l->Font());
    EXPECT_EQ(l->Width(), c.TextWidth("单号(N)"));
    EXPECT_EQ(l->Height(), c.TextHeight("单"));
    // A right-aligned label keeps its right edge.
    l->SetAlignment(TAlignment::taRightJustify);
    int right = l->Left() + l->Width();
    l->SetCaption("单号");
    EXPECT_EQ(l->Left() + l->Width(), right);
    // An empty caption still has a line's height.
    l->SetCaption("");
    EXPECT_EQ(l->Height(), c.TextHeight("0"));
}

TEST(Label, PaintsDisabledTextEmbossed) {
    Host h;
    auto* l = h.add<TLabel>();
    l->SetCaption("&Open");
    l->SetEnabled(false);
    TRecordingCanvas rec;
    l->PaintTo(rec);
    std::vector<const CanvasOp*> texts;
    for (auto& op : rec.Ops())
        if (op.Kind == CanvasOpKind::Text) texts.push_back(&op);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0]->Font.Color, clBtnHighlight);
    EXPECT_EQ(texts[0]->Points[0].X, texts[1]->Points[0].X + 1);
    EXPECT_EQ(texts[1]->Font.Color, clBtnShadow);
    EXPECT_EQ(texts[1]->UnderlineIndex, 0);
}

TEST(Edit, MaxLengthCountsDatabaseWidthAndCaseIsApplied) {
    Host h;
    auto* e = h.add<TEdit>();
    uitest::ShowActive(h.form);
    e->SetFocus();
    e->SetMaxLength(5);
    e->SetCharCase(TEditCharCase::ecUpperCase);
    uitest::TypeText(e, "委a外bc");
    // 委 (2) + A (1) + 外 (2) = 5: the rest does not fit.
    EXPECT_EQ(e->Text(), "委A外");
    // Text set by the program is not limited.
    e->SetText("abcdefgh");
    EXPECT_EQ(e->Text(), "abcdefgh");
    EXPECT_FALSE(e->Modified());
}

TEST(Edit, ChangeFiresForUserAndProgramAndSelectionWorks) {
    Host h;
    auto* e = h.add<TEdit>();
    e->OnChange = h.logger("change");
    e->SetText("ABCDEF");
    EXPECT_EQ(h.log.size(), 1u);
    e->SetSelStart(1);
    e->SetSelLength(3);
    EXPECT_EQ(e->SelText(), "BCD");
    e->SetSelText("x");
    EXPECT_EQ(e->Text(), "AxEF");
    e->SelectAll();
    EXPECT_EQ(e->SelLength(), 4);
    EXPECT_EQ(e->Perform(EM_GETSEL) >> 16, 4);
}

TEST(Edit, AutoSelectOnEnter) {
    Host h;
    auto* a = h.add<TEdit>();
    auto* b = h.add<TEdit>(30);
    b->SetText("12345");
    uitest::ShowActive(h.form);
    a->SimulateKey(VK_TAB);
    EXPECT_TRUE(b->Focused());
    EXPECT_EQ(b->SelLength(), 5);
}

TEST(Memo, LinesAndTextStayInStep) {
    Host h;
    auto* m = h.add<TMemo>();
    m->Lines()->Add("第一行");
    m->Lines()->Add("second");
    EXPECT_EQ(m->Text(), "第一行\r\nsecond");
    m->SetText("a\r\nb\r\nc\r\n");
    EXPECT_EQ(m->Lines()->Count(), 3);
    EXPECT_EQ((*m->Lines())[2], "c");
    m->Lines()->Clear();
    EXPECT_EQ(m->Text(), "");
}

TEST(Memo, AddedLinesFollowTheTextAtAnyLength) {
    Host h;
    auto* m = h.add<TMemo>();
    int changes = 0;
    m->OnChange = TNotifyEvent([&](TObject*) { ++changes; });
    // An empty first line, and a text the user ended with a line break.
    m->Lines()->Add("");
    m->Lines()->Add("b");
    EXPECT_EQ(m->Text(), "\r\nb");
    m->SetText("x\r\ny\r\n");
    m->Lines()->Add("z");
    EXPECT_EQ(m->Text(), "x\r\ny\r\nz");
    EXPECT_EQ(m->Lines()->Count(), 3);
    m->Lines()->Clear();
    for (auto s : {"a", "", "c"}) m->Lines()->Add(s);
    EXPECT_EQ(m->Text(), "a\r\n\r\nc");
    m->Lines()->Insert(0, "top");
    EXPECT_EQ(m->Lines()->Count(), 4);
    EXPECT_EQ(m->Text(), "top\r\na\r\n\r\nc");
    // A long log stays in step line by line (each Add once, not the whole text again).
    m->Lines()->Clear();
    changes = 0;
    const int n = 30000;
    for (int i = 0; i < n; ++i) m->Lines()->Add(std::to_string(i));
    EXPECT_EQ(changes, n);
    EXPECT_EQ(m->Lines()->Count(), n);
    EXPECT_EQ((*m->Lines())[n - 1], std::to_string(n - 1));
    std::string text = m->Text();
    EXPECT_EQ(text.substr(text.size() - 12), "29998\r\n29999");
}

TEST(Memo, EnterStaysInTheMemoButTabLeaves) {
    Host h;
    auto* m = h.add<TMemo>();
    auto* ok = h.add<TButton>(100);
    ok->SetDefault(true);
    ok->OnClick = h.logger("ok");
    uitest::ShowActive(h.form);
    m->SetFocus();
    m->SimulateKey('A');
    m->SimulateKey(VK_RETURN);
    m->SimulateKey('B');
    EXPECT_EQ(m->Text(), "a\r\nb");
    EXPECT_TRUE(h.log.empty());
    m->SimulateKey(VK_TAB);
    EXPECT_TRUE(ok->Focused());
}

TEST(ComboBox, ItemsIndexAndEvents) {
    Host h;
    auto* c = h.add<TComboBox>();
    c->SetStyle(TComboBoxStyle::csDropDownList);
    c->Items()->Add("北京");
    c->Items()->Add("上海");
    c->OnChange = h.logger("change");
    c->OnClick = h.logger("click");
    EXPECT_EQ(c->ItemIndex(), -1);
    c->SetItemIndex(1);
    EXPECT_EQ(c->Text(), "上海");
    EXPECT_TRUE(h.log.empty());  // the program's choice raises nothing
    c->SetText("北京");
    EXPECT_EQ(c->ItemIndex(), 0);
    // The user's choice: OnClick then OnChange.
    auto* qc = static_cast<QComboBox*>(c->Widget());
    qc->setCurrentIndex(1);
    qc->activated(1);
    EXPECT_EQ(h.log, (std::vector<std::string>{"click", "change"}));
    EXPECT_EQ(c->ItemIndex(), 1);
    c->Items()->Delete(0);
    EXPECT_EQ(c->Items()->Count(), 1);
}

TEST(ComboBox, MapListShowsTheTextAndGivesTheCode) {
    Host h;
    auto* c = h.add<TComboBox>();
    c->SetStyle(TComboBoxStyle::csDropDownList);
    c->SetMapList(true);
    c->Items()->Add("已确认\tY");
    c->Items()->Add("未确认\tN");
    c->SetValue("N");
    EXPECT_EQ(c->ItemIndex(), 1);
    EXPECT_EQ(c->Text(), "未确认");
    EXPECT_EQ(c->Value(), "N");
    EXPECT_EQ(static_cast<QComboBox*>(c->Widget())->itemText(0), QString::fromUtf8("已确认"));
}

TEST(ComboBox, TypedTextRaisesOnChangeAndKeepsCase) {
    Host h;
    auto* c = h.add<TComboBox>();
    c->Items()->Add("ABC");
    c->SetCharCase(TEditCharCase::ecUpperCase);
    c->OnChange = h.logger("change");
    uitest::ShowActive(h.form);
    c->SetFocus();
    uitest::TypeText(c, "abc");
    EXPECT_EQ(c->Text(), "ABC");
    EXPECT_EQ(c->ItemIndex(), 0);
    EXPECT_EQ(h.log.size(), 3u);
}

TEST(ComboBox, ASecondEditableStyleRaisesOnChangeOnce) {
    Host h;
    auto* c = h.add<TComboBox>();
    c->SetStyle(TComboBoxStyle::csSimple);
    c->OnChange = h.logger("change");
    uitest::ShowActive(h.form);
    c->SetFocus();
    uitest::TypeText(c, "a");
    EXPECT_EQ(h.log.size(), 1u);
}

TEST(ListBox, OwnerDrawnItemsGoThroughTheHandler) {
    Host h;
    auto* l = h.add<TListBox>();
    l->SetStyle(TListBoxStyle::lbOwnerDrawFixed);
    l->Items()->Add("one");
    l->Items()->Add("two");
    std::vector<int> drawn;
    l->OnDrawItem = TDrawItemEvent([&](TObject*, int i, TRect r, TOwnerDrawState s) {
        drawn.push_back(i);
        l->Canvas()->FillRect(r);
    });
    TRecordingCanvas rec;
    l->Canvas()->SetDevice(rec.Device());
    l->DrawItemTo(*l->Canvas(), 1, Bounds(0, 16, 100, 16),
                  {TOwnerDrawStateItem::odSelected, TOwnerDrawStateItem::odFocused});
    EXPECT_EQ(drawn, std::vector<int>{1});
    ASSERT_EQ(rec.Ops().size(), 2u);
    // A selected item is painted in the highlight colour, then the focus rectangle.
    EXPECT_EQ(rec.Ops()[0].Brush.Color, clHighlight);
    EXPECT_EQ(rec.Ops()[1].Kind, CanvasOpKind::FocusRect);
}

TEST(ListBox, SelectionAndItemAtPoint) {
    Host h;
    auto* l = h.add<TListBox>();
    for (auto s : {"a", "b", "c"}) l->Items()->Add(s);
    l->OnClick = h.logger("click");
    l->SetItemIndex(2);
    EXPECT_EQ(l->ItemIndex(), 2);
    EXPECT_TRUE(h.log.empty());
    h.form->Show();
    TRect r = l->ItemRect(1);
    EXPECT_EQ(l->ItemAtPos({r.Left + 2, r.Top + 2}, true), 1);
    EXPECT_EQ(l->ItemAtPos({2, l->Height() - 3}, true), -1);
    EXPECT_EQ(l->ItemAtPos({2, l->Height() - 3}, false), 3);
}

TEST(CheckBox, ClickCyclesAndCodeChangesRaiseOnClick) {
    Host h;
    auto* c = h.add<TCheckBox>();
    c->OnClick = h.logger("click");
    c->SetChecked(true);
    EXPECT_EQ(h.log.size(), 1u);
    c->SetChecked(true);
    EXPECT_EQ(h.log.size(), 1u);
    auto* qc = static_cast<QCheckBox*>(c->Widget());
    c->SetChecked(false);
    qc->click();
    EXPECT_EQ(c->State(), TCheckBoxState::cbChecked);
    qc->click();
    EXPECT_EQ(c->State(), TCheckBoxState::cbUnchecked);
    c->AllowGrayed = true;
    std::vector<TCheckBoxState> seen;
    for (int i = 0; i < 3; ++i) {
        qc->click();
        seen.push_back(c->State());
    }
    EXPECT_EQ(seen,
              (std::vector<TCheckBoxState>{TCheckBoxState::cbGrayed, TCheckBoxState::cbChecked,
                                           TCheckBoxState::cbUnchecked}));
    EXPECT_EQ(qc->checkState(), Qt::Unchecked);
    c->SetState(TCheckBoxState::cbGrayed);
    EXPECT_FALSE(c->Checked());
}

TEST(RadioButton, CheckingOneUnchecksItsSiblingsOnly) {
    Host h;
    auto* p1 = h.add<TPanel>();
    auto* p2 = h.add<TPanel>(50);
    auto make = [&](TWinControl* parent, const std::string& name) {
        auto* r = new TRadioButton(h.form);
        r->SetName(name);
        r->SetParent(parent);
        r->OnClick = h.logger("click " + name);
        return r;
    };
    auto* a = make(p1, "a");
    auto* b = make(p1, "b");
    auto* c = make(p2, "c");
    c->SetChecked(true);
    a->SetChecked(true);
    EXPECT_TRUE(c->Checked());
    EXPECT_TRUE(a->TabStop());
    static_cast<QRadioButton*>(b->Widget())->click();
    EXPECT_TRUE(b->Checked());
    EXPECT_FALSE(a->Checked());
    EXPECT_FALSE(a->TabStop());
    // Clicking the checked one again changes nothing and raises nothing.
    static_cast<QRadioButton*>(b->Widget())->click();
    EXPECT_TRUE(b->Checked());
    EXPECT_EQ(h.log, (std::vector<std::string>{"click c", "click a", "click b"}));
}

TEST(RadioGroup, ItemIndexChecksAButtonAndRaisesOnClick) {
    Host h;
    auto* g = h.add<TRadioGroup>();
    g->SetBounds(0, 0, 185, 105);
    g->Items()->Add("方向向上");
    g->Items()->Add("方向向下");
    g->Items()->Add("全部");
    g->OnClick = h.logger("click");
    g->SetItemIndex(1);
    EXPECT_TRUE(g->Buttons(1)->Checked());
    EXPECT_EQ(h.log.size(), 1u);
    static_cast<QRadioButton*>(g->Buttons(2)->Widget())->click();
    EXPECT_EQ(g->ItemIndex(), 2);
    EXPECT_FALSE(g->Buttons(1)->Checked());
    EXPECT_EQ(h.log.size(), 2u);
    // Two columns: three buttons as two rows.
    g->SetColumns(2);
    EXPECT_EQ(g->Buttons(2)->Left(), g->Buttons(0)->Left() + (185 - 10) / 2);
    EXPECT_EQ(g->Buttons(2)->Top(), g->Buttons(0)->Top());
}

TEST(ListBox, AMeasureHandlerThatRaisesIsShownNotThrownThroughQt) {
    uitest::Capture cap;
    Host h;
    auto* l = h.add<TListBox>();
    l->SetStyle(TListBoxStyle::lbOwnerDrawVariable);
    l->OnMeasureItem =
        TMeasureItemEvent([](TObject*, int, int&) { throw EConvertError("bad height"); });
    l->Items()->Add("one");
    h.form->Show();
    EXPECT_EQ(l->ItemRect(0).Height(), l->ItemHeight());
    EXPECT_FALSE(cap.dialogs->Texts().empty());
    EXPECT_EQ(cap.dialogs->Texts()[0], "bad height.");
}

TEST(Button, AClickThatFreesTheFormEndsTheMouseEventSafely) {
    auto* form = CreateForm<TForm>(nullptr);
    auto* b = new TButton(form);
    b->SetParent(form);
    bool freed = false;
    form->OnDestroy = TNotifyEvent([&](TObject*) { freed = true; });
    b->OnClick = TNotifyEvent([&](TObject*) { form->Free(); });
    uitest::ShowActive(form);
    uitest::MouseClick(b, 5, 5);
    EXPECT_TRUE(freed);
}

TEST(Button, ModalResultIsSetBeforeOnClick) {
    Host h;
    auto* b = h.add<TButton>();
    b->ModalResult = mrYes;
    TModalResult seen = mrNone;
    b->OnClick = TNotifyEvent([&](TObject*) { seen = h.form->ModalResult(); });
    b->Click();
    EXPECT_EQ(seen, mrYes);
}

TEST(GroupBox, AcceleratorFocusesItsFirstControl) {
    Host h;
    auto* g = h.add<TGroupBox>();
    g->SetCaption("方向(&D)");
    auto* e = new TEdit(h.form);
    e->SetParent(g);
    auto* other = h.add<TEdit>(150);
    uitest::ShowActive(h.form);
    other->SetFocus();
    other->SimulateKey('D', {ssAlt});
    EXPECT_TRUE(e->Focused());
}

namespace {
// A radio button that keeps the platform's circle and draws its caption.
class TCaptionRadio : public TRadioButton {
    PLAT_CLASS(TCaptionRadio, TRadioButton)
  public:
    explicit TCaptionRadio(TComponent* owner) : TRadioButton(owner) { PaintsOver = true; }
    int painted = 0;

  protected:
    void PaintOver() override {
        ++painted;
        Canvas()->TextOut(19, 0, Caption());
    }
};
}  // namespace

TEST(RadioButton, ADescendantPaintsOverThePlatformsPicture) {
    Host h;
    auto* r = h.add<TCaptionRadio>();
    r->SetCaption("向上");
    h.form->Show();
    Screenshot(h.form);
    EXPECT_GE(r->painted, 1);
}
