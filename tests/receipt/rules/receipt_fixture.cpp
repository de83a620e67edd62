#include "receipt_fixture.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "platform/core/text.h"
#include "platform/system/files.h"
#include "runtime/PropAccess.h"
#include "standins/appserver/server.h"
#include "standins/host/host_services.h"
#include "standins/host/message_catalogue.h"
#include "standins/host/server_link.h"
#include "standins/host/work_center.h"

namespace ktrb::test {

namespace {

void writeFile(const std::string& path, const std::string& bytes) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

// The bundled catalogue with each text led by "<kind><code>|", so that a
// dialog tells which message it shows.
std::shared_ptr<standin::MessageCatalogue> codedCatalogue() {
    static std::shared_ptr<standin::MessageCatalogue> catalogue = [] {
        std::string rows;
        for (const standin::MessageEntry& e : standin::MessageCatalogue::Bundled().Entries()) {
            std::string args;
            for (const std::string& a : e.args) args += (args.empty() ? "" : ",") + a;
            std::string head = e.kind + e.code + "|";
            rows += e.kind + "\t" + e.code + "\t" + (args.empty() ? "-" : args) + "\t" + head +
                    escaped(e.chinese) + "\t" + head + escaped(e.english) + "\n";
        }
        std::string path =
            plat::TempFolder() + "ktrb-receipt-messages-" + std::to_string(::getpid()) + ".tsv";
        writeFile(path, rows);
        auto loaded =
            std::make_shared<standin::MessageCatalogue>(standin::MessageCatalogue::Load(path));
        std::filesystem::remove(path);
        return loaded;
    }();
    return catalogue;
}

}  // namespace

// ---- form ----

FakeReceiptForm::FakeReceiptForm() {
    caption = "委外进货单";
    rightsSet = ~0ull;
}

FakeReceiptForm::~FakeReceiptForm() {
    BeginDestroy();
}

std::vector<std::string> FakeReceiptForm::codes() const {
    std::vector<std::string> out;
    for (const ShownMessage& m : messages) out.push_back(m.code);
    return out;
}

int FakeReceiptForm::ShowMessageBox(const std::string& text, TMsgDlgType type,
                                    const TMsgDlgButtons& buttons) {
    messages.push_back({"", "", text});
    return ReceiptFormDouble::ShowMessageBox(text, type, buttons);
}

int FakeReceiptForm::RunMessageDialog(const TMessageDialogSpec& dialog) {
    std::string text = plat::Trim(dialog.Text);
    size_t bar = text.find('|');
    ShownMessage m;
    if (bar != std::string::npos && bar >= 1) {
        m.kind = text.substr(0, 1);
        m.code = text.substr(1, bar - 1);
    }
    m.text = bar == std::string::npos ? text : text.substr(bar + 1);
    messages.push_back(m);
    return ReceiptFormDouble::RunMessageDialog(dialog);
}

// ---- host services ----

void ScriptedCatalogue::Answer(const std::string& table, const std::string& query,
                               std::vector<Variant> values) {
    answers_[{table, query}] = std::move(values);
}

const ScriptedCatalogue::Call* ScriptedCatalogue::Last(const std::string& table,
                                                       const std::string& query) const {
    for (auto it = calls.rbegin(); it != calls.rend(); ++it)
        if (it->table == table && it->query == query) return &*it;
    return nullptr;
}

bool ScriptedCatalogue::CheckValue(const std::string& table, const std::string& query,
                                   const std::string& database, const Variant& keys,
                                   Variant& result) {
    calls.push_back({table, query, keys});
    auto it = answers_.find({table, query});
    if (it == answers_.end()) return inner_->CheckValue(table, query, database, keys, result);
    result = Variant::ArrayOf(it->second);
    return !it->second.empty();
}

bool ScriptedCatalogue::QueryData(const std::string& table, const std::string& query,
                                  const std::string& database, const Variant& keys,
                                  Variant& result) {
    return inner_->QueryData(table, query, database, keys, result);
}

Variant RecordingServer::LastArgs(const std::string& name) const {
    for (auto it = calls.rbegin(); it != calls.rend(); ++it)
        if (it->first == name) return it->second;
    return Variant();
}

Variant RecordingServer::CallOperation(const std::string& name, const Variant& args,
                                       const Variant& signOn) {
    calls.emplace_back(name, args);
    auto it = answers.find(name);
    return it == answers.end() ? inner_->CallOperation(name, args, signOn) : it->second;
}

// ---- installation ----

ClientInstallation::ClientInstallation() {
    std::string pattern = plat::TempFolder() + "ktrb-receipt-XXXXXX";
    root_ = ::mkdtemp(pattern.data()) ? pattern + "/" : std::string();
    std::string client = root_ + "client/";
    writeFile(client + "MireltaC.ini",
              "[Client Components]\nLangType=CHS\n[CodePage]\nUICodePage=936\nDBCodePage=936\n"
              "[Server Information]\nComputerName=127.0.0.1\nServerPort=211\n");
    writeFile(root_ + "registry.txt", "[Software\\QRV\\Mirelta]\nClientPath=" + client + "\n");
    registry_.emplace("KTRB_REGISTRY", root_ + "registry.txt");
}

ClientInstallation::~ClientInstallation() {
    registry_.reset();
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
}

// ---- the module on the demo database ----

DemoReceipt::DemoReceipt()
    : server(standin::AppServer::Open(":memory:")), services(standin::MakeHostServices()) {
    services->messages = codedCatalogue();
    standin::ConnectInProcess(*services, server);
    catalogue = std::make_shared<ScriptedCatalogue>(services->catalogue);
    services->catalogue = catalogue;
    operations = std::make_shared<RecordingServer>(services->suite->server);
    services->suite->server = operations;
    registration = std::make_unique<standin::HostRegistration>(services);
    form = std::make_unique<FakeReceiptForm>();
    TBrokers* b = form->broker;
    b->UserID = "DS";
    b->CompanyID = "DEMO";
    b->SignOnKey = "DEMO";
    b->UserGroup = "ADMIN";
    b->ProgramCode = "KTRB52";
    b->SetMainObject(Variant(standin::CreateWorkCenter(services)));
    b->AttachSubObjects();
    b->GetSysInfo();
    dm = new TdmKtrb52(form.get());
    dm->Broker = b;
    if (!dm->ConnectAppServer()) ADD_FAILURE() << "the receipt module did not connect";
    dm->RefreshToday();
}

DemoReceipt::~DemoReceipt() {
    form.reset();
    registration.reset();
}

void DemoReceipt::SetH(const char* name, const std::string& text) {
    if (head().State() == plat::dsBrowse) head().Edit();
    SetFieldTextQuiet(dm->HeadField(name), text);
}

void DemoReceipt::SetL(const char* name, const std::string& text) {
    if (lines().State() == plat::dsBrowse) lines().Edit();
    SetFieldTextQuiet(dm->LineField(name), text);
}

void DemoReceipt::SetLines(std::initializer_list<std::pair<const char*, std::string>> values) {
    for (const auto& [name, text] : values) SetL(name, text);
}

void DemoReceipt::AddLine(std::initializer_list<std::pair<const char*, std::string>> values) {
    lines().Append();
    ASSERT_EQ(lines().State(), plat::dsInsert) << "the new line was cancelled";
    SetLines(values);
    lines().Post();
}

void DemoReceipt::GoToReceipt(const std::string& type, const std::string& number) {
    if (head().State() != plat::dsBrowse) head().Cancel();
    ASSERT_TRUE(head().Locate("TH001;TH002", plat::VarArrayOf({Variant(type), Variant(number)})))
        << type << "-" << number;
    dm->RefreshBodyClone();
}

void DemoReceipt::EditReceipt(const std::string& type, const std::string& number) {
    GoToReceipt(type, number);
    form->mode = TFormMode::Edit;
    head().Edit();
}

int DemoReceipt::CountRows(const std::string& sql) {
    std::lock_guard<std::recursive_mutex> lock(server->Db().Mutex());
    return (int)plat::VarToIntDef(server->Db().Scalar("SELECT COUNT(*) FROM " + sql), -1);
}

void DemoReceipt::Exec(const std::string& sql) {
    std::lock_guard<std::recursive_mutex> lock(server->Db().Mutex());
    server->Db().Exec(sql);
}

}  // namespace ktrb::test
