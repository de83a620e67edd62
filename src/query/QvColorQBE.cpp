#include "query/QvColorQBE.h"

#include "controls/BtChkBox.h"
#include "controls/WindowDesign.h"
#include "platform/core/text.h"
#include "platform/ui/buttons.h"
#include "platform/ui/extctrls.h"
#include "runtime/Brokers.h"

namespace ktrb {

namespace {

const char* const kAllPrograms = "********************";

using F = TColorQBEForm;
using design::Field;
using design::On;
using plat::TAlign;

const design::Control kControls[] = {
    {"pnlHead", Field<&F::pnlHead>, "", {0, 0, 0, 33}, "", TAlign::alTop},
    {"chkColorManage", Field<&F::chkColorManage>, "pnlHead", {32, 8, 105, 17}, "启用颜色管理"},
    {"pnlFoot", Field<&F::pnlFoot>, "", {0, 0, 0, 41}, "", TAlign::alBottom},
    {"BBOK", Field<&F::BBOK>, "pnlFoot", {86, 6, 94, 30}, "确定(&O)"},
    {"BBCancel", Field<&F::BBCancel>, "pnlFoot", {204, 6, 94, 30}, "取消(&C)"},
    {"pnlMain", Field<&F::pnlMain>, "", {}, "", TAlign::alClient},
    {"boxMain", Field<&F::boxMain>, "pnlMain", {}, nullptr, TAlign::alClient},
};

const design::Handler kEvents[] = {
    {"chkColorManage", "OnClick", On<&F::chkColorManageClick>},
    {"", "OnCreate", On<&F::FormCreate>},
    {"", "OnShow", On<&F::FormShow>},
    {"", "OnCloseQuery", On<&F::FormCloseQuery>},
};

}  // namespace

TColorQBEForm::TColorQBEForm(plat::TComponent* owner) : TQVForm(owner) {
    using namespace plat;
    SetName("ColorQBEForm");
    SetCaption("颜色筛选");
    SetBorderStyle(TFormBorderStyle::bsDialog);
    Position = TPosition::poOwnerFormCenter;
    SetClientWidth(384);
    SetHeight(415);

    design::Build(this, kControls);
    pnlHead->SetVisible(false);
    BBOK->SetDefault(true);
    BBOK->ModalResult = mrOk;
    BBCancel->Cancel = true;
    BBCancel->ModalResult = mrCancel;
    design::Connect(this, kEvents);
}

TColorQBEForm::~TColorQBEForm() = default;

void TColorQBEForm::FormCreate(plat::TObject* sender) {
    TQVForm::FormCreate(sender);
    if (auto* owner = dynamic_cast<IColorQBEOwner*>(Owner()))
        chkColorManage->SetChecked(owner->ReadUserSettingFlag("InputSettings003", "IsColorManage"));
    conditions_ = std::make_unique<TColorConditions>();
}

void TColorQBEForm::FormShow(plat::TObject* sender) {
    TQVForm::FormShow(sender);
    ConvertFormOnce();
}

TBitCheckBox* TColorQBEForm::RuleBox(int index) const {
    return index >= 0 && index < (int)boxes_.size() ? boxes_[index] : nullptr;
}

void TColorQBEForm::MakeRuleBoxes() {
    for (int i = 0; i < conditions_->Count(); ++i) {
        TColorCondition* c = conditions_->GetItem(i);
        TBitCheckBox* box = RuleBox(i);
        if (!box) {
            box = new TBitCheckBox(this);
            box->SetName("chkColor" + std::to_string(i));
            box->SetParent(boxMain);
            boxes_.push_back(box);
        }
        box->SetCaption(c->Msg);
        plat::TCanvas* canvas = Canvas();
        canvas->Font.Assign(*Font());
        box->SetBounds(20, 5 + 20 * i, canvas->TextWidth(c->Msg) + 3 * canvas->TextWidth("0") + 4,
                       17);
        box->SetVisible(true);
        try {
            if (!c->BkColor.empty()) box->SetColor(ColorFromText(c->BkColor));
            if (!c->ColorX.empty()) box->Font()->SetColor(ColorFromText(c->ColorX));
        } catch (const plat::EConvertError&) {
            // A rule with a bad colour keeps the default look.
        }
    }
    for (size_t i = (size_t)conditions_->Count(); i < boxes_.size(); ++i)
        boxes_[i]->SetVisible(false);
}

TColorQBEForm* CreateColorQBEForm(plat::TComponent* owner, TColorConditions* conditions) {
    TColorQBEForm* form = plat::CreateForm<TColorQBEForm>(owner);
    if (conditions) form->conditions_->Assign(conditions);
    form->MakeRuleBoxes();
    return form;
}

bool TColorQBEForm::Execute(bool colorManage, TColorConditions* conditions) {
    chkColorManage->SetChecked(colorManage);
    InitialColorManage = colorManage;
    boxMain->SetEnabled(chkColorManage->Checked());
    conditions_->Assign(conditions);
    // A set that grew since the dialog was made gets boxes for its new rules.
    MakeRuleBoxes();
    for (int i = 0; i < conditions_->Count(); ++i)
        boxes_[i]->SetChecked(conditions_->GetItem(i)->Checked);
    bool ok = ShowModal() == plat::mrOk;
    if (ok) conditions->Assign(conditions_.get());
    return ok;
}

bool TColorQBEForm::GetColorManage() const {
    return chkColorManage->Checked();
}

void TColorQBEForm::chkColorManageClick(plat::TObject*) {
    boxMain->SetEnabled(chkColorManage->Checked());
    if (chkColorManage->Checked()) return;
    for (int i = 0; i < conditions_->Count() && i < (int)boxes_.size(); ++i)
        boxes_[i]->SetChecked(false);
}

void TColorQBEForm::FormCloseQuery(plat::TObject*, bool&) {
    if (ModalResult() != plat::mrOk) return;
    for (int i = 0; i < conditions_->Count() && i < (int)boxes_.size(); ++i)
        conditions_->GetItem(i)->Checked = boxes_[i]->Checked();
    if (GetColorManage() == InitialColorManage) return;
    auto* owner = dynamic_cast<IColorQBEOwner*>(Owner());
    TBrokers* broker = owner ? owner->ColorQBEBroker() : nullptr;
    if (!broker) return;
    try {
        broker->CallServerMethod("SetUserDefine",
                                 plat::VarArrayOf({broker->CompanyID, broker->UserID, kAllPrograms,
                                                   "InputSettings003/IsColorManage",
                                                   GetColorManage() ? "True" : "False"}));
    } catch (const std::exception&) {
        // The switch still holds for this form; only storing it failed.
    }
}

}  // namespace ktrb
