// The query dialog of every document form: a condition grid on the header
// fields, an advanced page with free-text conditions and a sort list, a body
// page whose conditions become a count subquery, and the user's named query
// schemes kept on the application server. It turns what the user entered
// into a WHERE text and an ORDER BY text for the form's SELECT.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "controls/Aligrid.h"
#include "controls/QVForm.h"
#include "platform/core/stringlist.h"
#include "platform/core/variant.h"
#include "platform/ui/comctrls.h"
#include "platform/ui/dragdrop.h"
#include "query/QBEConditions.h"

namespace plat {
class TPanel;
class TSplitter;
class TLabel;
class TToolBar;
class TToolButton;
class TListView;
class TListItem;
class TTabSheet;
class TMemo;
class TBitBtn;
class TSpeedButton;
class TComboBox;
class TDBComboBox;
class TRadioGroup;
class TPopupMenu;
class TMenuItem;
class TDataSet;
class TDataSource;
class TField;
class TGridClientDataSet;
class THintWindow;
}  // namespace plat

namespace ktrb {

class TBrokers;
class TdmRadical;
class TwwClientDataSet;
class TQvComboBox;
class TExtPageControl;
class TFCheckListBox;
class TBitCheckBox;
class TFDbCheckBox;

// Each TAB filled with blanks up to the next multiple of `tabStop` columns
// (a CJK character counts two): the field combos' items.
std::string ExpandTabStops(const std::string& text, int tabStop);

// The document form as the query dialog sees it (the form layer lies above).
class IQBEOwner {
  public:
    virtual TBrokers* QBEBroker() = 0;
    // The form's data module: saved-condition dataset, application-server
    // object, date masks and the shared date handlers.
    virtual TdmRadical* QBEDataModule() = 0;
    // The server's SQL dialect code (0: dates compared by SUBSTRING).
    virtual int QBESqlType() = 0;
    // The company database name that prefixes the body subquery's table.
    virtual std::string QBECompanyDB() = 0;
    virtual bool QBENoDBPrefix() { return false; }
    // The pick-list lines ("display TAB stored") of the header grid's combo
    // editor for a header field; empty when it has none.
    virtual std::vector<std::string> QBEHeadPickList(const std::string& fieldName) = 0;
    // The items of a combo box on the form, for a field edited by it.
    virtual std::vector<std::string> QBEComboItems(const std::string& comboName) = 0;
    virtual void RebuildConditionMenu() = 0;
    // The condition-menu item of the old caption takes the new one.
    virtual void RenameConditionMenuItem(const std::string& oldCaption,
                                         const std::string& newCaption) = 0;

  protected:
    ~IQBEOwner() = default;
};

// One header field offered in the condition grid.
class TRecordInfo : public plat::TObject {
  public:
    TRecordInfo();
    std::string Caption;
    std::string EditMask;
    std::unique_ptr<TGridStrings> PickList;
    std::string SQLExpr;
    uint8_t DataType = 1;
    uint8_t CheckBox = 0;
};

// Field name = caption, each entry owning its TRecordInfo.
class TRecordInfoList : public plat::TStringList {
  public:
    ~TRecordInfoList();
    void ClearObjects();
    void AddInfo(const std::string& fieldName, std::unique_ptr<TRecordInfo> info);
    TRecordInfo* FindByCaption(const std::string& caption) const;
    TRecordInfo* Info(int index) const;

  private:
    std::vector<std::unique_ptr<TRecordInfo>> owned_;
};

// A message box of the query dialogs: through the window's code-page
// converter where the windows layer serves it, else the platform's dialog.
int QueryMessageBox(TQVForm* form, const std::string& text, TMsgDlgType type,
                    const TMsgDlgButtons& buttons);

class TQBEForm : public TQVForm {
    PLAT_CLASS(TQBEForm, TQVForm)
  public:
    explicit TQBEForm(plat::TComponent* owner);
    ~TQBEForm() override;

    // ---- designed components ----
    plat::TPanel* Panel2;
    TQvComboBox* cbTopRow;
    plat::TPanel* pnlCondition;
    plat::TLabel* lblCondition;
    plat::TToolBar* ToolBar1;
    plat::TToolButton* btnInsert;
    plat::TToolButton* btnOpen;
    plat::TToolButton* btnDelete;
    plat::TToolButton* ToolButton1;
    plat::TPopupMenu* mnList;
    plat::TMenuItem* ViewIcon;
    plat::TMenuItem* ViewSmallIcon;
    plat::TMenuItem* ViewList;
    plat::TMenuItem* ViewReport;
    plat::TListView* lstCondition;
    plat::TSplitter* Splitter1;
    TExtPageControl* ExtPageControl1;
    plat::TTabSheet* TabSheet1;
    TStringAlignGrid* sg1;
    plat::TMemo* moMsgLNG;
    plat::TTabSheet* TabSheet2;
    plat::TComboBox* cboField;
    plat::TComboBox* CbOperator;
    plat::TDBComboBox* cboValue;
    TFDbCheckBox* ckbValue;
    plat::TRadioGroup* rgLogic;
    plat::TBitBtn* BBClear;
    plat::TBitBtn* BbAssign;
    plat::TMemo* Memo1;
    TBitCheckBox* chkBody;
    plat::TLabel* Label1;
    TFCheckListBox* ListBox1;
    TFCheckListBox* ListBox2;
    plat::TSpeedButton* SpeedButton1;
    plat::TSpeedButton* SpeedButton2;
    plat::TTabSheet* TabSheet3;
    plat::TComboBox* cboField2;
    plat::TComboBox* CbOperator2;
    plat::TDBComboBox* cboValue2;
    TFDbCheckBox* ckbValue2;
    plat::TRadioGroup* rgLogic2;
    plat::TBitBtn* BBClear2;
    plat::TBitBtn* BbAssign2;
    plat::TMemo* Memo2;
    plat::TPanel* Panel1;
    plat::TBitBtn* BBOK;
    plat::TBitBtn* BBCancel;
    TwwClientDataSet* cdsTemp;
    TwwClientDataSet* cdsTemp2;
    plat::TDataSource* dsTemp;
    plat::TDataSource* dsTemp2;

    // ---- what the document form calls ----
    // Sets the dialog up for the header; a second call rebuilds the lists.
    void Prepare(plat::TDataSet* headDataSet, const std::string& headTable,
                 const std::string& headKeys, const std::string& headColumns, int hideTopRow);
    // The body for line conditions; a second call rebuilds the lists.
    void SetBodySource(plat::TDataSet* bodyDataSet, const std::string& bodyTable,
                       const std::string& bodyKeys, const std::string& bodyColumns,
                       const std::string& bodyJoin);
    // Shows the dialog; on OK the WHERE (database code page) and ORDER BY.
    bool Execute(std::string& where, std::string& order);
    void GetCondition(std::string& where, std::string& order);
    // The WHERE of the active page, unconverted.
    std::string GetWhereText() const;
    const std::string& GetOrderText() const { return orderText_; }
    // The last built WHERE of the active page's own conditions.
    const std::string& WhereText() const;
    int GetTopRowCount() const;
    void SetTopRowCount(int count);
    void DoCondition();

    // ---- saved schemes ----
    void SetupSchemeColumns();
    bool LoadSchemeList();
    void FitSchemeColumns();
    // The drop-down lists of the field and operator boxes as wide as their items.
    void FitDropDownWidths();
    bool SaveScheme(const std::string& name, bool replace);
    bool LoadScheme(int page, const std::string& text);
    // The scheme text of the active page.
    std::string SchemeText();
    // The owner form's broker (not owned); null without an owner form.
    TBrokers* OwnerBroker() const { return broker(); }
    // Why the last LoadScheme failed.
    const std::string& LastSchemeError() const;

    // ---- grid ----
    void BuildGridFields();
    void FillKeyRows();
    int RemoveEmptyRows();
    int GetAppendRow();
    // The SQL of one grid row; empty when the row gives none.
    std::string BuildRowCondition(int row);
    std::string BuildGridWhere();
    void ClearBlankValues();
    TRecordInfoList* RecordInfos() const { return infos_.get(); }

    // ---- advanced and body pages ----
    void BuildHeadFieldLists();
    void BuildBodyFieldLists();
    void SetupValueEditor();
    void SetupBodyValueEditor();
    // The message line n of the dialog's language text.
    std::string MessageLine(int n) const;

    // ---- event handlers ----
    void FormCreate(plat::TObject* sender);
    void FormShow(plat::TObject* sender);
    void FormActivate(plat::TObject* sender);
    void BBOKClick(plat::TObject* sender);
    void sg1SelectCell(plat::TObject* sender, int col, int row, bool& canSelect);
    void sg1ComboBoxClick(plat::TObject* sender);
    void sg1ValidateEdit(plat::TObject* sender, int col, int row, bool& accept);
    void sg1KeyDown(plat::TObject* sender, uint16_t& key, plat::TShiftState shift);
    void sg1KeyPress(plat::TObject* sender, char32_t& key);
    void sg1CalcCellColors(plat::TObject* sender, int col, int row, plat::TRect rect,
                           plat::TGridDrawState state, plat::TFont* font, plat::TBrush* brush);
    void cbTopRowKeyPress(plat::TObject* sender, char32_t& key);
    void ExtPageControl1Change(plat::TObject* sender);
    void BbAssignClick(plat::TObject* sender);
    void BbAssign2Click(plat::TObject* sender);
    void BBClearClick(plat::TObject* sender);
    void BBClear2Click(plat::TObject* sender);
    void Memo1Change(plat::TObject* sender);
    void Memo2Change(plat::TObject* sender);
    void cboFieldChange(plat::TObject* sender);
    void cboField2Change(plat::TObject* sender);
    void chkBodyClick(plat::TObject* sender);
    void ListBox1DblClick(plat::TObject* sender);
    void ListBox2DblClick(plat::TObject* sender);
    // Only the sort list's own items are dropped on it.
    void ListBox2DragOver(plat::TObject* sender, plat::TObject* source, int x, int y,
                          plat::TDragState state, bool& accept);
    void ListBox2DragDrop(plat::TObject* sender, plat::TObject* source, int x, int y);
    // A hint window with the whole text of an item wider than the list,
    // freed on another item, over the page and when the dialog closes.
    void ListBox1MouseMove(plat::TObject* sender, plat::TShiftState shift, int x, int y);
    void TabSheet2MouseMove(plat::TObject* sender, plat::TShiftState shift, int x, int y);
    // The field combos' items with their tabs expanded, 3 pixels in.
    void cboFieldDrawItem(plat::TObject* sender, int index, plat::TRect rect,
                          plat::TOwnerDrawState state);
    // The sort lists' hint window (null when none shows) and its item.
    plat::THintWindow* SortHint() const;
    int SortHintIndex() const;
    void sg1MouseDown(plat::TObject* sender, plat::TMouseButton button, plat::TShiftState shift,
                      int x, int y);
    void ForFloatKeyPress(plat::TObject* sender, char32_t& key);
    void DateFieldDBComboDlgExit(plat::TObject* sender);
    void btnInsertClick(plat::TObject* sender);
    void btnOpenClick(plat::TObject* sender);
    void btnDeleteClick(plat::TObject* sender);
    void lstConditionEdited(plat::TObject* sender, plat::TListItem* item, std::string& text);
    void ToolButton1Click(plat::TObject* sender);
    void ViewIconExecute(plat::TObject* sender);
    void ViewSmallIconExecute(plat::TObject* sender);
    void ViewListExecute(plat::TObject* sender);
    void ViewReportExecute(plat::TObject* sender);

  private:
    void DoHide() override;
    struct Impl;
    IQBEOwner* owner() const;
    TdmRadical* dataModule() const;
    TBrokers* broker() const;
    void showLine(int n, const std::string& extra = "");
    TQBEMask maskOf(plat::TField* field) const;
    bool isYearField(plat::TField* field) const;
    TRecordInfo* rowInfo(int row) const;
    // The value cell of a row follows the row's field.
    void pickField(int row);
    std::string rowCondition(const std::string& caption, const std::string& opCaption,
                             const std::string& value, const std::string& connector);
    int dataRows() const;
    void appendRow();
    std::vector<TQBESortItem> sortItems();
    static std::vector<std::string> keyList(const std::string& keys);
    void setupEditor(plat::TDataSet* ds, const std::vector<std::string>& names, int index,
                     TwwClientDataSet* cds, plat::TDBComboBox* combo, TFDbCheckBox* check);
    void addTerm(bool body);
    plat::Variant callServer(const std::string& name, std::vector<plat::Variant> args);
    std::string toDB(const std::string& text) const;
    bool findScheme(const std::string& caption);
    void setViewStyle(plat::TViewStyle style, plat::TMenuItem* item);
    std::string orderText_;
    std::unique_ptr<TRecordInfoList> infos_;
    std::unique_ptr<Impl> d_;
};

}  // namespace ktrb
