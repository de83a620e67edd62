// The display codes of a lookup reply: dates, years, year-months,
// percentages and check boxes as the user's date settings show them.
#include <gtest/gtest.h>

#include "controls/QvLookUpCombo.h"
#include "controls_fixture.h"
#include "platform/automation/dispatch.h"
#include "platform/data/provider.h"

using namespace ktrb;
using namespace plat;

namespace {

// A lookup server with one row and a reply that codes every column.
class CodedServer : public DispatchObject, public IProviderSource {
  public:
    CodedServer() : DispatchObject("DravocS.Class1") {
        Method("GetCustomOW", [](DispArgs) { return Variant(false); });
        Property(
            "OpenWinKind", [] { return Variant(0); }, [](const Variant&) {});
        Method("GetF2Data", [](DispArgs a) {
            a[1] = std::string(
                "--DISPLAY\r\n代号;日期$D;年度$Y;年月$YM;税率$%;确认$L;空年$Y\r\n"
                "--RETURN\r\nCODE\r\n");
            return Variant(true);
        });
    }
    IProvider* FindProvider(const std::string&) override { return &provider; }
    TMemoryProvider provider{
        "pvdDravoc",
        {{"CODE", TFieldType::ftString, 10},
         {"DDATE", TFieldType::ftString, 8},
         {"YR", TFieldType::ftString, 4},
         {"YM", TFieldType::ftString, 6},
         {"RATE", TFieldType::ftFloat},
         {"OK", TFieldType::ftString, 1},
         {"NOYEAR", TFieldType::ftString, 4}},
        {TPacketRow{
            TValueRow({Variant("A1"), Variant("20050301"), Variant("2005"), Variant("200503"),
                       Variant(0.125), Variant("Y"), Variant("    ")})}}};
};

}  // namespace

TEST(QvDBLookupCombo, DisplayCodesFollowTheDateSettings) {
    struct Case {
        int format;
        const char *date, *year, *yearMonth;
    };
    for (Case k :
         {Case{1, "2005-03-01", "2005", "2005-03"}, Case{2, "03-01-2005", "2005", "03-2005"},
          Case{4, "94-03-01", "94", "94-03"}, Case{5, "094-03-01", "094", "094-03"}}) {
        SCOPED_TRACE(k.format);
        ctltest::Fixture fx;
        CodedServer server;
        auto* c = new TQvDBLookupCombo(fx.form);
        c->SetParent(fx.inner);
        c->SetBounds(80, 10, 120, 21);
        c->SetDataSource(fx.src);
        c->SetDataField("TH004");
        c->SetMidas(&server);
        c->OnGetBaseClassParam = TGetF2ParamEvent(
            [&](TObject*, TInteraParam* p) {
                p->Params = Variant::ArrayOf(
                    {"CMSMC", "01", "", 1, "", "DEMO", 3, "", "", "", "N", "", "", "9"});
                p->DateFormatType = k.format;
                p->DateSeparator = "-/";  // a date takes the first character only
                p->CodePage = "936";
                p->FastInputEnabled = true;
            },
            fx.form);
        c->OnSetReturn = TSetReturnEvent([](TObject*, TInteraParam*) {}, fx.form);
        fx.ds->Edit();
        c->SetFocus();
        uitest::TypeText(c, "a");
        TDataSet* t = c->LookupDataSet();
        ASSERT_TRUE(t->Active());
        EXPECT_EQ(t->FieldByName("DDATE")->Text(), k.date);
        EXPECT_EQ(t->FieldByName("YR")->Text(), k.year);
        // The year-month takes the whole separator.
        std::string ym = k.yearMonth;
        if (size_t dash = ym.find('-'); dash != std::string::npos) ym.insert(dash + 1, "/");
        EXPECT_EQ(t->FieldByName("YM")->Text(), ym);
        EXPECT_EQ(t->FieldByName("NOYEAR")->Text(), "");
        EXPECT_EQ(t->FieldByName("RATE")->Text(), "12.50%");
        EXPECT_EQ(t->FieldByName("DDATE")->DisplayWidth(), 10);
        EXPECT_EQ(t->FieldByName("YM")->DisplayWidth(), 8);
        TDataGridColumn* ok = c->Grid()->Columns()->ColumnByField("OK");
        ASSERT_NE(ok, nullptr);
        EXPECT_EQ(ok->ControlType(), TColumnControlType::ctCheckBox);
        EXPECT_EQ(ok->CheckedValue(), "Y");
        EXPECT_EQ(c->Grid()->Columns()->ColumnByField("CODE")->ControlType(),
                  TColumnControlType::ctDefault);
    }
}
