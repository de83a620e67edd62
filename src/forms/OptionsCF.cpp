#include "forms/OptionsCF.h"

#include "controls/BtChkBox.h"
#include "controls/WindowDesign.h"
#include "platform/core/numbers.h"
#include "platform/core/text.h"
#include "platform/ui/comctrls.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/stdctrls.h"
#include "platform/xml/xmldocument.h"
#include "runtime/Brokers.h"

namespace ktrb {

namespace {

const char* const kAllPrograms = "********************";
const double kExampleValue = 9999999.9;

using namespace design;
using F = TfrmOptions;

const Control kDesign[] = {
    {"mmoMsg", Field<&F::mmoMsg>, "", {4, 4, 60, 20}, "选项"},
    {"pgMain", Field<&F::pgMain>, "", {8, 8, 408, 236}, ""},
    {"tsGeneral", Field<&F::tsGeneral>, "pgMain", {}, "常规"},
    {"tsDisplay", Field<&F::tsDisplay>, "pgMain", {}, "显示"},
    {"chkKeepOnAdd",
     Field<&F::chkKeepOnAdd>,
     "tsGeneral",
     {24, 24, 340, 17},
     "保存后继续录入下一笔(&N)"},
    {"chkFocusPageOne",
     Field<&F::chkFocusPageOne>,
     "tsGeneral",
     {24, 56, 340, 17},
     "修改时转至第一页(&F)"},
    {"chkColorManage", Field<&F::chkColorManage>, "tsGeneral", {24, 88, 200, 17}, "启用颜色管理"},
    {"lblStart", Field<&F::lblStart>, "tsGeneral", {232, 89, 150, 16}, "(下次开启生效)"},
    {"chkFastInput", Field<&F::chkFastInput>, "tsGeneral", {24, 120, 200, 17}, "启用模糊输入"},
    {"lbl02", Field<&F::lbl02>, "tsGeneral", {232, 121, 150, 16}, "(下次开启生效)"},
    {"lblType", Field<&F::lblType>, "tsDisplay", {12, 10, 100, 16}, "分类(&C)"},
    {"lstType", Field<&F::lstType>, "tsDisplay", {12, 30, 100, 140}, ""},
    {"lblNumberHint", Field<&F::lblNumberHint>, "tsDisplay", {12, 180, 380, 16}, ""},
    {"pnlNumber", Field<&F::pnlNumber>, "tsDisplay", {122, 26, 272, 148}, ""},
    {"chkNumberThousand",
     Field<&F::chkNumberThousand>,
     "pnlNumber",
     {8, 6, 258, 17},
     "使用(,)千位分隔符(&U)"},
    {"chkNumberAutoZero",
     Field<&F::chkNumberAutoZero>,
     "pnlNumber",
     {8, 34, 258, 17},
     "小数位自动补零(&Z)"},
    {"grpNumberExample", Field<&F::grpNumberExample>, "pnlNumber", {8, 64, 258, 72}, "示例"},
    {"lblNumberExample", Field<&F::lblNumberExample>, "grpNumberExample", {16, 32, 226, 16}, ""},
    {"pnlMoney", Field<&F::pnlMoney>, "tsDisplay", {122, 26, 272, 148}, ""},
    {"chkMoneyThousand",
     Field<&F::chkMoneyThousand>,
     "pnlMoney",
     {8, 6, 258, 17},
     "使用千位分隔符(,)(&U)"},
    {"chkMoneyAutoZero",
     Field<&F::chkMoneyAutoZero>,
     "pnlMoney",
     {8, 34, 258, 17},
     "小数位自动补零(&Z)"},
    {"grpMoneyExample", Field<&F::grpMoneyExample>, "pnlMoney", {8, 64, 258, 72}, "示例"},
    {"lblMoneyExample", Field<&F::lblMoneyExample>, "grpMoneyExample", {16, 32, 226, 16}, ""},
    {"btnOK", Field<&F::btnOK>, "", {240, 254, 80, 26}, "确定"},
    {"btnCancel", Field<&F::btnCancel>, "", {332, 254, 80, 26}, "取消"},
};

const Handler kEvents[] = {
    {"lstType", "OnClick", On<&F::lstTypeClick>},
    {"chkMoneyThousand", "OnClick", On<&F::chkMoneyThousandClick>},
    {"chkMoneyAutoZero", "OnClick", On<&F::chkMoneyAutoZeroClick>},
    {"chkNumberThousand", "OnClick", On<&F::chkNumberThousandClick>},
    {"chkNumberAutoZero", "OnClick", On<&F::chkNumberAutoZeroClick>},
    {"btnOK", "OnClick", On<&F::btnOKClick>},
    {"", "OnCreate", On<&F::FormCreate>},
    {"", "OnShow", On<&F::FormShow>},
    {"", "OnDestroy", On<&F::FormDestroy>},
};

const char* boolText(bool v) {
    return v ? "True" : "False";
}

}  // namespace

TfrmOptions::TfrmOptions(plat::TComponent* owner) : TfrmQVDialog(owner) {
    SetName("frmOptions");
    Position = plat::TPosition::poOwnerFormCenter;
    SetClientWidth(424);
    SetClientHeight(290);
    Build(this, kDesign);

    mmoMsg->SetVisible(false);
    mmoMsg->Lines()->SetText("选项");
    lblType->SetFocusControl(lstType);
    lstType->Items()->Add("数值");
    lstType->Items()->Add("金额");
    for (plat::TPanel* p : {pnlNumber, pnlMoney}) p->SetBevelOuter(plat::TBevelCut::bvNone);
    for (TBitCheckBox* box : {chkKeepOnAdd, chkFocusPageOne, chkFastInput, chkNumberThousand,
                              chkNumberAutoZero, chkMoneyThousand, chkMoneyAutoZero})
        box->SetChecked(true);
    btnOK->ModalResult = plat::mrOk;
    btnOK->SetDefault(true);
    btnCancel->ModalResult = plat::mrCancel;
    btnCancel->Cancel = true;

    Connect(this, kEvents);
}

TfrmOptions::~TfrmOptions() = default;

void TfrmOptions::captionFromMemo() {
    std::string first = mmoMsg->Lines()->Count() > 0 ? mmoMsg->Lines()->Strings(0) : "";
    SetCaption(QvConverter->ConvertToUI(plat::Variant(first)).AsString());
}

void TfrmOptions::FormCreate(plat::TObject* sender) {
    TfrmQVDialog::FormCreate(sender);
    captionFromMemo();
    lblNumberHint->SetCaption(
        GetLangMessage("TfrmOptions", "sTypeHint", "选择分类后设定其显示格式", true));
    pgMain->SetActivePageIndex(0);
    for (int i = 0; i < tsDisplay->ControlCount(); ++i)
        if (auto* panel = dynamic_cast<plat::TPanel*>(tsDisplay->Controls(i)))
            panel->SetVisible(false);
    lstType->SetItemIndex(0);
}

void TfrmOptions::FormShow(plat::TObject* sender) {
    int type = lstType->ItemIndex();
    TfrmQVDialog::FormShow(sender);
    // The language package may have given the memo its own first line and
    // the list new items (which drops the selection).
    captionFromMemo();
    if (lstType->ItemIndex() < 0) lstType->SetItemIndex(type);
    loadSettings();
    showTypePanel();
    refreshExamples();
    takeSnapshot();
}

void TfrmOptions::FormDestroy(plat::TObject*) {
    snapshot_.reset();
}

void TfrmOptions::loadSettings() {
    if (Brokers) {
        try {
            plat::Variant reply = Brokers->CallServerMethod(
                "GetUserDefine", plat::VarArrayOf({Brokers->CompanyID, Brokers->UserID,
                                                   Brokers->ProgramCode, "NumberFieldsSetting"}));
            std::string text = plat::VarToStr(reply);
            plat::XmlDocument doc;
            if (!text.empty() && doc.LoadXML(text)) {
                struct Setting {
                    const char* element;
                    TBitCheckBox* box;
                };
                const Setting settings[] = {{"QuantityFieldAutoZero", chkNumberAutoZero},
                                            {"QuantityFieldThousand", chkNumberThousand},
                                            {"MoneyFieldAutoZero", chkMoneyAutoZero},
                                            {"MoneyFieldThousand", chkMoneyThousand}};
                for (const Setting& s : settings) {
                    plat::XmlNode node =
                        doc.SelectSingleNode(std::string("//NumberFieldsSetting/") + s.element);
                    s.box->SetChecked(!node || plat::SameText(node.Text(), "True"));
                }
            }
        } catch (const std::exception&) {
            // Without the stored settings the designed states stand.
        }
    }
    if (auto* owner = dynamic_cast<IOptionsOwner*>(Owner())) {
        chkFocusPageOne->SetChecked(
            owner->OptionsUserFlag("InputSettings001", "IsFocusPageOne", true));
        chkKeepOnAdd->SetChecked(owner->OptionsUserFlag("InputSettings002", "IsKeepOnAdd", true));
        chkColorManage->SetChecked(
            owner->OptionsUserFlag("InputSettings003", "IsColorManage", false));
        chkFastInput->SetChecked(
            owner->OptionsUserFlag("InputSettings004", "FastInputEnabled", true));
    }
}

void TfrmOptions::showTypePanel() {
    int index = lstType->ItemIndex();
    pnlNumber->SetVisible(index == 0);
    pnlMoney->SetVisible(index == 1);
}

std::string TfrmOptions::NumberFormat() const {
    return std::string("#") + (chkNumberThousand->Checked() ? "," : "") + "##0." +
           (chkNumberAutoZero->Checked() ? "000" : "###");
}

std::string TfrmOptions::MoneyFormat() const {
    int digits = 2;
    if (auto* owner = dynamic_cast<IOptionsOwner*>(Owner())) digits = owner->OptionsMoneyDigits();
    if (digits < 0 || digits > 18) digits = 2;
    return std::string("#") + (chkMoneyThousand->Checked() ? "," : "") + "##0." +
           std::string((size_t)digits, chkMoneyAutoZero->Checked() ? '0' : '#');
}

void TfrmOptions::refreshExamples() {
    lblNumberExample->SetCaption(plat::FormatFloat(NumberFormat(), kExampleValue));
    lblMoneyExample->SetCaption(plat::FormatFloat(MoneyFormat(), kExampleValue));
}

void TfrmOptions::takeSnapshot() {
    if (!snapshot_) snapshot_ = std::make_unique<plat::TStringList>();
    snapshot_->Clear();
    for (int i = 0; i < ComponentCount(); ++i)
        if (auto* box = dynamic_cast<TBitCheckBox*>(Components(i)))
            snapshot_->Add(box->Name() + "=" + boolText(box->Checked()));
}

bool TfrmOptions::changed(const TBitCheckBox* box) const {
    return !snapshot_ || snapshot_->Values(box->Name()) != boolText(box->Checked());
}

void TfrmOptions::lstTypeClick(plat::TObject*) {
    showTypePanel();
}

void TfrmOptions::chkMoneyThousandClick(plat::TObject*) {
    refreshExamples();
}

void TfrmOptions::chkMoneyAutoZeroClick(plat::TObject*) {
    refreshExamples();
}

void TfrmOptions::chkNumberThousandClick(plat::TObject*) {
    refreshExamples();
}

void TfrmOptions::chkNumberAutoZeroClick(plat::TObject*) {
    refreshExamples();
}

void TfrmOptions::btnOKClick(plat::TObject*) {
    SetModalResult(plat::mrOk);
    storeSettings();
}

void TfrmOptions::storeSettings() {
    if (!Brokers) return;
    auto store = [this](const std::string& program, const std::string& path,
                        const std::string& value) {
        try {
            Brokers->CallServerMethod(
                "SetUserDefine",
                plat::VarArrayOf({Brokers->CompanyID, Brokers->UserID, program, path, value}));
        } catch (const std::exception&) {
            // The reply is not examined; a failed write only loses the setting.
        }
    };
    struct Input {
        TBitCheckBox* box;
        bool everyProgram;
        const char* path;
    };
    const Input inputs[] = {{chkKeepOnAdd, true, "InputSettings002/IsKeepOnAdd"},
                            {chkFocusPageOne, true, "InputSettings001/IsFocusPageOne"},
                            {chkColorManage, false, "InputSettings003/IsColorManage"},
                            {chkFastInput, false, "InputSettings004/FastInputEnabled"}};
    for (const Input& in : inputs)
        if (changed(in.box))
            store(in.everyProgram ? kAllPrograms : Brokers->ProgramCode, in.path,
                  boolText(in.box->Checked()));
    if (changed(chkNumberAutoZero) || changed(chkNumberThousand) || changed(chkMoneyAutoZero) ||
        changed(chkMoneyThousand))
        store(kAllPrograms, ".",
              std::string("<NumberFieldsSetting Enabled=\"True\">  <QuantityFieldAutoZero>") +
                  boolText(chkNumberAutoZero->Checked()) +
                  "</QuantityFieldAutoZero>  <QuantityFieldThousand>" +
                  boolText(chkNumberThousand->Checked()) +
                  "</QuantityFieldThousand>  <MoneyFieldAutoZero>" +
                  boolText(chkMoneyAutoZero->Checked()) +
                  "</MoneyFieldAutoZero>  <MoneyFieldThousand>" +
                  boolText(chkMoneyThousand->Checked()) +
                  "</MoneyFieldThousand></NumberFieldsSetting>");
}

bool TfrmOptions::GetKeepOnAdd() const {
    return chkKeepOnAdd->Checked();
}
bool TfrmOptions::GetFocusPageOne() const {
    return chkFocusPageOne->Checked();
}
bool TfrmOptions::GetMoneyAutoZero() const {
    return chkMoneyAutoZero->Checked();
}
bool TfrmOptions::GetMoneyThousand() const {
    return chkMoneyThousand->Checked();
}
bool TfrmOptions::GetNumberAutoZero() const {
    return chkNumberAutoZero->Checked();
}
bool TfrmOptions::GetNumberThousand() const {
    return chkNumberThousand->Checked();
}
bool TfrmOptions::GetColorManage() const {
    return chkColorManage->Checked();
}

}  // namespace ktrb
