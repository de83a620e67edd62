#include "forms/OptionsCF.h"

#include "controls/BtChkBox.h"
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

enum class Kind { Memo, Pages, Sheet, Check, Label, List, Panel, Group, Button };

struct DesignRow {
    const char* name;
    Kind kind;
    const char* parent;  // "" for the dialog itself
    int left, top, width, height;
    const char* caption;
};

const DesignRow kDesign[] = {
    {"mmoMsg", Kind::Memo, "", 4, 4, 60, 20, "选项"},
    {"pgMain", Kind::Pages, "", 8, 8, 408, 236, ""},
    {"tsGeneral", Kind::Sheet, "pgMain", 0, 0, 0, 0, "常规"},
    {"tsDisplay", Kind::Sheet, "pgMain", 0, 0, 0, 0, "显示"},
    {"chkKeepOnAdd", Kind::Check, "tsGeneral", 24, 24, 340, 17, "保存后继续录入下一笔(&N)"},
    {"chkFocusPageOne", Kind::Check, "tsGeneral", 24, 56, 340, 17, "修改时转至第一页(&F)"},
    {"chkColorManage", Kind::Check, "tsGeneral", 24, 88, 200, 17, "启用颜色管理"},
    {"lblStart", Kind::Label, "tsGeneral", 232, 89, 150, 16, "(下次开启生效)"},
    {"chkFastInput", Kind::Check, "tsGeneral", 24, 120, 200, 17, "启用模糊输入"},
    {"lbl02", Kind::Label, "tsGeneral", 232, 121, 150, 16, "(下次开启生效)"},
    {"lblType", Kind::Label, "tsDisplay", 12, 10, 100, 16, "分类(&C)"},
    {"lstType", Kind::List, "tsDisplay", 12, 30, 100, 140, ""},
    {"lblNumberHint", Kind::Label, "tsDisplay", 12, 180, 380, 16, ""},
    {"pnlNumber", Kind::Panel, "tsDisplay", 122, 26, 272, 148, ""},
    {"chkNumberThousand", Kind::Check, "pnlNumber", 8, 6, 258, 17, "使用(,)千位分隔符(&U)"},
    {"chkNumberAutoZero", Kind::Check, "pnlNumber", 8, 34, 258, 17, "小数位自动补零(&Z)"},
    {"grpNumberExample", Kind::Group, "pnlNumber", 8, 64, 258, 72, "示例"},
    {"lblNumberExample", Kind::Label, "grpNumberExample", 16, 32, 226, 16, ""},
    {"pnlMoney", Kind::Panel, "tsDisplay", 122, 26, 272, 148, ""},
    {"chkMoneyThousand", Kind::Check, "pnlMoney", 8, 6, 258, 17, "使用千位分隔符(,)(&U)"},
    {"chkMoneyAutoZero", Kind::Check, "pnlMoney", 8, 34, 258, 17, "小数位自动补零(&Z)"},
    {"grpMoneyExample", Kind::Group, "pnlMoney", 8, 64, 258, 72, "示例"},
    {"lblMoneyExample", Kind::Label, "grpMoneyExample", 16, 32, 226, 16, ""},
    {"btnOK", Kind::Button, "", 240, 254, 80, 26, "确定"},
    {"btnCancel", Kind::Button, "", 332, 254, 80, 26, "取消"},
};

plat::TControl* makeControl(plat::TComponent* owner, Kind kind) {
    switch (kind) {
        case Kind::Memo:
            return new plat::TMemo(owner);
        case Kind::Pages:
            return new plat::TPageControl(owner);
        case Kind::Sheet:
            return new plat::TTabSheet(owner);
        case Kind::Check:
            return new TBitCheckBox(owner);
        case Kind::Label:
            return new plat::TLabel(owner);
        case Kind::List:
            return new plat::TListBox(owner);
        case Kind::Panel:
            return new plat::TPanel(owner);
        case Kind::Group:
            return new plat::TGroupBox(owner);
        case Kind::Button:
            return new plat::TButton(owner);
    }
    return nullptr;
}

template <class T>
T* find(plat::TComponent* owner, const char* name) {
    return static_cast<T*>(owner->FindComponent(name));
}

const char* boolText(bool v) {
    return v ? "True" : "False";
}

}  // namespace

TfrmOptions::TfrmOptions(plat::TComponent* owner) : TfrmQVDialog(owner) {
    SetName("frmOptions");
    Position = plat::TPosition::poOwnerFormCenter;
    SetClientWidth(424);
    SetClientHeight(290);
    for (const DesignRow& row : kDesign) {
        plat::TControl* c = makeControl(this, row.kind);
        c->SetName(row.name);
        plat::TWinControl* parent = *row.parent ? find<plat::TWinControl>(this, row.parent)
                                                : static_cast<plat::TWinControl*>(this);
        if (row.kind == Kind::Sheet) {
            static_cast<plat::TTabSheet*>(c)->SetPageControl(
                static_cast<plat::TPageControl*>(parent));
        } else {
            c->SetParent(parent);
            c->SetBounds(row.left, row.top, row.width, row.height);
        }
        c->SetCaption(row.caption);
    }
    mmoMsg = find<plat::TMemo>(this, "mmoMsg");
    pgMain = find<plat::TPageControl>(this, "pgMain");
    tsGeneral = find<plat::TTabSheet>(this, "tsGeneral");
    tsDisplay = find<plat::TTabSheet>(this, "tsDisplay");
    chkKeepOnAdd = find<TBitCheckBox>(this, "chkKeepOnAdd");
    chkFocusPageOne = find<TBitCheckBox>(this, "chkFocusPageOne");
    chkColorManage = find<TBitCheckBox>(this, "chkColorManage");
    chkFastInput = find<TBitCheckBox>(this, "chkFastInput");
    lblStart = find<plat::TLabel>(this, "lblStart");
    lbl02 = find<plat::TLabel>(this, "lbl02");
    lblType = find<plat::TLabel>(this, "lblType");
    lstType = find<plat::TListBox>(this, "lstType");
    lblNumberHint = find<plat::TLabel>(this, "lblNumberHint");
    pnlNumber = find<plat::TPanel>(this, "pnlNumber");
    chkNumberThousand = find<TBitCheckBox>(this, "chkNumberThousand");
    chkNumberAutoZero = find<TBitCheckBox>(this, "chkNumberAutoZero");
    grpNumberExample = find<plat::TGroupBox>(this, "grpNumberExample");
    lblNumberExample = find<plat::TLabel>(this, "lblNumberExample");
    pnlMoney = find<plat::TPanel>(this, "pnlMoney");
    chkMoneyThousand = find<TBitCheckBox>(this, "chkMoneyThousand");
    chkMoneyAutoZero = find<TBitCheckBox>(this, "chkMoneyAutoZero");
    grpMoneyExample = find<plat::TGroupBox>(this, "grpMoneyExample");
    lblMoneyExample = find<plat::TLabel>(this, "lblMoneyExample");
    btnOK = find<plat::TButton>(this, "btnOK");
    btnCancel = find<plat::TButton>(this, "btnCancel");

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

    lstType->OnClick = plat::TNotifyEvent(this, &TfrmOptions::lstTypeClick);
    chkMoneyThousand->OnClick = plat::TNotifyEvent(this, &TfrmOptions::chkMoneyThousandClick);
    chkMoneyAutoZero->OnClick = plat::TNotifyEvent(this, &TfrmOptions::chkMoneyAutoZeroClick);
    chkNumberThousand->OnClick = plat::TNotifyEvent(this, &TfrmOptions::chkNumberThousandClick);
    chkNumberAutoZero->OnClick = plat::TNotifyEvent(this, &TfrmOptions::chkNumberAutoZeroClick);
    btnOK->OnClick = plat::TNotifyEvent(this, &TfrmOptions::btnOKClick);
    OnCreate = plat::TNotifyEvent(this, &TfrmOptions::FormCreate);
    OnShow = plat::TNotifyEvent(this, &TfrmOptions::FormShow);
    OnDestroy = plat::TNotifyEvent(this, &TfrmOptions::FormDestroy);
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
