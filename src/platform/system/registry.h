// Read-only stand-in for the system registry: the keys and string values of
// HKEY_LOCAL_MACHINE, kept in a text file.
//
// File: the environment variable KTRB_REGISTRY names it; otherwise
// $XDG_CONFIG_HOME/ktrb52/registry.txt, or ~/.config/ktrb52/registry.txt.
// A missing file is a registry without keys. Format (UTF-8):
//
//   ; comment (also "#")
//   [Software\QRV\Mirelta]          a key, relative to HKEY_LOCAL_MACHINE
//   ClientPath=/opt/ktrb52/client/  a string value: name up to the first "=",
//   ProfileType=0                   value verbatim to the end of the line
//   @=text                          the key's default (unnamed) value
//
// A leading "HKEY_LOCAL_MACHINE\" or "HKLM\" on a key is accepted. Key and
// value names compare ignoring ASCII case. A key exists when it is written or
// when a key below it is written. The file is read when a key is opened, so
// a change is seen by the next OpenKey.
#pragma once
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace plat {

enum class RegistryRoot { ClassesRoot, CurrentUser, LocalMachine, Users, CurrentConfig };

// Where the registry file is looked for (see above).
std::string RegistryFileName();

class TRegistry {
  public:
    explicit TRegistry(std::string fileName = RegistryFileName());

    RegistryRoot RootKey() const { return root_; }
    void SetRootKey(RegistryRoot root);  // closes the open key

    // Opens a key ("Software\QRV\Mirelta"); false when the key does not exist
    // or the file cannot be read. Only LocalMachine holds keys. The store is
    // read-only, so OpenKey never creates one.
    bool OpenKeyReadOnly(const std::string& key);
    bool OpenKey(const std::string& key, bool canCreate);
    bool KeyExists(const std::string& key);
    void CloseKey();
    bool HasOpenKey() const { return open_; }
    const std::string& CurrentPath() const { return path_; }

    // Values of the open key; with no open key there are none. A missing
    // value reads as empty text, so use ValueExists or TryReadString to tell
    // it from an empty one.
    bool ValueExists(const std::string& name) const;
    std::string ReadString(const std::string& name) const;
    std::optional<std::string> TryReadString(const std::string& name) const;
    std::vector<std::string> GetValueNames() const;
    std::vector<std::string> GetKeyNames() const;  // direct sub-keys

  private:
    struct NoCase {
        bool operator()(const std::string& a, const std::string& b) const;
    };
    using Values = std::map<std::string, std::string, NoCase>;
    using Store = std::map<std::string, Values, NoCase>;

    bool load(Store& store) const;

    std::string fileName_;
    RegistryRoot root_ = RegistryRoot::LocalMachine;
    bool open_ = false;
    std::string path_;
    Values values_;
    std::vector<std::string> subKeys_;
};

}  // namespace plat
