// What the host's work-centre object answers from: the application
// server's query catalogue and document numbering (behind narrow
// interfaces), the lookup-window services, the message catalogue, the
// system parameters and the program master, and the suite's shared services.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/variant.h"
#include "standins/appserver/server.h"
#include "standins/host/dravoc_service.h"
#include "standins/host/message_catalogue.h"
#include "standins/host/program_master.h"
#include "standins/host/system_parameters.h"
#include "standins/servers/suite_services.h"

namespace standin {

// The validator's look-ups by table name and two-digit query number.
class IQueryCatalogue {
  public:
    virtual ~IQueryCatalogue() = default;
    // True with the reply in `result` when the look-up found its record; an
    // unknown (table, query) is not found. `database` is the sign-on key.
    virtual bool CheckValue(const std::string& table, const std::string& query,
                            const std::string& database, const plat::Variant& keys,
                            plat::Variant& result) = 0;
    virtual bool QueryData(const std::string& table, const std::string& query,
                           const std::string& database, const plat::Variant& keys,
                           plat::Variant& result) = 0;
};

// What the host's own windows read from the server: pages of a lookup for
// the lookup window, and the common phrases.
struct LookupRows {
    std::vector<std::string> columns;
    std::vector<std::vector<plat::Variant>> rows;
    bool more = false;  // rows follow the page
    // The lookup's captions ("caption$code;..." by column, Chinese and
    // English) and the fields handed back (comma-separated).
    std::string display, displayEng, returnFields;
    // Columns shown only with the amount or the price right (comma-
    // separated), and coded columns' texts: "FIELD<TAB>shown|value;..." lines.
    std::string moneyFields, priceFields, maps;
};

struct Phrase {
    int64_t number = 0;
    std::string user;  // empty: the company's
    std::string text;
};

class IHostLookups {
  public:
    virtual ~IHostLookups() = default;
    // Raises when the server refuses (an unknown lookup, a bad page).
    virtual LookupRows LookupPage(const LookupPageRequest& request) = 0;
    // The user's phrases and the company's.
    virtual std::vector<Phrase> Phrases(const std::string& user) = 0;
    virtual int64_t AddPhrase(const std::string& user, const std::string& text,
                              bool forCompany) = 0;
    virtual bool DeletePhrase(const std::string& user, int64_t number) = 0;
};

// The next document number of a document type for a date.
class IDocumentNumbering {
  public:
    virtual ~IDocumentNumbering() = default;
    // keyFields: the table's comma-separated key; values: the values of all
    // key fields but the last (the number field). False when no number can
    // be given (unknown type, manual numbering, numbers used up).
    virtual bool NextNumber(const std::string& table, const std::string& keyFields,
                            const plat::Variant& values, const std::string& date,
                            const std::string& program, const std::string& database,
                            std::string& number) = 0;
};

struct HostServices {
    std::shared_ptr<SuiteServices> suite = std::make_shared<SuiteServices>();
    std::shared_ptr<IQueryCatalogue> catalogue;
    std::shared_ptr<IDocumentNumbering> numbering;
    std::shared_ptr<IHostLookups> lookups;
    // The lookup-window services: the host program's windows; none until set.
    std::shared_ptr<IDravocService> dravoc;
    std::shared_ptr<const MessageCatalogue> messages;
    std::shared_ptr<SystemParameters> sysParams;
    std::shared_ptr<ProgramMaster> programs;
    MessageLanguage language = MessageLanguage::SimplifiedChinese;
    int productId = 1;
    int dependencyVersion = 8000;
    // Where print runs leave their output; empty: a folder under the
    // system's temporary folder.
    std::string printFolder;
};

// Services with the bundled messages, system parameters and program master,
// and the suite's message texts taken from the catalogue; no server, no
// catalogue and no numbering yet.
std::shared_ptr<HostServices> MakeHostServices();

}  // namespace standin
