#include "programs/ktrb52/module_library.h"

#include <dlfcn.h>

#include "platform/core/exceptions.h"

namespace standin {

ModuleLibrary::ModuleLibrary(const std::string& fileName) : fileName_(fileName) {
    void* handle = ::dlopen(fileName.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* why = ::dlerror();
        throw plat::Exception("Cannot load the module library " + fileName + ": " +
                              (why ? why : "unknown reason"));
    }
    getController_ = reinterpret_cast<GetControllerFn>(::dlsym(handle, "GetController"));
    if (!getController_)
        throw plat::Exception("The module library " + fileName + " has no GetController");
}

ktrb::TDLLBaseController* ModuleLibrary::GetController() const {
    return getController_();
}

}  // namespace standin
