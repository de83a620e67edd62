// A receipt keyed as a clerk keys it: keys sent to the focused control
// through the window's own key path (the form sees them first), never the
// fields set from the test.
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QMouseEvent>
#include <functional>
#include <utility>

#include "controls/QvLookUpCombo.h"
#include "platform/core/text.h"
#include "platform/ui/menus.h"
#include "receipt/forms/receipt_form_fixture.h"

namespace ktrb::test {
namespace {

// The host's look-up window as it comes: a window of its own over the form
// that has the keyboard while the clerk picks; then the queued answer.
class WindowedLookUp : public standin::ScriptedDravoc {
  public:
    bool hadTheKeyboard = false;
    plat::Variant F2GetData(plat::Variant& request) override {
        QDialog window(QApplication::activeWindow());
        auto* find = new QLineEdit(&window);
        window.setWindowModality(Qt::WindowModal);
        window.show();
        window.activateWindow();
        find->setFocus();
        plat::Application->ProcessMessages();
        hadTheKeyboard = find->hasFocus();
        return ScriptedDravoc::F2GetData(request);
    }
};

class ReceiptKeyingTest : public ReceiptFormTest {
  protected:
    // A new receipt of a supplier, its head keyed, the focus in the lines.
    void NewReceiptInTheLines() {
        Start();
        form->Show();
        plat::Application->ProcessMessages();
        ASSERT_TRUE(form->AddRecord(false));
        Head("TH001")->SetText("5901");
        Head("TH005")->SetText("S002");
        form->gdBody1->SetFocus();
        plat::Application->ProcessMessages();
    }
    std::string Selected() {
        plat::TField* f = form->gdBody1->SelectedField();
        return f ? f->FieldName() : std::string("(none)");
    }
    // Types into the control the current column edits with, as the grid
    // hands it the keys, and leaves the cell by key.
    void TypeCell(const std::string& text, uint16_t leave = plat::VK_TAB) {
        plat::TWinControl* editor = form->gdBody1->FieldControl(Selected());
        plat::TWinControl* target = editor && editor->Visible() ? editor : form->gdBody1;
        target->SetFocus();
        if (auto* edit = dynamic_cast<plat::TCustomEdit*>(target)) edit->SelectAll();
        for (char32_t ch : plat::Utf8ToU32(text)) target->SimulateKey(0, {}, ch);
        target->SimulateKey(leave, {});
        plat::Application->ProcessMessages();
    }
};

// A new line starts in the work-order type column; the work order fills the
// line, and Tab or Enter after its number goes on to the received quantity,
// with no check of the line's other columns on the way.
TEST_F(ReceiptKeyingTest, ANewLineIsKeyedFromItsWorkOrderInOnePass) {
    for (uint16_t leave : {plat::VK_TAB, plat::VK_RETURN}) {
        SCOPED_TRACE(leave == plat::VK_TAB ? "Tab" : "Enter");
        NewReceiptInTheLines();
        ASSERT_EQ(dm->cdsBody1->State(), plat::dsInsert);
        EXPECT_EQ(Selected(), "TI013");
        TypeCell("5201", leave);
        EXPECT_EQ(form->messages, std::vector<std::string>{});
        EXPECT_EQ(Line("TI013")->AsString(), "5201");
        EXPECT_EQ(Selected(), "TI014");
        TypeCell("20240110001", leave);
        // The work order's own notice (its routing) may come; no check of
        // the line's required columns.
        for (const std::string& m : form->messages)
            EXPECT_EQ(m.find("不可空白"), std::string::npos) << m;
        EXPECT_EQ(Line("TI004")->AsString(), "C3001");
        EXPECT_EQ(Selected(), "TI007");
        form->CancelEdit(false);
        form->Free();
        form = nullptr;
    }
}

// F2 in the work-order column of a new line, or the cell's button, opens the
// look-up window; the line waits for the pick unchecked and unposted, fills
// itself from the work order picked, and keying goes on at the quantity.
TEST_F(ReceiptKeyingTest, AWorkOrderPickedInItsWindowFillsANewLine) {
    auto lookUp = std::make_shared<WindowedLookUp>();
    services->dravoc = lookUp;
    const std::pair<const char*, std::function<void()>> ways[] = {
        {"F2", [&] { form->ActiveControl()->SimulateKey(plat::VK_F2, {}); }},
        {"the cell's button",
         [&] {
             plat::TWinControl* cell = form->gdBody1->FieldControl("TI013");
             ASSERT_TRUE(cell && cell->Visible());
             // As the desktop does: the press focuses the control, then arrives.
             QWidget* w = cell->Widget();
             w->setFocus(Qt::MouseFocusReason);
             const QPointF at(w->width() - 6, w->height() / 2);
             QMouseEvent press(QEvent::MouseButtonPress, at, w->mapToGlobal(at), Qt::LeftButton,
                               Qt::LeftButton, Qt::NoModifier);
             QCoreApplication::sendEvent(w, &press);
             QMouseEvent release(QEvent::MouseButtonRelease, at, w->mapToGlobal(at), Qt::LeftButton,
                                 Qt::NoButton, Qt::NoModifier);
             QCoreApplication::sendEvent(w, &release);
         }},
    };
    for (const auto& [way, open] : ways) {
        SCOPED_TRACE(way);
        NewReceiptInTheLines();
        ASSERT_EQ(Selected(), "TI013");
        lookUp->ClearCalls();
        lookUp->Enqueue("F2GetData",
                        plat::Variant::ArrayOf({plat::Variant::ArrayOf({"5201", "20240110001"})}));
        open();
        plat::Application->ProcessMessages();
        ASSERT_EQ(lookUp->Calls().size(), 1u);
        EXPECT_TRUE(lookUp->hadTheKeyboard);
        for (const std::string& m : form->messages)
            EXPECT_EQ(m.find("不可空白"), std::string::npos) << m;
        EXPECT_EQ(dm->cdsBody1->State(), plat::dsInsert);
        EXPECT_EQ(Line("TI013")->AsString() + "-" + Line("TI014")->AsString(), "5201-20240110001");
        EXPECT_EQ(Line("TI004")->AsString(), "C3001");
        EXPECT_EQ(Selected(), "TI007");
        // The keyboard is back in the grid.
        ASSERT_NE(form->ActiveControl(), nullptr);
        EXPECT_TRUE(form->gdBody1->ContainsControl(form->ActiveControl()))
            << form->ActiveControl()->Name();
        form->CancelEdit(false);
        form->Free();
        form = nullptr;
    }
    // The requests it recorded hold the host's work center, which holds it.
    lookUp->ClearCalls();
}

// Tab and Enter leave every column, the lot's too (its editor a combo,
// read-only for an item without lots), so the price is reached by keys.
TEST_F(ReceiptKeyingTest, TabAndEnterGoOnPastTheLotToThePrice) {
    for (uint16_t leave : {plat::VK_TAB, plat::VK_RETURN}) {
        SCOPED_TRACE(leave == plat::VK_TAB ? "Tab" : "Enter");
        NewReceiptInTheLines();
        TypeCell("5201", leave);
        TypeCell("20240110001", leave);
        ASSERT_EQ(Selected(), "TI007");
        TypeCell("20", leave);
        std::string passed;
        for (int i = 0; i < 60 && Selected() != "TI024"; ++i) {
            const std::string at = Selected();
            passed += at + " ";
            plat::TWinControl* focused = form->ActiveControl();
            ASSERT_NE(focused, nullptr);
            // A key typed into the lot gives its combo the keyboard.
            if (at == "TI010") {
                focused->SimulateKey(0, {}, U'x');
                plat::Application->ProcessMessages();
                focused = form->ActiveControl();
                EXPECT_EQ(focused, form->gdBody1->FieldControl("TI010"));
            }
            focused->SimulateKey(leave, {});
            plat::Application->ProcessMessages();
            ASSERT_NE(Selected(), at) << "stuck after " << passed << "in " << focused->Name();
        }
        ASSERT_EQ(Selected(), "TI024") << passed;
        TypeCell("21.5", leave);
        EXPECT_EQ(Line("TI024")->AsFloat(), 21.5);
        form->CancelEdit(false);
        form->Free();
        form = nullptr;
    }
}

// The line's required columns are checked when the line is posted.
TEST_F(ReceiptKeyingTest, ALinesRequiredColumnsAreCheckedWhenItIsPosted) {
    NewReceiptInTheLines();
    TypeCell("5201");
    EXPECT_EQ(form->messages, std::vector<std::string>{});
    EXPECT_THROW(dm->cdsBody1->Post(), plat::EAbort);
    ASSERT_FALSE(form->messages.empty());
    EXPECT_NE(form->messages.back().find("不可空白"), std::string::npos) << form->messages.back();
    form->CancelEdit(false);
}

// The receipt's date keyed into its head edit, with and without the
// separators, is stored as YYYYMMDD; an impossible one is refused with a
// message and the typed text stays to be mended.
TEST_F(ReceiptKeyingTest, ADateIsKeyedWithOrWithoutItsSeparators) {
    Start();
    form->Show();
    plat::Application->ProcessMessages();
    ASSERT_TRUE(form->AddRecord(false));
    auto* edit = dynamic_cast<plat::TCustomEdit*>(form->FindComponent("edTH029"));
    ASSERT_NE(edit, nullptr);
    auto type = [&](const std::string& text) {
        edit->SetFocus();
        edit->SelectAll();
        for (char32_t ch : plat::Utf8ToU32(text)) edit->SimulateKey(0, {}, ch);
        edit->SimulateKey(plat::VK_TAB, {});
        plat::Application->ProcessMessages();
    };
    for (const char* typed : {"2024/06/20", "20240621"}) {
        type(typed);
        EXPECT_EQ(form->messages, std::vector<std::string>{}) << typed;
    }
    EXPECT_EQ(Head("TH029")->AsString(), "20240621");
    type("2024/13/45");
    ASSERT_FALSE(form->messages.empty());
    EXPECT_EQ(edit->Text(), "2024/13/45");
    EXPECT_EQ(Head("TH029")->AsString(), "20240621");
    form->CancelEdit(false);
}

// An amount beyond the column's precision is refused with a message.
TEST_F(ReceiptKeyingTest, AnAmountBeyondItsPrecisionIsRefused) {
    Start();
    form->Show();  // the number formats are read on show
    ASSERT_TRUE(GoTo("20240112001"));
    ASSERT_TRUE(form->EditRecord());
    dm->cdsBody1->First();
    dm->cdsBody1->Edit();
    Line("TI026")->SetText("20000000000");
    ASSERT_FALSE(form->messages.empty());
    EXPECT_NE(form->messages.back().find("扣款金额"), std::string::npos) << form->messages.back();
    EXPECT_EQ(Line("TI026")->AsFloat(), 0);
    form->messages.clear();
    Line("TI026")->SetText("9999999999");
    EXPECT_EQ(form->messages, std::vector<std::string>{});
    EXPECT_EQ(Line("TI026")->AsFloat(), 9999999999.0);
    form->CancelEdit(false);
}

// Esc in the lines undoes the line being keyed, not the whole receipt; the
// Exit menu works while adding and asks the close question first.
TEST_F(ReceiptKeyingTest, EscAndExitWhileAdding) {
    NewReceiptInTheLines();
    form->gdBody1->SimulateKey(plat::VK_ESCAPE, {});
    EXPECT_EQ(form->messages, std::vector<std::string>{});
    EXPECT_EQ(form->FormMode(), TFormMode::Add);
    EXPECT_TRUE(form->Showing());

    ASSERT_TRUE(form->miExit->Enabled());
    form->answers = {modal::Cancel};
    form->miExit->Click();
    ASSERT_EQ(form->messages.size(), 1u);
    EXPECT_EQ(form->messages[0], "新增的资料尚未存档,是否存档?");
    EXPECT_TRUE(form->Showing());
    EXPECT_EQ(form->FormMode(), TFormMode::Add);
    form->CancelEdit(false);
}

}  // namespace
}  // namespace ktrb::test
