#include "platform/ui/imglist.h"

#include <QImage>
#include <QPainter>

#include "platform/component/classes.h"
#include "platform/component/properties.h"
#include "platform/core/exceptions.h"
#include "platform/ui/qt_bridge.h"

namespace plat {

TCustomImageList::TCustomImageList(TComponent* owner) : TComponent(owner) {}
TCustomImageList::~TCustomImageList() = default;

int TCustomImageList::Count() const {
    return (int)images_.size();
}

void TCustomImageList::SetWidth(int v) {
    if (v == width_) return;
    width_ = std::max(1, v);
    Clear();
}

void TCustomImageList::SetHeight(int v) {
    if (v == height_) return;
    height_ = std::max(1, v);
    Clear();
}

void TCustomImageList::checkIndex(int index) const {
    if (index < 0 || index >= Count())
        throw EInvalidOperation("Invalid image list index " + std::to_string(index));
}

void TCustomImageList::changed() {
    OnChange(this);
}

namespace {
// The source cut into images of the list's size, left to right.
std::vector<QImage> Split(const QImage& src, int w, int h) {
    std::vector<QImage> out;
    int n = std::max(1, src.width() / w);
    for (int i = 0; i < n; ++i) {
        QImage img(w, h, QImage::Format_ARGB32);
        img.fill(Qt::transparent);
        QPainter p(&img);
        p.drawImage(0, 0, src, i * w, 0, w, h);
        out.push_back(img);
    }
    return out;
}
}  // namespace

int TCustomImageList::Add(const TBitmap& image, const TBitmap* mask) {
    int first = Count();
    QImage src = image.Image().convertToFormat(QImage::Format_ARGB32);
    if (mask && !mask->Empty()) {
        for (int y = 0; y < std::min(src.height(), mask->Height()); ++y)
            for (int x = 0; x < std::min(src.width(), mask->Width()); ++x)
                if ((mask->GetPixel(x, y) & 0xFFFFFF) == 0xFFFFFF) src.setPixel(x, y, 0);
    }
    for (auto& img : Split(src, width_, height_)) images_.push_back(img);
    changed();
    return first;
}

namespace {
// The image with every pixel of the mask colour transparent.
QImage masked(const TBitmap& image, TColor maskColor) {
    TColor key =
        ColorToRGB(maskColor == clDefault ? image.GetPixel(0, image.Height() - 1) : maskColor);
    QImage src = image.Image().convertToFormat(QImage::Format_ARGB32);
    QRgb k = qRgb(GetRValue(key), GetGValue(key), GetBValue(key));
    for (int y = 0; y < src.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(src.scanLine(y));
        for (int x = 0; x < src.width(); ++x)
            if ((line[x] & 0xFFFFFF) == (k & 0xFFFFFF)) line[x] = 0;
    }
    return src;
}
}  // namespace

int TCustomImageList::AddMasked(const TBitmap& image, TColor maskColor) {
    if (image.Empty()) return -1;
    int first = Count();
    for (auto& img : Split(masked(image, maskColor), width_, height_)) images_.push_back(img);
    changed();
    return first;
}

void TCustomImageList::ReplaceMasked(int index, const TBitmap& image, TColor maskColor) {
    checkIndex(index);
    if (image.Empty()) return;
    images_[index] = Split(masked(image, maskColor), width_, height_).front();
    changed();
}

void TCustomImageList::AddImages(const TCustomImageList& other) {
    for (auto& img : other.images_) images_.push_back(img.scaled(width_, height_));
    changed();
}

void TCustomImageList::Replace(int index, const TBitmap& image) {
    checkIndex(index);
    images_[index] =
        Split(image.Image().convertToFormat(QImage::Format_ARGB32), width_, height_).front();
    changed();
}

void TCustomImageList::Delete(int index) {
    checkIndex(index);
    images_.erase(images_.begin() + index);
    changed();
}

void TCustomImageList::Clear() {
    if (images_.empty()) return;
    images_.clear();
    changed();
}

const QImage& TCustomImageList::ImageAt(int index) const {
    checkIndex(index);
    return images_[index];
}

QImage DisabledImage(const QImage& src) {
    QImage out(src.size(), QImage::Format_ARGB32);
    out.fill(Qt::transparent);
    QColor hi = ToQColor(clBtnHighlight), sh = ToQColor(clBtnShadow);
    auto ink = [&](int x, int y) {
        QRgb p = src.pixel(x, y);
        return qAlpha(p) > 0 && qRed(p) + qGreen(p) + qBlue(p) < 384;
    };
    for (int y = 0; y < src.height(); ++y)
        for (int x = 0; x < src.width(); ++x)
            if (ink(x, y) && x + 1 < src.width() && y + 1 < src.height())
                out.setPixelColor(x + 1, y + 1, hi);
    for (int y = 0; y < src.height(); ++y)
        for (int x = 0; x < src.width(); ++x)
            if (ink(x, y)) out.setPixelColor(x, y, sh);
    return out;
}

void TCustomImageList::Draw(TCanvas& canvas, int x, int y, int index, bool enabled) const {
    if (index < 0 || index >= Count()) return;
    QImage img = enabled ? images_[index] : DisabledImage(images_[index]);
    // Through the canvas as a bitmap whose transparent colour is left out.
    const QRgb key = qRgb(1, 2, 3);
    QImage flat(img.size(), QImage::Format_RGB32);
    flat.fill(key);
    {
        QPainter p(&flat);
        p.drawImage(0, 0, img);
    }
    for (int yy = 0; yy < img.height(); ++yy)
        for (int xx = 0; xx < img.width(); ++xx)
            if (qAlpha(img.pixel(xx, yy)) == 0) flat.setPixel(xx, yy, key);
    TBitmap b;
    b.SetImage(flat);
    b.Transparent = true;
    b.SetTransparentColor(RGB(1, 2, 3));
    canvas.Draw(x, y, b);
}

void TCustomImageList::GetBitmap(int index, TBitmap& out) const {
    checkIndex(index);
    QImage flat(images_[index].size(), QImage::Format_RGB32);
    flat.fill(ToQColor(BkColor == clNone ? clBtnFace : BkColor));
    QPainter p(&flat);
    p.drawImage(0, 0, images_[index]);
    p.end();
    out.SetImage(flat);
}

// ---- Published properties --------------------------------------------------

PLAT_PUBLISH(TCustomImageList) {
    p.Prop("Width", &TCustomImageList::Width, &TCustomImageList::SetWidth);
    p.Prop("Height", &TCustomImageList::Height, &TCustomImageList::SetHeight);
    p.Prop("Masked", &TCustomImageList::Masked);
    p.Color("BkColor", &TCustomImageList::BkColor);
    p.Prop("OnChange", &TCustomImageList::OnChange);
}

}  // namespace plat
