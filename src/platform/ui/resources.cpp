#include "platform/ui/resources.h"

#include <QImage>
#include <map>
#include <mutex>

#include "platform/ui/graphics.h"
#include "platform/ui/qt_bridge.h"

namespace plat {

namespace {
struct Entry {
    const char* const* xpm = nullptr;
    const unsigned char* data = nullptr;
    size_t size = 0;
    std::function<void(TBitmap&)> draw;
};

std::string Key(const std::string& name) {
    std::string k = name;
    for (auto& c : k) c = (char)toupper((unsigned char)c);
    return k;
}

std::map<std::string, Entry>& Table() {
    static std::map<std::string, Entry> table;
    return table;
}
}  // namespace

void RegisterBitmapResource(const std::string& name, const char* const* xpm) {
    Table()[Key(name)] = Entry{xpm, nullptr, 0, {}};
}

void RegisterBitmapResource(const std::string& name, const unsigned char* data, size_t size) {
    Table()[Key(name)] = Entry{nullptr, data, size, {}};
}

void RegisterBitmapResource(const std::string& name, std::function<void(TBitmap&)> draw) {
    Table()[Key(name)] = Entry{nullptr, nullptr, 0, std::move(draw)};
}

bool HasBitmapResource(const std::string& name) {
    return Table().count(Key(name)) != 0;
}

bool FindBitmapResource(const std::string& name, QImage& out) {
    auto it = Table().find(Key(name));
    if (it == Table().end()) return false;
    const Entry& e = it->second;
    if (e.xpm)
        out = QImage(e.xpm);
    else if (e.data)
        out = QImage::fromData(e.data, (int)e.size);
    else {
        TBitmap b;
        e.draw(b);
        out = b.Image();
    }
    return !out.isNull();
}

}  // namespace plat
