#include "platform/system/clipboard.h"

#include <atomic>

namespace plat {

void TMemoryClipboard::SetData(const std::string& format, const std::string& bytes) {
    data_.clear();
    data_[format] = bytes;
}

void TMemoryClipboard::AddData(const std::string& format, const std::string& bytes) {
    data_[format] = bytes;
}

std::optional<std::string> TMemoryClipboard::GetData(const std::string& format) const {
    auto it = data_.find(format);
    if (it == data_.end()) return std::nullopt;
    return it->second;
}

bool TMemoryClipboard::HasFormat(const std::string& format) const {
    return data_.count(format) > 0;
}

std::vector<std::string> TMemoryClipboard::Formats() const {
    std::vector<std::string> names;
    for (auto& entry : data_) names.push_back(entry.first);
    return names;
}

void TMemoryClipboard::Clear() {
    data_.clear();
}

namespace {

TMemoryClipboard& fallbackClipboard() {
    static TMemoryClipboard clipboard;
    return clipboard;
}

std::atomic<IClipboard*> current{nullptr};

}  // namespace

IClipboard& Clipboard() {
    IClipboard* c = current.load();
    return c ? *c : fallbackClipboard();
}

IClipboard* SetClipboard(IClipboard* clipboard) {
    IClipboard* previous = current.exchange(clipboard);
    return previous ? previous : &fallbackClipboard();
}

}  // namespace plat
