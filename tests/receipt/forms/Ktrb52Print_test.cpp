// Printing a receipt from its form: the host's print run writes the PDF and
// shows it through the desktop launcher.
#include <fstream>

#include "platform/system/desktop.h"
#include "receipt_form_fixture.h"

namespace ktrb::test {
namespace {

class ReceiptPrintTest : public ReceiptFormTest {
  protected:
    plat::TRecordingLauncher launcher;
    plat::DesktopLauncherOverride launcherScope{launcher};
};

TEST_F(ReceiptPrintTest, PrintButtonShowsThePdfOfTheDocument) {
    Start();
    services->printFolder = installation.client() + "print";
    ASSERT_TRUE(GoTo("20240118001"));
    form->UpdateButtons();
    ASSERT_TRUE(form->btnPrint->Enabled());
    form->btnPrint->Click();
    ASSERT_EQ(launcher.Opened().size(), 1u) << testing::PrintToString(form->messages);
    const std::string pdf = launcher.Opened()[0];
    EXPECT_EQ(pdf.rfind(installation.client() + "print/KTRD52_5901-20240118001", 0), 0u) << pdf;
    EXPECT_EQ(pdf.substr(pdf.size() - 4), ".pdf");
    std::ifstream in(pdf, std::ios::binary);
    std::string head(5, '\0');
    in.read(head.data(), 5);
    EXPECT_EQ(head, "%PDF-");

    // A direct print goes to the printer: written, not shown.
    form->DirectPrint = true;
    form->miDirectPrint->Click();
    EXPECT_EQ(launcher.Opened().size(), 1u);
    EXPECT_EQ(services->suite->journal->Events().back().kind, standin::SuiteEventKind::PrintRun);
}

}  // namespace
}  // namespace ktrb::test
