#include "forms/PSMFormatDIY.h"

#include "controls/FDBGrid.h"
#include "forms/PSMSegments.h"
#include "platform/core/exceptions.h"
#include "platform/data/clientdataset.h"
#include "platform/ui/screenshot.h"
#include "platform/ui/stdctrls.h"
#include "runtime/PropAccess.h"
#include "serial_fixture.h"

namespace ktrb::test {
namespace {

class FormatDialogTest : public SerialHostTest {
  protected:
    FormatDialogTest() {
        CreateSegmentDataSet(segments);
        for (auto [kind, content] :
             {std::pair{"1", "B2001"}, {"3", "20240118"}, {"4", ""}, {"6", "****"}}) {
            segments->Append();
            SetFieldText(segments->FieldByName("MC001"), kind);
            segments->FieldByName("MC001C")->SetAsString(kind);
            segments->FieldByName("MC002")->SetAsString(content);
            segments->Post();
        }
    }
    ~FormatDialogTest() override { delete segments; }

    // The content of the caller's row of a kind.
    std::string Content(plat::TDataSet* ds, const std::string& kind) {
        return ds->Locate("MC001", plat::Variant(kind)) ? ds->FieldByName("MC002")->AsString()
                                                        : "<none>";
    }

    plat::TClientDataSet* segments = new plat::TClientDataSet(nullptr);
};

TEST_F(FormatDialogTest, OkWithAnEmptyContentWarnsAndStillHandsTheRowsBack) {
    runner->Expect("TfrmPSMDIY", [&](plat::TCustomForm& f) {
        auto& d = static_cast<TfrmPSMDIY&>(f);
        EXPECT_EQ(d.lblformat->Caption(), "主板序号");
        EXPECT_EQ(d.cdsTemp->RecordCount(), 4);
        d.cdsTemp->Locate("MC001", plat::Variant("3"));
        d.cdsTemp->Edit();
        d.cdsTemp->FieldByName("MC002")->SetAsString("20240120");
        return plat::mrOk;
    });
    EXPECT_TRUE(ShowPSMFormatDialog(owner, "B2001", "SN01", segments));
    EXPECT_TRUE(Shown("W", "200402"));
    EXPECT_EQ(Content(segments, "3"), "20240120");
    EXPECT_EQ(segments->RecordCount(), 4);
    EXPECT_EQ(frmPSMDIY, nullptr);
}

TEST_F(FormatDialogTest, CancelLeavesTheCallersRows) {
    runner->Expect("TfrmPSMDIY", [&](plat::TCustomForm& f) {
        auto& d = static_cast<TfrmPSMDIY&>(f);
        d.cdsTemp->Locate("MC001", plat::Variant("4"));
        d.cdsTemp->Edit();
        d.cdsTemp->FieldByName("MC002")->SetAsString("C001");
        return plat::mrCancel;
    });
    EXPECT_FALSE(ShowPSMFormatDialog(owner, "B2001", "SN01", segments));
    EXPECT_EQ(Content(segments, "4"), "");
    EXPECT_TRUE(form->dialogs.empty());
}

TEST_F(FormatDialogTest, ContentIsCheckedByItsKind) {
    struct Case {
        const char* kind;
        const char* content;
        int answer;           // to a question
        const char* message;  // "<kind><code>" shown, or ""
        bool accepted;
        const char* name;  // MC002C once accepted
    } cases[] = {
        {"1", "NOSUCH", 1, "E000001", false, ""},   {"1", "A1001-01", 1, "", true, "铝合金外壳"},
        {"3", "20241340", 1, "E000005", false, ""}, {"3", "2024011", 1, "E000005", false, ""},
        {"3", "20240229", 1, "", true, ""},         {"4", "C001", 1, "", true, "华东电子"},
        {"4", "C002", 1, "E200136", false, ""},     {"4", "C003", 1, "E200080", false, ""},
        {"4", "C004", 1, "E200568", false, ""},     {"4", "C999", 2, "W200287", false, ""},
        {"4", "C999", 1, "W200287", true, ""},      {"5", "S001", 1, "", true, "精工五金"},
        {"5", "S004", 1, "E200135", false, ""},     {"5", "S005", 1, "E100174", false, ""},
        {"5", "S999", 2, "W000004", false, ""},     {"5", "S999", 1, "W000004", true, ""},
        {"6", "", 1, "E000003", false, ""},         {"2", "ANY", 1, "", true, ""},
    };
    auto* d = plat::CreateForm<TfrmPSMDIY>(owner);
    for (const Case& c : cases) {
        segments->First();
        segments->Edit();
        SetFieldText(segments->FieldByName("MC001"), c.kind);
        segments->FieldByName("MC002")->SetAsString("OLD");
        segments->Post();
        CopySegmentRows(segments, d->cdsTemp);
        form->dialogs.clear();
        form->answers = {c.answer};
        d->cdsTemp->Edit();
        bool accepted = true;
        try {
            // Items and running numbers are read-only to typing; F2 writes them.
            SetFieldText(d->cdsTemp->FieldByName("MC002"), c.content);
        } catch (const plat::EAbort&) {
            accepted = false;
        }
        std::string label = std::string(c.kind) + " " + c.content;
        EXPECT_EQ(accepted, c.accepted) << label;
        EXPECT_EQ(d->cdsTemp->FieldByName("MC002")->AsString(), accepted ? c.content : "OLD")
            << label;
        if (accepted) {
            EXPECT_EQ(d->cdsTemp->FieldByName("MC002C")->AsString(), c.name) << label;
        }
        if (*c.message) {
            EXPECT_TRUE(Shown(std::string(1, c.message[0]), c.message + 1)) << label;
        } else {
            EXPECT_TRUE(form->dialogs.empty()) << label;
        }
        d->cdsTemp->Cancel();
    }
    d->Free();
}

TEST_F(FormatDialogTest, Pictures) {
    for (const char* ui : {"936", "437"}) {
        SetCodePages(ui, "936");
        auto* d = plat::CreateForm<TfrmPSMDIY>(owner);
        d->ItemCode = "B2001";
        d->FormatCode = "SN01";
        d->SegmentDataSet = segments;
        d->Show();
        std::string lang = std::string(ui) == "437" ? "eng" : "chs";
        plat::SaveScreenshot(d, PicturePath("encoding_format_" + lang + ".png"));
        d->Free();
    }
}

}  // namespace
}  // namespace ktrb::test
