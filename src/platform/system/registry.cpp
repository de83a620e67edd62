#include "platform/system/registry.h"

#include <algorithm>
#include <cstdlib>
#include <set>
#include <string_view>

#include "platform/core/text.h"
#include "platform/system/files.h"

namespace plat {

namespace {

std::string trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t"), e = s.find_last_not_of(" \t");
    return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}

// "\HKLM\Software\\QRV\" -> "Software\QRV": separators folded, root dropped.
std::string normalizeKey(const std::string& key) {
    std::string out, part;
    auto flush = [&] {
        if (part.empty()) return;
        if (out.empty() && (SameText(part, "HKEY_LOCAL_MACHINE") || SameText(part, "HKLM"))) {
            part.clear();
            return;
        }
        if (!out.empty()) out += '\\';
        out += part;
        part.clear();
    };
    for (char c : trim(key)) {
        if (c == '\\' || c == '/')
            flush();
        else
            part += c;
    }
    flush();
    return out;
}

}  // namespace

bool TRegistry::NoCase::operator()(const std::string& a, const std::string& b) const {
    return CompareText(a, b) < 0;
}

std::string RegistryFileName() {
    if (const char* env = std::getenv("KTRB_REGISTRY"); env && *env) return env;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg)
        return std::string(xdg) + "/ktrb52/registry.txt";
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : ".") + "/.config/ktrb52/registry.txt";
}

TRegistry::TRegistry(std::string fileName) : fileName_(std::move(fileName)) {}

void TRegistry::SetRootKey(RegistryRoot root) {
    CloseKey();
    root_ = root;
}

bool TRegistry::load(Store& store) const {
    if (root_ != RegistryRoot::LocalMachine) return false;
    std::string bytes;
    if (!TryReadFileBytes(fileName_, bytes)) return false;
    Values* current = nullptr;
    size_t pos = 0;
    while (pos < bytes.size()) {
        size_t end = bytes.find('\n', pos);
        if (end == std::string::npos) end = bytes.size();
        std::string line = bytes.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::string t = trim(line);
        if (t.empty() || t[0] == ';' || t[0] == '#') continue;
        if (t[0] == '[' && t.back() == ']') {
            std::string key = normalizeKey(t.substr(1, t.size() - 2));
            // Its ancestors exist too, found by prefix (see keyExists): a
            // deep key must not copy every ancestor's path.
            current = &store[key];
            continue;
        }
        size_t eq = line.find('=');
        if (!current || eq == std::string::npos) continue;
        std::string name = trim(line.substr(0, eq));
        if (name == "@") name.clear();
        current->emplace(name, line.substr(eq + 1));  // the first of two equal names counts
    }
    return true;
}

namespace {
// The first key under "path\" (all keys for the root); keys that share a
// prefix, case ignored, stand together in the store's order.
template <class Store>
auto firstBelow(const Store& store, const std::string& path) {
    return path.empty() ? store.begin() : store.lower_bound(path + "\\");
}

template <class Store>
bool isBelow(const Store& store, typename Store::const_iterator it, const std::string& path) {
    if (it == store.end()) return false;
    if (path.empty()) return true;
    const std::string& name = it->first;
    return name.size() > path.size() + 1 && name[path.size()] == '\\' &&
           SameText(std::string_view(name).substr(0, path.size()), path);
}

// A key exists when it was written, is the root, or has a written key below it.
template <class Store>
bool keyExists(const Store& store, const std::string& path) {
    return path.empty() || store.count(path) > 0 || isBelow(store, firstBelow(store, path), path);
}
}  // namespace

bool TRegistry::OpenKey(const std::string& key, bool /*canCreate*/) {
    CloseKey();
    Store store;
    if (!load(store)) return false;
    std::string path = normalizeKey(key);
    if (!keyExists(store, path)) return false;
    open_ = true;
    path_ = path;
    if (auto it = store.find(path); it != store.end()) {
        path_ = it->first;
        values_ = it->second;
    }
    // Each child once, also one that only has keys below it.
    size_t skip = path.empty() ? 0 : path.size() + 1;
    std::set<std::string, NoCase> seen;
    for (auto it = firstBelow(store, path); isBelow(store, it, path); ++it) {
        std::string child = it->first.substr(skip, it->first.find('\\', skip) - skip);
        if (seen.insert(child).second) subKeys_.push_back(child);
    }
    std::sort(subKeys_.begin(), subKeys_.end(), NoCase());
    return true;
}

bool TRegistry::OpenKeyReadOnly(const std::string& key) {
    return OpenKey(key, false);
}

bool TRegistry::KeyExists(const std::string& key) {
    Store store;
    return load(store) && keyExists(store, normalizeKey(key));
}

void TRegistry::CloseKey() {
    open_ = false;
    path_.clear();
    values_.clear();
    subKeys_.clear();
}

bool TRegistry::ValueExists(const std::string& name) const {
    return values_.count(name) > 0;
}

std::optional<std::string> TRegistry::TryReadString(const std::string& name) const {
    auto it = values_.find(name);
    if (it == values_.end()) return std::nullopt;
    return it->second;
}

std::string TRegistry::ReadString(const std::string& name) const {
    return TryReadString(name).value_or(std::string());
}

std::vector<std::string> TRegistry::GetValueNames() const {
    std::vector<std::string> names;
    for (auto& entry : values_) names.push_back(entry.first);
    return names;
}

std::vector<std::string> TRegistry::GetKeyNames() const {
    return subKeys_;
}

}  // namespace plat
