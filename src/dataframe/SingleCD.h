// TdmSingle: the data module of every document form that edits one header
// data set, cdsMain, and the parent of the header/body module. On top of the
// base module it keeps the values that carry over from one added record to
// the next, the automatically numbered key field, the defaults of a new
// header record (a fixed default array, the user's default texts and the
// server-computed field rules), the current record's key as a WHERE text,
// the save with its reconcile-error report, sorting by a clicked column
// title, the browse grid's selection column "MultiSelected", the data-rights
// check of a nested level and the colouring of the header controls.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "dataframe/BaseCD.h"
#include "dataframe/ExportIntf.h"
#include "platform/core/stringlist.h"

namespace ktrb {

class TUDFFields;

// What the single-table module asks of its owner form beyond the owner-form
// interface of the root module. The document forms implement it; each member
// has a neutral answer.
class ISingleModuleOwner {
  public:
    // The user may sort the header grid by a click on a column title.
    virtual bool HeadTitleSortEnabled() const { return true; }
    // The main grid's selection of records.
    virtual void ClearMainGridSelection() {}
    virtual bool MainGridRecordSelected() const { return false; }
    // The program code derived from the module file name.
    virtual std::string ProgramIDFromModule() const { return {}; }
    // The field-assignment rules of a program and rule code; filter "N"
    // keeps rules without source fields, "ALL" every rule.
    virtual void LoadFieldRules(const std::string& programCode, const std::string& ruleCode,
                                const std::string& filter, TUDFFields& rules) {}
    // The current header record's key values (an array).
    virtual plat::Variant GetKeyValueArray() { return {}; }
    // The items of the form's component of that name when it is exactly the
    // grid library's combo box; false otherwise.
    virtual bool ComboBoxItems(const std::string& componentName,
                               std::vector<std::string>& items) const {
        return false;
    }
    // A progress window for a long export, owned by the caller; null shows
    // no progress.
    virtual std::unique_ptr<IExportProgress> CreateProgressWindow() { return nullptr; }

  protected:
    ~ISingleModuleOwner() = default;
};

inline constexpr const char* kMultiSelectedField = "MultiSelected";
// The application server's code for a refused row that another user changed
// or deleted since it was read.
inline constexpr int kRowChangedSinceRead = 2;

class TdmSingle : public TdmBase {
    PLAT_CLASS(TdmSingle, TdmBase)
  public:
    explicit TdmSingle(plat::TComponent* owner);
    ~TdmSingle() override;

    // ---- fields ----
    // The header's last key field is numbered automatically.
    bool AutoNumber = false;
    // "field=remembered text + one blank"; a value of one blank carries nothing yet.
    plat::TStringList KeepFields;
    // The column of the last title-click sort.
    plat::TField* SortField = nullptr;
    plat::TField* MultiSelectedField = nullptr;
    int KeyCount = 0;
    // Empty, or a two-row array: row 0 field names, row 1 values.
    plat::Variant DefaultValues;
    // The order the browse returns to when the sort column is cleared.
    std::string DefaultOrder;
    bool ShowMultiSelected = false;
    // Named by the owner form for its document.
    std::string DocumentDateField;
    std::string DocumentNumberField;
    std::string ItemInputModeField;
    // The document keys of open modes 7 and 8.
    plat::Variant HostKeys;
    // The header's status column ("Y" confirmed, "V" void), named by the owner form.
    std::string DocumentStatusField;
    // The last save was refused because another user changed, confirmed,
    // voided or deleted the document since it was read; the refusal has been
    // shown, with the document's number.
    bool SaveConflicted = false;
    // The document as "key-key" from the header's key fields.
    std::string DocumentKeyText() const;
    // The refusal of a row that changed since it was read, said once per save.
    void ReportSaveConflict(const std::string& storedStatus, bool gone);

    ISingleModuleOwner* SingleOwner() const { return singleOwner_; }

    // ---- virtual operations ----
    void SetDefaultValues() override;
    void SetKeyFields(const std::string& keys) override;
    bool CheckDataRights() override;
    virtual void SetAutoNumberKey(bool on);
    virtual void ApplyDefaultValues();
    virtual void GetKeyFieldName(std::string& text);
    // Copies the header key into the lines; nothing for one header set.
    virtual void ReapplyHeadKeyToBody() {}
    virtual void FetchAllPackets(plat::TClientDataSet* dataSet);
    virtual int GetFieldNumberKind(const std::string& fieldName, int defaultValue);
    virtual void GetComboItemText(plat::TDataSet* dataSet, std::string& text,
                                  const std::string& value, const std::string& fieldName);
    virtual void ApplyDefaultCurrencyFormats();
    bool ApplyData(plat::TClientDataSet* dataSet) override;

    // ---- keep-on-add values ----
    void SetKeepFields(const std::string& fields);
    void ClearKeepValues();
    void StoreKeepValues();
    void RestoreKeepValues();

    // ---- keys ----
    // KeyValues by key position from the header's key fields.
    void StoreKeyValues();
    // "TABLE.KEY = 'value' and ..." of the current record, only while cdsMain
    // is browsing; false with an empty text otherwise.
    bool GetKeyWhereText(std::string& text);

    // ---- browse grid ----
    void SetMultiSelectedVisible(bool show);
    void SortMainByField(const std::string& fieldName);
    // Ordered by IndexFieldNames, or by an index without the descending option.
    bool IsIndexAscending(plat::TClientDataSet* dataSet) const;
    void ApplyRecordColors();

    // Writes each rule's server-computed value into its target field.
    void ApplyFieldRules(plat::TDataSet* dataSet, const TUDFFields& rules);

    // ---- export to a spreadsheet file (ExcelExport.cpp) ----
    // The visible fields of the data set, one row per record, into
    // "<client folder>c_data/<user>/<program>_<time>.xls": through the
    // spreadsheet application with number formats, or written directly.
    // `component` is the form whose combo boxes give the item texts.
    virtual bool ExportToExcel(plat::TDataSet* dataSet, plat::TComponent* component,
                               bool withFormat);
    virtual bool ExportToExcelPlain(plat::TDataSet* dataSet, plat::TComponent* component);
    virtual void ExportToXlsFile(plat::TDataSet* dataSet, plat::TComponent* component);
    // The spreadsheet component, made on first use; null when its class is
    // not registered.
    IOleExcel* OLEExcel1();

    // ---- events ----
    void cdsMainBeforeOpen(plat::TDataSet* DataSet);
    void cdsMainAfterScroll(plat::TDataSet* DataSet);
    void cdsMainReconcileError(plat::TClientDataSet* DataSet, plat::EReconcileError& E,
                               plat::TUpdateKind UpdateKind, plat::TReconcileAction& Action);
    void MultiSelectedGetText(plat::TField* Sender, std::string& Text, bool DisplayText);

  protected:
    // The first client data set of the module nested in a field of `master`
    // other than `except`; null when there is none.
    plat::TClientDataSet* findNestedDataSet(plat::TDataSet* master,
                                            const plat::TDataSet* except) const;
    // Shows "<none>" or "<list>" data-rights messages for a failed check.
    void reportDeniedRows(const std::string& denied, const std::string& listCode,
                          const std::string& allCode);
    // Sorting by a column is allowed for stored and lookup fields only.
    static bool isSortableField(const plat::TField* field);
    void resyncAfterOrderChange(int countBefore, const char* logTag);

    // ---- export road shared with the header/body module ----
    enum class TExportWay : uint8_t {
        Excel,       // the spreadsheet application, localized messages
        ExcelPlain,  // the spreadsheet application, fixed messages
        File,        // the .xls file written directly
    };
    // At most this many data rows go into one sheet (the file format's rows
    // less the title row).
    static constexpr int kExportRowLimit = 65535;
    // Exports the records of `head`, or with `body` one row per line, each
    // led by the header's key fields. False when an error escaped.
    bool exportData(plat::TDataSet* head, plat::TDataSet* body, TExportWay way, bool withFormat);

  private:
    void EnsureMultiSelectedField();
    void RememberFieldValues(plat::TDataSet* dataSet, plat::TStringList& list);
    void RestoreFieldValues(plat::TDataSet* dataSet, plat::TStringList& list);

    ISingleModuleOwner* singleOwner_;
    plat::TComponent* oleExcel_ = nullptr;
};

}  // namespace ktrb
