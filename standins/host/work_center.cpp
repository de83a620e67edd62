#include "standins/host/work_center.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "platform/core/text.h"
#include "platform/system/desktop.h"
#include "standins/host/serial_program.h"
#include "standins/print/page_renderer.h"
#include "standins/print/printed_document.h"
#include "standins/servers/suite_registration.h"
#include "standins/servers/variant_args.h"

namespace standin {

namespace fs = std::filesystem;

namespace {

class Validator : public plat::DispatchObject {
  public:
    explicit Validator(std::shared_ptr<HostServices> s)
        : DispatchObject("Com_Validator"), s_(std::move(s)) {
        Property(
            "ProductID", [this] { return productId_; },
            [this](const plat::Variant& v) { productId_ = v; });
        Property(
            "BaseLimited", [this] { return baseLimited_; },
            [this](const plat::Variant& v) { baseLimited_ = v; });
        // CheckValue / QueryData (table, query, var sign-on key, var keys, var result): Boolean
        Method(
            "CheckValue", [this](plat::DispArgs a) { return LookUp(a, false); }, 5, 5);
        Method(
            "QueryData", [this](plat::DispArgs a) { return LookUp(a, true); }, 5, 5);
        // QueryMaxSeq (table, key fields, values, date, program, sign-on key, var number): Boolean
        Method(
            "QueryMaxSeq",
            [this](plat::DispArgs a) {
                std::string number;
                bool ok = s_->numbering && s_->numbering->NextNumber(
                                               ArgText(a[0]), ArgText(a[1]), a[2], ArgText(a[3]),
                                               ArgText(a[4]), ArgText(a[5]), number);
                if (ok) a[6] = number;
                return plat::Variant(ok);
            },
            7, 7);
    }

  private:
    plat::Variant LookUp(plat::DispArgs a, bool rows) {
        if (!s_->catalogue) return plat::Variant(false);
        plat::Variant result;
        const std::string table = plat::Trim(ArgText(a[0])), query = plat::Trim(ArgText(a[1]));
        const std::string database = ArgText(a[2]);
        bool found = rows ? s_->catalogue->QueryData(table, query, database, a[3], result)
                          : s_->catalogue->CheckValue(table, query, database, a[3], result);
        a[4] = result;
        return plat::Variant(found);
    }

    std::shared_ptr<HostServices> s_;
    plat::Variant productId_, baseLimited_;
};

class Counter : public plat::DispatchObject {
  public:
    Counter(std::shared_ptr<HostServices> s, const char* name)
        : DispatchObject(name), s_(std::move(s)) {
        // GetSysInfo (var company): [0..1, 0..n-1], names in row 0, values in row 1
        Method(
            "GetSysInfo",
            [this](plat::DispArgs a) {
                return s_->sysParams ? s_->sysParams->SysInfoReply(plat::Trim(ArgText(a[0])))
                                     : plat::Variant();
            },
            1, 1);
        // GETCOUNTER (var name, var arguments, sign-on pair): the operation's reply
        Method(
            "GETCOUNTER",
            [this](plat::DispArgs a) {
                if (!s_->suite->server)
                    throw plat::Exception("The application server is not connected");
                return s_->suite->server->CallOperation(plat::Trim(ArgText(a[0])), a[1], a[2]);
            },
            3, 3);
    }

  private:
    std::shared_ptr<HostServices> s_;
};

class Dravoc : public plat::DispatchObject {
  public:
    explicit Dravoc(std::shared_ptr<HostServices> s)
        : DispatchObject("Com_Dravoc"), s_(std::move(s)) {
        Method(
            "F2GetData", [this](plat::DispArgs a) { return service().F2GetData(a[0]); }, 1, 1);
        Method(
            "ShowInputDay",
            [this](plat::DispArgs a) { return plat::Variant(service().ShowInputDay(a[0])); }, 1, 1);
        // GetPhrase2 (user, company, window, var text): negative when cancelled
        Method(
            "GetPhrase2",
            [this](plat::DispArgs a) {
                std::string text = ArgText(a[3]);
                int r = service().GetPhrase2(ArgText(a[0]), ArgText(a[1]), ArgInt(a[2]), text);
                a[3] = text;
                return plat::Variant(r);
            },
            4, 4);
        // ShowCharaters (user, company, var kind, flag, window text)
        Method(
            "ShowCharaters",
            [this](plat::DispArgs a) {
                return service().ShowCharaters(ArgText(a[0]), ArgText(a[1]), a[2],
                                               ArgInt(a[3]) != 0, ArgText(a[4]));
            },
            5, 5);
        // GetCalcValue (var text, window)
        Method(
            "GetCalcValue",
            [this](plat::DispArgs a) {
                std::string text = ArgText(a[0]);
                std::string r = service().GetCalcValue(text, a.size() > 1 ? ArgInt(a[1]) : 0);
                a[0] = text;
                return plat::Variant(r);
            },
            1, 2);
    }

  private:
    IDravocService& service() {
        if (!s_->dravoc) throw plat::Exception("The lookup services are not available");
        return *s_->dravoc;
    }
    std::shared_ptr<HostServices> s_;
};

// What the image print run hands back: the report engine, which the caller quits.
class ReportEngine : public plat::DispatchObject {
  public:
    ReportEngine() : DispatchObject("Report") {
        Method(
            "Quit", [](plat::DispArgs) { return plat::Variant(); }, 0, 0);
    }
};

std::string FileSafe(const std::string& s) {
    std::string out;
    for (unsigned char c : s)
        out += (std::isalnum(c) || c == '-' || c == '_' || c >= 0x80) ? char(c) : '_';
    return out.empty() ? "_" : out;
}

std::string KeysText(const plat::Variant& keys) {
    if (!keys.IsArray()) return ArgText(keys);
    std::string out;
    for (int i = 0; i < ArgCount(keys); ++i)
        out += (i ? "-" : "") + plat::Trim(ArgText(ArgItem(keys, i)));
    return out;
}

class WorkCenter : public plat::DispatchObject {
  public:
    explicit WorkCenter(std::shared_ptr<HostServices> s)
        : DispatchObject("BrannixCenter.Manager"),
          s_(std::move(s)),
          validator_(CreateValidator(s_)),
          dravoc_(CreateDravoc(s_)),
          counter_(std::make_shared<Counter>(s_, "Com_Counter")) {
        Property("DependencyVersion", [this] { return plat::Variant(s_->dependencyVersion); });
        Property("ProductID", [this] { return plat::Variant(s_->productId); });
        Property(
            "Language",
            [this] {
                return plat::Variant(s_->language == MessageLanguage::English ? "ENG" : "CHS");
            },
            [this](const plat::Variant& v) { s_->language = MessageLanguageFromTag(ArgText(v)); });
        Property("Com_Validator", [this] { return plat::Variant(validator_); });
        Property("Com_Dravoc", [this] { return plat::Variant(dravoc_); });
        Property("Com_Counter", [this] { return plat::Variant(counter_); });
        Method("Connect", [](plat::DispArgs) { return plat::Variant(0); });
        Method(
            "GetMessage",
            [this](plat::DispArgs a) {
                const std::string kind = ArgText(a[0]), code = ArgText(a[1]);
                return plat::Variant(s_->messages
                                         ? s_->messages->Text(kind, code, s_->language)
                                         : MessageCatalogue::Placeholder(kind, code, s_->language));
            },
            2, 2);
        Method(
            "ExecWork", [this](plat::DispArgs a) { return ExecWork(a); }, 4, 5);
        // CallHelp ([program prefix, context])
        Method(
            "CallHelp",
            [this](plat::DispArgs a) {
                s_->suite->journal->Record({SuiteEventKind::HelpRequested,
                                            ArgText(ArgItem(a[0], 0)), ArgText(ArgItem(a[0], 1)),
                                            a[0]});
                return plat::Variant();
            },
            1, 1);
    }

  private:
    plat::Variant ExecWork(plat::DispArgs a) {
        switch (ArgInt(a[3], -1)) {
            case 2:
                return plat::Variant(StartProgram(a[0], a[1], a.size() > 4 ? &a[4] : nullptr));
            case 0:
                return plat::Variant(PrintRun(a[0], a[2], a.size() > 4 ? &a[4] : nullptr));
            default:
                s_->suite->journal->Unavailable("BrannixCenter.Manager",
                                                "ExecWork of kind " + ArgText(a[3]));
                return plat::Variant(-7);
        }
    }

    // [user, company, program, window], the program's parameters.
    int StartProgram(const plat::Variant& target, const plat::Variant& params,
                     plat::Variant* output) {
        auto& journal = *s_->suite->journal;
        const std::string program = plat::UpperCase(plat::Trim(ArgText(ArgItem(target, 2))));
        const ProgramRecord* record = s_->programs ? s_->programs->Find(program) : nullptr;
        const int result = record ? std::min(record->startResult, 0) : -1;
        if (result < 0) {
            journal.Record(
                {SuiteEventKind::ProgramRefused, program, std::to_string(result), params});
            return result;
        }
        if (program == "MSGB25")
            journal.Record({SuiteEventKind::MessageCentre, ArgText(ArgItem(target, 0)),
                            ArgText(ArgItem(ArgItem(params, 1), 2)), params});
        journal.Record({SuiteEventKind::ProgramStarted, program, ArgText(params), params});
        // The serial program answers the serials it made.
        if (program == "SRLB03" && output && s_->suite->database)
            *output = RunSerialProgram(*s_->suite->database, params);
        return 0;
    }

    // The document the run names, read by the report program's layout.
    bool LoadDocument(const std::string& report, const plat::Variant& keys,
                      const plat::Variant& job, PrintedDocument& doc) {
        std::string error;
        if (!s_->suite->database) {
            error = "printing needs the server's database";
        } else if (LoadPrintedDocument(*s_->suite->database, report, keys,
                                       s_->language == MessageLanguage::English
                                           ? PrintLanguage::English
                                           : PrintLanguage::Chinese,
                                       doc, error)) {
            doc.footer =
                report + "  " + ArgText(ArgItem(job, 0)) + " / " + ArgText(ArgItem(job, 1));
            return true;
        }
        s_->suite->journal->Unavailable("BrannixCenter.Manager", "printing: " + error);
        return false;
    }

    bool PrintRun(const plat::Variant& job, const plat::Variant& run, plat::Variant* out) {
        auto& journal = *s_->suite->journal;
        const std::string report = plat::Trim(ArgText(ArgItem(job, 2)));
        const plat::Variant values = ArgItem(run, 2);
        std::error_code ec;
        std::string error;
        PrintedDocument doc;
        switch (ArgInt(ArgItem(run, 0), -1)) {
            case 6: {
                // [direct, keys]: a PDF in the print folder, shown unless printed directly.
                const plat::Variant keys = ArgItem(values, 1);
                if (!LoadDocument(report, keys, job, doc)) return false;
                fs::path folder = s_->printFolder.empty() ? fs::temp_directory_path() / "ktrb_print"
                                                          : fs::path(s_->printFolder);
                fs::create_directories(folder, ec);
                fs::path file =
                    folder / (FileSafe(report) + "_" + FileSafe(KeysText(keys)) + ".pdf");
                if (!WritePdf(doc, file.string(), error)) {
                    journal.Unavailable("BrannixCenter.Manager", "printing: " + error);
                    return false;
                }
                journal.Record({SuiteEventKind::PrintRun, report, file.string(), keys});
                if (ArgInt(ArgItem(values, 0)) == 0) plat::DesktopLauncher().Open(file.string());
                return true;
            }
            case 11: {
                // [keys, 1 JPG | 2 GIF, path, dpi, format]: one picture per page.
                const long long type = ArgInt(ArgItem(values, 1));
                const std::string base = ArgText(ArgItem(values, 2));
                if (base.empty() || (type != 1 && type != 2)) {
                    journal.Unavailable("BrannixCenter.Manager",
                                        "printing into images needs a file name and type 1 or 2");
                    return false;
                }
                const plat::Variant keys = ArgItem(values, 0);
                if (!LoadDocument(report, keys, job, doc)) return false;
                const fs::path path(base);
                if (path.has_parent_path()) fs::create_directories(path.parent_path(), ec);
                const long long dpi = ArgInt(ArgItem(values, 3), 96);
                std::vector<std::string> files;
                if (!WritePageImages(doc, base,
                                     type == 1 ? PageImageFormat::Jpeg : PageImageFormat::Gif,
                                     dpi < 36 || dpi > 600 ? 96 : int(dpi), files, error)) {
                    journal.Unavailable("BrannixCenter.Manager", "printing: " + error);
                    return false;
                }
                journal.Record({SuiteEventKind::PrintRun, report, files.front(), keys});
                if (out) *out = plat::Variant(plat::DispatchPtr(std::make_shared<ReportEngine>()));
                return true;
            }
            default:
                journal.Unavailable("BrannixCenter.Manager",
                                    "print run of kind " + ArgText(ArgItem(run, 0)));
                return false;
        }
    }

    std::shared_ptr<HostServices> s_;
    plat::DispatchPtr validator_, dravoc_, counter_;
};

}  // namespace

std::shared_ptr<plat::Dispatch> CreateWorkCenter(std::shared_ptr<HostServices> services) {
    return std::make_shared<WorkCenter>(std::move(services));
}
std::shared_ptr<plat::Dispatch> CreateValidator(std::shared_ptr<HostServices> services) {
    return std::make_shared<Validator>(std::move(services));
}
std::shared_ptr<plat::Dispatch> CreateCounter(std::shared_ptr<HostServices> services) {
    return std::make_shared<Counter>(std::move(services), progid::kCounter);
}
std::shared_ptr<plat::Dispatch> CreateDravoc(std::shared_ptr<HostServices> services) {
    return std::make_shared<Dravoc>(std::move(services));
}

HostRegistration::HostRegistration(std::shared_ptr<HostServices> services) {
    scopes_ = RegisterSuiteServers(services->suite);
    scopes_.push_back(std::make_unique<plat::OleFactoryScope>(
        progid::kWorkCenter, [services] { return CreateWorkCenter(services); }));
    scopes_.push_back(std::make_unique<plat::OleFactoryScope>(
        progid::kCounter, [services] { return CreateCounter(services); }));
}

HostRegistration::~HostRegistration() {
    // Restore in the reverse order of registration.
    while (!scopes_.empty()) scopes_.pop_back();
}

}  // namespace standin
