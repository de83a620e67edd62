#include "forms/QVConfirmDate.h"

#include "controls/F2Button.h"
#include "controls/WindowDesign.h"
#include "platform/core/dates.h"
#include "platform/core/text.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/keys.h"
#include "platform/ui/stdctrls.h"
#include "runtime/LibStrs.h"

namespace ktrb {

namespace {

const char* const kPackage = "TQVConfirmDateForm";

bool IsWordChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

bool HasDigit(const std::string& s) {
    for (char c : s)
        if (c >= '0' && c <= '9') return true;
    return false;
}

using F = TQVConfirmDateForm;
using design::Field;
using design::On;
using plat::TAlign;

const design::Control kControls[] = {
    {"Panel2", Field<&F::Panel2>, "", {0, 0, 0, 41}, "", TAlign::alBottom},
    {"btnOK", Field<&F::btnOK>, "Panel2", {56, 8, 75, 25}, "确定"},
    {"btnCancel", Field<&F::btnCancel>, "Panel2", {150, 8, 75, 25}, "取消"},
    {"Panel1", Field<&F::Panel1>, "", {}, "", TAlign::alClient},
    {"lbl01", Field<&F::lbl01>, "Panel1", {24, 60, 36, 12}, "审核"},
    {"edDate01", Field<&F::edDate01>, "Panel1", {70, 57, 121, 20}, nullptr, {}, 0},
    {"btn01", Field<&F::btn01>, "Panel1", {193, 57, 20, 20}},
};

const design::Handler kEvents[] = {
    {"btnOK", "OnClick", On<&F::btnOKClick>},
    {"edDate01", "OnKeyPress", On<&F::edDate01KeyPress>},
    {"edDate01", "OnEnter", On<&F::edDate01Enter>},
    {"edDate01", "OnExit", On<&F::edDate01Exit>},
    {"", "OnKeyDown", On<&F::FormKeyDown>},
    {"", "OnCloseQuery", On<&F::FormCloseQuery>},
};

}  // namespace

TQVConfirmDateForm::TQVConfirmDateForm(plat::TComponent* owner) : TfrmQVDialog(owner) {
    using namespace plat;
    SetName("QVConfirmDateForm");
    SetCaption("审核");
    SetClientWidth(281);
    SetClientHeight(183);
    SetShowHint(true);

    design::Build(this, kControls);
    btnOK->ModalResult = mrOk;
    btnCancel->Cancel = true;
    btnCancel->ModalResult = mrCancel;
    edDate01->SetHint("[F2]日期快手");
    lbl01->SetFocusControl(edDate01);
    btn01->SetFlat(true);
    btn01->SetGlyphIndex(9);
    btn01->SetHint("日期快手");
    btn01->SetF2Control(edDate01);
    design::Connect(this, kEvents);
    SetKeyPreview(true);
}

std::string TQVConfirmDateForm::lang(const std::string& key, const std::string& def) {
    return GetLangMessage(kPackage, key, def, true);
}

void TQVConfirmDateForm::Setup(const std::string& confirmDateMode, const std::string& documentDate,
                               const std::string& dateLabel) {
    plat::TDateTime date = confirmDateMode == "1" ? plat::Date() : YmdToDate(documentDate);
    edDate01->SetText(date != 0 ? DateToText(DateFormatType, DateSeparator, date) : "");
    const std::string confirm = lang("sConfirm", "审核");
    if (!confirm.empty() && dateLabel.find(confirm) != std::string::npos)
        lbl01->SetCaption(lang("sConfirmDate", "审核日期"));
    else if (!confirm.empty() && !dateLabel.empty() && IsWordChar(confirm.back()) &&
             IsWordChar(dateLabel.front()))
        lbl01->SetCaption(confirm + " " + dateLabel);  // two English words
    else
        lbl01->SetCaption(confirm + dateLabel);
    // The label's width follows its text; the row stays centred and whole.
    Canvas()->Font.Assign(*Font());
    lbl01->SetWidth(Canvas()->TextWidth(lbl01->Caption()));
    const int row = lbl01->Width() + 5 + edDate01->Width() + 2 + btn01->Width();
    if (row + 16 > ClientWidth()) {
        SetClientWidth(row + 16);
        btnOK->SetLeft(ClientWidth() / 2 - btnOK->Width() - 10);
        btnCancel->SetLeft(ClientWidth() / 2 + 10);
    }
    lbl01->SetLeft((ClientWidth() - row) / 2);
    edDate01->SetLeft(lbl01->Left() + lbl01->Width() + 5);
    edDate01->SetTop(lbl01->Top() - 3);
    btn01->SetLeft(edDate01->Left() + edDate01->Width() + 2);
    btn01->SetTop(edDate01->Top());
    btnOK->SetCaption(lang("btnOK", "确定"));
    btnCancel->SetCaption(lang("btnCancel", "取消"));
    resultDate_.clear();
}

void TQVConfirmDateForm::HandleF2Key(uint16_t& key, plat::TWinControl* control) {
    TfrmQVDialog::HandleF2Key(key, control);
    if (control == edDate01) PickDate(edDate01);
}

void TQVConfirmDateForm::FormKeyDown(plat::TObject* sender, uint16_t& key,
                                     plat::TShiftState shift) {
    plat::TWinControl* active = ActiveControl();
    if (key == plat::VK_DELETE && active && active->Name().find("Date") != std::string::npos) {
        key = 0;
        return;
    }
    TfrmQVDialog::FormKeyDown(sender, key, shift);
}

void TQVConfirmDateForm::edDate01KeyPress(plat::TObject*, char32_t& key) {
    const char32_t typed = key;
    key = 0;
    plat::TEdit* e = edDate01;
    if (e->Text().empty()) {
        e->SetText(GetBlankDateText());
        e->SetSelStart(0);
    }
    // The mask is ASCII: positions are bytes and characters alike.
    std::string text = e->Text();
    int pos = e->SelStart();
    const std::string& sep = DateSeparator;
    auto isSep = [&](int at) {
        return !sep.empty() && at >= 0 && at < (int)text.size() && text.compare(at, 1, sep) == 0;
    };
    if (typed == U'$') {
        e->SetText(DateToText(DateFormatType, DateSeparator, plat::Date()));
        return;
    }
    if (typed == 8) {
        if (pos > 0 && !isSep(pos - 1)) text[pos - 1] = ' ';
        e->SetText(text);
        e->SetSelStart(std::max(0, pos - 1));
        return;
    }
    if (typed < U'0' || typed > U'9' || sep.empty()) return;
    if (pos >= (int)text.size()) return;
    if (isSep(pos)) ++pos;
    if (pos >= (int)text.size()) return;
    text[pos] = char(typed);
    e->SetText(text);
    e->SetSelStart(pos + 1);
}

bool TQVConfirmDateForm::checkDateEdit(plat::TEdit* edit) {
    if (!HasDigit(edit->Text())) return true;
    if (DisplayDateToYmd(edit->Text(), DateFormatType, DateSeparator) != "0") return true;
    if (Brokers) Brokers->ShowMessageCode("E", "000005");
    if (edit->CanFocus()) edit->SetFocus();
    return false;
}

void TQVConfirmDateForm::edDate01Enter(plat::TObject*) {
    if (!edDate01->Text().empty()) return;
    // An empty edit first checks the one before it.
    std::vector<plat::TWinControl*> order;
    Panel1->GetTabOrderList(order);
    plat::TEdit* previous = nullptr;
    for (plat::TWinControl* c : order) {
        if (c == edDate01) break;
        if (auto* e = dynamic_cast<plat::TEdit*>(c)) previous = e;
    }
    if (previous) checkDateEdit(previous);
}

void TQVConfirmDateForm::edDate01Exit(plat::TObject*) {
    if (ActiveControl() == btnCancel) return;
    checkDateEdit(edDate01);
}

void TQVConfirmDateForm::btnOKClick(plat::TObject*) {
    resultDate_ = DisplayDateToYmd(edDate01->Text(), DateFormatType, DateSeparator);
}

void TQVConfirmDateForm::FormCloseQuery(plat::TObject*, bool& canClose) {
    if (ModalResult() != plat::mrOk) return;
    resultDate_ = DisplayDateToYmd(edDate01->Text(), DateFormatType, DateSeparator);
    if (resultDate_ != "0") return;
    canClose = false;
    if (Brokers) Brokers->ShowMessageCode("E", "000003", {lbl01->Caption()});
    if (edDate01->CanFocus()) edDate01->SetFocus();
}

}  // namespace ktrb
