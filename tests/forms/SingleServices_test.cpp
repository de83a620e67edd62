// The single-table form's query and saved schemes, numbering, user-defined
// fields, drill-down links, print-format defaults, attachments and import.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "controls/BtChkBox.h"
#include "controls/ExtPage.h"
#include "controls/FDBGrid.h"
#include "forms/OptionsCF.h"
#include "forms/ShowStatusCF.h"
#include "forms/UserDefINI.h"
#include "platform/ui/menus.h"
#include "single_fixture.h"

namespace ktrb::test {
namespace {

using plat::VarArrayOf;

class Services : public SingleFormTest {
  protected:
    std::string Where() const { return form->MainWhere; }
    bool Shows(const std::string& code) const {
        for (const Shown& m : form->messages)
            if (m.kind + m.code == code) return true;
        return false;
    }
    int SetTopRows() const { return appServer->Count("SetTopRow"); }
};

// ---- export -----------------------------------------------------------------------

// The module's exports get the form's progress window, owned by the form.
TEST_F(Services, ExportsShowTheProgressWindowOfTheForm) {
    Start();
    std::unique_ptr<IExportProgress> progress = form->CreateProgressWindow();
    ASSERT_NE(progress, nullptr);
    progress->Start("导出", 0, 10);
    plat::TCustomForm* shown = nullptr;
    for (int i = 0; i < plat::Screen->FormCount(); ++i)
        if (plat::Screen->Forms(i)->ClassName() == "TfrmShowStatus") shown = plat::Screen->Forms(i);
    ASSERT_NE(shown, nullptr);
    EXPECT_TRUE(shown->Visible());
    EXPECT_EQ(shown->Owner(), form);
    progress->Finish();
}

// ---- query ----------------------------------------------------------------------

TEST_F(Services, QueryTakesTheLimitAndTheConditionHook) {
    Start();
    form->adjust = true;
    form->query->where = "MA021='RMB'";
    form->query->pick = 150;
    form->pgHead->SetActivePageIndex(0);
    ASSERT_TRUE(form->QueryRecords());
    EXPECT_EQ(form->query->prepared.front(), "PURMA|show|MA001");
    ASSERT_EQ(SetTopRows(), 1);
    EXPECT_EQ(appServer->Last("SetTopRow")->args[0].AsInteger(), 150);
    EXPECT_EQ(Where(), "(MA021='RMB') and MA016='1'");
    EXPECT_EQ(form->FormMode(), TFormMode::Browse);
    EXPECT_EQ(form->pgHead->ActivePage(), form->tbsBrowse);
    // The setting "SYS151" was offered as the dialog's limit.
    EXPECT_EQ(form->query->offered, 200);
}

TEST_F(Services, TheOtherDialectHasNoLimitAndACancelStillShowsTheBrowsePage) {
    Start(0, [](TfrmSupplier& f) { f.SqlType = 1; });
    EXPECT_EQ(form->query->prepared.front(), "PURMA|hide|MA001");
    form->query->ok = false;
    form->pgHead->SetActivePageIndex(0);
    ASSERT_TRUE(form->QueryRecords());
    EXPECT_EQ(form->pgHead->ActivePage(), form->tbsBrowse);
    form->query->ok = true;
    form->query->where = "MA001='S002'";
    form->QueryRecords();
    EXPECT_EQ(SetTopRows(), 0);
    EXPECT_EQ(Where(), "MA001='S002'");
}

TEST_F(Services, ANonNumericLimitSettingFailsBeforeTheDialog) {
    Start();
    form->Brokers()->SetSysParam("SYS151", "abc");
    EXPECT_THROW(form->QueryRecords(), std::exception);
    EXPECT_EQ(form->query->shown, 0);
}

TEST_F(Services, AFailingOpenIsReportedAndTheModeStays) {
    Start();
    dm->cdsMain->First();
    form->EditRecord();
    form->CancelEdit(false);
    appServer->Fail("SetTopRow", "server gone");
    form->QueryRecords();
    EXPECT_TRUE(Shows("W000001"));
}

TEST_F(Services, ASavedSchemeRunsWithoutTheConditionHook) {
    Start();
    plat::TMemoryProvider saved("pvdConSave",
                                {plat::PacketField("NCONDITION", plat::TFieldType::ftString, 20),
                                 plat::PacketField("VCONDITION", plat::TFieldType::ftString, 200),
                                 plat::PacketField("CREATOR", plat::TFieldType::ftString, 10),
                                 plat::PacketField("PROGRAMME", plat::TFieldType::ftString, 10),
                                 plat::PacketField("CREATE_DATE", plat::TFieldType::ftString, 8),
                                 plat::PacketField("ActivePage", plat::TFieldType::ftInteger)});
    plat::TPacketRow row;
    row.values = plat::TValueRow({Variant("人民币供应商"), Variant("<scheme/>"), Variant("DS"),
                                  Variant("VNDB04"), Variant("20240101"), Variant(1)});
    saved.Rows().push_back(row);
    dm->cdsSaveCondition->SetProvider(&saved);
    form->RebuildConditionMenu();
    ASSERT_EQ(form->mnCondition->Items()->Count(), 1);
    plat::TMenuItem* item = form->mnCondition->Items()->Items(0);
    EXPECT_EQ(item->Name(), "mnu0");
    EXPECT_EQ(form->btnQuery->Style(), plat::TToolButtonStyle::tbsDropDown);
    form->adjust = true;
    form->query->schemeWhere = "MA021='RMB'";
    item->Click();
    EXPECT_EQ(form->query->loaded, "1:<scheme/>");
    EXPECT_EQ(Where(), "MA021='RMB'");
    EXPECT_EQ(form->pgHead->ActivePage(), form->tbsBrowse);
    dm->cdsSaveCondition->Close();
    dm->cdsSaveCondition->SetProvider(nullptr);
}

// ---- numbering -----------------------------------------------------------------

TEST_F(Services, NumberingFailureIsShownAndNothingIsSavedUnderIt) {
    Start();
    std::string number = "S0099";
    host.validator->Answer("QueryMaxSeq", [&](plat::DispArgs a) {
        a[6] = Variant(number);
        return Variant(!number.empty());
    });
    std::string docNo;
    form->AssignDocumentNumber(docNo);
    EXPECT_EQ(docNo, "S0099");
    EXPECT_TRUE(form->messages.empty());

    number.clear();
    form->AssignDocumentNumber(docNo);
    EXPECT_EQ(docNo, "unknown");
    EXPECT_TRUE(Shows("E000033"));

    form->AddRecord(true);
    dm->AutoNumber = true;
    dm->AutoNumberField = "MA001";
    F("MA001")->SetAsString(docNo);
    form->messages.clear();
    EXPECT_FALSE(form->SaveDocument());
    EXPECT_TRUE(Shows("E000033"));
    EXPECT_TRUE(form->SaveFailed);
    EXPECT_EQ(dm->provider.Rows().size(), 3u);
    EXPECT_EQ(form->FormMode(), TFormMode::Add);
    EXPECT_EQ(dm->cdsMain->State(), plat::dsInsert);
}

// ---- user-defined fields -------------------------------------------------------

TEST_F(Services, UserFieldsTakeTheirLabelsOrANumberedDefault) {
    admmd = VarArrayOf({VarArrayOf({"UDF02", "结算方式", "Settlement"})});
    Start();
    EXPECT_EQ(F("UDF01")->DisplayLabel(), "自定义项1");
    EXPECT_EQ(F("UDF02")->DisplayLabel(), "结算方式");
    EXPECT_FALSE(F("UDF01")->Visible());
    EXPECT_EQ(form->edUDF01->DataField(), "UDF01");
    EXPECT_EQ(form->edUDF02->DataSource(), dm->dsMain);
    EXPECT_FALSE(form->tbsUDF->TabVisible());
}

// ---- drill-down links ----------------------------------------------------------

TEST_F(Services, LinksBuildTheTargetProgramsCondition) {
    struct Case {
        const char* a;
        const char* b;
        const char* x;
        const char* y;
        const char* sep;
        uint8_t dialect;
        const char* value;
        const char* want;
    } cases[] = {
        {"MA001", "MA001", "TA004", "TA004", "", 0, "S001", "TA004='S001'"},
        {"MA001", "MA021", "TA004", "TA005", "", 0, "S001", "TA004='S001' and TA005='RMB'"},
        {"MA001", "MA021", "TA004", "TA004", "-", 0, "S001", "TA004='S001-RMB'"},
        {"MA001", "MA001", "TA001", "TA002", "-", 0, "AB-CDE",
         "SUBSTRING(TA001,1,2)+'-'+SUBSTRING(TA002,1,3)='AB-CDE'"},
        {"MA001", "MA001", "TA001", "TA002", "-", 1, "AB-CDE", "TA001||'-'||TA002='AB-CDE'"},
        {"MA001", "MA001", "TA001", "TA002", "", 0, "S001", "TA001+TA002='S001'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.want);
        Start(0, [&](TfrmSupplier& f) { f.SqlType = c.dialect; });
        server["SimpleSql"] = [&](const Variant& args) -> Variant {
            if (plat::VarToStr(args[0]).find("SELECT * FROM ADMMR") == std::string::npos)
                return Variant();
            return VarArrayOf(
                {VarArrayOf({"K1", "", c.a, c.b, "PURI07", c.x, c.y, c.sep, "", "1"})});
        };
        dm->cdsMain->First();
        dm->cdsMain->Edit();
        F("MA001")->SetAsString(c.value);
        dm->cdsMain->Post();
        form->gdHead->SetSelectedField(F("MA001"));
        form->FollowGridLink(form->gdHead, dm->cdsMain);
        ASSERT_EQ(form->opened.size(), 1u);
        EXPECT_EQ(form->opened[0], std::string("PURI07|") + c.want);
        form->Free();
        form = nullptr;
    }
}

TEST_F(Services, ALinkCutToFifteenCharactersStaysOneQuotedText) {
    Start();
    server["SimpleSql"] = [](const Variant& args) -> Variant {
        if (plat::VarToStr(args[0]).find("SELECT * FROM ADMMR") == std::string::npos)
            return Variant();
        return VarArrayOf(
            {VarArrayOf({"K1", "", "MA002", "MA002", "PURI07", "TA001", "TA002", "", "", "1"})});
    };
    dm->cdsMain->First();
    dm->cdsMain->Edit();
    F("MA002")->SetAsString("ABCDEFGHIJKLMN'XYZ");  // the cut falls on the quote
    dm->cdsMain->Post();
    form->gdHead->SetSelectedField(F("MA002"));
    form->FollowGridLink(form->gdHead, dm->cdsMain);
    ASSERT_EQ(form->opened.size(), 1u);
    EXPECT_EQ(form->opened[0], "PURI07|TA001+TA002='ABCDEFGHIJKLMN'''");
}

TEST_F(Services, ALinkWithASelectorTakesTheMatchingRowOrNothing) {
    Start();
    server["SimpleSql"] = [](const Variant& args) -> Variant {
        if (plat::VarToStr(args[0]).find("SELECT * FROM ADMMR") == std::string::npos)
            return Variant();
        return VarArrayOf({VarArrayOf({"K1", "MA021", "MA001", "MA001", "PURI07", "TA004", "TA004",
                                       "", "USD", "1"}),
                           VarArrayOf({"K2", "MA021", "MA001", "MA001", "PURI08", "TB004", "TB004",
                                       "", "RMB", "2"})});
    };
    dm->cdsMain->First();  // S001, RMB
    form->gdHead->SetSelectedField(F("MA001"));
    form->FollowGridLink(form->gdHead, dm->cdsMain);
    ASSERT_EQ(form->opened.size(), 1u);
    EXPECT_EQ(form->opened[0], "PURI08|TB004='S001'");
    dm->cdsMain->Edit();
    F("MA021")->SetAsString("EUR");
    dm->cdsMain->Post();
    form->FollowGridLink(form->gdHead, dm->cdsMain);
    EXPECT_EQ(form->opened.size(), 1u);
}

// ---- print formats -------------------------------------------------------------

TEST_F(Services, AFormatBecomesAndStopsBeingThisMachinesDefault) {
    Start();
    server["SimpleSql"] = [](const Variant& args) -> Variant {
        if (plat::VarToStr(args[0]).find("WARRANT") == std::string::npos) return Variant();
        EXPECT_NE(plat::VarToStr(args[0]).find("like '%VNDB04%'"), std::string::npos);
        return VarArrayOf({VarArrayOf({"格式一"}), VarArrayOf({"格式二"})});
    };
    dm->cdsMain->First();
    form->LoadVoucherFormats(form->miVoucherFormats, true);
    ASSERT_EQ(form->miVoucherFormats->Count(), 2);
    plat::TMenuItem* second = form->miVoucherFormats->Items(1);
    EXPECT_FALSE(second->Checked());
    second->Click();
    EXPECT_TRUE(second->Checked());
    std::string name;
    TUserDefIni().GetDefault("VNDB04", "S001", name);
    EXPECT_EQ(name, "格式二");
    // A fresh menu marks the default.
    form->LoadVoucherFormats(form->miVoucherFormats, true);
    EXPECT_TRUE(form->miVoucherFormats->Items(1)->Checked());
    // Declining the question changes nothing; accepting removes the default.
    form->answers["W100079"] = modal::Cancel;
    form->miVoucherFormats->Items(1)->Click();
    EXPECT_TRUE(form->miVoucherFormats->Items(1)->Checked());
    form->answers.clear();
    form->miVoucherFormats->Items(1)->Click();
    EXPECT_FALSE(form->miVoucherFormats->Items(1)->Checked());
    TUserDefIni().GetDefault("VNDB04", "S001", name);
    EXPECT_EQ(name, "<New>");
}

TEST_F(Services, NoFormatsGiveOneDisabledItem) {
    Start();
    form->LoadVoucherFormats(form->miVoucherFormats, true);
    ASSERT_EQ(form->miVoucherFormats->Count(), 1);
    EXPECT_FALSE(form->miVoucherFormats->Items(0)->Enabled());
}

// ---- attachments ---------------------------------------------------------------

TEST_F(Services, AttachmentsOpenWithTheRecordsKeyButNotWhileAdding) {
    auto manager = std::make_shared<ScriptedObject>("Attachments");
    manager->Answer("Init", [](plat::DispArgs) { return Variant(); });
    manager->Answer("ShowModal", [](plat::DispArgs) { return Variant(); });
    manager->Value("ParentHandle", Variant(0));
    plat::OleFactoryScope scope("Vellcor.Class1", [&] { return plat::DispatchPtr(manager); });
    Start();
    form->AttachmentsEnabled = true;
    dm->cdsMain->First();
    form->UpdateButtons();
    form->ShowAttachments();
    ASSERT_EQ(manager->Count("Init"), 1);
    const Variant& init = manager->Last("Init")->args[0];
    EXPECT_EQ(plat::VarToStr(init[0]) + "|" + plat::VarToStr(init[1]) + "|" +
                  plat::VarToStr(init[2]) + "|" + plat::VarToStr(init[3]) + "|" +
                  plat::VarToStr(init[4]) + "|" + plat::VarToStr(init[5]),
              "DEMO|DS|VNDB04|S001|MA001|1");
    EXPECT_EQ(manager->Count("ShowModal"), 1);
    form->AddRecord(true);
    form->ShowAttachments();
    EXPECT_EQ(manager->Count("Init"), 1);
}

TEST_F(Services, AttachmentKeysComeFromTheServer) {
    Start();
    server["SimpleSql"] = [](const Variant& args) -> Variant {
        if (plat::VarToStr(args[0]).find("ATTACH") == std::string::npos) return Variant();
        return VarArrayOf({VarArrayOf({"S003"}), VarArrayOf({"S001"})});
    };
    form->LoadAttachmentKeys();
    dm->cdsMain->First();
    EXPECT_TRUE(form->HasAttachments());
    dm->cdsMain->Next();
    EXPECT_FALSE(form->HasAttachments());
    server["SimpleSql"] = [](const Variant&) { return Variant("no rows"); };
    form->LoadAttachmentKeys();
    EXPECT_EQ(form->AttachmentKeys.Count(), 0);
}

// ---- options ------------------------------------------------------------------

TEST_F(Services, OptionsTakeEffectOnTheFormAndTheModule) {
    Start();
    form->KeepOnAdd = true;
    runner->Expect("TfrmOptions", [](plat::TCustomForm& dialog) {
        auto& options = static_cast<TfrmOptions&>(dialog);
        options.chkKeepOnAdd->Click();
        options.chkMoneyThousand->Click();
        return plat::mrOk;
    });
    form->miOptions->Click();
    EXPECT_EQ(runner->Pending(), 0);
    EXPECT_FALSE(form->KeepOnAdd);
    EXPECT_FALSE(dm->MoneyThousand);
    EXPECT_TRUE(dm->QuantityThousand);
    // Closing with Cancel changes nothing.
    form->KeepOnAdd = true;
    form->miOptions->Click();
    EXPECT_TRUE(form->KeepOnAdd);
}

// ---- import --------------------------------------------------------------------

TEST_F(Services, MalformedImportSavesNothing) {
    for (const char* xml : {"<dataimport headfields=\"MA001|MA002\"><doc>", "<other/>",
                            "<dataimport><doc><head><row MA001=\"S030\"/></head></doc>"
                            "</dataimport>"}) {
        SCOPED_TRACE(xml);
        Start();
        form->ImportDocumentXml(xml);
        EXPECT_TRUE(Shows("E000032"));
        EXPECT_FALSE(form->ImportDone);
        EXPECT_EQ(dm->provider.Rows().size(), 3u);
        form->Free();
        form = nullptr;
    }
}

TEST_F(Services, ImportSavesEachDocumentWholeAndReportsTheOneThatFails) {
    Start(11);
    form->KeepOnAdd = false;
    dm->provider.OnApplyRow = [](const plat::TDeltaRow& row, int,
                                 std::vector<plat::TAssignedValue>&) {
        for (int i = 0; i < row.newValues.Count(); ++i)
            if (plat::VarToStr(row.newValues[i]) == "S099") return std::string("refused");
        return std::string();
    };
    form->ImportDocumentXml(
        "<dataimport headfields=\"MA001|MA002\" bodyfields=\"\">"
        "<doc><head><row MA001=\"S031\" MA002=\"一号\"/></head></doc>"
        "<doc><head><row MA001=\"S099\" MA002=\"坏的\"/></head></doc>"
        "<doc><head><row MA001=\"S032\" MA002=\"二号\"/></head></doc>"
        "</dataimport>");
    EXPECT_TRUE(form->ImportDone);
    std::vector<std::string> codes;
    for (const plat::TPacketRow& r : dm->provider.Rows())
        codes.push_back(plat::VarToStr(r.values[0]));
    EXPECT_EQ(codes, (std::vector<std::string>{"S001", "S002", "S003", "S031", "S032"}));
    int reports = 0;
    for (const Shown& m : form->messages) reports += m.code == "000032";
    EXPECT_EQ(reports, 1);
}

// ---- colour conditions and batch selection ----------------------------------------

// Each condition's item paints in its own colours with the caption centred;
// a blank or malformed colour falls back to the menu's.
TEST_F(Services, ColourConditionItemsPaintInTheirColours) {
    Start();
    form->SetupColorComponents(
        "<colormanager><head><component name=\"gdHead\" enable=\"Y\">"
        "<condition value=\"MA003='RMB'\" colorx=\"255\" bkcolor=\"65280\" msg=\"人民币\"/>"
        "<condition value=\"MA003='USD'\" colorx=\"\" bkcolor=\"x1\" msg=\"美元\"/>"
        "</component></head></colormanager>");
    plat::TPopupMenu* menu = form->pmColorCondition;
    ASSERT_EQ(menu->Items()->Count(), 2);
    ASSERT_TRUE(menu->OwnerDraw);
    const plat::TRect r = plat::Bounds(0, 0, 120, 20);
    struct Case {
        int item;
        bool selected;
        plat::TColor back, fore;
        const char* caption;
    };
    for (const Case& c : {Case{0, false, (plat::TColor)65280, (plat::TColor)255, "人民币"},
                          Case{0, true, plat::clHighlight, (plat::TColor)255, "人民币"},
                          Case{1, false, plat::clMenu, plat::clMenuText, "美元"}}) {
        plat::TRecordingCanvas rec;
        menu->Items()->Items(c.item)->DrawTo(rec, r, c.selected);
        ASSERT_EQ(rec.Texts(), std::vector<std::string>{c.caption}) << c.item;
        EXPECT_EQ(rec.Ops()[0].Brush.Color, c.back) << c.item << c.selected;
        const plat::CanvasOp& text = rec.Ops().back();
        EXPECT_EQ(text.Font.Color, c.fore) << c.item;
        // Centred: the text starts as far from the left as it ends from the right.
        const int left = text.Points[0].X - r.Left;
        EXPECT_NEAR(2 * left + rec.TextWidth(c.caption), r.Width(), 2) << c.item;
    }
    if (const char* dir = std::getenv("KTRB_SHOTS")) {
        plat::TBitmap shot(120, 40);
        for (int i = 0; i < 2; ++i)
            menu->Items()->Items(i)->DrawTo(*shot.Canvas(), plat::Bounds(0, 20 * i, 120, 20),
                                            false);
        shot.SaveToFile(std::string(dir) + "/ColourConditionMenu.png");
    }
}

// Select-all holds off the module's record colouring only while it runs.
TEST_F(Services, SelectAllReleasesTheColourHoldAfterwards) {
    Start();
    dm->cdsMain->Last();
    form->miBBSelectAllClick(nullptr);
    EXPECT_EQ(form->pgHead->ActivePage(), form->tbsBrowse);
    EXPECT_EQ(form->gdHead->SelectedRows().size(), (size_t)dm->cdsMain->RecordCount());
    EXPECT_EQ(form->ColorHoldValue(), 0);
}

}  // namespace
}  // namespace ktrb::test
