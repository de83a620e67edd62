#include "controls/GlyphLibrary.h"

#include <string>

#include "platform/ui/graphics.h"
#include "platform/ui/resources.h"

namespace ktrb {

namespace {
#include "controls/GlyphImages.inc"

std::string ResourceName(int index) {
    return "ORVASK_" + std::to_string(index);
}

class BuiltInGlyphs : public IGlyphLibrary {
  public:
    BuiltInGlyphs() {
        for (const auto& g : kGlyphs) plat::RegisterBitmapResource(ResourceName(g.Index), g.Xpm);
    }
    int GetMaxBmpID() override {
        int max = 0;
        for (const auto& g : kGlyphs) max = std::max(max, g.Index);
        return max;
    }
    bool LoadBmp(plat::TBitmap& bitmap, int index) override {
        if (!plat::HasBitmapResource(ResourceName(index))) return false;
        bitmap.LoadFromResourceName(ResourceName(index));
        return true;
    }
};

std::shared_ptr<IGlyphLibrary>& Current() {
    static std::shared_ptr<IGlyphLibrary> library = std::make_shared<BuiltInGlyphs>();
    return library;
}
}  // namespace

IGlyphLibrary& GlyphLibrary() {
    return *Current();
}

std::shared_ptr<IGlyphLibrary> SetGlyphLibrary(std::shared_ptr<IGlyphLibrary> library) {
    auto old = Current();
    Current() = library ? std::move(library) : std::make_shared<BuiltInGlyphs>();
    return old;
}

void RegisterCheckBoxBitmaps() {
    static const bool once = [] {
        plat::RegisterBitmapResource("CHECKED", kChecked);
        plat::RegisterBitmapResource("GRAYED", kGrayed);
        plat::RegisterBitmapResource("UNCHECKED", kUnchecked);
        return true;
    }();
    (void)once;
}

}  // namespace ktrb
