#include "forms/OleExcel.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <limits>

#include "dataframe/doc_fixture.h"
#include "platform/automation/oleobject.h"
#include "platform/component/classes.h"
#include "platform/core/text.h"
#include "platform/data/clientdataset.h"
#include "platform/system/desktop.h"
#include "platform/system/temp_dir.h"
#include "platform/system/xls_reader.h"
#include "standins/servers/spreadsheet_app.h"

namespace ktrb::test {
namespace {

namespace fs = std::filesystem;
using plat::PacketField;
using plat::TFieldType;

// The stand-in application, counting the instances made and quit.
struct Apps {
    int quits = 0;
    std::vector<std::weak_ptr<plat::Dispatch>> made;
};

class CountingApp : public plat::Dispatch {
  public:
    CountingApp(Apps& apps) : apps_(apps), inner_(standin::CreateSpreadsheetApplication()) {}
    bool HasMember(std::string_view name) const override { return inner_->HasMember(name); }

  protected:
    plat::Variant DoInvoke(std::string_view name, plat::DispatchKind kind,
                           plat::DispArgs args) override {
        if (plat::SameText(std::string(name), "Quit")) ++apps_.quits;
        return inner_->Invoke(name, kind, args);
    }

  private:
    Apps& apps_;
    plat::DispatchPtr inner_;
};

class OleExcelTest : public ::testing::Test {
  protected:
    OleExcelTest() { RegisterOleExcelClass(); }
    ~OleExcelTest() override { UnregisterOleExcelClass(); }

    Apps apps;
    plat::OleFactoryScope excel{kExcelProgID, [this] {
                                    auto app = std::make_shared<CountingApp>(apps);
                                    apps.made.push_back(app);
                                    return plat::DispatchPtr(app);
                                }};
    TempDir dir;
    TOLEExcel xl{nullptr};
};

TEST_F(OleExcelTest, NumberFormatByTypeDecimalsAndThousandSign) {
    struct Case {
        TNumberType type;
        int decimals;
        const char* sign;
        const char* format;
    } cases[] = {
        {TNumberType::tp_Number1, 2, ",", "#,##0.00_);(#,##0.00)"},
        {TNumberType::tp_Number2, 2, ",", "#,##0.00_);(#,##0.00)"},
        {TNumberType::tp_Number3, 2, ",", "#,##0.00;#,##0.00"},
        {TNumberType::tp_Number4, 2, ",", "#,##0.00_ "},
        {TNumberType::tp_Number5, 2, ",", "#,##0.00_ ;-#,##0.00 "},
        {TNumberType::tp_Number4, 0, ",", "#,##0_ "},
        {TNumberType::tp_Number1, 2, "", "0.00_);(0.00)"},
        {TNumberType::tp_Number3, 2, "", "0.00;0.00"},
        {TNumberType::tp_Number4, 2, "", "0.00_ "},
        {TNumberType::tp_Number5, 3, "", "0.000_ ;-0.000 "},
        {(TNumberType)7, 2, ",", ""},
    };
    for (const Case& c : cases) {
        xl.NumberType = c.type;
        xl.SetDecimals((uint16_t)c.decimals);
        xl.ThousandSign = c.sign;
        std::string format = "x";
        xl.GetNumberFormat(format);
        EXPECT_EQ(format, c.format) << (int)c.type << " " << c.decimals << " '" << c.sign << "'";
    }
    EXPECT_EQ(TOLEExcel::CompareFloat(-0.000000001, 0), 0);
    EXPECT_EQ(TOLEExcel::CompareFloat(-0.01, 0), -1);
    EXPECT_EQ(TOLEExcel::CompareFloat(0.01, 0), 1);
}

// Each writer formats the cell it writes; cell (1, 1) is left alone.
TEST_F(OleExcelTest, WritersFormatTheCellTheyWriteAndPaintNegativesRed) {
    xl.SetConnected(true);
    xl.NewWorkbook();
    xl.SetSheetName("委外进货");
    TExcelFont font;
    font.Bold = true;
    xl.WriteText(3, 2, nullptr, true, "0012");
    xl.WriteText(3, 3, nullptr, false, "0012");
    xl.WriteText(3, 4, &font, true, "收货");
    xl.WriteInteger(4, 2, true, 42);
    xl.WriteInteger(4, 3, false, 7);
    xl.SetDecimals(2);
    xl.WriteFloat(5, 2, nullptr, true, -3.5);  // no font: never red
    xl.WriteFloat(5, 3, &font, true, -0.01);
    xl.WriteFloat(5, 4, &font, true, -0.000000001);
    xl.SaveAs(dir / "w.xls");

    const XlsSheet s = ReadXls(dir / "w.xls");
    ASSERT_TRUE(s.ok);
    EXPECT_EQ(s.name, "委外进货");
    EXPECT_EQ(s.at(0, 0).kind, 0);  // never written, never formatted
    EXPECT_EQ(s.at(2, 1).text, "0012");
    EXPECT_EQ(s.at(2, 1).format, "@");
    EXPECT_EQ(s.at(2, 2).kind, 2);  // not as text: the application reads a number
    EXPECT_EQ(s.at(2, 3).text, "收货");
    EXPECT_TRUE(s.at(2, 3).bold);
    EXPECT_EQ(s.at(3, 1).number, 42);
    EXPECT_EQ(s.at(3, 1).format, "0_ ");
    EXPECT_EQ(s.at(3, 2).format, "General");
    EXPECT_EQ(s.at(4, 1).number, -3.5);
    EXPECT_EQ(s.at(4, 1).format, "#,##0.00_ ");
    EXPECT_EQ(s.at(4, 1).fontColour, 0x7FFF);
    EXPECT_EQ(s.at(4, 2).fontColour, 10);  // red
    EXPECT_TRUE(s.at(4, 2).bold);
    EXPECT_EQ(s.at(4, 3).fontColour, 0x7FFF);
}

TEST_F(OleExcelTest, ConnectStartsANewApplicationEachTimeAndDisconnectQuits) {
    xl.SetVisible(true);  // nothing to show yet: stays false
    EXPECT_FALSE(xl.Visible());
    xl.SetConnected(true);
    xl.SetConnected(true);
    ASSERT_EQ(apps.made.size(), 2u);
    EXPECT_TRUE(apps.made[0].expired());  // the first is no longer held
    EXPECT_EQ(apps.quits, 0);
    xl.NewWorkbook();
    xl.SetConnected(false);
    EXPECT_EQ(apps.quits, 1);
    EXPECT_FALSE(xl.Connected());
    EXPECT_TRUE(xl.Worksheet().IsEmpty());
    xl.SaveAs(dir / "none.xls");  // no workbook: nothing happens
    EXPECT_FALSE(fs::exists(dir / "none.xls"));

    xl.SetAutoCloseExcel(false);
    xl.SetConnected(true);
    xl.SetConnected(false);
    EXPECT_EQ(apps.quits, 1);
    plat::OleFactoryScope missing(kExcelProgID, [] { return plat::DispatchPtr(); });
    EXPECT_THROW(xl.SetConnected(true), plat::EOleSysError);
}

// ---- the data modules' export through the application ----

class ExportForm : public DocForm {
  public:
    using DocForm::DocForm;
    std::string client;
    std::string ClientFolder() const override { return client; }
};

class ExcelExport : public OleExcelTest {
  protected:
    ExcelExport()
        : browse(
              "pvdBrowse",
              {PacketField("CODE", TFieldType::ftString, 10),
               PacketField("QTY", TFieldType::ftInteger), PacketField("PRICE", TFieldType::ftFloat),
               PacketField("RATE", TFieldType::ftFloat), PacketField("OK", TFieldType::ftBoolean)},
              {row("0012", 3, 1.5, 0.17, true), row("螺丝", -2, -4.25, 0, false)}),
          dm(&form, DocFields()) {
        form.client = dir.path();
        form.broker->UserID = "DS";
        form.broker->ProgramCode = "KTRB52";
        form.answer = modal::No;
        fs::create_directories(dir / "c_data");
        cds.SetProvider(&browse);
        cds.Open();
        cds.FieldByName("RATE")->SetEditMask(dm.PercentFieldEditMask());
    }
    static plat::TPacketRow row(const char* code, int qty, double price, double rate, bool ok) {
        plat::TPacketRow r;
        r.values = plat::TValueRow({plat::Variant(code), plat::Variant(qty), plat::Variant(price),
                                    plat::Variant(rate), plat::Variant(ok)});
        return r;
    }
    std::string ExportedFile() {
        std::vector<std::string> files;
        if (fs::is_directory(dir / "c_data/DS"))
            for (const auto& e : fs::directory_iterator(dir / "c_data/DS"))
                files.push_back(e.path().string());
        EXPECT_EQ(files.size(), 1u);
        return files.empty() ? std::string() : files[0];
    }

    ExportForm form;
    plat::TMemoryProvider browse;
    plat::TClientDataSet cds;
    DocModule dm;
    plat::TRecordingLauncher launcher;
    plat::DesktopLauncherOverride launcherGuard{launcher};
};

TEST_F(ExcelExport, WithFormatTypesAndFormatsEveryCell) {
    form.answer = modal::Yes;
    EXPECT_TRUE(dm.ExportToExcel(&cds, &form, true));
    const std::string file = ExportedFile();
    ASSERT_EQ(form.messageBoxes.size(), 1u);
    EXPECT_EQ(form.messageBoxes[0], "转出文档: \r" + file + "\r\r是否打开文档?");
    EXPECT_EQ(launcher.Opened(), std::vector<std::string>{file});  // Yes shows the workbook

    const XlsSheet s = ReadXls(file);
    ASSERT_TRUE(s.ok);
    EXPECT_EQ(s.name, "KTRB52");
    EXPECT_EQ(s.rows, 3);
    EXPECT_EQ(s.at(0, 0).text, "CODE");
    EXPECT_EQ(s.at(1, 0).text, "0012");
    EXPECT_EQ(s.at(1, 0).format, "@");
    EXPECT_EQ(s.at(2, 0).text, "螺丝");
    EXPECT_EQ(s.at(1, 1).number, 3);
    EXPECT_EQ(s.at(1, 1).format, "0_ ");
    EXPECT_EQ(s.at(1, 2).number, 1.5);
    EXPECT_EQ(s.at(1, 2).format, "#,##0.0_ ");  // no format nor kind: the decimals it shows
    EXPECT_EQ(s.at(2, 2).number, -4.25);
    EXPECT_EQ(s.at(2, 2).format, "0.00");  // negatives: their decimals, no number type
    EXPECT_EQ(s.at(1, 3).text, "0.17");    // percent: its display text
    EXPECT_EQ(s.at(1, 4).text, "Y");
    EXPECT_EQ(s.at(2, 4).text, "N");
}

TEST_F(ExcelExport, WithoutFormatNumbersAreTexts) {
    EXPECT_TRUE(dm.ExportToExcelPlain(&cds, &form));
    const XlsSheet s = ReadXls(ExportedFile());
    ASSERT_TRUE(s.ok);
    EXPECT_EQ(s.at(1, 1).text, "3");
    EXPECT_EQ(s.at(2, 2).text, "-4.25");
    EXPECT_EQ(apps.quits, 1);  // No: the application is let go
    EXPECT_TRUE(launcher.Opened().empty());
}

TEST_F(ExcelExport, FailuresWarnAndWriteNothing) {
    {
        plat::OleFactoryScope missing(kExcelProgID, [] { return plat::DispatchPtr(); });
        EXPECT_TRUE(dm.ExportToExcel(&cds, &form, true));
    }
    EXPECT_EQ(form.messageBoxes, std::vector<std::string>{"创建新的 EXCEL 文件"});

    form.messageBoxes.clear();
    fs::remove_all(dir / "c_data");
    EXPECT_TRUE(dm.ExportToExcel(&cds, &form, true));
    EXPECT_EQ(form.messageBoxes,
              std::vector<std::string>{"创建目录" + dir.path() + "c_data/DS失败!"});

    form.messageBoxes.clear();
    fs::create_directories(dir / "c_data/DS");
    {
        FileSizeLimit full(1000);
        EXPECT_TRUE(dm.ExportToExcel(&cds, &form, true));
    }
    ASSERT_EQ(form.messageBoxes.size(), 1u);
    EXPECT_TRUE(
        form.messageBoxes[0].starts_with("保存为----> " + dir.path() + "c_data/DS/KTRB52_"));
    EXPECT_TRUE(fs::is_empty(dir / "c_data/DS"));
}

// A cell the application refuses shows "Error!" in red; the export goes on.
TEST_F(ExcelExport, RefusedCellShowsErrorInRed) {
    cds.Close();
    browse.Rows()[0] = row("0012", 3, std::numeric_limits<double>::infinity(), 0.17, true);
    cds.Open();
    EXPECT_TRUE(dm.ExportToExcel(&cds, &form, true));
    const XlsSheet s = ReadXls(ExportedFile());
    ASSERT_TRUE(s.ok);
    EXPECT_EQ(s.at(1, 2).text, "Error!");
    EXPECT_EQ(s.at(1, 2).fontColour, 10);
    EXPECT_EQ(s.at(1, 3).kind, 1);  // the next cell was still written
}

class BodyExcelExport : public ExcelExport {
  protected:
    BodyExcelExport() {
        provider.Rows() = {
            DocRow("5901", "20240001",
                   {{"0001", "A1001", "W01", "1", 2, 10.5}, {"0002", "B", "W02", "2", 3, -1}}),
            DocRow("5901", "20240002", {})};
        form.broker->HostParams().SetText("M11_KEY=TH001,TH002\r\nD11_KEY=TI001,TI002,TI003\r\n");
        dm.cdsMain->SetProvider(&provider);
        EXPECT_TRUE(dm.InitDataModule());
        for (const char* name : {"TI001", "TI002", "TI003", "TI009", "TI035", "TI007", "FLAG"})
            dm.cdsBody1->FieldByName(name)->SetVisible(false);
    }
    plat::TMemoryProvider provider{"pvdMain", DocFields()};
};

TEST_F(BodyExcelExport, LinesWithoutFormatTakeTheDecimalsTheyShow) {
    dm.ExportBodyToExcel(dm.cdsMain, dm.cdsBody1, &form, false);
    const XlsSheet s = ReadXls(ExportedFile());
    ASSERT_TRUE(s.ok);
    EXPECT_EQ(s.rows, 3);
    EXPECT_EQ(s.at(0, 1).text, "TH002");
    EXPECT_EQ(s.at(2, 1).text, "20240001");
    EXPECT_EQ(s.at(2, 2).text, "B");
    EXPECT_EQ(s.at(1, 3).kind, 2);
    EXPECT_EQ(s.at(1, 3).number, 10.5);
    EXPECT_EQ(s.at(1, 3).format, "0.0");
    EXPECT_EQ(s.at(2, 3).number, -1);
    EXPECT_EQ(s.at(2, 3).format, "0");
}

}  // namespace
}  // namespace ktrb::test
