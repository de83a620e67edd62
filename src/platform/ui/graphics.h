// Colours, fonts, pens, brushes, bitmaps and the canvas. Colours are the
// platform's integers ($00BBGGRR; $800000nn names a system colour). The
// canvas draws through a device: a QPainter device for windows and bitmaps,
// or a recording device that tests read back.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/types.h"

class QImage;
class QFont;
class QColor;

namespace plat {

// ---- Colours -------------------------------------------------------------
using TColor = int32_t;

constexpr TColor clBlack = 0x000000, clMaroon = 0x000080, clGreen = 0x008000, clOlive = 0x008080,
                 clNavy = 0x800000, clPurple = 0x800080, clTeal = 0x808000, clGray = 0x808080,
                 clSilver = 0xC0C0C0, clRed = 0x0000FF, clLime = 0x00FF00, clYellow = 0x00FFFF,
                 clBlue = 0xFF0000, clFuchsia = 0xFF00FF, clAqua = 0xFFFF00, clLtGray = 0xC0C0C0,
                 clDkGray = 0x808080, clWhite = 0xFFFFFF, clNone = 0x1FFFFFFF,
                 clDefault = 0x20000000;

constexpr TColor clSystemColor = (TColor)0x80000000;
constexpr TColor clScrollBar = clSystemColor | 0, clBackground = clSystemColor | 1,
                 clActiveCaption = clSystemColor | 2, clInactiveCaption = clSystemColor | 3,
                 clMenu = clSystemColor | 4, clWindow = clSystemColor | 5,
                 clWindowFrame = clSystemColor | 6, clMenuText = clSystemColor | 7,
                 clWindowText = clSystemColor | 8, clCaptionText = clSystemColor | 9,
                 clActiveBorder = clSystemColor | 10, clInactiveBorder = clSystemColor | 11,
                 clAppWorkSpace = clSystemColor | 12, clHighlight = clSystemColor | 13,
                 clHighlightText = clSystemColor | 14, clBtnFace = clSystemColor | 15,
                 clBtnShadow = clSystemColor | 16, clGrayText = clSystemColor | 17,
                 clBtnText = clSystemColor | 18, clInactiveCaptionText = clSystemColor | 19,
                 clBtnHighlight = clSystemColor | 20, cl3DDkShadow = clSystemColor | 21,
                 cl3DLight = clSystemColor | 22, clInfoText = clSystemColor | 23,
                 clInfoBk = clSystemColor | 24;

constexpr TColor RGB(int r, int g, int b) {
    return (TColor)((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int GetRValue(TColor c) {
    return c & 0xFF;
}
constexpr int GetGValue(TColor c) {
    return (c >> 8) & 0xFF;
}
constexpr int GetBValue(TColor c) {
    return (c >> 16) & 0xFF;
}
// A system colour through the fixed table; any other colour its low 24 bits.
TColor ColorToRGB(TColor c);
// "clBtnFace", or "$00RRGGBB"-style hex for colours without a name.
std::string ColorToString(TColor c);
// A colour name, a decimal integer or "$"-hexadecimal; raises EConvertError.
TColor StringToColor(const std::string& s);
bool IdentToColor(const std::string& ident, TColor& out);

// ---- Fonts, pens, brushes ------------------------------------------------
enum class TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
PLAT_ENUM_INFO(TFontStyle, fsBold, fsItalic, fsUnderline, fsStrikeOut)
PLAT_SET(TFontStyles, TFontStyle)
constexpr TFontStyle fsBold = TFontStyle::fsBold, fsItalic = TFontStyle::fsItalic,
                     fsUnderline = TFontStyle::fsUnderline, fsStrikeOut = TFontStyle::fsStrikeOut;
enum class TFontPitch { fpDefault, fpVariable, fpFixed };
PLAT_ENUM_INFO(TFontPitch, fpDefault, fpVariable, fpFixed)
using TFontCharset = uint8_t;
constexpr TFontCharset ANSI_CHARSET = 0, DEFAULT_CHARSET = 1, SYMBOL_CHARSET = 2,
                       GB2312_CHARSET = 134, CHINESEBIG5_CHARSET = 136;

// The values of a font, as a plain value (what a drawing operation keeps).
struct TFontData {
    std::string Name = "MS Sans Serif";
    int Height = -11;
    int Width = 0;
    TFontCharset Charset = DEFAULT_CHARSET;
    TFontStyles Style;
    TColor Color = clWindowText;
    TFontPitch Pitch = TFontPitch::fpDefault;
    bool operator==(const TFontData&) const = default;
};

// A font as the platform keeps it: a negative Height is the character height
// in pixels, a positive one the cell height; Size is in points at the
// font's pixels per inch (96), rounded as the platform rounds
// (-13 pixels is size 10).
class TFont : public TPersistent {
    PLAT_CLASS(TFont, TPersistent)
  public:
    TFont() = default;
    explicit TFont(const TFontData& d) : d_(d) {}
    void Assign(TPersistent* source) override;
    void Assign(const TFont& o) { SetData(o.d_); }
    const TFontData& Data() const { return d_; }
    void SetData(const TFontData& d);

    const std::string& Name() const { return d_.Name; }
    void SetName(const std::string& v);
    int Height() const { return d_.Height; }
    void SetHeight(int v);
    int Size() const;
    void SetSize(int points);
    // Average character width of a derived font; 0 is the face's own.
    int Width() const { return d_.Width; }
    void SetWidth(int v);
    TFontCharset Charset() const { return d_.Charset; }
    void SetCharset(TFontCharset v);
    TFontStyles Style() const { return d_.Style; }
    void SetStyle(TFontStyles v);
    TColor Color() const { return d_.Color; }
    void SetColor(TColor v);
    TFontPitch Pitch() const { return d_.Pitch; }
    void SetPitch(TFontPitch v);
    int PixelsPerInch() const { return 96; }

    // Called after every change.
    std::function<void()> OnChange;

  private:
    void changed();
    TFontData d_;
};

enum class TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
PLAT_ENUM_INFO(TPenStyle, psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame)
enum class TPenMode {
    pmBlack,
    pmWhite,
    pmNop,
    pmNot,
    pmCopy,
    pmNotCopy,
    pmMergePenNot,
    pmMaskPenNot,
    pmMergeNotPen,
    pmMaskNotPen,
    pmMerge,
    pmNotMerge,
    pmMask,
    pmNotMask,
    pmXor,
    pmNotXor
};
struct TPen {
    TColor Color = clBlack;
    int Width = 1;
    TPenStyle Style = TPenStyle::psSolid;
    TPenMode Mode = TPenMode::pmCopy;
};

enum class TBrushStyle {
    bsSolid,
    bsClear,
    bsHorizontal,
    bsVertical,
    bsFDiagonal,
    bsBDiagonal,
    bsCross,
    bsDiagCross
};
PLAT_ENUM_INFO(TBrushStyle, bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal,
               bsCross, bsDiagCross)
struct TBrush {
    TColor Color = clWhite;
    TBrushStyle Style = TBrushStyle::bsSolid;
};

// ---- Drawing operations as a device sees them ------------------------------
// Text drawing flags (the platform's DrawText flags).
constexpr unsigned DT_TOP = 0x0, DT_LEFT = 0x0, DT_CENTER = 0x1, DT_RIGHT = 0x2, DT_VCENTER = 0x4,
                   DT_BOTTOM = 0x8, DT_WORDBREAK = 0x10, DT_SINGLELINE = 0x20, DT_EXPANDTABS = 0x40,
                   DT_NOCLIP = 0x100, DT_CALCRECT = 0x400, DT_NOPREFIX = 0x800,
                   DT_EDITCONTROL = 0x2000, DT_PATH_ELLIPSIS = 0x4000, DT_END_ELLIPSIS = 0x8000,
                   DT_WORD_ELLIPSIS = 0x40000, DT_HIDEPREFIX = 0x100000;

// Raster operations of bitmap copies (ternary codes).
using TCopyMode = uint32_t;
constexpr TCopyMode cmBlackness = 0x00000042, cmDstInvert = 0x00550009, cmMergeCopy = 0x00C000CA,
                    cmMergePaint = 0x00BB0226, cmNotSrcCopy = 0x00330008,
                    cmNotSrcErase = 0x001100A6, cmPatCopy = 0x00F00021, cmPatInvert = 0x005A0049,
                    cmPatPaint = 0x00FB0A09, cmSrcAnd = 0x008800C6, cmSrcCopy = 0x00CC0020,
                    cmSrcErase = 0x00440328, cmSrcInvert = 0x00660046, cmSrcPaint = 0x00EE0086,
                    cmWhiteness = 0x00FF0062;

enum class CanvasOpKind {
    FillRect,
    Rectangle,
    Polyline,
    Polygon,
    Ellipse,
    Text,
    Image,
    FocusRect,
    Pixel,
    FrameRect
};

// One drawing operation with the state it was drawn in; the recording device
// keeps these for tests.
struct CanvasOp {
    CanvasOpKind Kind = CanvasOpKind::FillRect;
    TRect Rect;                  // target rectangle (text: clip rectangle when Clipped)
    std::vector<TPoint> Points;  // polyline/polygon points; text origin in Points[0]
    std::string Text;            // text drawn (prefix characters removed)
    int UnderlineIndex = -1;     // character (code point) shown underlined, -1 none
    bool Clipped = false;        // text clipped to Rect
    bool Opaque = false;         // text cell or shape interior filled
    TPen Pen;
    TBrush Brush;
    TFontData Font;
    TColor Color = clNone;  // pixel colour, or the transparent colour of an image copy
    TCopyMode CopyMode = cmSrcCopy;
};

class TBitmap;

// What a canvas draws on. Colours reach the device resolved to RGB.
class CanvasDevice {
  public:
    virtual ~CanvasDevice() = default;
    virtual void Draw(const CanvasOp& op, const TBitmap* image = nullptr,
                      const TRect* source = nullptr) = 0;
    virtual TColor GetPixel(int x, int y) { return clNone; }
};

// ---- Canvas ----------------------------------------------------------------
class TCanvas {
  public:
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;
    TCanvas();  // draws nowhere until a device is bound; measuring still works
    explicit TCanvas(std::shared_ptr<CanvasDevice> device);
    virtual ~TCanvas();
    void SetDevice(std::shared_ptr<CanvasDevice> device) { device_ = std::move(device); }
    const std::shared_ptr<CanvasDevice>& Device() const { return device_; }

    TPen Pen;
    TBrush Brush;
    TFont Font;
    TCopyMode CopyMode = cmSrcCopy;
    TPoint PenPos;

    void MoveTo(int x, int y) { PenPos = {x, y}; }
    void LineTo(int x, int y);
    void Polyline(const std::vector<TPoint>& points);
    void Polygon(const std::vector<TPoint>& points);
    void FillRect(const TRect& r);
    void FrameRect(const TRect& r);  // one-pixel frame in the brush colour
    void Rectangle(int l, int t, int r, int b);
    void Rectangle(const TRect& r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
    void Ellipse(int l, int t, int r, int b);
    // Text at (x, y) (top left of the cell); opaque on the brush colour unless
    // the brush is clear. The pen position moves to the end of the text.
    void TextOut(int x, int y, const std::string& text);
    // Text at (x, y) clipped to r; with a solid brush r is filled first.
    void TextRect(const TRect& r, int x, int y, const std::string& text);
    int TextWidth(const std::string& text);
    int TextHeight(const std::string& text);
    TSize TextExtent(const std::string& text);
    // Text laid out in r by DT_ flags; returns the height of the text. With
    // DT_CALCRECT nothing is drawn and r receives the text's extent.
    int DrawText(const std::string& text, TRect& r, unsigned flags);
    // The dotted focus rectangle, drawn by inverting: drawing it twice restores.
    void DrawFocusRect(const TRect& r);
    // Copies a bitmap; a transparent bitmap leaves its transparent colour out.
    void Draw(int x, int y, const TBitmap& bmp);
    void StretchDraw(const TRect& dest, const TBitmap& bmp);
    // Copies part of a bitmap with the canvas's CopyMode (the brush is the pattern).
    void CopyRect(const TRect& dest, const TBitmap& src, const TRect& source);
    // Copies the source with every pixel of transparentColor left out.
    void BrushCopy(const TRect& dest, const TBitmap& src, const TRect& source,
                   TColor transparentColor);
    TColor Pixel(int x, int y);
    void SetPixel(int x, int y, TColor c);

  private:
    void emitOp(CanvasOp op, const TBitmap* image = nullptr, const TRect* source = nullptr);
    CanvasOp stateOp(CanvasOpKind kind) const;
    std::shared_ptr<CanvasDevice> device_;
};

// A canvas over a recording device; Ops() lists what was drawn.
class TRecordingCanvas : public TCanvas {
  public:
    TRecordingCanvas();
    const std::vector<CanvasOp>& Ops() const;
    void Clear();
    // Texts drawn, in order.
    std::vector<std::string> Texts() const;
};

// Draws a 3-D frame in r (top-left colour, bottom-right colour) width times,
// shrinking r by one pixel on every side each time.
void Frame3D(TCanvas& canvas, TRect& r, TColor topColor, TColor bottomColor, int width);

// A push button's face in r (raised, or sunken when pressed); r receives
// the area inside the frame.
void DrawButtonFace(TCanvas& canvas, TRect& r, bool pressed);
// The drop-down button of a combo box: a button face with a small arrow.
void DrawComboArrow(TCanvas& canvas, const TRect& r, bool pressed, bool enabled);

// Text layout without a canvas (for controls that size themselves): lines of
// text laid out in a width by DT_ flags, measured with the font.
struct TextLayoutLine {
    std::string Text;
    int Width = 0;
    int Underline = -1;  // code point index in Text shown underlined
};
std::vector<TextLayoutLine> LayoutText(const std::string& text, const TFontData& font, int width,
                                       unsigned flags);
// Removes the "&" prefix marks ("&&" is a literal "&"); underline receives the
// code point index of the marked character (-1 when there is none).
std::string StripPrefix(const std::string& text, int* underline = nullptr);
// The marked character of a caption (upper-cased ASCII), 0 when there is none.
char32_t AccelCharOf(const std::string& caption);
TSize MeasureText(const TFontData& font, const std::string& text);
// Text in the symbol font "Wingdings" as the Unicode symbols its codes stand
// for (the face itself is not installed); other fonts' text unchanged.
std::string SymbolText(const TFontData& font, const std::string& text);
int FontTextHeight(const TFontData& font);

// ---- Bitmaps ---------------------------------------------------------------
enum class TPixelFormat {
    pfDevice,
    pf1bit,
    pf4bit,
    pf8bit,
    pf15bit,
    pf16bit,
    pf24bit,
    pf32bit,
    pfCustom
};
enum class TTransparentMode { tmAuto, tmFixed };

class TBitmap : public TPersistent {
    PLAT_CLASS(TBitmap, TPersistent)
  public:
    TBitmap();
    TBitmap(int width, int height);
    TBitmap(const TBitmap& o);
    TBitmap& operator=(const TBitmap& o);
    ~TBitmap() override;
    void Assign(TPersistent* source) override;
    void Assign(const TBitmap& o) { *this = o; }

    int Width() const;
    int Height() const;
    // Resizing keeps the old pixels at the top left; new ones are white.
    void SetWidth(int w) { SetSize(w, Height()); }
    void SetHeight(int h) { SetSize(Width(), h); }
    void SetSize(int w, int h);
    bool Empty() const { return Width() == 0 || Height() == 0; }
    void Clear() { SetSize(0, 0); }

    TPixelFormat PixelFormat() const { return format_; }
    void SetPixelFormat(TPixelFormat f);
    // Monochrome: every pixel black or white (white where the colour was the
    // background colour given to ToMonochrome).
    bool Monochrome() const { return format_ == TPixelFormat::pf1bit; }
    void ToMonochrome(TColor background);

    bool Transparent = false;
    TTransparentMode TransparentMode = TTransparentMode::tmAuto;
    // tmAuto: the colour of the lower-left pixel; tmFixed: the stored colour.
    TColor TransparentColor() const;
    void SetTransparentColor(TColor c) {
        fixedTransparent_ = c;
        TransparentMode = TTransparentMode::tmFixed;
    }

    TColor GetPixel(int x, int y) const;
    void SetPixel(int x, int y, TColor c);
    TCanvas* Canvas();

    // From a resource compiled into the program (see resources.h); raises
    // EResNotFound when there is none of that name.
    void LoadFromResourceName(const std::string& name);
    void LoadFromFile(const std::string& path);
    void SaveToFile(const std::string& path) const;

    QImage& Image();
    const QImage& Image() const;
    void SetImage(const QImage& image);
    std::function<void()> OnChange;

  private:
    std::unique_ptr<QImage> image_;
    std::unique_ptr<TCanvas> canvas_;
    TPixelFormat format_ = TPixelFormat::pfDevice;
    TColor fixedTransparent_ = clDefault;
};

}  // namespace plat
