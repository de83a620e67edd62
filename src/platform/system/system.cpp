#include "platform/system/system.h"

#include <dlfcn.h>
#include <link.h>
#include <pwd.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <vector>

#include "platform/core/numbers.h"

namespace plat {

namespace {

std::string realPath(const char* path) {
    char buf[PATH_MAX];
    return ::realpath(path, buf) ? std::string(buf) : std::string(path);
}

}  // namespace

std::string UserName() {
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buf(size > 0 ? size_t(size) : 16384);
    passwd pw;
    passwd* found = nullptr;
    if (::getpwuid_r(::geteuid(), &pw, buf.data(), buf.size(), &found) == 0 && found &&
        found->pw_name && *found->pw_name)
        return found->pw_name;
    for (const char* var : {"USER", "LOGNAME"})
        if (const char* v = std::getenv(var); v && *v) return v;
    return {};
}

std::string ModuleFileNameOf(const void* address) {
    Dl_info info{};
    link_map* map = nullptr;
    if (!::dladdr1(address, &info, reinterpret_cast<void**>(&map), RTLD_DL_LINKMAP) || !map)
        return {};
    // The main program has no name of its own in the loader's list.
    if (!map->l_name || !*map->l_name) return HostProgramFileName();
    return realPath(map->l_name);
}

std::string LibraryFileName() {
    return ModuleFileNameOf(reinterpret_cast<const void*>(&LibraryFileName));
}

std::string HostProgramFileName() {
    char buf[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    return n > 0 ? std::string(buf, size_t(n)) : std::string();
}

int GetACP() {
    int cp = 0;
    const char* env = std::getenv("KTRB_ANSI_CODEPAGE");
    return (env && TryStrToInt(env, cp) && cp > 0) ? cp : 936;
}

}  // namespace plat
