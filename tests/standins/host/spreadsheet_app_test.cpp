#include "standins/servers/spreadsheet_app.h"

#include <gtest/gtest.h>

#include "platform/automation/oleobject.h"
#include "platform/system/desktop.h"
#include "platform/system/temp_dir.h"
#include "platform/system/xls_reader.h"
#include "standins/servers/suite_registration.h"

using plat::DispatchPtr;
using plat::Variant;

namespace {

DispatchPtr D(const Variant& v) {
    return v.AsDispatch();
}

class SpreadsheetApp : public ::testing::Test {
  protected:
    SpreadsheetApp() {
        app = plat::CreateOleObject("Excel.Application");
        book = D(D(app->Get("Workbooks"))->Call("Add"));
        sheet = D(book->Get("ActiveSheet"));
    }
    DispatchPtr Cell(int row, int col) { return D(sheet->GetIndexed("Cells", row, col)); }

    TempDir dir;
    std::vector<std::unique_ptr<plat::OleFactoryScope>> servers =
        standin::RegisterSuiteServers(std::make_shared<standin::SuiteServices>());
    DispatchPtr app, book, sheet;
};

TEST_F(SpreadsheetApp, CellsTakeValuesFormatsAndFontsAndSaveAsXls) {
    sheet->Put("Name", "KTRB52");
    sheet->PutIndexed("Cells", Variant("0012"), 1, 1);  // general: becomes a number
    Cell(1, 2)->Put("NumberFormatLocal", "@");
    sheet->PutIndexed("Cells", Variant("0012"), 1, 2);  // text format: stays text
    Cell(1, 3)->Put("NumberFormatLocal", "#,##0.00_ ");
    sheet->PutIndexed("Cells", Variant(1234.5), 1, 3);
    Cell(1, 4)->Put("NumberFormat", "0_ ");
    Cell(1, 4)->Put("NumberFormatLocal", "G/通用格式");
    Cell(1, 4)->Put("Value", "12.5e1");
    D(Cell(2, 1)->Get("Font"))->Put("ColorIndex", 3);
    Cell(2, 1)->Put("Value", "Error!");
    DispatchPtr font = D(Cell(2, 2)->Get("Font"));
    font->Put("color", 255);
    font->Put("FontStyle", "Bold");
    sheet->PutIndexed("Cells", Variant("收货 12"), 2, 2);
    EXPECT_EQ(Cell(1, 1)->Get("Value").AsFloat(), 12);
    EXPECT_EQ(D(Cell(2, 2)->Get("Font"))->Get("ColorIndex").AsInteger(), 3);
    Cell(3, 3)->Call("Select");
    D(app->Get("Selection"))->Put("Value", "7");
    EXPECT_EQ(D(app->Get("Selection"))->Get("Row").AsInteger(), 3);

    book->Call("SaveAs", dir / "out.xls");
    const XlsSheet s = ReadXls(dir / "out.xls");
    ASSERT_TRUE(s.ok);
    EXPECT_EQ(s.name, "KTRB52");
    EXPECT_EQ(s.at(0, 0).kind, 2);
    EXPECT_EQ(s.at(0, 0).number, 12);
    EXPECT_EQ(s.at(0, 1).text, "0012");
    EXPECT_EQ(s.at(0, 1).format, "@");
    EXPECT_EQ(s.at(0, 2).number, 1234.5);
    EXPECT_EQ(s.at(0, 2).format, "#,##0.00_ ");
    EXPECT_EQ(s.at(0, 3).number, 125);
    EXPECT_EQ(s.at(0, 3).format, "General");
    EXPECT_EQ(s.at(1, 0).text, "Error!");
    EXPECT_EQ(s.at(1, 0).fontColour, 10);
    EXPECT_EQ(s.at(1, 1).text, "收货 12");
    EXPECT_EQ(s.at(1, 1).fontColour, 10);
    EXPECT_TRUE(s.at(1, 1).bold);
    EXPECT_EQ(s.at(2, 2).number, 7);
}

TEST_F(SpreadsheetApp, RefusesCellsOutsideTheSheetAndFailedSaves) {
    EXPECT_THROW(Cell(0, 1), plat::EOleException);
    EXPECT_THROW(Cell(1, 257), plat::EOleException);
    EXPECT_THROW(sheet->PutIndexed("Cells", Variant(1), 65537, 1), plat::EOleException);
    EXPECT_THROW(D(Cell(1, 1)->Get("Font"))->Put("ColorIndex", 57), plat::EOleException);
    EXPECT_THROW(book->Call("SaveAs", dir / "missing/out.xls"), plat::EOleException);
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

// Without a desktop window, showing the application opens its saved files.
TEST_F(SpreadsheetApp, VisibleOpensSavedWorkbooksAndQuitLetsThemGo) {
    plat::TRecordingLauncher launcher;
    plat::DesktopLauncherOverride guard(launcher);
    app->Put("Visible", true);
    EXPECT_TRUE(launcher.Opened().empty());
    app->Put("Visible", false);
    book->Call("SaveAs", dir / "a.xls");
    app->Put("Visible", true);
    EXPECT_EQ(launcher.Opened(), std::vector<std::string>{dir / "a.xls"});
    app->Call("Quit");
    EXPECT_EQ(D(app->Get("Workbooks"))->Get("Count").AsInteger(), 0);
    EXPECT_TRUE(app->Get("ActiveSheet").IsEmpty());
}

}  // namespace
