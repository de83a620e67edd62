// Export of browse data written directly as an .xls file, read back by an
// independent reader.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "doc_fixture.h"
#include "platform/data/clientdataset.h"
#include "platform/system/desktop.h"
#include "platform/system/temp_dir.h"
#include "platform/system/xls_reader.h"

namespace ktrb::test {
namespace {

namespace fs = std::filesystem;
using plat::PacketField;
using plat::TFieldType;

struct ProgressLog {
    std::vector<std::string> calls;  // "start text min max", "max n", "finish"
    int steps = 0;
    int cancelAfter = -1;
};

class Progress : public IExportProgress {
  public:
    explicit Progress(ProgressLog& log) : log_(log) {}
    void Start(const std::string& text, int min, int max) override {
        log_.calls.push_back("start " + text + " " + std::to_string(min) + " " +
                             std::to_string(max));
    }
    void SetMax(int max) override { log_.calls.push_back("max " + std::to_string(max)); }
    void Step() override { ++log_.steps; }
    bool Cancelled() override { return log_.steps == log_.cancelAfter; }
    void Finish() override { log_.calls.push_back("finish"); }

  private:
    ProgressLog& log_;
};

class ExportForm : public DocForm {
  public:
    using DocForm::DocForm;
    std::string client;
    ProgressLog progress;
    std::string ClientFolder() const override { return client; }
    std::unique_ptr<IExportProgress> CreateProgressWindow() override {
        return std::make_unique<Progress>(progress);
    }
};

class ExportTest : public ::testing::Test {
  protected:
    explicit ExportTest(std::vector<plat::TPacketRow> rows = {})
        : provider("pvdMain", DocFields(), std::move(rows)), dm(&form, DocFields()) {
        form.client = dir.path();
        form.broker->UserID = "DS";
        form.broker->ProgramCode = "KTRB52";
        form.broker->HostParams().SetText("M11_KEY=TH001,TH002\r\nD11_KEY=TI001,TI002,TI003\r\n");
        form.answer = modal::No;
        dm.cdsMain->SetProvider(&provider);
        fs::create_directories(dir / "c_data");
    }
    // The one file the export wrote.
    std::string ExportedFile() {
        const std::string folder = dir / "c_data/DS";
        std::vector<std::string> files;
        if (fs::is_directory(folder))
            for (const auto& e : fs::directory_iterator(folder)) files.push_back(e.path().string());
        EXPECT_EQ(files.size(), 1u);
        return files.empty() ? std::string() : files[0];
    }

    TempDir dir;
    ExportForm form;
    plat::TMemoryProvider provider;
    DocModule dm;
    plat::TRecordingLauncher launcher;
    plat::DesktopLauncherOverride launcherGuard{launcher};
};

// A browse of every field kind the export treats apart.
class BrowseExport : public ExportTest {
  protected:
    BrowseExport()
        : browse(
              "pvdBrowse",
              {PacketField("CODE", TFieldType::ftString, 10),
               PacketField("NAME", TFieldType::ftWideString, 40),
               PacketField("QTY", TFieldType::ftInteger), PacketField("PRICE", TFieldType::ftFloat),
               PacketField("AMOUNT", TFieldType::ftCurrency),
               PacketField("OK", TFieldType::ftBoolean),
               PacketField("HIDDEN", TFieldType::ftString, 10)},
              {row("0012", "委外加工", 3, 1.5, 10.25, true),
               row("A-1", "螺丝", -2, Variant(), 0, false)}) {
        cds.SetProvider(&browse);
        cds.Open();
        cds.FieldByName("HIDDEN")->SetVisible(false);
        cds.FieldByName("NAME")->SetDisplayLabel("品名");
    }
    static plat::TPacketRow row(const char* code, const char* name, int qty, Variant price,
                                double amount, bool ok) {
        plat::TPacketRow r;
        r.values = plat::TValueRow({Variant(code), Variant(name), Variant(qty), price,
                                    Variant(amount), Variant(ok), Variant("secret")});
        return r;
    }
    plat::TMemoryProvider browse;
    plat::TClientDataSet cds;
};

TEST_F(BrowseExport, FileWayWritesTitlesAndTypedCellsOfVisibleFields) {
    form.answer = modal::Yes;
    dm.ExportToXlsFile(&cds, &form);

    const std::string file = ExportedFile();
    EXPECT_TRUE(fs::path(file).filename().string().starts_with("KTRB52_"));
    EXPECT_EQ(fs::path(file).extension(), ".xls");
    EXPECT_EQ(fs::path(file).filename().string().size(),
              std::string("KTRB52_yyyymmddhhnnss.xls").size());
    const XlsSheet s = ReadXls(file);
    ASSERT_TRUE(s.ok);
    EXPECT_EQ(s.rows, 3);
    EXPECT_EQ(s.cols, 6);  // HIDDEN has no column
    const std::vector<std::string> titles = {"CODE", "品名", "QTY", "PRICE", "AMOUNT", "OK"};
    for (int c = 0; c < 6; ++c) EXPECT_EQ(s.at(0, c).text, titles[c]);
    EXPECT_EQ(s.at(1, 0).text, "0012");
    EXPECT_EQ(s.at(1, 1).text, "委外加工");
    EXPECT_EQ(s.at(1, 2).kind, 2);
    EXPECT_EQ(s.at(1, 2).number, 3);
    EXPECT_EQ(s.at(1, 3).number, 1.5);
    EXPECT_EQ(s.at(1, 4).kind, 1);  // currency goes as its text
    EXPECT_EQ(s.at(1, 5).text, "Y");
    EXPECT_EQ(s.at(2, 2).number, -2);
    EXPECT_EQ(s.at(2, 3).kind, 2);  // a null number of the browse is 0
    EXPECT_EQ(s.at(2, 3).number, 0);
    EXPECT_EQ(s.at(2, 5).text, "N");
    EXPECT_GT(s.widths.at(1), 0);

    ASSERT_EQ(form.messageBoxes.size(), 1u);
    EXPECT_EQ(form.messageBoxes[0], "转出文档: \r" + file + "\r\r是否打开文档?");
    EXPECT_EQ(launcher.Opened(), std::vector<std::string>{file});
    EXPECT_EQ(form.progress.calls,
              (std::vector<std::string>{"start 查询结果转 Excel 文件进度 0 2", "max 2", "finish"}));
    EXPECT_EQ(form.progress.steps, 2);
}

// Numbers carry the decimals the form shows them with, not the binary
// residue of the sums that made them.
TEST_F(BrowseExport, NumbersAreWrittenWithTheFieldsDecimals) {
    plat::TField* price = cds.FieldByName("PRICE");
    cds.First();
    cds.Edit();
    price->SetAsFloat(884.96 + 3e-13);
    cds.Post();
    cds.Next();
    cds.Edit();
    price->SetAsFloat(0.1 + 0.2);
    cds.Post();
    struct Case {
        const char* displayFormat;
        double first, second;
        const char* format;
    } cases[] = {{"#,##0.00", 884.96, 0.3, "0.00"},
                 {"0.0000", 884.96, 0.3, "0.0000"},
                 {"", 884.96, 0.3, "0.00"}};  // no format: the shortest text's decimals
    for (const Case& c : cases) {
        SCOPED_TRACE(c.displayFormat);
        fs::remove_all(dir / "c_data/DS");
        price->SetDisplayFormat(c.displayFormat);
        dm.ExportToXlsFile(&cds, &form);
        const XlsSheet s = ReadXls(ExportedFile());
        ASSERT_TRUE(s.ok) << s.error;
        EXPECT_EQ(s.at(1, 3).kind, 2);
        EXPECT_EQ(s.at(1, 3).number, c.first);
        EXPECT_EQ(s.at(2, 3).number, c.second);
        if (*c.displayFormat) {
            EXPECT_EQ(s.at(1, 3).format, c.format);
        }
        EXPECT_EQ(s.at(1, 2).number, 3);
        EXPECT_EQ(s.at(1, 2).format, "0");
    }
}

TEST_F(BrowseExport, ExportsWithinOneSecondEachKeepTheirFile) {
    for (int i = 0; i < 3; ++i) dm.ExportToXlsFile(&cds, &form);
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir / "c_data/DS")) {
        names.push_back(e.path().filename().string());
        EXPECT_TRUE(ReadXls(e.path().string()).ok) << names.back();
    }
    EXPECT_EQ(names.size(), 3u);
    // The messages name the file each export wrote.
    ASSERT_EQ(form.messageBoxes.size(), 3u);
    std::set<std::string> named(form.messageBoxes.begin(), form.messageBoxes.end());
    EXPECT_EQ(named.size(), 3u);
}

TEST_F(BrowseExport, ClosedOrEmptyDataSetExportsNothing) {
    plat::TClientDataSet closed;
    dm.ExportToXlsFile(&closed, &form);
    browse.Rows().clear();
    cds.Close();
    cds.Open();
    dm.ExportToXlsFile(&cds, &form);
    EXPECT_TRUE(form.messageBoxes.empty());
    EXPECT_FALSE(fs::exists(dir / "c_data/DS"));
}

TEST_F(BrowseExport, FailuresAreReportedAndLeaveNoFile) {
    fs::remove_all(dir / "c_data");
    dm.ExportToXlsFile(&cds, &form);
    const std::string folder = dir.path() + "c_data/DS";
    EXPECT_EQ(form.messageBoxes, std::vector<std::string>{"创建目录：" + folder + " 失败!"});
    EXPECT_FALSE(fs::exists(dir / "c_data"));

    fs::create_directories(folder);
    form.messageBoxes.clear();
    {
        FileSizeLimit full(1000);
        dm.ExportToXlsFile(&cds, &form);
    }
    ASSERT_EQ(form.messageBoxes.size(), 1u);
    EXPECT_TRUE(form.messageBoxes[0].starts_with("create file: " + folder + "/KTRB52_"));
    EXPECT_TRUE(fs::is_empty(folder));
    EXPECT_TRUE(launcher.Opened().empty());

    // A user code that would lead out of the export folder.
    form.messageBoxes.clear();
    form.broker->UserID = "..";
    dm.ExportToXlsFile(&cds, &form);
    EXPECT_EQ(form.messageBoxes,
              std::vector<std::string>{"创建目录：" + dir.path() + "c_data/.. 失败!"});
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST_F(BrowseExport, CancelledExportWritesNoFile) {
    form.progress.cancelAfter = 1;
    dm.ExportToXlsFile(&cds, &form);
    EXPECT_TRUE(form.messageBoxes.empty());
    EXPECT_TRUE(!fs::exists(dir / "c_data/DS") || fs::is_empty(dir / "c_data/DS"));
    EXPECT_EQ(form.progress.calls.back(), "finish");
}

std::vector<plat::TPacketRow> ManyLines() {
    std::vector<DocLine> lines;
    for (int i = 0; i < 70000; ++i)
        lines.push_back({std::to_string(i), "品" + std::to_string(i), "W01", "1", 1, 2});
    return {DocRow("5901", "20240001", {{"0001", "A1001", "W01", "1", 2, 10}}),
            DocRow("5901", "20240002", {}), DocRow("5902", "20240003", lines)};
}

class BodyExport : public ExportTest {
  protected:
    BodyExport() : ExportTest(ManyLines()) {
        EXPECT_TRUE(dm.InitDataModule());
        for (const char* name : {"TI001", "TI002", "TI009", "TI035", "TI007", "FLAG"})
            dm.cdsBody1->FieldByName(name)->SetVisible(false);
    }
};

// Rows of every header's lines led by the header key; a header without lines
// gives none; beyond 65535 lines a message first, then 65535 lines.
TEST_F(BodyExport, FileWayLeadsLinesWithHeaderKeysAndStopsAtTheSheetLimit) {
    dm.cdsMain->Last();
    const plat::TBookmark before = dm.cdsMain->GetBookmark();
    dm.ExportBodyToXlsFile(dm.cdsMain, dm.cdsBody1, &form);

    ASSERT_EQ(form.messageBoxes.size(), 2u);
    EXPECT_EQ(form.messageBoxes[0], "记录数超出65535条(共：70001条),系统将只输出前65535条记录！");
    EXPECT_EQ(form.progress.calls[1], "max 70001");
    EXPECT_EQ(form.progress.steps, 65535);
    EXPECT_TRUE(dm.cdsMain->GetBookmark() == before);  // position restored

    const XlsSheet s = ReadXls(ExportedFile());
    ASSERT_TRUE(s.ok);
    EXPECT_EQ(s.rows, 65536);
    const std::vector<std::string> titles = {"TH001", "TH002", "TI003", "TI004", "TI044"};
    ASSERT_EQ(s.cols, 5);
    for (int c = 0; c < 5; ++c) EXPECT_EQ(s.at(0, c).text, titles[c]);
    EXPECT_EQ(s.at(1, 1).text, "20240001");
    EXPECT_EQ(s.at(1, 4).number, 10);
    EXPECT_EQ(s.at(2, 1).text, "20240003");  // 20240002 has no lines
    EXPECT_EQ(s.at(2, 3).text, "品0");
    EXPECT_EQ(s.at(65535, 3).text, "品65533");
}

}  // namespace
}  // namespace ktrb::test
