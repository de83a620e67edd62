#include "forms/ShowWarningDIY.h"

#include "controls/WindowDesign.h"
#include "platform/ui/buttons.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/stdctrls.h"

namespace ktrb {

TfrmWarningShowDIY* frmWarningShowDIY = nullptr;

namespace {

// The warning picture: a yellow triangle with "!".
void DrawWarningPicture(plat::TBitmap& b) {
    using namespace plat;
    b.SetSize(32, 32);
    TCanvas* c = b.Canvas();
    c->Brush.Color = clBtnFace;
    c->FillRect(Bounds(0, 0, 32, 32));
    c->Pen.Color = clBlack;
    c->Brush.Color = clYellow;
    c->Polygon({{16, 1}, {31, 30}, {1, 30}});
    c->Font.SetHeight(-18);
    c->Font.SetStyle({fsBold});
    c->Font.SetColor(clBlack);
    c->Brush.Style = TBrushStyle::bsClear;
    TRect r = Bounds(0, 6, 32, 26);
    c->DrawText("!", r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

using namespace design;
using W = TfrmWarningShowDIY;

// The picture and the message over the three answers; the memo stands in
// for the label when the message is long.
const Control kDesign[] = {
    {"Panel2", Field<&W::Panel2>, "", {0, 0, 0, 41}, "", plat::TAlign::alBottom},
    {"Panel1", Field<&W::Panel1>, "", {}, "", plat::TAlign::alClient},
    {"Image1", Field<&W::Image1>, "Panel1", {1, 1, 80, 78}},
    {"lblMSG", Field<&W::lblMSG>, "Panel1", {81, 1, 318, 78}},
    {"moMSG", Field<&W::moMSG>, "Panel1", {81, 1, 318, 78}},
    {"btnOK", Field<&W::btnOK>, "Panel2", {16, 8, 80, 25}, "确定"},
    {"btnCancel", Field<&W::btnCancel>, "Panel2", {112, 8, 80, 25}, "取消"},
    {"BitBtn1", Field<&W::BitBtn1>, "Panel2", {228, 8, 160, 25}, "下次不再提醒"},
};

const Handler kEvents[] = {{"", "OnShow", On<&W::FormShow>}};

}  // namespace

TfrmWarningShowDIY::TfrmWarningShowDIY(plat::TComponent* owner) : TfrmQVDialog(owner) {
    using namespace plat;
    SetName("frmWarningShowDIY");
    Position = TPosition::poOwnerFormCenter;
    SetClientWidth(400);
    SetClientHeight(121);

    Build(this, kDesign);
    Image1->SetCenter(true);
    DrawWarningPicture(*Image1->Picture()->Bitmap());
    lblMSG->SetAutoSize(false);
    lblMSG->SetLayout(TTextLayout::tlCenter);
    lblMSG->SetWordWrap(true);
    lblMSG->SetShowAccelChar(false);
    lblMSG->Font()->SetHeight(-13);
    moMSG->SetBorderStyle(TBorderStyle::bsNone);
    moMSG->SetColor(clBtnFace);
    moMSG->SetReadOnly(true);
    moMSG->SetVisible(false);
    btnOK->ModalResult = mrOk;
    btnOK->SetDefault(true);
    btnCancel->ModalResult = mrCancel;
    btnCancel->Cancel = true;
    BitBtn1->ModalResult = mrDontRemind;

    Connect(this, kEvents);
}

void TfrmWarningShowDIY::FormShow(plat::TObject* sender) {
    TfrmQVDialog::FormShow(sender);
    // The memo keeps the text as given; the label shows it.
    moMSG->SetReadOnly(false);
    moMSG->SetText(MessageText);
    moMSG->SetReadOnly(true);
    lblMSG->SetCaption(moMSG->Text());
    if (btnOK->CanFocus()) btnOK->SetFocus();
}

void ShowWarningDialog(plat::TComponent* owner, const std::string& text, TWarningAnswer& answer) {
    frmWarningShowDIY = plat::CreateForm<TfrmWarningShowDIY>(owner);
    struct Release {
        ~Release() {
            frmWarningShowDIY->Free();
            frmWarningShowDIY = nullptr;
        }
    } release;
    frmWarningShowDIY->MessageText = text;
    switch (frmWarningShowDIY->ShowModal()) {
        case plat::mrOk:
            answer = TWarningAnswer::GoOn;
            break;
        case plat::mrCancel:
            answer = TWarningAnswer::Cancel;
            break;
        case mrDontRemind:
            answer = TWarningAnswer::GoOnSilenced;
            break;
        default:
            break;
    }
}

}  // namespace ktrb
