#include "forms/ShowWarningDIY.h"

#include "platform/ui/buttons.h"
#include "platform/ui/keys.h"
#include "platform/ui/screenshot.h"
#include "platform/ui/stdctrls.h"
#include "serial_fixture.h"

namespace ktrb::test {
namespace {

class WarningDialogTest : public SerialHostTest {};

TEST_F(WarningDialogTest, EachButtonGivesItsAnswer) {
    struct Case {
        const char* name;
        std::function<void(TfrmWarningShowDIY&)> act;
        TWarningAnswer want;
    } cases[] = {
        {"ok", [](TfrmWarningShowDIY& d) { d.btnOK->Click(); }, TWarningAnswer::GoOn},
        {"cancel", [](TfrmWarningShowDIY& d) { d.btnCancel->Click(); }, TWarningAnswer::Cancel},
        {"escape",
         [](TfrmWarningShowDIY& d) {
             uint16_t key = plat::VK_ESCAPE;
             d.DialogKey(key, {});
         },
         TWarningAnswer::Cancel},
        {"silence", [](TfrmWarningShowDIY& d) { d.BitBtn1->Click(); },
         TWarningAnswer::GoOnSilenced},
    };
    for (const Case& c : cases) {
        runner->Expect("TfrmWarningShowDIY", [&](plat::TCustomForm& f) {
            auto& d = static_cast<TfrmWarningShowDIY&>(f);
            EXPECT_EQ(d.ActiveControl(), d.btnOK)
                << c.name << " " << (d.ActiveControl() ? d.ActiveControl()->Name() : "");
            c.act(d);
            return d.ModalResult();
        });
        TWarningAnswer answer = TWarningAnswer::Cancel;
        if (c.want == TWarningAnswer::Cancel) answer = TWarningAnswer::GoOn;
        ShowWarningDialog(owner, "序号笔数与数量 5 不符,是否继续?", answer);
        EXPECT_EQ(answer, c.want) << c.name;
        EXPECT_EQ(frmWarningShowDIY, nullptr);
    }
}

TEST_F(WarningDialogTest, AnotherResultLeavesTheAnswerAndLineBreaksStay) {
    std::string label;
    runner->Expect("TfrmWarningShowDIY", [&](plat::TCustomForm& f) {
        label = static_cast<TfrmWarningShowDIY&>(f).lblMSG->Caption();
        return plat::mrAbort;
    });
    TWarningAnswer answer = TWarningAnswer::GoOnSilenced;
    ShowWarningDialog(owner, "第一行\r\n第二行", answer);
    EXPECT_EQ(answer, TWarningAnswer::GoOnSilenced);
    EXPECT_EQ(label, "第一行\r\n第二行");
}

TEST_F(WarningDialogTest, Pictures) {
    for (const char* ui : {"936", "437"}) {
        SetCodePages(ui, "936");
        auto* d = plat::CreateForm<TfrmWarningShowDIY>(owner);
        d->MessageText = b->GetMessage("W", "200411");
        d->Show();
        std::string lang = std::string(ui) == "437" ? "eng" : "chs";
        plat::SaveScreenshot(d, PicturePath("reminder_" + lang + ".png"));
        if (lang == "eng") {
            EXPECT_EQ(d->BitBtn1->Caption(), "Do not remind me again");
        }
        d->Free();
    }
}

}  // namespace
}  // namespace ktrb::test
