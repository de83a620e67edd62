#include <gtest/gtest.h>

#include <QDialog>
#include <QLineEdit>

#include "platform/core/exceptions.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/forms.h"
#include "platform/ui/stdctrls.h"
#include "ui_test_util.h"

using namespace plat;

TEST(Controls, OwnerAndParentTreesAreSeparate) {
    auto* form = CreateForm<TForm>(nullptr);
    auto* panel = new TPanel(form);
    panel->SetParent(form);
    auto* edit = new TEdit(form);  // owned by the form, shown on the panel
    edit->SetName("edCode");
    edit->SetParent(panel);
    EXPECT_EQ(edit->Owner(), form);
    EXPECT_EQ(edit->Parent(), panel);
    EXPECT_EQ(form->FindComponent("edcode"), edit);
    EXPECT_EQ(panel->ControlCount(), 1);
    EXPECT_TRUE(form->ContainsControl(edit));
    EXPECT_EQ(GetParentForm(edit), form);
    // The panel frees the controls it parents; the owner forgets them.
    delete panel;
    EXPECT_EQ(form->FindComponent("edCode"), nullptr);
    EXPECT_FALSE(IsLiveControl(edit));
    form->Free();
}

TEST(Controls, AParentCannotBeItsOwnChild) {
    TPanel a(nullptr), b(nullptr);
    b.SetParent(&a);
    EXPECT_THROW(a.SetParent(&b), EInvalidOperation);
    b.SetParent(nullptr);
}

TEST(Controls, AlignmentSharesTheClientArea) {
    auto* form = CreateForm<TForm>(nullptr);
    form->SetClientWidth(400);
    form->SetClientHeight(300);
    auto make = [&](TAlign a, int w, int h) {
        auto* p = new TPanel(form);
        p->SetBounds(0, 0, w, h);
        p->SetAlign(a);
        p->SetParent(form);
        return p;
    };
    auto* top = make(TAlign::alTop, 10, 30);
    auto* bottom = make(TAlign::alBottom, 10, 20);
    auto* left = make(TAlign::alLeft, 50, 10);
    auto* client = make(TAlign::alClient, 10, 10);
    EXPECT_EQ(top->BoundsRect(), Bounds(0, 0, 400, 30));
    EXPECT_EQ(bottom->BoundsRect(), Bounds(0, 280, 400, 20));
    EXPECT_EQ(left->BoundsRect(), Bounds(0, 30, 50, 250));
    EXPECT_EQ(client->BoundsRect(), Bounds(50, 30, 350, 250));
    // The form grows: the aligned panels follow.
    form->SetClientWidth(500);
    EXPECT_EQ(client->Width(), 450);
    // Hiding the top panel gives its room away.
    top->Hide();
    EXPECT_EQ(left->Top(), 0);
    form->Free();
}

TEST(Controls, PanelBordersNarrowTheAlignedArea) {
    TPanel outer(nullptr);
    outer.SetBounds(0, 0, 100, 50);
    outer.SetBevelOuter(TBevelCut::bvRaised);
    outer.SetBorderWidth(2);
    TPanel inner(nullptr);
    inner.SetAlign(TAlign::alClient);
    inner.SetParent(&outer);
    EXPECT_EQ(inner.BoundsRect(), Rect(3, 3, 97, 47));
    inner.SetParent(nullptr);
}

TEST(Controls, AnchorsFollowTheParent) {
    TPanel p(nullptr);
    p.SetBounds(0, 0, 200, 100);
    TButton b(nullptr);
    b.SetBounds(120, 70, 75, 25);
    b.SetAnchors({TAnchorKind::akRight, TAnchorKind::akBottom});
    b.SetParent(&p);
    TEdit e(nullptr);
    e.SetBounds(10, 10, 100, 21);
    e.SetAnchors({TAnchorKind::akLeft, TAnchorKind::akTop, TAnchorKind::akRight});
    e.SetParent(&p);
    p.SetBounds(0, 0, 300, 150);
    EXPECT_EQ(b.Left(), 220);
    EXPECT_EQ(b.Top(), 120);
    EXPECT_EQ(e.Width(), 200);
    e.SetParent(nullptr);
    b.SetParent(nullptr);
}

TEST(Controls, ParentFontAndColourFlowDown) {
    auto* form = CreateForm<TForm>(nullptr);
    auto* panel = new TPanel(form);
    panel->SetParent(form);
    auto* label = new TLabel(form);
    label->SetParent(panel);
    form->Font()->SetName("宋体");
    form->Font()->SetHeight(-13);
    EXPECT_EQ(label->Font()->Height(), -13);
    EXPECT_TRUE(label->ParentFont());
    panel->SetColor(clRed);
    EXPECT_EQ(label->Color(), clRed);
    // A font set on the control itself ends ParentFont.
    label->Font()->SetStyle({fsBold});
    EXPECT_FALSE(label->ParentFont());
    form->Font()->SetHeight(-16);
    EXPECT_EQ(label->Font()->Height(), -13);
    form->Free();
}

TEST(Controls, HintsFollowTheParentUnlessSet) {
    auto* form = CreateForm<TForm>(nullptr);
    auto* b = new TButton(form);
    b->SetParent(form);
    form->SetShowHint(true);
    EXPECT_TRUE(b->EffectiveShowHint());
    b->SetShowHint(false);
    EXPECT_FALSE(b->EffectiveShowHint());
    EXPECT_EQ(GetShortHint("新增|新增一笔单据"), "新增");
    EXPECT_EQ(GetLongHint("新增|新增一笔单据"), "新增一笔单据");
    form->Free();
}

namespace {
struct FocusForm {
    TForm* form = CreateForm<TForm>(nullptr);
    TEdit* a = add("edA", 0);
    TEdit* b = add("edB", 1);
    TButton* cancel = nullptr;
    std::vector<std::string> events;
    TEdit* add(const char* name, int order) {
        auto* e = new TEdit(form);
        e->SetName(name);
        e->SetParent(form);
        e->SetTop(order * 30);
        e->OnEnter =
            TNotifyEvent([this, e](TObject*) { events.push_back("enter " + e->Name()); }, e);
        e->OnExit = TNotifyEvent(
            [this, e](TObject*) {
                TWinControl* next = form->ActiveControl();
                events.push_back("exit " + e->Name() + " to " + (next ? next->Name() : "none"));
            },
            e);
        return e;
    }
    ~FocusForm() { form->Free(); }
};
}  // namespace

TEST(Focus, ExitKnowsTheControlThatTakesTheFocus) {
    FocusForm f;
    f.cancel = new TButton(f.form);
    f.cancel->SetName("btnCancel");
    f.cancel->SetParent(f.form);
    uitest::ShowActive(f.form);
    ASSERT_TRUE(f.form->Active());
    // The first control in tab order gets the focus when the form shows.
    EXPECT_TRUE(f.a->Focused());
    EXPECT_EQ(f.events, (std::vector<std::string>{"enter edA"}));
    f.cancel->SetFocus();
    EXPECT_TRUE(f.cancel->Focused());
    EXPECT_EQ(f.events.back(), "exit edA to btnCancel");
}

TEST(Focus, TabOrderAndSelectNext) {
    FocusForm f;
    uitest::ShowActive(f.form);
    f.b->SetTabOrder(0);
    EXPECT_EQ(f.a->TabOrder(), 1);
    f.b->SetFocus();
    f.form->SelectNext(f.b, true, true);
    EXPECT_TRUE(f.a->Focused());
    f.form->SelectNext(f.a, true, true);  // wraps round
    EXPECT_TRUE(f.b->Focused());
    // Posted next-control message, backwards.
    PostMessage(f.form->Handle(), WM_NEXTDLGCTL, 1, 0);
    Application->ProcessMessages();
    EXPECT_TRUE(f.a->Focused());
}

TEST(Focus, DisabledOrHiddenControlsCannotTakeIt) {
    FocusForm f;
    f.b->SetEnabled(false);
    EXPECT_FALSE(f.b->CanFocus());
    uitest::ShowActive(f.form);
    EXPECT_THROW(f.b->SetFocus(), EInvalidOperation);
    f.b->SetEnabled(true);
    f.b->SetFocus();
    // Hiding the focused control moves the focus off it.
    f.b->Hide();
    EXPECT_NE(f.form->ActiveControl(), f.b);
    EXPECT_EQ(f.events.back(), "exit edB to none");
}

// A window of the toolkit's own over the form (the host's look-up) taking
// the keyboard is no move inside the form: nothing is exited or entered, and
// the form's control is where it was when the window closes.
TEST(Focus, AWindowOverTheFormExitsNothing) {
    FocusForm f;
    uitest::ShowActive(f.form);
    f.b->SetFocus();
    f.events.clear();
    {
        QDialog window(f.form->Widget());
        auto* line = new QLineEdit(&window);
        window.setWindowModality(Qt::WindowModal);
        window.show();
        window.activateWindow();
        line->setFocus();
        Application->ProcessMessages();
        ASSERT_TRUE(line->hasFocus());
        EXPECT_EQ(f.events, std::vector<std::string>{});
        EXPECT_EQ(f.form->ActiveControl(), f.b);
    }
    f.form->Widget()->activateWindow();
    f.b->Widget()->setFocus(Qt::OtherFocusReason);
    Application->ProcessMessages();
    EXPECT_EQ(f.events, std::vector<std::string>{});
    f.a->SetFocus();
    EXPECT_EQ(f.events, (std::vector<std::string>{"exit edB to edA", "enter edA"}));
}

TEST(Focus, AControlOnAHiddenFormCannotBeFocused) {
    FocusForm f;
    EXPECT_THROW(f.a->SetFocus(), EInvalidOperation);
    TEdit loose(nullptr);
    EXPECT_THROW(loose.SetFocus(), EInvalidOperation);
}

TEST(Focus, AnExitHandlerCanKeepTheFocus) {
    FocusForm f;
    f.a->OnExit = TNotifyEvent([&](TObject*) { f.a->SetFocus(); }, f.a);
    uitest::ShowActive(f.form);
    f.b->SetFocus();
    EXPECT_TRUE(f.a->Focused());
    EXPECT_EQ(f.form->ActiveControl(), f.a);
}

TEST(Focus, ARaisingExitKeepsTheFocusAndEntersNothing) {
    uitest::Capture cap;
    FocusForm f;
    auto* ok = new TButton(f.form);
    ok->SetParent(f.form);
    ok->SetTop(70);
    int clicks = 0;
    ok->OnClick = TNotifyEvent([&](TObject*) { ++clicks; }, ok);
    bool refuse = true, silent = false;
    f.a->OnExit = TNotifyEvent(
        [&](TObject*) {
            f.events.push_back("exit edA");
            if (!refuse) return;
            if (silent) throw EAbort("");
            throw EInvalidOperation("日期不对");
        },
        f.a);
    uitest::ShowActive(f.form);
    f.events.clear();
    struct Way {
        const char* name;
        std::function<void()> move;
    };
    const Way ways[] = {
        {"SetFocus", [&] { f.b->SetFocus(); }},
        {"Tab", [&] { f.a->SimulateKey(VK_TAB); }},
        {"click",
         [&] {
             // As the desktop does: the press focuses the button, then arrives.
             ok->Widget()->setFocus(Qt::MouseFocusReason);
             uitest::MouseClick(ok, 5, 5);
         }},
    };
    for (bool abort : {false, true}) {
        silent = abort;
        for (const Way& w : ways) {
            SCOPED_TRACE(std::string(w.name) + (abort ? " abort" : ""));
            f.events.clear();
            w.move();
            Application->ProcessMessages();
            EXPECT_TRUE(f.a->Focused());
            EXPECT_EQ(f.form->ActiveControl(), f.a);
            EXPECT_EQ(f.events, std::vector<std::string>{"exit edA"});
        }
    }
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(cap.dialogs->Texts().size(), 3u);  // the silent abort shows nothing
    // Once the exit lets go, the change goes through.
    refuse = false;
    f.events.clear();
    f.b->SetFocus();
    EXPECT_TRUE(f.b->Focused());
    EXPECT_EQ(f.events, (std::vector<std::string>{"exit edA", "enter edB"}));
    uitest::MouseClick(ok, 5, 5);
    EXPECT_EQ(clicks, 1);
}
