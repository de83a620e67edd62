// The module library as the host loads it: by file name, then its one
// export GetController.
#pragma once
#include <string>

#include "runtime/DLLBaseCtrller.h"

namespace standin {

class ModuleLibrary {
  public:
    // Loads the library; raises plat::Exception with the loader's reason
    // when it cannot be loaded or has no GetController.
    explicit ModuleLibrary(const std::string& fileName);
    // The library stays loaded until the process ends: the platform's
    // registries the host shares with it hold code of the library.
    ~ModuleLibrary() = default;
    ModuleLibrary(const ModuleLibrary&) = delete;
    ModuleLibrary& operator=(const ModuleLibrary&) = delete;

    const std::string& FileName() const { return fileName_; }
    // A new controller; the caller owns it. Exceptions of the library pass.
    ktrb::TDLLBaseController* GetController() const;

  private:
    using GetControllerFn = ktrb::TDLLBaseController* (*)();
    std::string fileName_;
    GetControllerFn getController_ = nullptr;
};

}  // namespace standin
