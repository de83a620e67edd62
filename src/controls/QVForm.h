// The base of every window of the module: the same start-up for all
// (input-method names cleared, the English-interface font, disabled images
// for one-glyph buttons, language packages per class on show, a one-shot
// code-page conversion), and the code-page and language services passed
// through to its two owned components.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "platform/ui/forms.h"
#include "runtime/CodeConverter.h"
#include "runtime/LanguageController.h"

namespace ktrb {

// The one-glyph buttons of a control class that get a disabled image when a
// base form is created. Each control unit registers its classes; the rank
// orders the tests (the first class that matches decides): 10 the data-aware
// button edit, 20 the button lookup combo, 30 speed buttons, 40 bitmap
// buttons, 50 the range-selection panel.
using TGlyphButtonsOf = std::function<std::vector<plat::TComponent*>(plat::TComponent*)>;
void RegisterGlyphButtons(int rank, const plat::TClassInfo* cls, TGlyphButtonsOf buttons);
// The buttons the pass visits for a component (empty when no class matches).
std::vector<plat::TComponent*> GlyphButtonsOf(plat::TComponent* component);

template <class T>
struct GlyphButtonsRegistrar {
    GlyphButtonsRegistrar(int rank, std::function<std::vector<plat::TComponent*>(T&)> fn) {
        RegisterGlyphButtons(rank, T::StaticClass(),
                             [fn](plat::TComponent* c) { return fn(static_cast<T&>(*c)); });
    }
};

// The glyph's own image, then beside it the disabled image of the same
// size; nothing for no bitmap.
void AppendDisabledGlyph(plat::TBitmap* glyph);
// The dark and outline pixels of the source etched in shadow with a
// highlight edge below-right, on button face.
plat::TBitmap CreateDisabledGlyph(plat::TBitmap* source);

class TQVForm : public plat::TForm {
    PLAT_CLASS(TQVForm, plat::TForm)
  public:
    explicit TQVForm(plat::TComponent* owner);

    TCodeConverter* QvConverter = nullptr;
    TQvLangController* LangController = nullptr;
    bool Converted = false;
    bool ApplyLanguageOnShow = false;

    void FormCreate(plat::TObject* sender);
    void FormShow(plat::TObject* sender);
    void ConvertFormOnce();
    int ShowMessageBox(const std::string& text, TMsgDlgType type, const TMsgDlgButtons& buttons);
    std::string GetSystemCodePage() const { return QvConverter->WindowsCodePage(); }
    std::string GetUICodePage() const { return QvConverter->UICodePage(); }
    std::string GetDBCodePage() const { return QvConverter->DBCodePage(); }
    int GetDataMode() const { return QvConverter->DBMode(); }
    int GetDisplayMode() const { return QvConverter->DisplayMode(); }

    virtual void ApplyLanguage(plat::TComponent* component, bool withAncestors);
    virtual void ApplyDescendantLanguage(plat::TComponent* component, bool withAncestors);
    void ApplyFormLanguage(bool withAncestors) { ApplyLanguage(this, withAncestors); }
    std::string GetLangMessage(const std::string& package, const std::string& id,
                               const std::string& def, bool convert);

  protected:
    // The package names of a component's classes, most general first, the
    // walk stopping before the first class named in stopAt.
    static std::vector<std::string> PackageNames(
        plat::TComponent* component, bool withAncestors,
        const std::vector<const plat::TClassInfo*>& stopAt);
};

}  // namespace ktrb
