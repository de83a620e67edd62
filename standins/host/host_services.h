// What the host's work-centre object answers from: the application
// server's query catalogue and document numbering (behind narrow
// interfaces), the lookup-window services, the message catalogue, the
// system parameters and the program master, and the suite's shared services.
#pragma once
#include <memory>
#include <string>

#include "platform/core/variant.h"
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
    std::shared_ptr<IDravocService> dravoc = std::make_shared<ScriptedDravoc>();
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
