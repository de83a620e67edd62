// The sign-off status window's text file, saved through the save dialog.
#include "forms/FSVInfo.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "platform/core/text.h"
#include "platform/system/desktop.h"
#include "platform/system/files.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/filedialogs.h"
#include "platform/ui/grids.h"
#include "platform/ui/menus.h"

namespace ktrb::test {
namespace {

using plat::Variant;

class SVInfoSave : public ::testing::Test {
  protected:
    SVInfoSave() {
        plat::Application->SetDialogRunner(runner);
        window = plat::CreateForm<TfrmSVInfo>(nullptr);
        window->SetupColumns();
        // One approval row with a long approver name, then the closing empty element.
        window->FillGrid(
            Variant::ArrayOf({Variant::ArrayOf({"1", "1", "主管", "20240112", "20240113", "核准",
                                                "DS", "张三", "ZHANGW", "张伟明张伟明张伟明"}),
                              Variant()}));
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder + "adir");
    }
    ~SVInfoSave() override {
        window->Free();
        plat::Application->SetDialogRunner(nullptr);
    }
    // Saves through the popup item; the dialog gets the name, or is cancelled.
    void SaveAs(const std::string& name) {
        runner->Expect("TFileDialogForm", [name](plat::TCustomForm& f) {
            if (name.empty()) return plat::mrCancel;
            static_cast<plat::TFileDialogForm&>(f).SetFileName(name);
            return plat::mrOk;
        });
        window->N1->Click();
        EXPECT_EQ(runner->Pending(), 0);
    }
    std::vector<std::string> Lines(const std::string& file) {
        std::istringstream in(plat::FromAnsi(plat::ReadFileBytes(file)));
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }

    std::shared_ptr<plat::ScriptedDialogRunner> runner =
        std::make_shared<plat::ScriptedDialogRunner>();
    std::shared_ptr<plat::ScriptedMessageDialogs> boxes =
        std::make_shared<plat::ScriptedMessageDialogs>();
    plat::MessageDialogsScope boxScope{boxes};
    plat::TRecordingLauncher launcher;
    plat::DesktopLauncherOverride launcherScope{launcher};
    std::string folder = ::testing::TempDir() + "svinfo-" +
                         ::testing::UnitTest::GetInstance()->current_test_info()->name() + "/";
    TfrmSVInfo* window = nullptr;
};

TEST_F(SVInfoSave, TheFileHoldsFixedWidthLinesInTheAnsiCodePage) {
    const std::string file = folder + "status.txt";
    SaveAs(folder + "status");
    ASSERT_EQ(launcher.Opened(), std::vector<std::string>{file});
    std::vector<std::string> lines = Lines(file);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].back(), '\r');
    // The long name widened its column to 18 x 8 + 5 pixels: 18 + 5 characters.
    EXPECT_EQ(window->StringGrid1->ColWidths(10), 18 * 8 + 5);
    const std::string name = "张伟明张伟明张伟明";
    const size_t at = lines[1].find(name);
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(lines[1].substr(at + name.size()), std::string(5, ' ') + "\r");
    EXPECT_EQ(lines[1].substr(0, 9), "1        ");
}

TEST_F(SVInfoSave, ACancelledDialogWritesNothing) {
    SaveAs("");
    EXPECT_TRUE(launcher.Opened().empty());
    EXPECT_TRUE(boxes->Requests().empty());
    EXPECT_TRUE(plat::ListFiles(folder, "", "txt").empty());
}

TEST_F(SVInfoSave, ANameThatCannotBeWrittenGivesTheFailureMessage) {
    for (const std::string& name : {folder + "missing/status.txt", folder + "adir/"}) {
        boxes->Clear();
        SaveAs(name);
        ASSERT_EQ(boxes->Requests().size(), 1u) << name;
        EXPECT_EQ(plat::Trim(boxes->Requests()[0].Text), "文档保存失败 !");
        EXPECT_EQ(boxes->Requests()[0].Caption, "Information");
        EXPECT_EQ(boxes->Requests()[0].Type, plat::TMsgDlgType::mtError);
    }
    EXPECT_TRUE(launcher.Opened().empty());
}

}  // namespace
}  // namespace ktrb::test
