// A throw-away installation for the runtime tests: a temporary folder with a
// client and a server folder, and a registry file naming them, in force for
// the object's lifetime.
#pragma once
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "platform/system/files.h"
#include "support/core/EnvGuard.h"

namespace ktrb::test {

class Installation {
  public:
    // With registryKey false the registry file has no installation key.
    explicit Installation(bool registryKey = true)
        : root_(makeRoot()), registry_("KTRB_REGISTRY", root_ + "registry.txt") {
        std::filesystem::create_directories(client());
        std::filesystem::create_directories(server());
        if (registryKey)
            SetRegistry("ClientPath=" + client() + "\nServerPath=" + server() + "\n");
        else
            write(root_ + "registry.txt", "[Software\\Other]\nX=1\n");
    }
    ~Installation() { std::filesystem::remove_all(root_); }
    Installation(const Installation&) = delete;
    Installation& operator=(const Installation&) = delete;

    const std::string& root() const { return root_; }
    std::string client() const { return root_ + "client/"; }
    std::string server() const { return root_ + "server/"; }

    // Replaces the values of the installation's registry key.
    void SetRegistry(const std::string& values) {
        write(root_ + "registry.txt", "[Software\\QRV\\Mirelta]\n" + values);
    }
    // Writes a file (bytes as given) below the root, making its folders.
    static void write(const std::string& path, const std::string& bytes) {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
    }
    static std::string read(const std::string& path) {
        std::string bytes;
        plat::TryReadFileBytes(path, bytes);
        return bytes;
    }

  private:
    static std::string makeRoot() {
        std::string pattern = plat::TempFolder() + "ktrb-rt-XXXXXX";
        return ::mkdtemp(pattern.data()) ? pattern + "/" : std::string();
    }

    std::string root_;
    EnvGuard registry_;
};

}  // namespace ktrb::test
