#include <gtest/gtest.h>

#include <QCloseEvent>
#include <QCoreApplication>
#include <QPushButton>
#include <QTimer>

#include "platform/core/exceptions.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/menus.h"
#include "platform/ui/stdctrls.h"
#include "platform/ui/translations.h"
#include "ui_test_util.h"

using namespace plat;

namespace {
class TfrmProbe : public TForm {
    PLAT_CLASS(TfrmProbe, TForm)
  public:
    explicit TfrmProbe(TComponent* owner, std::vector<std::string>* log) : TForm(owner), log_(log) {
        OnCreate = TNotifyEvent(this, &TfrmProbe::FormCreate);
        OnShow = TNotifyEvent([this](TObject*) { log_->push_back("show"); }, this);
        OnHide = TNotifyEvent([this](TObject*) { log_->push_back("hide"); }, this);
        OnCloseQuery = TCloseQueryEvent(
            [this](TObject*, bool& can) {
                log_->push_back("closequery");
                can = allowClose;
            },
            this);
        OnClose = TCloseEvent(
            [this](TObject*, TCloseAction& a) {
                log_->push_back("close");
                a = action;
            },
            this);
        OnDestroy =
            TNotifyEvent([this](TObject*) { log_->push_back("destroy " + Caption()); }, this);
        btnOK = new TButton(this);
        btnOK->SetParent(this);
        btnOK->ModalResult = mrOk;
    }
    void FormCreate(TObject*) { log_->push_back("create"); }
    bool allowClose = true;
    TCloseAction action = TCloseAction::caHide;
    TButton* btnOK;

  private:
    std::vector<std::string>* log_;
};
}  // namespace

TEST(Forms, CreateShowHideCloseFree) {
    std::vector<std::string> log;
    auto* f = CreateForm<TfrmProbe>(nullptr, &log);
    f->SetCaption("probe");
    f->Show();
    EXPECT_TRUE(f->Visible());
    f->Close();
    EXPECT_FALSE(f->Visible());
    f->Free();
    EXPECT_EQ(log, (std::vector<std::string>{"create", "show", "closequery", "close", "hide",
                                             "destroy probe"}));
}

TEST(Forms, CloseQueryAndCloseActions) {
    std::vector<std::string> log;
    auto* f = CreateForm<TfrmProbe>(nullptr, &log);
    f->Show();
    f->allowClose = false;
    f->Close();
    EXPECT_TRUE(f->Visible());
    f->allowClose = true;
    f->action = TCloseAction::caNone;
    f->Close();
    EXPECT_TRUE(f->Visible());
    // caFree: hidden at once, freed from the event loop.
    f->action = TCloseAction::caFree;
    f->Close();
    EXPECT_FALSE(f->Visible());
    EXPECT_TRUE(IsLiveControl(f));
    Application->ProcessMessages();
    EXPECT_FALSE(IsLiveControl(f));
    EXPECT_EQ(log.back(), "destroy ");
}

TEST(Forms, ShowModalReturnsTheButtonsModalResult) {
    std::vector<std::string> log;
    auto runner = std::make_shared<ScriptedDialogRunner>();
    DialogRunnerScope scope(runner);
    auto* f = CreateForm<TfrmProbe>(nullptr, &log);
    runner->Expect("TfrmProbe", [](TCustomForm& form) {
        static_cast<TfrmProbe&>(form).btnOK->Click();
        return mrNone;
    });
    EXPECT_EQ(f->ShowModal(), mrOk);
    EXPECT_FALSE(f->Visible());
    EXPECT_EQ(log, (std::vector<std::string>{"create", "show", "closequery", "close", "hide"}));
    // A form that refuses to close keeps ModalResult 0.
    f->allowClose = false;
    runner->Expect([](TCustomForm&) { return mrCancel; });
    EXPECT_EQ(f->ShowModal(), mrNone);
    // Unscripted dialogs are answered with Cancel and listed.
    f->allowClose = true;
    EXPECT_EQ(f->ShowModal(), mrCancel);
    EXPECT_EQ(runner->Unexpected(), (std::vector<std::string>{"TfrmProbe"}));
    f->Free();
}

TEST(Forms, ShowModalRunsTheEventLoopUntilAResult) {
    std::vector<std::string> log;
    auto* f = CreateForm<TfrmProbe>(nullptr, &log);
    // Pressed from inside the modal loop, as a user would.
    QTimer::singleShot(0, [f] { static_cast<QPushButton*>(f->btnOK->Widget())->click(); });
    EXPECT_EQ(f->ShowModal(), mrOk);
    // Closing a modal form gives Cancel; a visible form cannot go modal.
    QTimer::singleShot(0, [f] { f->Close(); });
    EXPECT_EQ(f->ShowModal(), mrCancel);
    f->Show();
    EXPECT_THROW(f->ShowModal(), EInvalidOperation);
    f->Free();
}

TEST(Forms, AModalFormFreedInsideItsLoopEndsItAsCancelled) {
    std::vector<std::string> log;
    auto* f = CreateForm<TfrmProbe>(nullptr, &log);
    QTimer::singleShot(0, [f] { f->Free(); });
    EXPECT_EQ(f->ShowModal(), mrCancel);
    EXPECT_FALSE(IsLiveControl(f));
    // The same under a scripted runner.
    auto runner = std::make_shared<ScriptedDialogRunner>();
    DialogRunnerScope scope(runner);
    f = CreateForm<TfrmProbe>(nullptr, &log);
    runner->Expect([](TCustomForm& form) {
        form.Free();
        return mrOk;
    });
    EXPECT_EQ(f->ShowModal(), mrCancel);
    EXPECT_EQ(log.back(), "destroy ");
}

TEST(Forms, WmClosePostedClosesTheForm) {
    std::vector<std::string> log;
    auto* f = CreateForm<TfrmProbe>(nullptr, &log);
    f->Show();
    PostMessage(f->Handle(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(f->Visible());
    Application->ProcessMessages();
    EXPECT_FALSE(f->Visible());
    f->Free();
}

// A form already closed and hidden is not closed again when the window
// system closes every window at the application's end: its OnClose and
// OnCloseQuery run once.
TEST(Forms, AClosedFormIsNotClosedAgainAtTheEnd) {
    std::vector<std::string> log;
    auto* f = CreateForm<TfrmProbe>(nullptr, &log);
    f->Show();
    f->Close();
    ASSERT_FALSE(f->Visible());
    log.clear();
    QCloseEvent end;
    QCoreApplication::sendEvent(f->Widget(), &end);
    EXPECT_EQ(log, std::vector<std::string>{});
    f->Free();
}

TEST(Forms, ScreenCentreAndTheNonClientArea) {
    std::vector<std::string> log;
    auto* f = CreateForm<TfrmProbe>(nullptr, &log);
    f->SetBorderStyle(TFormBorderStyle::bsDialog);
    f->SetClientWidth(394);
    f->SetClientHeight(322);
    EXPECT_EQ(f->Width(), 394 + 6);
    EXPECT_EQ(f->Height(), 322 + 19 + 6);
    // A main menu takes room above the client area, which keeps its size.
    auto* menu = new TMainMenu(f);
    menu->Items()->Add(NewItem("资料(&D)", 0, false, true, nullptr));
    f->SetMenu(menu);
    EXPECT_EQ(f->ClientHeight(), 322);
    EXPECT_EQ(f->Height(), 322 + 19 + 6 + 19);
    f->Position = TPosition::poScreenCenter;
    f->Show();
    EXPECT_EQ(f->Left(), (Screen->Width() - f->Width()) / 2);
    EXPECT_EQ(f->Top(), (Screen->Height() - f->Height()) / 2);
    f->Free();
}

TEST(Forms, ActivationAndResizeEvents) {
    auto* f = CreateForm<TForm>(nullptr);
    int activated = 0, resized = 0;
    f->OnActivate = TNotifyEvent([&](TObject*) { ++activated; });
    f->OnResize = TNotifyEvent([&](TObject*) { ++resized; });
    uitest::ShowActive(f);
    EXPECT_TRUE(f->Active());
    EXPECT_EQ(Screen->ActiveForm(), f);
    EXPECT_EQ(activated, 1);
    f->SetWidth(f->Width() + 10);
    EXPECT_EQ(resized, 1);
    bool refuse = true;
    f->OnCanResize = TCanResizeEvent([&](TObject*, int&, int&, bool& ok) { ok = !refuse; });
    int w = f->Width();
    f->SetWidth(w + 50);
    EXPECT_EQ(f->Width(), w);
    f->Free();
}

TEST(Dialogs, MessageDialogsThroughTheService) {
    uitest::Capture cap;
    cap.dialogs->Answer(mrNo);
    EXPECT_EQ(MessageDlg("保存吗?", TMsgDlgType::mtConfirmation, mbYesNoCancel), mrNo);
    // Unanswered: the default button's result.
    EXPECT_EQ(MessageDlg("确定?", TMsgDlgType::mtConfirmation, mbOKCancel), mrOk);
    EXPECT_EQ(
        Application->MessageBox("继续?", "Error!!", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2),
        IDNO);
    auto& r = cap.dialogs->Requests();
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r[0].Order,
              (std::vector<TMsgDlgBtn>{TMsgDlgBtn::mbYes, TMsgDlgBtn::mbNo, TMsgDlgBtn::mbCancel}));
    EXPECT_EQ(r[2].Caption, "Error!!");
    EXPECT_EQ(r[2].Type, TMsgDlgType::mtConfirmation);
}

TEST(Dialogs, TheFormDialogHasThePlatformsParts) {
    TForm* f = CreateMessageDialog("数量不可小于零", TMsgDlgType::mtWarning, mbOKCancel);
    EXPECT_EQ(f->Caption(), "Warning");
    auto* ok = dynamic_cast<TButton*>(f->FindComponent("OK"));
    auto* cancel = dynamic_cast<TButton*>(f->FindComponent("Cancel"));
    ASSERT_TRUE(ok && cancel);
    EXPECT_TRUE(ok->Default());
    EXPECT_TRUE(cancel->Cancel);
    EXPECT_EQ(cancel->ModalResult, mrCancel);
    EXPECT_EQ(dynamic_cast<TLabel*>(f->FindComponent("Message"))->Caption(), "数量不可小于零");
    EXPECT_NE(f->FindComponent("Image"), nullptr);
    // Shown through the runner: Esc presses Cancel.
    auto runner = std::make_shared<ScriptedDialogRunner>();
    DialogRunnerScope scope(runner);
    runner->Expect([](TCustomForm& form) {
        form.ActiveControl()->SimulateKey(VK_ESCAPE);
        return mrNone;
    });
    EXPECT_EQ(f->ShowModal(), mrCancel);
    f->Free();
}

// The toolkit's own dialogs speak the language loaded; nothing loaded is the
// toolkit's English.
TEST(ToolkitTranslations, TheToolkitsDialogsSpeakTheLoadedLanguage) {
    auto lookIn = [] {
        return QCoreApplication::translate("QFileDialog", "Look in:").toStdString();
    };
    ASSERT_TRUE(plat::LoadToolkitTranslations("zh_CN"));
    EXPECT_EQ(plat::ToolkitLocale(), "zh_CN");
    const std::string simplified = lookIn();
    EXPECT_NE(simplified, "Look in:");
    ASSERT_TRUE(plat::LoadToolkitTranslations("zh_TW"));
    EXPECT_NE(lookIn(), "Look in:");
    EXPECT_NE(lookIn(), simplified);
    EXPECT_TRUE(plat::LoadToolkitTranslations(""));
    EXPECT_EQ(lookIn(), "Look in:");
    EXPECT_FALSE(plat::LoadToolkitTranslations("xx_YY"));
    EXPECT_EQ(plat::ToolkitLocale(), "");
}
