// The platform's exception classes. EAbort is the silent abort: it ends an
// operation without a message and every event entry point swallows it.
#pragma once
#include <stdexcept>
#include <string>

namespace plat {

class Exception : public std::runtime_error {
  public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
    std::string Message() const { return what(); }
    virtual const char* ClassName() const { return "Exception"; }
};

#define PLAT_EXCEPTION(Name, Base)                               \
    class Name : public Base {                                   \
      public:                                                    \
        using Base::Base;                                        \
        const char* ClassName() const override { return #Name; } \
    };

class EAbort : public Exception {
  public:
    EAbort() : Exception("Operation aborted") {}
    explicit EAbort(const std::string& m) : Exception(m) {}
    const char* ClassName() const override { return "EAbort"; }
};

PLAT_EXCEPTION(EConvertError, Exception)    // text/number/date conversions, Format
PLAT_EXCEPTION(EVariantError, Exception)    // variant type casts, array bounds
PLAT_EXCEPTION(EDatabaseError, Exception)   // datasets and fields
PLAT_EXCEPTION(EOleError, Exception)        // late-bound objects (automation)
PLAT_EXCEPTION(EInOutError, Exception)      // files
PLAT_EXCEPTION(EListError, Exception)       // string lists, index out of range
PLAT_EXCEPTION(EComponentError, Exception)  // component names
PLAT_EXCEPTION(EPropertyError, Exception)   // published properties by name
PLAT_EXCEPTION(EInternalError, Exception)   // "Unit-123" internal faults

#undef PLAT_EXCEPTION

// Raises the silent abort.
[[noreturn]] void Abort();

}  // namespace plat
