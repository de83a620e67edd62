// Defaults of a new receipt and of a new line.
#include "receipt_fixture.h"

namespace ktrb::test {
namespace {

class DefaultsTest : public DemoReceipt {
  protected:
    DefaultsTest() {
        form->mode = TFormMode::Add;
        catalogue->Answer("CMSMB", "02", {Variant("02"), Variant("昆山工厂")});
    }
    void AddReceipt() { head().Append(); }
    void AddLine() {
        AddReceipt();
        lines().Append();
    }
    std::string today() const { return dm->Today.substr(0, 8); }
};

TEST_F(DefaultsTest, ANewReceiptTakesItsDefaults) {
    AddReceipt();
    EXPECT_EQ(H("TH029"), today());
    EXPECT_EQ(H("TH004"), "02");
    const ScriptedCatalogue::Call* factory = catalogue->Last("CMSMB", "02");
    ASSERT_NE(factory, nullptr);
    EXPECT_EQ(factory->keys[0].AsString(), today());
    EXPECT_EQ(H("TH012"), "S");  // SYS026 "N"
    EXPECT_EQ(H("TH007"), "RMB");
    EXPECT_DOUBLE_EQ(HV("TH008"), 1);
    const std::pair<const char*, const char*> fixed[] = {
        {"TH026", "N"}, {"TH015", "2"}, {"TH016", "1"}, {"TH017", "N"},
        {"TH023", "N"}, {"TH024", "N"}, {"TH035", "N"}, {"TH037", "0"}};
    for (auto [field, value] : fixed) EXPECT_EQ(H(field), value) << field;
    EXPECT_EQ(H("TH045"), "");  // projects not in use
}

TEST_F(DefaultsTest, TheInvoiceKindFollowsTheInvoiceSetting) {
    const std::pair<const char*, const char*> cases[] = {{"1", "2"}, {"N", "S"}, {"", "S"}};
    for (auto [setting, kind] : cases) {
        form->broker->SetSysParam("SYS026", setting);
        AddReceipt();
        EXPECT_EQ(H("TH012"), kind) << "SYS026=" << setting;
        head().Cancel();
    }
}

TEST_F(DefaultsTest, InAClosedMonthTheDateStaysEmptyAndNoFactoryIsFound) {
    form->broker->SetSysParam("SYS011", "999912");
    AddReceipt();
    EXPECT_EQ(H("TH029"), "");
    EXPECT_EQ(H("TH004"), "");
    // A new line takes the header's date even when it is empty.
    lines().Append();
    EXPECT_EQ(L("TI018"), "");
}

TEST_F(DefaultsTest, WithProjectsTheReceiptAndItsLinesStartWithoutProject) {
    form->broker->SetSysParam("SYS180", "Y");
    AddLine();
    EXPECT_EQ(H("TH045"), kNoProject);
    EXPECT_EQ(L("TI032"), kNoProject);
}

TEST_F(DefaultsTest, ANewReceiptForgetsTheLastAcceptedSupplier) {
    form->supplierAtEdit = "S001";
    AddReceipt();
    EXPECT_EQ(form->supplierAtEdit, "");
}

TEST_F(DefaultsTest, ANewLineTakesItsDefaults) {
    dm->PriceFromAmountEnabled = false;
    AddLine();
    EXPECT_EQ(L("TI003"), "0001");
    EXPECT_EQ(L("TI001"), "~~~~");  // the pending key, as wide as the field
    EXPECT_EQ(L("TI015"), kWholeWorkOrder);
    EXPECT_EQ(L("TI018"), H("TH029"));
    const std::pair<const char*, const char*> flags[] = {
        {"TI033", "N"}, {"TI034", "N"}, {"TI035", "0"}, {"TI036", "N"},      {"TI038", "N"},
        {"TI037", "N"}, {"TI039", "N"}, {"TI041", "N"}, {"TI042", "N"},      {"TI048", "N"},
        {"TI059", "N"}, {"TI069", "N"}, {"TIC01", "2"}, {"TI004MB454", "N"}, {"TI010", kNoLot}};
    for (auto [field, value] : flags) EXPECT_EQ(L(field), value) << field;
    EXPECT_DOUBLE_EQ(LV("TI058"), 1);
    EXPECT_DOUBLE_EQ(LV("TI004C11"), 0);
    EXPECT_TRUE(dm->PriceFromAmountEnabled);
    EXPECT_EQ(L("TI032"), "");  // projects not in use
}

}  // namespace
}  // namespace ktrb::test
