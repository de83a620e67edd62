#include "platform/ui/graphics.h"

#include <strings.h>

#include <QApplication>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QPainter>
#include <cmath>
#include <cstdlib>

#include "platform/component/classes.h"
#include "platform/component/properties.h"
#include "platform/core/exceptions.h"
#include "platform/core/numbers.h"
#include "platform/core/text.h"
#include "platform/ui/qt_bridge.h"
#include "platform/ui/resources.h"

namespace plat {

const char* const kDefaultFace = "WenQuanYi Micro Hei";

bool IntersectRect(TRect& out, const TRect& a, const TRect& b) {
    out = {std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
           std::min(a.Bottom, b.Bottom)};
    if (out.IsEmpty()) {
        out = {};
        return false;
    }
    return true;
}

// ---- Colours -------------------------------------------------------------

namespace {
// The fixed system-colour table (the classic scheme), indexed by the low
// byte of a $800000nn colour.
constexpr TColor kSystemColors[] = {
    RGB(212, 208, 200),  // 0 scroll bar
    RGB(58, 110, 165),   // 1 background
    RGB(10, 36, 106),    // 2 active caption
    RGB(128, 128, 128),  // 3 inactive caption
    RGB(212, 208, 200),  // 4 menu
    RGB(255, 255, 255),  // 5 window
    RGB(0, 0, 0),        // 6 window frame
    RGB(0, 0, 0),        // 7 menu text
    RGB(0, 0, 0),        // 8 window text
    RGB(255, 255, 255),  // 9 caption text
    RGB(212, 208, 200),  // 10 active border
    RGB(212, 208, 200),  // 11 inactive border
    RGB(128, 128, 128),  // 12 application workspace
    RGB(10, 36, 106),    // 13 highlight
    RGB(255, 255, 255),  // 14 highlight text
    RGB(212, 208, 200),  // 15 button face
    RGB(128, 128, 128),  // 16 button shadow
    RGB(128, 128, 128),  // 17 gray text
    RGB(0, 0, 0),        // 18 button text
    RGB(212, 208, 200),  // 19 inactive caption text
    RGB(255, 255, 255),  // 20 button highlight
    RGB(64, 64, 64),     // 21 3-D dark shadow
    RGB(212, 208, 200),  // 22 3-D light
    RGB(0, 0, 0),        // 23 info text
    RGB(255, 255, 225),  // 24 info background
    RGB(181, 181, 181),  // 25
    RGB(0, 0, 128),      // 26 hot light
    RGB(166, 202, 240),  // 27 gradient active caption
    RGB(192, 192, 192),  // 28 gradient inactive caption
    RGB(10, 36, 106),    // 29 menu highlight
    RGB(212, 208, 200),  // 30 menu bar
};

struct ColorName {
    TColor color;
    const char* name;
};
constexpr ColorName kColorNames[] = {
    {clBlack, "clBlack"},
    {clMaroon, "clMaroon"},
    {clGreen, "clGreen"},
    {clOlive, "clOlive"},
    {clNavy, "clNavy"},
    {clPurple, "clPurple"},
    {clTeal, "clTeal"},
    {clGray, "clGray"},
    {clSilver, "clSilver"},
    {clRed, "clRed"},
    {clLime, "clLime"},
    {clYellow, "clYellow"},
    {clBlue, "clBlue"},
    {clFuchsia, "clFuchsia"},
    {clAqua, "clAqua"},
    {clWhite, "clWhite"},
    {clScrollBar, "clScrollBar"},
    {clBackground, "clBackground"},
    {clActiveCaption, "clActiveCaption"},
    {clInactiveCaption, "clInactiveCaption"},
    {clMenu, "clMenu"},
    {clWindow, "clWindow"},
    {clWindowFrame, "clWindowFrame"},
    {clMenuText, "clMenuText"},
    {clWindowText, "clWindowText"},
    {clCaptionText, "clCaptionText"},
    {clActiveBorder, "clActiveBorder"},
    {clInactiveBorder, "clInactiveBorder"},
    {clAppWorkSpace, "clAppWorkSpace"},
    {clHighlight, "clHighlight"},
    {clHighlightText, "clHighlightText"},
    {clBtnFace, "clBtnFace"},
    {clBtnShadow, "clBtnShadow"},
    {clGrayText, "clGrayText"},
    {clBtnText, "clBtnText"},
    {clInactiveCaptionText, "clInactiveCaptionText"},
    {clBtnHighlight, "clBtnHighlight"},
    {cl3DDkShadow, "cl3DDkShadow"},
    {cl3DLight, "cl3DLight"},
    {clInfoText, "clInfoText"},
    {clInfoBk, "clInfoBk"},
    {clNone, "clNone"},
    {clDefault, "clDefault"},
};
}  // namespace

TColor ColorToRGB(TColor c) {
    if (((uint32_t)c & 0xFF000000u) == 0x80000000u) {
        unsigned i = (uint32_t)c & 0xFF;
        return i < std::size(kSystemColors) ? kSystemColors[i] : clBlack;
    }
    return c & 0xFFFFFF;
}

std::string ColorToString(TColor c) {
    for (auto& n : kColorNames)
        if (n.color == c) return n.name;
    char buf[16];
    snprintf(buf, sizeof buf, "$%.8X", (uint32_t)c);
    return buf;
}

bool IdentToColor(const std::string& ident, TColor& out) {
    for (auto& n : kColorNames)
        if (strcasecmp(n.name, ident.c_str()) == 0) {
            out = n.color;
            return true;
        }
    return false;
}

TColor StringToColor(const std::string& s) {
    TColor c;
    if (IdentToColor(s, c)) return c;
    if (!s.empty() && s[0] == '$') {
        char* end = nullptr;
        unsigned long v = strtoul(s.c_str() + 1, &end, 16);
        if (s.size() > 1 && end && *end == 0) return (TColor)(uint32_t)v;
        throw EConvertError("'" + s + "' is not a valid integer value");
    }
    return (TColor)StrToInt(s);
}

QColor ToQColor(TColor c) {
    TColor rgb = ColorToRGB(c);
    return QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}

TColor FromQColor(const QColor& c) {
    return RGB(c.red(), c.green(), c.blue());
}

// ---- Fonts ---------------------------------------------------------------

void TFont::Assign(TPersistent* source) {
    if (auto* f = dynamic_cast<TFont*>(source)) {
        SetData(f->d_);
        return;
    }
    TPersistent::Assign(source);
}

void TFont::SetData(const TFontData& d) {
    d_ = d;
    changed();
}

void TFont::changed() {
    if (OnChange) OnChange();
}

// The platform's MulDiv: rounds half away from zero.
static int MulDiv(int a, int b, int c) {
    long long p = (long long)a * b;
    long long q = (std::llabs(p) + std::llabs((long long)c) / 2) / std::llabs((long long)c);
    return (int)(((p < 0) != (c < 0)) ? -q : q);
}

int TFont::Size() const {
    return -MulDiv(d_.Height, 72, 96);
}
void TFont::SetSize(int points) {
    SetHeight(-MulDiv(points, 96, 72));
}

#define FONT_SETTER(Fn, Type, field) \
    void TFont::Fn(Type v) {         \
        if (d_.field == v) return;   \
        d_.field = v;                \
        changed();                   \
    }
FONT_SETTER(SetName, const std::string&, Name)
FONT_SETTER(SetHeight, int, Height)
FONT_SETTER(SetWidth, int, Width)
FONT_SETTER(SetCharset, TFontCharset, Charset)
FONT_SETTER(SetStyle, TFontStyles, Style)
FONT_SETTER(SetColor, TColor, Color)
FONT_SETTER(SetPitch, TFontPitch, Pitch)
#undef FONT_SETTER

QFont ToQFont(const TFont& f) {
    return ToQFont(f.Data());
}

namespace {
QFont MakeQFont(const TFontData& f);

// Every text drawn or measured asks for its font; asking the font database
// for the family and measuring the stretch each time dominated grid painting.
struct FontCacheEntry {
    std::string name;
    int height;
    int width;
    bool bold, italic, underline, strikeOut;
    QFont font;
};
}  // namespace

QFont ToQFont(const TFontData& f) {
    EnsureApplication();
    static thread_local std::vector<FontCacheEntry> cache;
    static thread_local size_t next = 0;
    const bool b = f.Style.Contains(fsBold), i = f.Style.Contains(fsItalic),
               u = f.Style.Contains(fsUnderline), s = f.Style.Contains(fsStrikeOut);
    for (const auto& e : cache)
        if (e.height == f.Height && e.width == f.Width && e.bold == b && e.italic == i &&
            e.underline == u && e.strikeOut == s && e.name == f.Name)
            return e.font;
    FontCacheEntry e{f.Name, f.Height, f.Width, b, i, u, s, MakeQFont(f)};
    constexpr size_t kCacheSize = 64;
    if (cache.size() < kCacheSize) {
        cache.push_back(std::move(e));
        return cache.back().font;
    }
    cache[next] = std::move(e);
    QFont q = cache[next].font;
    next = (next + 1) % kCacheSize;
    return q;
}

namespace {
QFont MakeQFont(const TFontData& f) {
    QString name = Q(f.Name);
    QFont q(QFontDatabase::hasFamily(name) ? name : QString(kDefaultFace));
    int h = f.Height;
    // A positive height is the cell height; the face's cell is about 15/13 of its em.
    int px = h < 0 ? -h : h > 0 ? std::max(1, (int)std::lround(h * 13.0 / 15.0)) : 11;
    q.setPixelSize(px);
    q.setBold(f.Style.Contains(fsBold));
    q.setItalic(f.Style.Contains(fsItalic));
    q.setUnderline(f.Style.Contains(fsUnderline));
    q.setStrikeOut(f.Style.Contains(fsStrikeOut));
    if (f.Width > 0) {
        int natural = QFontMetrics(q).averageCharWidth();
        if (natural > 0) q.setStretch(std::clamp(f.Width * 100 / natural, 1, 4000));
    }
    return q;
}
}  // namespace

namespace {
// The symbol font is not on this system: its character codes are shown as
// the Unicode symbols they stand for.
struct SymbolGlyph {
    char32_t code;
    char32_t symbol;
};
constexpr SymbolGlyph kWingdings[] = {
    {0x6C, 0x25CF}, {0x6E, 0x25A0}, {0x6F, 0x25A1}, {0xA1, 0x25CB}, {0xA8, 0x25FB},
    {0xE7, 0x2190}, {0xE8, 0x2192}, {0xE9, 0x2191}, {0xEA, 0x2193}, {0xFB, 0x2717},
    {0xFC, 0x2713}, {0xFD, 0x2612}, {0xFE, 0x2611},
};

bool IsSymbolFont(const TFontData& font) {
    return strcasecmp(font.Name.c_str(), "Wingdings") == 0;
}
}  // namespace

std::string SymbolText(const TFontData& font, const std::string& text) {
    if (!IsSymbolFont(font)) return text;
    std::u32string u = Utf8ToU32(text);
    for (auto& c : u)
        for (auto& g : kWingdings)
            if (g.code == c) c = g.symbol;
    return U32ToUtf8(u);
}

TSize MeasureText(const TFontData& font, const std::string& text) {
    QFontMetrics m(ToQFont(font));
    if (IsSymbolFont(font)) return {m.horizontalAdvance(Q(SymbolText(font, text))), m.height()};
    return {m.horizontalAdvance(Q(text)), m.height()};
}

int FontTextHeight(const TFontData& font) {
    return QFontMetrics(ToQFont(font)).height();
}

// ---- Text layout -----------------------------------------------------------

std::string StripPrefix(const std::string& text, int* underline) {
    std::string out;
    int mark = -1, cps = 0;
    for (size_t i = 0; i < text.size();) {
        if (text[i] == '&') {
            if (i + 1 < text.size() && text[i + 1] == '&') {
                out += '&';
                i += 2;
                ++cps;
                continue;
            }
            if (i + 1 < text.size()) mark = cps;
            ++i;
            continue;
        }
        size_t n = Utf8Length(text, i);
        out.append(text, i, n);
        i += n;
        ++cps;
    }
    if (underline) *underline = mark;
    return out;
}

char32_t AccelCharOf(const std::string& caption) {
    int mark = -1;
    std::string s = StripPrefix(caption, &mark);
    if (mark < 0) return 0;
    std::u32string u = Utf8ToU32(s);
    char32_t c = u[mark];
    if (c >= 'a' && c <= 'z') c -= 32;
    return c;
}

namespace {
bool IsBreakableCJK(char32_t c) {
    return c >= 0x2E80;
}

// Greedy word wrap: breaks after spaces and around CJK characters; a word
// wider than the width stays whole.
std::vector<std::u32string> WrapLine(const std::u32string& line, const QFontMetrics& m, int width) {
    std::vector<std::u32string> tokens;
    for (size_t i = 0; i < line.size();) {
        size_t j = i;
        if (line[i] == ' ') {
            while (j < line.size() && line[j] == ' ') ++j;
        } else if (IsBreakableCJK(line[i])) {
            j = i + 1;
        } else {
            while (j < line.size() && line[j] != ' ' && !IsBreakableCJK(line[j])) ++j;
        }
        tokens.push_back(line.substr(i, j - i));
        i = j;
    }
    auto w = [&](const std::u32string& s) {
        return m.horizontalAdvance(QString::fromUcs4(s.data(), (qsizetype)s.size()));
    };
    std::vector<std::u32string> out;
    std::u32string cur;
    for (auto& t : tokens) {
        if (t[0] == ' ') {
            cur += t;
            continue;
        }
        std::u32string trial = cur + t;
        if (!cur.empty() && w(trial) > width) {
            while (!cur.empty() && cur.back() == ' ') cur.pop_back();
            out.push_back(cur);
            cur = t;
        } else {
            cur = trial;
        }
    }
    while (!cur.empty() && cur.back() == ' ' && !out.empty()) cur.pop_back();
    out.push_back(cur);
    return out;
}

std::u32string Ellipsize(const std::u32string& s, const QFontMetrics& m, int width) {
    auto w = [&](const std::u32string& t) {
        return m.horizontalAdvance(QString::fromUcs4(t.data(), (qsizetype)t.size()));
    };
    if (w(s) <= width) return s;
    const std::u32string dots = U"...";
    size_t n = s.size();
    while (n > 0 && w(s.substr(0, n) + dots) > width) --n;
    return s.substr(0, n) + dots;
}
}  // namespace

std::vector<TextLayoutLine> LayoutText(const std::string& text, const TFontData& font, int width,
                                       unsigned flags) {
    QFontMetrics m(ToQFont(font));
    int mark = -1;
    std::string plain = text;
    if (!(flags & DT_NOPREFIX)) plain = StripPrefix(text, &mark);
    if (flags & DT_HIDEPREFIX) mark = -1;
    std::u32string all = Utf8ToU32(plain);
    if (flags & DT_EXPANDTABS) {
        std::u32string t;
        for (char32_t c : all) t += c == '\t' ? std::u32string(8, U' ') : std::u32string(1, c);
        all = t;
    }
    // Split into source lines, remembering where each starts (for the mark).
    std::vector<std::pair<std::u32string, int>> src;
    if (flags & DT_SINGLELINE) {
        src.push_back({all, 0});
    } else {
        size_t start = 0;
        for (size_t i = 0; i <= all.size(); ++i) {
            if (i == all.size() || all[i] == '\n' || all[i] == '\r') {
                src.push_back({all.substr(start, i - start), (int)start});
                if (i < all.size() && all[i] == '\r' && i + 1 < all.size() && all[i + 1] == '\n')
                    ++i;
                start = i + 1;
            }
        }
    }
    std::vector<TextLayoutLine> out;
    for (auto& [line, offset] : src) {
        std::vector<std::u32string> parts;
        if ((flags & DT_WORDBREAK) && !(flags & DT_SINGLELINE))
            parts = WrapLine(line, m, width);
        else
            parts.push_back(line);
        int consumed = offset;
        for (auto& p : parts) {
            // Locate this piece in the source line to carry the mark over.
            size_t at = line.find(p, consumed - offset);
            int start = offset + (at == std::u32string::npos ? consumed - offset : (int)at);
            std::u32string shown = (flags & DT_END_ELLIPSIS) ? Ellipsize(p, m, width) : p;
            TextLayoutLine l;
            l.Text = U32ToUtf8(shown);
            l.Width = m.horizontalAdvance(QString::fromUcs4(shown.data(), (qsizetype)shown.size()));
            if (mark >= start && mark < start + (int)p.size() && mark - start < (int)shown.size())
                l.Underline = mark - start;
            out.push_back(std::move(l));
            consumed = start + (int)p.size();
        }
    }
    return out;
}

// ---- Canvas ----------------------------------------------------------------

TCanvas::TCanvas() = default;
TCanvas::TCanvas(std::shared_ptr<CanvasDevice> device) : device_(std::move(device)) {}
TCanvas::~TCanvas() = default;

CanvasOp TCanvas::stateOp(CanvasOpKind kind) const {
    CanvasOp op;
    op.Kind = kind;
    op.Pen = Pen;
    op.Brush = Brush;
    op.Font = Font.Data();
    op.CopyMode = CopyMode;
    return op;
}

void TCanvas::emitOp(CanvasOp op, const TBitmap* image, const TRect* source) {
    if (device_) device_->Draw(op, image, source);
}

void TCanvas::LineTo(int x, int y) {
    CanvasOp op = stateOp(CanvasOpKind::Polyline);
    op.Points = {PenPos, {x, y}};
    emitOp(std::move(op));
    PenPos = {x, y};
}

void TCanvas::Polyline(const std::vector<TPoint>& points) {
    CanvasOp op = stateOp(CanvasOpKind::Polyline);
    op.Points = points;
    emitOp(std::move(op));
}

void TCanvas::Polygon(const std::vector<TPoint>& points) {
    CanvasOp op = stateOp(CanvasOpKind::Polygon);
    op.Points = points;
    emitOp(std::move(op));
}

void TCanvas::FillRect(const TRect& r) {
    CanvasOp op = stateOp(CanvasOpKind::FillRect);
    op.Rect = r;
    emitOp(std::move(op));
}

void TCanvas::FrameRect(const TRect& r) {
    CanvasOp op = stateOp(CanvasOpKind::FrameRect);
    op.Rect = r;
    emitOp(std::move(op));
}

void TCanvas::Rectangle(int l, int t, int r, int b) {
    CanvasOp op = stateOp(CanvasOpKind::Rectangle);
    op.Rect = {l, t, r, b};
    emitOp(std::move(op));
}

void TCanvas::Ellipse(int l, int t, int r, int b) {
    CanvasOp op = stateOp(CanvasOpKind::Ellipse);
    op.Rect = {l, t, r, b};
    emitOp(std::move(op));
}

void TCanvas::TextOut(int x, int y, const std::string& text) {
    CanvasOp op = stateOp(CanvasOpKind::Text);
    op.Points = {{x, y}};
    op.Text = SymbolText(Font.Data(), text);
    op.Opaque = Brush.Style != TBrushStyle::bsClear;
    TSize sz = MeasureText(Font.Data(), text);
    op.Rect = Bounds(x, y, sz.cx, sz.cy);
    emitOp(std::move(op));
    PenPos = {x + sz.cx, y};
}

void TCanvas::TextRect(const TRect& r, int x, int y, const std::string& text) {
    if (Brush.Style != TBrushStyle::bsClear) FillRect(r);
    CanvasOp op = stateOp(CanvasOpKind::Text);
    op.Points = {{x, y}};
    op.Text = SymbolText(Font.Data(), text);
    op.Rect = r;
    op.Clipped = true;
    emitOp(std::move(op));
}

int TCanvas::TextWidth(const std::string& text) {
    return MeasureText(Font.Data(), text).cx;
}
int TCanvas::TextHeight(const std::string& text) {
    return MeasureText(Font.Data(), text).cy;
}

TSize TCanvas::TextExtent(const std::string& text) {
    return MeasureText(Font.Data(), text);
}

int TCanvas::DrawText(const std::string& text, TRect& r, unsigned flags) {
    // One line shown as it is (every grid cell): no layout, and the text is
    // measured only when its place depends on its width.
    constexpr unsigned kPlain = DT_SINGLELINE | DT_NOPREFIX;
    if ((flags & kPlain) == kPlain && !(flags & (DT_CALCRECT | DT_END_ELLIPSIS | DT_EXPANDTABS)) &&
        !IsSymbolFont(Font.Data()) && IsValidUtf8(text)) {
        const int lh = FontTextHeight(Font.Data());
        int y = r.Top;
        if (flags & DT_VCENTER)
            y = r.Top + (r.Height() - lh) / 2;
        else if (flags & DT_BOTTOM)
            y = r.Bottom - lh;
        int x = r.Left;
        if (flags & (DT_CENTER | DT_RIGHT)) {
            const int w = MeasureText(Font.Data(), text).cx;
            x = flags & DT_CENTER ? r.Left + (r.Width() - w) / 2 : r.Right - w;
        }
        CanvasOp op = stateOp(CanvasOpKind::Text);
        op.Points = {{x, y}};
        op.Text = text;
        op.Rect = r;
        op.Clipped = !(flags & DT_NOCLIP);
        op.Opaque = Brush.Style != TBrushStyle::bsClear;
        emitOp(std::move(op));
        return (y - r.Top) + lh;
    }
    auto lines = LayoutText(SymbolText(Font.Data(), text), Font.Data(), r.Width(), flags);
    int lh = FontTextHeight(Font.Data());
    int height = lh * (int)lines.size();
    if (flags & DT_CALCRECT) {
        int maxw = 0;
        for (auto& l : lines) maxw = std::max(maxw, l.Width);
        r.Right = r.Left + maxw;
        r.Bottom = r.Top + height;
        return height;
    }
    int y = r.Top;
    if (flags & DT_SINGLELINE) {
        if (flags & DT_VCENTER)
            y = r.Top + (r.Height() - lh) / 2;
        else if (flags & DT_BOTTOM)
            y = r.Bottom - lh;
    }
    int top = y;
    for (auto& l : lines) {
        int x = r.Left;
        if (flags & DT_CENTER)
            x = r.Left + (r.Width() - l.Width) / 2;
        else if (flags & DT_RIGHT)
            x = r.Right - l.Width;
        CanvasOp op = stateOp(CanvasOpKind::Text);
        op.Points = {{x, y}};
        op.Text = l.Text;
        op.UnderlineIndex = l.Underline;
        op.Rect = r;
        op.Clipped = !(flags & DT_NOCLIP);
        op.Opaque = Brush.Style != TBrushStyle::bsClear;
        emitOp(std::move(op));
        y += lh;
    }
    return (top - r.Top) + height;
}

void TCanvas::DrawFocusRect(const TRect& r) {
    CanvasOp op = stateOp(CanvasOpKind::FocusRect);
    op.Rect = r;
    emitOp(std::move(op));
}

void TCanvas::Draw(int x, int y, const TBitmap& bmp) {
    if (bmp.Empty()) return;
    CanvasOp op = stateOp(CanvasOpKind::Image);
    op.Rect = Bounds(x, y, bmp.Width(), bmp.Height());
    op.Color = bmp.Transparent ? bmp.TransparentColor() : clNone;
    op.CopyMode = cmSrcCopy;
    TRect src = Bounds(0, 0, bmp.Width(), bmp.Height());
    emitOp(std::move(op), &bmp, &src);
}

void TCanvas::StretchDraw(const TRect& dest, const TBitmap& bmp) {
    if (bmp.Empty()) return;
    CanvasOp op = stateOp(CanvasOpKind::Image);
    op.Rect = dest;
    op.Color = bmp.Transparent ? bmp.TransparentColor() : clNone;
    op.CopyMode = cmSrcCopy;
    TRect src = Bounds(0, 0, bmp.Width(), bmp.Height());
    emitOp(std::move(op), &bmp, &src);
}

void TCanvas::CopyRect(const TRect& dest, const TBitmap& src, const TRect& source) {
    CanvasOp op = stateOp(CanvasOpKind::Image);
    op.Rect = dest;
    op.Color = clNone;
    emitOp(std::move(op), &src, &source);
}

void TCanvas::BrushCopy(const TRect& dest, const TBitmap& src, const TRect& source,
                        TColor transparentColor) {
    CanvasOp op = stateOp(CanvasOpKind::Image);
    op.Rect = dest;
    op.Color = transparentColor;
    op.Opaque = true;  // the transparent colour becomes the brush colour
    op.CopyMode = cmSrcCopy;
    emitOp(std::move(op), &src, &source);
}

TColor TCanvas::Pixel(int x, int y) {
    return device_ ? device_->GetPixel(x, y) : clNone;
}

void TCanvas::SetPixel(int x, int y, TColor c) {
    CanvasOp op = stateOp(CanvasOpKind::Pixel);
    op.Rect = Bounds(x, y, 1, 1);
    op.Color = c;
    emitOp(std::move(op));
}

void Frame3D(TCanvas& canvas, TRect& r, TColor topColor, TColor bottomColor, int width) {
    // The platform draws to the last pixel inside the rectangle.
    r.Bottom -= 1;
    r.Right -= 1;
    for (int i = 0; i < width; ++i) {
        canvas.Pen.Color = topColor;
        canvas.Polyline({{r.Left, r.Bottom}, {r.Left, r.Top}, {r.Right, r.Top}});
        canvas.Pen.Color = bottomColor;
        canvas.Polyline({{r.Right, r.Top}, {r.Right, r.Bottom}, {r.Left - 1, r.Bottom}});
        InflateRect(r, -1, -1);
    }
    r.Bottom += 1;
    r.Right += 1;
}

void DrawButtonFace(TCanvas& canvas, TRect& r, bool pressed) {
    canvas.Brush.Color = clBtnFace;
    canvas.Brush.Style = TBrushStyle::bsSolid;
    canvas.FillRect(r);
    if (pressed) {
        Frame3D(canvas, r, clBtnShadow, clBtnHighlight, 1);
    } else {
        Frame3D(canvas, r, cl3DLight, cl3DDkShadow, 1);
        Frame3D(canvas, r, clBtnHighlight, clBtnShadow, 1);
    }
}

void DrawComboArrow(TCanvas& canvas, const TRect& r, bool pressed, bool enabled) {
    TRect face = r;
    DrawButtonFace(canvas, face, pressed);
    int off = pressed ? 1 : 0;
    int cx = (r.Left + r.Right) / 2 + off, cy = (r.Top + r.Bottom) / 2 + off;
    TColor c = enabled ? clBtnText : clGrayText;
    canvas.Pen.Color = c;
    canvas.Pen.Width = 1;
    canvas.Brush.Color = c;
    canvas.Polygon({{cx - 3, cy - 1}, {cx + 3, cy - 1}, {cx, cy + 2}});
}

// ---- Recording device ----------------------------------------------------

namespace {
class RecordingDevice : public CanvasDevice {
  public:
    void Draw(const CanvasOp& op, const TBitmap*, const TRect*) override { ops.push_back(op); }
    std::vector<CanvasOp> ops;
};
}  // namespace

TRecordingCanvas::TRecordingCanvas() : TCanvas(std::make_shared<RecordingDevice>()) {}
const std::vector<CanvasOp>& TRecordingCanvas::Ops() const {
    return static_cast<RecordingDevice&>(*Device()).ops;
}
void TRecordingCanvas::Clear() {
    static_cast<RecordingDevice&>(*Device()).ops.clear();
}
std::vector<std::string> TRecordingCanvas::Texts() const {
    std::vector<std::string> out;
    for (auto& op : Ops())
        if (op.Kind == CanvasOpKind::Text) out.push_back(op.Text);
    return out;
}

// ---- QPainter devices ----------------------------------------------------

namespace {
QPen ToQPen(const TPen& p) {
    if (p.Style == TPenStyle::psClear) return QPen(Qt::NoPen);
    QPen q(ToQColor(p.Color));
    q.setWidth(std::max(1, p.Width));
    static const Qt::PenStyle styles[] = {Qt::SolidLine,   Qt::DashLine,       Qt::DotLine,
                                          Qt::DashDotLine, Qt::DashDotDotLine, Qt::NoPen,
                                          Qt::SolidLine};
    q.setStyle(styles[(int)p.Style]);
    q.setCapStyle(Qt::FlatCap);
    q.setJoinStyle(Qt::MiterJoin);
    return q;
}

QBrush ToQBrush(const TBrush& b) {
    static const Qt::BrushStyle styles[] = {Qt::SolidPattern, Qt::NoBrush,         Qt::HorPattern,
                                            Qt::VerPattern,   Qt::FDiagPattern,    Qt::BDiagPattern,
                                            Qt::CrossPattern, Qt::DiagCrossPattern};
    return QBrush(ToQColor(b.Color), styles[(int)b.Style]);
}

// The ternary raster operation on 24-bit pixels, bit by bit.
uint32_t Rop3(uint32_t rop, uint32_t p, uint32_t s, uint32_t d) {
    unsigned code = (rop >> 16) & 0xFF;
    uint32_t r = 0;
    for (unsigned i = 0; i < 8; ++i)
        if (code & (1u << i)) r |= ((i & 4) ? p : ~p) & ((i & 2) ? s : ~s) & ((i & 1) ? d : ~d);
    return r & 0xFFFFFF;
}

uint32_t ToBgr(TColor c) {
    return (uint32_t)ColorToRGB(c);
}
QRgb BgrToQRgb(uint32_t c) {
    return qRgb(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}
uint32_t QRgbToBgr(QRgb c) {
    return (uint32_t)RGB(qRed(c), qGreen(c), qBlue(c));
}

// The source image of an image operation: the part, scaled to the target,
// with the transparent colour either removed (alpha 0) or replaced.
QImage SourceImage(const CanvasOp& op, const TBitmap& bmp, const TRect& source) {
    QImage src = bmp.Image().copy(ToQRect(source)).convertToFormat(QImage::Format_ARGB32);
    if (op.Rect.Width() != source.Width() || op.Rect.Height() != source.Height())
        src = src.scaled(std::max(1, op.Rect.Width()), std::max(1, op.Rect.Height()));
    if (op.Color != clNone) {
        QRgb key = BgrToQRgb(ToBgr(op.Color));
        QRgb repl = BgrToQRgb(ToBgr(op.Brush.Color));
        for (int y = 0; y < src.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(src.scanLine(y));
            for (int x = 0; x < src.width(); ++x)
                if ((line[x] & 0xFFFFFF) == (key & 0xFFFFFF)) line[x] = op.Opaque ? repl : 0;
        }
    }
    return src;
}

void PaintOp(QPainter& p, const CanvasOp& op, const TBitmap* image, const TRect* source) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    switch (op.Kind) {
        case CanvasOpKind::FillRect:
            if (op.Brush.Style != TBrushStyle::bsClear)
                p.fillRect(ToQRect(op.Rect), ToQBrush(op.Brush));
            break;
        case CanvasOpKind::FrameRect: {
            QRect r = ToQRect(op.Rect);
            QColor c = ToQColor(op.Brush.Color);
            p.fillRect(QRect(r.left(), r.top(), r.width(), 1), c);
            p.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), c);
            p.fillRect(QRect(r.left(), r.top(), 1, r.height()), c);
            p.fillRect(QRect(r.right(), r.top(), 1, r.height()), c);
            break;
        }
        case CanvasOpKind::Rectangle:
            p.setPen(ToQPen(op.Pen));
            p.setBrush(op.Brush.Style == TBrushStyle::bsClear ? QBrush(Qt::NoBrush)
                                                              : ToQBrush(op.Brush));
            p.drawRect(op.Rect.Left, op.Rect.Top, op.Rect.Width() - 1, op.Rect.Height() - 1);
            break;
        case CanvasOpKind::Ellipse:
            p.setPen(ToQPen(op.Pen));
            p.setBrush(op.Brush.Style == TBrushStyle::bsClear ? QBrush(Qt::NoBrush)
                                                              : ToQBrush(op.Brush));
            p.drawEllipse(op.Rect.Left, op.Rect.Top, op.Rect.Width() - 1, op.Rect.Height() - 1);
            break;
        case CanvasOpKind::Polyline: {
            p.setPen(ToQPen(op.Pen));
            std::vector<QPoint> pts;
            for (auto& pt : op.Points) pts.emplace_back(pt.X, pt.Y);
            // The platform leaves out the last point of a line.
            if (pts.size() >= 2 && op.Pen.Width <= 1) {
                QPoint& a = pts[pts.size() - 2];
                QPoint& b = pts.back();
                if (a.y() == b.y() && a.x() != b.x())
                    b.rx() += b.x() > a.x() ? -1 : 1;
                else if (a.x() == b.x() && a.y() != b.y())
                    b.ry() += b.y() > a.y() ? -1 : 1;
            }
            if (pts.size() == 2 && pts[0] == pts[1]) break;
            p.drawPolyline(pts.data(), (int)pts.size());
            break;
        }
        case CanvasOpKind::Polygon: {
            p.setPen(ToQPen(op.Pen));
            p.setBrush(op.Brush.Style == TBrushStyle::bsClear ? QBrush(Qt::NoBrush)
                                                              : ToQBrush(op.Brush));
            std::vector<QPoint> pts;
            for (auto& pt : op.Points) pts.emplace_back(pt.X, pt.Y);
            p.drawPolygon(pts.data(), (int)pts.size());
            break;
        }
        case CanvasOpKind::Text: {
            QFont f = ToQFont(op.Font);
            QFontMetrics m(f);
            QString text = Q(op.Text);
            int x = op.Points.empty() ? op.Rect.Left : op.Points[0].X;
            int y = op.Points.empty() ? op.Rect.Top : op.Points[0].Y;
            if (op.Clipped) p.setClipRect(ToQRect(op.Rect), Qt::IntersectClip);
            if (op.Opaque)
                p.fillRect(QRect(x, y, m.horizontalAdvance(text), m.height()),
                           ToQColor(op.Brush.Color));
            p.setFont(f);
            p.setPen(ToQColor(op.Font.Color));
            p.drawText(QPoint(x, y + m.ascent()), text);
            if (op.UnderlineIndex >= 0) {
                QString before = QString::fromUcs4(Utf8ToU32(op.Text).data(), op.UnderlineIndex);
                std::u32string u = Utf8ToU32(op.Text);
                QString ch = QString::fromUcs4(&u[op.UnderlineIndex], 1);
                int ux = x + m.horizontalAdvance(before);
                int uy = y + m.ascent() + 1;
                p.fillRect(QRect(ux, uy, m.horizontalAdvance(ch), 1), ToQColor(op.Font.Color));
            }
            break;
        }
        case CanvasOpKind::Image:
            if (image && source) {
                QImage src = SourceImage(op, *image, *source);
                if (op.CopyMode == cmNotSrcCopy) src.invertPixels(QImage::InvertRgb);
                p.drawImage(QPoint(op.Rect.Left, op.Rect.Top), src);
            }
            break;
        case CanvasOpKind::FocusRect: {
            // Dotted: every other pixel of the border, inverted.
            p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
            p.setPen(Qt::white);
            const TRect& r = op.Rect;
            for (int x = r.Left; x < r.Right; ++x)
                for (int y : {r.Top, r.Bottom - 1})
                    if (((x + y) & 1) == 0) p.drawPoint(x, y);
            for (int y = r.Top + 1; y < r.Bottom - 1; ++y)
                for (int x : {r.Left, r.Right - 1})
                    if (((x + y) & 1) == 0) p.drawPoint(x, y);
            break;
        }
        case CanvasOpKind::Pixel:
            p.fillRect(QRect(op.Rect.Left, op.Rect.Top, 1, 1), ToQColor(op.Color));
            break;
    }
    p.restore();
}

class PainterDevice : public CanvasDevice {
  public:
    explicit PainterDevice(QPainter* p) : p_(p) {}
    void Draw(const CanvasOp& op, const TBitmap* image, const TRect* source) override {
        PaintOp(*p_, op, image, source);
    }

  private:
    QPainter* p_;
};

class ImageDevice : public CanvasDevice {
  public:
    explicit ImageDevice(QImage* img) : img_(img) {}

    void Draw(const CanvasOp& op, const TBitmap* image, const TRect* source) override {
        if (img_->isNull()) return;
        switch (op.Kind) {
            case CanvasOpKind::Pixel:
                if (img_->rect().contains(op.Rect.Left, op.Rect.Top))
                    img_->setPixel(op.Rect.Left, op.Rect.Top, BgrToQRgb(ToBgr(op.Color)));
                return;
            case CanvasOpKind::FocusRect: {
                const TRect& r = op.Rect;
                auto inv = [&](int x, int y) {
                    if (((x + y) & 1) == 0 && img_->rect().contains(x, y))
                        img_->setPixel(x, y, img_->pixel(x, y) ^ 0x00FFFFFF);
                };
                for (int x = r.Left; x < r.Right; ++x) {
                    inv(x, r.Top);
                    if (r.Bottom - 1 != r.Top) inv(x, r.Bottom - 1);
                }
                for (int y = r.Top + 1; y < r.Bottom - 1; ++y) {
                    inv(r.Left, y);
                    if (r.Right - 1 != r.Left) inv(r.Right - 1, y);
                }
                return;
            }
            case CanvasOpKind::Image:
                if (image && source && op.CopyMode != cmSrcCopy) {
                    rop(op, *image, *source);
                    return;
                }
                break;
            default:
                break;
        }
        QPainter p(img_);
        PaintOp(p, op, image, source);
    }

    TColor GetPixel(int x, int y) override {
        if (!img_->rect().contains(x, y)) return clNone;
        return (TColor)QRgbToBgr(img_->pixel(x, y));
    }

  private:
    void rop(const CanvasOp& op, const TBitmap& bmp, const TRect& source) {
        QImage src = bmp.Image().copy(ToQRect(source));
        if (op.Rect.Width() != source.Width() || op.Rect.Height() != source.Height())
            src = src.scaled(std::max(1, op.Rect.Width()), std::max(1, op.Rect.Height()));
        uint32_t pat = ToBgr(op.Brush.Color);
        for (int y = 0; y < src.height(); ++y)
            for (int x = 0; x < src.width(); ++x) {
                int dx = op.Rect.Left + x, dy = op.Rect.Top + y;
                if (!img_->rect().contains(dx, dy)) continue;
                uint32_t s = QRgbToBgr(src.pixel(x, y));
                uint32_t d = QRgbToBgr(img_->pixel(dx, dy));
                img_->setPixel(dx, dy, BgrToQRgb(Rop3(op.CopyMode, pat, s, d)));
            }
    }

    QImage* img_;
};
}  // namespace

std::shared_ptr<CanvasDevice> MakePainterDevice(QPainter* painter) {
    return std::make_shared<PainterDevice>(painter);
}
std::shared_ptr<CanvasDevice> MakeImageDevice(QImage* image) {
    return std::make_shared<ImageDevice>(image);
}

// ---- Bitmaps ---------------------------------------------------------------

TBitmap::TBitmap() : image_(std::make_unique<QImage>()) {}

TBitmap::TBitmap(int width, int height) : TBitmap() {
    SetSize(width, height);
}

TBitmap::TBitmap(const TBitmap& o) : TPersistent(), image_(std::make_unique<QImage>()) {
    *this = o;
}

TBitmap& TBitmap::operator=(const TBitmap& o) {
    if (this == &o) return *this;
    *image_ = o.image_->copy();
    format_ = o.format_;
    Transparent = o.Transparent;
    TransparentMode = o.TransparentMode;
    fixedTransparent_ = o.fixedTransparent_;
    if (OnChange) OnChange();
    return *this;
}

TBitmap::~TBitmap() = default;

void TBitmap::Assign(TPersistent* source) {
    if (auto* b = dynamic_cast<TBitmap*>(source)) {
        *this = *b;
        return;
    }
    TPersistent::Assign(source);
}

int TBitmap::Width() const {
    return image_->width();
}
int TBitmap::Height() const {
    return image_->height();
}

void TBitmap::SetSize(int w, int h) {
    w = std::max(0, w);
    h = std::max(0, h);
    if (w == Width() && h == Height()) return;
    QImage n;
    if (w > 0 && h > 0) {
        n = QImage(w, h, QImage::Format_RGB32);
        n.fill(Qt::white);
        if (!image_->isNull()) {
            QPainter p(&n);
            p.drawImage(0, 0, *image_);
        }
    }
    *image_ = n;
    if (OnChange) OnChange();
}

void TBitmap::SetPixelFormat(TPixelFormat f) {
    if (f == TPixelFormat::pf1bit && format_ != f) ToMonochrome(clWhite);
    format_ = f;
}

void TBitmap::ToMonochrome(TColor background) {
    uint32_t bg = ToBgr(background);
    for (int y = 0; y < Height(); ++y)
        for (int x = 0; x < Width(); ++x)
            image_->setPixel(
                x, y, QRgbToBgr(image_->pixel(x, y)) == bg ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
    format_ = TPixelFormat::pf1bit;
    if (OnChange) OnChange();
}

TColor TBitmap::TransparentColor() const {
    if (TransparentMode == TTransparentMode::tmFixed && fixedTransparent_ != clDefault)
        return fixedTransparent_;
    if (Empty()) return clDefault;
    return GetPixel(0, Height() - 1);
}

TColor TBitmap::GetPixel(int x, int y) const {
    if (!image_->rect().contains(x, y)) return clNone;
    return (TColor)QRgbToBgr(image_->pixel(x, y));
}

void TBitmap::SetPixel(int x, int y, TColor c) {
    if (image_->rect().contains(x, y)) image_->setPixel(x, y, BgrToQRgb(ToBgr(c)));
}

TCanvas* TBitmap::Canvas() {
    if (!canvas_) canvas_ = std::make_unique<TCanvas>(MakeImageDevice(image_.get()));
    return canvas_.get();
}

void TBitmap::LoadFromResourceName(const std::string& name) {
    EnsureApplication();
    QImage img;
    if (!FindBitmapResource(name, img)) throw EResNotFound("Resource " + name + " not found");
    SetImage(img);
}

void TBitmap::LoadFromFile(const std::string& path) {
    EnsureApplication();
    QImage img(Q(path));
    if (img.isNull()) throw EInvalidGraphic("Cannot read the image file " + path);
    SetImage(img);
}

void TBitmap::SaveToFile(const std::string& path) const {
    if (!image_->save(Q(path))) throw EInOutError("Cannot write the image file " + path);
}

QImage& TBitmap::Image() {
    return *image_;
}
const QImage& TBitmap::Image() const {
    return *image_;
}

void TBitmap::SetImage(const QImage& image) {
    *image_ = image.convertToFormat(QImage::Format_RGB32);
    format_ = TPixelFormat::pfDevice;
    if (OnChange) OnChange();
}

// ---- Published properties --------------------------------------------------

PLAT_PUBLISH(TFont) {
    p.Charset("Charset", &TFont::Charset, &TFont::SetCharset);
    p.Color("Color", &TFont::Color, &TFont::SetColor);
    p.Prop("Height", &TFont::Height, &TFont::SetHeight);
    p.Prop("Name", &TFont::Name, &TFont::SetName, "TFontName");
    p.Prop("Pitch", &TFont::Pitch, &TFont::SetPitch);
    p.Prop("Size", &TFont::Size, &TFont::SetSize);
    p.Prop("Style", &TFont::Style, &TFont::SetStyle);
}

PLAT_PUBLISH(TBitmap) {
    p.Prop("Width", &TBitmap::Width, &TBitmap::SetWidth);
    p.Prop("Height", &TBitmap::Height, &TBitmap::SetHeight);
    p.Prop("Transparent", &TBitmap::Transparent);
}

}  // namespace plat
