#include "platform/system/registry.h"

#include <cstdlib>

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
            current = &store[key];
            // Every ancestor of a written key exists too.
            for (size_t p = key.rfind('\\'); p != std::string::npos; p = key.rfind('\\', p - 1)) {
                store[key.substr(0, p)];
                if (p == 0) break;
            }
            continue;
        }
        size_t eq = line.find('=');
        if (!current || eq == std::string::npos) continue;
        std::string name = trim(line.substr(0, eq));
        if (name == "@") name.clear();
        current->emplace(name, line.substr(eq + 1));  // the first of two equal names counts
    }
    store[""];  // the root itself always opens
    return true;
}

bool TRegistry::OpenKey(const std::string& key, bool /*canCreate*/) {
    CloseKey();
    Store store;
    if (!load(store)) return false;
    std::string path = normalizeKey(key);
    auto it = store.find(path);
    if (it == store.end()) return false;
    open_ = true;
    path_ = it->first;
    values_ = it->second;
    std::string prefix = path + "\\";
    for (auto& [name, values] : store) {
        if (name.size() <= prefix.size() || !SameText(name.substr(0, prefix.size()), prefix))
            continue;
        std::string rest = name.substr(prefix.size());
        if (rest.find('\\') == std::string::npos) subKeys_.push_back(rest);
    }
    return true;
}

bool TRegistry::OpenKeyReadOnly(const std::string& key) {
    return OpenKey(key, false);
}

bool TRegistry::KeyExists(const std::string& key) {
    Store store;
    return load(store) && store.count(normalizeKey(key)) > 0;
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
