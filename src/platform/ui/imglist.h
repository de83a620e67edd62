// Image lists: equal-sized images kept in order (the forms use 18 and 24
// pixel glyphs), each with its transparent colour, drawn normal or greyed.
#pragma once
#include <vector>

#include "platform/ui/graphics.h"
#include "platform/ui/types.h"

class QImage;

namespace plat {

class TCustomImageList : public TComponent {
    PLAT_CLASS(TCustomImageList, TComponent)
  public:
    explicit TCustomImageList(TComponent* owner);
    ~TCustomImageList() override;

    int Width() const { return width_; }
    int Height() const { return height_; }
    // Changing the size empties the list.
    void SetWidth(int v);
    void SetHeight(int v);
    int Count() const;
    bool Masked = true;
    TColor BkColor = clNone;

    // Adds the image (split into as many images as its width holds); the
    // mask's white pixels are transparent. Returns the first new index.
    int Add(const TBitmap& image, const TBitmap* mask = nullptr);
    // Adds with every pixel of maskColor transparent (clDefault: the colour
    // of the lower-left pixel).
    int AddMasked(const TBitmap& image, TColor maskColor);
    void AddImages(const TCustomImageList& other);
    void Replace(int index, const TBitmap& image);
    // Replaces with every pixel of maskColor transparent.
    void ReplaceMasked(int index, const TBitmap& image, TColor maskColor);
    void Delete(int index);
    void Clear();
    // Draws image index at (x, y); a disabled image is drawn greyed.
    void Draw(TCanvas& canvas, int x, int y, int index, bool enabled = true) const;
    // The image on the list's background (transparent pixels take BkColor,
    // or the button face when it is clNone).
    void GetBitmap(int index, TBitmap& out) const;

    TNotifyEvent OnChange;

    const QImage& ImageAt(int index) const;  // with an alpha channel

  private:
    void checkIndex(int index) const;
    void changed();
    int width_ = 16, height_ = 16;
    std::vector<QImage> images_;
};

class TImageList : public TCustomImageList {
    PLAT_CLASS(TImageList, TCustomImageList)
  public:
    using TCustomImageList::TCustomImageList;
};

// The greyed look of an image: its ink in the shadow colour with a
// highlight edge one pixel right and down.
QImage DisabledImage(const QImage& src);

}  // namespace plat
