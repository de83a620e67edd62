// TClientDataSet: a dataset whose records are held in memory, fed by a
// provider in packets or created from field definitions, with the change log
// (update status, original values, cancel, merge), cloned cursors over the
// same records, and ApplyUpdates sending one delta of the whole nested tree.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "platform/core/exceptions.h"
#include "platform/data/dataset.h"
#include "platform/data/provider.h"

namespace plat {

class TClientDataSet;

// A row the provider refused, as the reconcile handler sees it.
class EReconcileError : public EDatabaseError {
  public:
    EReconcileError(const std::string& message, int errorCode, int previousError,
                    std::string context)
        : EDatabaseError(message),
          ErrorCode(errorCode),
          PreviousError(previousError),
          Context(std::move(context)) {}
    const char* ClassName() const override { return "EReconcileError"; }
    int ErrorCode;
    int PreviousError;
    std::string Context;
};

// Sender (the dataset of the refused row's level), error, kind of update,
// proposed action (in, out).
using TReconcileErrorEvent =
    Event<TClientDataSet*, EReconcileError&, TUpdateKind, TReconcileAction&>;

// The records of a client dataset with their change log, as a value:
// copying it between datasets of one structure copies every record.
struct TClientData {
    std::shared_ptr<store::DataTree> tree;
    bool Empty() const { return tree == nullptr; }
};

class TClientDataSet : public TDataSet {
    PLAT_CLASS(TClientDataSet, TDataSet)
  public:
    explicit TClientDataSet(TComponent* owner = nullptr);
    ~TClientDataSet() override;

    // ---- provider ----
    IProviderSource* RemoteServer() const { return remoteServer_; }
    void SetRemoteServer(IProviderSource* server) { remoteServer_ = server; }
    const std::string& ProviderName() const { return providerName_; }
    void SetProviderName(const std::string& name) { providerName_ = name; }
    // A provider given directly (in place of a remote server and a name).
    void SetProvider(IProvider* p) { provider_ = p; }
    IProvider* Provider() const;
    // Rows per packet; -1 all at once.
    int PacketRecords = -1;
    // Fetch the next packet when the cursor passes the last fetched row.
    bool FetchOnDemand = true;
    // Sends request data to the provider (before an open); its answer.
    Variant DataRequest(const Variant& data);
    // Fetches the next packet (PacketRecords rows); the number of rows that came.
    int GetNextPacket();
    // The provider has sent its last row.
    bool AllFetched() const { return allFetched_; }
    // Drops the rows held (and their changes) while the provider keeps its
    // cursor: the next packet continues after the rows already fetched.
    void DiscardFetchedRows();

    // ---- in-memory use ----
    // Creates an empty dataset from FieldDefs (or from the persistent fields)
    // and opens it.
    void CreateDataSet();
    // Removes every record (of the current master, for a nested dataset).
    void EmptyDataSet();
    // Opens the dataset on the rows of a packet.
    void LoadFromPacket(const TDataPacket& packet);
    // A copy of the records and their change log; assigning it to a dataset
    // of the same structure replaces that dataset's records.
    TClientData Data() const;
    void SetData(const TClientData& data);
    // Shares the records of source with its own position, order and filter.
    // With reset false and keepSettings false the clone takes the source's
    // order and filter; reset clears them; keepSettings keeps its own.
    void CloneCursor(TClientDataSet* source, bool reset = false, bool keepSettings = false);

    // ---- change log ----
    // Changes of this level and the levels below it.
    int ChangeCount() const;
    void CancelUpdates();
    void MergeChangeLog();
    // Undoes the changes of the current record.
    void RevertRecord();
    // The pending changes of the whole nested tree.
    TDelta Delta() const;
    // Posts, sends the delta of the whole tree and reconciles refused rows;
    // the number of refused rows.
    int ApplyUpdates(int maxErrors);
    TReconcileErrorEvent OnReconcileError;

    // ---- settings ----
    // Per-field editor settings, one per line: "TH026;CheckBox;Y;N".
    std::vector<std::string> ControlType;
    bool ValidateWithMask = false;

  protected:
    void OpenStore() override;
    void CloseStore() override;
    bool FetchMore() override;
    Variant ReconcileValue(const TField* f, TDataSetState which) const override;
    void SetReconcileValue(const TField* f, const Variant& v) override;

  private:
    TClientDataSet* top();
    const TClientDataSet* top() const;
    std::vector<bool> levelMask() const;
    void appendPacket(const TDataPacket& p);
    // Emptying the rows fails while another cursor edits one of them.
    void checkNoOtherEdit() const;
    void reconcile(const TApplyReply& reply, const TDelta& delta);
    TClientDataSet* datasetForLevel(int level);

    IProviderSource* remoteServer_ = nullptr;
    std::string providerName_;
    IProvider* provider_ = nullptr;
    bool allFetched_ = true;
    const TDataPacket* loadPacket_ = nullptr;
    TClientData pendingData_;
    TClientDataSet* cloneSource_ = nullptr;
    bool cloneReset_ = false, cloneKeep_ = false;

    struct ReconcileRow {
        int level = -1;
        uint32_t slot = 0;
        std::vector<Variant> oldValues, newValues, curValues;
    };
    ReconcileRow* reconcile_ = nullptr;
};

}  // namespace plat
