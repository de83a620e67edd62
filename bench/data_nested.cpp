// A receipt-sized document: one header with 100,000 lines of 150 fields in
// its nested detail. Open from a provider packet, scroll, locate on an
// index, post 10,000 lines, total a float field, build the delta, cancel the
// updates; and the same rows read and written by SQLite directly (loaded at
// run time, so the benchmark links the data layer alone).
#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <malloc.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/data/clientdataset.h"
#include "platform/data/provider.h"

using namespace plat;

namespace {

constexpr int kLines = 100000;
constexpr int kLineFields = 150;

// Line layout: keys, item, CJK name and spec, 40 short codes, 12 empty
// user texts, 60 amounts (a third non-zero), 12 zero user numbers, the
// serial nest, filler codes up to 150.
std::vector<TPacketField> lineFields() {
    std::vector<TPacketField> f;
    auto s = [&](std::string n, int size) {
        f.push_back(PacketField(std::move(n), TFieldType::ftString, size));
    };
    auto d = [&](std::string n) { f.push_back(PacketField(std::move(n), TFieldType::ftFloat)); };
    s("TI001", 4);
    s("TI002", 11);
    s("TI003", 4);
    s("TI004", 20);
    s("TI005", 60);
    s("TI006", 60);
    for (int i = 0; i < 40; ++i) s("C" + std::to_string(i), 10);
    for (int i = 1; i <= 12; ++i) s("UDF" + std::to_string(i), 255);
    d("TI007");
    for (int i = 0; i < 59; ++i) d("A" + std::to_string(i));
    for (int i = 51; i <= 62; ++i) d("UDF" + std::to_string(i));
    f.push_back(PacketField("qryFoot", TFieldType::ftDataSet, 0,
                            {PacketField("MB001", TFieldType::ftString, 4),
                             PacketField("MB004", TFieldType::ftString, 255)}));
    while ((int)f.size() < kLineFields) s("F" + std::to_string(f.size()), 8);
    return f;
}

std::vector<Variant> lineValues(int i) {
    std::vector<Variant> v;
    char ln[16];
    std::snprintf(ln, sizeof ln, "%05d", i % 100000);
    v.push_back("A001");
    v.push_back("20240315001");
    v.push_back(std::string(ln));
    v.push_back("ITEM" + std::to_string(i));
    v.push_back("品名" + std::to_string(i % 997));
    v.push_back("规格 " + std::to_string(i % 31));
    for (int k = 0; k < 40; ++k)
        v.push_back(std::string(k % 3 == 0 ? "Y" : (k % 3 == 1 ? "N" : "W01")));
    for (int k = 0; k < 12; ++k) v.push_back(std::string());
    v.push_back(1.0 + i % 50);
    for (int k = 0; k < 59; ++k) v.push_back(k % 3 == 0 ? 12.5 * (k + 1) : 0.0);
    for (int k = 0; k < 12; ++k) v.push_back(0.0);
    v.push_back(Variant());
    while ((int)v.size() < kLineFields) v.push_back(std::string("ABCD"));
    return v;
}

std::vector<TPacketField> headerFields() {
    return {PacketField("TH001", TFieldType::ftString, 4),
            PacketField("TH002", TFieldType::ftString, 11),
            PacketField("qryBody", TFieldType::ftDataSet, 0, lineFields())};
}

const TDataPacket& documentPacket() {
    static TDataPacket p = [] {
        TDataPacket packet;
        packet.fields = headerFields();
        TPacketRow h{TValueRow{"A001", "20240315001", Variant()}, {{}}};
        h.details[0].reserve(kLines);
        for (int i = 0; i < kLines; ++i) h.details[0].push_back({TValueRow(lineValues(i)), {{}}});
        packet.rows.push_back(std::move(h));
        return packet;
    }();
    return p;
}

// A provider that serves the prebuilt packet (the copy is the provider's share).
struct PacketProvider : IProvider {
    std::string Name() const override { return "pvd"; }
    Variant DataRequest(const Variant&) override { return Variant(); }
    TDataPacket GetRecords(const TFetchRequest&) override { return documentPacket(); }
    TApplyReply ApplyUpdates(const TDelta&, int) override { return {0, true, {}}; }
};

struct Document {
    PacketProvider provider;
    TClientDataSet main, body;
    Document() {
        main.SetProvider(&provider);
        main.Open();
        body.SetDataSetField(static_cast<TDataSetField*>(main.FieldByName("qryBody")));
        body.Open();
    }
};

Document& doc() {
    static Document d;
    return d;
}

size_t heapInUse() {
    return mallinfo2().uordblks;
}

// A line of /proc/self/status in bytes ("VmRSS", "VmHWM").
size_t statusBytes(const char* key) {
    FILE* f = std::fopen("/proc/self/status", "r");
    if (!f) return 0;
    char line[256];
    size_t kb = 0;
    const size_t n = std::strlen(key);
    while (std::fgets(line, sizeof line, f))
        if (std::strncmp(line, key, n) == 0 && line[n] == ':')
            kb = std::strtoull(line + n + 1, nullptr, 10);
    std::fclose(f);
    return kb * 1024;
}

// Starts the peak resident size again from the current one.
void resetPeak() {
    if (FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", f);
        std::fclose(f);
    }
}

double sqliteFileBytesPerLine();

// The opened document's memory beside the SQLite file of the same rows:
// live heap after the open and peak resident size during it, per line.
void BM_OpenFromProviderPacket(benchmark::State& state) {
    documentPacket();
    const double fileBytes = sqliteFileBytesPerLine();
    double live = 0, peak = 0;
    for (auto _ : state) {
        malloc_trim(0);
        const size_t before = heapInUse(), rss = statusBytes("VmRSS");
        resetPeak();
        Document d;
        live = (double)(heapInUse() - before) / kLines;
        peak = (double)(statusBytes("VmHWM") - rss) / kLines;
        benchmark::DoNotOptimize(d.body.RecordCount());
    }
    state.counters["live_heap_per_line"] = live;
    state.counters["peak_rss_per_line"] = peak;
    state.counters["sqlite_file_per_line"] = fileBytes;
    state.counters["live_x_file"] = fileBytes > 0 ? live / fileBytes : 0;
    state.counters["peak_x_file"] = fileBytes > 0 ? peak / fileBytes : 0;
    state.counters["lines"] = kLines;
}
BENCHMARK(BM_OpenFromProviderPacket)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ScrollEndToEnd(benchmark::State& state) {
    TClientDataSet& body = doc().body;
    for (auto _ : state) {
        int n = 0;
        for (body.First(); !body.Eof(); body.Next()) ++n;
        benchmark::DoNotOptimize(n);
    }
    state.counters["lines"] = kLines;
}
BENCHMARK(BM_ScrollEndToEnd)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_SumFloatField(benchmark::State& state) {
    TClientDataSet& body = doc().body;
    TField* qty = body.FieldByName("TI007");
    double sum = 0;
    for (auto _ : state) {
        sum = 0;
        body.DisableControls();
        for (body.First(); !body.Eof(); body.Next()) sum += qty->AsFloat();
        body.EnableControls();
    }
    benchmark::DoNotOptimize(sum);
}
BENCHMARK(BM_SumFloatField)->Unit(benchmark::kMillisecond)->Iterations(3);

// One field read on every line, by its position in the record: the first
// field and the last cost the same.
void BM_ReadFieldByPosition(benchmark::State& state) {
    TClientDataSet& body = doc().body;
    TField* field = body.Fields()[(int)state.range(0)];
    size_t bytes = 0;
    for (auto _ : state) {
        body.DisableControls();
        for (body.First(); !body.Eof(); body.Next()) bytes += field->AsString().size();
        body.EnableControls();
    }
    benchmark::DoNotOptimize(bytes);
    state.counters["position"] = (double)state.range(0);
    state.SetItemsProcessed(state.iterations() * kLines);
}
BENCHMARK(BM_ReadFieldByPosition)
    ->Arg(0)
    ->Arg(kLineFields - 1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

// Every field of every line, through its name.
void BM_ReadEveryFieldByName(benchmark::State& state) {
    TClientDataSet& body = doc().body;
    std::vector<std::string> names;
    for (TField* f : body.Fields())
        if (f->DataType() != TFieldType::ftDataSet) names.push_back(f->FieldName());
    size_t bytes = 0;
    for (auto _ : state) {
        body.DisableControls();
        int n = 0;
        for (body.First(); !body.Eof() && n < 10000; body.Next(), ++n)
            for (const std::string& name : names)
                bytes += body.FieldByName(name)->AsString().size();
        body.EnableControls();
    }
    benchmark::DoNotOptimize(bytes);
    state.SetItemsProcessed(state.iterations() * 10000 * (int64_t)names.size());
}
BENCHMARK(BM_ReadEveryFieldByName)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_IndexBuild(benchmark::State& state) {
    TClientDataSet& body = doc().body;
    for (auto _ : state) {
        body.SetIndexFieldNames("");
        body.SetIndexFieldNames("TI004");
    }
}
BENCHMARK(BM_IndexBuild)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_LocateOnIndexedField(benchmark::State& state) {
    TClientDataSet& body = doc().body;
    body.SetIndexFieldNames("TI004");
    int i = 0;
    for (auto _ : state) {
        bool found = body.Locate("TI004", "ITEM" + std::to_string((i * 7919) % kLines));
        if (!found) state.SkipWithError("not found");
        ++i;
    }
}
BENCHMARK(BM_LocateOnIndexedField)->Unit(benchmark::kMicrosecond);

void BM_LocateUnindexed(benchmark::State& state) {
    TClientDataSet& body = doc().body;
    body.SetIndexFieldNames("");
    int i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            body.Locate("TI004", "ITEM" + std::to_string(kLines / 2 + i++ % 100)));
    }
}
BENCHMARK(BM_LocateUnindexed)->Unit(benchmark::kMillisecond)->Iterations(5);

// Post 10,000 new lines, build the delta, then cancel the updates.
void BM_Post10000LinesDeltaCancel(benchmark::State& state) {
    TClientDataSet& main = doc().main;
    TClientDataSet& body = doc().body;
    body.SetIndexFieldNames("");
    std::vector<TField*> f = {body.FieldByName("TI001"), body.FieldByName("TI002"),
                              body.FieldByName("TI003"), body.FieldByName("TI004"),
                              body.FieldByName("TI005"), body.FieldByName("TI007"),
                              body.FieldByName("A0"),    body.FieldByName("A3"),
                              body.FieldByName("C0"),    body.FieldByName("C1")};
    double postMs = 0, deltaMs = 0, cancelMs = 0;
    size_t deltaRows = 0, journalBytes = 0;
    for (auto _ : state) {
        auto t0 = std::chrono::steady_clock::now();
        size_t before = heapInUse();
        for (int i = 0; i < 10000; ++i) {
            body.Append();
            f[0]->SetAsString("A001");
            f[1]->SetAsString("20240315001");
            f[2]->SetAsString(std::to_string(i));
            f[3]->SetAsString("NEW" + std::to_string(i));
            f[4]->SetAsString("新品名");
            f[5]->SetAsFloat(i % 7);
            f[6]->SetAsFloat(1.25);
            f[7]->SetAsFloat(2.5);
            f[8]->SetAsString("Y");
            f[9]->SetAsString("N");
            body.Post();
        }
        main.Post();
        journalBytes = (heapInUse() - before) / 10000;
        auto t1 = std::chrono::steady_clock::now();
        TDelta delta = main.Delta();
        deltaRows = delta.rows.empty() ? 0 : delta.rows[0].details[0].size();
        auto t2 = std::chrono::steady_clock::now();
        main.CancelUpdates();
        auto t3 = std::chrono::steady_clock::now();
        postMs += std::chrono::duration<double, std::milli>(t1 - t0).count();
        deltaMs += std::chrono::duration<double, std::milli>(t2 - t1).count();
        cancelMs += std::chrono::duration<double, std::milli>(t3 - t2).count();
    }
    double n = (double)state.iterations();
    state.counters["post_ms"] = postMs / n;
    state.counters["delta_ms"] = deltaMs / n;
    state.counters["cancel_ms"] = cancelMs / n;
    state.counters["delta_rows"] = (double)deltaRows;
    state.counters["bytes_per_new_line"] = (double)journalBytes;
}
BENCHMARK(BM_Post10000LinesDeltaCancel)->Unit(benchmark::kMillisecond)->Iterations(2);

// ---- SQLite directly, for comparison ----

struct Sqlite {
    void* lib = dlopen("libsqlite3.so.0", RTLD_NOW);
    int (*open)(const char*, void**) = nullptr;
    int (*close)(void*) = nullptr;
    int (*exec)(void*, const char*, void*, void*, char**) = nullptr;
    int (*prepare)(void*, const char*, int, void**, const char**) = nullptr;
    int (*step)(void*) = nullptr;
    int (*reset)(void*) = nullptr;
    int (*finalize)(void*) = nullptr;
    int (*bindText)(void*, int, const char*, int, void (*)(void*)) = nullptr;
    int (*bindDouble)(void*, int, double) = nullptr;
    int (*bindNull)(void*, int) = nullptr;
    int (*columnType)(void*, int) = nullptr;
    const unsigned char* (*columnText)(void*, int) = nullptr;
    double (*columnDouble)(void*, int) = nullptr;
    int (*columnCount)(void*) = nullptr;

    template <class F>
    void sym(F& f, const char* name) {
        f = reinterpret_cast<F>(dlsym(lib, name));
    }
    Sqlite() {
        if (!lib) return;
        sym(open, "sqlite3_open");
        sym(close, "sqlite3_close");
        sym(exec, "sqlite3_exec");
        sym(prepare, "sqlite3_prepare_v2");
        sym(step, "sqlite3_step");
        sym(reset, "sqlite3_reset");
        sym(finalize, "sqlite3_finalize");
        sym(bindText, "sqlite3_bind_text");
        sym(bindDouble, "sqlite3_bind_double");
        sym(bindNull, "sqlite3_bind_null");
        sym(columnType, "sqlite3_column_type");
        sym(columnText, "sqlite3_column_text");
        sym(columnDouble, "sqlite3_column_double");
        sym(columnCount, "sqlite3_column_count");
    }
    bool ok() const { return lib && open && columnCount; }
};

Sqlite& sqlite() {
    static Sqlite s;
    return s;
}

std::string dbPath() {
    return "/tmp/bench_data_nested_" + std::to_string(getpid()) + ".db";
}

std::vector<std::string> storedColumns() {
    std::vector<std::string> cols;
    for (const TPacketField& f : lineFields())
        if (f.type != TFieldType::ftDataSet) cols.push_back(f.name);
    return cols;
}

void insertRows(void* db, int from, int count) {
    Sqlite& q = sqlite();
    auto cols = storedColumns();
    std::string sql = "INSERT INTO MOCTI VALUES (";
    for (size_t i = 0; i < cols.size(); ++i) sql += i ? ",?" : "?";
    sql += ")";
    void* st = nullptr;
    q.prepare(db, sql.c_str(), -1, &st, nullptr);
    q.exec(db, "BEGIN", nullptr, nullptr, nullptr);
    auto fields = lineFields();
    for (int i = from; i < from + count; ++i) {
        auto v = lineValues(i);
        int p = 1;
        for (size_t k = 0; k < fields.size(); ++k) {
            if (fields[k].type == TFieldType::ftDataSet) continue;
            if (v[k].IsText())
                q.bindText(st, p, v[k].RawText().c_str(), (int)v[k].RawText().size(), nullptr);
            else
                q.bindDouble(st, p, v[k].AsFloat());
            ++p;
        }
        q.step(st);
        q.reset(st);
    }
    q.exec(db, "COMMIT", nullptr, nullptr, nullptr);
    q.finalize(st);
}

void* sqliteDocument() {
    static void* db = [] {
        Sqlite& q = sqlite();
        void* h = nullptr;
        std::remove(dbPath().c_str());
        q.open(dbPath().c_str(), &h);
        std::string ddl = "CREATE TABLE MOCTI (";
        auto fields = lineFields();
        bool first = true;
        for (const auto& f : fields) {
            if (f.type == TFieldType::ftDataSet) continue;
            ddl += (first ? "" : ",") + f.name +
                   (f.type == TFieldType::ftFloat ? " FLOAT" : " VARCHAR");
            first = false;
        }
        ddl += ")";
        q.exec(h, ddl.c_str(), nullptr, nullptr, nullptr);
        insertRows(h, 0, kLines);
        return h;
    }();
    return db;
}

void BM_SqliteReadAllLines(benchmark::State& state) {
    if (!sqlite().ok()) {
        state.SkipWithError("libsqlite3 not found");
        return;
    }
    Sqlite& q = sqlite();
    void* db = sqliteDocument();
    for (auto _ : state) {
        void* st = nullptr;
        q.prepare(db, "SELECT * FROM MOCTI", -1, &st, nullptr);
        int n = q.columnCount(st);
        size_t bytes = 0;
        while (q.step(st) == 100) {
            for (int c = 0; c < n; ++c) {
                if (q.columnType(st, c) == 3) {
                    const unsigned char* t = q.columnText(st, c);
                    bytes += t ? 1 : 0;
                } else {
                    bytes += (size_t)q.columnDouble(st, c);
                }
            }
        }
        q.finalize(st);
        benchmark::DoNotOptimize(bytes);
    }
    FILE* f = std::fopen(dbPath().c_str(), "rb");
    if (f) {
        std::fseek(f, 0, SEEK_END);
        state.counters["file_bytes_per_line"] = (double)std::ftell(f) / kLines;
        std::fclose(f);
    }
}
BENCHMARK(BM_SqliteReadAllLines)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_SqliteInsert10000Lines(benchmark::State& state) {
    if (!sqlite().ok()) {
        state.SkipWithError("libsqlite3 not found");
        return;
    }
    void* db = sqliteDocument();
    for (auto _ : state) {
        insertRows(db, kLines, 10000);
        state.PauseTiming();
        sqlite().exec(db, "DELETE FROM MOCTI WHERE rowid > 100000", nullptr, nullptr, nullptr);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_SqliteInsert10000Lines)->Unit(benchmark::kMillisecond)->Iterations(2);

double sqliteFileBytesPerLine() {
    if (!sqlite().ok()) return 0;
    sqliteDocument();
    FILE* f = std::fopen(dbPath().c_str(), "rb");
    if (!f) return 0;
    std::fseek(f, 0, SEEK_END);
    const double bytes = (double)std::ftell(f) / kLines;
    std::fclose(f);
    return bytes;
}

struct Cleanup {
    ~Cleanup() { std::remove(dbPath().c_str()); }
} cleanup;

}  // namespace
