// The receipt's three nested data sets on the demo database: every designed
// field comes with the provider's packet, the derived fields arrive filled,
// the serial rows follow their line, and the handlers are bound by name.
#include "platform/component/properties.h"
#include "receipt_fixture.h"

namespace ktrb::test {
namespace {

using DesignTest = DemoReceipt;

TEST_F(DesignTest, TheDemoReceiptArrivesWithItsDerivedFields) {
    GoToReceipt("5901", "20240108001");
    EXPECT_EQ(H("TH001C"), "委外进货单");
    EXPECT_EQ(H("TH004C"), "苏州工厂");
    EXPECT_FALSE(H("TH005C").empty());
    EXPECT_EQ(H("TH001C1"), "Y");
    EXPECT_EQ(H("MQC03C"), "N");
    EXPECT_DOUBLE_EQ(HV("TH027C"), 3750 + 487.5);
    ASSERT_EQ(lines().RecordCount(), 1);
    EXPECT_EQ(L("TI009C"), "成品仓");
    EXPECT_EQ(L("TI004C"), "Y");  // lot-managed item
    EXPECT_EQ(L("TI004_OLD"), "A1001-01");
    EXPECT_DOUBLE_EQ(LV("TI007C"), 300);
}

TEST_F(DesignTest, SerialRowsFollowTheirLine) {
    GoToReceipt("5901", "20240118001");
    ASSERT_TRUE(lines().Locate("TI003", Variant("0001")));
    plat::TDataSet& serials = *dm->cdsFoot;
    ASSERT_EQ(serials.RecordCount(), 4);
    for (serials.First(); !serials.Eof(); serials.Next()) {
        EXPECT_EQ(serials.FieldByName("MB001")->AsString(), "5901");
        EXPECT_EQ(serials.FieldByName("MB002")->AsString(), "20240118001");
        EXPECT_EQ(serials.FieldByName("MB003")->AsString(), "0001");
        EXPECT_EQ(serials.FieldByName("CHECKED")->AsString(), "N");
    }
}

TEST_F(DesignTest, FieldsCarryTheirDesign) {
    plat::TField* date = dm->HeadField("TH029");
    EXPECT_EQ(date->Size(), 8);
    EXPECT_EQ(date->DisplayLabel(), "单据日期");
    EXPECT_TRUE(dm->HeadField("TH016")->ReadOnly() == false && !dm->HeadField("TH016")->Visible());
    EXPECT_TRUE(dm->HeadField("TH043")->ReadOnly());
    EXPECT_TRUE(dm->LineField("TI035")->ReadOnly());
    EXPECT_EQ(dm->LineField("TI032")->Size(), 20);
    EXPECT_EQ(dm->LineField("UDF12")->Size(), 255);
    EXPECT_EQ(dm->cdsFoot->FieldByName("MB004")->Size(), 255);
    EXPECT_EQ(dm->cdsBody1->DataSetField(), dm->cdsMainqryBody);
    EXPECT_EQ(dm->cdsFoot->DataSetField(), dm->cdsBody1qryFoot);
}

TEST_F(DesignTest, HandlersAreBoundByName) {
    struct Case {
        plat::TDataSet* dataSet;
        const char* field;
        const char* event;
        const char* handler;
    };
    const Case cases[] = {
        {dm->cdsMain, "TH029", "OnSetText", "DateFieldSetText"},
        {dm->cdsMain, "TH030", "OnGetText", "PercentFieldGetText"},
        {dm->cdsBody1, "TI035", "OnValidate", "cdsBody1TI035Validate"},
        {dm->cdsBody1, "TI054", "OnValidate", "cdsBody1TI054Validate"},
        {dm->cdsBody1, nullptr, "BeforePost", "cdsBody1BeforePost"},
        {dm->cdsBody1, nullptr, "BeforeDelete", "cdsBody1BeforeDelete"},
        {dm->cdsBody1, nullptr, "AfterScroll", "cdsBody1AfterScroll"},
    };
    for (const Case& c : cases) {
        plat::TObject* target =
            c.field ? static_cast<plat::TObject*>(c.dataSet->FieldByName(c.field)) : c.dataSet;
        EXPECT_EQ(plat::MethodName(dm, plat::GetMethodProp(target, c.event)), c.handler)
            << c.handler;
    }
}

}  // namespace
}  // namespace ktrb::test
