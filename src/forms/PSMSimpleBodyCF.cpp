#include "forms/PSMSimpleBodyCF.h"

#include <algorithm>
#include <climits>
#include <functional>

#include "controls/FDBGrid.h"
#include "controls/QrvEdit.h"
#include "controls/WindowDesign.h"
#include "dataframe/LibDouble.h"
#include "forms/PSMFormatDIY.h"
#include "forms/PSMSegments.h"
#include "forms/ShowWarningDIY.h"
#include "platform/core/exceptions.h"
#include "platform/core/format.h"
#include "platform/core/numbers.h"
#include "platform/core/text.h"
#include "platform/data/clientdataset.h"
#include "platform/data/datasource.h"
#include "platform/ui/comctrls.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/graphics.h"
#include "platform/ui/keys.h"
#include "platform/ui/menus.h"
#include "platform/ui/stdctrls.h"
#include "runtime/Brokers.h"
#include "runtime/LibStrs.h"
#include "runtime/PropAccess.h"
#include "runtime/Reply.h"

namespace ktrb {

using plat::Variant;

namespace {

// Focuses a control of a shown window; nothing otherwise.
void TryFocus(plat::TWinControl* c) {
    plat::TCustomForm* form = c ? plat::GetParentForm(c) : nullptr;
    if (form && form->Visible() && c->CanFocus()) c->SetFocus();
}

const char* const kNoBatch = "********************";
constexpr plat::TColor kInputColor = plat::RGB(255, 255, 175);
// The longest interval one confirmation writes.
constexpr long long kMaxIntervalSerials = 1000000;

std::string MB(int n) {
    std::string s = std::to_string(n);
    return "MB" + std::string(3 - std::min<size_t>(3, s.size()), '0') + s;
}

std::string FieldList(int from, int to) {
    std::string out;
    for (int i = from; i <= to; ++i) out += (out.empty() ? "" : ",") + MB(i);
    return out;
}

// The first row of a "SimpleSql" reply, or an empty row.
std::vector<std::string> FirstRow(const Variant& reply) {
    return ReplyTexts(ReplyFirstRow(reply));
}

bool Editing(const plat::TDataSet* ds) {
    return ds && (ds->State() == plat::dsEdit || ds->State() == plat::dsInsert);
}

// The tool bar's glyphs: a keyboard, a pattern with its run, a sheet with a
// red cross, a sheet with a green plus.
void drawKeyboard(plat::TCanvas& c) {
    c.Pen.Color = plat::clBlack;
    c.Brush.Color = plat::clSilver;
    c.Rectangle(1, 5, 17, 14);
    c.Brush.Color = plat::clWhite;
    for (int x = 3; x < 15; x += 4) c.Rectangle(x, 7, x + 3, 10);
}
void drawPattern(plat::TCanvas& c) {
    c.Font.SetHeight(-11);
    c.Font.SetColor(plat::clNavy);
    c.Brush.Style = plat::TBrushStyle::bsClear;
    c.TextOut(0, 2, "A*");
}
// A sheet with two strokes across it.
struct Stroke {
    plat::TPoint from, to;
};
void drawMarkedSheet(plat::TCanvas& c, plat::TColor colour, Stroke first, Stroke second) {
    c.Pen.Color = plat::clBlack;
    c.Brush.Color = plat::clWhite;
    c.Rectangle(3, 1, 15, 17);
    c.Pen.Color = colour;
    c.Pen.Width = 2;
    for (const Stroke& stroke : {first, second}) {
        c.MoveTo(stroke.from.X, stroke.from.Y);
        c.LineTo(stroke.to.X, stroke.to.Y);
    }
}
void drawRemove(plat::TCanvas& c) {
    drawMarkedSheet(c, plat::clRed, {{6, 5}, {13, 13}}, {{13, 5}, {6, 13}});
}
void drawAdd(plat::TCanvas& c) {
    drawMarkedSheet(c, plat::clGreen, {{9, 4}, {9, 14}}, {{4, 9}, {14, 9}});
}

using namespace design;
using F = TfrmPSMSimpleBody;

// The input modes and the serial tools of the tool bar.
const Item kTools[] = {
    {"popInpurtModal", Field<&F::popInpurtModal>},
    {"miInterval", Field<&F::miInterval>, "popInpurtModal", "区间输入", -1,
     On<&F::miIntervalClick>},
    {"miScan", Field<&F::miScan>, "popInpurtModal", "扫描输入", -1, On<&F::miScanClick>},
    {"btnInpurtType", Field<&F::btnInpurtType>, "ToolBar1", "输入模式", -1, nullptr, nullptr, true,
     "popInpurtModal"},
    {"btnFormatText", Field<&F::btnFormatText>, "ToolBar1", "维护序号编码内容", -1,
     On<&F::btnFormatTextClick>},
    {"btnDeleteSeq", Field<&F::btnDeleteSeq>, "ToolBar1", "删除产品序号", -1,
     On<&F::btnDeleteSeqClick>},
    {"btnSRLB03", Field<&F::btnSRLB03>, "ToolBar1", "新增序号", -1, On<&F::btnSRLB03Click>},
};

// The serial header: the item, its quantities, the encoding, the interval
// or the scanned serial, and the messages.
const Control kHeader[] = {
    {"pnlSeqMain", Field<&F::pnlSeqMain>, "", {0, 0, 0, 168}, "", plat::TAlign::alTop},
    {"edINVMB001", Field<&F::edINVMB001>, "pnlSeqMain", {100, 8, 150, 21}, "品号"},
    {"edINVMB002", Field<&F::edINVMB002>, "pnlSeqMain", {320, 8, 170, 21}, "品名"},
    {"edINVMB003", Field<&F::edINVMB003>, "pnlSeqMain", {548, 8, 200, 21}, "规格"},
    {"edNum1", Field<&F::edNum1>, "pnlSeqMain", {100, 34, 150, 21}, "数量一"},
    {"edNum2", Field<&F::edNum2>, "pnlSeqMain", {320, 34, 170, 21}, "数量二"},
    {"edFormat", Field<&F::edFormat>, "pnlSeqMain", {100, 60, 128, 21}, "编码格式"},
    {"lblformat", Field<&F::lblformat>, "pnlSeqMain", {256, 63, 150, 16}, ""},
    {"edFormatText", Field<&F::edFormatText>, "pnlSeqMain", {100, 86, 306, 21}, "序号编码内容"},
    {"edBegSeq", Field<&F::edBegSeq>, "pnlSeqMain", {100, 112, 80, 21}, "起始流水号"},
    {"edEndSeq", Field<&F::edEndSeq>, "pnlSeqMain", {264, 112, 80, 21}, "截止流水号"},
    {"edSeqCount", Field<&F::edSeqCount>, "pnlSeqMain", {384, 112, 50, 21}, "数量"},
    {"btnSure", Field<&F::btnSure>, "pnlSeqMain", {440, 110, 56, 25}, "确认"},
    {"edSeqNoScan", Field<&F::edSeqNoScan>, "pnlSeqMain", {100, 60, 306, 21}, "序号扫描"},
    {"gbMessage", Field<&F::gbMessage>, "pnlSeqMain", {504, 34, 248, 126}, "信息提示区"},
    {"moMSG", Field<&F::moMSG>, "gbMessage", {}, nullptr, plat::TAlign::alClient},
};

// The segment grid (hidden) and the serial count under the lines.
const Control kFooter[] = {
    {"dbTemp", Field<&F::dbTemp>, "Panel1", {}, nullptr, plat::TAlign::alClient},
    {"pnlBottom", Field<&F::pnlBottom>, "", {0, 0, 0, 30}, "", plat::TAlign::alBottom},
    {"edTotalSeqNo", Field<&F::edTotalSeqNo>, "pnlBottom", {96, 4, 100, 21}, "产品序号总计"},
};

const Handler kEvents[] = {
    {"edFormat", "OnExit", On<&F::edFormatExit>},
    {"edFormatText", "OnDblClick", On<&F::edFormatTextDblClick>},
    {"edBegSeq", "OnKeyPress", On<&F::edSeqKeyPress>},
    {"edEndSeq", "OnKeyPress", On<&F::edSeqKeyPress>},
    {"edSeqCount", "OnKeyPress", On<&F::edSeqKeyPress>},
    {"edBegSeq", "OnExit", On<&F::edBegSeqExit>},
    {"edEndSeq", "OnExit", On<&F::edBegSeqExit>},
    {"edSeqCount", "OnExit", On<&F::edSeqCountExit>},
    {"btnSure", "OnClick", On<&F::btnSureClick>},
    {"edSeqNoScan", "OnExit", On<&F::edSeqNoScanExit>},
    {"moMSG", "OnKeyDown", On<&F::moMSGKeyDown>},
    {"moMSG", "OnKeyPress", On<&F::moMSGKeyPress>},
};

}  // namespace

TfrmPSMSimpleBody::TfrmPSMSimpleBody(plat::TComponent* owner) : TfrmSimpleBody(owner) {
    using namespace plat;
    SetName("frmPSMSimpleBody");
    SetClientWidth(760);
    SetClientHeight(520);
    Build(this, kTools);
    btnInpurtType->SetImageIndex(AddToolGlyph(drawKeyboard));
    btnFormatText->SetImageIndex(AddToolGlyph(drawPattern));
    btnDeleteSeq->SetImageIndex(AddToolGlyph(drawRemove));
    btnSRLB03->SetImageIndex(AddToolGlyph(drawAdd));
    btnSRLB03->SetCaption("新增序号");

    Build(this, kHeader);
    for (TQvEdit* e : {edINVMB001, edINVMB002, edINVMB003, edNum1, edNum2}) e->SetReadOnly(true);
    edFormat->SetButtonHint("[F2]条码编码规则信息查询");
    lblformat->Font()->SetColor(clBlue);
    moMSG->SetReadOnly(true);
    moMSG->Font()->SetColor(clRed);

    cdsTemp = new TClientDataSet(this);
    cdsTemp->SetName("cdsTemp");
    CreateSegmentDataSet(cdsTemp);
    cdsTemp->FieldByName("MC002")->OnValidate =
        TFieldNotifyEvent(this, &TfrmPSMSimpleBody::cdsTempMC002Validate);
    dsTemp = new TDataSource(this);
    dsTemp->SetName("dsTemp");
    dsTemp->SetDataSet(cdsTemp);
    Build(this, kFooter);
    dbTemp->SetDataSource(dsTemp);
    dbTemp->SetVisible(false);
    edTotalSeqNo->SetReadOnly(true);
    Connect(this, kEvents);
    DBGrid->SetHint("[CTL+A:SELECT ALL ;CTL+B ,UNSELECT ALL]");
    DBGrid->SetShowHint(true);
}

TfrmPSMSimpleBody::~TfrmPSMSimpleBody() = default;

// ---- start-up --------------------------------------------------------------------------

void TfrmPSMSimpleBody::FormCreate(plat::TObject* sender) {
    TfrmSimpleBody::FormCreate(sender);
    SilencedCodes.clear();
}

void TfrmPSMSimpleBody::ApplyControlSettings() {
    TfrmSimpleBody::ApplyControlSettings();
    if (BodyDataSet)
        if (plat::TField* f = BodyDataSet->FindField(SerialField)) f->SetReadOnly(true);
    if (btnSRLB03) btnSRLB03->SetVisible(false);
}

void TfrmPSMSimpleBody::InitFormSettings() {
    TfrmSimpleBody::InitFormSettings();
    SerialField = "MB004";
    LineKeyField = "TH003";
    AppliedInputMode = TSerialInputMode::Scan;
    moMSG->Clear();
    lblformat->SetCaption("");
    RunStart = RunEnd = 1;
    for (TQvEdit* e : {edBegSeq, edEndSeq, edSeqCount}) e->SetText("1");
    for (plat::TWinControl* c : {(plat::TWinControl*)edFormat, (plat::TWinControl*)edFormatText,
                                 (plat::TWinControl*)edSeqNoScan})
        c->SetColor(kInputColor);
    FormatSettings.assign(20, std::string());
    if (!Brokers()) return;
    try {
        Variant reply = Brokers()->CallServerMethod(
            "SimpleSql",
            plat::VarArrayOf(
                {Variant(" SELECT MA029,MA030,MA031,MA032,MA033,MA034,MA035,MA036,MA037,MA038, "
                         "\r\n        MA039,MA040,MA041,MA042,MA043,MA044,MA045,MA046,MA047,"
                         "MA048  \r\n FROM $$BMSMA AS BMSMA "),
                 Variant("MA039,MA040,MA041,MA042,MA043,MA044,MA045,MA046,MA047,MA048,MA029,"
                         "MA030,MA031,MA032,MA033,MA034,MA035,MA036,MA037,MA038")}));
        std::vector<std::string> row = FirstRow(reply);
        for (size_t i = 0; i < row.size() && i < FormatSettings.size(); ++i)
            FormatSettings[i] = row[i];
    } catch (const std::exception&) {
        // Without settings the user-defined segment kinds get no default.
    }
}

void TfrmPSMSimpleBody::FormShow(plat::TObject* sender) {
    TfrmSimpleBody::FormShow(sender);
    if (StartFailed) return;
    edSeqNoScan->SetText("");
    SetInputMode(AppliedInputMode);
    IntervalAccepted = false;
    moMSG->Clear();
    SilencedCodes.clear();
    edFormat->SetText("");
    lblformat->SetCaption("");
    edFormatText->SetText("");
    if (plat::TField* f = BodyDataSet->FindField("CHECKED")) f->SetDisplayWidth(10);
    edTotalSeqNo->SetText(std::to_string(BodyDataSet->RecordCount()));
    ShowRowStatus();
}

void TfrmPSMSimpleBody::BodyAfterScroll(plat::TDataSet* dataSet) {
    ShowRowStatus();
    if (BodyDataSet && BodyDataSet->Active())
        edTotalSeqNo->SetText(std::to_string(BodyDataSet->RecordCount()));
}

void TfrmPSMSimpleBody::UpdateButtons() {
    TfrmSimpleBody::UpdateButtons();
    if (btnSRLB03 && btnSRLB03->Visible()) btnSRLB03->SetEnabled(MaintainMode);
}

void TfrmPSMSimpleBody::SetMaintainMode(bool on) {
    TfrmSimpleBody::SetMaintainMode(on);
    pnlSeqMain->SetEnabled(MaintainMode);
    if (btnSRLB03 && btnSRLB03->Visible()) btnSRLB03->SetEnabled(MaintainMode);
}

bool TfrmPSMSimpleBody::AddRecord(bool ask) {
    if (!TfrmSimpleBody::AddRecord(ask)) return false;
    if (DBGrid->VisibleColumnCount() > 1) DBGrid->SetSelectedIndex(1);
    ApplyInputMode(RequestedInputMode);
    return true;
}

void TfrmPSMSimpleBody::SwitchSerialGrid(int mode) {
    dbTemp->SetVisible(mode == 0);
    DBGrid->SetVisible(mode != 0);
}

// ---- input modes -------------------------------------------------------------------------

void TfrmPSMSimpleBody::SetInputMode(TSerialInputMode mode) {
    RequestedInputMode = mode;
    ApplyInputMode(mode);
}

void TfrmPSMSimpleBody::ApplyInputMode(TSerialInputMode mode) {
    pnlSeqMain->SetEnabled(MaintainMode);
    const bool interval = mode == TSerialInputMode::Interval;
    for (plat::TControl* c :
         {(plat::TControl*)edFormat, (plat::TControl*)edFormatText, (plat::TControl*)lblformat,
          (plat::TControl*)edBegSeq, (plat::TControl*)edEndSeq, (plat::TControl*)edSeqCount,
          (plat::TControl*)btnSure})
        c->SetVisible(interval);
    if (btnFormatText) btnFormatText->SetVisible(interval);
    edSeqNoScan->SetVisible(true);
    if (miInterval) miInterval->SetChecked(interval);
    if (miScan) miScan->SetChecked(!interval);
    plat::TWinControl* focus = nullptr;
    if (interval) {
        edSeqNoScan->SetTop(edBegSeq->Top() + edBegSeq->Height() + 4);
        focus = edFormat;
    } else {
        edSeqNoScan->SetTop(edFormat->Top());
        focus = edSeqNoScan;
    }
    if (MaintainMode) TryFocus(focus);
    AppliedInputMode = mode;
    IntervalAccepted = false;
}

void TfrmPSMSimpleBody::miIntervalClick(plat::TObject*) {
    miInterval->SetChecked(!miInterval->Checked());
    SetInputMode(miInterval->Checked() ? TSerialInputMode::Interval : TSerialInputMode::Scan);
}

void TfrmPSMSimpleBody::miScanClick(plat::TObject*) {
    miScan->SetChecked(!miScan->Checked());
    SetInputMode(miScan->Checked() ? TSerialInputMode::Scan : TSerialInputMode::Interval);
}

// ---- messages ------------------------------------------------------------------------------

std::string TfrmPSMSimpleBody::GetSerialMessage(const std::string& kind, const std::string& code,
                                                const std::vector<Variant>& args) {
    if (!Brokers()) return {};
    const std::string ui = GetUICodePage();
    const bool chinese = ui == "950" || ui == "936";
    Variant reply;
    if (!Brokers()->CheckValue(chinese ? "MSGCHT" : "MSGENG", "01",
                               plat::VarArrayOf({Variant(kind), Variant(code)}), reply) ||
        !reply.IsArray() || reply.HighBound() < reply.LowBound())
        return {};
    Variant text = reply[reply.LowBound()];
    if (chinese) text = QvConverter->ConvertToUI(text);
    std::string format = plat::VarToStr(text) + " ";
    try {
        return plat::Format(format, args);
    } catch (const std::exception&) {
        return format;
    }
}

void TfrmPSMSimpleBody::ShowMemoMessage(const std::string& kind, const std::string& code,
                                        const std::vector<Variant>& args) {
    moMSG->SetText(GetSerialMessage(kind, code, args));
}

bool TfrmPSMSimpleBody::ShowWarningOnce(const std::string& kind, const std::string& code,
                                        const std::vector<Variant>& args) {
    if (SilencedCodes.count(code)) return true;
    TWarningAnswer answer = TWarningAnswer::Cancel;
    ShowWarningDialog(this, GetSerialMessage(kind, code, args), answer);
    switch (answer) {
        case TWarningAnswer::GoOn:
            return true;
        case TWarningAnswer::GoOnSilenced:
            SilencedCodes.insert(code);
            return true;
        case TWarningAnswer::Cancel:
            break;
    }
    plat::Abort();
}

void TfrmPSMSimpleBody::moMSGKeyDown(plat::TObject*, uint16_t&, plat::TShiftState) {
    plat::Abort();
}

void TfrmPSMSimpleBody::moMSGKeyPress(plat::TObject*, char32_t&) {
    plat::Abort();
}

// ---- encoding format -------------------------------------------------------------------------

void TfrmPSMSimpleBody::HandleF2Key(uint16_t& key, plat::TWinControl* control) {
    TfrmSimpleBody::HandleF2Key(key, control);
    if (control != edFormat || !Brokers()) return;
    TLookupRequest request;
    request.A = Variant("BMSMB");
    request.B = Variant("01");
    request.Text1 = edFormat->Text();
    Variant reply = QvConverter->ConvertToUI(Brokers()->F2GetData(request));
    if (!reply.IsArray() || reply.HighBound() < reply.LowBound()) return;
    Variant row = reply[reply.LowBound()];
    if (!row.IsArray() || row.HighBound() < row.LowBound()) return;
    edFormat->SetText(plat::VarToStr(row[row.LowBound()]));
    edFormatExit(edFormat);
}

void TfrmPSMSimpleBody::SetItem(const std::string& code) {
    ItemCode = code;
    edINVMB001->SetText(code);
    if (!Brokers()) return;
    Variant reply = Brokers()->CallServerMethod(
        "SimpleSql", plat::VarArrayOf({Variant(" SELECT MB453 FROM $$INVMB WHERE MB001 = " +
                                               plat::QuotedStr(code)),
                                       Variant("MB453")}));
    std::vector<std::string> row = FirstRow(reply);
    if (row.empty()) return;
    edFormat->SetText(row[0]);
    edFormatExit(edFormat);
}

void TfrmPSMSimpleBody::edFormatExit(plat::TObject*) {
    const std::string code = plat::Trim(edFormat->Text());
    moMSG->Clear();
    if (code.empty()) {
        cdsTemp->EmptyDataSet();
        lblformat->SetCaption("");
        edFormat->SetText("");
        edFormatText->SetText("");
        LastFormatCode.clear();
        return;
    }
    Variant reply;
    if (!Brokers() ||
        !Brokers()->CheckValue("BMSMB", "01", plat::VarArrayOf({Variant(code)}), reply)) {
        ShowMemoMessage("E", "000001", {Variant(edFormat->Caption())});
        TryFocus(edFormat);
        return;
    }
    reply = QvConverter->ConvertToUI(reply);
    if (reply.IsArray() && reply.LowBound() + 1 <= reply.HighBound())
        lblformat->SetCaption(plat::VarToStr(reply[reply.LowBound() + 1]));
    if (edFormatText->Text().empty() || code != LastFormatCode) {
        LoadFormatSegments(code);
        bool complete = true;
        for (cdsTemp->First(); !cdsTemp->Eof(); cdsTemp->Next())
            complete = complete && !cdsTemp->FieldByName("MC002")->AsString().empty();
        cdsTemp->First();
        edFormatText->SetText(BuildFormatText(complete));
    }
    LastFormatCode = code;
}

void TfrmPSMSimpleBody::btnFormatTextClick(plat::TObject*) {
    const std::string code = plat::Trim(edFormat->Text());
    if (code.empty()) return;
    if (ShowPSMFormatDialog(this, ItemCode, code, cdsTemp))
        edFormatText->SetText(BuildFormatText(true));
}

void TfrmPSMSimpleBody::edFormatTextDblClick(plat::TObject*) {
    edFormatText->SelectAll();
}

void TfrmPSMSimpleBody::cdsTempMC002Validate(plat::TField*) {
    CheckSegmentContent(Brokers(), QvConverter, cdsTemp, false);
}

void TfrmPSMSimpleBody::LoadFormatSegments(const std::string& formatCode) {
    cdsTemp->EmptyDataSet();
    if (!Brokers()) return;
    Variant reply = Brokers()->CallServerMethod(
        "SimpleSql", plat::VarArrayOf({Variant(" SELECT * FROM $$BMSMB WHERE MB001 = " +
                                               plat::QuotedStr(formatCode)),
                                       Variant(FieldList(7, 26))}));
    std::vector<std::string> row = FirstRow(reply);
    if (row.size() < 20) return;
    plat::TFieldNotifyEvent validate = cdsTemp->FieldByName("MC002")->OnValidate;
    cdsTemp->FieldByName("MC002")->OnValidate = {};
    struct Restore {
        plat::TField* f;
        plat::TFieldNotifyEvent v;
        ~Restore() { f->OnValidate = v; }
    } restore{cdsTemp->FieldByName("MC002"), validate};
    for (int k = 1; k <= 10; ++k) {
        const std::string kind = plat::Trim(row[size_t(k - 1)]);
        if (kind.empty() || kind == "0") continue;
        const std::string kindNumber = TokenAt(kind, ".", 1);
        std::string content;
        const int number = plat::StrToIntDef(kindNumber, 0);
        switch (number) {
            case 1:
                content = ItemCode;
                break;
            case 2:
                content = BatchNumber;
                break;
            case 3:
                content = DateText;
                break;
            case 4:
                content = CustomerCode;
                break;
            case 5:
                content = SupplierCode;
                break;
            case 6: {
                int run = std::clamp(plat::StrToIntDef(row[size_t(k + 9)], 0), 0, 18);
                content.assign(size_t(run), '*');
                RunEnd = RunStart + run - 1;
                break;
            }
            default:
                if (number >= 8 && number <= 17) {
                    const size_t i = size_t(number - 8);
                    const std::string source =
                        FormatSettings.size() > i + 10 ? FormatSettings[i + 10] : "";
                    const std::string code = FormatSettings.size() > i ? FormatSettings[i] : "";
                    std::string query = row.size() > size_t(k + 9) ? row[size_t(k + 9)] : "";
                    if (source == "2" && code == TokenAt(kind, ".", 2) && !query.empty()) {
                        // Each ":name" parameter becomes the quoted item code.
                        std::string sql;
                        for (size_t p = 0; p < query.size(); ++p) {
                            if (query[p] != ':') {
                                sql += query[p];
                                continue;
                            }
                            while (
                                p + 1 < query.size() &&
                                (std::isalnum((unsigned char)query[p + 1]) || query[p + 1] == '_'))
                                ++p;
                            sql += " " + plat::QuotedStr(ItemCode);
                        }
                        try {
                            Variant value = Brokers()->CallServerMethod(
                                "QueryUDFData",
                                plat::VarArrayOf({Variant(plat::UpperCase(sql)), Variant(""),
                                                  Variant(Brokers()->SignOnKey), Variant("N"),
                                                  Variant()}));
                            std::vector<std::string> first = FirstRow(value);
                            if (!first.empty()) content = plat::TrimLeft(first[0]).substr(0, 40);
                        } catch (const std::exception&) {
                            // No default for this segment.
                        }
                    }
                }
                break;
        }
        cdsTemp->Append();
        SetFieldText(cdsTemp->FieldByName("MC001"), kind);
        SetFieldText(cdsTemp->FieldByName("MC001C"), kindNumber);
        SetFieldText(cdsTemp->FieldByName("MC002"), content);
        cdsTemp->Post();
    }
    cdsTemp->First();
}

std::string TfrmPSMSimpleBody::BuildFormatText(bool complete) {
    if (!complete || !Brokers()) return {};
    Variant reply = Brokers()->CallServerMethod(
        "SimpleSql", plat::VarArrayOf({Variant(" SELECT * FROM $$BMSMB WHERE MB001 = " +
                                               plat::QuotedStr(plat::Trim(edFormat->Text()))),
                                       Variant("MB004,MB005," + FieldList(7, 56) + ",MB067")}));
    std::vector<std::string> row = FirstRow(reply);
    if (row.size() < 53) return {};
    auto mb = [&](int n) {
        return n == 67 ? row[52] : row[size_t(n == 4 ? 0 : n == 5 ? 1 : n - 5)];
    };
    const std::string separator = mb(4) == "Y" ? mb(5) : "";
    const char fill = mb(67).empty() ? ' ' : mb(67)[0];
    std::string result;
    for (int k = 1; k <= 10; ++k) {
        const std::string kind = plat::Trim(mb(6 + k));
        if (kind.empty() || kind == "0") continue;
        const int length = std::clamp(plat::StrToIntDef(mb(46 + k), 0), 0, 255);
        std::string text;
        if (cdsTemp->Locate("MC001", Variant(kind))) {
            text = cdsTemp->FieldByName("MC002")->AsString();
            if (kind == "3") {
                const std::string& ymd = text;
                std::string year = ymd.substr(0, std::min<size_t>(4, ymd.size()));
                year = year.substr(year.size() - std::min<size_t>(year.size(), size_t(length)));
                const char form = mb(16 + k).empty() ? '1' : mb(16 + k)[0];
                text = form == '2'   ? year + (ymd.size() >= 6 ? ymd.substr(4, 2) : "")
                       : form == '3' ? year + (ymd.size() >= 8 ? ymd.substr(4, 4) : "")
                                     : year;
            }
        }
        const bool joined = !result.empty();
        if (kind == "6") {
            // Where the running number lands in the pattern.
            RunStart = int(result.size() + (joined ? separator.size() : 0)) + 1;
            RunEnd = RunStart + int(text.size()) - 1;
            edBegSeq->SetMaxLength(int(text.size()));
            edEndSeq->SetMaxLength(int(text.size()));
        }
        const bool exempt = kind == "7" || text.empty() || (kind == "2" && SerialControl == "N");
        if (!exempt && mb(26 + k) == "Y" && length > 0) {
            if (mb(36 + k) == "2") {
                if ((int)text.size() > length) text = text.substr(text.size() - size_t(length));
                text.insert(0, size_t(length) - text.size(), fill);
            } else {
                text.resize(size_t(length), fill);
            }
        }
        result += joined ? separator + text : text;
    }
    return result;
}

std::string TfrmPSMSimpleBody::FillPattern(const std::string& pattern, long long n) const {
    const size_t width = size_t(std::max(0, runWidth()));
    if (width == 0) return pattern;
    std::string number = std::to_string(n);
    if (number.size() < width) number.insert(0, width - number.size(), '0');
    const std::string run(width, '*');
    // Every run of exactly the run's width takes the number; a longer run of
    // asterisks is a placeholder (no batch) and stays.
    std::vector<size_t> starts;
    for (size_t at = pattern.find('*'); at != std::string::npos;) {
        const size_t end = std::min(pattern.find_first_not_of('*', at), pattern.size());
        if (end - at == width) starts.push_back(at);
        at = pattern.find('*', end);
    }
    const size_t marked = size_t(std::max(0, RunStart - 1));
    if (marked + width <= pattern.size() && pattern.compare(marked, width, run) == 0 &&
        std::find(starts.begin(), starts.end(), marked) == starts.end()) {
        starts.push_back(marked);
        std::sort(starts.begin(), starts.end());
    }
    if (starts.empty()) {
        // The pattern was edited by hand: its first run of that width.
        const size_t first = pattern.find(run);
        if (first == std::string::npos) return pattern;
        starts.push_back(first);
    }
    std::string out;
    size_t from = 0;
    for (size_t at : starts) {
        out += pattern.substr(from, at - from) + number;
        from = at + width;
    }
    return out + pattern.substr(from);
}

// ---- checks ---------------------------------------------------------------------------------

void TfrmPSMSimpleBody::collectSerials(const std::function<bool(const std::string&)>& visit) {
    auto* body = dynamic_cast<plat::TClientDataSet*>(BodyDataSet);
    if (!body) return;
    // The current line's rows.
    plat::TClientDataSet rows(nullptr);
    plat::TClientDataSet* current = Clone && Clone->Active() ? Clone : &rows;
    if (current == &rows && !CloneCursorSafe(body, &rows)) return;
    if (plat::TField* f = current->FindField(SerialField))
        for (current->First(); !current->Eof(); current->Next())
            if (visit(f->AsString())) return;
    auto* master = dynamic_cast<plat::TClientDataSet*>(DirectMaster);
    if (!master || plat::SameText(master->Name(), "cdsMain") || !body->DataSetField()) return;
    // Every other line's rows.
    plat::TClientDataSet lines(nullptr);
    if (!CloneCursorSafe(master, &lines)) return;
    plat::TClientDataSet serials(nullptr);
    plat::TField* nested = lines.FindField(body->DataSetField()->FieldName());
    if (!nested) return;
    serials.SetDataSetField(dynamic_cast<plat::TDataSetField*>(nested));
    plat::TField* ownKey = master->FindField(LineKeyField);
    plat::TField* lineKey = lines.FindField(LineKeyField);
    const int ownRow = master->RecNo();
    for (lines.First(); !lines.Eof(); lines.Next()) {
        bool same =
            ownKey && lineKey ? lineKey->AsString() == ownKey->AsString() : lines.RecNo() == ownRow;
        if (same) continue;
        if (!serials.Active()) serials.Open();
        plat::TField* f = serials.FindField(SerialField);
        if (!f) return;
        for (serials.First(); !serials.Eof(); serials.Next())
            if (visit(f->AsString())) return;
    }
}

std::string TfrmPSMSimpleBody::StoredSerial() {
    auto* body = dynamic_cast<plat::TClientDataSet*>(BodyDataSet);
    plat::TClientDataSet rows(nullptr);
    if (!body || !CloneCursorSafe(body, &rows)) return {};
    plat::TBookmark at = body->GetBookmark();
    if (!rows.BookmarkValid(at)) return {};
    rows.GotoBookmark(at);
    plat::TField* f = rows.FindField(SerialField);
    return f ? f->AsString() : std::string();
}

bool TfrmPSMSimpleBody::SerialTaken(const std::string& serial) {
    if (batchIndex_) return batchIndex_->count(serial) > 0;
    bool found = false;
    collectSerials([&](const std::string& s) { return found = s == serial; });
    return found;
}

bool TfrmPSMSimpleBody::AddSerial(const std::string& serial) {
    if (SerialTaken(serial)) {
        ShowMemoMessage("E", "000002", {Variant(serial)});
        return false;
    }
    if (!SerialControl.empty() && SerialControl != "N" && BatchNumber != kNoBatch) {
        Variant found;
        if (!Brokers() ||
            !Brokers()->CheckValue("PSMMA", "02",
                                   plat::VarArrayOf({Variant(serial), Variant(edINVMB001->Text()),
                                                     Variant(BatchNumber)}),
                                   found)) {
            ShowMemoMessage("E", "201006", {Variant(serial)});
            return false;
        }
    }
    if (AppliedInputMode == TSerialInputMode::Scan && !ExternalBatch) return CheckSerialCapacity(1);
    return true;
}

bool TfrmPSMSimpleBody::ValidateRequiredFields(plat::TDataSet* dataSet) {
    if (!TfrmSimpleBody::ValidateRequiredFields(dataSet)) return false;
    moMSG->Clear();
    if (!dataSet || dataSet != DBGrid->DataSet()) return true;
    plat::TField* field = dataSet->FindField(SerialField);
    if (!field) return true;
    const std::string serial = field->AsString();
    if (serial.empty()) {
        ShowMemoMessage("E", "000003", {Variant(field->DisplayLabel())});
        return false;
    }
    if (IntervalAccepted) return true;
    // The value being posted, not what is left in the scan edit; a row that
    // keeps its serial is not its own duplicate.
    if (dataSet->State() == plat::dsEdit && StoredSerial() == serial) return true;
    if (SerialTaken(serial)) {
        ShowMemoMessage("E", "000002", {Variant(field->DisplayLabel())});
        return false;
    }
    return true;
}

bool TfrmPSMSimpleBody::CheckSerialCapacity(int count) {
    moMSG->Clear();
    if (FormMode() == TFormMode::Browse || !BodyDataSet) return true;
    if (Editing(BodyDataSet)) BodyDataSet->Post();
    const double total = QuantityOne + QuantityTwo;
    const double rows = double(DBGrid->DataSet()->RecordCount()) + count;
    if (CompareFloats(rows, total) > 0)
        return ShowWarningOnce("W", "200411", {Variant(plat::FloatToStr(total))});
    return true;
}

bool TfrmPSMSimpleBody::CheckSerialCountOnClose(int count) {
    if (!BodyDataSet || !DBGrid->DataSet()) return true;
    const double total = QuantityOne + QuantityTwo;
    const double rows = double(DBGrid->DataSet()->RecordCount()) + count;
    if (CompareFloats(rows, total) == 0 || !Brokers()) return true;
    return Brokers()->ShowMessageCode("W", "200411", {Variant(plat::FloatToStr(total))}) == 1;
}

void TfrmPSMSimpleBody::FormCloseQuery(plat::TObject* sender, bool& canClose) {
    TfrmSimpleBody::FormCloseQuery(sender, canClose);
    CheckSerialCountOnClose(0);
}

// ---- interval input --------------------------------------------------------------------------

void TfrmPSMSimpleBody::edSeqKeyPress(plat::TObject*, char32_t& key) {
    if ((key >= U'0' && key <= U'9') || key == 8 || key == 13) return;
    key = 0;
}

void TfrmPSMSimpleBody::edBegSeqExit(plat::TObject* sender) {
    moMSG->Clear();
    auto* edit = dynamic_cast<TQvEdit*>(sender);
    if (!edit) return;
    if (plat::Trim(edit->Text()).empty()) edit->SetText("1");
    // Raises the conversion error for a text that is no integer.
    edit->SetText(std::to_string(plat::StrToInt(plat::Trim(edit->Text()))));
    const long long begin = plat::StrToInt(edBegSeq->Text());
    const long long end =
        plat::StrToInt(plat::Trim(edEndSeq->Text()).empty() ? "1" : edEndSeq->Text());
    if (plat::StrToInt(edit->Text()) < 1) {
        ShowMemoMessage("E", "100006", {Variant(edBegSeq->Caption())});
        TryFocus(edBegSeq);
        return;
    }
    if (end >= begin) {
        edSeqCount->SetText(std::to_string(end - begin + 1));
    } else {
        const long long count = plat::StrToIntDef(edSeqCount->Text(), 1);
        const long long last = begin + count - 1;
        if (last > INT_MAX)
            throw plat::EConvertError("'" + std::to_string(last) +
                                      "' is not a valid integer value");
        edEndSeq->SetText(std::to_string(last));
    }
}

void TfrmPSMSimpleBody::edSeqCountExit(plat::TObject*) {
    if (plat::Trim(edSeqCount->Text()).empty()) edBegSeqExit(edBegSeq);
    const long long begin = plat::StrToInt(edBegSeq->Text());
    const long long count = plat::StrToInt(plat::Trim(edSeqCount->Text()));
    const long long last = begin + count - 1;
    if (last > INT_MAX)
        throw plat::EConvertError("'" + std::to_string(last) + "' is not a valid integer value");
    edEndSeq->SetText(std::to_string(last));
}

bool TfrmPSMSimpleBody::GenerateIntervalSerials(int mode) {
    moMSG->Clear();
    if (mode != 1) return true;
    const std::string pattern = edFormatText->Text();
    if (pattern.find('*') == std::string::npos) {
        ShowMemoMessage("E", "201121");
        return false;
    }
    const long long begin = plat::StrToInt(edBegSeq->Text());
    const long long end = plat::StrToInt(edEndSeq->Text());
    // One pass over the document's serials; each candidate is then one look-up.
    batchIndex_ = std::make_unique<std::unordered_set<std::string>>();
    struct Drop {
        std::unique_ptr<std::unordered_set<std::string>>& index;
        ~Drop() { index.reset(); }
    } drop{batchIndex_};
    auto index = std::make_unique<std::unordered_set<std::string>>();
    batchIndex_.reset();
    collectSerials([&](const std::string& s) {
        index->insert(s);
        return false;
    });
    batchIndex_ = std::move(index);
    for (long long n = begin; n <= end; ++n)
        if (!AddSerial(FillPattern(pattern, n))) return false;
    return true;
}

void TfrmPSMSimpleBody::btnSureClick(plat::TObject*) {
    const long long begin = plat::StrToInt(edBegSeq->Text());
    const long long end = plat::StrToInt(edEndSeq->Text());
    const long long count = end - begin + 1;
    if (count < 1 || count > kMaxIntervalSerials) {
        ShowMemoMessage("W", "200411", {Variant(plat::FloatToStr(QuantityOne + QuantityTwo))});
        return;
    }
    if (!CheckSerialCapacity(int(count))) return;
    IntervalAccepted = GenerateIntervalSerials(1);
    if (!IntervalAccepted) return;
    BodyDataSet->DisableControls();
    struct Enable {
        plat::TDataSet* ds;
        ~Enable() { ds->EnableControls(); }
    } enable{BodyDataSet};
    WriteIntervalSerials(begin, end, edFormatText->Text());
    BodyDataSet->First();
}

void TfrmPSMSimpleBody::WriteIntervalSerials(long long begin, long long end,
                                             const std::string& pattern) {
    for (long long n = begin; n <= end; ++n) writeSerialRow(FillPattern(pattern, n));
}

void TfrmPSMSimpleBody::writeSerialRow(const std::string& serial) {
    if (BodyDataSet->State() == plat::dsBrowse) {
        BodyDataSet->First();
        BodyDataSet->Insert();
    }
    SetFieldText(BodyDataSet->FieldByName(SerialField), serial);
    BodyDataSet->Post();
}

// ---- scan input --------------------------------------------------------------------------------

void TfrmPSMSimpleBody::edSeqNoScanExit(plat::TObject*) {
    const std::string serial = plat::Trim(edSeqNoScan->Text());
    if (serial.empty()) {
        moMSG->Clear();
        return;
    }
    if (!AddSerial(serial)) {
        TryFocus(edSeqNoScan);
        return;
    }
    writeSerialRow(serial);
    edSeqNoScan->SetText("");
    BodyDataSet->First();
    TryFocus(edSeqNoScan);
}

// ---- marked rows -------------------------------------------------------------------------------

void TfrmPSMSimpleBody::DeleteMarkedRows() {
    plat::TField* checked = BodyDataSet ? BodyDataSet->FindField("CHECKED") : nullptr;
    if (!checked) return;
    if (Editing(BodyDataSet)) BodyDataSet->Post();
    int marked = 0;
    {
        plat::TBookmark at = BodyDataSet->GetBookmark();
        BodyDataSet->DisableControls();
        for (BodyDataSet->First(); !BodyDataSet->Eof(); BodyDataSet->Next())
            marked += checked->AsString() == "Y";
        if (BodyDataSet->BookmarkValid(at)) BodyDataSet->GotoBookmark(at);
        BodyDataSet->EnableControls();
    }
    if (marked == 0 || !Brokers() ||
        Brokers()->ShowMessageCode("C", "200036", {Variant(marked)}) != 1)
        return;
    BodyDataSet->DisableControls();
    struct Enable {
        plat::TDataSet* ds;
        ~Enable() { ds->EnableControls(); }
    } enable{BodyDataSet};
    BodyDataSet->Last();
    while (!BodyDataSet->IsEmpty()) {
        const bool first = BodyDataSet->RecNo() <= 1;
        if (checked->AsString() == "Y") {
            BodyDataSet->Delete();
            // Deleting moves to the next row; step back to the one before.
            if (first) break;
            if (BodyDataSet->RecNo() > 1 || !BodyDataSet->Eof()) BodyDataSet->Prior();
            continue;
        }
        if (first) break;
        BodyDataSet->Prior();
    }
}

void TfrmPSMSimpleBody::MarkAllRows(const std::string& value) {
    plat::TField* checked = BodyDataSet ? BodyDataSet->FindField("CHECKED") : nullptr;
    if (!checked) return;
    if (Editing(BodyDataSet)) BodyDataSet->Post();
    plat::TBookmark at = BodyDataSet->GetBookmark();
    BodyDataSet->DisableControls();
    struct Restore {
        plat::TDataSet* ds;
        plat::TBookmark at;
        ~Restore() {
            try {
                if (Editing(ds)) ds->Cancel();
                if (ds->BookmarkValid(at)) ds->GotoBookmark(at);
            } catch (const std::exception&) {
                // The rows stay where the walk left them.
            }
            ds->EnableControls();
        }
    } restore{BodyDataSet, at};
    for (BodyDataSet->First(); !BodyDataSet->Eof(); BodyDataSet->Next()) {
        BodyDataSet->Edit();
        SetFieldText(checked, value);
        BodyDataSet->Post();
    }
}

void TfrmPSMSimpleBody::btnDeleteSeqClick(plat::TObject*) {
    DeleteMarkedRows();
}

void TfrmPSMSimpleBody::DBGridKeyDown(plat::TObject* sender, uint16_t& key,
                                      plat::TShiftState shift) {
    TfrmSimpleBody::DBGridKeyDown(sender, key, shift);
    if (!BodyDataSet || !BodyDataSet->FindField("CHECKED")) return;
    const bool ctrl = shift.Contains(plat::TShiftStateItem::ssCtrl);
    if (ctrl && key == 'A') {
        MarkAllRows("Y");
    } else if (ctrl && key == 'B') {
        MarkAllRows("N");
    } else if (key == plat::VK_DELETE && shift.Contains(plat::TShiftStateItem::ssShift) &&
               MaintainMode) {
        DeleteMarkedRows();
    }
}

// ---- the sibling serial program
// ------------------------------------------------------------------

void TfrmPSMSimpleBody::btnSRLB03Click(plat::TObject*) {
    if (!Brokers()) return;
    std::vector<Variant> a(21, Variant(""));
    a[0] = "2";
    a[1] = edFormat->Text();
    a[2] = ItemCode;
    a[3] = BatchNumber;
    a[4] = DateText;
    a[5] = CustomerCode;
    a[6] = SupplierCode;
    if (Editing(cdsTemp)) cdsTemp->Post();
    for (cdsTemp->First(); !cdsTemp->Eof(); cdsTemp->Next()) {
        const int kind = plat::StrToIntDef(cdsTemp->FieldByName("MC001C")->AsString(), -1);
        if (kind >= 0 && kind + 1 < 21)
            a[size_t(kind + 1)] = cdsTemp->FieldByName("MC002")->AsString();
    }
    const bool interval = AppliedInputMode == TSerialInputMode::Interval;
    a[19] = interval ? edBegSeq->Text() : "";
    a[20] = interval ? edEndSeq->Text() : "";
    Variant params = plat::VarArrayOf({Variant("1=2"), Variant::ArrayOf(a)});
    Variant options = plat::VarArrayOf({Variant(1), Variant(256), Variant()});
    Variant reply;
    Brokers()->RunJobProgram("SRLB03", params, options, reply, true);
    if (!reply.IsArray() || reply.HighBound() < reply.LowBound()) return;
    ExternalBatch = true;
    struct Done {
        bool& flag;
        std::unique_ptr<std::unordered_set<std::string>>& index;
        ~Done() {
            flag = false;
            index.reset();
        }
    } done{ExternalBatch, batchIndex_};
    if (!CheckSerialCapacity(reply.HighBound() - reply.LowBound() + 1)) return;
    auto index = std::make_unique<std::unordered_set<std::string>>();
    collectSerials([&](const std::string& s) {
        index->insert(s);
        return false;
    });
    batchIndex_ = std::move(index);
    for (int i = reply.LowBound(); i <= reply.HighBound(); ++i) {
        const std::string serial = plat::Trim(plat::VarToStr(reply[i]));
        if (serial.empty()) {
            moMSG->Clear();
            break;
        }
        if (!AddSerial(serial)) continue;
        writeSerialRow(serial);
        batchIndex_->insert(serial);
    }
}

}  // namespace ktrb
