// TBrokers: the component through which every form, data module and dialog
// reaches the host's automation objects. One broker per form, owned by the
// form; dialogs borrow it. It keeps the sign-on strings, the program-master
// record of the running program, the system parameters and the host
// parameters, shows every user message by code, and carries the server calls
// by name, the validator's look-ups, the lookup-window services, program
// starts and document sending.
//
// A missing automation object never raises here: each operation gives its
// empty value. Calls on objects that exist let their exceptions pass unless
// the operation says otherwise.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/component/component.h"
#include "platform/core/stringlist.h"
#include "platform/core/variant.h"
#include "runtime/RadicalFormIntf.h"

namespace plat {
class TDataSet;
}

namespace ktrb {

// The sub-objects of the host's work-centre object, as elements of the
// broker's fetch set.
enum class THostSubObject : uint8_t { Validator = 1, Dravoc = 2, Counter = 3 };

// Kind of the running program (program-master element 8).
enum class TProgramKind : uint8_t { Other = 0, W = 1, E = 2, Z = 3 };

// The lookup-window call: what the caller gives (A table or window name, B
// the query number, Value the current value, the texts and flags of the
// lookup) and the window handle to own it (0: the owner form's).
struct TLookupRequest {
    plat::Variant A;
    plat::Variant B;
    plat::Variant Value;
    std::string Text1;
    bool Bool1 = false;
    bool Bool2 = false;
    THandle Handle = 0;
    std::string Text2, Text3, Text4;
};

// Another program's program-master row (QueryProgramMaster).
struct TProgramMasterRow {
    bool Found = false;
    std::string Name;         // MB011 under UI code page 437, else MB002; the code when not found
    std::string ChineseName;  // MB002
    std::string EnglishName;  // MB011
    std::string Flag12, Flag13;
};

// The search window of the lookup subsystem, as the broker runs it.
class ISearchWindow {
  public:
    virtual ~ISearchWindow() = default;
    virtual plat::Variant Execute(TBrokers* broker, const plat::Variant& mainTable,
                                  const plat::Variant& mainKind, const plat::Variant& mainParams,
                                  const plat::Variant& bodyTable, const plat::Variant& bodyKind,
                                  const plat::Variant& bodyParams, const std::string& linkField,
                                  const std::string& computeKinds, int productID,
                                  const std::string& baseLimited) = 0;
};
// The lookup subsystem registers how its search window is made (no owner).
using TSearchWindowFactory = std::function<std::unique_ptr<ISearchWindow>()>;
TSearchWindowFactory SetSearchWindowFactory(TSearchWindowFactory factory);

// Parts of Source around the first delimiter: Part before it, Source after it;
// without the delimiter Part takes all and Source becomes empty.
void SplitFirst(std::string& source, const std::string& delimiter, std::string& part);
// Occurrences of the delimiter + 1; 0 for an empty text.
int CountParts(const std::string& source, const std::string& delimiter);

class TBrokers : public plat::TComponent {
    PLAT_CLASS(TBrokers, TComponent)
  public:
    explicit TBrokers(plat::TComponent* owner = nullptr);
    ~TBrokers() override;

    // ---- record ----
    std::string ProgramCode;  // upper case
    std::string UserID;
    std::string UserGroup;
    std::string CompanyID;
    std::string SignOnKey;

    // The form that owns the broker, or null.
    IRadicalForm* OwnerForm() const;

    // The host's work-centre object and its three services.
    const plat::Variant& MainObject() const { return mainObject_; }
    void SetMainObject(const plat::Variant& object) { mainObject_ = object; }
    const plat::Variant& ComValidator() const { return comValidator_; }
    const plat::Variant& ComDravoc() const { return comDravoc_; }
    const plat::Variant& ComCounter() const { return comCounter_; }
    // Which sub-objects AttachSubObjects fetches: bit n = element n; 15 by default.
    uint8_t FetchSet() const { return fetchSet_; }
    void SetFetchSet(uint8_t set) { fetchSet_ = set; }

    // ---- parameter lists ----
    void SetSysParam(const std::string& name, const std::string& value);
    std::string GetSysParam(const std::string& name) const;
    plat::TStringList& SysParams() { return sysParams_; }
    // Host parameters ("M11_TABLE", "POWER_DATA" ...), filled when the data
    // module connects; a missing name reads as empty text.
    plat::TStringList& HostParams() { return hostParams_; }
    std::string HostParam(const std::string& name) const { return hostParams_.Values(name); }

    // ---- program-master record ----
    const std::string& GetProgramName() const { return programName_; }
    const std::string& GetReportProgram() const { return reportProgram_; }
    // Elements 2 and 3 joined by ";".
    std::string GetTxnValues() const { return txnValue2_ + ";" + txnValue3_; }
    // Elements 4, 5 and 6 of the record (empty for any other index); a "§"
    // in element 5 selects the second sign-off queue.
    std::string MasterElement(int index) const;
    bool ProgramFlag() const { return programFlag_; }
    // The application server's "Connect" argument: [program, user, company,
    // sign-on key, connect flag, program flag], as wide texts. Every
    // connection of the module to a remote server presents it.
    plat::Variant SignOnParams(bool connectFlag) const;
    TProgramKind ProgramKind() const { return programKind_; }

    // ---- host objects ----
    bool AttachSubObjects();
    bool GetSysInfo();
    std::string GetMessage(const std::string& kind, const std::string& code);
    // Raises when the host object cannot say.
    int GetProductID();
    void LoadProgramInfo();

    // ---- messages ----
    // Shows the host's text of (kind, code) formatted with args; the modal
    // result. Kind "W" raises the silent abort when the answer is not OK and
    // abortOnCancel is set. The code page is not used.
    int ShowMessageCode(const std::string& kind, const std::string& code,
                        const std::vector<plat::Variant>& args = {}, int codePage = 936,
                        bool abortOnCancel = false, TMsgDlgBtn defaultButton = TMsgDlgBtn::mbOK);
    int BuildMessageDialog(const std::string& text, TMsgDlgType type, const TMsgDlgButtons& buttons,
                           int displayMode, TMsgDlgBtn defaultButton);

    // ---- server calls by name ----
    // GETCOUNTER on the counter with the name, the arguments and the sign-on
    // pair; Unassigned without a counter. Exceptions pass.
    void CallServerMethod(const std::string& name, const plat::Variant& args,
                          plat::Variant& result);
    plat::Variant CallServerMethod(const std::string& name, const plat::Variant& args);
    plat::Variant SignOnPair() const;

    // ---- validator ----
    // False for a missing validator and on any exception.
    bool CheckValue(const std::string& table, const std::string& kind, const plat::Variant& keys,
                    plat::Variant& result);
    bool QueryData(const std::string& table, const std::string& kind, const plat::Variant& keys,
                   plat::Variant& result);
    // Whether the last CheckValue or QueryData failed (the validator raised:
    // the server could not be asked) rather than found nothing, and why.
    bool ValidatorFailed() const { return !validatorError_.empty(); }
    const std::string& ValidatorError() const { return validatorError_; }
    // The next document number for the current values of every key field but
    // the last; "unKnow" when the validator cannot give one.
    void QueryMaxSeq(plat::TDataSet* dataSet, const std::string& table,
                     const std::string& keyFields, const std::string& dateText,
                     std::string& number);

    // ---- lookup-window services ----
    // The lookup window; in the owner form's lookup capture stages the request
    // is captured or the prepared answer returned instead.
    plat::Variant F2GetData(const TLookupRequest& request);
    // The capture branch alone: stage 1 stores the request in the form, stage
    // 2 gives the form's prepared answer; any other stage does nothing.
    plat::Variant F2GetDataForCombo(const TLookupRequest& request);
    std::string ShowInputDay(bool flag, const std::string& text);
    std::string GetPhrase2(const std::string& text);
    plat::Variant ShowCharaters(int kind, bool flag, const std::string& user,
                                const std::string& company, THandle handle);
    std::string GetCalcValue(const std::string& text);

    // ---- programs and documents ----
    // A host job: ExecWork(job, Unassigned, run, 0, output); its result.
    plat::Variant ExecWork(const plat::Variant& job, const plat::Variant& run,
                           plat::Variant& output);
    // A program start with the run values [6, 0, param]; the output is dropped.
    void ExecWork(const plat::Variant& program, const plat::Variant& param);
    int RunJobProgram(const std::string& programCode, const plat::Variant& params,
                      const plat::Variant& options, plat::Variant& output, bool showErrors);
    // Kind 1 sign-off queue, 2 pager, 3 message centre.
    bool SendDocument(int kind, const plat::Variant& params);
    // The host's help for [program prefix, context].
    void CallHelp(const plat::Variant& topic);
    void OpenSearchWindow(const plat::Variant& mainTable, const plat::Variant& mainKind,
                          const plat::Variant& mainParams,
                          const plat::Variant& bodyTable = plat::Unassigned,
                          const plat::Variant& bodyKind = plat::Unassigned,
                          const plat::Variant& bodyParams = plat::Unassigned,
                          const std::string& linkField = "", const std::string& computeKinds = "");
    void QueryProgramMaster(const std::string& programCode, std::string& name);
    TProgramMasterRow QueryProgramMaster(const std::string& programCode);

  private:
    plat::Variant requestForCombo(const TLookupRequest& request);
    void prepareValidator(plat::Dispatch& validator);
    bool callValidator(const char* method, const std::string& table, const std::string& kind,
                       const plat::Variant& keys, plat::Variant& result);
    int productIdOrDefault();
    THandle ownerHandle() const;
    std::string uiCodePage() const;
    int displayMode() const;
    std::string toDisplay(const std::string& text) const;
    bool sendForSignOff(const plat::Variant& params);

    std::string masterElement4_, masterElement6_, masterElement5_;
    std::string programName_;
    std::string reportProgram_;
    std::string txnValue2_, txnValue3_;
    void mergeSysParams(const std::vector<std::pair<std::string, std::string>>& entries);
    plat::TStringList sysParams_;
    uint8_t fetchSet_ = 15;
    plat::Variant mainObject_;
    plat::Variant comDravoc_;
    plat::Variant comValidator_;
    std::string validatorError_;
    plat::Variant comCounter_;
    plat::TStringList hostParams_;
    bool programFlag_ = false;
    TProgramKind programKind_ = TProgramKind::Other;
};

}  // namespace ktrb
