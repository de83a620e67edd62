#include "forms/ShowWarningDIY.h"

#include "forms/FormDesign.h"
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

}  // namespace

TfrmWarningShowDIY::TfrmWarningShowDIY(plat::TComponent* owner) : TfrmQVDialog(owner) {
    using namespace plat;
    SetName("frmWarningShowDIY");
    Position = TPosition::poOwnerFormCenter;
    SetClientWidth(400);
    SetClientHeight(121);

    Panel2 = DesignPanel(this, this, "Panel2", TAlign::alBottom, 41);
    Panel1 = DesignPanel(this, this, "Panel1", TAlign::alClient);

    Image1 = new TImage(this);
    Image1->SetName("Image1");
    Image1->SetParent(Panel1);
    Image1->SetBounds(1, 1, 80, 78);
    Image1->SetCenter(true);
    DrawWarningPicture(*Image1->Picture()->Bitmap());
    lblMSG = new TLabel(this);
    lblMSG->SetName("lblMSG");
    lblMSG->SetParent(Panel1);
    lblMSG->SetAutoSize(false);
    lblMSG->SetBounds(81, 1, 318, 78);
    lblMSG->SetLayout(TTextLayout::tlCenter);
    lblMSG->SetWordWrap(true);
    lblMSG->SetShowAccelChar(false);
    lblMSG->Font()->SetHeight(-13);
    moMSG = new TMemo(this);
    moMSG->SetName("moMSG");
    moMSG->SetParent(Panel1);
    moMSG->SetBounds(81, 1, 318, 78);
    moMSG->SetBorderStyle(TBorderStyle::bsNone);
    moMSG->SetColor(clBtnFace);
    moMSG->SetReadOnly(true);
    moMSG->SetVisible(false);

    btnOK = DesignButton(this, Panel2, "btnOK", "确定", Bounds(16, 8, 80, 25), mrOk);
    btnOK->SetDefault(true);
    btnCancel = DesignButton(this, Panel2, "btnCancel", "取消", Bounds(112, 8, 80, 25), mrCancel);
    BitBtn1 = new TBitBtn(this);
    BitBtn1->SetName("BitBtn1");
    BitBtn1->SetParent(Panel2);
    BitBtn1->SetBounds(228, 8, 160, 25);
    BitBtn1->SetCaption("下次不再提醒");
    BitBtn1->ModalResult = mrDontRemind;

    OnShow = TNotifyEvent(this, &TfrmWarningShowDIY::FormShow);
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
