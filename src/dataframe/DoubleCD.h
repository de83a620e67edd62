// TdmDouble: the data module of every document with a header and lines: the
// header cdsMain of the single-table module and the lines cdsBody1, bound by
// the concrete module to the header's nested data set field so that the
// lines travel with their header through the provider. It keeps the line
// keys in step with the header key, numbers new lines, fills a new line's
// defaults, checks duplicate line keys and numbers lines on second cursors
// over the lines (so that the cursor the user sees never moves), adds line
// fields up into header totals, checks data rights on the lines and a third
// level, sorts the lines by a clicked column, reports refused lines, and
// shows the record positions in the owner form's status bar.
#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "dataframe/SingleCD.h"

namespace ktrb {

// What the header/body module asks of its owner form beyond the single-table
// module's interfaces. The header/body forms implement it; each member has a
// neutral answer.
class IDoubleModuleOwner {
  public:
    // After a header post: changed header values into every line.
    virtual void CopyHeadValuesToBody() {}
    // The current line's key texts into status panel 1.
    virtual void ShowKeyInStatusBar() {}
    // Comma-separated fields a new line takes from the last line when empty.
    virtual std::string BodyCarryOverFields() const { return {}; }
    // The user's defaults of the user-defined combo columns of the line grid.
    virtual void ApplyBodyComboDefaults() {}
    // The line grid's first non-fixed column becomes the active one.
    virtual void FocusFirstBodyColumn() {}
    // The user may sort the line grid by a click on a column title.
    virtual bool BodyTitleSortEnabled() const { return true; }
    // The header page of the page control is the one shown; the line page is visible.
    virtual bool HeadPageShown() const { return false; }
    virtual bool BodyPageVisible() const { return false; }
    // A modal error box with a caption, owned by the form's window.
    virtual void ShowErrorBox(const std::string& caption, const std::string& text) {}

  protected:
    ~IDoubleModuleOwner() = default;
};

// The key fields of a new line of a header being inserted, other than the
// line number, hold this (cut to their size) until the header key is copied
// into the lines.
inline constexpr const char* kPendingBodyKey = "~~~~~~~~~~~~~~~~~~~~";

// Per line and field of SumBodyLines: add the line, skip it, or restart the
// running total at the hook's value and then add the line.
enum class TLineSumFlag : uint8_t { Add = 0, Skip = 1, Restart = 2 };

class TdmDouble : public TdmSingle {
    PLAT_CLASS(TdmDouble, TdmSingle)
  public:
    explicit TdmDouble(plat::TComponent* owner);
    ~TdmDouble() override;

    // ---- designed components ----
    TwwClientDataSet* cdsBody1;
    TwwDataSource* dsBody1;
    TwwClientDataSet* cdsBodyColor;
    TwwDataSource* dsBodyColor;

    // ---- fields ----
    // Host parameter "D11_KEY": entries "FIELD" or "FIELD alias", matching
    // the header key list by position, plus the line number last.
    std::string BodyKeyFields;
    // "HEAD->BODY" pairs joined by ",", copied into each new line.
    std::string HeadToBodyFields;
    bool LineNumbering = true;
    std::string LineNumberField;
    // A second cursor over the lines (a clone of cdsBody1).
    plat::TClientDataSet* BodyClone;
    plat::TField* BodySortField = nullptr;
    // The header totals follow every line post and delete.
    bool RecalcOnLineChange = true;
    // "IndexName=<name>", "IndexFieldNames=<fields>" or empty: the lines'
    // order as the module was designed.
    std::string SavedBodyOrder;
    // The order the lines return to when their sort column is cleared.
    std::string BodyDefaultOrder;

    IDoubleModuleOwner* DoubleOwner() const { return doubleOwner_; }

    // ---- virtual operations ----
    bool CheckDataRights() override;
    void GetKeyFieldName(std::string& text) override;
    void ReapplyHeadKeyToBody() override;
    // The set-up of a new line.
    virtual void AssignBodyLine();
    // Header totals from the lines; here only puts cdsMain into edit.
    virtual void CalcHeadTotals();
    // The totals after one line was posted or deleted; a full recount here.
    virtual void CalcHeadTotalsAfterLineChange() { CalcHeadTotals(); }
    virtual bool RestoreBodyIndex();
    bool InitDataModule() override;
    void ShowAuditFields(bool show) override;
    // True refuses the post of the current line (silently).
    virtual bool RejectBodyPost() { return false; }
    virtual void GetNextLineNumber(plat::TDataSet* dataSet, const std::string& fieldName,
                                   std::string& text);
    // Once per line while summing: every flag Add here.
    virtual void GetLineSumFlags(const std::vector<std::string>& fieldNames,
                                 std::vector<double>& values, std::vector<TLineSumFlag>& flags,
                                 const std::vector<std::string>& conditions);
    virtual void BeforeBodyPost() {}
    // Runs when the owner form starts adding or editing a document.
    virtual void EnteringEditMode() {}
    // Refuses to save lines that still hold the pending key placeholder.
    bool ApplyData(plat::TClientDataSet* dataSet) override;

    // ---- keys and new lines ----
    void SetBodyKeyFields(const std::string& keys);
    void SetLineNumbering(bool on);
    void CopyHeadKeysToBody();
    void MarkPendingBodyKeys();
    void CopyMappedHeadFields();
    void CopyCarryOverFields();
    // Clones cdsBody1 into BodyClone (and the module's other line cursors)
    // again; false when cloning failed.
    bool RefreshBodyClone();
    // True when another line has the key text of the line `field` belongs
    // to (list '+'-separated; empty: the field alone).
    bool IsDuplicateBodyKey(plat::TField* field, const std::string& keyList);

    // ---- sums ----
    // Every array of the same length. Header fields of a data set that is
    // editing take the total when it differs from their value. True.
    bool SumBodyFields(const std::vector<plat::TField*>& headFields,
                       const std::vector<std::string>& lineFields, const std::vector<int>& decimals,
                       const std::vector<std::string>& conditions);
    // Totals over the lines of each field read by its decimals; a condition
    // "FIELD=text" adds only lines whose FIELD reads text.
    // Values are added exactly in decimal, so totals do not depend on the
    // order of the lines.
    void SumBodyLines(const std::vector<std::string>& lineFields, std::vector<double>& totals,
                      const std::vector<std::string>& conditions, const std::vector<int>& decimals);
    // The write step of SumBodyFields, for totals found another way.
    void WriteBodySums(const std::vector<plat::TField*>& headFields,
                       const std::vector<double>& totals, const std::vector<int>& decimals);

    void SortBodyByField(const std::string& fieldName);

    // ---- export to a spreadsheet file (ExcelExport.cpp) ----
    // One row per line of every header, led by the header's key fields; at
    // most 65535 lines, after a message when there are more.
    void ExportBodyToExcel(plat::TDataSet* head, plat::TDataSet* body, plat::TComponent* component,
                           bool withFormat);
    void ExportBodyToXlsFile(plat::TDataSet* head, plat::TDataSet* body,
                             plat::TComponent* component);

    // ---- events ----
    void cdsBody1AfterOpen(plat::TDataSet* DataSet);
    void cdsBody1AfterEdit(plat::TDataSet* DataSet);
    void cdsBody1BeforePost(plat::TDataSet* DataSet);
    void cdsBody1AfterPost(plat::TDataSet* DataSet);
    void cdsBody1AfterDelete(plat::TDataSet* DataSet);
    void cdsBody1AfterScroll(plat::TDataSet* DataSet);
    void cdsBody1BeforeInsert(plat::TDataSet* DataSet);
    void cdsBody1NewRecord(plat::TDataSet* DataSet);
    void cdsBody1ReconcileError(plat::TClientDataSet* DataSet, plat::EReconcileError& E,
                                plat::TUpdateKind UpdateKind, plat::TReconcileAction& Action);
    void dsBody1DataChange(plat::TObject* Sender, plat::TField* Field);
    void cdsMainAfterPost(plat::TDataSet* DataSet);
    void cdsMainAfterInsert(plat::TDataSet* DataSet);
    void cdsMainAfterEdit(plat::TDataSet* DataSet);
    void cdsMainNewRecord(plat::TDataSet* DataSet);
    void cdsMainAfterScroll(plat::TDataSet* DataSet);

  private:
    // The lines ordered by the line number, and by a duplicate-key list:
    // searched instead of walked. Not components of the module.
    plat::TClientDataSet* lineNumberCursor();
    plat::TClientDataSet* keyCursor(const std::string& keyList);
    bool hasPendingBodyKeys();
    void showBodyPosition();
    std::string positionText(int recNo, int count) const;
    std::string displayText(const std::string& text) const;

    IDoubleModuleOwner* doubleOwner_;
    plat::TDataSetState headStateBeforeInsert_ = plat::dsInactive;
    std::unique_ptr<plat::TClientDataSet> lineCursor_;
    std::map<std::string, std::unique_ptr<plat::TClientDataSet>> keyCursors_;
};

}  // namespace ktrb
