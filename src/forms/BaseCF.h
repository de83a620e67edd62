// TfrmBase: the common frame of every document form. It adds the tool bar,
// the main menu, the status bar and the find-in-grid dialog, the form mode
// (browse, edit, add), the per-action rights flags and the rule that enables
// each button and menu item; the record actions as overridable operations;
// required fields, field locks by rights, per-record rights by creator and
// group, the colour data of the main query, grid layouts, the document
// viewer and the F11 character input.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "forms/RadicalCF.h"

namespace plat {
class TDataSet;
class TClientDataSet;
class TCustomDataGrid;
class TStatusBar;
class TToolBar;
class TToolButton;
class TMainMenu;
class TMenuItem;
class TImageList;
class TCustomImageList;
}  // namespace plat

namespace ktrb {

class TdmBase;
class TMT_Doc;
class TQBEForm;
class TqvSearchDialog;
class TQvUserIntl;
class TfrmSearchDlg;

// Which way a field lock list is applied.
enum class TFieldLockKind { ReadOnly, Disabled };

class TfrmBase : public TfrmRadical {
    PLAT_CLASS(TfrmBase, TfrmRadical)
  public:
    explicit TfrmBase(plat::TComponent* owner);
    ~TfrmBase() override;

    // ---- designed components ----
    plat::TStatusBar* Status = nullptr;
    plat::TToolBar* ToolBar1 = nullptr;
    plat::TToolButton *btnAdd = nullptr, *btnQuery = nullptr, *btnEdit = nullptr,
                      *btnDelete = nullptr, *btnPrint = nullptr, *ToolButton6 = nullptr,
                      *btnFirst = nullptr, *btnPrior = nullptr, *btnNext = nullptr,
                      *btnLast = nullptr, *btnReFresh = nullptr, *ToolButton12 = nullptr;
    plat::TImageList* ImageList1 = nullptr;
    plat::TMainMenu* MainMenu = nullptr;
    plat::TMenuItem *MenuItem1 = nullptr, *miAdd = nullptr, *miQuery = nullptr, *miEdit = nullptr,
                    *miDelete = nullptr, *miViewItem = nullptr, *N1 = nullptr, *miFirst = nullptr,
                    *miPrior = nullptr, *miNext = nullptr, *miLast = nullptr, *N3 = nullptr,
                    *NG = nullptr;
    plat::TMenuItem *MenuItem11 = nullptr, *miToolBar = nullptr, *miManager = nullptr,
                    *N4 = nullptr, *mnSearch = nullptr;
    plat::TMenuItem *MenuItem3 = nullptr, *miExit = nullptr;
    TqvSearchDialog* qvSearchDialog1 = nullptr;
    TQvUserIntl* QvUserIntl1 = nullptr;

    // ---- fields ----
    bool AddAllowed = false, QueryAllowed = false, EditAllowed = false, DeleteAllowed = false,
         ConfirmAllowed = false, UnconfirmAllowed = false, PrintAllowed = false,
         SignOffAllowed = false, VoidAllowed = false;
    bool LookupRightA = false, LookupRightB = false, LookupRightC = false, LookupRightD = false,
         Right44 = false;
    bool OpenedByKeys = false;
    bool SaveTried = false;
    // Read by the print step of the descendant forms.
    bool PrintPending = false;
    std::string F11Fields;
    TQBEForm* QueryDialog = nullptr;
    plat::Variant KeyValues;
    std::string RequiredFields;
    std::string PriceFieldList, AmountFieldList;
    std::string Sys024FieldListA, Sys024FieldListB;
    bool UseItemDocuments = false;
    bool FocusPageOne = true, KeepOnAdd = true;
    std::string MainWhere, MainOrder;
    // The query the list held before an add emptied it ("1=2").
    std::string ListWhere = "1=2", ListOrder;

    // The data module as the base module (null while none is set).
    TdmBase* BaseModule() const;
    // The module's cdsMain (null while no base module is set).
    plat::TClientDataSet* MainDataSet() const;

    // ---- mode ----
    TFormMode FormMode() const override { return formMode_; }
    void SetFormMode(uint8_t mode);
    uint8_t FormModeValue() const { return static_cast<uint8_t>(formMode_); }

    // ---- virtual operations ----
    virtual bool AddRecord(bool ask);
    virtual bool EditRecord();
    virtual bool DeleteRecord(bool ask);
    virtual bool QueryRecords() { return true; }
    virtual bool PrintDocument() { return true; }
    virtual bool SaveDocument() = 0;
    virtual bool CancelEdit(bool ask);
    virtual bool CloseForm();
    virtual bool ViewDocument();
    virtual void ApplyRights();
    virtual void RefreshData();
    virtual bool KeepEditOnDecline() { return false; }
    bool ValidateRequiredFields(plat::TDataSet* dataSet) override;
    virtual void ShowStateText(uint8_t state);
    void ApplyRecordRights(plat::TDataSet* dataSet) override;
    virtual void SaveGridLayouts();
    virtual void LoadGridLayouts();
    virtual void HighlightGridColumns() {}
    virtual void AdjustQueryCondition(const std::string& condition, std::string& result) {
        result = condition;
    }
    virtual bool RefreshMainColors(const std::string& condition, const std::string& order);
    bool RefreshMainColors() override { return RefreshMainColors(MainWhere, MainOrder); }
    bool RefreshCurrentRecordColors() override;
    virtual void RefreshDetailColors() {}

    // ---- overrides of the root form ----
    void HandleF2Key(uint16_t& key, plat::TWinControl* control) override;
    void HandleF3Key(uint16_t& key, plat::TWinControl* control) override;
    void HandleF4Key(uint16_t& key, plat::TWinControl* control) override;
    void HandleF11Key(uint16_t& key, plat::TWinControl* control) override;
    void PrepareOnShow() override;
    void SpareHook() override { TfrmRadical::SpareHook(); }
    void ApplyControlSettings() override;
    void InitializeAfterConnect() override;
    void InitFormSettings() override;
    void LoadRequiredControls() override;
    void UpdateButtons() override;
    void GetHelpContext(const std::string& topic, std::string& context) override;

    // ---- required fields, field settings ----
    bool CheckRequiredFields(plat::TDataSet* dataSet, const std::string& list);
    void SetRequiredFields(const std::string& list);
    void AddRequiredFields(const std::string& list);
    void RemoveRequiredFields(const std::string& list);
    void ApplyFieldLockList(const std::string& list, TFieldLockKind kind);
    bool ReadUserSettingFlag(const std::string& group, const std::string& name, bool def);
    TMT_Doc* GetUserSettings();

    // ---- data ----
    virtual void OpenDataSet(plat::TClientDataSet* dataSet, const std::string& where,
                             const std::string& orderBy);
    static std::string QualifyField(const std::string& table, const std::string& field);
    void ApplyGridColumns(plat::TCustomDataGrid* grid);
    void ShowF11Input(plat::TWinControl* control);

    // ---- event handlers ----
    void FormCreate(plat::TObject* sender) override;
    void FormShow(plat::TObject* sender) override;
    void FormKeyDown(plat::TObject* sender, uint16_t& key, plat::TShiftState shift) override;
    void FormClose(plat::TObject* sender, ktrb::TCloseAction& action) override;
    virtual void FormActivate(plat::TObject* sender) {}
    virtual void FormCloseQuery(plat::TObject* sender, bool& canClose);
    void miAddClick(plat::TObject* sender);
    void miQueryClick(plat::TObject* sender);
    void miEditClick(plat::TObject* sender);
    void miDeleteClick(plat::TObject* sender);
    void miViewItemClick(plat::TObject* sender);
    void miFirstClick(plat::TObject* sender);
    void miPriorClick(plat::TObject* sender);
    void miNextClick(plat::TObject* sender);
    void miLastClick(plat::TObject* sender);
    void NGClick(plat::TObject* sender);
    void MenuItem11Click(plat::TObject* sender);
    void miToolBarClick(plat::TObject* sender);
    void miManagerClick(plat::TObject* sender);
    void mnSearchClick(plat::TObject* sender);
    void miExitClick(plat::TObject* sender);
    void DateFieldDBComboDlgExit(plat::TObject* sender);
    void qvSearchDialog1SelectField(TfrmSearchDlg* dialog, const std::string& fieldName,
                                    const std::string& displayName);
    void qvSearchDialog1BeforeSearch(TfrmSearchDlg* dialog);
    void qvSearchDialog1AfterSearch(TfrmSearchDlg* dialog, bool& found);
    void qvSearchDialog1InitDialog(TfrmSearchDlg* dialog);

    // ---- IDataModuleOwner ----
    void SetStatusPanelText(int panel, const std::string& text) override;
    // The status panels grow to their texts in the interface's language.
    void ApplyScreenLanguage() override;
    // The free panel (1) takes what the others leave of the form's width, so
    // that the last one is never pushed past the edge.
    void ShareStatusRoom();

  private:
    // A status panel as wide as its text needs, at least its own width.
    void fitStatusPanel(int panel);
    // Every data-aware control not being typed into shows its field again,
    // in the number formats set since it last did.
    void reloadDataControls();
    TFormMode formMode_ = TFormMode::Browse;
    std::unique_ptr<TMT_Doc> userSettings_;
    plat::TCustomDataGrid* searchGrid_ = nullptr;
};

}  // namespace ktrb
