#include "platform/ui/dialogs.h"

#include "platform/ui/extctrls.h"
#include "platform/ui/stdctrls.h"

namespace plat {

namespace {
struct ButtonKind {
    TMsgDlgBtn button;
    const char* name;
    const char* caption;
    TModalResult result;
};
constexpr ButtonKind kButtons[] = {
    {TMsgDlgBtn::mbYes, "Yes", "&Yes", mrYes},
    {TMsgDlgBtn::mbNo, "No", "&No", mrNo},
    {TMsgDlgBtn::mbOK, "OK", "OK", mrOk},
    {TMsgDlgBtn::mbCancel, "Cancel", "Cancel", mrCancel},
    {TMsgDlgBtn::mbAbort, "Abort", "&Abort", mrAbort},
    {TMsgDlgBtn::mbRetry, "Retry", "&Retry", mrRetry},
    {TMsgDlgBtn::mbIgnore, "Ignore", "&Ignore", mrIgnore},
    {TMsgDlgBtn::mbAll, "All", "&All", mrAll},
    {TMsgDlgBtn::mbNoToAll, "NoToAll", "N&o to All", mrNoToAll},
    {TMsgDlgBtn::mbYesToAll, "YesToAll", "Yes to &All", mrYesToAll},
    {TMsgDlgBtn::mbHelp, "Help", "&Help", mrNone},
};
const char* const kTitles[] = {"Warning", "Error", "Information", "Confirm", ""};

const ButtonKind& KindOf(TMsgDlgBtn b) {
    return kButtons[(int)b];
}

std::shared_ptr<IMessageDialogs>& Service() {
    static std::shared_ptr<IMessageDialogs> s = std::make_shared<FormMessageDialogs>();
    return s;
}

MessageRequest DlgRequest(const std::string& msg, TMsgDlgType type, TMsgDlgButtons buttons) {
    MessageRequest r;
    r.Text = msg;
    r.Type = type;
    r.Buttons = buttons;
    for (auto& k : kButtons)
        if (buttons.Contains(k.button)) r.Order.push_back(k.button);
    r.DefaultButton = buttons.Contains(TMsgDlgBtn::mbOK)    ? TMsgDlgBtn::mbOK
                      : buttons.Contains(TMsgDlgBtn::mbYes) ? TMsgDlgBtn::mbYes
                                                            : TMsgDlgBtn::mbRetry;
    r.CancelButton = buttons.Contains(TMsgDlgBtn::mbCancel) ? TMsgDlgBtn::mbCancel
                     : buttons.Contains(TMsgDlgBtn::mbNo)   ? TMsgDlgBtn::mbNo
                                                            : TMsgDlgBtn::mbOK;
    return r;
}

// The dialog's icon, drawn here: a red disc with a cross, a yellow triangle
// with "!", a blue disc with "i" or "?".
void DrawIcon(TBitmap& b, TMsgDlgType type) {
    b.SetSize(32, 32);
    TCanvas* c = b.Canvas();
    c->Brush.Color = clBtnFace;
    c->FillRect(Bounds(0, 0, 32, 32));
    c->Pen.Color = clBlack;
    if (type == TMsgDlgType::mtWarning) {
        c->Brush.Color = clYellow;
        c->Polygon({{16, 1}, {31, 30}, {1, 30}});
    } else {
        c->Brush.Color = type == TMsgDlgType::mtError ? clRed : clBlue;
        c->Ellipse(1, 1, 31, 31);
    }
    const char* glyph = type == TMsgDlgType::mtError         ? "X"
                        : type == TMsgDlgType::mtWarning     ? "!"
                        : type == TMsgDlgType::mtInformation ? "i"
                                                             : "?";
    c->Font.SetHeight(-18);
    c->Font.SetStyle({fsBold});
    c->Font.SetColor(type == TMsgDlgType::mtWarning ? clBlack : clWhite);
    c->Brush.Style = TBrushStyle::bsClear;
    TRect r = Bounds(0, type == TMsgDlgType::mtWarning ? 6 : 2, 32, 26);
    c->DrawText(glyph, r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    b.Transparent = true;
}

// The platform's MulDiv rounding for dialog units.
int DlgUnits(int v, int unit, int div) {
    return (v * unit + div / 2) / div;
}

TForm* BuildDialog(const MessageRequest& req) {
    auto* f = new TForm(nullptr);
    f->SetBorderStyle(TFormBorderStyle::bsDialog);
    f->Font()->SetName("WenQuanYi Micro Hei");
    f->Font()->SetHeight(-12);
    if (!req.FontName.empty()) {
        f->Font()->SetName(req.FontName);
        f->Font()->SetCharset(req.FontCharset);
    }
    TCanvas measure;
    measure.Font.Assign(*f->Font());
    int avgX =
        std::max(1, measure.TextWidth("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") / 52);
    int avgY = measure.TextHeight("0");
    int hMargin = DlgUnits(8, avgX, 4), vMargin = DlgUnits(8, avgY, 8);
    int hSpacing = DlgUnits(10, avgX, 4), vSpacing = DlgUnits(10, avgY, 8);
    int buttonWidth = DlgUnits(50, avgX, 4);
    for (auto b : req.Order) {
        TRect tr;
        measure.DrawText(req.CaptionOf(b), tr, DT_CALCRECT | DT_LEFT | DT_SINGLELINE);
        buttonWidth = std::max(buttonWidth, tr.Width() + 8);
    }
    int buttonHeight = DlgUnits(14, avgY, 8);
    int buttonSpacing = DlgUnits(4, avgX, 4);
    TRect text = Rect(0, 0, 400, 0);
    measure.DrawText(req.Text, text, DT_EXPANDTABS | DT_CALCRECT | DT_WORDBREAK);
    bool icon = req.Type != TMsgDlgType::mtCustom;
    int iconTextWidth = text.Right, iconTextHeight = text.Bottom;
    if (icon) {
        iconTextWidth += 32 + hSpacing;
        iconTextHeight = std::max(iconTextHeight, 32);
    }
    int n = (int)req.Order.size();
    int groupWidth = n ? buttonWidth * n + buttonSpacing * (n - 1) : 0;
    f->SetClientWidth(std::max(iconTextWidth, groupWidth) + hMargin * 2);
    f->SetClientHeight(iconTextHeight + buttonHeight + vSpacing + vMargin * 2);
    f->Position = TPosition::poScreenCenter;
    f->SetCaption(!req.Caption.empty()                ? req.Caption
                  : req.Type != TMsgDlgType::mtCustom ? kTitles[(int)req.Type]
                                                      : Application->Title);
    if (icon) {
        auto* img = new TImage(f);
        img->SetName("Image");
        img->SetParent(f);
        DrawIcon(*img->Picture()->Bitmap(), req.Type);
        img->SetTransparent(true);
        img->SetBounds(hMargin, vMargin, 32, 32);
    }
    auto* label = new TLabel(f);
    label->SetName("Message");
    label->SetParent(f);
    label->SetWordWrap(true);
    label->SetAutoSize(false);
    label->SetCaption(req.Text);
    label->SetShowAccelChar(false);
    label->SetBounds(iconTextWidth - text.Right + hMargin, vMargin, text.Right, text.Bottom);
    int x = (f->ClientWidth() - groupWidth) / 2;
    for (auto b : req.Order) {
        auto* btn = new TButton(f);
        btn->SetName(KindOf(b).name);
        btn->SetParent(f);
        btn->SetCaption(req.CaptionOf(b));
        btn->ModalResult = KindOf(b).result;
        if (b == req.DefaultButton) btn->SetDefault(true);
        if (b == req.CancelButton) btn->Cancel = true;
        btn->SetBounds(x, iconTextHeight + vMargin + vSpacing, buttonWidth, buttonHeight);
        x += buttonWidth + buttonSpacing;
    }
    if (auto* def = dynamic_cast<TWinControl*>(f->FindComponent(KindOf(req.DefaultButton).name)))
        f->SetActiveControl(def);
    return f;
}
}  // namespace

std::string MessageRequest::CaptionOf(TMsgDlgBtn b) const {
    for (const auto& [button, caption] : ButtonCaptions)
        if (button == b && !caption.empty()) return caption;
    return KindOf(b).caption;
}

TModalResult ModalResultOf(TMsgDlgBtn b) {
    return KindOf(b).result;
}

IMessageDialogs& MessageDialogs() {
    return *Service();
}

std::shared_ptr<IMessageDialogs> SetMessageDialogs(std::shared_ptr<IMessageDialogs> s) {
    auto old = Service();
    Service() = s ? std::move(s) : std::make_shared<FormMessageDialogs>();
    return old;
}

MessageRequest MessageBoxRequest(const std::string& text, const std::string& caption,
                                 unsigned flags) {
    using B = TMsgDlgBtn;
    static const std::vector<B> kSets[] = {
        {B::mbOK},
        {B::mbOK, B::mbCancel},
        {B::mbAbort, B::mbRetry, B::mbIgnore},
        {B::mbYes, B::mbNo, B::mbCancel},
        {B::mbYes, B::mbNo},
        {B::mbRetry, B::mbCancel},
    };
    unsigned kind = flags & 0xF;
    MessageRequest r;
    r.Text = text;
    r.Caption = caption;
    r.Order = kind < std::size(kSets) ? kSets[kind] : kSets[0];
    r.Buttons = {};
    for (auto b : r.Order) r.Buttons.Include(b);
    switch (flags & 0xF0) {
        case MB_ICONSTOP:
            r.Type = TMsgDlgType::mtError;
            break;
        case MB_ICONQUESTION:
            r.Type = TMsgDlgType::mtConfirmation;
            break;
        case MB_ICONWARNING:
            r.Type = TMsgDlgType::mtWarning;
            break;
        case MB_ICONINFORMATION:
            r.Type = TMsgDlgType::mtInformation;
            break;
        default:
            r.Type = TMsgDlgType::mtCustom;
            break;
    }
    size_t def = (flags >> 8) & 0xF;
    r.DefaultButton = r.Order[def < r.Order.size() ? def : 0];
    r.CancelButton = r.Buttons.Contains(B::mbCancel) ? B::mbCancel
                     : r.Buttons.Contains(B::mbNo)   ? B::mbNo
                                                     : r.Order[0];
    return r;
}

int IMessageDialogs::MessageBox(const std::string& text, const std::string& caption,
                                unsigned flags) {
    return Show(MessageBoxRequest(text, caption, flags));
}

TModalResult FormMessageDialogs::Show(const MessageRequest& r) {
    TForm* f = BuildDialog(r);
    TModalResult result = mrCancel;
    try {
        result = f->ShowModal();
    } catch (...) {
        f->Free();
        throw;
    }
    f->Free();
    return result;
}

TModalResult ScriptedMessageDialogs::Show(const MessageRequest& r) {
    requests_.push_back(r);
    if (!answers_.empty()) {
        TModalResult a = answers_.front();
        answers_.pop_front();
        return a;
    }
    return ModalResultOf(r.DefaultButton);
}

std::vector<std::string> ScriptedMessageDialogs::Texts() const {
    std::vector<std::string> out;
    for (auto& r : requests_) out.push_back(r.Text);
    return out;
}

TForm* CreateMessageDialog(const std::string& msg, TMsgDlgType type, TMsgDlgButtons buttons) {
    return BuildDialog(DlgRequest(msg, type, buttons));
}

TModalResult MessageDlg(const std::string& msg, TMsgDlgType type, TMsgDlgButtons buttons, int) {
    return MessageDialogs().Show(DlgRequest(msg, type, buttons));
}

void ShowMessage(const std::string& msg) {
    MessageDlg(msg, TMsgDlgType::mtCustom, {TMsgDlgBtn::mbOK});
}

}  // namespace plat
