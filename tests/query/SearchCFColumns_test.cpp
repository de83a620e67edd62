// The lookup window's columns without a server: the computed cost and
// margin columns against scripted server answers, the display kinds and
// widths of a definition, and the field texts of each kind.
#include <gtest/gtest.h>

#include <map>

#include "controls/FDBGrid.h"
#include "dataframe/Connection.h"
#include "platform/core/numbers.h"
#include "platform/data/provider.h"
#include "query/SearchCF.h"
#include "runtime/language_fixture.h"
#include "support/runtime/RadicalFormDouble.h"

namespace ktrb::test {
namespace {

using plat::TFieldType;
using plat::Variant;

// The counter's server operations answered by a function.
class Counter : public plat::DispatchObject {
  public:
    Counter() : DispatchObject("Counter") {
        Method("GETCOUNTER", [this](plat::DispArgs a) {
            std::string name = plat::VarToStr(a[0]);
            calls.push_back(name);
            return answer ? answer(name, a[1]) : Variant();
        });
    }
    std::function<Variant(const std::string&, const Variant&)> answer;
    std::vector<std::string> calls;
};

class Host : public plat::DispatchObject {
  public:
    Host() : DispatchObject("Host") {
        Property("Com_Counter", [this] { return Variant(plat::DispatchPtr(counter)); });
        Property("Com_Validator", [] { return Variant(); });
        Property("Com_Dravoc", [] { return Variant(); });
    }
    std::shared_ptr<Counter> counter = std::make_shared<Counter>();
};

class Columns : public LanguageFixture {
  protected:
    void SetUp() override {
        broker->SetMainObject(Variant(plat::DispatchPtr(host)));
        broker->AttachSubObjects();
        window = plat::CreateForm<TfrmSearch>(nullptr);
        window->Broker = broker;
    }
    void TearDown() override { window->Free(); }

    // One row of named values in the window's header (or body) dataset.
    void Load(plat::TClientDataSet* ds, const std::map<std::string, Variant>& row) {
        std::vector<plat::TPacketField> fields;
        std::vector<Variant> values;
        for (auto& [name, v] : row) {
            fields.push_back(v.IsText() ? plat::PacketField(name, TFieldType::ftString, 20)
                                        : plat::PacketField(name, TFieldType::ftFloat));
            values.push_back(v);
        }
        plat::TDataPacket p;
        p.fields = fields;
        plat::TPacketRow r;
        r.values = plat::TValueRow(values);
        p.rows.push_back(r);
        ds->LoadFromPacket(p);
    }
    double Num(plat::TClientDataSet* ds, const char* name) {
        ds->First();
        return ds->FieldByName(name)->AsFloat();
    }

    RadicalFormDouble form;
    TBrokers* broker = form.broker;
    std::shared_ptr<Host> host = std::make_shared<Host>();
    TfrmSearch* window = nullptr;
};

std::map<std::string, Variant> SalesOrderRow() {
    return {{"TD011", 10.0},  {"TC016", "1"},   {"TC008", "RMB"}, {"TD037", 0.13},
            {"TC009", 1.0},   {"TD012", 113.0}, {"TD008", 10.0},  {"TD004", "A1"},
            {"TD010", "PCS"}, {"MB004", "PCS"}, {"MB064", 100.0}, {"MB065", 500.0},
            {"MD003", 2.0},   {"MD004", 4.0},   {"MF003", "4"},   {"MF004", "2"},
            {"MF006", "2"},   {"TD011C", 0.0},  {"TD012C", 0.0},  {"SUMCOST", 0.0},
            {"SUMML", 0.0},   {"SUMRATE", 0.0}};
}

TEST_F(Columns, SalesOrderMarginsByStockUnitAndByServerConversion) {
    broker->SetSysParam("SYS003", "RMB");
    host->counter->answer = [](const std::string& name, const Variant& args) -> Variant {
        if (name == "ChangeTax") return 8.849557;
        if (name == "QtyDToS") return plat::VarToFloatDef(args[1]) == 100 ? 0.0 : 1.0;
        return Variant();
    };
    struct Case {
        const char* sys024;
        const char* unit;
        double cost;  // SUMCOST
    } cases[] = {
        {"", "PCS", 50.0},   // 500 / 100 per unit, 10 units
        {"", "BOX", 100.0},  // another unit: 4 / 2 of the stock unit's cost
        {"2", "PCS", 0.0},   // the server's stock quantity is 0: no cost
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.sys024) + " " + c.unit);
        broker->SetSysParam("SYS024", c.sys024);
        auto row = SalesOrderRow();
        row["TD010"] = c.unit;
        Load(window->cdsMain, row);
        window->ApplyComputedColumns("ORDB16");
        EXPECT_EQ(window->ComputeKind, "ORDB16");
        EXPECT_DOUBLE_EQ(Num(window->cdsMain, "TD011C"), 8.8496);
        EXPECT_DOUBLE_EQ(Num(window->cdsMain, "TD012C"), 100.0);  // 113 tax included
        EXPECT_DOUBLE_EQ(Num(window->cdsMain, "SUMCOST"), c.cost);
        EXPECT_DOUBLE_EQ(Num(window->cdsMain, "SUMML"), 100.0 - c.cost);
        EXPECT_DOUBLE_EQ(Num(window->cdsMain, "SUMRATE"), (100.0 - c.cost) / 100.0);
    }
}

TEST_F(Columns, AZeroAmountGivesRateZeroNotAnError) {
    host->counter->answer = [](const std::string&, const Variant&) { return Variant(0.0); };
    auto row = SalesOrderRow();
    row["TD012"] = 0.0;
    Load(window->cdsMain, row);
    window->ApplyComputedColumns("ORDB16");
    EXPECT_DOUBLE_EQ(Num(window->cdsMain, "TD012C"), 0.0);
    EXPECT_DOUBLE_EQ(Num(window->cdsMain, "SUMRATE"), 0.0);
    EXPECT_DOUBLE_EQ(Num(window->cdsMain, "SUMML"), -50.0);
}

TEST_F(Columns, DeliveryCostByStandardCostFallsBackWithoutAConversion) {
    broker->SetSysParam("SYS014", "1");
    host->counter->answer = [](const std::string& name, const Variant&) -> Variant {
        if (name == "QtyAdd") return 12.0;
        if (name == "UnitConvert") throw plat::Exception("no conversion of the unit");
        return Variant();
    };
    Load(window->cdsMain, {{"TH004", "A1"},
                           {"TH008", 10.0},
                           {"TH024", 1.0},
                           {"TH009", "BOX"},
                           {"TH037", 100.0},
                           {"MB004", "PCS"},
                           {"MB057", 1.0},
                           {"MB058", 2.0},
                           {"MB059", 3.0},
                           {"MB060", 4.0},
                           {"MB064", 0.0},
                           {"MB065", 0.0},
                           {"MF004", "1"},
                           {"MF006", "0"},
                           {"SUMCOST", 0.0},
                           {"SUMML", 0.0},
                           {"SUMRATE", 0.0}});
    window->ApplyComputedColumns("ORDB18");
    // 10 per unit for TH008 + TH024 = 11 units.
    EXPECT_DOUBLE_EQ(Num(window->cdsMain, "SUMCOST"), 110.0);
    EXPECT_DOUBLE_EQ(Num(window->cdsMain, "SUMML"), -10.0);
    EXPECT_DOUBLE_EQ(Num(window->cdsMain, "SUMRATE"), -0.1);
}

TEST_F(Columns, TheKindsChooseHeaderAndBodyComputations) {
    host->counter->answer = [](const std::string& name, const Variant& args) -> Variant {
        if (name == "QtyADD") return plat::VarToFloatDef(args[1]) + plat::VarToFloatDef(args[2]);
        return 1.0;
    };
    for (const char* kinds : {"ORDB16;STKB31", ";STKB31"}) {
        SCOPED_TRACE(kinds);
        host->counter->calls.clear();
        Load(window->cdsMain, SalesOrderRow());
        Load(window->cdsbody, {{"INVTG004", "A1"}, {"TI009", 2.0}, {"TI009C", 3.0}});
        window->ApplyComputedColumns(kinds);
        EXPECT_DOUBLE_EQ(Num(window->cdsbody, "TI009"), 5.0);
        bool header = std::string(kinds)[0] == 'O';
        EXPECT_EQ(std::count(host->counter->calls.begin(), host->counter->calls.end(),
                             std::string("ChangeTax")),
                  header ? 1 : 0);
        EXPECT_EQ(window->ComputeKind, header ? "ORDB16" : "");
    }
}

// ---- display kinds and texts ------------------------------------------------------

TEST_F(Columns, DisplayEntriesSetCaptionsWidthsKindsAndHideColumns) {
    std::vector<plat::TPacketField> fields = {plat::PacketField("A", TFieldType::ftString, 6),
                                              plat::PacketField("B", TFieldType::ftString, 250),
                                              plat::PacketField("C", TFieldType::ftString, 8),
                                              plat::PacketField("D", TFieldType::ftString, 8),
                                              plat::PacketField("E", TFieldType::ftString, 1),
                                              plat::PacketField("F", TFieldType::ftString, 4)};
    plat::TDataPacket p;
    p.fields = fields;
    p.rows.push_back({});
    p.rows[0].values = plat::TValueRow(std::vector<Variant>{
        Variant("a"), Variant("b"), Variant("20240315"), Variant("x"), Variant("Y"), Variant("f")});
    window->cdsMain->LoadFromPacket(p);
    window->gdMain->SetAlign(plat::TAlign::alNone);
    window->gdMain->SetWidth(10);  // no room to widen
    window->ApplyDisplayColumns("编号;名称;日期$D;;检验$L;标记$C", window->gdMain, window->cdsMain);
    auto* ds = window->cdsMain;
    EXPECT_EQ(ds->FieldByName("A")->DisplayLabel(), "编号");
    EXPECT_EQ(ds->FieldByName("A")->DisplayWidth(), 7);
    EXPECT_EQ(ds->FieldByName("B")->DisplayWidth(), 41);
    EXPECT_EQ(ds->FieldByName("C")->DisplayWidth(), 10);
    EXPECT_FALSE(ds->FieldByName("D")->Visible());
    EXPECT_EQ(ds->FieldByName("E")->DisplayWidth(), 5);  // the caption is wider
    EXPECT_EQ(window->DateFields, ",C");
    EXPECT_EQ(window->MarkedFields, ",F");
    window->DateFormatCode = 1;
    window->DateSeparator = "/";
    EXPECT_EQ(ds->FieldByName("C")->Text(), "2024/03/15");
    window->RebuildColumns(window->gdMain);
    auto* column = window->gdMain->Columns()->ColumnByField("E");
    ASSERT_NE(column, nullptr);
    EXPECT_EQ(column->ControlType(), plat::TColumnControlType::ctCheckBox);
    EXPECT_EQ(window->gdMain->Columns()->ColumnByField("D"), nullptr);
}

TEST_F(Columns, YearAndYearMonthTextsByDateCode) {
    plat::TDataPacket p;
    p.fields = {plat::PacketField("Y", TFieldType::ftString, 8),
                plat::PacketField("P", TFieldType::ftFloat)};
    p.rows.push_back({});
    p.rows[0].values = plat::TValueRow(std::vector<Variant>{Variant("202403"), Variant(0.125)});
    window->cdsMain->LoadFromPacket(p);
    plat::TField* f = window->cdsMain->FieldByName("Y");
    struct Case {
        int code;
        const char* value;
        const char* year;
        const char* yearMonth;
    } cases[] = {{1, "202403", "2024", "2024-03"},
                 {2, "202403", "2024", "03-2024"},
                 {4, "202403", "113", "113-03"},
                 {5, "201003", "099", "099-03"},
                 {0, "202403", "", ""},
                 {1, "0", "", ""}};
    window->DateSeparator = "-";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        window->DateFormatCode = c.code;
        window->cdsMain->Edit();
        f->SetAsString(c.value);
        window->cdsMain->Post();
        std::string text;
        window->YearFieldGetText(f, text, true);
        EXPECT_EQ(text, c.year);
        window->YearMonthFieldGetText(f, text, true);
        EXPECT_EQ(text, c.yearMonth);
    }
    std::string percent;
    window->PercentFieldGetText(window->cdsMain->FieldByName("P"), percent, true);
    EXPECT_EQ(percent, "12.50%");
}

}  // namespace
}  // namespace ktrb::test
