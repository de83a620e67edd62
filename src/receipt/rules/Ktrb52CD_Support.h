// Small pieces the receipt's field rules share: a guard that switches a
// re-entrancy flag of the module around a rule's own writes (and sets it
// again also after an abort), a guard that takes a field's "last accepted"
// shadow back when a change is refused, and the readers of server replies
// that must be numbers.
#pragma once
#include <exception>
#include <string>
#include <utility>

#include "platform/core/variant.h"
#include "runtime/Reply.h"

namespace plat {
class TField;
}

namespace ktrb {

// Sets a flag of the module to `during` for the guard's life and to `after`
// when it ends, however it ends.
class TFlagScope {
  public:
    TFlagScope(bool& flag, bool during, bool after) : flag_(flag), after_(after) { flag_ = during; }
    ~TFlagScope() { flag_ = after_; }
    TFlagScope(const TFlagScope&) = delete;
    TFlagScope& operator=(const TFlagScope&) = delete;

  private:
    bool& flag_;
    bool after_;
};

// Writes `value` into a shadow field (the item or lot last accepted on the
// line) and, when the scope is left by an exception, writes the earlier
// value back; both writes keep the field's own validation quiet.
class TShadowScope {
  public:
    TShadowScope(plat::TField* shadow, const std::string& value);
    ~TShadowScope();
    TShadowScope(const TShadowScope&) = delete;
    TShadowScope& operator=(const TShadowScope&) = delete;

  private:
    plat::TField* shadow_;
    std::string earlier_;
    int exceptions_;
};

// Runs a callable when the scope ends, however it ends.
template <class F>
class TFinally {
  public:
    explicit TFinally(F f) : f_(std::move(f)) {}
    ~TFinally() noexcept(false) {
        if (std::uncaught_exceptions() > exceptions_) {
            try {
                f_();
            } catch (...) {
            }
        } else {
            f_();
        }
    }
    TFinally(const TFinally&) = delete;
    TFinally& operator=(const TFinally&) = delete;

  private:
    F f_;
    int exceptions_ = std::uncaught_exceptions();
};

// A number from a reply value: numbers and texts that read as one (blank
// around them allowed); false for Unassigned, Null, arrays and other texts.
bool TryNumber(const plat::Variant& value, double& number);
// The quantities of a work order that say what it still allows to receive.
enum class TWorkOrderPart { Planned, Received, Scrapped, Rejected };
// What a work order still allows to receive: the planned quantity with its
// loss allowance, less what was received and, where the work-order parameters
// say "Y", less what was scrapped and what was rejected. `part` reads one
// quantity of the work order; the last two are read only when they count.
template <class Part>
double OpenWorkOrderQuantity(Part&& part, double allowance, const std::string& lessScrapped,
                             const std::string& lessRejected) {
    double open = part(TWorkOrderPart::Planned) * (1 + allowance) - part(TWorkOrderPart::Received);
    if (lessScrapped == "Y") open -= part(TWorkOrderPart::Scrapped);
    if (lessRejected == "Y") open -= part(TWorkOrderPart::Rejected);
    return open;
}
// The float text the fields are written with.
std::string NumberText(double value);

// Line quantities the fixed-weight conversions and the limits work on.
inline bool IsFixedWeightFlag(const std::string& flag) {
    return flag == "Y" || flag == "y";
}

}  // namespace ktrb
