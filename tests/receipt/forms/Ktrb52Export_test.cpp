// The receipt's browse and lines exported to an .xls file, read back.
#include <cstdlib>
#include <filesystem>

#include "platform/core/numbers.h"
#include "platform/system/xls_reader.h"
#include "receipt/forms/receipt_form_fixture.h"

namespace ktrb::test {
namespace {

namespace fs = std::filesystem;

class ReceiptExportTest : public ReceiptFormTest {
  protected:
    // The sheet of the one file in the user's export folder, emptied after.
    XlsSheet Exported() {
        const fs::path folder = installation.client() + "c_data/DS";
        std::vector<fs::path> files;
        if (fs::is_directory(folder))
            for (const auto& e : fs::directory_iterator(folder)) files.push_back(e.path());
        EXPECT_EQ(files.size(), 1u);
        XlsSheet s = files.empty() ? XlsSheet{} : ReadXls(files[0].string());
        // Kept for a look with a spreadsheet program where KTRB_SHOTS names.
        if (!files.empty() && std::getenv("KTRB_SHOTS"))
            fs::copy_file(files[0], ShotPath("receipt_export_" + std::to_string(++kept_) + ".xls"),
                          fs::copy_options::overwrite_existing);
        fs::remove_all(folder);
        return s;
    }
    int kept_ = 0;
    // The column of a title, or -1.
    static int Column(const XlsSheet& s, const std::string& title) {
        for (int c = 0; c < s.cols; ++c)
            if (s.at(0, c).text == title) return c;
        return -1;
    }
};

// The project placeholder reads as no project, as the form shows it; coded
// columns are written in the texts the form shows under each language.
TEST_F(ReceiptExportTest, PlaceholdersAndCodedColumnsAsTheFormShowsThem) {
    server->Db().Exec(
        "UPDATE MOCTH SET TH045 = '********************', TH015 = '1' WHERE TH001 = '5901' AND "
        "TH002 = '20240108001'");
    server->Db().Exec(
        "UPDATE MOCTI SET TI032 = '********************' WHERE TI001 = '5901' AND "
        "TI002 = '20240108001'");
    struct Case {
        const char *ui, *taxKind;
    } cases[] = {{"936", "1.应税内含"}, {"950", nullptr}, {"437", nullptr}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ui);
        fs::remove_all(installation.client() + "MultiLanguage");  // copied again by Start
        Start({{"SYS180", "N"}}, c.ui);
        fs::create_directories(installation.client() + "c_data");
        form->Show();
        form->OpenDataSet(dm->cdsMain, "MOCTH.TH001 = '5901' AND MOCTH.TH002 = '20240108001'", "");
        ASSERT_EQ(dm->cdsMain->RecordCount(), 1);
        // The text the form shows under the interface's language.
        const std::string taxKind = c.taxKind ? c.taxKind : Head("TH015")->DisplayText();
        if (std::string(c.ui) == "437") {
            EXPECT_NE(taxKind, "1.应税内含");
        }
        EXPECT_EQ(Head("TH015")->DisplayText(), taxKind);

        // Straight into the file (the spreadsheet application's way is read back
        // in the forms' tests).
        for (bool application : {false}) {
            SCOPED_TRACE(application ? "application" : "file");
            if (application)
                dm->ExportToExcel(dm->cdsMain, form, true);
            else
                dm->ExportToXlsFile(dm->cdsMain, form);
            XlsSheet head = Exported();
            ASSERT_TRUE(head.ok) << head.error;
            // The question whether to open the file, in the interface's language.
            ASSERT_FALSE(form->messages.empty());
            const std::string& asked = form->messages.back();
            if (std::string(c.ui) == "437") {
                EXPECT_EQ(asked.rfind("box:Exported to:", 0), 0u) << asked;
            } else {
                EXPECT_NE(asked.find(form->QvConverter->GBToBig5("是否打开文档?")),
                          std::string::npos)
                    << asked;
            }
            const int tax = Column(head, Head("TH015")->DisplayLabel());
            ASSERT_GE(tax, 0);
            EXPECT_EQ(head.at(1, tax).text, taxKind);
            const int project = Column(head, Head("TH045")->DisplayLabel());
            if (project >= 0) {
                EXPECT_EQ(head.at(1, project).text, "");
            }
            // A computed total with the decimals the form shows.
            const int total = Column(head, Head("TH018")->DisplayLabel());
            ASSERT_GE(total, 0);
            EXPECT_EQ(head.at(1, total).kind, 2);
            EXPECT_EQ(head.at(1, total).number,
                      std::stod(plat::FormatFixed(Head("TH018")->AsFloat(), 2)));

            if (application)
                dm->ExportBodyToExcel(dm->cdsMain, dm->cdsBody1, form, true);
            else
                dm->ExportBodyToXlsFile(dm->cdsMain, dm->cdsBody1, form);
            XlsSheet lines = Exported();
            ASSERT_TRUE(lines.ok) << lines.error;
            ASSERT_GT(lines.rows, 1);
            const int lineProject = Column(lines, Line("TI032")->DisplayLabel());
            ASSERT_GE(lineProject, 0);
            EXPECT_EQ(lines.at(1, lineProject).text, "");
        }
        form->Free();
        form = nullptr;
    }
}

}  // namespace
}  // namespace ktrb::test
