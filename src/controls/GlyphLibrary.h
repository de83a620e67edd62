// The glyph library the buttons take their pictures from: glyphs by number,
// each a strip of square state images side by side. The built-in library
// holds our own drawings; tests may put another in its place.
#pragma once
#include <memory>

namespace plat {
class TBitmap;
}  // namespace plat

namespace ktrb {

class IGlyphLibrary {
  public:
    virtual ~IGlyphLibrary() = default;
    // The highest glyph number the library holds.
    virtual int GetMaxBmpID() = 0;
    // Loads glyph `index` into the bitmap; false when there is no such glyph.
    virtual bool LoadBmp(plat::TBitmap& bitmap, int index) = 0;
};

IGlyphLibrary& GlyphLibrary();
// Installs a library (null: the built-in one again); returns the previous one.
std::shared_ptr<IGlyphLibrary> SetGlyphLibrary(std::shared_ptr<IGlyphLibrary> library);

// The module's built-in check-box pictures, registered as bitmap resources
// "CHECKED", "GRAYED" and "UNCHECKED"; every user calls this before loading.
void RegisterCheckBoxBitmaps();

}  // namespace ktrb
