// The suite's transaction server ("VelmoraC.Class1"): confirms ("DO"),
// unconfirms ("UNDO"), voids ("VOID") and restores ("UNVOID") a document in
// the database in one transaction, and checks a status change in advance
// (DoCheck). A document whose FLAG changed since the client read it is
// refused, as are a missing document, a void one (but for "UNVOID"), a second
// confirm, a void of a confirmed one, an unconfirm of an unconfirmed one and
// a restore of one that is not void. Refusals
// come back as coded messages (ResultDesc = [kind, code, [arguments]]).
// A confirm posts its lines' quantities to the documents they came from (a
// receipt's work order and arrival note) in the same transaction, and an
// unconfirm takes them back, so the next document reads what is left.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "platform/automation/dispatch.h"
#include "standins/servers/suite_services.h"

namespace standin {

// What a confirm adds to the rows its lines came from: for every row of
// `table` that some line matches, each column grows by the sum of its
// expression over the matching lines (and shrinks by it on unconfirm).
struct TxnPosting {
    std::string table;
    std::string match;  // SQL condition joining a line to its row of `table`
    std::vector<std::pair<std::string, std::string>> sums;  // column, line expression
};

// How a program's documents are confirmed.
struct TxnDefinition {
    std::string program;  // the program code of the transaction target
    std::string headTable;
    std::vector<std::string> headKeys;  // in the order of the request's key values
    std::string headStatus;             // "N" open, "Y" confirmed, "V" void
    std::string confirmDate;            // written with the request's confirm date
    std::string bodyTable;
    std::vector<std::string> bodyKeys;  // the body columns holding the head key
    std::string bodyStatus;
    std::vector<std::string> bodyLocks;  // a line with one of these "Y" cannot be unconfirmed
    std::string signOffStatus;           // the head's sign-off status column
    std::vector<TxnPosting> postings;
};
const std::vector<TxnDefinition>& TransactionDefinitions();

struct TxnResult {
    bool ok = false;
    int errorCode = 0;          // 0 on success
    plat::Variant resultDesc;   // [kind, code, [arguments]] when refused
    std::string errorDescript;  // the refusal as plain text
    std::string returnSeq;      // empty: nothing to show on success
};

// Runs the request against the services' database; with write false only
// the checks run (DoCheck). Never raises: every failure is a refusal.
TxnResult RunTransaction(const SuiteServices& services, const plat::Variant& request,
                         const plat::Variant& target, bool write);

// Fills a message text's places (%s, %d) with the arguments in order;
// "%%" is a percent sign; missing arguments leave their place empty.
std::string FillMessagePlaces(const std::string& text, const std::vector<std::string>& args);

std::shared_ptr<plat::Dispatch> CreateTransactionServer(
    std::shared_ptr<const SuiteServices> services);

}  // namespace standin
