// Export of a receipt browse of 100,000 rows by 20 columns to an .xls file,
// both ways (written directly; through the spreadsheet application with
// number formats), with a progress sink stepping once per row. A sheet holds
// 65535 data rows, so each export writes 65536 rows of 20 cells; the rate
// counts those cells. The baseline is the workbook writer alone, given the
// same cells.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "dataframe/SingleCD.h"
#include "forms/OleExcel.h"
#include "forms/ShowStatusCF.h"
#include "platform/automation/oleobject.h"
#include "platform/data/clientdataset.h"
#include "platform/data/provider.h"
#include "platform/system/files.h"
#include "platform/system/xlsworkbook.h"
#include "platform/ui/extctrls.h"
#include "runtime/Brokers.h"
#include "standins/servers/spreadsheet_app.h"

namespace {

// The progress window draws offscreen unless the caller chose a platform.
const int kOffscreenDefault = ::setenv("QT_QPA_PLATFORM", "offscreen", 0);

namespace fs = std::filesystem;
using plat::TFieldType;
using plat::Variant;

constexpr int kRows = 100000, kCols = 20, kWrittenRows = 65536;

std::vector<plat::TPacketField> Layout() {
    using plat::PacketField;
    std::vector<plat::TPacketField> f = {PacketField("TH001", TFieldType::ftString, 4),
                                         PacketField("TH002", TFieldType::ftString, 11),
                                         PacketField("TH003", TFieldType::ftString, 8),
                                         PacketField("TH004", TFieldType::ftString, 6),
                                         PacketField("TH005", TFieldType::ftString, 10),
                                         PacketField("TH005C", TFieldType::ftString, 60),
                                         PacketField("TH007", TFieldType::ftString, 4),
                                         PacketField("TH010", TFieldType::ftString, 60),
                                         PacketField("TH023", TFieldType::ftString, 1),
                                         PacketField("TH029", TFieldType::ftString, 8),
                                         PacketField("TH008", TFieldType::ftInteger),
                                         PacketField("TH009", TFieldType::ftInteger)};
    for (const char* name :
         {"TH018", "TH019", "TH020", "TH021", "TH022", "TH025", "TH027", "TH030"})
        f.push_back(PacketField(name, TFieldType::ftFloat));
    return f;
}

std::vector<plat::TPacketRow> Rows() {
    std::vector<plat::TPacketRow> rows;
    rows.reserve(kRows);
    char number[16];
    for (int i = 0; i < kRows; ++i) {
        std::snprintf(number, sizeof number, "2024%07d", i);
        plat::TPacketRow r;
        r.values = plat::TValueRow({Variant("5901"),
                                    Variant(number),
                                    Variant("20240315"),
                                    Variant("F01"),
                                    Variant("S" + std::to_string(i % 500)),
                                    Variant("委外加工厂" + std::to_string(i % 500)),
                                    Variant("NTD"),
                                    Variant("备注 " + std::to_string(i)),
                                    Variant("N"),
                                    Variant("20240315"),
                                    Variant(i % 7),
                                    Variant(i),
                                    Variant(1.5 * i),
                                    Variant(0.05),
                                    Variant(100.25 + i),
                                    Variant(-3.75),
                                    Variant(12.0),
                                    Variant(i * 0.01),
                                    Variant(7.125),
                                    Variant(0.17)});
        rows.push_back(std::move(r));
    }
    return rows;
}

struct Progress : ktrb::IExportProgress {
    int position = 0, max = 0;
    void Start(const std::string&, int, int m) override { max = m; }
    void SetMax(int m) override { max = m; }
    void Step() override {
        if (position < max) ++position;
    }
    void Finish() override {}
};

// The progress window itself as the sink; what it showed is kept for the
// counters after the export has freed it.
struct WindowShown {
    int repaints = 0, position = 0, max = 0;
};

struct WindowProgress : ktrb::IExportProgress {
    explicit WindowProgress(WindowShown& shown)
        : shown(shown), window(plat::CreateForm<ktrb::TfrmShowStatus>(nullptr)) {}
    ~WindowProgress() override {
        shown.repaints = window->Repaints;
        shown.position = window->StatusBar->Progress();
        shown.max = window->StatusBar->MaxValue();
        window->Free();
    }
    void Start(const std::string& text, int min, int max) override {
        window->Start(text, min, max);
    }
    void SetMax(int max) override { window->SetMax(max); }
    void Step() override { window->Step(); }
    bool Cancelled() override { return window->Cancelled(); }
    void Finish() override { window->Finish(); }
    WindowShown& shown;
    ktrb::TfrmShowStatus* window;
};

// The owner form as the module sees it: a client folder, answers No to
// every question, and a progress sink.
class Owner : public plat::TComponent,
              public ktrb::IDataModuleOwner,
              public ktrb::ISingleModuleOwner {
  public:
    Owner() : TComponent(nullptr) {}
    std::string client;
    bool withWindow = false;
    WindowShown shown;
    ktrb::TFormMode FormMode() const override { return ktrb::TFormMode::Browse; }
    bool ValidateRequiredFields(plat::TDataSet*) override { return true; }
    void ApplyRecordRights(plat::TDataSet*) override {}
    Variant ConvertByDisplayMode(const Variant& v) override { return v; }
    Variant RevertByDisplayMode(const Variant& v) override { return v; }
    int ShowMessageBox(const std::string&, ktrb::TMsgDlgType,
                       const ktrb::TMsgDlgButtons&) override {
        return ktrb::modal::No;
    }
    std::string ClientFolder() const override { return client; }
    std::unique_ptr<ktrb::IExportProgress> CreateProgressWindow() override {
        if (withWindow) return std::make_unique<WindowProgress>(shown);
        return std::make_unique<Progress>();
    }
};

struct Browse {
    Browse() : provider("pvdBrowse", Layout(), Rows()) {
        char folder[] = "/tmp/ktrb-bench-XXXXXX";
        owner.client = std::string(::mkdtemp(folder)) + "/";
        fs::create_directories(owner.client + "c_data");
        dm = new ktrb::TdmSingle(&owner);
        broker.UserID = "DS";
        broker.ProgramCode = "KTRB52";
        dm->Broker = &broker;
        cds.SetProvider(&provider);
        cds.Open();
        ktrb::RegisterOleExcelClass();
    }
    ~Browse() {
        delete dm;
        fs::remove_all(owner.client);
    }
    void Clean() { fs::remove_all(owner.client + "c_data/DS"); }

    plat::TMemoryProvider provider;
    plat::TClientDataSet cds;
    Owner owner;
    ktrb::TBrokers broker;
    ktrb::TdmSingle* dm;
    plat::OleFactoryScope excel{ktrb::kExcelProgID,
                                [] { return standin::CreateSpreadsheetApplication(); }};
};

Browse& TheBrowse() {
    static Browse browse;
    return browse;
}

void cellRate(benchmark::State& state) {
    state.counters["cells/s"] = benchmark::Counter(
        (double)kWrittenRows * kCols * state.iterations(), benchmark::Counter::kIsRate);
}

// One export per iteration; the file it wrote is removed outside the timing.
template <class Export>
void runExports(benchmark::State& state, Export exportOnce) {
    Browse& b = TheBrowse();
    for (auto _ : state) {
        exportOnce(b);
        state.PauseTiming();
        b.Clean();
        state.ResumeTiming();
    }
    cellRate(state);
}

void BM_ExportToXlsFile(benchmark::State& state) {
    runExports(state, [](Browse& b) { b.dm->ExportToXlsFile(&b.cds, nullptr); });
}
BENCHMARK(BM_ExportToXlsFile)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ExportToExcelWithFormat(benchmark::State& state) {
    runExports(state, [](Browse& b) { b.dm->ExportToExcel(&b.cds, nullptr, true); });
}
BENCHMARK(BM_ExportToExcelWithFormat)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same export with the progress window on screen: the window is
// brought up to date during the run (counter "updates") and ends full.
void BM_ExportToXlsFileWithProgressWindow(benchmark::State& state) {
    Browse& b = TheBrowse();
    b.owner.withWindow = true;
    runExports(state, [](Browse& b) { b.dm->ExportToXlsFile(&b.cds, nullptr); });
    b.owner.withWindow = false;
    state.counters["updates"] = b.owner.shown.repaints;
    state.counters["gauge"] =
        b.owner.shown.max ? 100.0 * b.owner.shown.position / b.owner.shown.max : 0.0;
}
BENCHMARK(BM_ExportToXlsFileWithProgressWindow)->Unit(benchmark::kMillisecond)->UseRealTime();

// Baseline: the same cells given to the workbook writer and saved.
void BM_WorkbookWriterAlone(benchmark::State& state) {
    Browse& b = TheBrowse();
    const std::string file = b.owner.client + "baseline.xls";
    for (auto _ : state) {
        plat::TXlsWorkbook book("KTRB52");
        for (int c = 0; c < kCols; ++c) book.SetText(0, c, b.cds.Fields()[c]->FieldName());
        int row = 1;
        for (b.cds.First(); !b.cds.Eof() && row < kWrittenRows; b.cds.Next(), ++row)
            for (int c = 0; c < kCols; ++c) {
                plat::TField* f = b.cds.Fields()[c];
                if (f->DataType() == TFieldType::ftString)
                    book.SetText(row, c, f->AsString());
                else
                    book.SetNumber(row, c, f->AsFloat());
            }
        book.SaveToFile(file);
    }
    cellRate(state);
}
BENCHMARK(BM_WorkbookWriterAlone)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
