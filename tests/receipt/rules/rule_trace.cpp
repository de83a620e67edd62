#include "rule_trace.h"

#include <algorithm>

#include "platform/data/dataset.h"

namespace ktrb::test {

namespace {

class TracingCatalogue : public standin::IQueryCatalogue {
  public:
    TracingCatalogue(std::shared_ptr<standin::IQueryCatalogue> inner, RuleTrace& trace)
        : inner_(std::move(inner)), trace_(trace) {}
    bool CheckValue(const std::string& table, const std::string& query, const std::string& database,
                    const Variant& keys, Variant& result) override {
        trace_.Record("look " + table + " " + query);
        return inner_->CheckValue(table, query, database, keys, result);
    }
    bool QueryData(const std::string& table, const std::string& query, const std::string& database,
                   const Variant& keys, Variant& result) override {
        trace_.Record("look " + table + " " + query);
        return inner_->QueryData(table, query, database, keys, result);
    }

  private:
    std::shared_ptr<standin::IQueryCatalogue> inner_;
    RuleTrace& trace_;
};

class TracingServer : public standin::IServerOperations {
  public:
    TracingServer(std::shared_ptr<standin::IServerOperations> inner, RuleTrace& trace)
        : inner_(std::move(inner)), trace_(trace) {}
    Variant CallOperation(const std::string& name, const Variant& args,
                          const Variant& signOn) override {
        trace_.Record("call " + name);
        return inner_->CallOperation(name, args, signOn);
    }

  private:
    std::shared_ptr<standin::IServerOperations> inner_;
    RuleTrace& trace_;
};

}  // namespace

RuleTrace::RuleTrace(FakeReceiptForm& form, standin::HostServices& services, TdmKtrb52& dm)
    : form_(form),
      services_(services),
      catalogue_(services.catalogue),
      server_(services.suite->server) {
    services_.catalogue = std::make_shared<TracingCatalogue>(catalogue_, *this);
    services_.suite->server = std::make_shared<TracingServer>(server_, *this);
    for (plat::TDataSet* dataSet : {(plat::TDataSet*)dm.cdsMain, (plat::TDataSet*)dm.cdsBody1}) {
        for (plat::TField* f : dataSet->Fields()) {
            if (f->FieldName() == "FLAG" || f->FieldName() == "MODI_DATE" ||
                f->FieldName() == "MODIFIER")
                continue;
            hooked_.push_back({f, f->OnValidate, f->OnChange});
            plat::TFieldNotifyEvent validate = f->OnValidate, change = f->OnChange;
            f->OnValidate = plat::TFieldNotifyEvent([this, validate](plat::TField* s) {
                Record("?" + s->FieldName());
                validate(s);
            });
            f->OnChange = plat::TFieldNotifyEvent([this, change](plat::TField* s) {
                Record(s->FieldName() + "=" + s->AsString());
                change(s);
            });
        }
    }
    messagesSeen_ = form_.messages.size();
}

RuleTrace::~RuleTrace() {
    services_.catalogue = catalogue_;
    services_.suite->server = server_;
    for (const Hooked& h : hooked_) {
        h.field->OnValidate = h.validate;
        h.field->OnChange = h.change;
    }
}

void RuleTrace::flushMessages() {
    for (; messagesSeen_ < form_.messages.size(); ++messagesSeen_) {
        const ShownMessage& m = form_.messages[messagesSeen_];
        events_.push_back("msg " + m.kind + m.code);
    }
}

void RuleTrace::Record(const std::string& event) {
    flushMessages();
    events_.push_back(event);
}

void RuleTrace::Clear() {
    flushMessages();
    events_.clear();
}

std::vector<std::string> RuleTrace::Events() {
    flushMessages();
    return events_;
}

std::vector<std::string> RuleTrace::Only(const std::vector<std::string>& prefixes) {
    std::vector<std::string> out;
    for (const std::string& e : Events())
        if (std::any_of(prefixes.begin(), prefixes.end(),
                        [&](const std::string& p) { return e.compare(0, p.size(), p) == 0; }))
            out.push_back(e);
    return out;
}

int RuleTrace::Find(const std::string& event, int from) {
    std::vector<std::string> all = Events();
    for (int i = std::max(0, from); i < (int)all.size(); ++i)
        if (all[i] == event) return i;
    return -1;
}

bool InOrder(const std::vector<std::string>& all, const std::vector<std::string>& part) {
    auto at = all.begin();
    for (const std::string& e : part) {
        at = std::find(at, all.end(), e);
        if (at == all.end()) return false;
        ++at;
    }
    return true;
}

std::string Dump(const std::vector<std::string>& events) {
    std::string out;
    for (const std::string& e : events) out += e + "\n";
    return out;
}

RuleFixture::RuleFixture() {
    trace = std::make_unique<RuleTrace>(*form, *services, *dm);
}

void RuleFixture::StartReceipt(const std::string& type, const std::string& supplier,
                               const std::string& date, const std::string& currency,
                               const std::string& taxKind, const std::string& rate) {
    form->mode = TFormMode::Add;
    head().Append();
    for (auto [name, value] : {std::pair<const char*, std::string>{"TH001", type},
                               {"TH002", "20240301901"},
                               {"TH029", date},
                               {"TH003", date},
                               {"TH004", "01"},
                               {"TH005", supplier},
                               {"TH007", currency},
                               {"TH008", currency == "RMB" ? "1" : "7.08"},
                               {"TH012", "S"},
                               {"TH015", taxKind},
                               {"TH030", rate},
                               {"TH001C1", "Y"},
                               {"MQ042C", "W"},
                               {"MQC03C", "N"},
                               {"MQC04C", "N"}})
        SetH(name, value);
    form->supplierAtEdit = supplier;
    form->validationActive = true;
    form->quantityEditActive = true;
    trace->Clear();
}

void RuleFixture::LineOnWorkOrder(const std::string& type, const std::string& number,
                                  const std::string& kind) {
    lines().Append();
    SetL("TIC01", kind);
    SetL("TI013", type);
    trace->Clear();
    try {
        dm->LineField("TI014")->SetAsString(number);
    } catch (const plat::EAbort&) {
        ADD_FAILURE() << "the work order was refused: "
                      << (form->messages.empty() ? "" : form->messages.back().code);
        throw;
    }
}

}  // namespace ktrb::test
