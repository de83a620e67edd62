// The values a header/body form exchanges with the transaction server: the
// confirm request (key array K, parameter array P, request R), the target
// pair, the result array read back from the server, and the tally of a
// batch run. Plain functions and values, so that they are tested without a
// window.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/automation/dispatch.h"
#include "platform/core/variant.h"

namespace ktrb {

// The status changes of a document: the first argument of ChangeDocStatus.
enum class TStatusChange : uint8_t { Unvoid = 0, Void = 1, Unconfirm = 2, Confirm = 3 };

inline constexpr const char* kTxnServerProgID = "VelmoraC.Class1";
inline constexpr const char* kTxnServerClass = "Velmora.TxnManager";

// The server class and the program code of the transaction target. The
// program-master text "class;program" overrides either part when its token
// is not blank.
plat::Variant BuildTxnTarget(const std::string& serverClass, const std::string& programCode,
                             const std::string& txnValues);

struct TConfirmRequestInput {
    TStatusChange kind = TStatusChange::Confirm;
    // The texts of the head key fields, in key-list order.
    std::vector<std::string> keyTexts;
    // Replaces the last key (the document number) when not empty.
    std::string serverNumber;
    std::string flagText;  // the head FLAG as an integer text
    // "yyyymmdd", or Unassigned (an unconfirm without the date dialog).
    plat::Variant confirmDate;
    std::string programId;
    std::string user;     // first sign-on string
    std::string company;  // second sign-on string
    std::string uiCodePage, systemCodePage;
    bool programFlag = false;
};

// K[0] of a status change: "DO", "UNDO"; the void kinds "VOID", "UNVOID".
std::string TxnAction(TStatusChange kind);
// K: bounds 0..n+1 (action, keys, FLAG).
plat::Variant BuildConfirmKeys(const TConfirmRequestInput& in);
// R: bounds 0..9, with P (bounds 0..n+6) in R[5].
plat::Variant BuildConfirmRequest(const TConfirmRequestInput& in, const plat::Variant& target);

// [ReturnSeq] in element 2 on success; [ErrorCode, ResultDesc,
// ErrorDescript] on failure. Properties the server lacks stay empty.
plat::Variant ReadTxnResult(plat::Dispatch& server, bool succeeded);

// A coded message of a failed transaction: ResultDesc = [kind, code, args].
struct TCodedResult {
    bool coded = false;
    std::string kind;  // the whole kind text; its first letter is the type
    std::string code;
    std::vector<plat::Variant> args;  // up to ten texts
};
TCodedResult CodedResult(const plat::Variant& result);
// Element 2 of the result as text ("" when the result is no array).
std::string ResultText(const plat::Variant& result);

// The counts of a batch confirm and the keys of the failed documents.
struct TBatchTally {
    int total = 0, succeeded = 0, exceptions = 0, failed = 0;
    std::string failedText = " ";
    // Each key followed by "-", the last "-" turned into ","; a line break
    // after every fifth failure.
    void AddFailure(const std::vector<std::string>& keyTexts);
    // The text without its final ",".
    std::string FailedList() const;
    // withFailures: "%d %d %d %d %s"; withoutFailures: "%d %d %d %d".
    std::string Summary(const std::string& withFailures, const std::string& withoutFailures) const;
};

}  // namespace ktrb
