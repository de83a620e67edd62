#include "standins/servers/office_servers.h"

#include <chrono>
#include <ctime>
#include <filesystem>

#include "platform/core/text.h"
#include "standins/servers/data_files.h"
#include "standins/servers/variant_args.h"

namespace standin {

namespace fs = std::filesystem;

std::string HostDateText() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char buf[16];
    std::strftime(buf, sizeof buf, "%Y%m%d", &local);
    return buf;
}

std::vector<NumberingRule> LoadNumberingRules(const std::string& path) {
    std::vector<NumberingRule> rules;
    for (auto& row : ReadTsvFile(path, 5, true)) {
        auto& f = row.fields;
        rules.push_back({f[0], f[1], f[2], f[3], f[4] == "Y"});
    }
    return rules;
}

std::string ExpandRulePattern(const std::string& pattern, const std::string& date) {
    const std::string d = date.size() == 8 ? date : HostDateText();
    static const std::pair<const char*, std::pair<int, int>> kTokens[] = {
        {"{YYYY}", {0, 4}}, {"{YY}", {2, 2}}, {"{MM}", {4, 2}}, {"{DD}", {6, 2}}};
    std::string out = pattern;
    for (auto& [token, part] : kTokens)
        out = plat::StringReplace(out, token, d.substr(part.first, part.second),
                                  plat::ReplaceFlags::All);
    return out;
}

namespace {

class Pager : public plat::DispatchObject {
  public:
    explicit Pager(std::shared_ptr<const SuiteServices> services)
        : DispatchObject(progid::kPager), services_(std::move(services)) {
        // ShowSendSelmor(var user, [company, program], document, extra)
        Method(
            "ShowSendSelmor",
            [this](plat::DispArgs a) {
                const plat::Variant& where = a.size() > 1 ? a[1] : plat::Unassigned;
                services_->journal->Record(
                    {SuiteEventKind::PageSent, ArgText(a[0]),
                     ArgText(ArgItem(where, 0)) + "/" + ArgText(ArgItem(where, 1)),
                     a.size() > 2 ? a[2] : plat::Variant()});
                return plat::Variant(true);
            },
            1, 4);
    }

  private:
    std::shared_ptr<const SuiteServices> services_;
};

class NumberingRuleTree : public plat::DispatchObject {
  public:
    NumberingRuleTree(std::shared_ptr<const SuiteServices> services,
                      std::vector<NumberingRule> rules)
        : DispatchObject(progid::kNumberingRules),
          services_(std::move(services)),
          rules_(std::move(rules)) {
        // ShowTree([kind, company, database, ...]): the pattern of the chosen rule, "" for none.
        Method(
            "ShowTree",
            [this](plat::DispArgs a) {
                const std::string kind =
                    plat::Trim(a[0].IsArray() ? ArgText(ArgItem(a[0], 0)) : ArgText(a[0]));
                for (auto& r : rules_)
                    if (r.kind == kind && r.isDefault)
                        return plat::Variant(ExpandRulePattern(r.pattern, HostDateText()));
                services_->journal->Unavailable(
                    progid::kNumberingRules, "ShowTree: no default numbering rule of kind " + kind);
                return plat::Variant(std::string());
            },
            1, 1);
    }

  private:
    std::shared_ptr<const SuiteServices> services_;
    std::vector<NumberingRule> rules_;
};

class AttachmentManager : public plat::DispatchObject {
  public:
    explicit AttachmentManager(std::shared_ptr<const SuiteServices> services)
        : DispatchObject(progid::kAttachments), services_(std::move(services)) {
        // Init([company, user, program, key text, key list, "1"])
        Method(
            "Init",
            [this](plat::DispArgs a) {
                init_ = a[0];
                return plat::Variant(true);
            },
            1, 1);
        Property(
            "ParentHandle", [this] { return parent_; },
            [this](const plat::Variant& v) { parent_ = v; });
        Method(
            "ShowModal",
            [this](plat::DispArgs) {
                services_->journal->Unavailable(progid::kAttachments,
                                                "ShowModal: the attachment window for " +
                                                    ArgText(ArgItem(init_, 2)) + " " +
                                                    ArgText(ArgItem(init_, 3)));
                return plat::Variant(2);  // cancelled
            },
            0, 0);
    }

  private:
    std::shared_ptr<const SuiteServices> services_;
    plat::Variant init_;
    plat::Variant parent_;
};

class DocumentManager : public plat::DispatchObject {
  public:
    explicit DocumentManager(std::shared_ptr<const SuiteServices> services)
        : DispatchObject(progid::kDocuments), services_(std::move(services)) {
        // CheckOut([user, "R", document, version, ""], var files): 0 with files[0] the copy; -1 not
        // found.
        Method(
            "CheckOut", [this](plat::DispArgs a) { return CheckOut(a[0], a[1]); }, 2, 2);
    }

  private:
    plat::Variant CheckOut(const plat::Variant& request, plat::Variant& files) {
        const std::string user = ArgText(ArgItem(request, 0));
        const std::string document = plat::Trim(ArgText(ArgItem(request, 2)));
        const fs::path source = Find(document);
        if (source.empty()) {
            services_->journal->Unavailable(progid::kDocuments,
                                            "CheckOut: no document \"" + document + "\"");
            return plat::Variant(-1);
        }
        std::error_code ec;
        fs::path folder =
            fs::path(services_->checkoutFolder.empty() ? fs::temp_directory_path().string()
                                                       : services_->checkoutFolder) /
            UserFolder(user);
        fs::create_directories(folder, ec);
        fs::path copy = folder / source.filename();
        fs::copy_file(source, copy, fs::copy_options::overwrite_existing, ec);
        if (ec) {
            services_->journal->Unavailable(progid::kDocuments, "CheckOut: " + ec.message());
            return plat::Variant(-1);
        }
        files = plat::Variant::ArrayOf({copy.string()});
        services_->journal->Record(
            {SuiteEventKind::DocumentCheckedOut, document, copy.string(), {}});
        return plat::Variant(0);
    }

    // One folder name inside the checkout folder, whatever the user text holds.
    static std::string UserFolder(const std::string& user) {
        std::string name;
        for (char c : user) name += (c == '/' || c == '\\') ? '_' : c;
        return name.empty() || name == "." || name == ".." ? "user" : name;
    }

    // A file of the document folder named like the document (any extension);
    // a name with a path in it is never looked up.
    fs::path Find(const std::string& document) const {
        if (document.empty() || document.find_first_of("/\\") != std::string::npos ||
            document == "." || document == "..")
            return {};
        fs::path folder = services_->documentFolder.empty()
                              ? fs::path(StandinDataPath("host/documents"))
                              : fs::path(services_->documentFolder);
        std::error_code ec;
        for (auto& entry : fs::directory_iterator(folder, ec))
            if (entry.is_regular_file() && plat::SameText(entry.path().stem().string(), document))
                return entry.path();
        return {};
    }

    std::shared_ptr<const SuiteServices> services_;
};

}  // namespace

std::shared_ptr<plat::Dispatch> CreatePager(std::shared_ptr<const SuiteServices> services) {
    return std::make_shared<Pager>(std::move(services));
}

std::shared_ptr<plat::Dispatch> CreateNumberingRuleTree(
    std::shared_ptr<const SuiteServices> services, std::vector<NumberingRule> rules) {
    return std::make_shared<NumberingRuleTree>(std::move(services), std::move(rules));
}

std::shared_ptr<plat::Dispatch> CreateAttachmentManager(
    std::shared_ptr<const SuiteServices> services) {
    return std::make_shared<AttachmentManager>(std::move(services));
}

std::shared_ptr<plat::Dispatch> CreateDocumentManager(
    std::shared_ptr<const SuiteServices> services) {
    return std::make_shared<DocumentManager>(std::move(services));
}

}  // namespace standin
