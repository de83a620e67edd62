// The receipt road on the demo database, without any window and with every
// field keyed through its own rule: a receipt is added, its supplier keyed,
// a work order keyed on a line (the line fills from it), the quantities
// changed (accepted, scrapped, packages and amounts follow), a second
// receipt's line linked to an inspected arrival note; both are saved,
// reopened and found as entered.
#include "receipt_fixture.h"

namespace ktrb::test {
namespace {

class ReceiptRoadE2E : public DemoReceipt {
  protected:
    ReceiptRoadE2E() {
        form->assignNumber = [this] {
            std::string number;
            form->broker->QueryMaxSeq(dm->cdsMain, "MOCTH", "TH001,TH002", H("TH029"), number);
            return number;
        };
        // Packaging quantities kept by conversion.
        form->broker->SetSysParam("SYS024", "3");
    }
    void Key(plat::TField* field, const std::string& text) {
        try {
            field->SetAsString(text);
        } catch (const plat::EAbort&) {
            FAIL() << field->FieldName() << " = " << text << " refused: "
                   << (form->messages.empty() ? std::string() : form->messages.back().code);
        }
    }
    void KeyH(const char* name, const std::string& text) { Key(dm->HeadField(name), text); }
    void KeyL(const char* name, const std::string& text) { Key(dm->LineField(name), text); }
    // The form's add action.
    void AddReceipt(const std::string& type, const std::string& supplier) {
        form->mode = TFormMode::Add;
        head().Append();
        form->validationActive = form->quantityEditActive = true;
        form->supplierAtEdit.clear();
        KeyH("TH029", "20240301");
        KeyH("TH001", type);
        KeyH("TH005", supplier);
    }
    std::string Save() {
        dm->ReapplyHeadKeyToBody();
        head().Post();
        EXPECT_TRUE(dm->ApplyData(dm->cdsMain));
        form->mode = TFormMode::Browse;
        return H("TH002");
    }
    void Reopen(const std::string& type, const std::string& number) {
        head().Close();
        head().Open();
        GoToReceipt(type, number);
    }
};

TEST_F(ReceiptRoadE2E, AWorkOrderLineIsKeyedChangedSavedAndFoundAgain) {
    AddReceipt("5901", "S002");
    EXPECT_EQ(H("TH002").substr(0, 8), "20240301");  // numbered by the date
    EXPECT_EQ(H("TH005C"), "华达电镀");
    EXPECT_EQ(H("TH015"), "1");
    EXPECT_DOUBLE_EQ(HV("TH030"), 0.13);
    EXPECT_EQ(H("TH033C"), "月结60天");

    lines().Append();
    KeyL("TI013", "5201");
    KeyL("TI014", "20240110001");
    EXPECT_EQ(L("TI004"), "C3001");
    EXPECT_EQ(L("TI005"), "电镀螺丝");
    EXPECT_EQ(L("TI009"), "W02");
    EXPECT_DOUBLE_EQ(LV("TI007"), 150);         // 200 ordered, 50 on an open receipt
    EXPECT_DOUBLE_EQ(LV("TI016"), 30);          // 40 bags ordered, 10 on hold
    EXPECT_DOUBLE_EQ(LV("TI024"), 20);          // both in tax-included prices
    EXPECT_EQ(form->codes().back(), "100094");  // the order has a routing

    KeyL("TI007", "120");
    EXPECT_DOUBLE_EQ(LV("TI019"), 120);
    EXPECT_DOUBLE_EQ(LV("TI016"), 24);  // 5 kg a bag
    KeyL("TI019", "110");
    KeyL("TI021", "6");
    KeyL("TI056", "2");
    EXPECT_DOUBLE_EQ(LV("TI022"), 2);  // what is left is rejected
    EXPECT_DOUBLE_EQ(LV("TI017"), 22);
    EXPECT_DOUBLE_EQ(LV("TI050"), 1.2);
    EXPECT_DOUBLE_EQ(LV("TI057"), 0.4);
    EXPECT_NEAR(LV("TI051"), 0.4, 1e-9);
    EXPECT_DOUBLE_EQ(LV("TI020"), 112);  // accepted and destroyed are paid for
    EXPECT_DOUBLE_EQ(LV("TI025"), 2240);
    EXPECT_DOUBLE_EQ(LV("TI045"), 257.7);  // 13 % inside the amount
    EXPECT_DOUBLE_EQ(LV("TI044"), 1982.3);
    lines().Post();
    EXPECT_DOUBLE_EQ(HV("TH018"), 2240);
    EXPECT_DOUBLE_EQ(HV("TH027C"), 2240);

    const std::string number = Save();
    Reopen("5901", number);
    ASSERT_EQ(lines().RecordCount(), 1);
    EXPECT_EQ(H("TH005"), "S002");
    EXPECT_EQ(L("TI014"), "20240110001");
    for (auto [name, value] : {std::pair<const char*, double>{"TI007", 120},
                               {"TI019", 110},
                               {"TI021", 6},
                               {"TI056", 2},
                               {"TI022", 2},
                               {"TI016", 24},
                               {"TI017", 22},
                               {"TI020", 112},
                               {"TI025", 2240},
                               {"TI045", 257.7}})
        EXPECT_DOUBLE_EQ(LV(name), value) << name;
    EXPECT_DOUBLE_EQ(HV("TH020"), 257.7);
}

TEST_F(ReceiptRoadE2E, ALineLinkedToAnInspectedArrivalIsSavedAndFoundAgain) {
    AddReceipt("5902", "S001");
    EXPECT_EQ(H("MQC03C"), "Y");
    EXPECT_EQ(H("MQC04C"), "Y");
    EXPECT_TRUE(dm->LineField("TI014")->ReadOnly());

    lines().Append();
    KeyL("TIC02", "5A01");
    KeyL("TIC03", "20240220001");
    KeyL("TIC04", "0001");
    EXPECT_EQ(L("TI004"), "D4001");
    EXPECT_EQ(L("TI014"), "20240120001");
    EXPECT_DOUBLE_EQ(LV("TI007"), 1000);
    EXPECT_EQ(L("TI054"), "20240301");  // the item keeps validity dates
    KeyL("TIC05", "0001");
    EXPECT_DOUBLE_EQ(LV("TI019"), 960);
    EXPECT_DOUBLE_EQ(LV("TI022"), 20);
    EXPECT_DOUBLE_EQ(LV("TI021"), 15);
    EXPECT_DOUBLE_EQ(LV("TI056"), 5);
    EXPECT_DOUBLE_EQ(LV("TI020"), 965);
    EXPECT_EQ(L("TI035"), "3");
    KeyL("TI024", "1.2");
    EXPECT_DOUBLE_EQ(LV("TI025"), 1158);
    lines().Post();

    const std::string number = Save();
    Reopen("5902", number);
    ASSERT_EQ(lines().RecordCount(), 1);
    EXPECT_EQ(L("TIC03"), "20240220001");
    EXPECT_EQ(L("TIC05"), "0001");
    EXPECT_EQ(L("TI035"), "3");
    EXPECT_DOUBLE_EQ(LV("TI019"), 960);
    EXPECT_DOUBLE_EQ(LV("TI025"), 1158);
    EXPECT_DOUBLE_EQ(HV("TH018"), 1158);
}

}  // namespace
}  // namespace ktrb::test
