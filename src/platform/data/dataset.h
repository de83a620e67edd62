// TDataSet: a cursor over the record store, with the platform's states,
// event orders, navigation, bookmarks, filters, orders, nested details and
// the field-write pipeline. Client datasets (clientdataset.h) add providers,
// the change-log operations, cloning and applying.
//
// Event orders (each Before event may abort with an exception, which leaves
// the dataset as it was):
//   Edit:   already editing → nothing; empty → Insert; check browse mode;
//           BeforeEdit; master into edit; state edit; AfterEdit.
//   Insert: check browse mode; BeforeInsert; BeforeScroll; master into edit;
//           new record; state insert; OnNewRecord (an exception or a Cancel
//           in it cancels the insert); modified := false; AfterInsert; AfterScroll.
//   Post:   controls flush their text; open detail edits posted; BeforePost;
//           required fields; store; state browse; AfterPost.
//   Cancel: open detail edits cancelled; BeforeCancel; detail changes since
//           the record entered edit rolled back; state browse; AfterCancel.
//   Delete: from insert it is Cancel; BeforeDelete; BeforeScroll; master
//           into edit; delete with details; state browse; AfterDelete; AfterScroll.
//   Scroll: check browse mode (post when modified, else cancel);
//           BeforeScroll; move; AfterScroll.
#pragma once
#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/component/component.h"
#include "platform/component/events.h"
#include "platform/core/variant.h"
#include "platform/data/datatypes.h"
#include "platform/data/field.h"
#include "platform/data/fielddefs.h"

namespace plat {

namespace store {
class DataTree;
class OrderTree;
}  // namespace store
namespace filter {
class Expression;
}  // namespace filter

class TDataSource;
class TDataSet;
class TDataLink;

using TDataSetNotifyEvent = Event<TDataSet*>;
using TFilterRecordEvent = Event<TDataSet*, bool&>;

enum class TDataEvent {
    deFieldChange,
    deRecordChange,
    deDataSetChange,
    deDataSetScroll,
    deLayoutChange,
    deUpdateRecord,
    deUpdateState,
    deCheckBrowseMode,
    deFocusControl,
};

enum TFilterOption : unsigned { foCaseInsensitive = 1, foNoPartialCompare = 2 };
using TFilterOptions = unsigned;

// A record identity: stays valid while the record exists, whatever else is
// inserted or deleted. Freeing is a no-op.
struct TBookmark {
    uint32_t slot = 0xFFFFFFFFu;
    uint32_t gen = 0;
    bool Assigned() const { return slot != 0xFFFFFFFFu; }
    bool operator==(const TBookmark&) const = default;
};

class TFields {
  public:
    int Count() const { return (int)list_.size(); }
    TField* operator[](int i) const;                   // raises EListError out of range
    TField* FindField(const std::string& name) const;  // case-insensitive
    int IndexOf(const TField* f) const;
    auto begin() const { return list_.begin(); }
    auto end() const { return list_.end(); }

  private:
    friend class TDataSet;
    friend class TField;
    // Every change of the list or of a field's name drops the name index.
    void changed() { byName_.clear(); }
    std::vector<TField*> list_;
    // Upper-cased name to the first field of that name, built on demand.
    mutable std::unordered_map<std::string, TField*> byName_;
};

class TDataSet : public TComponent {
    PLAT_CLASS(TDataSet, TComponent)
  public:
    explicit TDataSet(TComponent* owner = nullptr);
    ~TDataSet() override;

    // ---- state ----
    TDataSetState State() const { return state_; }
    bool Active() const { return state_ != dsInactive; }
    void SetActive(bool on);
    void Open() { SetActive(true); }
    void Close() { SetActive(false); }
    void Edit();
    void Insert();
    void Append();
    void Post();
    void Cancel();
    void Delete();
    void CheckBrowseMode();
    // Controls write their pending text into the fields.
    void UpdateRecord();
    bool Modified() const { return modified_; }
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool on) { readOnly_ = on; }
    bool CanModify() const { return !readOnly_; }

    // ---- navigation ----
    void First();
    void Last();
    void Next() { MoveBy(1); }
    void Prior() { MoveBy(-1); }
    int MoveBy(int distance);
    bool Bof() const { return bof_; }
    bool Eof() const { return eof_; }
    bool IsEmpty() const;
    // 1-based; -1 when there is no current record; settable.
    int RecNo() const;
    void SetRecNo(int recNo);
    int RecordCount() const;

    // ---- rows other than the current one (a grid paints them) ----
    // Rows a grid shows: the records, plus the one being inserted.
    int DisplayRowCount() const;
    // The display row of the cursor (an inserted record at its place); -1 none.
    int CursorRow() const;
    // Field reads and RecNo go to display row `row` until EndPeek, without
    // moving the cursor or raising events; false for the cursor's own row
    // (read it directly) or a row that does not exist.
    bool BeginPeek(int row) const;
    void EndPeek() const;
    bool Peeking() const { return peekSlot_ != 0xFFFFFFFFu; }
    // The bookmark of a display row other than an inserted record.
    TBookmark BookmarkOfRow(int row) const;

    TBookmark GetBookmark() const;
    void GotoBookmark(const TBookmark& b);  // raises EDatabaseError "Record not found"
    void FreeBookmark(TBookmark& b) { b = TBookmark{}; }
    bool BookmarkValid(const TBookmark& b) const;
    // -1, 0, 1 by the current order; an unassigned bookmark sorts first.
    int CompareBookmarks(const TBookmark& a, const TBookmark& b) const;

    // Nested: controls are told nothing until the last EnableControls.
    void DisableControls();
    void EnableControls();
    bool ControlsDisabled() const { return disableCount_ > 0; }
    // Record constraints are not kept by this store; the bracket is counted
    // so that callers can pair it.
    void DisableConstraints() { ++constraintsDisabled_; }
    void EnableConstraints() { constraintsDisabled_ = std::max(0, constraintsDisabled_ - 1); }

    // Key fields separated by ";", values as one value or an array.
    bool Locate(const std::string& keyFields, const Variant& keyValues, TLocateOptions options = 0);
    // The values of resultFields (an array for several) of the first match;
    // Null when none. The current record does not move.
    Variant Lookup(const std::string& keyFields, const Variant& keyValues,
                   const std::string& resultFields);
    // Exact match on the leading fields of the current order.
    bool FindKey(const std::vector<Variant>& keyValues);

    // ---- fields ----
    TFields& Fields() { return fields_; }
    const TFields& Fields() const { return fields_; }
    int FieldCount() const { return fields_.Count(); }
    TField* FindField(const std::string& name) const { return fields_.FindField(name); }
    // Raises EDatabaseError naming the field and the dataset.
    TField* FieldByName(const std::string& name) const;
    std::vector<TField*> GetFieldList(const std::string& names) const;
    Variant FieldValues(const std::string& names) const;
    void SetFieldValues(const std::string& names, const Variant& values);
    TFieldDefs& FieldDefs() { return fieldDefs_; }
    bool DefaultFields() const { return defaultFields_; }
    // The nested dataset field whose rows this dataset shows.
    TDataSetField* DataSetField() const { return dataSetField_; }
    void SetDataSetField(TDataSetField* f);
    TDataSet* Master() const;
    TDataSet* TopDataSet();
    bool AutoCalcFields = true;

    // Exact sums of numeric data fields over the rows under the current master
    // row (every row of a top dataset), filters aside; integer parts when
    // asked. The store keeps them as rows change, so a sum costs the same
    // however many rows there are. Empty when a value is no number.
    std::optional<std::vector<double>> RangeSums(const std::vector<TField*>& fields,
                                                 bool integerParts);

    // ---- filter and order ----
    const std::string& Filter() const { return filter_; }
    void SetFilter(const std::string& text);
    bool Filtered() const { return filtered_; }
    void SetFiltered(bool on);
    TFilterOptions FilterOptions() const { return filterOptions_; }
    void SetFilterOptions(TFilterOptions o);
    // Setting it while filtered refreshes the rows.
    void SetOnFilterRecord(const TFilterRecordEvent& e);
    const TFilterRecordEvent& OnFilterRecord() const { return onFilterRecord_; }
    const std::string& IndexFieldNames() const { return indexFieldNames_; }
    void SetIndexFieldNames(const std::string& names);
    const std::string& IndexName() const { return indexName_; }
    void SetIndexName(const std::string& name);
    TIndexDefs& IndexDefs() { return indexDefs_; }

    // ---- change log of the record ----
    TUpdateStatus UpdateStatus() const;

    // ---- events ----
    TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose;
    TDataSetNotifyEvent BeforeInsert, AfterInsert, BeforeEdit, AfterEdit;
    TDataSetNotifyEvent BeforePost, AfterPost, BeforeCancel, AfterCancel;
    TDataSetNotifyEvent BeforeDelete, AfterDelete, BeforeScroll, AfterScroll;
    TDataSetNotifyEvent OnNewRecord, OnCalcFields;

    // ---- data sources and controls ----
    // The controls whose field data links show the field.
    std::vector<TComponent*> BoundControls(const TField* f) const;
    const std::vector<TDataSource*>& DataSources() const { return dataSources_; }

    // Internal: the field-write pipeline (after conversion) and reads.
    void WriteField(TField* f, const Variant& stored);
    Variant ReadField(const TField* f) const;

  protected:
    void Notification(TComponent* c, TOperation op) override;

    // Loads the store when the dataset opens (client datasets fetch from
    // their provider); the default creates an empty store from FieldDefs or
    // the persistent fields.
    virtual void OpenStore();
    virtual void CloseStore() {}
    // Called for a row read beyond the last fetched one (fetch on demand).
    virtual bool FetchMore() { return false; }
    // Reconcile context: values of the row being reconciled.
    virtual Variant ReconcileValue(const TField* f, TDataSetState which) const;
    virtual void SetReconcileValue(const TField* f, const Variant& v);

    void DataEvent(TDataEvent event, TField* field = nullptr, int info = 0);
    void CheckActive() const;
    void CheckEditing(const TField* f) const;
    [[noreturn]] void Error(const std::string& message) const;

    // Store access for client datasets.
    std::shared_ptr<store::DataTree> tree_;
    int level_ = 0;
    void AttachTree(std::shared_ptr<store::DataTree> tree, int level);
    void BindFields();
    void AfterStoreChanged(bool moved);
    uint32_t CurrentSlot() const;
    uint32_t ParentSlot() const;
    void ResetCursor();
    void SetState(TDataSetState s);
    void ReadOnlyPending();
    // Every cursor over the same level is told that rows changed.
    void NotifyCursors();

    std::shared_ptr<store::DataTree> SharedTree() const { return tree_; }
    int Level() const { return level_; }
    void AdoptCursorSettings(const TDataSet& src);
    void PositionAt(uint32_t slot);

  private:
    friend class TField;
    friend class TDataSource;
    friend class TDataSetField;
    friend class TClientDataSet;

    struct KeyPart {
        int column;
        bool descending;
        bool caseInsensitive;
    };

    // cursor over the store
    struct Range {
        uint32_t first = 0, end = 0;
    };
    Range range() const;
    int count() const;
    uint32_t slotAt(int pos) const;
    int posOf(uint32_t slot) const;
    int curPos() const;
    void setPos(int pos);
    void rebuildIndex();
    void setOrder(const std::string& fieldNames, const std::string& indexName);
    void dropIndex();
    std::vector<KeyPart> keyParts(const std::string& fields, const std::string& desc,
                                  const std::string& caseIns, bool allDesc, bool allCaseIns) const;
    int compareSlots(uint32_t a, uint32_t b) const;
    bool passesFilter(uint32_t slot) const;
    void refreshFilter() const;
    bool filterActive() const;
    // After a change of the filter: the rows again, from the first.
    void refilter(bool toFirst, const std::function<void()>& restore);
    int findRow(const std::vector<int>& columns, const std::vector<Variant>& values,
                TLocateOptions options, int from) const;
    bool matches(uint32_t slot, const std::vector<int>& columns,
                 const std::vector<const TField*>& fields, const std::vector<Variant>& values,
                 TLocateOptions options) const;
    const TField* fieldOfColumn(int column) const;
    std::vector<Variant> keyArray(const Variant& values, size_t n) const;

    // states
    void doScrollTo(int pos, bool force);
    void beginEditState(TDataSetState s);
    int takeSavepoint();
    // Drops the edit buffer and what the edit left in the store.
    void discardEdit();
    void masterIntoEdit();
    void masterTouched();
    void postDetails();
    void cancelDetails();
    void checkDetailsBrowseMode();
    void parentChanged();
    void detailsParentChanged();
    void openDetails();
    void closeDetails();
    void freeFieldsOf(bool unbindOnly);
    void createDefaultFields();
    void endInsertOrEdit();
    void fireCalcFields() const;
    Variant computeLookup(const TField* f) const;
    Variant computeAggregate(const TField* f) const;
    void validateRequired();
    // Controls bound to a field that goes let go of it.
    void fieldFreed(TField* f);

    TFields fields_;
    std::vector<TDataSetField*> nestedFields_;  // bound nested dataset fields
    TFieldDefs fieldDefs_;
    TIndexDefs indexDefs_;
    bool defaultFields_ = false;
    TDataSetState state_ = dsInactive;
    bool modified_ = false;
    bool readOnly_ = false;
    bool bof_ = true, eof_ = true;
    int disableCount_ = 0;
    int constraintsDisabled_ = 0;
    bool pendingChange_ = false;
    std::vector<TDataSource*> dataSources_;
    TDataSetField* dataSetField_ = nullptr;

    // current record
    mutable uint32_t curSlot_ = 0xFFFFFFFFu;
    mutable uint32_t curGen_ = 0;
    mutable int pos_ = -1;
    mutable uint64_t posVersion_ = 0;
    mutable Range rangeCache_;
    mutable uint64_t rangeVersion_ = 0;
    mutable uint32_t rangeParent_ = 0xFFFFFFFFu;
    bool reopenWithMaster_ = false;
    bool destroyingDataSet_ = false;
    uint32_t parentSlot_ = 0xFFFFFFFFu;

    // edit buffer
    std::vector<Variant> buffer_;
    uint32_t pendingSlot_ = 0xFFFFFFFFu;
    uint32_t editSlot_ = 0xFFFFFFFFu, editGen_ = 0;  // the record in edit
    int insertPos_ = -1;
    uint32_t beforeInsertSlot_ = 0xFFFFFFFFu;
    int savepoint_ = 0;

    // calculated values of the current record
    mutable std::vector<Variant> calc_;
    mutable uint32_t calcSlot_ = 0xFFFFFFFFu;
    mutable uint64_t calcVersion_ = 0;
    mutable TDataSetState calcBase_ = dsInactive;
    mutable bool calcValid_ = false;
    mutable bool inCalc_ = false;
    int calcCount_ = 0;

    // order and filter
    std::string indexFieldNames_, indexName_;
    std::unique_ptr<store::OrderTree> index_;
    std::vector<KeyPart> indexKey_;
    std::string filter_;
    bool filtered_ = false;
    TFilterOptions filterOptions_ = 0;
    TFilterRecordEvent onFilterRecord_;
    std::shared_ptr<filter::Expression> filterExpr_;
    mutable uint32_t filterSlot_ = 0xFFFFFFFFu;
    mutable std::vector<uint32_t> filterRows_;
    mutable std::unordered_map<uint32_t, int> filterPos_;
    mutable uint64_t filterVersion_ = 0;
    mutable uint32_t filterParent_ = 0xFFFFFFFFu;
    mutable bool filterValid_ = false;

    // reconcile
    TDataSetState valueState_ = dsInactive;

    // row read by a grid while peeking
    mutable uint32_t peekSlot_ = 0xFFFFFFFFu;
    mutable int peekPos_ = -1;
};

// A client dataset owned by owner (the nested dataset a field creates).
TDataSet* CreateNestedDataSet(TComponent* owner);

}  // namespace plat
