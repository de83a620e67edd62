// The progress window: its gauge range, steps that stop at the maximum,
// closing it to stop the work, and how it looks.
#include "forms/ShowStatusCF.h"

#include <gtest/gtest.h>

#include "platform/ui/extctrls.h"
#include "platform/ui/screenshot.h"
#include "platform/ui/stdctrls.h"
#include "runtime/language_fixture.h"

namespace ktrb::test {
namespace {

using ShowStatus = LanguageFixture;

TEST_F(ShowStatus, GaugeRangeAndSteps) {
    auto* w = plat::CreateForm<TfrmShowStatus>(nullptr);
    w->Start("查询结果转 Excel 文件进度", 0, 0);
    EXPECT_TRUE(w->Visible());
    EXPECT_FALSE(w->StatusBar->Visible());
    EXPECT_EQ(w->Caption(), "查询结果转 Excel 文件进度");
    EXPECT_EQ(w->Label1->Caption(), "查询结果转 Excel 文件进度");

    // Only 0 and 0 hide the gauge; a full gauge takes no more steps.
    w->Start("x", 3, 3);
    EXPECT_TRUE(w->StatusBar->Visible());
    w->Step();
    EXPECT_EQ(w->StatusBar->Progress(), 3);

    // A minimum above the old maximum is taken whole.
    w->Start("x", 10, 12);
    EXPECT_EQ(w->StatusBar->MinValue(), 10);
    EXPECT_EQ(w->StatusBar->MaxValue(), 12);
    for (int i = 0; i < 5; ++i) w->Step();
    EXPECT_EQ(w->StatusBar->Progress(), 12);
    EXPECT_FALSE(w->Cancelled());
    w->Finish();
    EXPECT_FALSE(w->Visible());
    w->Free();
}

TEST_F(ShowStatus, ClosingTheWindowAsksTheWorkToStop) {
    std::unique_ptr<IExportProgress> progress = CreateShowStatusProgress(nullptr);
    progress->Start("导出", 0, 100);
    progress->Step();
    EXPECT_FALSE(progress->Cancelled());
    plat::TCustomForm* window = nullptr;
    for (int i = 0; i < plat::Screen->FormCount(); ++i)
        if (plat::Screen->Forms(i)->ClassName() == "TfrmShowStatus")
            window = plat::Screen->Forms(i);
    ASSERT_NE(window, nullptr);
    window->Close();
    EXPECT_TRUE(progress->Cancelled());
    progress->Finish();
}

TEST_F(ShowStatus, Picture) {
    auto* w = plat::CreateForm<TfrmShowStatus>(nullptr);
    w->Start("查询结果转 Excel 文件进度", 0, 200);
    for (int i = 0; i < 120; ++i) w->Step();
    plat::SaveScreenshot(w, ::testing::TempDir() + "progress_window.png");
    if (const char* dir = std::getenv("KTRB_SHOTS"))
        plat::SaveScreenshot(w, std::string(dir) + "/progress_window.png");
    w->Finish();
    w->Free();
}

}  // namespace
}  // namespace ktrb::test
