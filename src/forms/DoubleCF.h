// TfrmDouble: the form of every header/body document (a head record with
// its lines). It adds to the single-table form the body page with the line
// grid, the save of head and lines as one apply, the document status
// (confirm and unconfirm through the transaction server, void and restore
// written by the form) with its stamp and buttons, batch confirm, the
// message-centre link, the export of the lines, copying a document, the
// user-defined line columns and the rules that derive line values from the
// head.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "dataframe/DoubleCD.h"
#include "forms/DoubleTxn.h"
#include "forms/QvCopy.h"
#include "forms/SingleCF.h"
#include "runtime/MemoryStream.h"

namespace plat {
class TImage;
class TSplitter;
class TBitmap;
class TStringList;
}  // namespace plat

namespace ktrb {

class TQVConfirmDateForm;

// Whether a document without lines may be saved (the program master's rule).
enum class TEmptyBodyRule : uint8_t { Allow = 0, Ask = 1, Refuse = 2, AllowZ = 3 };

// The approval-status XML of the outside sign-off system as rows of ten
// values followed by one empty element; false (rows unassigned) with the
// error number and text when the reply reports an error, or with an empty
// number and the opening tag as the text when an element is never closed.
bool ParseApproveInfo(const std::string& reply, plat::Variant& rows, std::string& errorNumber,
                      std::string& errorText);
// Cuts the first element of the name out of text; value is its content.
bool TakeXmlElement(const std::string& name, std::string& text, std::string& value);

class TfrmDouble : public TfrmSingle, public IDoubleModuleOwner, public ICopyDialogOwner {
    PLAT_CLASS(TfrmDouble, TfrmSingle)
  public:
    explicit TfrmDouble(plat::TComponent* owner);
    ~TfrmDouble() override;

    // ---- designed components ----
    plat::TPanel* pnlFoot = nullptr;
    TExtPageControl* pgBody = nullptr;
    plat::TTabSheet* tbsBody1 = nullptr;
    plat::TToolButton *btnConfirm = nullptr, *btnUnConfirm = nullptr, *btnInvalid = nullptr;
    plat::TMenuItem *N2 = nullptr, *miConfirm = nullptr, *miUnConfirm = nullptr,
                    *miInvalid = nullptr;
    plat::TToolButton* btnFlow = nullptr;
    plat::TImage* ImgConfirm = nullptr;
    TFDBGrid* gdBody1 = nullptr;
    plat::TPopupMenu* DropDownPopupMenu = nullptr;
    plat::TMenuItem *QVPager = nullptr, *Attach = nullptr, *mnuCopy = nullptr;
    plat::TToolButton *btnAttach = nullptr, *btnSorvanta = nullptr, *btnSepSorvanta = nullptr;
    plat::TMenuItem *miBBConfirm = nullptr, *miBBCancelConfirm = nullptr;
    plat::TSplitter* sprBody = nullptr;
    plat::TPopupMenu* popSorvanta = nullptr;
    plat::TMenuItem *miGoConfirm = nullptr, *miGoUnConfirm = nullptr, *miGoInvalid = nullptr,
                    *miSeprator = nullptr, *miViewSorvanta = nullptr, *miSeprator2 = nullptr,
                    *mConfirmErp = nullptr, *mUpdateConfirm = nullptr;
    plat::TMenuItem *miBodyToExcel = nullptr, *miBodyToExcel2 = nullptr;

    // ---- form state ----
    std::string NumberBeforeSave;
    bool CloseAfterSave = false;
    // 1: confirm right after a document was added (2: off).
    uint8_t AutoConfirmAfterAdd = 2;
    uint8_t PrintAfterSave = 0;
    bool DirectPrint = false;
    bool ClosingDateCheck = false;
    plat::TDateTime ClosingDate = 0;
    TEmptyBodyRule EmptyBodyRule = TEmptyBodyRule::Allow;
    // "N"; "Y" or "C" when a saved document goes to sign-off.
    std::string ConfirmAfterSave = "N";
    bool NewDocument = true;
    bool Unsaved = false;
    int HeadPageHeight = 0;
    // The browse page's height, taken when the required fields are loaded.
    int BrowsePageHeight = 0;
    plat::TStringList* DocTypes = nullptr;
    plat::TStringList* DocTypeSettings = nullptr;
    std::string CopyRuleKind = "F01";
    bool PendingHeadChange = false;
    std::string PendingTargets;
    // A batch confirm is running.
    bool BatchRunning = false;
    // Form flag set with the form settings (kept for the descendants).
    bool ExtraFlag = false;
    // Key controls whose texts the status bar shows (names; up to five).
    std::vector<std::string> KeyControlNames;
    // Required line fields named by the concrete form ("TI004,TI007").
    std::string BodyRequiredFields;

    TdmDouble* DoubleModule() const;
    TStatusChange CurrentStatusChange() const { return statusKind_; }
    const std::string& ConfirmFieldName() const { return confirmField_; }
    const std::string& BodyConfirmFieldName() const { return bodyConfirmField_; }
    const std::string& DateFieldName() const { return dateField_; }
    const std::string& SignOffFieldName() const { return signOffField_; }
    void SetConfirmFieldName(const std::string& name);
    void SetBodyConfirmFieldName(const std::string& name);
    void SetDateFieldName(const std::string& name);
    void SetSignOffFieldName(const std::string& name);
    // The stamp bitmap shown now (null: none).
    const plat::TBitmap* Stamp() const { return stamp_; }

    // ---- overrides ----
    void HandleF2Key(uint16_t& key, plat::TWinControl* control) override;
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
    bool PrintDocument() override;
    bool SaveDocument() override;
    bool CancelEdit(bool ask) override;
    void RefreshData() override;
    bool ValidateRequiredFields(plat::TDataSet* dataSet) override;
    void ShowStateText(uint8_t state) override;
    void RefreshDetailColors() override;
    void pgHeadChange(plat::TObject* sender) override;
    plat::TField* FindTableField(const std::string& tableName,
                                 const std::string& fieldName) override;
    void RequireComboFields() override;
    void UpdateBatchMenu() override;
    void ApplyUDFRelations(plat::TField* field) override;
    plat::TField* FindQualifiedField(const std::string& text) override;
    void ApplyColorConditions() override;
    void SetupQueryDialog() override;
    void ApplySavedCondition(plat::TObject* item) override;
    void OpenDataSet(plat::TClientDataSet* dataSet, const std::string& where,
                     const std::string& orderBy) override;
    void SetupColorComponents(const std::string& xmlText) override;

    // ---- new virtual operations ----
    virtual void LoadDocTypeSettings();
    virtual void LoadSignOffDocTypeSettings();
    virtual void ShowApproveOpinion();
    virtual void CopyDocument();
    virtual bool ChangeDocStatus(uint8_t kind, bool askDate);
    virtual void AfterReadCopySource() {}
    virtual void AfterCopyHead() {}
    virtual void BeforeCopyBodyRow() {}
    virtual void AfterTransactionSucceeded(uint8_t kind, const plat::Variant& request,
                                           const plat::Variant& result) {}
    virtual void AfterTransactionFailed(uint8_t kind, const plat::Variant& request,
                                        const plat::Variant& result) {}
    virtual bool ExecuteStatusTransaction(plat::Variant& request, plat::Variant& result,
                                          bool askDate);
    virtual bool RunConfirmTransaction(plat::Variant& request, plat::Variant& result, bool askDate);
    virtual bool GetTransactionTarget(plat::Variant& target);
    virtual bool CanConfirmDocument(const std::string& dateText) { return true; }
    virtual bool BuildConfirmRequest(uint8_t kind, bool askDate, plat::Variant& target,
                                     plat::Variant& request);
    virtual bool NotAutoConfirmingNew();
    virtual bool BuildDocumentKeyArray(plat::Variant& a, plat::Variant& b);
    virtual bool CheckStatusChange(uint8_t kind) { return true; }
    virtual void SpareDoubleHook() {}
    virtual void GetHeadCopyValue(plat::TField* field, plat::Variant& value);
    virtual void GetBodyCopyValue(plat::TField* field, plat::Variant& value);
    virtual void GetTxnServerClass(std::string& text) { text = kTxnServerClass; }
    virtual void GetTxnProgramID(std::string& text);
    virtual void UpdateSignOffButtons();
    // The urgency and person of a sign-off job ([urgency, person]); false
    // when the user cancels.
    virtual bool AskSignOffInfo(plat::Variant& value);
    // Opens the sign-off status window with the approval rows.
    virtual void ShowSignOffStatus(const plat::Variant& rows);
    virtual void AfterSaveApplied() {}
    // Further overridable operations.
    virtual bool ShowCopyDialog(plat::Variant& extras, plat::Variant& bodyRows,
                                plat::Variant& headValues);
    virtual bool ApplyCopyRowExtra(const plat::Variant& extra) { return false; }
    virtual void GetCopyRowExtra(plat::Variant& extra) { extra = plat::Variant(); }
    virtual void ShowKeyInStatusBar() override;
    virtual void PlaceStatusStamp();
    // The editors of the visible user-defined line columns, as the user's
    // grid settings ask ("ControlType"): a combo box of the set items, or a
    // dialog combo whose button runs the F2 look-up; made once. True when
    // one was made.
    bool SetupBodyUDFEditors();

    // ---- sign-off ----
    bool CanSendForSignOff(uint8_t kind);
    void SendForSignOff(uint8_t kind);
    bool IsSignOffJobQueued();
    // The job's print images: the host prints the document into the user's
    // image folder (`names`: that folder + the document's image name), then
    // the files are gathered into the stream with their sizes. Raise on
    // failure.
    void CreateSignOffImages(const std::string& userId, const std::string& company,
                             std::string& names, const std::string& voucherFormat,
                             const std::string& keyText, const std::string& reportProgram);
    void CollectSignOffImages(const std::string& names, std::string& sizes, bool deleteFiles,
                              TMemoryStream& stream);
    // Names and values of the sign-off fields of the last document sent.
    plat::Variant SignOffFields;
    // The approval-opinion request last sent.
    std::string LastOpinionRequest;

    // ---- further operations ----
    bool HasFinalStatus();
    bool IsAfterClosingDate();
    void ApplyHeadFieldsToBody();
    void ReopenSavedDocument();
    // Opens the query (condition and order as the list had them) together with
    // the saved document, and shows that document; number: its number when
    // the server numbered it anew.
    void ReopenQueryWithDocument(const std::string& queryWhere, const std::string& queryOrder,
                                 const std::string& number);
    // The head key condition of the current record, fields qualified with
    // the head table ("M11_TABLE"); the number field takes `number` when set.
    std::string HeadKeyCondition(const std::string& number = "");
    void UpdateStatusButtons();
    // Shows a transaction's result; a coded "E" message ends the calling
    // action with the silent abort.
    void ShowTransactionResult(const plat::Variant& result, bool succeeded);
    // Confirms (3) or unconfirms (2) every selected document of the browse
    // grid; the summary message counts what happened.
    void RunBatchStatusChange(uint8_t kind);
    // The batch variant of ChangeDocStatus; `answer` is the modal result of
    // a question asked.
    bool BatchChangeDocStatus(uint8_t kind, bool askOnError, int& answer);
    int ShowBatchResult(const plat::Variant& result, bool succeeded);
    bool SendMessageCentreLink();
    bool ReadCopySource(const std::vector<std::string>& sourceKeys, plat::Variant& headValues,
                        plat::Variant& extras, plat::Variant& bodyRows) override;
    void CopyDialogF2Key(uint16_t& key, plat::TWinControl* control) override {
        HandleF2Key(key, control);
    }
    // The confirm-date dialog, made on first use and kept.
    TQVConfirmDateForm* ConfirmDateDialog();

    // ---- IDoubleModuleOwner ----
    void CopyHeadValuesToBody() override;
    bool HeadPageShown() const override;
    bool BodyPageVisible() const override;

    // ---- event handlers ----
    void FormCreate(plat::TObject* sender) override;
    void FormShow(plat::TObject* sender) override;
    void FormKeyDown(plat::TObject* sender, uint16_t& key, plat::TShiftState shift) override;
    void FormKeyPress(plat::TObject* sender, char32_t& key) override;
    void FormDestroy(plat::TObject* sender) override;
    void miConfirmClick(plat::TObject* sender);
    void miUnConfirmClick(plat::TObject* sender);
    void miInvalidClick(plat::TObject* sender);
    void miBBConfirmClick(plat::TObject* sender);
    void miBBCancelConfirmClick(plat::TObject* sender);
    void QVPagerClick(plat::TObject* sender);
    void miBodyToExcelClick(plat::TObject* sender);
    void miBodyToExcel2Click(plat::TObject* sender);
    void mnuCopyClick(plat::TObject* sender);
    void btnReFreshClick(plat::TObject* sender);
    void btnAttachClick(plat::TObject* sender);
    void gdBody1TitleButtonClick(plat::TObject* sender, const std::string& fieldName);
    void gdBody1CalcTitleImage(plat::TObject* sender, plat::TField* field, int& image);
    void gdBody1CalcCellColors(plat::TObject* sender, plat::TField* field,
                               plat::TGridDrawState state, bool highlight, plat::TFont* font,
                               plat::TBrush* brush);
    void gdBody1CalcTitleAttributes(plat::TObject* sender, plat::TField* field, plat::TFont* font,
                                    plat::TBrush* brush, plat::TAlignment& alignment);
    TColorComponents* BodyColors() const { return bodyColors_.get(); }
    void gdBody1KeyDown(plat::TObject* sender, uint16_t& key, plat::TShiftState shift);
    void gdBody1KeyUp(plat::TObject* sender, uint16_t& key, plat::TShiftState shift);
    void gdBody1MouseMove(plat::TObject* sender, plat::TShiftState shift, int x, int y);
    void gdBody1MouseDown(plat::TObject* sender, plat::TMouseButton button, plat::TShiftState shift,
                          int x, int y);
    void gdBody1MouseUp(plat::TObject* sender, plat::TMouseButton button, plat::TShiftState shift,
                        int x, int y);
    void miOpenDravocClick(plat::TObject* sender);
    void miOpenF3WindowClick(plat::TObject* sender);
    void miOpenF4WindowClick(plat::TObject* sender);
    void gdBody1Enter(plat::TObject* sender);
    void gdBody1Exit(plat::TObject* sender);
    void BodyCustomDlg(plat::TObject* sender);
    void btnSorvantaClick(plat::TObject* sender);
    void miGoConfirmClick(plat::TObject* sender);
    void miGoUnConfirmClick(plat::TObject* sender);
    void miGoInvalidClick(plat::TObject* sender);
    void miViewSorvantaClick(plat::TObject* sender);
    void mConfirmErpClick(plat::TObject* sender);
    void mUpdateConfirmClick(plat::TObject* sender);

  private:
    void createDesign();
    void showCountCaption(const std::string& text);
    bool focusBodyGrid();
    // The control the look-up popup was shown for.
    plat::TWinControl* popupControl() const;
    plat::TField* headField(const std::string& name) const;
    std::vector<std::string> headKeyTexts(bool useServerNumber);
    std::string quotedKeyTerm(plat::TField* field, const std::string& table,
                              const std::string& value);
    bool checkBodyRecords();
    void restoreAfterRefusedSave();
    bool writeVoidStatus(uint8_t kind);
    void showStamp(const char* name);
    void setActionButtons(int action, bool on);
    plat::TBitmap* stampBitmap(const char* name);
    void setAttachImage();
    void writeSignOffStatus(const std::string& status);

    // The first of the form's own glyphs in the tool bar's image list.
    int glyphBase_ = -1;
    TStatusChange statusKind_ = TStatusChange::Confirm;
    std::string confirmField_, bodyConfirmField_, dateField_, signOffField_;
    plat::Variant txnServer_;
    TQVConfirmDateForm* confirmDialog_ = nullptr;
    std::unique_ptr<plat::TBitmap> stampConfirm_, stampInvalid_, stampNoGood_;
    const plat::TBitmap* stamp_ = nullptr;
    std::unique_ptr<TUDFFields> bodyRules_;
    std::unique_ptr<TColorComponents> bodyColors_;
    static std::string bodyKeyNames(const std::string& keyList);
    // Puts the head colour rows on the current document; false when it has none.
    bool locateHeadColorRow(TdmDouble* dm);
    void applyCopyRules(plat::TDataSet* dataSet, const std::string& ruleCode,
                        const plat::Variant& sourceKeys);
    plat::Variant copySourceHeadKeys_;
    std::vector<plat::Variant> copySourceLineKeys_;
};

}  // namespace ktrb
