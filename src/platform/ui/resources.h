// Bitmaps compiled into the program, found by name (the platform loads
// bitmaps from the module's resources). A resource is an XPM picture, the
// bytes of a BMP or PNG file, or code that draws it.
#pragma once
#include <functional>
#include <string>

class QImage;

namespace plat {

class TBitmap;

void RegisterBitmapResource(const std::string& name, const char* const* xpm);
void RegisterBitmapResource(const std::string& name, const unsigned char* data, size_t size);
void RegisterBitmapResource(const std::string& name, std::function<void(TBitmap&)> draw);
bool HasBitmapResource(const std::string& name);
// Names compare without regard to case, as resource names do.
bool FindBitmapResource(const std::string& name, QImage& out);

// Registers at start-up: `static plat::BitmapResource checked("CHECKED", checked_xpm);`
struct BitmapResource {
    BitmapResource(const char* name, const char* const* xpm) { RegisterBitmapResource(name, xpm); }
    BitmapResource(const char* name, std::function<void(TBitmap&)> draw) {
        RegisterBitmapResource(name, std::move(draw));
    }
};

}  // namespace plat
