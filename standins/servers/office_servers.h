// The smaller suite servers: the pager ("QRVPagerC.Class1"), the
// numbering-rule tree ("Tarvolin.Class1"), the attachment manager
// ("Vellcor.Class1") and the document manager ("NorvanC.NORVANClass1").
// Without windows the pager records the page in the journal, the rule tree
// answers the default rule of the kind, the attachment manager records that
// its window is not available here, and the document manager checks out a
// copy of a document from its folder.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "platform/automation/dispatch.h"
#include "standins/servers/suite_services.h"

namespace standin {

struct NumberingRule {
    std::string kind, code, name, pattern;
    bool isDefault = false;
};
// host/numbering_rules.tsv; raises plat::EInOutError for a malformed file.
std::vector<NumberingRule> LoadNumberingRules(const std::string& path);
// The pattern with {YYYY} {YY} {MM} {DD} replaced by the date "YYYYMMDD".
std::string ExpandRulePattern(const std::string& pattern, const std::string& date);

std::shared_ptr<plat::Dispatch> CreatePager(std::shared_ptr<const SuiteServices> services);
std::shared_ptr<plat::Dispatch> CreateNumberingRuleTree(
    std::shared_ptr<const SuiteServices> services, std::vector<NumberingRule> rules);
std::shared_ptr<plat::Dispatch> CreateAttachmentManager(
    std::shared_ptr<const SuiteServices> services);
std::shared_ptr<plat::Dispatch> CreateDocumentManager(
    std::shared_ptr<const SuiteServices> services);

// Today as "YYYYMMDD" (local time).
std::string HostDateText();

}  // namespace standin
