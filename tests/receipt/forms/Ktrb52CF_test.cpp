#include <gtest/gtest.h>

#include <map>

#include "platform/ui/dbgrids.h"
#include "platform/ui/imglist.h"
#include "platform/ui/stdctrls.h"
#include "platform/ui/translations.h"
#include "receipt/forms/receipt_form_fixture.h"

namespace ktrb::test {
namespace {

TEST_F(ReceiptFormTest, StartsOnTheReceiptModuleWithItsFieldRoles) {
    Start();
    EXPECT_EQ(form->Brokers()->ProgramCode, "KTRB52");
    EXPECT_EQ(form->VersionText(), "900214");
    EXPECT_TRUE(form->LineCheckActive);
    EXPECT_EQ(form->ReportProgram, "KTRD52");
    EXPECT_EQ(form->ConfirmFieldName(), "TH023");
    EXPECT_EQ(form->SignOffFieldName(), "TH036");
    EXPECT_EQ(dm->DocumentNumberField, "TH002");
    EXPECT_EQ(dm->DocumentDateField, "TH029");
    EXPECT_NE(form->SerialDataSet(), nullptr);
    EXPECT_FALSE(dm->cdsMain->IsEmpty()) << "the demo receipts were not queried";
    // The receipt module reaches the form through its owner interface.
    EXPECT_EQ(&dm->ReceiptForm(), static_cast<IKtrb52Owner*>(form));
}

TEST_F(ReceiptFormTest, TheLineScrollsViewReachesTheControlsItNames) {
    Start();
    ASSERT_TRUE(GoTo("20240108001"));
    dm->cdsBody1->First();
    ASSERT_EQ(Line("TIC01")->AsString(), "2") << "a formal item line";
    EXPECT_EQ(form->gdBody1->ReadOnly(), Line("TI037")->AsString() == "Y");
    EXPECT_EQ(form->cboTI035G->ReadOnly(), Line("TI035")->ReadOnly());
    const int source = Head("MQC03C")->AsString() == "Y" ? 4 : 2;
    auto hint = [&](const char* editor) {
        return dynamic_cast<plat::TControl*>(form->FindComponent(editor))->Hint();
    };
    EXPECT_EQ(hint("cboTI004G"), form->LookupTextLine(0) + "->" + form->LookupTextLine(source) +
                                     "->" + form->LookupTextLine(3));
    EXPECT_EQ(hint("cboTI009G"), form->LookupTextLine(8));
    EXPECT_TRUE(form->miBatchStockQuery->Enabled());
}

TEST_F(ReceiptFormTest, EachPartOfTheViewGoesToItsOwnControl) {
    Start();
    ASSERT_TRUE(GoTo("20240108001"));
    TKtrb52View view;
    view.TaxKindEnabled = false;
    form->ReceiptViewChanged(view, TKtrb52Part::TaxKind, "");
    EXPECT_FALSE(form->cboTH015->Enabled());
    EXPECT_TRUE(form->edTH030->Enabled());
    view.TaxRateEnabled = false;
    form->ReceiptViewChanged(view, TKtrb52Part::TaxRate, "");
    EXPECT_FALSE(form->edTH030->Enabled());
    view.QueryMenuEnabled = false;
    form->ReceiptViewChanged(view, TKtrb52Part::QueryMenu, "");
    for (plat::TMenuItem* mi :
         {form->miBatchStockQuery, form->miSubcontractPriceQuery, form->miPriceHistoryQuery})
        EXPECT_FALSE(mi->Enabled());
    EXPECT_TRUE(form->miVNDB04->Enabled()) << "only the three queries follow the item";
    view.BodyGridLocked = true;
    form->ReceiptViewChanged(view, TKtrb52Part::BodyGrid, "");
    EXPECT_TRUE(form->gdBody1->ReadOnly());
    // The rules never enable the amount button the form disabled.
    view.MoneyAllowed = true;
    form->btnMoney->SetEnabled(false);
    form->ReceiptViewChanged(view, TKtrb52Part::MoneyButton, "");
    EXPECT_FALSE(form->btnMoney->Enabled());
    view.F11Fields = "cdsBody1:TI004";
    view.AutoConfirmAfterSave = view.PrintAfterSave = true;
    form->ReceiptViewChanged(view, TKtrb52Part::F11Fields, "");
    form->ReceiptViewChanged(view, TKtrb52Part::AfterSave, "");
    EXPECT_EQ(form->F11Fields, "cdsBody1:TI004");
    EXPECT_EQ(form->AutoConfirmAfterAdd, 1);
    EXPECT_EQ(form->PrintAfterSave, 1);
    view.EditorTexts["cboTI010G"] = "LOT-7";
    view.EditorHints["cboTI010G"] = {9, 1};
    form->ReceiptViewChanged(view, TKtrb52Part::EditorText, "cboTI010G");
    form->ReceiptViewChanged(view, TKtrb52Part::EditorHint, "cboTI010G");
    auto* lot = dynamic_cast<plat::TControl*>(form->FindComponent("cboTI010G"));
    ASSERT_NE(lot, nullptr);
    EXPECT_EQ(lot->Text(), "LOT-7");
    EXPECT_EQ(lot->Hint(), form->LookupTextLine(9) + "->" + form->LookupTextLine(1));
}

TEST_F(ReceiptFormTest, EditAndDeleteOnlyOnAnOpenDocumentOfAnEditableKind) {
    Start();
    ASSERT_TRUE(GoTo("20240112001"));
    struct Case {
        const char *confirmed, *kind, *signOff;
        bool open;
    } cases[] = {
        {"N", "D1", "N", true},  {"Y", "D1", "N", false}, {"V", "D1", "N", false},
        {"N", "D2", "N", false}, {"N", "D3", "N", false}, {"N", "", "N", false},
        {"N", "D1", "1", false}, {"N", "D1", "S", false}, {"N", "D1", "3", true},
    };
    for (const Case& c : cases) {
        dm->cdsMain->Edit();
        SetFieldTextQuiet(Head("TH023"), c.confirmed);
        SetFieldTextQuiet(Head("TH001C2"), c.kind);
        SetFieldTextQuiet(Head("TH036"), c.signOff);
        form->UpdateButtons();
        const std::string where = std::string(c.confirmed) + "/" + c.kind + "/" + c.signOff;
        EXPECT_EQ(form->btnEdit->Enabled(), c.open) << where;
        EXPECT_EQ(form->btnDelete->Enabled(), c.open) << where;
        dm->cdsMain->Cancel();
    }
}

TEST_F(ReceiptFormTest, AFormStartedWithoutItsHostRefusesToActWithAMessage) {
    // Not the host's program: the form starts on its own and cannot.
    TfrmRadical::HostProgramMarkers.pop_back();
    form = plat::CreateForm<TRecordedReceiptForm>(nullptr);
    TfrmRadical::HostProgramMarkers.push_back("TEST_RECEIPT_FORMS");
    ASSERT_TRUE(form->StartFailed);
    form->messages.clear();
    EXPECT_FALSE(form->AddRecord(false));
    EXPECT_FALSE(form->EditRecord());
    EXPECT_FALSE(form->DeleteRecord(true));
    EXPECT_FALSE(form->SaveDocument());
    ASSERT_EQ(form->messages.size(), 4u);
    for (const std::string& m : form->messages)
        EXPECT_EQ(m, "box:程序启动失败,无法处理单据,请关闭后重新启动!");
}

TEST_F(ReceiptFormTest, ProjectEditFollowsTheProjectParameter) {
    Start({{"SYS180", "N"}});
    EXPECT_FALSE(form->edTH045->Enabled());
    EXPECT_TRUE(form->edTH045->ReadOnly());
    EXPECT_TRUE(form->RequiredFields.find("TH045") == std::string::npos) << form->RequiredFields;
    EXPECT_TRUE(Line("TI032")->Visible());
}

TEST_F(ReceiptFormTest, ProjectEditRequiredAndWritableWithProjects) {
    Start({{"SYS180", "Y"}});
    EXPECT_FALSE(form->edTH045->ReadOnly());
    EXPECT_NE(form->RequiredFields.find("TH045"), std::string::npos) << form->RequiredFields;
    EXPECT_FALSE(Line("TI032")->Visible());
    EXPECT_TRUE(Line("TI032")->ReadOnly());
}

TEST_F(ReceiptFormTest, PaymentHoldTogglesTheStoredLineAndOnlyWhileBrowsing) {
    Start();
    ASSERT_TRUE(GoTo("20240108001"));
    dm->cdsBody1->First();
    const std::string lineNo = Line("TI003")->AsString();
    const std::string sql =
        "SELECT TI033 FROM MOCTI WHERE TI001='5901' AND TI002='20240108001' "
        "AND TI003='" +
        lineNo + "'";
    const std::string before = Sql(sql);
    const std::string after = before == "Y" ? "N" : "Y";
    form->btnFMoneyClick(form);
    EXPECT_EQ(Sql(sql), after);
    EXPECT_EQ(form->btnFMoney->Down(), after == "Y");
    EXPECT_TRUE(form->LineCheckActive);
    form->btnFMoneyClick(form);
    EXPECT_EQ(Sql(sql), before);
}

// The tool bar's letters, the toolkit's own texts and the status counter in
// the interface's language: 货 becomes 貨 under traditional Chinese while 查
// stays, and English draws no Chinese letter at all.
TEST_F(ReceiptFormTest, GlyphsAndToolkitTextsFollowTheInterfaceLanguage) {
    auto pixels = [&](plat::TToolButton* b) {
        plat::TBitmap bmp;
        form->ImageList1->GetBitmap(b->ImageIndex(), bmp);
        std::vector<plat::TColor> all;
        for (int y = 0; y < bmp.Height(); ++y)
            for (int x = 0; x < bmp.Width(); ++x) all.push_back(bmp.GetPixel(x, y));
        return all;
    };
    std::map<std::string, std::vector<std::vector<plat::TColor>>> glyphs;
    bool traditional = false;
    for (const char* ui : {"936", "950", "437"}) {
        SCOPED_TRACE(ui);
        Start({}, ui);
        EXPECT_EQ(plat::ToolkitLocale(), std::string(ui) == "936"   ? "zh_CN"
                                         : std::string(ui) == "950" ? "zh_TW"
                                                                    : "");
        glyphs[ui] = {pixels(form->btnMoney), pixels(form->BtnSearchs), pixels(form->btnGDToJH)};
        // The window's title is the program's name in the interface's characters.
        // (Traditional characters as far as this installation's tables go.)
        if (std::string(ui) == "950") {
            traditional = form->QvConverter->GBToBig5("货码") == "貨碼";
            EXPECT_TRUE(traditional);
            EXPECT_EQ(form->Caption().rfind(form->QvConverter->GBToBig5("委外进货单"), 0), 0u)
                << form->Caption();
        } else if (std::string(ui) == "936") {
            EXPECT_EQ(form->Caption().rfind("委外进货单", 0), 0u) << form->Caption();
        }
        // The record counter is read whole.
        form->SetStatusPanelText(3, "282/28450");
        plat::TCanvas measure;
        measure.Font.Assign(*form->Status->Font());
        EXPECT_GT(form->Status->Panels()->Items(3)->Width(), measure.TextWidth("282/28450"));
        form->Free();
        form = nullptr;
    }
    EXPECT_EQ(glyphs["950"][0] != glyphs["936"][0], traditional);  // 貨
    EXPECT_EQ(glyphs["950"][1], glyphs["936"][1]);                 // 查
    EXPECT_EQ(glyphs["950"][2] != glyphs["936"][2], traditional);  // 碼
    for (int i = 0; i < 3; ++i) EXPECT_NE(glyphs["437"][i], glyphs["936"][i]) << i;
    plat::LoadToolkitTranslations("");
}

// The foot's amounts are in their number format from the first paint, not
// only after the first query.
TEST_F(ReceiptFormTest, TheFootShowsItsNumberFormatsFromTheFirstPaint) {
    Start();
    ASSERT_TRUE(GoTo("20240108001"));
    form->Show();
    for (TQvDBEdit* e : {form->edTH031, form->edTH032, form->edTH020, form->edTH018}) {
        ASSERT_NE(e, nullptr);
        SCOPED_TRACE(e->Name());
        plat::TField* f = e->DataLink()->Field();
        ASSERT_NE(f, nullptr);
        EXPECT_NE(f->DisplayText(), f->AsString());  // formatted: "3,750.00", not "3750"
        EXPECT_EQ(e->Text(), f->DisplayText());
    }
}

TEST_F(ReceiptFormTest, PictureInChinese) {
    Start();
    ASSERT_TRUE(GoTo("20240108001"));
    form->Show();
    // In the test's temporary folder, or where KTRB_SHOTS names.
    const char* dir = std::getenv("KTRB_SHOTS");
    const std::string out =
        (dir ? std::string(dir) + "/" : ::testing::TempDir()) + "receipt_form_chs.png";
    plat::SaveScreenshot(form, out);
    EXPECT_TRUE(std::filesystem::exists(out));
}

// Every status panel holds its text whole, the server's address in the last
// one included, in each language, on a narrow form and with the larger
// letters of 144 dpi.
TEST_F(ReceiptFormTest, StatusPanelsHoldTheirTextsAtEveryWidthAndSize) {
    for (const char* ui : {"936", "950", "437"}) {
        Start({}, ui);
        ASSERT_TRUE(GoTo("20240108001"));
        form->Show();
        for (const double scale : {1.0, 1.5}) {
            plat::TFont* font = form->Status->Font();
            const int size = font->Size();
            font->SetSize((int)(size * scale));
            for (int i = 0; i < form->Status->Panels()->Count(); ++i)
                form->SetStatusPanelText(i, form->Status->Panels()->Items(i)->Text());
            for (const int width : {1008, 760}) {
                SCOPED_TRACE(std::string(ui) + " x" + std::to_string(scale) + " " +
                             std::to_string(width));
                form->SetWidth(width);
                plat::TCanvas measure;
                measure.Font.Assign(*font);
                int used = 0;
                for (int i = 0; i < form->Status->Panels()->Count(); ++i) {
                    plat::TStatusPanel* p = form->Status->Panels()->Items(i);
                    used += p->Width();
                    if (i == 1) continue;
                    EXPECT_GT(p->Width(), measure.TextWidth(p->Text())) << p->Text();
                }
                EXPECT_LE(used, form->ClientWidth());
                EXPECT_NE(form->Status->Panels()->Items(4)->Text().find(" - "), std::string::npos);
            }
            font->SetSize(size);
        }
        form->Free();
        form = nullptr;
    }
}

// Under the traditional interface nothing the form shows is left in
// simplified characters: captions, hints, tabs, the coded lists and the
// coded columns' texts, the status bar and the grids' titles.
TEST_F(ReceiptFormTest, TheTraditionalInterfaceShowsNoSimplifiedText) {
    Start({}, "950");
    ASSERT_TRUE(GoTo("20240108001"));
    form->Show();
    std::vector<std::string> simplified;
    auto check = [&](const std::string& where, const std::string& text) {
        if (plat::ToCodePageReplacing(text, plat::CodePage::Big5).replaced != 0)
            simplified.push_back(where + ": " + text);
    };
    for (int i = 0; i < form->ComponentCount(); ++i) {
        plat::TComponent* c = form->Components(i);
        for (const char* prop : {"Caption", "Hint", "Text"}) {
            std::string text;
            if (ReadStrProperty(c, prop, text)) check(c->Name() + "." + prop, text);
        }
        if (auto* combo = dynamic_cast<plat::TCustomComboBox*>(c))
            for (int k = 0; k < combo->Items()->Count(); ++k)
                check(c->Name() + ".Items", (*combo->Items())[k]);
        if (auto* grid = dynamic_cast<plat::TCustomDataGrid*>(c)) {
            for (int k = 0; k < grid->Columns()->Count(); ++k) {
                plat::TDataGridColumn* col = grid->Columns()->Items(k);
                if (!col->Visible()) continue;
                check(c->Name() + ".Title", col->Title());
                if (col->Field() && col->Field()->DataSet()->Active())
                    check(c->Name() + "." + col->FieldName(), col->Field()->DisplayText());
            }
        }
    }
    for (int k = 0; k < form->Status->Panels()->Count(); ++k)
        check("Status", form->Status->Panels()->Items(k)->Text());
    std::string all;
    for (const std::string& t : simplified) all += t + "\n";
    EXPECT_TRUE(simplified.empty()) << all;
}

TEST_F(ReceiptFormTest, PictureInTraditionalChinese) {
    Start({}, "950");
    ASSERT_TRUE(GoTo("20240108001"));
    form->Show();
    const std::string out = ShotPath("receipt_form_cht.png");
    plat::SaveScreenshot(form, out);
    EXPECT_TRUE(std::filesystem::exists(out));
    ASSERT_NE(form->TabSheet1, nullptr);
    form->pgHead->SetActivePage(form->TabSheet1);
    plat::SaveScreenshot(form, ShotPath("receipt_form_cht_other.png"));
}

TEST_F(ReceiptFormTest, PictureInEnglish) {
    Start({}, "437");
    ASSERT_TRUE(GoTo("20240108001"));
    form->Show();
    EXPECT_EQ(form->Status->Panels()->Items(0)->Text(), "Browse");
    // In the test's temporary folder, or where KTRB_SHOTS names.
    const char* dir = std::getenv("KTRB_SHOTS");
    const std::string out =
        (dir ? std::string(dir) + "/" : ::testing::TempDir()) + "receipt_form_eng.png";
    plat::SaveScreenshot(form, out);
    EXPECT_TRUE(std::filesystem::exists(out));
    // The invoice and currency page has its own column of labels.
    ASSERT_NE(form->TabSheet1, nullptr);
    form->pgHead->SetActivePage(form->TabSheet1);
    const std::string other =
        (dir ? std::string(dir) + "/" : ::testing::TempDir()) + "receipt_form_eng_other.png";
    plat::SaveScreenshot(form, other);
    EXPECT_TRUE(std::filesystem::exists(other));
}

}  // namespace
}  // namespace ktrb::test

namespace ktrb::test {
namespace {

// The head labels and grid titles come from the field labels, which the
// data module's package must have changed before the form takes them.
struct CaptionCase {
    const char *ui, *supplier, *accepted, *destroyed, *total;
};

class ReceiptCaptionTest : public ReceiptFormTest,
                           public ::testing::WithParamInterface<CaptionCase> {};

TEST_P(ReceiptCaptionTest, FieldCaptionsFollowTheInterfaceLanguage) {
    const CaptionCase& c = GetParam();
    Start({{"SYS069", "N"}}, c.ui);
    ASSERT_NE(form->gdBody1, nullptr);
    auto title = [&](const char* field) {
        for (int i = 0; i < form->gdBody1->VisibleColumnCount(); ++i)
            if (form->gdBody1->VisibleColumn(i)->FieldName() == field)
                return form->gdBody1->VisibleColumn(i)->Title();
        return std::string("(no column)");
    };
    EXPECT_EQ(form->edTH005->Caption(), c.supplier);
    EXPECT_EQ(title("TI019"), c.accepted);
    // Set by the form itself after the packages were applied.
    EXPECT_EQ(title("TI056"), c.destroyed);
    EXPECT_EQ(form->edTH020->Caption(), c.total);
}

INSTANTIATE_TEST_SUITE_P(
    Languages, ReceiptCaptionTest,
    ::testing::Values(CaptionCase{"936", "委外供应商", "验收数量", "破坏数量", "原币税额"},
                      CaptionCase{"950", "委外供應商", "驗收數量", "破壞數量", "原幣稅額"},
                      CaptionCase{"437", "Subcontractor", "Accepted qty", "Destroyed qty",
                                  "Tax (doc. cur.)"}));

TEST(BatchNumberRule, NextNumberOfAPattern) {
    struct Case {
        const char *pattern, *highest, *next;
    } cases[] = {
        {"B***X", "", "B001X"},           {"B***X", "B041X", "B042X"},
        {"B***X", "B099X", "B100X"},      {"B***X", "B999X", ""},
        {"****", "0009", "0010"},         {"L2024**", "L202407", "L202408"},
        {"L2024**", "L20249", "L202401"},  // a short stored number counts as none used
    };
    for (const Case& c : cases)
        EXPECT_EQ(NextBatchNumber(c.pattern, c.highest), c.next) << c.pattern << " " << c.highest;
}

}  // namespace
}  // namespace ktrb::test

namespace ktrb::test {
namespace {

TEST_F(ReceiptFormTest, F2OnTheSupplierAndTheWarehouseWritesThePickedRow) {
    Start();
    auto dravoc = std::dynamic_pointer_cast<standin::ScriptedDravoc>(services->dravoc);
    ASSERT_TRUE(dravoc);
    form->Show();
    // The warehouse of a line of a receipt being edited.
    ASSERT_TRUE(GoTo("20240112001"));
    ASSERT_TRUE(form->EditRecord());
    EXPECT_EQ(form->SupplierAtEdit(), "S002");
    dm->cdsBody1->First();
    form->gdBody1->SetSelectedField(Line("TI009"));
    dravoc->ClearCalls();
    dravoc->Enqueue("F2GetData", plat::Variant::ArrayOf({plat::Variant::ArrayOf({"W02"})}));
    uint16_t key = plat::VK_F2;
    form->HandleF2Key(key, form->gdBody1);
    EXPECT_EQ(Line("TI009")->AsString(), "W02");
    ASSERT_FALSE(dravoc->Calls().empty());
    const plat::Variant lineRequest = dravoc->Calls().back().args[0];
    EXPECT_EQ(plat::VarToStr(lineRequest[lineRequest.LowBound()]), "CMSMC");
    form->CancelEdit(false);

    // The supplier on a new receipt.
    ASSERT_TRUE(form->AddRecord(false));
    EXPECT_TRUE(form->ValidationActive());
    EXPECT_TRUE(form->QuantityEditActive());
    dravoc->ClearCalls();
    dravoc->Enqueue("F2GetData", plat::Variant::ArrayOf({plat::Variant::ArrayOf({"S003"})}));
    key = plat::VK_F2;
    form->HandleF2Key(key, form->edTH005);
    EXPECT_EQ(Head("TH005")->AsString(), "S003");
    ASSERT_FALSE(dravoc->Calls().empty());
    const plat::Variant request = dravoc->Calls().back().args[0];
    EXPECT_EQ(plat::VarToStr(request[request.LowBound()]), "PURMA");
    EXPECT_EQ(plat::VarToStr(request[request.LowBound() + 1]), "02");
    // The recorded arguments hold the host's objects, which hold the recorder.
    dravoc->ClearCalls();
}

}  // namespace
}  // namespace ktrb::test

namespace ktrb::test {
namespace {

TEST_F(ReceiptFormTest, TheNamesBesideTheHeadCodesFollowTheRecordAndATypedCode) {
    Start();
    form->Show();
    ASSERT_TRUE(GoTo("20240112001"));
    const std::string where = " WHERE TH001 = '5901' AND TH002 = '20240112001'";
    struct {
        plat::TDBText* label;
        std::string name;
    } shown[] = {
        {form->txtTH001C,
         Sql("SELECT MQ002 FROM CMSMQ WHERE MQ001 = (SELECT TH001 FROM MOCTH" + where + ")")},
        {form->txtTH004C,
         Sql("SELECT MB002 FROM CMSMB WHERE MB001 = (SELECT TH004 FROM MOCTH" + where + ")")},
        {form->txtTH005C,
         Sql("SELECT MA002 FROM PURMA WHERE MA001 = (SELECT TH005 FROM MOCTH" + where + ")")},
        {form->txtTH038C,
         Sql("SELECT ME002 FROM CMSME WHERE ME001 = (SELECT TH038 FROM MOCTH" + where + ")")},
    };
    for (auto& s : shown) {
        ASSERT_NE(s.label, nullptr);
        EXPECT_FALSE(s.name.empty()) << s.label->Name();
        EXPECT_EQ(s.label->Caption(), s.name) << s.label->Name();
    }
    // A code keyed into the head shows its name at once; cancelled, the
    // record's own name comes back.
    ASSERT_TRUE(form->EditRecord());
    Head("TH038")->SetAsString("QC");
    EXPECT_EQ(form->txtTH038C->Caption(), "品质管理部");
    form->CancelEdit(false);
    EXPECT_EQ(form->txtTH038C->Caption(), shown[3].name);
}

}  // namespace
}  // namespace ktrb::test
