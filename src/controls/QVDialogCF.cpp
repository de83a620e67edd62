#include "controls/QVDialogCF.h"

#include "controls/F2Button.h"
#include "platform/component/properties.h"
#include "platform/core/dates.h"
#include "platform/core/text.h"
#include "platform/ui/stdctrls.h"
#include "runtime/LibStrs.h"
#include "runtime/PropAccess.h"

namespace ktrb {

using plat::Variant;

TfrmQVDialog::TfrmQVDialog(plat::TComponent* owner) : TQVForm(owner) {
    SetBorderStyle(plat::TFormBorderStyle::bsDialog);
    SetClientWidth(394);
    SetClientHeight(322);
    Font()->SetCharset(plat::ANSI_CHARSET);
    OnCreate = plat::TNotifyEvent(this, &TfrmQVDialog::FormCreate);
    OnShow = plat::TNotifyEvent(this, &TfrmQVDialog::FormShow);
    OnKeyDown = plat::TKeyEvent(this, &TfrmQVDialog::FormKeyDown);
    OnKeyPress = plat::TKeyPressEvent(this, &TfrmQVDialog::FormKeyPress);
}

void TfrmQVDialog::FormCreate(plat::TObject* sender) {
    TQVForm::FormCreate(sender);
    auto* owner = dynamic_cast<IDialogOwnerForm*>(Owner());
    if (owner) {
        Brokers = owner->DialogBrokers();
        DateFormatType = owner->DialogDateFormatType();
        DateSeparator = owner->DialogDateSeparator();
    }
    QvConverter->ConvertForm(this, "", true);
    if (owner) SetCaption(owner->DialogCaption());
}

void TfrmQVDialog::FormShow(plat::TObject* sender) {
    TQVForm::FormShow(sender);
    if (GetDisplayMode() == 0 && GetDataMode() == 0) return;
    // The items of these combos hold the display text, a tab, then the
    // stored value: show the display part alone.
    for (int i = 0; i < ComponentCount(); ++i) {
        plat::TComponent* c = Components(i);
        if (!c->InheritsFrom("TwwDBComboBox")) continue;
        try {
            plat::TObject* source = plat::GetObjectProp(c, "DataSource");
            if (!source || !plat::GetObjectProp(source, "DataSet")) continue;
            if (ReadStrProperty(c, "DataField").empty()) continue;
            int64_t index = ReadOrdProperty(c, "ItemIndex");
            std::vector<std::string> items = plat::GetStringsProp(c, "Items");
            if (index < 0 || index >= (int64_t)items.size()) continue;
            WriteStrProperty(c, "Text", TokenAt(items[index], "\t", 1));
        } catch (const std::exception&) {
            // One combo that does not fit does not stop the others.
        }
    }
}

void TfrmQVDialog::FormKeyDown(plat::TObject*, uint16_t& key, plat::TShiftState) {
    switch (key) {
        case plat::VK_F2:
            HandleF2Key(key, ActiveControl());
            break;
        case plat::VK_F3:
            HandleF3Key(key, ActiveControl());
            break;
        case plat::VK_F4:
            HandleF4Key(key, ActiveControl());
            break;
        default:
            break;
    }
}

void TfrmQVDialog::FormKeyPress(plat::TObject*, char32_t& key) {
    if (key != 13) return;
    plat::TWinControl* active = ActiveControl();
    if (active && (active->InheritsFrom("TCustomMemo") || active->InheritsFrom("TCustomGrid")))
        return;
    key = 0;
    Perform(plat::WM_NEXTDLGCTL, 0, 0);
}

void TfrmQVDialog::tryFocusControl(plat::TWinControl* control) {
    if (control && control->CanFocus()) control->SetFocus();
}

void TfrmQVDialog::HandleF2Key(uint16_t&, plat::TWinControl* control) {
    tryFocusControl(control);
}
void TfrmQVDialog::HandleF3Key(uint16_t&, plat::TWinControl* control) {
    tryFocusControl(control);
}
void TfrmQVDialog::HandleF4Key(uint16_t&, plat::TWinControl* control) {
    tryFocusControl(control);
}

void TfrmQVDialog::WndProc(plat::TMessage& m) {
    if (m.Msg >= WM_F2KEY && m.Msg <= WM_F4KEY) {
        auto* control = dynamic_cast<plat::TWinControl*>(plat::ControlOfLParam(m.LParam));
        uint16_t key = static_cast<uint16_t>(plat::VK_F2 + (m.Msg - WM_F2KEY));
        if (m.Msg == WM_F2KEY)
            HandleF2Key(key, control);
        else if (m.Msg == WM_F3KEY)
            HandleF3Key(key, control);
        else
            HandleF4Key(key, control);
        return;
    }
    TQVForm::WndProc(m);
}

std::string TfrmQVDialog::GetBlankDateText() const {
    std::string year;
    switch (DateFormatType) {
        case 1:
        case 2:
        case 3:
            year = "    ";
            break;
        case 4:
            year = "  ";
            break;
        case 5:
            year = "   ";
            break;
        default:
            break;
    }
    const std::string& s = DateSeparator;
    if (DateFormatType == 2 || DateFormatType == 3) return "  " + s + "  " + s + year;
    return year + s + "  " + s + "  ";
}

void TfrmQVDialog::PickDate(plat::TCustomEdit* edit) {
    if (!edit || !Brokers) return;
    plat::TDateTime start = edit->Text().empty() ? 0 : YmdToDate(edit->Text());
    if (start == 0) start = plat::Date();
    // The calendar's short-year flag follows the owner form, not this dialog's display format.
    auto* owner = dynamic_cast<IDialogOwnerForm*>(Owner());
    const int ownerFormat = owner ? owner->DialogDateFormatType() : DateFormatType;
    std::string picked =
        Brokers->ShowInputDay(ownerFormat >= 4, plat::FormatDateTime("yyyymmdd", start));
    if (!picked.empty()) {
        plat::TDateTime date = YmdToDate(picked);
        if (date != 0) edit->SetText(DateToText(DateFormatType, DateSeparator, date));
    }
    BringToFront();
}

void TfrmQVDialog::F2LookupEdit(plat::TCustomEdit* edit, const std::string& name,
                                const std::string& key, const Variant& params) {
    F2Lookup({edit}, name, key, params);
}

namespace {

// Writes a value into an edit (text) or a label (caption); false for others.
bool fillControl(plat::TControl* c, const Variant& value) {
    if (auto* edit = dynamic_cast<plat::TCustomEdit*>(c)) {
        edit->SetText(plat::VarToStr(value));
        return true;
    }
    if (auto* label = dynamic_cast<plat::TCustomLabel*>(c)) {
        label->SetCaption(plat::VarToStr(value));
        return true;
    }
    return false;
}

}  // namespace

void TfrmQVDialog::F2Lookup(const std::vector<plat::TControl*>& controls, const std::string& name,
                            const std::string& key, const Variant& params) {
    if (!Brokers || controls.empty()) return;
    TLookupRequest request;
    request.A = Variant(name);
    request.B = Variant(key);
    request.Value = params;
    if (controls[0]) request.Text1 = controls[0]->Text();
    Variant reply = QvConverter->ConvertToUI(Brokers->F2GetData(request));
    if (!reply.IsArray() || reply.Items().empty()) return;
    Variant row = reply.Items()[0];
    if (!row.IsArray()) return;
    for (size_t i = 0; i < controls.size(); ++i)
        if ((int)i < (int)row.Items().size()) fillControl(controls[i], row.Items()[i]);
    BringToFront();
}

bool TfrmQVDialog::CheckEditValue(const std::vector<plat::TControl*>& controls,
                                  const std::string& name, const std::string& key, Variant params,
                                  const std::string& msgType) {
    auto* edit = controls.empty() ? nullptr : dynamic_cast<plat::TEdit*>(controls[0]);
    if (!edit || edit->Text().empty()) return true;
    if (params.IsEmpty() || params.IsNull() ||
        (params.IsText() && plat::Trim(params.AsString()).empty()))
        params = plat::VarArrayOf({Variant(edit->Text())});
    else if (!params.IsArray())
        params = plat::VarArrayOf({params});
    Variant reply;
    bool found = Brokers && Brokers->CheckValue(name, key, params, reply);
    reply = QvConverter->ConvertToUI(reply);
    if (!found) {
        if (Brokers && msgType == "E") {
            Brokers->ShowMessageCode("E", "000001", {Variant(GetControlCaption(edit))});
            tryFocusControl(edit);
        } else if (Brokers && msgType == "W") {
            Brokers->ShowMessageCode("W", "000004", {Variant(GetControlCaption(edit))});
        }
        return false;
    }
    if (reply.IsArray() && !reply.Items().empty())
        for (size_t i = 1; i < controls.size(); ++i)
            if (i - 1 < reply.Items().size()) fillControl(controls[i], reply.Items()[i - 1]);
    return true;
}

std::string TfrmQVDialog::GetControlCaption(plat::TControl* control) const {
    if (!control) return {};
    // A labelled edit whose own label is empty is named by the form's label.
    if (HasProperty(control, "Caption")) {
        std::string own = ReadStrProperty(control, "Caption");
        if (!own.empty()) return own;
    }
    for (int i = 0; i < ComponentCount(); ++i)
        if (auto* label = dynamic_cast<plat::TCustomLabel*>(Components(i)))
            if (label->FocusControl() == control) return label->Caption();
    return {};
}

}  // namespace ktrb
