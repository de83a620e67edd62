#include "forms/PSMFormatDIY.h"

#include <string_view>

#include "controls/FDBGrid.h"
#include "controls/QrvEdit.h"
#include "controls/QvLookUpCombo.h"
#include "controls/WindowDesign.h"
#include "forms/PSMSegments.h"
#include "platform/core/dates.h"
#include "platform/core/exceptions.h"
#include "platform/core/text.h"
#include "platform/data/clientdataset.h"
#include "platform/data/datasource.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/stdctrls.h"
#include "runtime/LibStrs.h"
#include "runtime/PropAccess.h"
#include "runtime/Reply.h"

namespace ktrb {

using plat::Variant;

TfrmPSMDIY* frmPSMDIY = nullptr;

namespace {

// The hint memo's lines: each kind's name and, for a kind with a look-up,
// its F2 hint on the next line.
const char* const kMemoLines[] = {
    "1.品号",       "[F2]品号信息查询",   "2.批号",     "[F2]批号信息查询",
    "3.日期码",     "[F2]日期快手",       "4.客户编号", "[F2]客户信息查询",
    "5.供应商编号", "[F2]供应商信息查询", "6.流水码",   "7.数量"};

// The look-up of a segment kind's content: table and query number.
struct KindLookup {
    const char* kind;
    const char* table;
    const char* query;
};
const KindLookup kKindLookups[] = {
    {"1", "INVMB", "01"}, {"2", "INVME", "01"}, {"4", "COPMA", "05"}, {"5", "PURMA", "02"}};

// The first row of a look-up reply; a reply of plain values is its own row.
Variant FirstRow(const Variant& reply) {
    if (!reply.IsArray() || reply.ArrayCount() == 0) return {};
    Variant row = ReplyAt(reply, 0);
    return row.IsArray() ? row : reply;
}

using namespace design;
using P = TfrmPSMDIY;

// The item and its format over the grid of segments; the content's look-up
// combo and the kinds' combo wait hidden for the grid to show them.
const Control kDesign[] = {
    {"Panel1", Field<&P::Panel1>, "", {0, 0, 0, 64}, "", plat::TAlign::alTop},
    {"edItem", Field<&P::edItem>, "Panel1", {80, 8, 160, 22}, "品号"},
    {"edFormat", Field<&P::edFormat>, "Panel1", {80, 36, 160, 22}, "编码格式"},
    {"lblformat", Field<&P::lblformat>, "Panel1", {252, 40, 250, 16}, ""},
    {"Panel2", Field<&P::Panel2>, "", {0, 0, 0, 41}, "", plat::TAlign::alBottom},
    {"btnOK", Field<&P::btnOK>, "Panel2", {320, 8, 85, 25}, "确定"},
    {"btnCancel", Field<&P::btnCancel>, "Panel2", {420, 8, 85, 25}, "取消"},
    {"DBGrid", Field<&P::DBGrid>, "", {}, nullptr, plat::TAlign::alClient},
    {"moF2", Field<&P::moF2>, "", {8, 8, 10, 10}},
    {"cboTEXT", Field<&P::cboTEXT>},
    {"cboMC001", Field<&P::cboMC001>, "", {}, "名称"},
};

const Handler kEvents[] = {
    {"edFormat", "OnExit", On<&P::edFormatExit>},
    {"cboTEXT", "OnCustomDlg", On<&P::cboTEXTCustomDlg>},
    {"cboTEXT", "OnKeyPress", On<&P::cboTEXTKeyPress>},
    {"cdsTemp", "AfterScroll", On<&P::cdsTempAfterScroll>},
    {"", "OnShow", On<&P::FormShow>},
    {"", "OnCloseQuery", On<&P::FormCloseQuery>},
};

}  // namespace

TfrmPSMDIY::TfrmPSMDIY(plat::TComponent* owner) : TfrmQVDialog(owner) {
    using namespace plat;
    SetName("frmPSMDIY");
    SetCaption("维护编码格式");
    Position = TPosition::poOwnerFormCenter;
    SetClientWidth(520);
    SetClientHeight(330);

    cdsTemp = new TClientDataSet(this);
    cdsTemp->SetName("cdsTemp");
    dsTemp = new TDataSource(this);
    dsTemp->SetName("dsTemp");
    dsTemp->SetDataSet(cdsTemp);

    Build(this, kDesign);
    edItem->SetReadOnly(true);
    edFormat->SetReadOnly(true);
    lblformat->Font()->SetColor(clBlue);
    btnOK->ModalResult = mrOk;
    btnCancel->ModalResult = mrCancel;
    btnCancel->Cancel = true;
    DBGrid->SetDataSource(dsTemp);
    using O = TDataGridOption;
    DBGrid->SetOptions({O::dgEditing, O::dgTitles, O::dgIndicator, O::dgColumnResize, O::dgColLines,
                        O::dgRowLines, O::dgTabs, O::dgAlwaysShowSelection});
    DBGrid->SetKeyOptions({TDataGridKeyOption::dgEnterToTab});
    moF2->SetVisible(false);
    for (const char* line : kMemoLines) moF2->Lines()->Add(line);
    cboTEXT->SetVisible(false);
    cboTEXT->SetDataSource(dsTemp);
    cboTEXT->SetDataField("MC002");
    cboTEXT->SetShowHint(true);
    cboMC001->SetVisible(false);
    for (const char* item :
         {"2.批号\t2", "4.客户编号\t4", "5.供应商编号\t5", "6.流水码\t6", "7.数量\t7"})
        cboMC001->Items()->Add(item);

    CreateSegmentDataSet(cdsTemp);
    bindSegmentFields();
    DBGrid->Columns()->Add()->SetFieldName("MC001");
    TDataGridColumn* content = DBGrid->Columns()->Add();
    content->SetFieldName("MC002");
    content->SetWidth(200);
    content->SetControlType(TColumnControlType::ctCustom);
    content->SetControl(cboTEXT);
    DBGrid->Columns()->Add()->SetFieldName("MC002C");
    DBGrid->Columns()->Items(0)->SetWidth(130);
    DBGrid->Columns()->Items(2)->SetWidth(150);

    Connect(this, kEvents);
}

std::string TfrmPSMDIY::KindName(const std::string& kind) const {
    if (kind.empty()) return {};
    for (int i = 0; i < moF2->Lines()->Count(); ++i)
        if (std::string_view((*moF2->Lines())[i]).starts_with(kind + "."))
            return (*moF2->Lines())[i];
    return {};
}

std::string TfrmPSMDIY::KindHint(const std::string& kind) const {
    std::string name = KindName(kind);
    if (name.empty()) return {};
    for (int i = 0; i + 1 < moF2->Lines()->Count(); ++i)
        if ((*moF2->Lines())[i] == name &&
            std::string_view((*moF2->Lines())[i + 1]).starts_with("[F2]"))
            return (*moF2->Lines())[i + 1];
    return {};
}

void TfrmPSMDIY::bindSegmentFields() {
    using namespace plat;
    cdsTemp->FieldByName("MC001")->OnGetText =
        TFieldGetTextEvent(this, &TfrmPSMDIY::cdsTempMC001GetText);
    cdsTemp->FieldByName("MC002")->OnValidate =
        TFieldNotifyEvent(this, &TfrmPSMDIY::cdsTempMC002Validate);
    cdsTemp->FieldByName("MC002C")->OnGetText =
        TFieldGetTextEvent(this, &TfrmPSMDIY::cdsTempMC002CGetText);
}

void TfrmPSMDIY::FormShow(plat::TObject* sender) {
    TfrmQVDialog::FormShow(sender);
    edItem->SetText(ItemCode);
    edFormat->SetText(FormatCode);
    edFormatExit(edFormat);
    CopySegmentRows(SegmentDataSet, cdsTemp);
    for (int i = 0; i < cdsTemp->FieldCount(); ++i) {
        plat::TField* f = cdsTemp->Fields()[i];
        if (!f->Visible()) continue;
        f->SetDisplayLabel(
            GetLangMessage("TfrmPSMDIY", "sLabel" + f->FieldName(), f->DisplayLabel(), true));
    }
    cdsTemp->First();
    cdsTempAfterScroll(cdsTemp);
}

void TfrmPSMDIY::edFormatExit(plat::TObject*) {
    Variant reply;
    lblformat->SetCaption("");
    if (Brokers &&
        Brokers->CheckValue("BMSMB", "01", plat::VarArrayOf({Variant(edFormat->Text())}), reply))
        lblformat->SetCaption(ReplyText(QvConverter->ConvertToUI(reply), 1));
}

void TfrmPSMDIY::cdsTempAfterScroll(plat::TDataSet*) {
    plat::TField* content = cdsTemp->FieldByName("MC002");
    content->SetReadOnly(false);
    const std::string kind = cdsTemp->FieldByName("MC001")->AsString();
    std::string hint;
    if (kind == "1") {
        hint = KindHint(kind);
        content->SetReadOnly(true);
    } else if (kind == "2" || kind == "3" || kind == "4" || kind == "5") {
        hint = KindHint(kind);
    } else if (kind == "6") {
        content->SetReadOnly(true);
    }
    cboTEXT->SetHint(plat::VarToStr(QvConverter->ConvertToUI(Variant(hint))));
}

void TfrmPSMDIY::cdsTempMC001GetText(plat::TField* sender, std::string& text, bool) {
    std::string name = KindName(sender->AsString());
    text =
        name.empty() ? sender->AsString() : plat::VarToStr(QvConverter->ConvertToUI(Variant(name)));
}

void TfrmPSMDIY::cdsTempMC002CGetText(plat::TField* sender, std::string& text, bool) {
    text = plat::VarToStr(QvConverter->ConvertToUI(Variant(sender->AsString())));
}

void TfrmPSMDIY::cdsTempMC002Validate(plat::TField*) {
    CheckSegmentContent(Brokers, QvConverter, cdsTemp, true);
}

void TfrmPSMDIY::cboTEXTKeyPress(plat::TObject*, char32_t& key) {
    // An asterisk stands for the running number; a content never holds one.
    if (key == U'*') key = 0;
}

void TfrmPSMDIY::cboTEXTCustomDlg(plat::TObject*) {
    if (cdsTemp->State() != plat::dsEdit && cdsTemp->State() != plat::dsInsert) return;
    uint16_t key = plat::VK_F2;
    HandleF2Key(key, cboTEXT);
}

void TfrmPSMDIY::HandleF2Key(uint16_t& key, plat::TWinControl* control) {
    TfrmQVDialog::HandleF2Key(key, control);
    if (!Brokers || !cdsTemp->Active() || cdsTemp->IsEmpty()) return;
    cdsTemp->Edit();
    plat::TField* selected = DBGrid->SelectedField();
    if (!selected || !plat::SameText(selected->FieldName(), "MC002")) return;
    plat::TField* content = cdsTemp->FieldByName("MC002");
    const std::string kind = cdsTemp->FieldByName("MC001")->AsString();
    if (kind == "3") {
        std::string start = content->AsString();
        if (start.empty() || YmdToDate(start) == 0)
            start = plat::FormatDateTime("yyyymmdd", plat::Date());
        std::string picked = Brokers->ShowInputDay(false, start);
        if (!picked.empty() && YmdToDate(picked) != 0) SetFieldText(content, picked);
        return;
    }
    for (const KindLookup& l : kKindLookups) {
        if (kind != l.kind) continue;
        TLookupRequest request;
        request.A = Variant(l.table);
        request.B = Variant(l.query);
        request.Text1 = content->AsString();
        Variant row = FirstRow(QvConverter->ConvertToUI(Brokers->F2GetData(request)));
        if (!row.IsArray()) return;
        SetFieldText(content, ReplyText(row, 0));
        SetFieldText(cdsTemp->FieldByName("MC002C"), ReplyText(row, 1));
        return;
    }
}

void TfrmPSMDIY::FormCloseQuery(plat::TObject*, bool&) {
    if (ModalResult() != plat::mrOk) return;
    if (cdsTemp->State() == plat::dsEdit || cdsTemp->State() == plat::dsInsert) cdsTemp->Post();
    for (cdsTemp->First(); !cdsTemp->Eof(); cdsTemp->Next()) {
        if (plat::Trim(cdsTemp->FieldByName("MC002")->AsString()).empty()) {
            if (Brokers) Brokers->ShowMessageCode("W", "200402");
            break;
        }
    }
    if (SegmentDataSet) CopySegmentRows(cdsTemp, SegmentDataSet);
}

bool ShowPSMFormatDialog(plat::TComponent* owner, const std::string& itemCode,
                         const std::string& formatCode, plat::TClientDataSet*& segments) {
    frmPSMDIY = plat::CreateForm<TfrmPSMDIY>(owner);
    struct Release {
        ~Release() {
            frmPSMDIY->Free();
            frmPSMDIY = nullptr;
        }
    } release;
    frmPSMDIY->ItemCode = itemCode;
    frmPSMDIY->FormatCode = formatCode;
    frmPSMDIY->SegmentDataSet = segments;
    return frmPSMDIY->ShowModal() == plat::mrOk;
}

}  // namespace ktrb
