#include "support/dataframe/DataModuleFixture.h"

#include "platform/core/text.h"

namespace ktrb::test {

using plat::DispArgs;
using plat::TFieldType;

std::string Installation::alertLog(const std::string& name) const {
    std::string all;
    std::string folder = client() + "Log/";
    for (const std::string& file : plat::ListFiles(folder, "Alert_" + name + "_", ".log")) {
        std::string bytes;
        plat::TryReadFileBytes(folder + file, bytes);
        all += plat::FromCodePageReplacing(bytes, plat::AnsiCodePage()).text;
    }
    return all;
}

namespace {

// Argument places each message code expects in the fake catalogue.
int placesOf(const std::string& code) {
    static const std::map<std::string, int> places = {{"100280", 2}, {"100288", 2}};
    auto it = places.find(code);
    return it == places.end() ? 1 : it->second;
}

class Service : public plat::DispatchObject {
  public:
    explicit Service(const char* name) : DispatchObject(name) {}
    using DispatchObject::Method;
    using DispatchObject::Property;
};

}  // namespace

FakeHost::FakeHost() : DispatchObject("FakeHost") {
    auto validator = std::make_shared<Service>("Validator");
    validator->Property(
        "ProductID", [] { return Variant(1); }, [](const Variant&) {});
    validator->Property(
        "BaseLimited", [] { return Variant(""); }, [](const Variant&) {});
    validator->Method("CheckValue", [this](DispArgs a) {
        std::string table = plat::VarToStr(a[0]), query = plat::VarToStr(a[1]);
        checkValueCalls.push_back({table, query, a[3]});
        Variant result;
        bool found = onCheckValue && onCheckValue(table, query, a[3], result);
        a[4] = result;
        return Variant(found);
    });
    validator->Method("QueryData", [this](DispArgs a) {
        Variant result;
        bool found =
            onQueryData && onQueryData(plat::VarToStr(a[0]), plat::VarToStr(a[1]), a[3], result);
        a[4] = result;
        return Variant(found);
    });
    validator_ = validator;

    auto counter = std::make_shared<Service>("Counter");
    counter->Method("GETCOUNTER", [this](DispArgs a) {
        std::string name = plat::VarToStr(a[0]);
        serverCalls.emplace_back(name, a[1]);
        return onServerCall ? onServerCall(name, a[1]) : Variant();
    });
    counter->Method("GetSysInfo", [this](DispArgs) {
        if (sysParams.empty()) return Variant();
        Variant reply = Variant::CreateArray({0, 1, 0, (int)sysParams.size() - 1});
        int k = 0;
        for (auto& [name, value] : sysParams) {
            reply.At(0, k) = Variant(name);
            reply.At(1, k++) = Variant(value);
        }
        return reply;
    });
    counter_ = counter;

    auto dravoc = std::make_shared<Service>("Dravoc");
    dravoc->Method("F2GetData", [this](DispArgs a) {
        lookupRequests.push_back(a[0]);
        return onLookup ? onLookup(a[0]) : Variant();
    });
    dravoc_ = dravoc;

    Method("GetMessage", [](DispArgs a) {
        std::string code = plat::VarToStr(a[1]);
        std::string text = plat::VarToStr(a[0]) + code;
        for (int i = 0; i < placesOf(code); ++i) text += "|%s";
        return Variant(text);
    });
    Property("ProductID", [] { return Variant(1); });
    Property("Com_Validator", [this] { return Variant(validator_); });
    Property("Com_Counter", [this] { return Variant(counter_); });
    Property("Com_Dravoc", [this] { return Variant(dravoc_); });
}

FakeForm::FakeForm(bool attachHost) : host(std::make_shared<FakeHost>()) {
    caption = "Test";
    versionText = "";
    broker->UserID = "DS";
    broker->CompanyID = "DEMO";
    broker->SignOnKey = "DEMODB";
    broker->UserGroup = "ADMIN";
    broker->ProgramCode = "KTRB52";
    if (!attachHost) return;
    broker->SetMainObject(Variant(std::static_pointer_cast<plat::Dispatch>(host)));
    broker->AttachSubObjects();
    host->checkValueCalls.clear();  // the program-master read of the attachment
}

FakeForm::~FakeForm() {
    BeginDestroy();
    // Recorded look-up requests hold the host object itself: let go of them.
    host->lookupRequests.clear();
    host->serverCalls.clear();
    host->checkValueCalls.clear();
}

int FakeForm::RunMessageDialog(const TMessageDialogSpec& dialog) {
    // "<kind><code>|arg|arg " as the fake catalogue gives it.
    std::string text = plat::Trim(dialog.Text);
    ShownMessage m;
    std::string head = text.substr(0, text.find('|'));
    m.kind = head.substr(0, 1);
    m.code = head.substr(1);
    for (size_t at = text.find('|'); at != std::string::npos;) {
        size_t next = text.find('|', at + 1);
        m.args.push_back(plat::Trim(
            text.substr(at + 1, next == std::string::npos ? std::string::npos : next - at - 1)));
        at = next;
    }
    messages.push_back(m);
    return OwnerFormDouble::RunMessageDialog(dialog);
}

std::vector<std::string> FakeForm::codes() const {
    std::vector<std::string> out;
    for (auto& m : messages) out.push_back(m.code);
    return out;
}

// ---- packets ----

std::vector<plat::TPacketField> HeaderFields() {
    using plat::PacketField;
    auto key = [](plat::TPacketField f) {
        f.inKey = true;
        return f;
    };
    std::vector<plat::TPacketField> lines = {
        key(PacketField("TI001", TFieldType::ftString, 4)),
        key(PacketField("TI002", TFieldType::ftString, 11)),
        key(PacketField("TI003", TFieldType::ftString, 4)),
        PacketField("TI004", TFieldType::ftString, 20),
        PacketField("TI007", TFieldType::ftFloat),
        PacketField("FLAG", TFieldType::ftFloat),
    };
    return {
        key(PacketField("TH001", TFieldType::ftString, 4)),
        key(PacketField("TH002", TFieldType::ftString, 11)),
        PacketField("TH007", TFieldType::ftString, 4),
        PacketField("TH029", TFieldType::ftString, 8),
        PacketField("TH019", TFieldType::ftFloat),
        PacketField("COMPANY", TFieldType::ftString, 10),
        PacketField("CREATOR", TFieldType::ftString, 10),
        PacketField("USR_GROUP", TFieldType::ftString, 10),
        PacketField("CREATE_DATE", TFieldType::ftString, 17),
        PacketField("MODIFIER", TFieldType::ftString, 10),
        PacketField("MODI_DATE", TFieldType::ftString, 17),
        PacketField("FLAG", TFieldType::ftFloat),
        PacketField("qryBody", TFieldType::ftDataSet, 0, lines),
    };
}

plat::TPacketRow HeaderRow(const std::string& type, const std::string& number, double flag,
                           std::vector<plat::TPacketRow> lines) {
    plat::TPacketRow row;
    row.values =
        plat::TValueRow({Variant(type), Variant(number), Variant("NTD"), Variant("20240315"),
                         Variant(0.0), Variant("DEMO"), Variant("DS"), Variant("ADMIN"),
                         Variant("20240315"), Variant(""), Variant(""), Variant(flag), Variant()});
    row.details.push_back(std::move(lines));
    return row;
}

plat::TPacketRow LineRow(const std::string& type, const std::string& number,
                         const std::string& line, const std::string& item, double flag) {
    plat::TPacketRow row;
    row.values = plat::TValueRow({Variant(type), Variant(number), Variant(line), Variant(item),
                                  Variant(1.0), Variant(flag)});
    return row;
}

}  // namespace ktrb::test
