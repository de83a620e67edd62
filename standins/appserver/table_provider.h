// A provider over SQLite tables nested up to any depth (the receipt header,
// its lines and their serial numbers). Each level names its table, the
// values it derives on fetch (SQL expressions over joined tables), the
// columns that tie its rows to the master row, and its order. The data
// request [condition, order] selects and orders the top level; the packet
// carries the detail rows nested in their masters. A delta is applied in one
// transaction: each row is found by its whole key as read and changes
// exactly that one row, or it is refused and leaves nothing of itself (nor
// of its details) behind; an update or delete whose row changed since it
// was read is refused and nothing is overwritten.
#pragma once
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/data/provider.h"
#include "standins/appserver/rights.h"
#include "standins/appserver/server.h"

namespace standin {

class AppSession;

struct DerivedColumn {
    std::string name;
    plat::TFieldType type = plat::TFieldType::ftString;
    int size = 0;
    std::string expression;  // SQL over the level's table and its joins
};

struct LevelSpec {
    std::string table;
    std::vector<std::string> storedColumns;  // empty: every column of the table but blobs
    std::vector<DerivedColumn> derived;
    std::string joins;        // LEFT JOIN clauses the derived expressions use
    std::string order;        // default order of the top level; details follow their key
    std::string nestedField;  // the field of this level in its master ("qryBody")
    std::vector<std::string> linkColumns;  // the columns matching the master's key, in key order
    // Columns that must still hold what was read when this level's row
    // travels unchanged above changed details.
    // A delta that changes or deletes a row must carry their values as read.
    std::vector<std::string> versionColumns = {"FLAG"};
    // The row's status. On the first level, the document's ("Y" confirmed,
    // "V" void): such a document takes no change here but a restore, and the
    // status changes here only by a void or a restore, with nothing else but
    // the version and audit columns changed, in the document and its details
    // (which then change only their own status); confirming and unconfirming
    // are the transaction server's.
    std::string statusColumn;
    // What a confirmed document still takes (invoice data, a payment hold),
    // with the edit right, nothing else changed.
    std::vector<std::string> afterConfirm;
    // A fixed filter of the top level: SQL with ? parameters and their values.
    std::function<std::pair<std::string, std::vector<plat::Variant>>()> filter;
};

struct ProviderOptions {
    bool readOnly = false;         // deltas are refused
    bool useRequest = true;        // the data request [condition, order] selects the top level
    bool topRowLimit = false;      // the session's top-row limit applies
    bool countRecords = false;     // the session's record count follows the last query
    bool numberDocuments = false;  // the first level is numbered by document type
    std::string documentDate;      // the first level's date column for numbering ("TH029")
    // The signed-on user's rights for the session's program decide what a
    // delta may add, edit and delete; the program must keep the first level.
    bool documentRights = false;
    // Each row belongs to the signed-on user by this column ("CREATOR").
    std::string ownerColumn;
};

class TableProvider : public plat::IProvider {
  public:
    TableProvider(std::string name, AppSession& session, std::vector<LevelSpec> levels,
                  ProviderOptions options);

    std::string Name() const override { return name_; }
    plat::Variant DataRequest(const plat::Variant& data) override;
    plat::TDataPacket GetRecords(const plat::TFetchRequest& request) override;
    plat::TApplyReply ApplyUpdates(const plat::TDelta& delta, int maxErrors) override;

    // Field definitions of a level (with the nested levels below it).
    std::vector<plat::TPacketField> Fields(size_t level);

  private:
    struct Level {
        LevelSpec spec;
        const TableInfo* info = nullptr;
        std::vector<std::string> stored;  // columns fetched, in field order
        std::string selectList;           // stored then derived
        // Per derived column of a detail level: the stored column it only
        // repeats (copied, not selected again), or -1.
        std::vector<int> repeats;
        bool anyRepeat = false;
        int fieldCount = 0;  // stored + derived (+1 nested when a level follows)
    };
    struct ApplyState;
    struct FieldMapping;
    struct RowWork;
    // Error codes of a refused row, as the client's reconcile step sees them.
    enum Refusal : int {
        kNoOriginal = 1,  // an update or delete without the values as read
        kChanged = 2,     // the row (or its master) changed since it was read
        kEmptyKey = 3,
        kBadValue = 4,  // too wide, not a number, an array
        kDatabase = 5,  // the database refused the statement
        kNoRight = 6,   // the user's rights do not allow it
        kClosed = 7,    // the document is confirmed or void
    };

    void Prepare();
    std::vector<plat::TPacketRow> FetchDetails(
        size_t level, const std::vector<std::vector<plat::Variant>>& topKeys);
    void Attach(size_t level, std::vector<plat::TPacketRow>& rows,
                const std::vector<std::vector<plat::Variant>>& topKeys);
    // Applying one delta row: read (its columns and the values to store),
    // decide (numbering, checks against what is stored), write, then its details.
    // masterKey: the master's key as stored after its change; masterRead: as
    // the client read it (what a detail's link columns held).
    bool ApplyRow(ApplyState& st, size_t level, const std::vector<plat::TPacketField>& fields,
                  const plat::TDeltaRow& row, const std::vector<plat::Variant>& masterKey,
                  const std::vector<plat::Variant>& masterRead);
    bool ApplyOne(ApplyState& st, size_t level, const std::vector<plat::TPacketField>& fields,
                  const plat::TDeltaRow& row, const std::vector<plat::Variant>& masterKey,
                  const std::vector<plat::Variant>& masterRead);
    // The checks before a row is written: its whole key and version columns
    // as read, its master, its owner, the rights and the document's status.
    bool CheckRow(ApplyState& st, size_t level, RowWork& w,
                  const std::vector<plat::Variant>& masterRead);
    bool CheckDocument(ApplyState& st, RowWork& w);
    // Whether a row changes nothing but its status, version and audit columns.
    static bool OnlyStatusChanges(const RowWork& w, bool afterConfirm = false);
    RowWork ReadRow(ApplyState& st, size_t level, const std::vector<plat::TPacketField>& fields,
                    const plat::TDeltaRow& row, const std::vector<plat::Variant>& masterKey);
    const FieldMapping& MappingFor(ApplyState& st, const Level& l,
                                   const std::vector<plat::TPacketField>& fields);
    void NumberDocument(RowWork& w);
    bool WriteDelete(ApplyState& st, RowWork& w);
    bool WriteInsert(ApplyState& st, RowWork& w);
    bool WriteUpdate(ApplyState& st, RowWork& w);
    bool StillAsRead(ApplyState& st, RowWork& w, const std::string& where,
                     const std::vector<plat::Variant>& params);
    bool MasterStillAsRead(ApplyState& st, RowWork& w);
    void ApplyDetails(ApplyState& st, size_t level, const RowWork& w,
                      const std::vector<plat::Variant>& key,
                      const std::vector<plat::Variant>& read);
    // Records the refusal with the row as stored now; always false.
    bool Refuse(ApplyState& st, const RowWork& w, const std::string& message, Refusal code);

    std::string name_;
    AppSession& session_;
    ProviderOptions options_;
    std::vector<Level> levels_;
    bool prepared_ = false;
    std::string condition_, order_;
    // The key columns of the top table, and them qualified for a select list.
    std::vector<std::string> KeyColumns() const;
    std::string KeyList() const;
    // The top rows (stored + derived) of topKeys_[from, from + n), by key text.
    std::map<std::string, std::vector<plat::Variant>> ReadTopRows(size_t from, size_t n);

    std::vector<std::vector<plat::Variant>> topKeys_;  // the last query's rows, by key
    size_t cursor_ = 0;
};

}  // namespace standin
