#include "runtime/Big5Fix.h"

#include <mutex>

#include "platform/core/text.h"
#include "platform/system/registry.h"
#include "platform/system/system.h"
#include "runtime/MireltaINI.h"

namespace ktrb {

namespace {

std::mutex g_mutex;
int g_installCount = 0;
bool g_installed = false;

}  // namespace

bool IsBig5FixEnabled() {
    plat::TRegistry registry;
    registry.SetRootKey(plat::RegistryRoot::LocalMachine);
    if (!registry.OpenKeyReadOnly(kMireltaRegistryKey)) return true;
    auto value = registry.TryReadString("UseKBIG5");
    return !value || *value != "0";
}

void InstallBig5Fix() {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_installCount++ > 0) return;
    if (plat::GetACP() != 950 || !IsBig5FixEnabled()) return;
    plat::SetBig5ExtensionGroups(true);
    g_installed = true;
}

void RemoveBig5Fix() {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_installCount == 0 || --g_installCount > 0) return;
    if (!g_installed) return;
    plat::SetBig5ExtensionGroups(false);
    g_installed = false;
}

}  // namespace ktrb
