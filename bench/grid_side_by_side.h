// Side-by-side measures of a data grid and the toolkit's own table view on a
// plain model of the same rows: ten receipt line columns (texts, quantities
// and dates kept as yyyymmdd), the same window size and font. Each iteration
// does the same thing to both and takes the process's CPU time of each (the
// toolkit paints large images on pooled threads too); the counters give both
// and their ratio (ours / table view), which should stay the same at every
// row count.
#pragma once
#include <benchmark/benchmark.h>
#include <time.h>

#include <QAbstractTableModel>
#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QTableView>
#include <algorithm>
#include <array>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/data/clientdataset.h"
#include "platform/data/datasource.h"
#include "platform/data/field.h"
#include "platform/ui/dbgrids.h"
#include "platform/ui/forms.h"
#include "platform/ui/qt_bridge.h"
#include "platform/ui/screenshot.h"

namespace gridbench {

using namespace plat;

constexpr int kWidth = 1000, kHeight = 600;

inline double CpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return (double)ts.tv_sec + (double)ts.tv_nsec * 1e-9;
}

struct Column {
    const char* name;
    TFieldType type;
    int size;
    const char* label;
    int displayWidth;
};

// The receipt's body columns as the line grid shows them.
inline const std::array<Column, 10> kColumns{{
    {"TI003", TFieldType::ftString, 4, "序号", 4},
    {"TI004", TFieldType::ftString, 20, "品号", 20},
    {"TI005", TFieldType::ftString, 60, "品名", 30},
    {"TI006", TFieldType::ftString, 60, "规格", 30},
    {"TI007", TFieldType::ftFloat, 0, "进货数量", 10},
    {"TI008", TFieldType::ftString, 4, "单位", 6},
    {"TI009", TFieldType::ftString, 10, "进货仓库", 10},
    {"TI010", TFieldType::ftString, 20, "批号", 20},
    {"TI018", TFieldType::ftString, 8, "验收日期", 12},
    {"TI019", TFieldType::ftFloat, 0, "验收数量", 10},
}};

inline bool IsDate(int c) {
    return c == 8;
}

inline std::string DateText(const std::string& s) {
    return s.size() == 8 ? s.substr(0, 4) + "/" + s.substr(4, 2) + "/" + s.substr(6, 2) : s;
}

// One line's values: texts for the text columns, numbers for the others.
struct Line {
    std::array<std::string, 10> text;
    double qty = 0, accepted = 0;
};

inline Line MakeLine(int i) {
    Line l;
    char no[8];
    snprintf(no, sizeof no, "%04d", i % 10000);
    l.text[0] = no;
    l.text[1] = "ITEM" + std::to_string(100000 + i % 5000);
    l.text[2] = "委外加工件" + std::to_string(i % 5000) + " 外壳组件";
    l.text[3] = "规格 " + std::to_string(i % 97) + "x" + std::to_string(i % 31) + " mm";
    l.text[5] = i % 2 ? "PCS" : "BOX";
    l.text[6] = "W" + std::to_string(i % 12);
    l.text[7] = "LOT" + std::to_string(20240000 + i % 3000);
    l.text[8] = "2024" + std::string(i % 12 < 9 ? "0" : "") + std::to_string(i % 12 + 1) +
                std::string(i % 28 < 9 ? "0" : "") + std::to_string(i % 28 + 1);
    l.qty = 10.5 + i % 10;
    l.accepted = 10.0 + i % 10;
    return l;
}

struct Rows {
    std::vector<Line> lines;
    std::unique_ptr<TClientDataSet> ds;
};

inline Rows& RowsOf(int n) {
    static std::map<int, std::unique_ptr<Rows>> cache;
    auto& r = cache[n];
    if (r) return *r;
    r = std::make_unique<Rows>();
    r->lines.reserve((size_t)n);
    for (int i = 0; i < n; ++i) r->lines.push_back(MakeLine(i));
    r->ds = std::make_unique<TClientDataSet>();
    TClientDataSet* ds = r->ds.get();
    for (const Column& c : kColumns) ds->FieldDefs().Add(c.name, c.type, c.size);
    ds->CreateDataSet();
    for (int c = 0; c < (int)kColumns.size(); ++c) {
        TField* f = ds->Fields()[c];
        f->SetDisplayLabel(kColumns[(size_t)c].label);
        f->SetDisplayWidth(kColumns[(size_t)c].displayWidth);
        if (IsDate(c))
            f->OnGetText = TFieldGetTextEvent(
                [](TField* f, std::string& text, bool) { text = DateText(f->AsString()); });
    }
    ds->DisableControls();
    for (const Line& l : r->lines) {
        ds->Append();
        for (int c = 0; c < (int)kColumns.size(); ++c) {
            if (c == 4)
                ds->Fields()[c]->SetAsFloat(l.qty);
            else if (c == 9)
                ds->Fields()[c]->SetAsFloat(l.accepted);
            else
                ds->Fields()[c]->SetAsString(l.text[(size_t)c]);
        }
        ds->Post();
    }
    ds->EnableControls();
    ds->First();
    return *r;
}

// The baseline: a plain model over the same lines.
class LineModel : public QAbstractTableModel {
  public:
    explicit LineModel(const std::vector<Line>* lines) : lines_(lines) {}
    int rowCount(const QModelIndex& p) const override {
        return p.isValid() ? 0 : (int)lines_->size();
    }
    int columnCount(const QModelIndex& p) const override {
        return p.isValid() ? 0 : (int)kColumns.size();
    }
    QVariant data(const QModelIndex& i, int role) const override {
        if (role == Qt::TextAlignmentRole)
            return i.column() == 4 || i.column() == 9
                       ? QVariant(int(Qt::AlignRight | Qt::AlignVCenter))
                       : QVariant(int(Qt::AlignLeft | Qt::AlignVCenter));
        if (role != Qt::DisplayRole) return {};
        const Line& l = (*lines_)[(size_t)i.row()];
        if (i.column() == 4) return l.qty;
        if (i.column() == 9) return l.accepted;
        const std::string& s = l.text[(size_t)i.column()];
        return QString::fromStdString(IsDate(i.column()) ? DateText(s) : s);
    }
    QVariant headerData(int s, Qt::Orientation o, int role) const override {
        if (role != Qt::DisplayRole || o != Qt::Horizontal) return {};
        return QString::fromUtf8(kColumns[(size_t)s].label);
    }

  private:
    const std::vector<Line>* lines_;
};

// A form with the grid filling it, bound to the rows and shown.
template <class Grid>
struct Ours {
    TForm* form = CreateForm<TForm>(nullptr);
    TDataSource* src = new TDataSource(form);
    Grid* grid = new Grid(form);
    explicit Ours(TDataSet* ds) {
        form->SetBounds(0, 0, kWidth, kHeight);
        grid->SetParent(form);
        grid->SetAlign(TAlign::alClient);
        src->SetDataSet(ds);
        grid->SetDataSource(src);
        form->Show();
        Application->ProcessMessages();
    }
    ~Ours() { form->Free(); }
    // Rendered as the table view is below: a widget picture, as an image.
    int Paint() { return grid->Widget()->grab().toImage().width(); }
};

struct Theirs {
    LineModel model;
    std::unique_ptr<QWidget> window = std::make_unique<QWidget>();
    QTableView* view = new QTableView(window.get());
    explicit Theirs(const std::vector<Line>* lines, const QFont& font) : model(lines) {
        window->resize(kWidth, kHeight);
        view->setFont(font);
        view->setGeometry(0, 0, kWidth, kHeight);
        view->verticalHeader()->setDefaultSectionSize(20);
        view->setModel(&model);
        window->show();
        QApplication::processEvents();
    }
    int Paint() { return view->grab().toImage().width(); }
    void PageDown() {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
        QApplication::sendEvent(view, &press);
    }
};

inline QFont GridFont() {
    EnsureApplication();
    TDataGrid probe(nullptr);
    return ToQFont(*probe.Font());
}

// Both sides timed in each iteration, in turns first, so that neither
// always finds the caches of the other.
struct SideBySide {
    benchmark::State& state;
    double ours = 0, theirs = 0;
    int turn = 0;
    template <class A, class B>
    void Run(A&& oursStep, B&& theirsStep) {
        auto timed = [](auto&& step) {
            const double t0 = CpuSeconds();
            step();
            return CpuSeconds() - t0;
        };
        double a = 0, b = 0;
        if (turn++ % 2 == 0) {
            a = timed(oursStep);
            b = timed(theirsStep);
        } else {
            b = timed(theirsStep);
            a = timed(oursStep);
        }
        ours += a;
        theirs += b;
        state.SetIterationTime(a + b);
    }
    ~SideBySide() {
        const double n = (double)std::max<benchmark::IterationCount>(1, state.iterations());
        state.counters["ours_ms"] = ours * 1000 / n;
        state.counters["qtableview_ms"] = theirs * 1000 / n;
        state.counters["ratio"] = theirs > 0 ? ours / theirs : 0;
    }
};

// The table view's first window comes before any of ours: shown after one
// of the platform's forms, every later table view window fills its
// background two to three times slower on the offscreen platform, which
// would flatter the ratio.
template <class Grid>
void WarmUp() {
    static bool done = false;
    if (done) return;
    done = true;
    Rows& rows = RowsOf(1000);
    Theirs(&rows.lines, GridFont()).Paint();
    Ours<Grid>(rows.ds.get()).Paint();
}

// A window with the grid (and one with the table view) made, bound to the
// rows, shown and painted once.
template <class Grid>
void OpenAndFirstPaint(benchmark::State& state) {
    WarmUp<Grid>();
    Rows& rows = RowsOf((int)state.range(0));
    const QFont font = GridFont();
    SideBySide run{state};
    for (auto _ : state) {
        rows.ds->First();
        run.Run(
            [&] {
                Ours<Grid> o(rows.ds.get());
                benchmark::DoNotOptimize(o.Paint());
            },
            [&] {
                Theirs t(&rows.lines, font);
                benchmark::DoNotOptimize(t.Paint());
            });
    }
}

// Page down from the middle of the rows and paint the screen; after twenty
// pages both go back to the middle, untimed.
template <class Grid>
void PageDownAndPaint(benchmark::State& state) {
    WarmUp<Grid>();
    const int n = (int)state.range(0);
    Rows& rows = RowsOf(n);
    rows.ds->First();
    Ours<Grid> o(rows.ds.get());
    Theirs t(&rows.lines, GridFont());
    t.view->setFocus();
    auto toMiddle = [&] {
        rows.ds->SetRecNo(n / 2);
        t.view->setCurrentIndex(t.model.index(n / 2, 0));
        o.Paint();
        t.Paint();
    };
    toMiddle();
    SideBySide run{state};
    int pages = 0;
    for (auto _ : state) {
        if (++pages % 20 == 0) toMiddle();
        run.Run(
            [&] {
                o.grid->SimulateKey(VK_NEXT);
                benchmark::DoNotOptimize(o.Paint());
            },
            [&] {
                t.PageDown();
                benchmark::DoNotOptimize(t.Paint());
            });
    }
}

// 1,000, 10,000 and 100,000 rows, timed by hand.
inline void RowCounts(benchmark::internal::Benchmark* b) {
    b->Arg(1000)->Arg(10000)->Arg(100000)->UseManualTime()->Unit(benchmark::kMillisecond);
}

}  // namespace gridbench
