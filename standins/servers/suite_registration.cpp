#include "standins/servers/suite_registration.h"

#include "standins/servers/data_files.h"
#include "standins/servers/office_servers.h"
#include "standins/servers/spreadsheet_app.h"
#include "standins/servers/transaction_server.h"

namespace standin {

std::vector<std::unique_ptr<plat::OleFactoryScope>> RegisterSuiteServers(
    std::shared_ptr<const SuiteServices> services) {
    auto rules = std::make_shared<const std::vector<NumberingRule>>(
        LoadNumberingRules(StandinDataPath("host/numbering_rules.tsv")));
    std::vector<std::unique_ptr<plat::OleFactoryScope>> scopes;
    auto add = [&](const char* progId, plat::OleFactory factory) {
        scopes.push_back(std::make_unique<plat::OleFactoryScope>(progId, std::move(factory)));
    };
    add(progid::kTransactionServer, [services] { return CreateTransactionServer(services); });
    add(progid::kPager, [services] { return CreatePager(services); });
    add(progid::kNumberingRules,
        [services, rules] { return CreateNumberingRuleTree(services, *rules); });
    add(progid::kAttachments, [services] { return CreateAttachmentManager(services); });
    add(progid::kDocuments, [services] { return CreateDocumentManager(services); });
    add(progid::kSpreadsheet, [] { return CreateSpreadsheetApplication(); });
    if (services->newSession) {
        add(progid::kAppServer, [services] { return services->newSession(); });
        add(progid::kLookupServer, [services] { return services->newSession(); });
    }
    return scopes;
}

}  // namespace standin
