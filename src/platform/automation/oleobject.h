// Creation of late-bound objects by ProgID ("VelmoraC.Class1",
// "Excel.Application"). Stand-in servers register their factories at start;
// tests register scripted fakes under the same ProgIDs for their duration.
#pragma once
#include <functional>
#include <string>
#include <string_view>

#include "platform/automation/dispatch.h"

namespace plat {

using OleFactory = std::function<DispatchPtr()>;

// Registers (or replaces) the factory of a ProgID (case-insensitive).
void RegisterOleFactory(std::string_view progId, OleFactory factory);
void UnregisterOleFactory(std::string_view progId);
bool IsOleFactoryRegistered(std::string_view progId);

// A new object of the ProgID. An unregistered ProgID raises EOleSysError
// "Invalid class string"; a factory that fails or gives no object raises
// EOleSysError naming the ProgID.
DispatchPtr CreateOleObject(std::string_view progId);

// Registers a factory for a scope and puts back what was there before
// (another factory, or none) when the scope ends.
class OleFactoryScope {
  public:
    OleFactoryScope(std::string progId, OleFactory factory);
    ~OleFactoryScope();
    OleFactoryScope(const OleFactoryScope&) = delete;
    OleFactoryScope& operator=(const OleFactoryScope&) = delete;

  private:
    std::string progId_;
    OleFactory previous_;
};

}  // namespace plat
