// TfrmSingle: the document form with one head record per document. It adds
// to the base form the head pages with the browse page last, the browse
// grid, save and cancel, the rules that tie the form mode to pages, buttons
// and key controls, the keyboard rules for pages and saving; the query with
// saved schemes and the record limit; document numbering, user-defined
// fields and drill-down links; attachments, print formats, colour
// conditions, export, batch printing, the calculator and the import of
// documents from XML.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "dataframe/SingleCD.h"
#include "forms/BaseCF.h"
#include "forms/OptionsCF.h"
#include "platform/ui/dbgrids.h"
#include "query/QvQBE.h"

namespace plat {
class TPanel;
class TTabSheet;
class TPopupMenu;
class TField;
class TControl;
class TCanvas;
class TFont;
class TBrush;
}  // namespace plat

namespace ktrb {

class TExtPageControl;
class TFDBGrid;
class TColorComponents;
class TColorConditions;
class TColorQBEForm;
class TUDFFields;
class TUDFField;

// The query-by-example dialog as the single-table form drives it: one per
// form, made on first use and kept for the form's life.
class IQueryDialog {
  public:
    virtual ~IQueryDialog() = default;
    virtual void Prepare(plat::TClientDataSet* dataSet, const std::string& tableName,
                         bool hideTopRows, const std::string& defaultSort,
                         const std::string& keyList) = 0;
    // True on OK, with the WHERE and ORDER BY texts.
    virtual bool Execute(std::string& where, std::string& orderBy) = 0;
    // The texts of the dialog's current state, without showing it.
    virtual void GetCondition(std::string& where, std::string& orderBy) = 0;
    virtual void LoadScheme(int page, const std::string& scheme) = 0;
    virtual void SetTopRowCount(int count) = 0;
    virtual int GetTopRowCount() = 0;
    virtual std::string GetWhereText() = 0;
    virtual std::string GetOrderText() = 0;
};

// The open modes the host gives before the form shows.
enum class TOpenMode : uint8_t {
    Add = 1,
    Edit = 3,
    Print = 5,
    AddWithKeys = 7,
    EditByKeys = 8,
    NoUdfHints = 10,
    ImportXml = 11,
};

// The numbering validator's and the data module's texts of a failed number.
inline constexpr const char* kNumberUnknown = "unknown";
inline constexpr const char* kNumberUnknownHost = "unKnow";

class TfrmSingle : public TfrmBase,
                   public ISingleModuleOwner,
                   public IOptionsOwner,
                   public IDialogOwnerForm,
                   public IQBEOwner {
    PLAT_CLASS(TfrmSingle, TfrmBase)
  public:
    explicit TfrmSingle(plat::TComponent* owner);
    ~TfrmSingle() override;

    // ---- designed components ----
    plat::TPanel* pnlHead = nullptr;
    TExtPageControl* pgHead = nullptr;
    plat::TTabSheet *tbsHead1 = nullptr, *tbsUDF = nullptr, *tbsBrowse = nullptr;
    TFDBGrid* gdHead = nullptr;
    plat::TToolButton *btnOK = nullptr, *btnCancel = nullptr;
    // Made at creation, after the base tool bar's separator.
    plat::TToolButton *btnColorQuery = nullptr, *btnCalc = nullptr;
    plat::TMenuItem *miOK = nullptr, *miCancel = nullptr, *miPreview = nullptr, *miPrint = nullptr,
                    *miVoucherFormats = nullptr, *miExport = nullptr, *miTable2Excel = nullptr,
                    *miTable2Excel2 = nullptr, *P1 = nullptr, *miBBPrint = nullptr,
                    *miBBSelectAll = nullptr, *miBBUnSelectAll = nullptr, *miTools = nullptr,
                    *miCacl = nullptr, *miOptions = nullptr;
    plat::TPopupMenu *popPrint = nullptr, *mnCondition = nullptr, *pmColorCondition = nullptr,
                     *pmMultiSelect = nullptr, *pmLookup = nullptr;
    plat::TMenuItem *miDirectPrint = nullptr, *miPriewPrint = nullptr,
                    *miVoucherFormatsPrint = nullptr, *miSelectAll = nullptr,
                    *miUnSelectAll = nullptr, *miOpenDravoc = nullptr, *miOpenF3Window = nullptr,
                    *miOpenF4Window = nullptr;

    // ---- state ----
    // Set by AddRecordWithKeys / EditRecordByKeys: a save closes the form.
    bool ExternalStart = false;
    bool SaveFailed = false;
    bool ColorManage = false;
    bool FastInputEnabled = true;
    // Set by the concrete form.
    bool AttachmentsEnabled = false;
    // Focused after AddRecord / EditRecord when they can take the focus.
    plat::TWinControl* FirstAddControl = nullptr;
    plat::TWinControl* FirstEditControl = nullptr;
    // The field whose value keys the print-format default; empty: the first
    // key field.
    std::string VoucherFormatKeyField;
    // The number the server gave at the last save (kept by the header/body
    // form).
    std::string ServerNumber;
    // Set while printing, for the preview.
    bool PreviewPrint = false;
    bool ImportDone = false;
    bool InitialOpenDone = false;
    plat::TStringList PageLastControls;
    std::string LastControl;
    plat::TStringList AttachmentKeys;
    std::string LastAttachmentKey;
    // "\x03"-separated fields of the drill-down links.
    std::string LinkFields;
    bool LinkActive = false;

    TdmSingle* SingleModule() const;
    IQueryDialog* QueryBox() const { return queryBox_.get(); }
    TColorComponents* HeadColors() const { return headColors_.get(); }
    TColorConditions* GridColorConditions() const { return gridConditions_; }
    TUDFFields* FieldRules() const { return fieldRules_.get(); }

    // ---- virtual operations (overrides) ----
    void HandleF2Key(uint16_t& key, plat::TWinControl* control) override;
    void PrepareOnShow() override;
    void SpareHook() override { TfrmBase::SpareHook(); }
    void ApplyControlSettings() override;
    void InitializeAfterConnect() override;
    void InitFormSettings() override;
    void LoadRequiredControls() override;
    void SetupUDFControls() override;
    void UpdateButtons() override;
    bool AddRecord(bool flag) override;
    bool EditRecord() override;
    bool DeleteRecord(bool ask) override;
    bool QueryRecords() override;
    bool SaveDocument() override;
    bool CancelEdit(bool ask) override;
    bool KeepEditOnDecline() override { return false; }
    bool ValidateRequiredFields(plat::TDataSet* dataSet) override;
    // The installation's client folder: the exports write under it.
    std::string ClientFolder() const override { return clientFolder(); }
    void ShowStateText(uint8_t state) override;
    void HighlightGridColumns() override;

    // ---- virtual operations (new) ----
    virtual void pgHeadChange(plat::TObject* sender);
    virtual plat::TField* FindTableField(const std::string& tableName,
                                         const std::string& fieldName);
    virtual void ShowAttachments();
    virtual bool HasAttachments();
    virtual void LoadAttachmentKeys();
    virtual void RequireComboFields();
    virtual void UpdateBatchMenu();
    virtual void QueryUDFRelatedValue(TUDFField* rule, const plat::TStringList* values,
                                      std::string& text);
    virtual void ApplyUDFRelations(plat::TField* field);
    virtual plat::TField* FindQualifiedField(const std::string& text);
    virtual void ApplyColorConditions();
    virtual void SelectColorCondition(plat::TObject* item);
    virtual void SetupQueryDialog() {}
    virtual void AddRecordWithKeys(const plat::Variant& keys);
    virtual void EditRecordByKeys(const plat::Variant& keys);
    virtual int FollowGridLink(plat::TCustomDataGrid* grid, plat::TDataSet* dataSet);
    // Drill-down links of a grid in browse mode, shared by the browse grid and
    // the line grid: over a linked cell the hint shows and, with Ctrl held,
    // the hand cursor arms the link (true when over a link); a left press on
    // an armed link follows it; a release or a key disarms it.
    bool TrackGridLink(plat::TCustomDataGrid* grid, plat::TShiftState shift, int x, int y,
                       bool needValue);
    void FollowArmedLink(plat::TCustomDataGrid* grid, plat::TDataSet* dataSet,
                         plat::TMouseButton button);
    void DisarmGridLink(plat::TCustomDataGrid* grid);
    virtual void ApplySavedCondition(plat::TObject* item);
    virtual plat::Variant GetSignOffFlag(const std::string& program, const std::string& docType);
    virtual plat::Variant GetSignOffOptions(const std::string& docType);
    virtual std::string QueryLinkValues(const std::string& key);
    virtual void GetVoucherFormatKey(std::string& text);
    virtual void LoadVoucherFormats(plat::TMenuItem* item, bool force);
    virtual void ImportDocumentXml(const std::string& xmlText);
    // Further overridable operations.
    virtual void OpenDataSet(plat::TClientDataSet* dataSet, const std::string& where,
                             const std::string& orderBy);
    virtual void SetupColorComponents(const std::string& xmlText);
    // Called by the data module when the document type or date is entered
    // and numbering is automatic; "unknown" when numbering failed.
    virtual void AssignDocumentNumber(std::string& docNo);
    // The query dialog the form uses; the default wraps the query-by-example
    // dialog. Tests install their own.
    virtual std::unique_ptr<IQueryDialog> CreateQueryDialog();

    // ---- further operations ----
    void RebuildConditionMenu() override;
    // The current record's key values joined by "||".
    std::string RecordKeyText(bool useServerNumber);
    // False (after the numbering message) when the number field holds the
    // failed-numbering text: the document must not be saved under it.
    bool CheckDocumentNumber();
    void GetDefaultFormat(const std::string& formatKey, std::string& name);
    void RunCalculator(plat::TWinControl* control);
    void ApplyOptions(TfrmOptions* options);
    void SetUDFHints();
    void BuildLinkFields();
    void LoadFieldRuleCollection(const std::string& ruleCode, const std::string& filter);
    // The F2 look-up of a user-defined field: its settings are those of the
    // edit controlName, or of the field's column in gridName when given.
    void UDFLookup(plat::TDataSet* dataSet, plat::TField* field, const std::string& controlName,
                   const std::string& gridName);
    // Sets the targets of the program's rules of one code in a record of
    // dataSet from given source values (one per rule source, by position),
    // not from the record's own fields. Errors reach the caller.
    void ApplyRuleSet(plat::TDataSet* dataSet, const std::string& ruleCode,
                      const plat::Variant& sourceValues);

    // ---- event handlers ----
    void FormCreate(plat::TObject* sender) override;
    void FormShow(plat::TObject* sender) override;
    void FormKeyDown(plat::TObject* sender, uint16_t& key, plat::TShiftState shift) override;
    void FormKeyPress(plat::TObject* sender, char32_t& key) override;
    void FormClose(plat::TObject* sender, ktrb::TCloseAction& action) override;
    void FormResize(plat::TObject* sender) override;
    void FormDestroy(plat::TObject* sender) override;
    void pgHeadChanging(plat::TObject* sender, bool& allowChange);
    void miOKClick(plat::TObject* sender);
    void miCancelClick(plat::TObject* sender);
    void miPrintClick(plat::TObject* sender);
    void miPreviewClick(plat::TObject* sender);
    void miBBPrintClick(plat::TObject* sender);
    void miBBSelectAllClick(plat::TObject* sender);
    void miBBUnSelectAllClick(plat::TObject* sender);
    void P1Click(plat::TObject* sender);
    void miTable2ExcelClick(plat::TObject* sender);
    void miTable2Excel2Click(plat::TObject* sender);
    void miOptionsClick(plat::TObject* sender);
    void btnCalcClick(plat::TObject* sender);
    void miCaclClick(plat::TObject* sender);
    void btnColorQueryClick(plat::TObject* sender);
    void ColorConditionDrawItem(plat::TObject* sender, plat::TCanvas* canvas, plat::TRect rect,
                                bool selected);
    void MenuItemVoucherFormatClick(plat::TObject* sender);
    void MenuItem1Click(plat::TObject* sender);
    void popPrintPopup(plat::TObject* sender);
    void gdHeadDblClick(plat::TObject* sender);
    void gdHeadTitleButtonClick(plat::TObject* sender, const std::string& fieldName);
    void gdHeadKeyDown(plat::TObject* sender, uint16_t& key, plat::TShiftState shift);
    void gdHeadKeyUp(plat::TObject* sender, uint16_t& key, plat::TShiftState shift);
    void gdHeadColEnter(plat::TObject* sender);
    void gdHeadMouseMove(plat::TObject* sender, plat::TShiftState shift, int x, int y);
    void gdHeadMouseDown(plat::TObject* sender, plat::TMouseButton button, plat::TShiftState shift,
                         int x, int y);
    void gdHeadCalcCellColors(plat::TObject* sender, plat::TField* field,
                              plat::TGridDrawState state, bool highlight, plat::TFont* font,
                              plat::TBrush* brush);
    void gdHeadCalcTitleAttributes(plat::TObject* sender, plat::TField* field, plat::TFont* font,
                                   plat::TBrush* brush, plat::TAlignment& alignment);
    void gdHeadCalcTitleImage(plat::TObject* sender, plat::TField* field, int& image);

    // ---- ISingleModuleOwner ----
    void ClearMainGridSelection() override;
    bool MainGridRecordSelected() const override;
    std::string ProgramIDFromModule() const override;
    void LoadFieldRules(const std::string& programCode, const std::string& ruleCode,
                        const std::string& filter, TUDFFields& rules) override;
    plat::Variant GetKeyValueArray() override;
    std::unique_ptr<IExportProgress> CreateProgressWindow() override;
    // Non-zero while the module must not recolour the header on scroll.
    int ColorHoldValue() const override { return colorHold_; }

    // ---- IOptionsOwner ----
    bool OptionsUserFlag(const std::string& group, const std::string& name, bool def) override {
        return ReadUserSettingFlag(group, name, def);
    }
    int OptionsMoneyDigits() override;

    // ---- IQBEOwner ----
    TBrokers* QBEBroker() override { return Brokers(); }
    TdmRadical* QBEDataModule() override { return DataModule; }
    int QBESqlType() override { return SqlType; }
    std::string QBECompanyDB() override;
    std::vector<std::string> QBEHeadPickList(const std::string& fieldName) override;
    std::vector<std::string> QBEComboItems(const std::string& comboName) override;
    void RenameConditionMenuItem(const std::string& oldCaption,
                                 const std::string& newCaption) override;

    // ---- IDialogOwnerForm ----
    TBrokers* DialogBrokers() override { return Brokers(); }
    int DialogDateFormatType() const override { return DateFormatCode; }
    std::string DialogDateSeparator() const override;
    std::string DialogCaption() const override { return Caption(); }

  protected:
    // Items of a separated list, trimmed, empty ones left out.
    static std::vector<std::string> splitList(const std::string& text, const std::string& sep);
    static std::string escapeQuotes(const std::string& text);
    // The rows of a "SimpleSql" reply (none for anything but an array), and
    // one column of a row as text ("" past its end).
    static std::vector<plat::Variant> replyRows(const plat::Variant& reply);
    static std::string replyCell(const plat::Variant& row, int index);
    // The field a data-aware control or a grid's selected column shows.
    static plat::TField* boundField(plat::TWinControl* control);
    static bool isNumericField(const plat::TField* field);
    static bool isListed(const std::vector<std::string>& names, const plat::TField* field);
    void focusIfPossible(plat::TWinControl* control);
    void prepareQueryDialog();
    void setupColorManagement();
    // A query or a saved scheme run: the record limit, the open, mode 0.
    void runQuery(const std::string& where, const std::string& orderBy, bool adjust);
    plat::Variant simpleSql(const std::string& sql, const std::string& fields);
    void markDefaultFormat(plat::TMenuItem* item);
    // The folder of "UserDef.ini".
    std::string clientFolder() const;
    void endColorManagement();
    void showRowColorHint(int row);

  private:
    std::unique_ptr<IQueryDialog> queryBox_;
    std::vector<std::string> highlightRequired_, highlightKeys_;
    int lastMouseX_ = 0, lastMouseY_ = 0;
    bool creating_ = true;
    int ownFirstImage_ = 0;
    std::unique_ptr<TColorComponents> headColors_;
    TColorConditions* gridConditions_ = nullptr;
    TColorQBEForm* colorDialog_ = nullptr;
    std::unique_ptr<TUDFFields> fieldRules_;
    plat::Variant udfLabels_;
    bool udfLabelsRead_ = false;
    int previousPage_ = 0;
    std::string savedWhere_;
    int colorHold_ = 0;
};

}  // namespace ktrb
