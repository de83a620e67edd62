// Registration of the suite servers under their ProgIDs.
#pragma once
#include <memory>
#include <vector>

#include "platform/automation/oleobject.h"
#include "standins/servers/suite_services.h"

namespace standin {

// Registers the transaction server, the pager, the numbering-rule tree, the
// attachment manager, the document manager and the spreadsheet application
// over the services, and, when
// the services have an in-process application server, its sessions as
// "NevaQ22D.Class1" and as the lookup server "DravocS.Class1"; each
// creation gives a new object. The scopes put back what was registered
// before when they end.
std::vector<std::unique_ptr<plat::OleFactoryScope>> RegisterSuiteServers(
    std::shared_ptr<const SuiteServices> services);

}  // namespace standin
