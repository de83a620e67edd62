#include "platform/ui/filedialogs.h"

#include <gtest/gtest.h>

#include <QFileDialog>
#include <QLineEdit>
#include <QMetaObject>
#include <cstdlib>

#include "platform/system/files.h"
#include "platform/system/paths.h"
#include "platform/ui/qt_bridge.h"
#include "platform/ui/screenshot.h"
#include "ui_test_util.h"

namespace plat {
namespace {

TEST(FileFilter, PairsOfDescriptionAndPatterns) {
    auto f = ParseFileFilter("文本文件(*.txt)|*.txt|All|*.*;*|dangling");
    ASSERT_EQ(f.size(), 2u);
    EXPECT_EQ(f[0].Description, "文本文件(*.txt)");
    EXPECT_EQ(f[1].Patterns, "*.*;*");
    EXPECT_TRUE(ParseFileFilter("").empty());
}

TEST(FileFilter, DefaultExtensionOnlyWhenTheNameHasNone) {
    struct Case {
        const char *name, *ext, *want;
    } cases[] = {{"/tmp/a", "txt", "/tmp/a.txt"},
                 {"/tmp/a.log", "txt", "/tmp/a.log"},
                 {"/tmp/x.d/a", ".txt", "/tmp/x.d/a.txt"},
                 {"/tmp/a", "", "/tmp/a"},
                 {"/tmp/", "txt", "/tmp/"},
                 {"", "txt", ""}};
    for (const Case& c : cases) EXPECT_EQ(WithDefaultExt(c.name, c.ext), c.want) << c.name;
}

class SaveDialogTest : public ::testing::Test {
  protected:
    SaveDialogTest() {
        dialog.Filter = "文本文件(*.txt)|*.txt";
        dialog.DefaultExt = "txt";
        dialog.Options = {TOpenOption::ofOverwritePrompt, TOpenOption::ofHideReadOnly};
    }
    // The next chooser is answered with a typed name and the given result.
    void Answer(const std::string& name, TModalResult result = mrOk) {
        runner->Expect("TFileDialogForm", [name, result](TCustomForm& f) {
            if (!name.empty()) static_cast<TFileDialogForm&>(f).SetFileName(name);
            return result;
        });
    }
    std::shared_ptr<ScriptedDialogRunner> runner = std::make_shared<ScriptedDialogRunner>();
    DialogRunnerScope scope{runner};
    uitest::Capture capture;
    TSaveDialog dialog;
    std::string folder = ::testing::TempDir();
};

TEST_F(SaveDialogTest, ChosenNameGetsTheDefaultExtension) {
    Answer(folder + "report");
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.FileName, folder + "report.txt");
    EXPECT_TRUE(capture.dialogs->Requests().empty());
}

TEST_F(SaveDialogTest, CancelOrNoNameChoosesNothing) {
    dialog.FileName = "kept.txt";
    Answer(folder + "x", mrCancel);
    EXPECT_FALSE(dialog.Execute());
    Answer("");
    dialog.FileName.clear();
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(dialog.FileName, "");
}

TEST_F(SaveDialogTest, AnExistingFileIsReplacedOnlyWhenTheUserSaysSo) {
    const std::string file = folder + "existing.txt";
    WriteFileBytes(file, "old");
    for (TModalResult answer : {mrNo, mrYes}) {
        capture.dialogs->Clear();
        capture.dialogs->Answer(answer);
        Answer(file);
        EXPECT_EQ(dialog.Execute(), answer == mrYes);
        ASSERT_EQ(capture.dialogs->Requests().size(), 1u);
        EXPECT_NE(capture.dialogs->Requests()[0].Text.find("existing.txt"), std::string::npos);
    }
    // Without the option nothing is asked.
    dialog.Options = {};
    capture.dialogs->Clear();
    Answer(file);
    EXPECT_TRUE(dialog.Execute());
    EXPECT_TRUE(capture.dialogs->Requests().empty());
}

TEST_F(SaveDialogTest, ControlCharactersAreRefused) {
    Answer(folder + std::string("a\0b", 3));
    EXPECT_FALSE(dialog.Execute());
    Answer(folder + "a\nb");
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(capture.dialogs->Requests().size(), 2u);
}

// The Qt chooser itself: its filter, and its Save button closing the form.
TEST_F(SaveDialogTest, TheQtChooserAnswersTheForm) {
    runner->Expect("TFileDialogForm", [this](TCustomForm& f) {
        QFileDialog* chooser = static_cast<TFileDialogForm&>(f).Chooser();
        EXPECT_EQ(chooser->nameFilters(), QStringList{"文本文件(*.txt)"});
        EXPECT_EQ(chooser->acceptMode(), QFileDialog::AcceptSave);
        chooser->setDirectory(Q(folder));
        // Typed into the chooser's own name field.
        auto* edit = chooser->findChild<QLineEdit*>("fileNameEdit");
        EXPECT_NE(edit, nullptr);
        if (edit) edit->setText("picked");
        if (const char* pictures = std::getenv("KTRB_PICTURE_DIR"))
            SaveScreenshot(&f, std::string(pictures) + "/save-dialog.png");
        QMetaObject::invokeMethod(chooser, "accept");
        return f.ModalResult();
    });
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(ExtractFileName(dialog.FileName), "picked.txt");
}

}  // namespace
}  // namespace plat
