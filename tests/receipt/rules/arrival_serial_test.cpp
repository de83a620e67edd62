// The arrival and inspection link of a line, the item kind, the header
// scroll, the supplier's document number, the project and the form's copy
// of the serial numbers.
#include "platform/data/clientdataset.h"
#include "rule_trace.h"

namespace ktrb::test {
namespace {

using Trace = std::vector<std::string>;

class ArrivalRules : public RuleFixture {
  protected:
    // A receipt of the type that takes its lines from inspected arrivals.
    void ArrivalReceipt() {
        StartReceipt("5902", "S001", "20240301");
        SetH("MQC03C", "Y");
        SetH("MQC04C", "Y");
        lines().Append();
        SetL("TIC01", "2");
        SetL("TIC02", "5A01");
        SetL("TIC03", "20240201001");
        trace->Clear();
    }
    void Key(const char* name, const std::string& text) { dm->LineField(name)->SetAsString(text); }
};

TEST_F(ArrivalRules, AnEngineeringKindLocksTheLineAndAFormalKindFreesIt) {
    StartReceipt("5901", "S001", "20240301");
    lines().Append();
    SetL("TI004", "A1001-01");
    SetL("TI016", "5");
    Key("TIC01", "1");
    EXPECT_EQ(L("TI004"), "");
    EXPECT_EQ(L("TI035"), "0");
    EXPECT_EQ(L("TI010"), kNoLot);
    EXPECT_DOUBLE_EQ(LV("TI016"), 0);
    for (const char* name :
         {"TI049", "TI016", "TI017", "TI008", "TI015", "TI009", "TI054", "TI023", "TI032"})
        EXPECT_TRUE(dm->LineField(name)->ReadOnly()) << name;
    EXPECT_FALSE(form->queryMenu);
    EXPECT_EQ(form->hints["cboTI004G"], "L1->L2");
    EXPECT_EQ(form->hints["cboTI009G"], "");
    EXPECT_EQ(form->f11Fields, "");

    trace->Clear();
    Key("TIC01", "2");
    EXPECT_EQ(L("TI015"), kWholeWorkOrder);
    EXPECT_EQ(trace->Find("?TI015"), -1);  // set without its rule
    for (const char* name : {"TI008", "TI015", "TI009", "TI023", "TI032", "TI049"})
        EXPECT_FALSE(dm->LineField(name)->ReadOnly()) << name;
    EXPECT_TRUE(form->queryMenu);
    EXPECT_EQ(form->hints["cboTI004G"], "L0->L2->L3");
    EXPECT_EQ(form->hints["cboTI015G"], "L11");
    EXPECT_EQ(form->f11Fields, "cdsBody1:TI004");
    SetH("MQC03C", "Y");
    Key("TIC01", "2");
    EXPECT_EQ(form->hints["cboTI004G"], "L0->L4->L3");
}

TEST_F(ArrivalRules, ChangingTheArrivalTypeClearsNumberLineAndBatch) {
    ArrivalReceipt();
    SetL("TIC04", "0001");
    SetL("TIC05", "0001");
    Key("TIC02", "5A01");
    EXPECT_EQ(trace->Only({"?TIC"}), (Trace{"?TIC02", "?TIC03", "?TIC04", "?TIC05"}));
    EXPECT_EQ(L("TIC03"), "");
    EXPECT_EQ(L("TIC04"), "");
    EXPECT_EQ(L("TIC05"), "");
}

TEST_F(ArrivalRules, AnArrivalLineFillsTheLineInOrder) {
    ArrivalReceipt();
    Key("TIC04", "0001");
    EXPECT_TRUE(InOrder(trace->Events(), {"?TIC04",
                                          "look MOCCD 01",
                                          "?TIC05",
                                          "TIC05=",
                                          "look MOCTA 01",
                                          "?TI004",
                                          "TI004=A1001-01",
                                          "TI004C12=A1001-01",
                                          "TI004C2=A1001-01",
                                          "TI005=铝合金外壳",
                                          "?TI009",
                                          "TI009=W01",
                                          "?TI008",
                                          "TI008=PCS",
                                          "?TI049",
                                          "TI049=BOX",
                                          "?TI007",
                                          "TI007=500",
                                          "TI040=第二批到货",
                                          "TI032=********************",
                                          "TI061=PCS",
                                          "TI013=5201",
                                          "TI014=20240105001",
                                          "TI004C3=1000",
                                          "TI004C11=0.13",
                                          "TI014C3=0001",
                                          "TIC04=0001"}))
        << Dump(trace->Events());
    EXPECT_EQ(trace->Find("?TI013"), -1);
    EXPECT_EQ(trace->Find("?TI014"), -1);
    EXPECT_DOUBLE_EQ(LV("TI019"), 0);  // left to the inspection result
    EXPECT_TRUE(form->quantityEditActive);
    EXPECT_EQ(form->hints["cboTIC05G"], "L6");
}

TEST_F(ArrivalRules, AnUnknownArrivalLineIsRefusedAndTheBatchStays) {
    ArrivalReceipt();
    SetL("TIC04", "0001");
    SetL("TIC05", "0001");
    EXPECT_REFUSED(*form, Key("TIC04", "0009"), "100061");
    EXPECT_EQ(L("TIC04"), "0001");
    EXPECT_EQ(L("TIC05"), "0001");
}

TEST_F(ArrivalRules, WithValidationOffTheArrivalFieldsLookNothingUp) {
    ArrivalReceipt();
    form->validationActive = false;
    Key("TIC04", "0009");  // no such arrival line: taken as it is
    EXPECT_EQ(L("TIC04"), "0009");
    EXPECT_EQ(L("TI004"), "");
    Key("TIC05", "0001");
    EXPECT_EQ(L("TIC05"), "0001");
    EXPECT_DOUBLE_EQ(LV("TI019"), 0);
    EXPECT_EQ(trace->Only({"look", "msg"}), Trace{});
}

TEST_F(ArrivalRules, AnInspectionBatchBringsTheInspectedQuantities) {
    Exec("UPDATE MOCTH SET TH023 = 'V' WHERE TH002 = '20240205001'");  // nothing else booked on it
    ArrivalReceipt();
    Key("TIC04", "0001");
    trace->Clear();
    Key("TIC05", "0001");
    EXPECT_DOUBLE_EQ(LV("TI019"), 480);
    EXPECT_DOUBLE_EQ(LV("TI022"), 15);
    EXPECT_DOUBLE_EQ(LV("TI021"), 5);
    EXPECT_DOUBLE_EQ(LV("TI007"), 500);
    EXPECT_DOUBLE_EQ(LV("TI017"), 24);
    EXPECT_DOUBLE_EQ(LV("TI016"), 25);
    EXPECT_DOUBLE_EQ(LV("TI020"), 480);
    EXPECT_EQ(L("TIC06"), "1");
    EXPECT_EQ(L("TI035"), "3");
    // Every value is written quietly.
    for (const std::string& e : trace->Events()) EXPECT_TRUE(e.rfind("?TI0", 0) != 0) << e;
}

TEST_F(ArrivalRules, AnUninspectedArrivalGivesNoQuantities) {
    ArrivalReceipt();
    SetL("TIC03", "20240203001");
    Key("TIC04", "0001");
    trace->Clear();
    Key("TIC05", "0001");
    EXPECT_EQ(trace->Only({"TI0"}), Trace{});
}

TEST_F(ArrivalRules, TheHeaderScrollSetsTheLinkFieldsByDocumentType) {
    form->projectEditLocks.clear();
    GoToReceipt("5902", "20240205001");  // a type matched against arrivals
    EXPECT_TRUE(dm->LineField("TI013")->ReadOnly());
    EXPECT_FALSE(dm->LineField("TIC02")->ReadOnly());
    EXPECT_FALSE(form->projectEditLocks.empty());
    SetH("MQC03C", "Y");
    SetH("MQC04C", "N");
    dm->cdsMainAfterScroll(dm->cdsMain);
    EXPECT_TRUE(dm->LineField("TI013")->ReadOnly());
    EXPECT_FALSE(dm->LineField("TIC02")->ReadOnly());
    EXPECT_TRUE(dm->LineField("TIC05")->ReadOnly());
    SetH("MQC03C", "");
    SetH("MQC04C", "");
    dm->cdsMainAfterScroll(dm->cdsMain);
    for (const char* name : {"TI013", "TI014", "TIC02", "TIC03", "TIC04", "TIC05"})
        EXPECT_FALSE(dm->LineField(name)->ReadOnly()) << name;
    ASSERT_FALSE(form->projectEditLocks.empty());
    EXPECT_FALSE(form->projectEditLocks.back());
}

// ---- supplier document number, project and the serial copy ----

TEST_F(ArrivalRules, AUsedSupplierDocumentNumberIsWarnedAndKept) {
    StartReceipt("5901", "S001", "20240301");
    dm->HeadField("TH006")->SetAsString("JG-240108");
    EXPECT_EQ(form->codes().back(), "200400");
    EXPECT_EQ(H("TH006"), "JG-240108");
    EXPECT_EQ(catalogue->Last("MOCTH", "05")->keys.ArrayCount(), 1);
    // The receipt that holds it asks for the others only.
    EditReceipt("5901", "20240108001");
    const size_t shown = form->messages.size();
    dm->HeadField("TH006")->SetAsString("JG-240108");
    EXPECT_EQ(form->messages.size(), shown);
    EXPECT_EQ(plat::VarToStr(catalogue->Last("MOCTH", "06")->keys[2]), "20240108001");
}

TEST_F(ArrivalRules, AProjectMustExistAndGivesItsName) {
    StartReceipt("5901", "S001", "20240301");
    dm->HeadField("TH045")->SetAsString("P2024-001");
    EXPECT_EQ(H("TH045C"), "新能源控制器项目");
    EXPECT_REFUSED(*form, dm->HeadField("TH045")->SetAsString("P-NONE"), "000001");
    dm->HeadField("TH045")->SetAsString("");
    EXPECT_EQ(H("TH045C"), "");
}

class SerialCopy : public ArrivalRules {
  protected:
    SerialCopy() : copy(new plat::TClientDataSet(form.get())) {
        for (plat::TField* f : dm->cdsFoot->Fields())
            copy->FieldDefs().Add(f->FieldName(), f->DataType(), f->Size());
        copy->CreateDataSet();
        form->serialCopy = copy;
    }
    void CopyRow(const std::string& line, const std::string& serial, const std::string& kind) {
        copy->Append();
        copy->FieldByName("MB001")->SetAsString("5901");
        copy->FieldByName("MB002")->SetAsString("20240118001");
        copy->FieldByName("MB003")->SetAsString(line);
        copy->FieldByName("MB004")->SetAsString(serial);
        copy->FieldByName("MB006")->SetAsString(kind);
        copy->Post();
    }
    int Rows(const std::string& line, const std::string& serial) {
        int n = 0;
        for (copy->First(); !copy->Eof(); copy->Next())
            n += copy->FieldByName("MB003")->AsString() == line &&
                 copy->FieldByName("MB004")->AsString() == serial;
        return n;
    }
    plat::TClientDataSet* copy;
};

TEST_F(SerialCopy, PostedRowsAreMatchedByLineAndSerialNumber) {
    EditReceipt("5901", "20240118001");
    CopyRow("0001", "SN2401180001", "A");
    CopyRow("0002", "SN2401180001", "A");  // the same number on another line
    dm->cdsFoot->First();
    dm->cdsFoot->Edit();
    dm->cdsFoot->FieldByName("MB006")->SetAsString("B");
    dm->cdsFoot->Post();
    EXPECT_EQ(copy->RecordCount(), 2);
    ASSERT_TRUE(
        copy->Locate("MB003;MB004", plat::VarArrayOf({Variant("0002"), Variant("SN2401180001")})));
    EXPECT_EQ(copy->FieldByName("MB006")->AsString(), "A");
    ASSERT_TRUE(
        copy->Locate("MB003;MB004", plat::VarArrayOf({Variant("0001"), Variant("SN2401180001")})));
    EXPECT_EQ(copy->FieldByName("MB006")->AsString(), "B");
    // A new serial number adds a row.
    dm->cdsFoot->Append();
    dm->cdsFoot->FieldByName("MB004")->SetAsString("SN-NEW");
    dm->cdsFoot->Post();
    EXPECT_EQ(Rows("0001", "SN-NEW"), 1);
}

TEST_F(SerialCopy, ADeletedRowGoesFromItsLineOnly) {
    EditReceipt("5901", "20240118001");
    CopyRow("0001", "SN2401180001", "A");
    CopyRow("0001", "SN2401180001", "A");
    CopyRow("0002", "SN2401180001", "A");
    dm->cdsFoot->First();
    dm->cdsFoot->Delete();
    EXPECT_EQ(Rows("0001", "SN2401180001"), 0);
    EXPECT_EQ(Rows("0002", "SN2401180001"), 1);
}

}  // namespace
}  // namespace ktrb::test
