#include "query/QvQBE.h"

#include <algorithm>

#include "controls/BtChkBox.h"
#include "controls/ExtPage.h"
#include "controls/FCheckListBox.h"
#include "controls/FDbChkBox.h"
#include "controls/QrvEdit.h"
#include "controls/WindowDesign.h"
#include "dataframe/Connection.h"
#include "dataframe/RadicalCD.h"
#include "dataframe/knlRadical.h"
#include "platform/core/dates.h"
#include "platform/core/formatsettings.h"
#include "platform/core/numbers.h"
#include "platform/core/text.h"
#include "platform/ui/buttons.h"
#include "platform/ui/comctrls.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/keys.h"
#include "platform/ui/lookupcombo.h"
#include "platform/ui/menus.h"
#include "query/DocuConditionCF.h"
#include "runtime/Brokers.h"
#include "runtime/LibStrs.h"
#include "runtime/PropAccess.h"

namespace ktrb {

using plat::TFieldType;
using plat::Variant;

namespace {

const int kField = 0, kOperator = 1, kValue = 2, kConnector = 3;
const plat::TColor kEvenRow = 0xE7F9CE, kOddRow = 0xECFFFB;

// The message lines when the language package has none.
const char* const kDefaultMessages[] = {
    "请输入条件值!",     "保存查询方案失败!",       "方案名称",        "保存日期",
    "开启查询方案失败!", "确定要删除查询方案",      "日期格式不正确!", "年月格式不正确!",
    "方案名不可空白!",   "方案名不可超过20个字符!", "此方案名已存在!", "方案更名失败!"};

std::vector<std::string> splitList(const std::string& text) {
    std::vector<std::string> items;
    if (plat::Trim(text).empty()) return items;
    std::string rest = text;
    while (true) {
        bool last = rest.find(',') == std::string::npos;
        items.push_back(plat::Trim(CutToken(rest, ",")));
        if (last) break;
    }
    return items;
}

std::vector<std::string> linesOf(const std::string& text) {
    plat::TStringList list;
    list.SetText(text);
    std::vector<std::string> lines;
    for (int i = 0; i < list.Count(); ++i) lines.push_back(list[i]);
    return lines;
}

// A plain table column: the name ends in a number of 1 or more.
bool endsInNumber(const std::string& name, size_t digits) {
    if (name.size() < digits) return false;
    std::string tail = name.substr(name.size() - digits);
    int n = 0;
    return plat::TryStrToInt(tail, n) && n >= 1 &&
           std::all_of(tail.begin(), tail.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool isAttachField(const std::string& name) {
    for (const char* f : {"Parent", "KeyValues", "CompanyID", "UserID", "Type", "SeqNo", "FileName",
                          "DocID", "Revision", "AddDate", "AddTime", "KeyFields"})
        if (plat::SameText(name, f)) return true;
    return false;
}

const char* const kAttachColumns =
    "QRVMA.MA002 UserName, ADM.MB002 ProgName, QRV.MB002 CompanyName, NORVAN.Status, "
    "NORVAN.DocName, NORVAN.DocType, NORVAN.Description";

// "alias=expression" items rewritten as "expression alias".
std::vector<std::string> rewrittenColumns(const std::string& columns) {
    std::vector<std::string> items = splitList(columns);
    for (std::string& item : items) {
        size_t eq = item.find('=');
        if (eq == std::string::npos) continue;
        std::string alias = item.substr(0, eq);
        if (alias.empty() || alias.find(' ') != std::string::npos) continue;
        item = plat::Trim(item.substr(eq + 1)) + " " + alias;
    }
    return items;
}

// A list control's items and selection for CopySelectedItems.
class ListItems : public ISelectableItems {
  public:
    explicit ListItems(TFCheckListBox* box) : box_(box) {}
    int ItemCount() const override { return box_->Items()->Count(); }
    std::string ItemText(int i) const override { return (*box_->Items())[i]; }
    bool ItemSelected(int i) const override {
        return box_->MultiSelect() ? box_->Selected(i) : box_->ItemIndex() == i;
    }
    void AddItem(const std::string& text) override { box_->Items()->Add(text); }

  private:
    TFCheckListBox* box_;
};

using namespace design;
using F = TQBEForm;
using enum plat::TAlign;

// The row limit on top, the buttons at the bottom, the saved schemes on the left.
const Control kFrame[] = {
    {"Panel2", Field<&F::Panel2>, "", {0, 0, 0, 33}, "", alTop},
    {"cbTopRow", Field<&F::cbTopRow>, "Panel2", {110, 6, 100, 21}, "总信息笔数限制"},
    {"Panel1", Field<&F::Panel1>, "", {0, 0, 0, 41}, "", alBottom},
    {"BBOK", Field<&F::BBOK>, "Panel1", {346, 7, 94, 28}, "确定(&O)"},
    {"BBCancel", Field<&F::BBCancel>, "Panel1", {474, 7, 94, 28}, "取消(&C)"},
    {"pnlCondition", Field<&F::pnlCondition>, "", {0, 0, 160, 0}, "", alLeft},
    {"ToolBar1", Field<&F::ToolBar1>, "pnlCondition", {0, 0, 0, 52}, nullptr, alTop},
    {"lblCondition", Field<&F::lblCondition>, "pnlCondition", {0, 0, 0, 20}, " 查询方案", alTop},
    {"btnInsert", Field<&F::btnInsert>, "ToolBar1", {0, 2, 44, 24}, "保存(&N)"},
    {"btnOpen", Field<&F::btnOpen>, "ToolBar1", {44, 2, 44, 24}, "开启(&O)"},
    {"btnDelete", Field<&F::btnDelete>, "ToolBar1", {88, 2, 44, 24}, "删除(&D)"},
    {"ToolButton1", Field<&F::ToolButton1>, "ToolBar1", {132, 2, 44, 24}, ""},
};

// The list's views, one checked at a time.
const Item kViewMenu[] = {
    {"mnList", Field<&F::mnList>},
    {"ViewIcon", Field<&F::ViewIcon>, "mnList", "大型图标(&G)", -1, nullptr, nullptr, true, "", 1,
     true},
    {"ViewSmallIcon", Field<&F::ViewSmallIcon>, "mnList", "小型图标(&M)", -1, nullptr, nullptr,
     true, "", 1},
    {"ViewList", Field<&F::ViewList>, "mnList", "清单(&L)", -1, nullptr, nullptr, true, "", 1},
    {"ViewReport", Field<&F::ViewReport>, "mnList", "详细信息(&D)", -1, nullptr, nullptr, true, "",
     1},
};

// The schemes' list and the three pages: the grid of terms, the advanced
// terms and the line terms.
const Control kPages[] = {
    {"lstCondition", Field<&F::lstCondition>, "pnlCondition", {}, nullptr, alClient},
    {"Splitter1", Field<&F::Splitter1>, "", {0, 0, 3, 0}, nullptr, alLeft},
    {"ExtPageControl1", Field<&F::ExtPageControl1>, "", {}, nullptr, alClient},
    {"TabSheet1", Field<&F::TabSheet1>, "ExtPageControl1", {}, "一般选项"},
    {"TabSheet2", Field<&F::TabSheet2>, "ExtPageControl1", {}, "高级设置"},
    {"TabSheet3", Field<&F::TabSheet3>, "ExtPageControl1", {}, "单身设置"},
    {"sg1", Field<&F::sg1>, "TabSheet1", {}, nullptr, alClient},
    {"moMsgLNG", Field<&F::moMsgLNG>, "TabSheet1"},
};

// The advanced and the line page share the layout of their term controls.
const Control kTerms[] = {
    {"cboField", Field<&F::cboField>, "TabSheet2", {6, 8, 150, 21}},
    {"CbOperator", Field<&F::CbOperator>, "TabSheet2", {160, 8, 100, 21}},
    {"cboValue", Field<&F::cboValue>, "TabSheet2", {264, 8, 160, 21}},
    {"ckbValue", Field<&F::ckbValue>, "TabSheet2", {264, 10, 60, 17}, ""},
    {"rgLogic", Field<&F::rgLogic>, "TabSheet2", {6, 34, 130, 40}, "条件关系"},
    {"BBClear", Field<&F::BBClear>, "TabSheet2", {264, 44, 78, 26}, "清除(&L)"},
    {"BbAssign", Field<&F::BbAssign>, "TabSheet2", {346, 44, 80, 26}, "添加(&A)"},
    {"Memo1", Field<&F::Memo1>, "TabSheet2", {6, 78, 420, 110}},
    {"chkBody", Field<&F::chkBody>, "TabSheet2", {142, 50, 118, 17}, "含单身筛选条件"},
    {"Label1", Field<&F::Label1>, "TabSheet2", {6, 194, 120, 14}, "设置排序字段"},
    {"ListBox1", Field<&F::ListBox1>, "TabSheet2", {6, 210, 190, 126}},
    {"ListBox2", Field<&F::ListBox2>, "TabSheet2", {236, 210, 190, 126}},
    {"SpeedButton1", Field<&F::SpeedButton1>, "TabSheet2", {201, 240, 30, 24}, ">"},
    {"SpeedButton2", Field<&F::SpeedButton2>, "TabSheet2", {201, 276, 30, 24}, "<"},
    {"cboField2", Field<&F::cboField2>, "TabSheet3", {6, 8, 150, 21}},
    {"CbOperator2", Field<&F::CbOperator2>, "TabSheet3", {160, 8, 100, 21}},
    {"cboValue2", Field<&F::cboValue2>, "TabSheet3", {264, 8, 160, 21}},
    {"ckbValue2", Field<&F::ckbValue2>, "TabSheet3", {264, 10, 60, 17}, ""},
    {"rgLogic2", Field<&F::rgLogic2>, "TabSheet3", {6, 34, 130, 40}, "条件关系"},
    {"BBClear2", Field<&F::BBClear2>, "TabSheet3", {264, 44, 78, 26}, "清除(&L)"},
    {"BbAssign2", Field<&F::BbAssign2>, "TabSheet3", {346, 44, 80, 26}, "添加(&A)"},
    {"Memo2", Field<&F::Memo2>, "TabSheet3", {6, 78, 420, 258}},
};

const Handler kEvents[] = {
    {"BBOK", "OnClick", On<&F::BBOKClick>},
    {"sg1", "OnSelectCell", On<&F::sg1SelectCell>},
    {"sg1", "OnComboBoxClick", On<&F::sg1ComboBoxClick>},
    {"sg1", "OnValidateEdit", On<&F::sg1ValidateEdit>},
    {"sg1", "OnKeyDown", On<&F::sg1KeyDown>},
    {"sg1", "OnKeyPress", On<&F::sg1KeyPress>},
    {"sg1", "OnCalcCellColors", On<&F::sg1CalcCellColors>},
    {"sg1", "OnMouseDown", On<&F::sg1MouseDown>},
    {"cbTopRow", "OnKeyPress", On<&F::cbTopRowKeyPress>},
    {"ExtPageControl1", "OnChange", On<&F::ExtPageControl1Change>},
    {"BbAssign", "OnClick", On<&F::BbAssignClick>},
    {"BbAssign2", "OnClick", On<&F::BbAssign2Click>},
    {"BBClear", "OnClick", On<&F::BBClearClick>},
    {"BBClear2", "OnClick", On<&F::BBClear2Click>},
    {"Memo1", "OnChange", On<&F::Memo1Change>},
    {"Memo2", "OnChange", On<&F::Memo2Change>},
    {"cboField", "OnChange", On<&F::cboFieldChange>},
    {"cboField2", "OnChange", On<&F::cboField2Change>},
    {"cboField", "OnDrawItem", On<&F::cboFieldDrawItem>},
    {"cboField2", "OnDrawItem", On<&F::cboFieldDrawItem>},
    {"TabSheet2", "OnMouseMove", On<&F::TabSheet2MouseMove>},
    {"chkBody", "OnClick", On<&F::chkBodyClick>},
    {"ListBox1", "OnDblClick", On<&F::ListBox1DblClick>},
    {"ListBox2", "OnDblClick", On<&F::ListBox2DblClick>},
    {"SpeedButton1", "OnClick", On<&F::ListBox1DblClick>},
    {"SpeedButton2", "OnClick", On<&F::ListBox2DblClick>},
    {"ListBox1", "OnMouseMove", On<&F::ListBox1MouseMove>},
    {"ListBox2", "OnMouseMove", On<&F::ListBox1MouseMove>},
    {"btnInsert", "OnClick", On<&F::btnInsertClick>},
    {"btnOpen", "OnClick", On<&F::btnOpenClick>},
    {"lstCondition", "OnDblClick", On<&F::btnOpenClick>},
    {"btnDelete", "OnClick", On<&F::btnDeleteClick>},
    {"lstCondition", "OnEdited", On<&F::lstConditionEdited>},
    {"ToolButton1", "OnClick", On<&F::ToolButton1Click>},
    {"ViewIcon", "OnClick", On<&F::ViewIconExecute>},
    {"ViewSmallIcon", "OnClick", On<&F::ViewSmallIconExecute>},
    {"ViewList", "OnClick", On<&F::ViewListExecute>},
    {"ViewReport", "OnClick", On<&F::ViewReportExecute>},
    {"", "OnCreate", On<&F::FormCreate>},
    {"", "OnShow", On<&F::FormShow>},
    {"", "OnActivate", On<&F::FormActivate>},
};

// The grid of terms: field, operator, value and logic, a heading row, cells
// edited in turn.
void setUpTermGrid(TStringAlignGrid& sg1) {
    using namespace plat;
    sg1.SetColCount(4);
    sg1.SetRowCount(2);
    sg1.SetFixedCols(0);
    sg1.SetFixedRows(1);
    sg1.SetDefaultRowHeight(20);
    sg1.SetColor(kOddRow);
    const int widths[] = {131, 88, 187, 32};
    for (int c = 0; c < 4; ++c) sg1.SetColWidths(c, widths[c]);
    sg1.SetOptions(TGridOptions{TGridOption::goFixedVertLine, TGridOption::goFixedHorzLine,
                                TGridOption::goVertLine, TGridOption::goHorzLine,
                                TGridOption::goRangeSelect, TGridOption::goRowSizing,
                                TGridOption::goColSizing, TGridOption::goEditing,
                                TGridOption::goTabs, TGridOption::goAlwaysShowEditor});
    sg1.AutoEditNextCell = true;
}

// The advanced page's and the line page's term controls alike: owner-drawn
// fields, the operators, the value bound to its one-row set, the logic.
void setUpTerms(TQBEForm& f) {
    using namespace plat;
    const struct {
        TComboBox *field, *op;
        TDBComboBox* value;
        TFDbCheckBox* check;
        TRadioGroup* logic;
        TMemo* memo;
        TDataSource* ds;
    } terms[] = {
        {f.cboField, f.CbOperator, f.cboValue, f.ckbValue, f.rgLogic, f.Memo1, f.dsTemp},
        {f.cboField2, f.CbOperator2, f.cboValue2, f.ckbValue2, f.rgLogic2, f.Memo2, f.dsTemp2}};
    for (const auto& t : terms) {
        t.field->SetStyle(TComboBoxStyle::csOwnerDrawFixed);
        t.op->SetStyle(TComboBoxStyle::csDropDownList);
        for (const char* op : {"等于", "大于或等于", "小于或等于", "大于", "小于", "不等于",
                               "起始于", "终止于", "包含"})
            t.op->Items()->Add(op);
        t.op->SetItemIndex(0);
        t.value->SetDataSource(t.ds);
        t.value->SetDataField("QBE");
        t.check->SetDataSource(t.ds);
        t.check->SetDataField("QBE");
        t.check->SetVisible(false);
        t.logic->SetColumns(2);
        t.logic->Items()->Add("AND");
        t.logic->Items()->Add("OR");
        t.logic->SetItemIndex(0);
        t.logic->SetEnabled(false);
        t.memo->SetScrollBars(TScrollStyle::ssVertical);
    }
}

}  // namespace

int QueryMessageBox(TQVForm* form, const std::string& text, TMsgDlgType type,
                    const TMsgDlgButtons& buttons) {
    if (CodeConverterUi()) return form->ShowMessageBox(text, type, buttons);
    plat::TMsgDlgButtons set;
    for (TMsgDlgBtn b : buttons) set.Include(b);
    return plat::MessageDlg(text, type, set);
}

// ---- record infos ----

TRecordInfo::TRecordInfo() : PickList(std::make_unique<TGridStrings>()) {}

TRecordInfoList::~TRecordInfoList() = default;

void TRecordInfoList::ClearObjects() {
    Clear();
    owned_.clear();
}

void TRecordInfoList::AddInfo(const std::string& fieldName, std::unique_ptr<TRecordInfo> info) {
    AddObject(fieldName + "=" + info->Caption, info.get());
    owned_.push_back(std::move(info));
}

TRecordInfo* TRecordInfoList::FindByCaption(const std::string& caption) const {
    for (int i = 0; i < Count(); ++i)
        if (plat::AnsiSameText(Info(i)->Caption, caption)) return Info(i);
    return nullptr;
}

TRecordInfo* TRecordInfoList::Info(int index) const {
    return static_cast<TRecordInfo*>(Objects(index));
}

// ---- dialog state ----

struct TQBEForm::Impl {
    plat::TDataSet* headDS = nullptr;
    std::string headTable, headKeys, headColumns;
    std::vector<std::string> fieldNames;
    std::string whereText, bodyWhereText, withSubquery;
    plat::TDataSet* bodyDS = nullptr;
    std::string bodyTable, bodyKeys, bodyColumns, bodyJoin;
    std::vector<std::string> bodyFieldNames;
    bool firstActivation = true, bodySource = false, formConverted = false;
    std::string lastFieldCaption;
    int captionWidth = 14;
    // Tab stop of the field combos' items, in characters.
    int tabStop = 4;
    std::unique_ptr<plat::THintWindow> sortHint;
    int sortHintIndex = -1;
    std::vector<std::string> operatorLines;
    std::string lastSchemeError;
};

IQBEOwner* TQBEForm::owner() const {
    return dynamic_cast<IQBEOwner*>(Owner());
}

TdmRadical* TQBEForm::dataModule() const {
    IQBEOwner* o = owner();
    return o ? o->QBEDataModule() : nullptr;
}

TBrokers* TQBEForm::broker() const {
    IQBEOwner* o = owner();
    return o ? o->QBEBroker() : nullptr;
}

TQBEForm::TQBEForm(plat::TComponent* owner)
    : TQVForm(owner), infos_(std::make_unique<TRecordInfoList>()), d_(std::make_unique<Impl>()) {
    using namespace plat;
    SetName("QBEForm");
    SetCaption("设置查询条件");
    SetBorderStyle(TFormBorderStyle::bsDialog);
    Position = TPosition::poScreenCenter;
    SetClientWidth(618);
    SetClientHeight(443);
    SetKeyPreview(true);
    Font()->SetName("宋体");
    Font()->SetHeight(-13);

    Build(this, kFrame);
    for (const char* n : {"500", "0", "100", "200", "1000", "1500"}) cbTopRow->Items()->Add(n);
    cbTopRow->SetText("500");
    BBOK->ModalResult = mrOk;
    BBCancel->Cancel = true;
    BBCancel->ModalResult = mrCancel;
    // Its caption sized the label to the text; the design's height again.
    lblCondition->SetHeight(20);
    ToolBar1->SetFlat(true);
    // Without pictures of their own the buttons say what they do.
    ToolBar1->SetShowCaptions(true);
    ToolBar1->SetButtonWidth(44);
    ToolBar1->SetButtonHeight(24);
    for (TToolButton* b : {btnInsert, btnOpen, btnDelete, ToolButton1}) b->SetHint(b->Caption());
    ToolButton1->SetStyle(TToolButtonStyle::tbsDropDown);
    Build(this, kViewMenu);
    ToolButton1->SetDropdownMenu(mnList);

    Build(this, kPages);
    lstCondition->SetSortType(TSortType::stText);
    lstCondition->ColumnClick = false;
    setUpTermGrid(*sg1);
    moMsgLNG->SetVisible(false);
    moMsgLNG->Font()->SetColor(clRed);

    auto valueSet = [this](const char* name) {
        auto* cds = new TwwClientDataSet(this);
        cds->SetName(name);
        cds->FieldDefs().Add("QBE", TFieldType::ftString, 255);
        cds->CreateDataSet();
        cds->Append();
        return cds;
    };
    cdsTemp = valueSet("cdsTemp");
    cdsTemp2 = valueSet("cdsTemp2");
    dsTemp = new TDataSource(this);
    dsTemp->SetName("dsTemp");
    dsTemp->SetDataSet(cdsTemp);
    dsTemp2 = new TDataSource(this);
    dsTemp2->SetName("dsTemp2");
    dsTemp2->SetDataSet(cdsTemp2);

    Build(this, kTerms);
    setUpTerms(*this);
    chkBody->SetVisible(false);
    // Its caption sized the label to the text; the design's bounds again.
    Label1->SetBounds(6, 194, 120, 14);
    for (TFCheckListBox* l : {ListBox1, ListBox2}) {
        l->SetItemHeight(18);
        l->Font()->SetName("新宋体");
    }
    ListBox1->SetCheckStyle(0);
    ListBox1->SetMultiSelect(true);
    ListBox2->SetCheckStyle(4);

    Connect(this, kEvents);
    // The sort list reorders by dragging its items (automatic drag).
    plat::EnableDragSource(ListBox2);
    plat::EnableDropTarget(ListBox2, plat::TDragOverEvent(this, &TQBEForm::ListBox2DragOver),
                           plat::TDragDropEvent(this, &TQBEForm::ListBox2DragDrop));
}

TQBEForm::~TQBEForm() = default;

void TQBEForm::FormCreate(plat::TObject* sender) {
    TQVForm::FormCreate(sender);
    std::string ops = GetLangMessage("TQBEForm", "C_Operators", "", false);
    d_->operatorLines = ops.empty() ? DefaultOperatorLines() : linesOf(ops);
    std::string msgs = GetLangMessage("TQBEForm", "moMsgLngLines", "", false);
    if (msgs.empty())
        for (const char* line : kDefaultMessages) moMsgLNG->Lines()->Add(line);
    else
        moMsgLNG->Lines()->SetText(msgs);
    std::string opCaptions;
    for (const std::string& line : d_->operatorLines) opCaptions += TokenAt(line, "\t", 1) + "\r\n";
    sg1->SetControlInfo(kOperator, -1, 3, opCaptions, 1);
    sg1->SetControlInfo(kConnector, -1, 3, "AND\r\nOR", 1);
    sg1->SetCells(kField, 0, GetLangMessage("TQBEForm", "Cells00", "查询字段", false));
    sg1->SetCells(kOperator, 0, GetLangMessage("TQBEForm", "Cells10", "操作符", false));
    sg1->SetCells(kValue, 0, GetLangMessage("TQBEForm", "Cells20", "条件", false));
    sg1->SetCells(kConnector, 1, "AND");
    std::string ui = GetUICodePage();
    const bool chinese = ui == "936" || ui == "950";
    d_->captionWidth = chinese ? 14 : 22;
    d_->tabStop = chinese ? 4 : 8;
    for (plat::TComboBox* c : {cboField, cboField2}) {
        plat::TCanvas measure;
        measure.Font.Assign(*c->Font());
        c->ItemHeight = chinese ? measure.TextHeight("测试") + 2 : measure.TextHeight("Test") + 5;
    }
    if (d_->captionWidth == 22) {
        // The longer padded captions get wider field boxes.
        for (plat::TComboBox* c : {cboField, cboField2}) c->SetWidth(190);
        for (plat::TComboBox* c : {CbOperator, CbOperator2}) c->SetBounds(200, 8, 90, 21);
        for (plat::TDBComboBox* c : {cboValue, cboValue2}) c->SetBounds(294, 8, 132, 21);
    }
    ExtPageControl1->SetActivePageIndex(0);
    TabSheet3->SetTabVisible(false);
}

std::string ExpandTabStops(const std::string& text, int tabStop) {
    if (tabStop < 1) tabStop = 1;
    std::string r;
    size_t start = 0;
    int column = 0;
    for (size_t tab = text.find('\t'); tab != std::string::npos;
         start = tab + 1, tab = text.find('\t', start)) {
        r.append(text, start, tab - start);
        column += plat::TextWidth(std::string_view(text).substr(start, tab - start));
        const int blanks = tabStop - column % tabStop;
        r.append((size_t)blanks, ' ');
        column += blanks;
    }
    r.append(text, start, std::string::npos);
    return r;
}

std::string TQBEForm::MessageLine(int n) const {
    return n >= 0 && n < moMsgLNG->Lines()->Count() ? (*moMsgLNG->Lines())[n] : std::string();
}

void TQBEForm::showLine(int n, const std::string& extra) {
    std::string text = MessageLine(n);
    if (!extra.empty()) text += (text.empty() ? "" : "\n") + extra;
    QueryMessageBox(this, text, TMsgDlgType::mtError, {TMsgDlgBtn::mbOK});
}

// ---- preparing ----

void TQBEForm::Prepare(plat::TDataSet* headDataSet, const std::string& headTable,
                       const std::string& headKeys, const std::string& headColumns,
                       int hideTopRow) {
    d_->headDS = headDataSet;
    d_->headTable = headTable;
    d_->headKeys = headKeys;
    d_->headColumns =
        plat::SameText(headTable, "ATTACH") ? kAttachColumns : plat::Trim(headColumns);
    if (headDataSet && headDataSet->Active()) BuildHeadFieldLists();
    if (hideTopRow == 0) {
        if (!Panel2->Visible()) SetClientHeight(ClientHeight() + 33);
        Panel2->SetVisible(true);
    } else if (Panel2->Visible()) {
        Panel2->SetVisible(false);
        SetClientHeight(ClientHeight() - 33);
    }
    ExtPageControl1->SetActivePageIndex(0);
    SetupSchemeColumns();
    LoadSchemeList();
    BuildGridFields();
    if (!d_->formConverted) {
        QvConverter->ReconvertForm(this, plat::VarArrayOf({""}), false);
        d_->formConverted = true;
    }
    FillKeyRows();
}

void TQBEForm::SetBodySource(plat::TDataSet* bodyDataSet, const std::string& bodyTable,
                             const std::string& bodyKeys, const std::string& bodyColumns,
                             const std::string& bodyJoin) {
    d_->bodyDS = bodyDataSet;
    d_->bodyTable = bodyTable;
    d_->bodyKeys = bodyKeys;
    d_->bodyColumns = plat::Trim(bodyColumns);
    d_->bodyJoin = plat::Trim(bodyJoin).empty() ? "" : bodyJoin;
    d_->bodySource = true;
    chkBody->SetVisible(Panel2->Visible());
    BuildBodyFieldLists();
}

const std::string& TQBEForm::WhereText() const {
    return d_->whereText;
}

// ---- grid fields ----

TQBEMask TQBEForm::maskOf(plat::TField* field) const {
    TdmRadical* dm = dataModule();
    std::string name = plat::UpperCase(field->FieldName());
    if (name == "CREATE_DATE" || name == "MODI_DATE") return TQBEMask::Date;
    if (!dm) return TQBEMask::None;
    if (field->OnSetText.Is(dm, &TdmRadical::DateFieldSetText) &&
        field->OnGetText.Is(dm, &TdmRadical::DateFieldGetText))
        return TQBEMask::Date;
    if (field->OnSetText.Is(dm, &TdmRadical::YMFieldSetText) &&
        field->OnGetText.Is(dm, &TdmRadical::YMFieldGetText))
        return TQBEMask::YearMonth;
    return TQBEMask::None;
}

bool TQBEForm::isYearField(plat::TField* field) const {
    TdmRadical* dm = dataModule();
    return dm && field->OnSetText.Is(dm, &TdmRadical::YearFieldSetText) &&
           field->OnGetText.Is(dm, &TdmRadical::YearFieldGetText);
}

void TQBEForm::BuildGridFields() {
    infos_->ClearObjects();
    while (sg1->RowCount() > 2) sg1->RemoveRow(sg1->RowCount() - 1);
    for (int c = 0; c < 4; ++c) sg1->SetCells(c, 1, "");
    sg1->ResetCellProperties(kValue, 1);
    sg1->SetControlInfo(kField, -1, 3, "", 0);
    if (!d_->headDS) return;
    TdmRadical* dm = dataModule();
    IQBEOwner* o = owner();
    auto* gridDS = dynamic_cast<plat::TGridClientDataSet*>(d_->headDS);
    std::string items;
    const std::string& table = d_->headTable;
    bool attach = plat::SameText(table, "ATTACH");
    for (int i = 0; i < d_->headDS->Fields().Count(); ++i) {
        plat::TField* f = d_->headDS->Fields()[i];
        if (!f->IsDataField() || !f->Visible()) continue;
        if (GetTypeClass((int)f->DataType()) == TQBETypeClass::None) continue;
        const std::string& name = f->FieldName();
        auto info = std::make_unique<TRecordInfo>();
        info->Caption = plat::Trim(f->DisplayLabel());
        info->DataType = (uint8_t)f->DataType();
        size_t at = d_->headColumns.find(name);
        if (endsInNumber(name, 2) || attach) {
            info->SQLExpr = table + "." + name;
        } else if (at != std::string::npos) {
            std::string front = d_->headColumns.substr(0, at);
            size_t comma = front.rfind(',');
            info->SQLExpr =
                comma != std::string::npos ? front.substr(comma + 1) : plat::Trim(front);
        } else if (d_->headColumns.empty()) {
            continue;
        } else {
            info->SQLExpr = table + "." + name;
        }
        std::string kind, param;
        if (gridDS && gridDS->GetControl(name, kind, param) && plat::SameText(kind, "CheckBox")) {
            info->CheckBox = 1;
        } else if (dm) {
            TQBEMask mask = maskOf(f);
            info->EditMask = mask == TQBEMask::Date        ? dm->DateFieldEditMask()
                             : mask == TQBEMask::YearMonth ? dm->YMFieldEditMask()
                                                           : "";
        }
        if (o)
            for (const std::string& line : o->QBEHeadPickList(name)) info->PickList->Add(line);
        std::string caption = info->Caption;
        if (!d_->formConverted) caption = QvConverter->ConvertFromUI(Variant(caption)).AsString();
        items += caption + "\t" + name + "\r\n";
        infos_->AddInfo(name, std::move(info));
    }
    sg1->SetControlInfo(kField, -1, 3, items, 0);
}

void TQBEForm::FillKeyRows() {
    if (!d_->headDS || !d_->headDS->Active()) return;
    int filled = 0;
    for (const std::string& key : splitList(d_->headKeys)) {
        plat::TField* f = d_->headDS->FindField(key);
        if (!f || !f->Visible()) continue;
        int row = 1;
        if (filled > 0) {
            row = sg1->RowCount();
            sg1->SetRowCount(row + 1);
        }
        ++filled;
        sg1->FocusCell(kField, row, true);
        sg1->SetCells(kField, row, f->DisplayLabel());
        pickField(row);
    }
    if (filled > 0) sg1->FocusCell(kValue, 1, true);
}

TRecordInfo* TQBEForm::rowInfo(int row) const {
    return infos_->FindByCaption(plat::Trim(sg1->Cells(kField, row)));
}

void TQBEForm::pickField(int row) {
    std::string caption = plat::Trim(sg1->Cells(kField, row));
    d_->lastFieldCaption = caption;
    sg1->SetCells(kValue, row, "");
    sg1->ResetCellProperties(kValue, row);
    if (sg1->Cells(kOperator, row).empty())
        sg1->SetCells(kOperator, row, TokenAt(d_->operatorLines.front(), "\t", 1));
    if (sg1->Cells(kConnector, row).empty()) sg1->SetCells(kConnector, row, "AND");
    TRecordInfo* info = infos_->FindByCaption(caption);
    if (!info) return;
    bool number = GetTypeClass(info->DataType) == TQBETypeClass::Number;
    if (number && info->PickList->Count() == 0) {
        sg1->SetAlignCell(kValue, row, TMyAlign::alRight);
    } else if (info->CheckBox) {
        sg1->SetControlInfo(kValue, row, 2, "Y;N", 0);
        sg1->SetCells(kValue, row, "N");
    } else {
        if (!info->EditMask.empty()) sg1->SetEditMaskCell(kValue, row, info->EditMask);
        if (info->PickList->Count() > 0) {
            std::string lines;
            for (int i = 0; i < info->PickList->Count(); ++i)
                lines += (*info->PickList)[i] + "\r\n";
            sg1->SetControlInfo(kValue, row, 3, lines, 1);
        }
    }
}

int TQBEForm::dataRows() const {
    return sg1->RowCount() - 1;
}

int TQBEForm::RemoveEmptyRows() {
    int removed = 0;
    if (dataRows() > 1) {
        for (int r = sg1->RowCount() - 1; r >= 1 && dataRows() > 1; --r) {
            if (!plat::Trim(sg1->Cells(kField, r)).empty()) continue;
            sg1->RemoveRow(r);
            ++removed;
        }
    }
    if (dataRows() == 1 && plat::Trim(sg1->Cells(kField, 1)).empty() &&
        !(sg1->Cells(kOperator, 1).empty() && sg1->Cells(kValue, 1).empty() &&
          sg1->Cells(kConnector, 1).empty())) {
        for (int c = 0; c < 4; ++c) sg1->SetCells(c, 1, "");
        sg1->ResetCellProperties(kValue, 1);
        ++removed;
    }
    return removed;
}

int TQBEForm::GetAppendRow() {
    const TControlInfo* ci = sg1->GetCellControlInfo(kField, 1);
    if (!ci || !ci->Items() || ci->Items()->Count() == 0) return -1;
    for (int r = 1; r < sg1->RowCount(); ++r)
        if (plat::Trim(sg1->Cells(kField, r)).empty()) return -1;
    if (sg1->Row() != sg1->RowCount() - 1) return -1;
    if (dataRows() == 1 && (sg1->Cells(kOperator, 1).empty() || sg1->Cells(kConnector, 1).empty()))
        return -1;
    return sg1->RowCount();
}

void TQBEForm::appendRow() {
    int row = sg1->RowCount();
    sg1->SetRowCount(row + 1);
    sg1->SetCells(kOperator, row, TokenAt(d_->operatorLines.front(), "\t", 1));
    sg1->SetCells(kConnector, row, "AND");
    sg1->FocusCell(kField, row, true);
}

// ---- grid events ----

void TQBEForm::sg1SelectCell(plat::TObject*, int col, int row, bool&) {
    if (row < 1) return;
    if (sg1->Cells(kOperator, row).empty())
        sg1->SetCells(kOperator, row, TokenAt(d_->operatorLines.front(), "\t", 1));
    if (sg1->Cells(kConnector, row).empty()) sg1->SetCells(kConnector, row, "AND");
    if (col == kField) {
        TRecordInfo* info = rowInfo(row);
        sg1->Tag = info && GetTypeClass(info->DataType) == TQBETypeClass::Number ? 1 : 0;
        d_->lastFieldCaption = plat::Trim(sg1->Cells(kField, row));
    }
}

void TQBEForm::sg1ComboBoxClick(plat::TObject*) {
    if (sg1->Col() != kField) return;
    if (plat::Trim(sg1->Cells(kField, sg1->Row())) == d_->lastFieldCaption) return;
    pickField(sg1->Row());
}

void TQBEForm::sg1ValidateEdit(plat::TObject*, int col, int row, bool& accept) {
    if (col != kValue || row < 1) return;
    std::string value = sg1->Cells(kValue, row);
    TRecordInfo* info = rowInfo(row);
    if (!info || plat::Trim(value).empty()) return;
    if (sg1->GetAlignCell(kValue, row) == TMyAlign::alRight) {
        double v = 0;
        if (!plat::TryStrToFloat(value, v)) sg1->SetCells(kValue, row, "");
        return;
    }
    TdmRadical* dm = dataModule();
    if (!dm || info->EditMask.empty()) return;
    if (value == TStringAlignGrid::FormatMaskedText(info->EditMask, "")) return;
    if (info->EditMask == dm->DateFieldEditMask()) {
        std::string ymd = DisplayDateToYmd(value, dm->DateLayout, dm->DateSeparator);
        if (ymd == "0" || !IsSqlDateRange(ymd)) {
            showLine(6);
            accept = false;
        }
    } else if (info->EditMask == dm->YMFieldEditMask()) {
        if (!IsValidYearMonthText(
                NormalizeYearMonthText(value, dm->DateLayout, dm->DateSeparator))) {
            showLine(7);
            accept = false;
        }
    }
}

void TQBEForm::sg1KeyDown(plat::TObject*, uint16_t& key, plat::TShiftState shift) {
    if (key == plat::VK_DOWN) {
        if (RemoveEmptyRows() == 0 && GetAppendRow() >= 0) {
            appendRow();
            key = 0;
        }
    } else if (key == plat::VK_UP) {
        RemoveEmptyRows();
    } else if (key == plat::VK_DELETE && shift.Contains(plat::ssCtrl)) {
        if (dataRows() > 1) {
            sg1->RemoveRow(sg1->Row());
        } else {
            for (int c = 0; c < 4; ++c) sg1->SetCells(c, 1, "");
            sg1->ResetCellProperties(kValue, 1);
        }
        key = 0;
    } else if (key == plat::VK_RETURN && sg1->Col() == kConnector) {
        sg1->AfterLastCellEdit =
            GetAppendRow() >= 0 ? T_lastcell::lc_newcolrow : T_lastcell::lc_first;
    } else if (key == plat::VK_ESCAPE) {
        SetModalResult(plat::mrCancel);
    }
}

void TQBEForm::sg1KeyPress(plat::TObject*, char32_t& key) {
    if (sg1->Tag == 0 &&
        !(sg1->Col() == kValue && sg1->GetAlignCell(kValue, sg1->Row()) == TMyAlign::alRight))
        return;
    // The field cell itself stays free for typing another field's caption.
    if (sg1->Col() == kField) return;
    if (!((key >= '0' && key <= '9') || key == '.' || key == 8)) key = 0;
}

void TQBEForm::sg1CalcCellColors(plat::TObject*, int, int row, plat::TRect, plat::TGridDrawState,
                                 plat::TFont* font, plat::TBrush* brush) {
    if (row < 1) return;
    brush->Color = row % 2 == 0 ? kEvenRow : kOddRow;
    font->SetColor(plat::clBlack);
}

// ---- the texts ----

std::string TQBEForm::BuildRowCondition(int row) {
    return rowCondition(sg1->Cells(kField, row), sg1->Cells(kOperator, row),
                        sg1->Cells(kValue, row), sg1->Cells(kConnector, row));
}

std::string TQBEForm::rowCondition(const std::string& caption, const std::string& opCaption,
                                   const std::string& value, const std::string& connector) {
    TQBERow r;
    r.caption = plat::Trim(caption);
    r.op = DisplayToStoredValue(d_->operatorLines, plat::Trim(opCaption));
    r.value = value;
    r.connector = plat::Trim(connector);
    if (r.caption.empty() || r.op.empty() || plat::Trim(r.value).empty()) return "";
    TRecordInfo* info = infos_->FindByCaption(r.caption);
    if (!info) return "";
    r.expr = info->SQLExpr;
    r.cls = GetTypeClass(info->DataType);
    r.pickList = info->PickList.get();
    if (TdmRadical* dm = dataModule()) {
        r.dateLayout = dm->DateLayout;
        r.dateSeparator = dm->DateSeparator;
        if (!info->EditMask.empty())
            r.mask = info->EditMask == dm->DateFieldEditMask() ? TQBEMask::Date
                     : info->EditMask == dm->YMFieldEditMask() ? TQBEMask::YearMonth
                                                               : TQBEMask::None;
    }
    return BuildRowConditionText(r);
}

std::string TQBEForm::BuildGridWhere() {
    std::vector<std::string> rows;
    for (int r = 1; r < sg1->RowCount(); ++r) rows.push_back(BuildRowCondition(r));
    return JoinGridConditions(rows);
}

std::vector<TQBESortItem> TQBEForm::sortItems() {
    std::vector<TQBESortItem> items;
    for (int i = 0; i < ListBox2->Items()->Count(); ++i)
        items.push_back({(*ListBox2->Items())[i], ListBox2->GetChecked(i)});
    return items;
}

std::vector<std::string> TQBEForm::keyList(const std::string& keys) {
    return splitList(keys);
}

void TQBEForm::DoCondition() {
    int page = ExtPageControl1->ActivePageIndex();
    if (page == 0) {
        if (sg1->EditorMode()) sg1->UpdateEditorText();
        d_->whereText = BuildGridWhere();
        orderText_.clear();
        return;
    }
    if (chkBody->Checked()) {
        d_->whereText = plat::Trim(Memo1->Text());
        d_->bodyWhereText = plat::Trim(Memo2->Text());
        IQBEOwner* o = owner();
        TQBEBodyQuery q;
        q.headTable = d_->headTable;
        q.bodyTable = d_->bodyTable;
        q.headKeys = keyList(d_->headKeys);
        q.bodyKeys = keyList(d_->bodyKeys);
        q.companyDB = o ? o->QBECompanyDB() : "";
        q.noDBPrefix = o && o->QBENoDBPrefix();
        q.bodyJoin = d_->bodyJoin;
        q.where = d_->whereText;
        q.bodyWhere = d_->bodyWhereText;
        d_->withSubquery = BuildWithSubquery(q);
    } else {
        d_->whereText = Memo1->Text();
    }
    orderText_ = BuildOrderText(sortItems(), d_->headTable, d_->headColumns);
}

std::string TQBEForm::GetWhereText() const {
    int page = ExtPageControl1->ActivePageIndex();
    if (page != 0 && chkBody->Checked()) return d_->withSubquery;
    return d_->whereText;
}

bool TQBEForm::Execute(std::string& where, std::string& order) {
    if (ShowModal() != plat::mrOk) return false;
    order = plat::Trim(orderText_).empty() ? d_->headKeys : orderText_;
    where = QvConverter->ConvertFromUI(Variant(GetWhereText())).AsString();
    return true;
}

void TQBEForm::GetCondition(std::string& where, std::string& order) {
    DoCondition();
    where = QvConverter->ConvertFromUI(Variant(GetWhereText())).AsString();
    order = orderText_;
}

int TQBEForm::GetTopRowCount() const {
    int n = 0;
    return plat::TryStrToInt(plat::Trim(cbTopRow->Text()), n) ? n : 500;
}

void TQBEForm::SetTopRowCount(int count) {
    std::string text = std::to_string(count);
    int index = cbTopRow->Items()->IndexOf(text);
    if (index < 0) {
        cbTopRow->Items()->Insert(0, text);
        index = 0;
    }
    cbTopRow->SetItemIndex(index);
    cbTopRow->SetText(text);
}

void TQBEForm::BBOKClick(plat::TObject*) {
    try {
        DoCondition();
    } catch (const EQBEConditionError& e) {
        // The dialog stays open so that the value can be mended.
        SetModalResult(plat::mrNone);
        QueryMessageBox(this, e.what(), TMsgDlgType::mtError, {TMsgDlgBtn::mbOK});
    }
}

void TQBEForm::cbTopRowKeyPress(plat::TObject*, char32_t& key) {
    if (!((key >= '0' && key <= '9') || key == 8)) key = 0;
}

void TQBEForm::FormShow(plat::TObject* sender) {
    TQVForm::FormShow(sender);
    FitDropDownWidths();
    if (GetUICodePage() == "950") cbTopRow->SetStyle(plat::TComboBoxStyle::csDropDown);
}

void TQBEForm::FitDropDownWidths() {
    auto fit = [this](plat::TComboBox* combo, int extra) {
        plat::TCanvas* canvas = Canvas();
        canvas->Font.Assign(*combo->Font());
        int widest = 0;
        for (int i = 0; i < combo->Items()->Count(); ++i) {
            std::string text = (*combo->Items())[i];
            std::replace(text.begin(), text.end(), '\t', ' ');
            widest = std::max(widest, canvas->TextWidth(text));
        }
        int room = combo->Parent() ? combo->Parent()->Width() - combo->Left() - 5 : widest + extra;
        combo->SetDropDownWidth(std::max(combo->Width(), std::min(widest + extra, room)));
    };
    fit(cboField, 60);
    fit(cboField2, 60);
    fit(CbOperator, 5);
    fit(CbOperator2, 5);
}

void TQBEForm::FormActivate(plat::TObject*) {
    if (d_->firstActivation) {
        d_->firstActivation = false;
        ExtPageControl1->SetActivePageIndex(0);
        if (!Panel2->Visible() || !d_->bodySource) Memo1->SetHeight(Memo1->Height() + 10);
    }
    if (chkBody->Visible()) {
        TabSheet3->SetTabVisible(false);
        if (ExtPageControl1->ActivePageIndex() == 2) ExtPageControl1->SetActivePageIndex(1);
        chkBody->SetChecked(false);
    }
    ExtPageControl1Change(nullptr);
}

void TQBEForm::ExtPageControl1Change(plat::TObject*) {
    // Enter moves through the grid on the first page.
    BBOK->SetDefault(ExtPageControl1->ActivePageIndex() != 0);
}

// ---- advanced and body pages ----

void TQBEForm::BuildHeadFieldLists() {
    std::vector<std::string> columns = rewrittenColumns(d_->headColumns);
    bool attach = plat::SameText(d_->headTable, "ATTACH");
    std::vector<std::string> items, auditItems, auditNames;
    d_->fieldNames.clear();
    plat::TDataSet* ds = d_->headDS;
    for (int i = 0; i < ds->Fields().Count(); ++i) {
        plat::TField* f = ds->Fields()[i];
        if (!f->IsDataField()) continue;
        const std::string& name = f->FieldName();
        std::string label = PadRight(f->DisplayLabel(), d_->captionWidth);
        if (!d_->formConverted) label = QvConverter->ConvertUIToDB(Variant(label)).AsString();
        if (TdmRadical::IsAuditField(name)) {
            auditItems.push_back(label + "\t" + name);
            auditNames.push_back(name);
            continue;
        }
        std::string sqlName;
        if ((endsInNumber(name, 2) && f->Visible()) || (attach && isAttachField(name))) {
            sqlName = name;
        } else if (f->Visible()) {
            if (d_->headColumns.empty()) continue;
            sqlName = name;
            for (const std::string& item : columns) {
                size_t at = item.find(" " + name);
                if (item.find(name) == std::string::npos) continue;
                if (at != std::string::npos) sqlName = item.substr(0, at);
                break;
            }
        } else {
            continue;
        }
        items.push_back(label + "\t" + sqlName);
        d_->fieldNames.push_back(name);
    }
    d_->fieldNames.insert(d_->fieldNames.end(), auditNames.begin(), auditNames.end());
    items.insert(items.end(), auditItems.begin(), auditItems.end());
    cboField->Items()->Clear();
    ListBox1->Items()->Clear();
    ListBox2->Items()->Clear();
    for (const std::string& item : items) {
        cboField->Items()->Add(item);
        ListBox1->Items()->Add(item);
    }
    if (!items.empty()) {
        cboField->SetItemIndex(0);
        SetupValueEditor();
    }
}

void TQBEForm::BuildBodyFieldLists() {
    cboField2->Items()->Clear();
    d_->bodyFieldNames.clear();
    plat::TDataSet* ds = d_->bodyDS;
    if (!ds) return;
    std::vector<std::string> columns = rewrittenColumns(d_->bodyColumns);
    bool attach = plat::SameText(d_->bodyTable, "ATTACH");
    std::vector<std::string> items, auditItems, auditNames;
    auto toDB = [this](const std::string& s) {
        return QvConverter->ConvertUIToDB(Variant(s)).AsString();
    };
    for (int i = 0; i < ds->Fields().Count(); ++i) {
        plat::TField* f = ds->Fields()[i];
        if (!f->IsDataField()) continue;
        const std::string& name = f->FieldName();
        std::string label = PadRight(f->DisplayLabel(), d_->captionWidth);
        if (TdmRadical::IsAuditField(name)) {
            auditItems.push_back(toDB(label) + "\t" + name);
            auditNames.push_back(name);
            continue;
        }
        std::string sqlName;
        if (attach || ((endsInNumber(name, 2) || endsInNumber(name, 3)) && f->Visible())) {
            sqlName = name;
            label = toDB(label);
        } else if (f->Visible()) {
            if (d_->bodyColumns.empty()) continue;
            const std::string* found = nullptr;
            for (const std::string& item : columns)
                if (item.find(name) != std::string::npos) {
                    found = &item;
                    break;
                }
            if (found) {
                if (plat::UpperCase(*found).find("SELECT") != std::string::npos) continue;
                size_t at = found->find(" " + name);
                sqlName = at != std::string::npos ? found->substr(0, at) : name;
                label = toDB(label);
            } else {
                sqlName = name;
                if (!d_->formConverted) label = toDB(label);
            }
        } else {
            continue;
        }
        items.push_back(label + "\t" + sqlName);
        d_->bodyFieldNames.push_back(name);
    }
    d_->bodyFieldNames.insert(d_->bodyFieldNames.end(), auditNames.begin(), auditNames.end());
    items.insert(items.end(), auditItems.begin(), auditItems.end());
    for (std::string item : items) {
        if (d_->formConverted) item = QvConverter->ConvertToUI(Variant(item)).AsString();
        cboField2->Items()->Add(item);
    }
    if (!items.empty()) {
        cboField2->SetItemIndex(0);
        SetupBodyValueEditor();
    }
}

void TQBEForm::setupEditor(plat::TDataSet* ds, const std::vector<std::string>& names, int index,
                           TwwClientDataSet* cds, plat::TDBComboBox* combo, TFDbCheckBox* check) {
    plat::TField* value = cds->FieldByName("QBE");
    if (cds->State() != plat::dsEdit && cds->State() != plat::dsInsert) cds->Edit();
    value->OnSetText = {};
    value->OnGetText = {};
    value->OnValidate = {};
    value->SetEditMask("");
    value->SetAsString("");
    combo->OnKeyPress = {};
    combo->OnExit = {};
    combo->Items()->Clear();
    combo->SetStyle(plat::TComboBoxStyle::csSimple);
    combo->SetMapList(false);
    combo->SetVisible(true);
    check->SetVisible(false);
    if (!ds || index < 0 || index >= (int)names.size()) return;
    plat::TField* f = ds->FindField(names[index]);
    if (!f) return;
    if (IsTermNumberType((int)f->DataType()))
        combo->OnKeyPress = plat::TKeyPressEvent(this, &TQBEForm::ForFloatKeyPress);
    TdmRadical* dm = dataModule();
    TQBEMask mask = maskOf(f);
    if (dm && mask == TQBEMask::Date) {
        value->SetEditMask(dm->DateFieldEditMask());
        value->OnSetText = plat::TFieldSetTextEvent(dm, &TdmRadical::DateFieldSetText);
        value->OnGetText = plat::TFieldGetTextEvent(dm, &TdmRadical::DateFieldGetText);
        value->OnValidate = plat::TFieldNotifyEvent(dm, &TdmRadical::DateFieldValidate);
        combo->OnExit = plat::TNotifyEvent(this, &TQBEForm::DateFieldDBComboDlgExit);
    } else if (dm && mask == TQBEMask::YearMonth) {
        value->SetEditMask(dm->YMFieldEditMask());
        value->OnSetText = plat::TFieldSetTextEvent(dm, &TdmRadical::YMFieldSetText);
        value->OnGetText = plat::TFieldGetTextEvent(dm, &TdmRadical::YMFieldGetText);
        value->OnValidate = plat::TFieldNotifyEvent(dm, &TdmRadical::YMFieldValidate);
    } else if (dm && isYearField(f)) {
        value->OnSetText = plat::TFieldSetTextEvent(dm, &TdmRadical::YearFieldSetText);
        value->OnGetText = plat::TFieldGetTextEvent(dm, &TdmRadical::YearFieldGetText);
    }
    std::string kind, param;
    auto* gridDS = dynamic_cast<plat::TGridClientDataSet*>(ds);
    if (!gridDS || !gridDS->GetControl(f->FieldName(), kind, param)) return;
    if (plat::SameText(kind, "CustomEdit")) {
        IQBEOwner* o = owner();
        std::vector<std::string> items =
            o ? o->QBEComboItems(plat::Trim(param)) : std::vector<std::string>{};
        if (items.empty()) return;
        combo->SetStyle(plat::TComboBoxStyle::csDropDownList);
        combo->SetMapList(items.front().find('\t') != std::string::npos);
        for (const std::string& item : items) combo->Items()->Add(item);
    } else if (plat::SameText(kind, "CheckBox")) {
        std::string rest = param;
        check->SetValueChecked(CutToken(rest, ";"));
        check->SetValueUnchecked(rest);
        check->SetVisible(true);
        combo->SetVisible(false);
    }
}

void TQBEForm::SetupValueEditor() {
    setupEditor(d_->headDS, d_->fieldNames, cboField->ItemIndex(), cdsTemp, cboValue, ckbValue);
}

void TQBEForm::SetupBodyValueEditor() {
    setupEditor(d_->bodyDS, d_->bodyFieldNames, cboField2->ItemIndex(), cdsTemp2, cboValue2,
                ckbValue2);
}

void TQBEForm::DateFieldDBComboDlgExit(plat::TObject* sender) {
    auto* combo = dynamic_cast<plat::TDBComboBox*>(sender);
    TdmRadical* dm = dataModule();
    plat::TField* field = combo ? combo->Field() : nullptr;
    if (!field || !dm) return;
    std::string text = combo->Text();
    for (char c : dm->DateSeparator) std::erase(text, c);
    // A date wiped back to its separators empties the value.
    if (plat::Trim(text).empty() && field->CanModify() && !field->AsString().empty() &&
        field->EditMask() == dm->DateFieldEditMask())
        field->SetAsString("");
}

void TQBEForm::cboFieldChange(plat::TObject*) {
    SetupValueEditor();
}

void TQBEForm::cboField2Change(plat::TObject*) {
    SetupBodyValueEditor();
}

void TQBEForm::ForFloatKeyPress(plat::TObject* sender, char32_t& key) {
    if ((key >= '0' && key <= '9') || key == '-' || key == 8) return;
    auto* c = dynamic_cast<plat::TControl*>(sender);
    if (key == '.' && (!c || c->Text().find('.') == std::string::npos)) return;
    key = 0;
}

void TQBEForm::addTerm(bool body) {
    if (plat::TCustomForm* f = this) f->SetActiveControl(nullptr);
    TwwClientDataSet* cds = body ? cdsTemp2 : cdsTemp;
    plat::TComboBox* field = body ? cboField2 : cboField;
    plat::TComboBox* op = body ? CbOperator2 : CbOperator;
    plat::TMemo* memo = body ? Memo2 : Memo1;
    plat::TRadioGroup* logic = body ? rgLogic2 : rgLogic;
    plat::TDataSet* ds = body ? d_->bodyDS : d_->headDS;
    const std::vector<std::string>& names = body ? d_->bodyFieldNames : d_->fieldNames;
    if (cds->State() == plat::dsEdit || cds->State() == plat::dsInsert) cds->UpdateRecord();
    std::string value = cds->FieldByName("QBE")->AsString();
    if (value.empty()) {
        showLine(0);
        plat::TDBComboBox* box = body ? cboValue2 : cboValue;
        if (box->CanFocus()) box->SetFocus();
        return;
    }
    int index = field->ItemIndex();
    if (!ds || index < 0 || index >= (int)names.size()) return;
    plat::TField* f = ds->FindField(names[index]);
    TQBETerm t;
    t.table = body ? d_->bodyTable : d_->headTable;
    t.columns = body ? d_->bodyColumns : d_->headColumns;
    t.fieldName = names[index];
    t.sqlName = plat::Trim(TokenAt((*field->Items())[index], "\t", 2));
    t.number = f && IsTermNumberType((int)f->DataType());
    t.caption = plat::Trim(TokenAt((*field->Items())[index], "\t", 1));
    t.opIndex = op->ItemIndex();
    t.value = value;
    IQBEOwner* o = owner();
    t.sqlType = o ? o->QBESqlType() : 0;
    std::string term;
    try {
        term = BuildTermText(t);
    } catch (const EQBEConditionError& e) {
        QueryMessageBox(this, e.what(), TMsgDlgType::mtError, {TMsgDlgBtn::mbOK});
        return;
    }
    bool first = memo->Lines()->Count() == 0;
    std::string connector = logic->ItemIndex() == 1 ? "OR" : "AND";
    memo->Lines()->Add(TermLine(first, connector, term));
}

void TQBEForm::BbAssignClick(plat::TObject*) {
    addTerm(false);
}

void TQBEForm::BbAssign2Click(plat::TObject*) {
    addTerm(true);
}

void TQBEForm::BBClearClick(plat::TObject*) {
    Memo1->Lines()->Clear();
    rgLogic->SetEnabled(false);
}

void TQBEForm::BBClear2Click(plat::TObject*) {
    Memo2->Lines()->Clear();
    rgLogic2->SetEnabled(false);
}

void TQBEForm::Memo1Change(plat::TObject*) {
    rgLogic->SetEnabled(Memo1->Lines()->Count() > 0);
}

void TQBEForm::Memo2Change(plat::TObject*) {
    rgLogic2->SetEnabled(Memo2->Lines()->Count() > 0);
}

void TQBEForm::chkBodyClick(plat::TObject*) {
    TabSheet3->SetTabVisible(chkBody->Checked());
    ExtPageControl1->SetActivePageIndex(chkBody->Checked() ? 2 : 1);
    ExtPageControl1Change(nullptr);
}

void TQBEForm::ListBox1DblClick(plat::TObject*) {
    ListItems source(ListBox1), target(ListBox2);
    CopySelectedItems(source, target);
}

void TQBEForm::ListBox2DragOver(plat::TObject*, plat::TObject* source, int, int, plat::TDragState,
                                bool& accept) {
    accept = source == ListBox2;
}

void TQBEForm::ListBox2DragDrop(plat::TObject*, plat::TObject* source, int x, int y) {
    // Only items of the sort list itself move; drops from elsewhere are refused.
    if (source != ListBox2) return;
    int from = ListBox2->ItemIndex();
    int count = ListBox2->Items()->Count();
    if (from < 0 || from >= count) return;
    int to = ListBox2->ItemAtPos({x, y}, true);
    if (to < 0) to = count - 1;
    if (to == from) return;
    std::string text = (*ListBox2->Items())[from];
    bool checked = ListBox2->GetChecked(from);
    ListBox2->Items()->Delete(from);
    ListBox2->Items()->Insert(to, text);
    ListBox2->SetChecked(to, checked);
    ListBox2->SetItemIndex(to);
}

void TQBEForm::ListBox1MouseMove(plat::TObject* sender, plat::TShiftState, int x, int y) {
    auto* box = dynamic_cast<TFCheckListBox*>(sender);
    if (!box) return;
    int i = box->ItemAtPos({x, y}, true);
    if (i == d_->sortHintIndex && d_->sortHint) return;
    d_->sortHint.reset();
    d_->sortHintIndex = -1;
    if (i < 0) return;
    std::string text = (*box->Items())[i];
    std::replace(text.begin(), text.end(), '\t', ' ');
    plat::TCanvas measure;
    measure.Font.Assign(*box->Font());
    const plat::TRect item = box->ItemRect(i);
    // Only an item wider than its row in view needs the whole text shown.
    const int shown = std::min(item.Right, box->ClientWidth()) - std::max(item.Left, 0);
    const int width = measure.TextWidth(text) + 6;
    if (width - 6 <= shown) return;
    int height = item.Height();
    if (GetUICodePage() == "437") height += 4;
    plat::TPoint at = box->ClientToScreen({item.Left, item.Top});
    at.X = std::max(0, std::min(at.X, plat::Screen->Width() - width));
    d_->sortHint = std::make_unique<plat::THintWindow>(nullptr);
    d_->sortHint->SetColor(plat::TColor(0xDDFFFF));
    d_->sortHint->Font()->Assign(*box->Font());
    d_->sortHint->ActivateHint({at.X, at.Y, at.X + width, at.Y + height}, text);
    d_->sortHintIndex = i;
}

void TQBEForm::TabSheet2MouseMove(plat::TObject*, plat::TShiftState, int, int) {
    d_->sortHint.reset();
    d_->sortHintIndex = -1;
}

plat::THintWindow* TQBEForm::SortHint() const {
    return d_->sortHint.get();
}

int TQBEForm::SortHintIndex() const {
    return d_->sortHintIndex;
}

void TQBEForm::DoHide() {
    TabSheet2MouseMove(this, {}, 0, 0);
    TQVForm::DoHide();
}

void TQBEForm::cboFieldDrawItem(plat::TObject* sender, int index, plat::TRect rect,
                                plat::TOwnerDrawState) {
    auto* box = dynamic_cast<plat::TComboBox*>(sender);
    if (!box || index < 0 || index >= box->Items()->Count()) return;
    plat::TCanvas* canvas = box->Canvas();
    canvas->FillRect(rect);
    rect.Left += 3;
    canvas->DrawText(ExpandTabStops((*box->Items())[index], d_->tabStop), rect,
                     plat::DT_SINGLELINE | plat::DT_VCENTER | plat::DT_NOPREFIX);
}

void TQBEForm::sg1MouseDown(plat::TObject*, plat::TMouseButton, plat::TShiftState, int x, int y) {
    plat::TGridCoord cell = sg1->MouseCoord(x, y);
    if (cell.Y >= 1 && !plat::Trim(sg1->Cells(kField, cell.Y)).empty()) RemoveEmptyRows();
}

void TQBEForm::ListBox2DblClick(plat::TObject*) {
    int i = ListBox2->ItemIndex();
    if (i >= 0) ListBox2->Items()->Delete(i);
}

// ---- saved schemes ----

Variant TQBEForm::callServer(const std::string& name, std::vector<Variant> args) {
    TdmRadical* dm = dataModule();
    if (!dm || !dm->AppServer.IsDispatch())
        throw plat::EInternalError("QvQBE 2: the data module has no application server");
    plat::DispatchPtr server = dm->AppServer.AsDispatch();
    return server->Invoke(name, plat::DispatchKind::Method, plat::DispArgs(args));
}

std::string TQBEForm::toDB(const std::string& text) const {
    return QvConverter->ConvertUIToDB(Variant(text)).AsString();
}

void TQBEForm::SetupSchemeColumns() {
    lstCondition->Columns()->Clear();
    for (int i = 0; i < 2; ++i) {
        plat::TListColumn* c = lstCondition->Columns()->Add();
        c->SetCaption(MessageLine(2 + i));
        c->SetWidth(std::max(60, Canvas()->TextWidth(c->Caption()) + 16));
        c->SetAlignment(i == 0 ? plat::TAlignment::taRightJustify
                               : plat::TAlignment::taLeftJustify);
    }
}

void TQBEForm::FitSchemeColumns() {
    if (lstCondition->Columns()->Count() == 0) return;
    // The name column is as wide as its widest name, so names are never cut.
    plat::TListColumn* c = lstCondition->Columns()->Items(0);
    int width = Canvas()->TextWidth(c->Caption()) + 16;
    for (int i = 0; i < lstCondition->Items()->Count(); ++i)
        width =
            std::max(width, Canvas()->TextWidth(lstCondition->Items()->Item(i)->Caption()) + 24);
    c->SetWidth(std::max(60, width));
}

bool TQBEForm::LoadSchemeList() {
    TdmRadical* dm = dataModule();
    TBrokers* b = broker();
    if (!dm || !b) return false;
    plat::TListItems* items = lstCondition->Items();
    items->BeginUpdate();
    plat::TViewStyle style = lstCondition->ViewStyle();
    lstCondition->SetViewStyle(plat::TViewStyle::vsList);
    struct Restore {
        plat::TListView* view;
        plat::TViewStyle style;
        ~Restore() {
            view->SetViewStyle(style);
            view->Items()->EndUpdate();
        }
    } restore{lstCondition, style};
    plat::TCursorGuard hourglass(plat::crHourGlass);
    items->Clear();
    try {
        callServer("LoadTable", {Variant(plat::VarArrayOf({b->UserID, b->ProgramCode}))});
        plat::TClientDataSet* cds = dm->cdsSaveCondition;
        cds->Close();
        cds->Open();
        for (cds->First(); !cds->Eof(); cds->Next()) {
            plat::TListItem* item = items->Add();
            item->SetImageIndex(0);
            std::string name = cds->FieldByName("NCONDITION")->AsString();
            if (d_->formConverted) name = QvConverter->ConvertToUI(Variant(name)).AsString();
            item->SetCaption(name);
            plat::TDateTime date = YmdToDate(cds->FieldByName("CREATE_DATE")->AsString());
            item->SubItems()->Add(date ? plat::FormatDateTime(plat::ShortDateFormat(), date) : "");
        }
    } catch (const std::exception& e) {
        throw plat::Exception(e.what());
    }
    FitSchemeColumns();
    return true;
}

std::string TQBEForm::SchemeText() {
    int page = ExtPageControl1->ActivePageIndex();
    if (page == 0) {
        if (sg1->EditorMode()) sg1->UpdateEditorText();
        TQBEGridScheme s;
        s.topRow = cbTopRow->Text();
        for (int r = 1; r < sg1->RowCount(); ++r) {
            if (sg1->Cells(kField, r).empty() && sg1->Cells(kValue, r).empty()) continue;
            s.rows.push_back({sg1->Cells(kField, r), sg1->Cells(kOperator, r),
                              sg1->Cells(kValue, r), sg1->Cells(kConnector, r)});
        }
        return FormatGridScheme(s);
    }
    if (page == 1 || page == 2) {
        TQBEAdvancedScheme s;
        s.topRow = cbTopRow->Text();
        s.memo1 = Memo1->Text();
        s.sort = sortItems();
        s.body = chkBody->Checked();
        s.memo2 = Memo2->Text();
        return FormatAdvancedScheme(s);
    }
    return "";
}

bool TQBEForm::SaveScheme(const std::string& name, bool replace) {
    TBrokers* b = broker();
    if (!b) return false;
    try {
        std::string today = DateToText(1, "", plat::Date());
        Variant result = callServer(
            "InsertConTable", {Variant(plat::VarArrayOf(
                                  {toDB(name), b->UserID, today, b->ProgramCode, toDB(SchemeText()),
                                   ExtPageControl1->ActivePageIndex(), replace}))});
        return plat::VarToStr(result).empty();
    } catch (const std::exception&) {
        return false;
    }
}

bool TQBEForm::LoadScheme(int page, const std::string& text) {
    d_->lastSchemeError.clear();
    try {
        if (page == 0) {
            TQBEGridScheme s = ParseGridScheme(text);
            // Every row is checked before the grid changes: a bad scheme is
            // never half applied.
            for (TQBEGridSchemeRow& row : s.rows) {
                row.caption =
                    plat::Trim(QvConverter->ConvertDBToUI(Variant(row.caption)).AsString());
                row.op = plat::Trim(QvConverter->ConvertDBToUI(Variant(row.op)).AsString());
                row.value = QvConverter->ConvertDBToUI(Variant(row.value)).AsString();
                if (!row.caption.empty() && !infos_->FindByCaption(row.caption))
                    throw EQBEConditionError("查询方案中的字段不存在：" + row.caption);
                bool known = row.op.empty();
                for (const std::string& line : d_->operatorLines)
                    known = known || TokenAt(line, "\t", 1) == row.op;
                if (!known) throw EQBEConditionError("查询方案中的操作符不正确：" + row.op);
                // A value that cannot become SQL refuses the scheme before anything changes.
                rowCondition(row.caption, row.op, row.value, row.connector);
            }
            ExtPageControl1->SetActivePageIndex(0);
            while (sg1->RowCount() > 2) sg1->RemoveRow(sg1->RowCount() - 1);
            for (int c = 0; c < 4; ++c) sg1->SetCells(c, 1, "");
            sg1->ResetCellProperties(kValue, 1);
            cbTopRow->SetText(s.topRow);
            for (size_t i = 0; i < s.rows.size(); ++i) {
                if (i > 0) sg1->SetRowCount(sg1->RowCount() + 1);
                int row = sg1->RowCount() - 1;
                sg1->FocusCell(kField, row, true);
                sg1->SetCells(kField, row, s.rows[i].caption);
                d_->lastFieldCaption.clear();
                pickField(row);
                sg1->SetCells(kOperator, row, s.rows[i].op);
                sg1->SetCells(kValue, row, s.rows[i].value);
                sg1->SetCells(kConnector, row, s.rows[i].connector);
            }
            ClearBlankValues();
            return true;
        }
        if (page == 1 || page == 2) {
            TQBEAdvancedScheme s = ParseAdvancedScheme(text);
            std::vector<TQBESortItem> sort;
            for (const TQBESortItem& item : s.sort) {
                // Only a field of the dialog's own list can be a sort item.
                std::string name = plat::Trim(
                    TokenAt(QvConverter->ConvertDBToUI(Variant(item.text)).AsString(), "\t", 2));
                int found = -1;
                for (int i = 0; i < ListBox1->Items()->Count() && found < 0; ++i)
                    if (plat::Trim(TokenAt((*ListBox1->Items())[i], "\t", 2)) == name) found = i;
                if (found < 0) throw EQBEConditionError("查询方案中的排序字段不存在：" + name);
                sort.push_back({(*ListBox1->Items())[found], item.desc});
            }
            ExtPageControl1->SetActivePageIndex(page);
            ListBox2->Items()->Clear();
            cbTopRow->SetText(s.topRow);
            Memo1->SetText(QvConverter->ConvertDBToUI(Variant(s.memo1)).AsString());
            for (const TQBESortItem& item : sort) {
                ListBox2->Items()->Add(item.text);
                ListBox2->SetChecked(ListBox2->Items()->Count() - 1, item.desc);
            }
            chkBody->SetChecked(s.body && chkBody->Visible());
            TabSheet3->SetTabVisible(chkBody->Checked());
            Memo2->SetText(QvConverter->ConvertDBToUI(Variant(s.memo2)).AsString());
            ExtPageControl1Change(nullptr);
            return true;
        }
        throw EQBEConditionError("查询方案的页次不正确");
    } catch (const std::exception& e) {
        d_->lastSchemeError = e.what();
        return false;
    }
}

const std::string& TQBEForm::LastSchemeError() const {
    return d_->lastSchemeError;
}

void TQBEForm::ClearBlankValues() {
    for (int r = 1; r < sg1->RowCount(); ++r)
        if (plat::Trim(sg1->Cells(kValue, r)).empty()) sg1->SetCells(kValue, r, "");
}

void TQBEForm::btnInsertClick(plat::TObject*) {
    if (sg1->EditorMode()) {
        bool ok = true;
        sg1->UpdateEditorText();
        sg1ValidateEdit(sg1, sg1->Col(), sg1->Row(), ok);
        if (!ok) return;
    }
    Variant answer;
    ShowDocuCondition(this, answer);
    std::string name = answer.IsArray() ? plat::VarToStr(answer[0]) : "";
    if (name.empty()) return;
    bool replace = answer.IsArray() && answer.HighBound() >= 1 && answer[1].AsBoolean();
    if (SaveScheme(name, replace)) {
        LoadSchemeList();
        if (IQBEOwner* o = owner()) o->RebuildConditionMenu();
    } else {
        showLine(1);
    }
}

bool TQBEForm::findScheme(const std::string& caption) {
    TdmRadical* dm = dataModule();
    TBrokers* b = broker();
    if (!dm || !b) return false;
    return dm->cdsSaveCondition->FindKey(
        {Variant(toDB(caption)), Variant(b->UserID), Variant(b->ProgramCode)});
}

void TQBEForm::btnOpenClick(plat::TObject*) {
    plat::TListItem* item = lstCondition->Selected();
    if (!item || !findScheme(item->Caption())) return;
    plat::TClientDataSet* cds = dataModule()->cdsSaveCondition;
    if (!LoadScheme((int)plat::VarToIntDef(cds->FieldByName("ActivePage")->Value(), 0),
                    cds->FieldByName("VCONDITION")->AsString()))
        showLine(4, d_->lastSchemeError);
}

void TQBEForm::btnDeleteClick(plat::TObject*) {
    plat::TListItem* item = lstCondition->Selected();
    TBrokers* b = broker();
    if (!item || !b) return;
    std::string name = item->Caption();
    if (QueryMessageBox(this, MessageLine(5) + name, TMsgDlgType::mtConfirmation,
                        {TMsgDlgBtn::mbYes, TMsgDlgBtn::mbNo}) != plat::mrYes)
        return;
    Variant result = callServer(
        "DeleteConTable", {Variant(plat::VarArrayOf({toDB(name), b->UserID, b->ProgramCode}))});
    std::string error = plat::VarToStr(result);
    if (!error.empty()) throw plat::Exception(error);
    LoadSchemeList();
    if (IQBEOwner* o = owner()) o->RebuildConditionMenu();
}

void TQBEForm::lstConditionEdited(plat::TObject*, plat::TListItem* item, std::string& text) {
    TBrokers* b = broker();
    if (!item || !b) return;
    const std::string old = item->Caption();
    if (plat::Trim(text).empty()) {
        showLine(8);
        text = old;
        return;
    }
    if (plat::TextWidth(text) > 20) {
        showLine(9);
        text = old;
        return;
    }
    for (int i = 0; i < lstCondition->Items()->Count(); ++i) {
        plat::TListItem* other = lstCondition->Items()->Item(i);
        if (other != item && other->Caption() == text) {
            showLine(10);
            text = old;
            return;
        }
    }
    if (text == old) return;
    Variant oldKey = plat::VarArrayOf({toDB(old), b->UserID, b->ProgramCode});
    Variant newKey = plat::VarArrayOf({toDB(text), b->UserID, b->ProgramCode});
    std::string error = plat::VarToStr(callServer("ChangeConName", {oldKey, newKey}));
    if (!error.empty()) {
        showLine(11);
        text = old;
        throw plat::Exception(error);
    }
    if (findScheme(old)) {
        plat::TClientDataSet* cds = dataModule()->cdsSaveCondition;
        cds->Edit();
        cds->FieldByName("NCONDITION")->SetAsString(toDB(text));
        cds->Post();
    }
    if (IQBEOwner* o = owner()) o->RenameConditionMenuItem(old, text);
}

void TQBEForm::setViewStyle(plat::TViewStyle style, plat::TMenuItem* item) {
    lstCondition->Items()->BeginUpdate();
    lstCondition->SetViewStyle(style);
    lstCondition->Items()->EndUpdate();
    item->SetChecked(true);
}

void TQBEForm::ToolButton1Click(plat::TObject*) {
    int tag = (ToolButton1->Tag + 1) % 4;
    ToolButton1->Tag = tag;
    plat::TMenuItem* items[] = {ViewIcon, ViewSmallIcon, ViewList, ViewReport};
    items[tag]->Click();
}

void TQBEForm::ViewIconExecute(plat::TObject*) {
    setViewStyle(plat::TViewStyle::vsIcon, ViewIcon);
}

void TQBEForm::ViewSmallIconExecute(plat::TObject*) {
    setViewStyle(plat::TViewStyle::vsSmallIcon, ViewSmallIcon);
}

void TQBEForm::ViewListExecute(plat::TObject*) {
    setViewStyle(plat::TViewStyle::vsList, ViewList);
}

void TQBEForm::ViewReportExecute(plat::TObject*) {
    setViewStyle(plat::TViewStyle::vsReport, ViewReport);
}

}  // namespace ktrb
