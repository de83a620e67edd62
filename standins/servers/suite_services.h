// What the stand-in suite servers and the host objects share: the server's
// database, the application server's operations by name, the journal of
// what was done, and the host's message texts.
#pragma once
#include <functional>
#include <memory>
#include <string>

#include "platform/automation/dispatch.h"
#include "platform/core/variant.h"
#include "standins/servers/suite_journal.h"

namespace standin {

class Database;

// The application server's operations by name ("SimpleSQL", "UnitConvert",
// "INSERTSVJOB" ...), as the host's counter forwards them.
class IServerOperations {
  public:
    virtual ~IServerOperations() = default;
    // The operation's reply; a refused or unknown operation raises.
    virtual plat::Variant CallOperation(const std::string& name, const plat::Variant& args,
                                        const plat::Variant& signOn) = 0;
};

struct SuiteServices {
    // The server's database; the transaction server and the document
    // numbering write it directly, each write in one transaction. Null when
    // the installation has no database at hand (those functions then refuse).
    std::shared_ptr<Database> database;
    std::shared_ptr<IServerOperations> server;
    // A new session object of the in-process application server, for
    // "NevaQ22D.Class1" and the lookup server "DravocS.Class1"; unset when the
    // server is reached over the network (those ProgIDs are then not served).
    std::function<std::shared_ptr<plat::Dispatch>()> newSession;
    std::shared_ptr<SuiteJournal> journal = std::make_shared<SuiteJournal>();
    // The host's text of a message code (the stand-ins' own refusals are
    // coded messages); without it a refusal's plain text is the code itself.
    std::function<std::string(const std::string& kind, const std::string& code)> messageText;
    // Where the document manager finds documents and puts checked-out copies.
    std::string documentFolder;
    std::string checkoutFolder;
};

// The ProgIDs of the suite's servers.
namespace progid {
inline constexpr const char* kTransactionServer = "VelmoraC.Class1";
inline constexpr const char* kPager = "QRVPagerC.Class1";
inline constexpr const char* kNumberingRules = "Tarvolin.Class1";
inline constexpr const char* kAttachments = "Vellcor.Class1";
inline constexpr const char* kDocuments = "NorvanC.NORVANClass1";
inline constexpr const char* kWorkCenter = "BrannixCenter.Manager";
inline constexpr const char* kCounter = "TallikC.Class1";
inline constexpr const char* kLookupServer = "DravocS.Class1";
inline constexpr const char* kAppServer = "NevaQ22D.Class1";
inline constexpr const char* kSpreadsheet = "Excel.Application";
}  // namespace progid

}  // namespace standin
