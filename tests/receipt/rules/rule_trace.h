// A recorded trace of what the receipt's field rules do, in order: the
// start of each field validation ("?TI004"), each stored field value
// ("TI004=A1001-01"), each look-up ("look MOCTA 32"), each server call
// ("call UnitConvert") and each message shown ("msg W100033"). Tests compare
// it with the order the rules must keep.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "platform/data/field.h"
#include "receipt_fixture.h"

namespace ktrb::test {

class RuleTrace {
  public:
    RuleTrace(FakeReceiptForm& form, standin::HostServices& services, TdmKtrb52& dm);
    ~RuleTrace();
    RuleTrace(const RuleTrace&) = delete;
    RuleTrace& operator=(const RuleTrace&) = delete;

    void Clear();
    // Every event since the last Clear.
    std::vector<std::string> Events();
    // Only the events that begin with one of the prefixes.
    std::vector<std::string> Only(const std::vector<std::string>& prefixes);
    // Position of the first event equal to `event` at or after `from`; -1 when none.
    int Find(const std::string& event, int from = 0);

    void Record(const std::string& event);

  private:
    struct Hooked {
        plat::TField* field;
        plat::TFieldNotifyEvent validate, change;
    };
    void flushMessages();

    FakeReceiptForm& form_;
    standin::HostServices& services_;
    std::shared_ptr<standin::IQueryCatalogue> catalogue_;
    std::shared_ptr<standin::IServerOperations> server_;
    std::vector<Hooked> hooked_;
    std::vector<std::string> events_;
    size_t messagesSeen_ = 0;
};

// True when `part` occurs in `all` in the same order (other events between).
bool InOrder(const std::vector<std::string>& all, const std::vector<std::string>& part);
// One event a line, for failure messages.
std::string Dump(const std::vector<std::string>& events);

// A new receipt in add mode on the demo database, its header keyed without
// the header rules, the form's add action done, and a trace of the rules.
class RuleFixture : public DemoReceipt {
  protected:
    RuleFixture();
    // Adds a receipt of the type with the supplier and dates (header fields
    // written quietly, as a saved receipt would hold them).
    void StartReceipt(const std::string& type, const std::string& supplier, const std::string& date,
                      const std::string& currency = "RMB", const std::string& taxKind = "2",
                      const std::string& rate = "0.13");
    // Appends a line (kind "2" unless given) and keys a work order on it.
    void LineOnWorkOrder(const std::string& type, const std::string& number,
                         const std::string& kind = "2");
    std::unique_ptr<RuleTrace> trace;
};

}  // namespace ktrb::test
