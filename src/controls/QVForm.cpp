#include "controls/QVForm.h"

#include <algorithm>
#include <array>

#include "controls/ScreenConverterUi.h"
#include "platform/ui/buttons.h"
#include "runtime/PropAccess.h"

namespace ktrb {

using plat::TBitmap;
using plat::TColor;

// ---- one-glyph buttons ------------------------------------------------------

namespace {

struct GlyphButtonsEntry {
    int rank;
    const plat::TClassInfo* cls;
    TGlyphButtonsOf buttons;
};

std::vector<GlyphButtonsEntry>& glyphRegistry() {
    static std::vector<GlyphButtonsEntry> entries;
    return entries;
}

std::vector<plat::TComponent*> itself(plat::TComponent* c) {
    return {c};
}

// The platform's own button classes.
const bool kPlatformButtons = [] {
    RegisterGlyphButtons(30, plat::TSpeedButton::StaticClass(), itself);
    RegisterGlyphButtons(40, plat::TBitBtn::StaticClass(), itself);
    return true;
}();

}  // namespace

void RegisterGlyphButtons(int rank, const plat::TClassInfo* cls, TGlyphButtonsOf buttons) {
    auto& entries = glyphRegistry();
    auto at = std::upper_bound(entries.begin(), entries.end(), rank,
                               [](int r, const GlyphButtonsEntry& e) { return r < e.rank; });
    entries.insert(at, {rank, cls, std::move(buttons)});
}

std::vector<plat::TComponent*> GlyphButtonsOf(plat::TComponent* component) {
    (void)kPlatformButtons;
    for (const GlyphButtonsEntry& e : glyphRegistry())
        if (component->InheritsFrom(e.cls)) return e.buttons(component);
    return {};
}

namespace {

struct Rgb {
    int r, g, b;
    bool operator==(const Rgb&) const = default;
};

Rgb rgbOf(TColor c) {
    c = plat::ColorToRGB(c);
    return {c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF};
}

// The glyph and NumGlyphs of a speed or bitmap button; null for others.
struct GlyphSlot {
    TBitmap* glyph = nullptr;
    int numGlyphs = 0;
    std::function<void(int)> setNumGlyphs;
};

GlyphSlot slotOf(plat::TComponent* c) {
    if (auto* s = dynamic_cast<plat::TSpeedButton*>(c))
        return {s->Glyph(), s->NumGlyphs(), [s](int n) { s->SetNumGlyphs(n); }};
    if (auto* b = dynamic_cast<plat::TBitBtn*>(c))
        return {b->Glyph(), b->NumGlyphs(), [b](int n) { b->SetNumGlyphs(n); }};
    return {};
}

}  // namespace

TBitmap CreateDisabledGlyph(TBitmap* source) {
    if (!source) return TBitmap();
    source->SetPixelFormat(plat::TPixelFormat::pf24bit);
    const int w = source->Width(), h = source->Height();
    TBitmap result(*source);
    result.SetPixelFormat(plat::TPixelFormat::pf24bit);
    const Rgb t = rgbOf(source->TransparentColor());

    // Ink: dark pixels, and light ones that touch the background.
    std::vector<Rgb> src(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) src[y * w + x] = rgbOf(source->GetPixel(x, y));
    auto at = [&](int x, int y) { return src[y * w + x]; };
    std::vector<bool> ink(src.size(), false);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            Rgb p = at(x, y);
            if (p == t) continue;
            if (p.r + p.g + p.b < 384)
                ink[y * w + x] = true;
            else
                ink[y * w + x] =
                    at(x, std::max(y - 1, 0)) == t || at(x, std::min(y + 1, h - 1)) == t ||
                    at(std::max(x - 1, 0), y) == t || at(std::min(x + 1, w - 1), y) == t;
        }

    // Button face, the ink in highlight one pixel down-right, then in shadow.
    const TColor face = plat::ColorToRGB(plat::clBtnFace);
    const TColor highlight = plat::ColorToRGB(plat::clBtnHighlight);
    const TColor shadow = plat::ColorToRGB(plat::clBtnShadow);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) result.SetPixel(x, y, face);
    for (int y = 0; y + 1 < h; ++y)
        for (int x = 0; x + 1 < w; ++x)
            if (ink[y * w + x]) result.SetPixel(x + 1, y + 1, highlight);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (ink[y * w + x]) result.SetPixel(x, y, shadow);
    return result;
}

void AppendDisabledGlyph(TBitmap* glyph) {
    if (!glyph || glyph->Empty()) return;
    TBitmap disabled = CreateDisabledGlyph(glyph);
    TBitmap copy(*glyph);
    const int w = copy.Width(), h = copy.Height();
    glyph->SetWidth(w * 2);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < 2 * w; ++x)
            glyph->SetPixel(x, y, x < w ? copy.GetPixel(x, y) : disabled.GetPixel(x - w, y));
}

// ---- the form -----------------------------------------------------------------

TQVForm::TQVForm(plat::TComponent* owner) : plat::TForm(owner) {
    InstallScreenConverterUi();
    QvConverter = new TCodeConverter(this);
    QvConverter->SetName("QvConverter");
    QvConverter->DesignType = dtClient;
    LangController = new TQvLangController(this);
    LangController->SetName("LangController");
    Font()->SetName("宋体");
    Font()->SetHeight(-13);
    Font()->SetCharset(plat::DEFAULT_CHARSET);
    SetKeyPreview(true);
    Position = plat::TPosition::poScreenCenter;
    Scaled = false;
    SetShowHint(true);
    OnCreate = plat::TNotifyEvent(this, &TQVForm::FormCreate);
    OnShow = plat::TNotifyEvent(this, &TQVForm::FormShow);
}

void TQVForm::FormCreate(plat::TObject*) {
    Converted = false;
    ApplyLanguageOnShow = true;
    const bool english = GetUICodePage() == "437";
    for (int i = 0; i < ComponentCount(); ++i) {
        plat::TComponent* c = Components(i);
        if (HasProperty(c, "ImeName")) WriteStrProperty(c, "ImeName", "");
        if (english && HasProperty(c, "Font")) {
            TrySetPropByPath(c, "Font.Charset", 134);
            TrySetPropByPath(c, "Font.Name", "Tahoma");
        }
        for (plat::TComponent* button : GlyphButtonsOf(c)) {
            GlyphSlot slot = slotOf(button);
            if (!slot.glyph || slot.numGlyphs != 1) continue;
            AppendDisabledGlyph(slot.glyph);
            slot.setNumGlyphs(2);
        }
    }
}

void TQVForm::FormShow(plat::TObject*) {
    if (ApplyLanguageOnShow) ApplyFormLanguage(true);
}

void TQVForm::ConvertFormOnce() {
    if (Converted) return;
    QvConverter->ConvertForm(this, "", true);
    Converted = true;
}

int TQVForm::ShowMessageBox(const std::string& text, TMsgDlgType type,
                            const TMsgDlgButtons& buttons) {
    return QvConverter->ShowMessageBox(text, type, buttons);
}

std::vector<std::string> TQVForm::PackageNames(plat::TComponent* component, bool withAncestors,
                                               const std::vector<const plat::TClassInfo*>& stopAt) {
    if (!withAncestors) return {component->ClassName()};
    std::vector<std::string> names;
    for (const plat::TClassInfo* c = component->ClassInfo(); c; c = c->Parent()) {
        if (std::find(stopAt.begin(), stopAt.end(), c) != stopAt.end()) break;
        names.insert(names.begin(), c->Name());
    }
    return names;
}

void TQVForm::ApplyLanguage(plat::TComponent* component, bool withAncestors) {
    LangController->ApplyPackages(
        component, PackageNames(component, withAncestors, {plat::TForm::StaticClass()}));
}

void TQVForm::ApplyDescendantLanguage(plat::TComponent* component, bool withAncestors) {
    LangController->ApplyPackages(
        component, PackageNames(component, withAncestors,
                                {plat::TForm::StaticClass(), TQVForm::StaticClass()}));
}

std::string TQVForm::GetLangMessage(const std::string& package, const std::string& id,
                                    const std::string& def, bool convert) {
    std::string text = convert ? QvConverter->ConvertToUI(plat::Variant(def)).AsString() : def;
    return LangMessage(LangController->DesignType == dtServer, package, id, text);
}

}  // namespace ktrb
