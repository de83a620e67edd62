#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>

#include "platform/core/exceptions.h"
#include "platform/ui/menus.h"
#include "platform/ui/stdctrls.h"
#include "ui_test_util.h"

using namespace plat;

namespace {
// A form that previews keys, with an edit, a default and a cancel button,
// and a log of what each handler saw.
struct KeyForm {
    TForm* form = CreateForm<TForm>(nullptr);
    TEdit* edit = new TEdit(form);
    TButton* ok = new TButton(form);
    TButton* cancel = new TButton(form);
    std::vector<std::string> log;
    uint16_t swallowKey = 0;
    char32_t replaceChar = 0, replaceWith = 0;

    KeyForm() {
        edit->SetParent(form);
        ok->SetName("btnOK");
        ok->SetParent(form);
        ok->SetTop(40);
        cancel->SetName("btnCancel");
        cancel->SetParent(form);
        cancel->SetTop(70);
        form->SetKeyPreview(true);
        form->OnKeyDown = TKeyEvent(
            [this](TObject*, uint16_t& k, TShiftState s) {
                log.push_back("form down " + std::to_string(k) +
                              (s.Contains(ssCtrl) ? " ctrl" : ""));
                if (k == swallowKey) k = 0;
            },
            form);
        form->OnKeyPress = TKeyPressEvent(
            [this](TObject*, char32_t& c) {
                log.push_back("form press " + std::to_string((unsigned)c));
                if (c == replaceChar) c = replaceWith;
            },
            form);
        edit->OnKeyDown =
            TKeyEvent([this](TObject*, uint16_t& k,
                             TShiftState) { log.push_back("edit down " + std::to_string(k)); },
                      edit);
        edit->OnKeyPress = TKeyPressEvent(
            [this](TObject*, char32_t& c) {
                log.push_back("edit press " + std::to_string((unsigned)c));
            },
            edit);
        ok->OnClick = TNotifyEvent([this](TObject*) { log.push_back("ok"); }, ok);
        cancel->OnClick = TNotifyEvent([this](TObject*) { log.push_back("cancel"); }, cancel);
        uitest::ShowActive(form);
        edit->SetFocus();
    }
    ~KeyForm() { form->Free(); }
};
}  // namespace

TEST(Keys, FormPreviewsBeforeTheControlAndCanSwallow) {
    KeyForm f;
    f.edit->SimulateKey(VK_F2);
    EXPECT_EQ(f.log, (std::vector<std::string>{"form down 113", "edit down 113"}));
    f.log.clear();
    f.swallowKey = VK_F2;
    f.edit->SimulateKey(VK_F2);
    EXPECT_EQ(f.log, (std::vector<std::string>{"form down 113"}));
}

TEST(Keys, AKeyZeroedInKeyDownStillGivesItsCharacter) {
    KeyForm f;
    f.swallowKey = 'A';
    f.edit->SimulateKey('A');
    EXPECT_EQ(f.log, (std::vector<std::string>{"form down 65", "form press 97", "edit press 97"}));
    EXPECT_EQ(f.edit->Text(), "a");
    // Only zeroing the character in KeyPress drops it.
    f.replaceChar = 'b';
    f.replaceWith = 0;
    f.edit->SimulateKey('B');
    EXPECT_EQ(f.edit->Text(), "a");
    // A key without a character does nothing once zeroed.
    f.edit->SetSelStart(1);
    f.swallowKey = VK_LEFT;
    f.edit->SimulateKey(VK_LEFT);
    EXPECT_EQ(f.edit->SelStart(), 1);
    f.log.clear();
    f.swallowKey = VK_RETURN;
    f.edit->SimulateKey(VK_RETURN);
    EXPECT_EQ(f.log, (std::vector<std::string>{"form down 13", "form press 13", "edit press 13"}));
}

// A key whose handler runs a window of the toolkit's own over the form (a
// host's look-up window): that window's keys are its own, and the key that
// opened it, unused, goes on to the parents as the same key, not a new one.
TEST(Keys, AWindowOpenedByAKeyKeepsItsKeysAndTheKeyActsOnce) {
    KeyForm f;
    std::string typed;
    f.form->OnKeyDown = TKeyEvent(
        [&](TObject*, uint16_t& k, TShiftState) {
            f.log.push_back("form down " + std::to_string(k));
            if (k != VK_F2) return;
            QDialog window(f.form->Widget()->window());
            auto* line = new QLineEdit(&window);
            QTimer::singleShot(0, &window, [line] {
                QKeyEvent x(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, "x");
                QCoreApplication::sendEvent(line, &x);
                QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
                QCoreApplication::sendEvent(line, &escape);
            });
            window.exec();
            typed = line->text().toStdString();
        },
        f.form);
    f.edit->SimulateKey(VK_F2);
    EXPECT_EQ(typed, "x");
    EXPECT_EQ(f.log, (std::vector<std::string>{"form down 113", "edit down 113"}));
}

TEST(Keys, KeyPressGetsControlCharactersForCtrlLetters) {
    KeyForm f;
    f.edit->SimulateKey('C', {ssCtrl});
    EXPECT_EQ(f.log, (std::vector<std::string>{"form down 67 ctrl", "edit down 67", "form press 3",
                                               "edit press 3"}));
    f.log.clear();
    f.edit->SimulateKey('V', {ssCtrl});
    EXPECT_EQ(f.log.back(), "edit press 22");
}

TEST(Keys, DeleteFromTheKeyboardGivesNoCharacter) {
    KeyForm f;
    f.edit->SetText("abc");
    f.edit->SetSelStart(0);
    // The desktop's Delete key arrives with the DEL character as its text.
    QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier, QString(QChar(0x7F)));
    QCoreApplication::sendEvent(f.edit->Widget(), &del);
    EXPECT_EQ(f.log, (std::vector<std::string>{"form down 46", "edit down 46"}));
    EXPECT_EQ(f.edit->Text(), "bc");
}

TEST(Keys, TypedCharactersCanBeReplacedOrDropped) {
    KeyForm f;
    f.edit->SimulateKey('A');
    f.replaceChar = 'b';
    f.replaceWith = 'X';
    f.edit->SimulateKey('B');
    f.replaceChar = 'c';
    f.replaceWith = 0;
    f.edit->SimulateKey('C');
    EXPECT_EQ(f.edit->Text(), "aX");
}

TEST(Keys, EnterAndEscapeGoToTheDefaultAndCancelButtons) {
    KeyForm f;
    f.ok->SetDefault(true);
    f.cancel->Cancel = true;
    f.edit->SimulateKey(VK_RETURN);
    f.edit->SimulateKey(VK_ESCAPE);
    EXPECT_EQ(f.log, (std::vector<std::string>{"ok", "cancel"}));
    // Without a default button Enter reaches the handlers as #13.
    f.log.clear();
    f.ok->SetDefault(false);
    f.edit->SimulateKey(VK_RETURN);
    EXPECT_EQ(f.log, (std::vector<std::string>{"form down 13", "edit down 13", "form press 13",
                                               "edit press 13"}));
}

TEST(Keys, TabMovesTheFocusWithoutReachingTheHandlers) {
    KeyForm f;
    f.edit->SimulateKey(VK_TAB);
    EXPECT_TRUE(f.ok->Focused());
    f.ok->SimulateKey(VK_TAB, {ssShift});
    EXPECT_TRUE(f.edit->Focused());
    EXPECT_TRUE(f.log.empty());
    // Ctrl+Tab is a key for the form.
    f.edit->SimulateKey(VK_TAB, {ssCtrl});
    EXPECT_EQ(f.log.front(), "form down 9 ctrl");
}

TEST(Keys, MenuShortcutsComeBeforeKeyPreview) {
    KeyForm f;
    auto* menu = new TMainMenu(f.form);
    auto* file = new TMenuItem(f.form);
    file->SetCaption("资料(&D)");
    std::vector<std::string> clicks;
    file->OnClick = TNotifyEvent([&](TObject*) { clicks.push_back("menu"); }, file);
    auto* add = new TMenuItem(f.form);
    add->SetCaption("新增(&A)");
    add->SetShortCut(ShortCut(VK_F5, {}));
    add->OnClick = TNotifyEvent([&](TObject*) { clicks.push_back("add"); }, add);
    auto* last = new TMenuItem(f.form);
    last->SetCaption("最后一个(&L)");
    last->SetShortCut(TextToShortCut("Ctrl+E"));
    last->SetEnabled(false);
    menu->Items()->Add(file);
    file->Add(add);
    file->Add(last);
    f.form->SetMenu(menu);
    f.edit->SimulateKey(VK_F5);
    EXPECT_EQ(clicks, (std::vector<std::string>{"menu", "add"}));
    EXPECT_TRUE(f.log.empty());
    // A disabled item's shortcut is used up without its click; the menu's
    // own OnClick (which may enable items) still runs first.
    f.edit->SimulateKey('E', {ssCtrl});
    EXPECT_EQ(clicks, (std::vector<std::string>{"menu", "add", "menu"}));
    EXPECT_TRUE(f.log.empty());
}

TEST(Keys, AcceleratorsFocusAndClick) {
    KeyForm f;
    auto* label = new TLabel(f.form);
    label->SetCaption("单号(&N)");
    label->SetParent(f.form);
    label->SetFocusControl(f.edit);
    f.ok->SetCaption("确定(&O)");
    f.ok->SetFocus();
    f.ok->SimulateKey('N', {ssAlt});
    EXPECT_TRUE(f.edit->Focused());
    f.edit->SimulateKey('O', {ssAlt});
    EXPECT_EQ(f.log.back(), "ok");
}

TEST(Keys, ShortcutTexts) {
    EXPECT_EQ(ShortCutToText(ShortCut(VK_F5, {})), "F5");
    EXPECT_EQ(ShortCutToText(ShortCut('S', {ssCtrl})), "Ctrl+S");
    EXPECT_EQ(TextToShortCut("Ctrl+F1"), ShortCut(VK_F1, {ssCtrl}));
    EXPECT_EQ(TextToShortCut("Shift+Ctrl+Del"), ShortCut(VK_DELETE, {ssShift, ssCtrl}));
    EXPECT_EQ(TextToShortCut("nonsense"), 0);
}

namespace {
// A form answering our own WM_USER messages the way the document forms do.
class MsgForm : public TForm {
    PLAT_CLASS(MsgForm, TForm)
  public:
    using TForm::TForm;
    std::vector<std::string> got;
    void WndProc(TMessage& m) override {
        if (m.Msg == WM_USER + 10) {
            TControl* c = ControlOfLParam(m.LParam);
            got.push_back("F2 " + (c ? c->Name() : std::string("?")));
            m.Result = 1;
            return;
        }
        if (m.Msg == WM_USER + 11) Abort();
        if (m.Msg == WM_USER + 12) throw EConvertError("'x' is not a valid integer value");
        TForm::WndProc(m);
    }
};
}  // namespace

TEST(Messages, SentAtOncePostedLater) {
    auto* f = CreateForm<MsgForm>(nullptr);
    auto* e = new TEdit(f);
    e->SetName("edTH004");
    EXPECT_EQ(SendMessage(f->Handle(), WM_USER + 10, 0, LParamOf(e)), 1);
    EXPECT_EQ(f->got, (std::vector<std::string>{"F2 edTH004"}));
    PostMessage(f->Handle(), WM_USER + 10, 0, LParamOf(e));
    EXPECT_EQ(f->got.size(), 1u);
    Application->ProcessMessages();
    EXPECT_EQ(f->got.size(), 2u);
    // A message posted to a window that is gone is dropped.
    HWND h = f->Handle();
    PostMessage(h, WM_USER + 10, 0, 0);
    f->Free();
    Application->ProcessMessages();
    EXPECT_EQ(FindControl(h), nullptr);
    EXPECT_EQ(SendMessage(h, WM_USER + 10, 0, 0), 0);
}

TEST(Messages, EntryPointSwallowsTheSilentAbortAndShowsOtherErrors) {
    uitest::Capture cap;
    auto* f = CreateForm<MsgForm>(nullptr);
    SendMessage(f->Handle(), WM_USER + 11, 0, 0);
    EXPECT_TRUE(cap.dialogs->Requests().empty());
    EXPECT_TRUE(cap.log.empty());
    SendMessage(f->Handle(), WM_USER + 12, 0, 0);
    ASSERT_EQ(cap.dialogs->Requests().size(), 1u);
    EXPECT_EQ(cap.dialogs->Requests()[0].Text, "'x' is not a valid integer value.");
    EXPECT_EQ(cap.dialogs->Requests()[0].Type, TMsgDlgType::mtError);
    EXPECT_EQ(cap.log,
              (std::vector<std::string>{"EConvertError: 'x' is not a valid integer value"}));
    // Perform is a plain call: the exception reaches the caller.
    EXPECT_THROW(f->Perform(WM_USER + 12), EConvertError);
    f->Free();
}

TEST(Messages, HandlersRaisingFromKeysNeverCrossTheEventLoop) {
    uitest::Capture cap;
    KeyForm f;
    f.edit->OnKeyDown = TKeyEvent([](TObject*, uint16_t& k, TShiftState) {
        if (k == VK_F3) Abort();
        if (k == VK_F4) throw EDatabaseError("Field 'TI004' must have a value");
    });
    f.edit->SimulateKey(VK_F3);
    f.edit->SimulateKey(VK_F4);
    ASSERT_EQ(cap.dialogs->Texts(), (std::vector<std::string>{"Field 'TI004' must have a value."}));
}
