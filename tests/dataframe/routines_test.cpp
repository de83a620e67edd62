// Data set routines: FLAG made whole before a save, saving, null fields,
// year-months, deleting with nested rows, reopening, blank fields and the
// grid layout files.
#include <gtest/gtest.h>

#include <memory>

#include "dataframe/knlBase.h"
#include "dataframe/knlRadical.h"
#include "platform/system/desktop.h"
#include "platform/system/inifile.h"
#include "support/dataframe/DataModuleFixture.h"

namespace ktrb::test {
namespace {

using plat::TClientDataSet;
using plat::Variant;

// A header data set with its nested lines over an in-memory provider.
struct Document {
    explicit Document(std::vector<plat::TPacketRow> rows = {})
        : provider("pvdMain", HeaderFields(), std::move(rows)) {
        main.SetName("cdsMain");
        main.SetProvider(&provider);
        main.Open();
        body.SetName("cdsBody1");
        body.SetDataSetField(dynamic_cast<plat::TDataSetField*>(main.FieldByName("qryBody")));
        body.Open();
    }
    double storedFlag(size_t header, int line = -1) {
        const plat::TPacketRow& h = provider.Rows().at(header);
        return line < 0 ? h.values[11].AsFloat() : h.details[0].at(line).values[5].AsFloat();
    }
    plat::TMemoryProvider provider;
    TClientDataSet main;
    TClientDataSet body;
};

TEST(ApplyDataSet, InsertedHeaderAndLinesAreSavedWithFlagOne) {
    Document doc;
    doc.main.Insert();
    doc.main.FieldByName("TH001")->SetAsString("5901");
    doc.main.FieldByName("TH002")->SetAsString("20240001");
    doc.main.FieldByName("FLAG")->SetAsString("-1");
    for (const char* line : {"0001", "0002"}) {
        doc.body.Insert();
        doc.body.FieldByName("TI001")->SetAsString("5901");
        doc.body.FieldByName("TI002")->SetAsString("20240001");
        doc.body.FieldByName("TI003")->SetAsString(line);
        doc.body.FieldByName("FLAG")->SetAsString("-1");
        doc.body.Post();
    }
    ASSERT_TRUE(ApplyDataSet(nullptr, &doc.main));
    ASSERT_EQ(doc.provider.Rows().size(), 1u);
    EXPECT_EQ(doc.storedFlag(0), 1);
    EXPECT_EQ(doc.storedFlag(0, 0), 1);
    EXPECT_EQ(doc.storedFlag(0, 1), 1);
    EXPECT_EQ(doc.main.ChangeCount(), 0);
}

TEST(ApplyDataSet, ARefusedRowIsReportedAsFailure) {
    Document doc({HeaderRow("5901", "20240001", 3)});
    doc.provider.OnApplyRow = [](const plat::TDeltaRow&, int, std::vector<plat::TAssignedValue>&) {
        return std::string("row changed by another user");
    };
    doc.main.Edit();
    doc.main.FieldByName("TH029")->SetAsString("20240401");
    EXPECT_FALSE(ApplyDataSet(nullptr, &doc.main));
}

TEST(ApplyDataSet, AnExceptionIsLoggedAndPassedOn) {
    Installation installation;
    Document doc({HeaderRow("5901", "20240001", 3)});
    doc.provider.OnApplyRow = [](const plat::TDeltaRow&, int,
                                 std::vector<plat::TAssignedValue>&) -> std::string {
        throw plat::EDatabaseError("disk full");
    };
    doc.main.Edit();
    doc.main.FieldByName("TH029")->SetAsString("20240401");
    EXPECT_THROW(ApplyDataSet(nullptr, &doc.main), plat::EDatabaseError);
    EXPECT_NE(installation.alertLog("Class knlRadical-311").find("disk full"), std::string::npos);
}

// Making FLAG whole may move a line in an order that uses FLAG (the user
// sorted the lines by it): every line is still reached once.
TEST(ApplyDataSet, LinesOrderedByTheirFlagAreAllMadeWhole) {
    Document doc({HeaderRow(
        "5901", "20240001", 0,
        {LineRow("5901", "20240001", "0001", "A", 0), LineRow("5901", "20240001", "0002", "B", 1),
         LineRow("5901", "20240001", "0003", "C", 2)})});
    doc.body.IndexDefs().Add("ByFlag", "FLAG", plat::ixDescending);
    doc.body.SetIndexName("ByFlag");
    for (const char* line : {"0001", "0002", "0003"}) {
        ASSERT_TRUE(doc.body.Locate("TI003", Variant(line)));
        doc.body.Edit();
        plat::TField* flag = doc.body.FieldByName("FLAG");
        flag->SetAsFloat(EditStamp((int)flag->AsFloat()));
        doc.body.Post();
    }
    ASSERT_TRUE(ApplyDataSet(nullptr, &doc.main));
    EXPECT_EQ(doc.storedFlag(0, 0), 1);
    EXPECT_EQ(doc.storedFlag(0, 1), 2);
    EXPECT_EQ(doc.storedFlag(0, 2), 3);
}

TEST(ResetNegativeFlags, NestedSweepKeepsEventsAndControlsWhenAWriteFails) {
    Document doc(
        {HeaderRow("5901", "20240001", 0, {LineRow("5901", "20240001", "0001", "A", -2)})});
    int scrolls = 0;
    doc.body.AfterScroll = [&](plat::TDataSet*) { ++scrolls; };
    doc.body.FieldByName("FLAG")->OnValidate = [](plat::TField*) {
        throw plat::EDatabaseError("refused");
    };
    EXPECT_THROW(ResetNegativeFlags(&doc.body, true), plat::EDatabaseError);
    doc.body.Cancel();
    EXPECT_FALSE(doc.body.ControlsDisabled());
    doc.body.First();
    EXPECT_EQ(scrolls, 1);
}

TEST(FlagCounter, SavesRunZeroToNineHundredNinetyNineAndRoundAgain) {
    struct Case {
        int before, stamp, saved;
    };
    for (Case c : {Case{0, -1, 1}, Case{5, -6, 6}, Case{998, -999, 999}, Case{999, -1000, 0}}) {
        EXPECT_EQ(EditStamp(c.before), c.stamp) << c.before;
        EXPECT_LT(EditStamp(c.before), 0) << "a stamped row keeps its mark";
        EXPECT_EQ(SavedFlag(EditStamp(c.before)), c.saved) << c.before;
    }
}

TEST(FillNullFields, GivesStringsAndNumbersAValueAndLeavesOtherTypesNull) {
    TClientDataSet ds;
    ds.FieldDefs().Add("S", plat::TFieldType::ftString, 10);
    ds.FieldDefs().Add("I", plat::TFieldType::ftInteger);
    ds.FieldDefs().Add("F", plat::TFieldType::ftFloat);
    ds.FieldDefs().Add("B", plat::TFieldType::ftBoolean);
    ds.FieldDefs().Add("C", plat::TFieldType::ftCurrency);
    ds.CreateDataSet();
    int validations = 0;
    ds.FieldByName("S")->OnValidate = [&](plat::TField*) { ++validations; };
    ds.FieldByName("S")->SetReadOnly(true);
    ds.Insert();
    FillNullFields(&ds);
    EXPECT_FALSE(ds.FieldByName("S")->IsNull());
    EXPECT_EQ(ds.FieldByName("S")->AsString(), "");
    EXPECT_EQ(ds.FieldByName("I")->Value(), Variant(0));
    EXPECT_EQ(ds.FieldByName("F")->Value(), Variant(0));
    EXPECT_TRUE(ds.FieldByName("B")->IsNull());
    EXPECT_TRUE(ds.FieldByName("C")->IsNull());
    EXPECT_EQ(validations, 0);
    EXPECT_TRUE(ds.FieldByName("S")->ReadOnly());
}

TEST(NormalizeYearMonthText, LayoutsAndRefusals) {
    struct Case {
        const char* text;
        int layout;
        const char* separator;
        const char* expected;
    };
    for (Case c : {Case{"2024/3", 1, "/", "202403"}, Case{"3/2024", 2, "/", "202403"},
                   Case{"03-2024", 3, "-", "202403"}, Case{"113/3", 4, "/", "202403"},
                   Case{"113/03", 5, "/", "202403"}, Case{"0/3", 1, "/", ""},
                   Case{"2024/0", 1, "/", ""}, Case{"  ", 1, "/", ""}, Case{"2024/3", 7, "/", ""}})
        EXPECT_EQ(NormalizeYearMonthText(c.text, c.layout, c.separator), c.expected)
            << c.text << " " << c.layout;
}

TEST(DeleteAllRecords, NestedRowsGoWithTheirRecordAndEventsCanBeHeld) {
    Document doc(
        {HeaderRow("5901", "1", 0,
                   {LineRow("5901", "1", "0001", "A", 0), LineRow("5901", "1", "0002", "B", 0)}),
         HeaderRow("5901", "2", 0, {LineRow("5901", "2", "0001", "C", 0)})});
    int deletes = 0;
    doc.body.AfterDelete = [&](plat::TDataSet*) { ++deletes; };
    DeleteAllRecords(&doc.body, true, true);
    EXPECT_TRUE(doc.body.IsEmpty());
    EXPECT_EQ(deletes, 0);
    EXPECT_TRUE(doc.body.AfterDelete.Assigned());
    EXPECT_EQ(doc.main.RecordCount(), 2);

    // A top-level data set loses only the current record's nested rows.
    doc.main.Last();
    DeleteAllRecords(&doc.main, true, false);
    EXPECT_EQ(doc.main.RecordCount(), 2);
    EXPECT_TRUE(doc.body.IsEmpty());
    EXPECT_EQ(deletes, 1);
}

TEST(OpenDataSetByCondition, AllMeansNoConditionAndTheCursorIsBusyMeanwhile) {
    Document doc({HeaderRow("5901", "1", 0)});
    std::vector<bool> cursor;
    SetBusyCursorHandler([&](bool busy) { cursor.push_back(busy); });
    OpenDataSetByCondition(&doc.main, "ALL", Variant("TH001"));
    SetBusyCursorHandler(nullptr);
    const Variant& request = doc.provider.LastRequest();
    ASSERT_TRUE(request.IsArray());
    EXPECT_EQ(request[0].Type(), plat::VarType::OleStr);
    EXPECT_EQ(request[0].RawText(), "");
    EXPECT_EQ(plat::VarToStr(request[1]), "TH001");
    EXPECT_TRUE(doc.main.Active());
    EXPECT_EQ(cursor, (std::vector<bool>{true, false}));
}

TEST(OpenDataSetByCondition, AFailureReachesTheCallerAndTheLog) {
    Installation installation;
    Document doc;
    doc.provider.OnDataRequest = [](const Variant&) -> Variant {
        throw plat::EDatabaseError("bad condition");
    };
    EXPECT_THROW(OpenDataSetByCondition(&doc.main, "TH001='X", Variant()), plat::EDatabaseError);
    EXPECT_NE(installation.alertLog("knlBase-103").find("bad condition"), std::string::npos);
}

TEST(FetchMoreOrLast, FetchesTheRestOfTheQueryAndShowsItsLastRecord) {
    std::vector<plat::TPacketRow> rows;
    for (int i = 0; i < 1234; ++i) rows.push_back(HeaderRow("5901", std::to_string(i), 0));
    plat::TMemoryProvider provider("pvdMain", HeaderFields(), rows);
    TClientDataSet ds;
    ds.SetProvider(&provider);
    ds.PacketRecords = 20;
    ds.FetchOnDemand = false;
    ds.Open();
    ds.MoveBy(5);
    FetchMoreOrLast(&ds);
    EXPECT_TRUE(ds.AllFetched());
    EXPECT_EQ(ds.RecordCount(), 1234);
    EXPECT_EQ(ds.RecNo(), 1234);
    EXPECT_EQ(ds.FieldByName("TH002")->AsString(), "1233");
    EXPECT_EQ(ds.PacketRecords, 20);  // the list's own page size stays
    FetchMoreOrLast(&ds);
    EXPECT_EQ(ds.RecNo(), 1234);
}

TEST(ShowFileProperties, OpensTheFoldersFileManager) {
    plat::TRecordingLauncher launcher;
    plat::DesktopLauncherOverride use(launcher);
    ShowFileProperties("C:\\QRV\\c_data\\DS\\KTRB52_20240315.xls");
    ASSERT_EQ(launcher.Opened().size(), 1u);
    EXPECT_EQ(launcher.Opened()[0], "C:/QRV/c_data/DS/");
}

TEST(FindBlankField, FirstVisibleWritableBlankFieldOfTheDataSetsEntry) {
    Document doc({HeaderRow("5901", "", 0)});
    plat::TField* field = nullptr;
    ASSERT_TRUE(FindBlankField(&doc.main, "cdsBody1:TH001;cdsMain:TH001,TH007,TH002,TH029", field));
    EXPECT_EQ(field->FieldName(), "TH002");
    doc.main.FieldByName("TH002")->SetReadOnly(true);
    EXPECT_FALSE(FindBlankField(&doc.main, "cdsMain:TH001,TH002,TH029", field));
    EXPECT_EQ(field, nullptr);
}

// ---- grid layout files ----

TEST(GridLayout, FileFormatSectionsAndRoundTrip) {
    Installation installation;
    Document doc({HeaderRow("5901", "1", 0, {LineRow("5901", "1", "0001", "A", 0)})});
    doc.body.FieldByName("TI004")->SetDisplayWidth(25);
    doc.body.FieldByName("TI007")->SetDisplayFormat("#,##0.00");
    doc.body.FieldByName("TI007")->SetIndex(0);
    SaveGridLayout("DS", "KTRB52C", &doc.body, 0);
    SaveGridLayout("DS", "KTRB52C", &doc.main, 0);

    std::string file = installation.client() + "c_Data/DS/KTRB52C.ugs";
    plat::TIniFile ini(file);
    EXPECT_EQ(ini.ReadString("cdsBody1_0", "TI007", ""), "0;10;#,##0.00");
    EXPECT_EQ(ini.ReadString("cdsBody1_0", "TI004", ""), "4;25");
    EXPECT_EQ(ini.ReadString("cdsMain", "TH001", ""), "0;4");
    EXPECT_EQ(ini.ReadString("cdsMain", "FLAG", ""), "11;10;");

    Document fresh({HeaderRow("5901", "1", 0, {LineRow("5901", "1", "0001", "A", 0)})});
    LoadGridLayout("DS", "KTRB52C", &fresh.body, 0);
    EXPECT_EQ(fresh.body.FieldByName("TI007")->Index(), 0);
    EXPECT_EQ(fresh.body.FieldByName("TI007")->DisplayFormat(), "#,##0.00");
    EXPECT_EQ(fresh.body.FieldByName("TI004")->DisplayWidth(), 25);

    // Another grid index of the body is another section; index -1 the plain name.
    EXPECT_EQ(GridLayoutSection(&doc.body, -1), "cdsBody1");
    EXPECT_EQ(GridLayoutSection(&doc.body, 2), "cdsBody1_2");
    EXPECT_EQ(GridLayoutSection(&doc.main, 2), "cdsMain");
}

TEST(GridLayout, TheFolderComesFromTheClientSettingsAndFallsBackWithoutSubDirectory) {
    Installation installation;
    installation.SetServers("127.0.0.1", 211,
                            "GridViewDataPath=" + installation.client() + "views");
    EXPECT_EQ(GridLayoutFolder(), installation.client() + "views/");
    EXPECT_EQ(GridLayoutFolder("DS"), installation.client() + "views/DS/");

    Installation::write(installation.client() + "views/KTRB52C.ugs", "[cdsMain]\nTH029=0;30\n");
    Document doc({HeaderRow("5901", "1", 0)});
    LoadGridLayout("DS", "KTRB52C", &doc.main, -1);
    EXPECT_EQ(doc.main.FieldByName("TH029")->Index(), 0);
    EXPECT_EQ(doc.main.FieldByName("TH029")->DisplayWidth(), 30);
}

TEST(GridLayout, MalformedEntriesAndUnreadableFilesAreSkippedWithALogLine) {
    Installation installation;
    std::string folder = installation.client() + "c_Data/";
    Installation::write(folder + "BAD.ugs",
                        "[cdsMain]\nTH001=x;9\nTH002=3;-4\nTH029=0;12\nNOSUCH=1;1\n");
    Document doc({HeaderRow("5901", "1", 0)});
    LoadGridLayout("", "BAD", &doc.main, -1);
    EXPECT_EQ(doc.main.FieldByName("TH029")->Index(), 0);
    EXPECT_EQ(doc.main.FieldByName("TH029")->DisplayWidth(), 12);
    EXPECT_EQ(doc.main.FieldByName("TH001")->DisplayWidth(), 4);
    EXPECT_NE(installation.alertLog("knlBase").find("2 malformed"), std::string::npos);

    // A file that cannot be read is a log line, not an error.
    std::filesystem::create_directories(folder + "DIR.ugs");
    EXPECT_NO_THROW(LoadFieldLayout(folder + "DIR.ugs", &doc.main, -1));
    EXPECT_NE(installation.alertLog("knlBase").find("not loaded"), std::string::npos);
}

}  // namespace
}  // namespace ktrb::test
