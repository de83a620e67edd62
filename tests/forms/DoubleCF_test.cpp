#include "forms/DoubleCF.h"

#include <gtest/gtest.h>

#include "controls/FDBGrid.h"
#include "double_fixture.h"
#include "forms/QVConfirmDate.h"
#include "forms/QvCopy.h"
#include "platform/ui/buttons.h"
#include "platform/ui/comctrls.h"
#include "platform/ui/dbctrls.h"
#include "platform/ui/stdctrls.h"
#include "platform/ui/ui_test_util.h"

namespace ktrb::test {
namespace {

class DoubleRoad : public DoubleFormTest {
  protected:
    DoubleRoad() {
        form->KeepOnAdd = false;
        plat::Application->SetDialogRunner(runner);
    }
    ~DoubleRoad() override { plat::Application->SetDialogRunner(nullptr); }
    std::shared_ptr<plat::ScriptedDialogRunner> runner =
        std::make_shared<plat::ScriptedDialogRunner>();
};

TEST_F(DoubleRoad, AReceiptThroughItsWholeLife) {
    // Added with lines; the server numbers it, the form says so and shows it.
    TypeDocument("20240108001", {{"A1001-01", 3}, {"B2001", 2}});
    dm->AutoNumber = true;
    ASSERT_TRUE(form->SaveDocument()) << testing::PrintToString(form->messages);
    const std::string number = form->ServerNumber;
    ASSERT_NE(number, "20240108001");
    ASSERT_EQ(form->messages.size(), 1u);
    EXPECT_NE(form->messages[0].find(number), std::string::npos) << form->messages[0];
    EXPECT_EQ(form->FormMode(), TFormMode::Browse);
    EXPECT_EQ(Head("TH002")->AsString(), number);
    EXPECT_EQ(StoredItems(number), "A1001-01,B2001");
    EXPECT_EQ(Sql("SELECT TI002 FROM MOCTI WHERE TI002='20240108001' AND TI004='B2001'"), "");

    // A line changed and a line deleted, saved as one.
    form->messages.clear();
    ASSERT_TRUE(form->EditRecord());
    dm->cdsBody1->First();
    dm->cdsBody1->Edit();
    Line("TI007")->SetAsFloat(5);
    dm->cdsBody1->Post();
    dm->cdsBody1->Last();
    dm->cdsBody1->Delete();
    ASSERT_TRUE(form->SaveDocument());
    EXPECT_EQ(StoredItems(number), "A1001-01");
    EXPECT_EQ(Sql("SELECT TI007 FROM MOCTI WHERE TI002='" + number + "'"), "5");

    // Confirmed under the date the dialog gives, then unconfirmed.
    runner->Expect("TQVConfirmDateForm", [](plat::TCustomForm& f) {
        auto& d = static_cast<TQVConfirmDateForm&>(f);
        d.edDate01->SetText("2024/04/20");
        d.btnOK->Click();
        return d.ModalResult();
    });
    ASSERT_TRUE(GoTo(number));
    EXPECT_TRUE(form->ChangeDocStatus(3, true));
    EXPECT_EQ(Status(number), "Y");
    EXPECT_EQ(LineStates(number), "Y");
    ASSERT_TRUE(GoTo(number));
    EXPECT_EQ(Head("TH023")->AsString(), "Y");
    EXPECT_TRUE(form->ChangeDocStatus(2, false));
    EXPECT_EQ(Status(number), "N");
    EXPECT_EQ(runner->Shown().size(), 1u);

    // Voided and restored by the form itself, head and lines.
    ASSERT_TRUE(GoTo(number));
    form->miInvalidClick(nullptr);
    EXPECT_EQ(Status(number), "V");
    EXPECT_EQ(LineStates(number), "V");
    ASSERT_TRUE(GoTo(number));
    EXPECT_TRUE(form->ChangeDocStatus(0, false));
    EXPECT_EQ(Status(number), "N");
    EXPECT_EQ(LineStates(number), "N");
    EXPECT_EQ(form->FormMode(), TFormMode::Browse);
    form->messages.clear();

    // Copied through the copy dialog into a new number, then saved.
    ASSERT_TRUE(GoTo(number));
    runner->Expect("TfrmCopy", [&](plat::TCustomForm& f) {
        auto& d = static_cast<TfrmCopy&>(f);
        EXPECT_EQ(d.edSource[1]->Text(), number);
        d.BBOK->Click();
        d.edDest[0]->SetFocus();
        d.edDest[0]->SetText("5901");
        d.edDest[1]->SetFocus();
        d.edDest[1]->SetText("20240416001");
        d.BBOK->SetFocus();
        d.BBOK->Click();
        return d.ModalResult();
    });
    dm->AutoNumber = false;
    form->CopyDocument();
    EXPECT_EQ(form->FormMode(), TFormMode::Add);
    EXPECT_EQ(FormItems(), std::vector<std::string>{"A1001-01"})
        << testing::PrintToString(form->messages) << runner->Shown().size();
    Head("TH002")->SetAsString("20240416001");
    ASSERT_TRUE(form->SaveDocument()) << (form->messages.empty() ? "" : form->messages[0]);
    EXPECT_EQ(StoredItems("20240416001"), "A1001-01");
    EXPECT_EQ(Sql("SELECT TI007 FROM MOCTI WHERE TI002='20240416001'"), "5");
    EXPECT_EQ(StoredItems(number), "A1001-01");
}

}  // namespace
}  // namespace ktrb::test
