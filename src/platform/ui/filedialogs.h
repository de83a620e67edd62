// The platform's save dialog. The caller sets the filter, default extension,
// options and a proposed name; Execute shows a file chooser modally and
// answers true with FileName set to the chosen path. The chooser is a form
// of ours (TFileDialogForm) around Qt's own file dialog, run through the
// application's dialog runner, so tests answer it as they answer any form.
// The chosen path is the user's text: callers treat it as hostile.
#pragma once
#include <string>
#include <vector>

#include "platform/component/component.h"
#include "platform/component/typeinfo.h"
#include "platform/ui/forms.h"

class QFileDialog;

namespace plat {

enum class TOpenOption {
    ofReadOnly,
    ofOverwritePrompt,
    ofHideReadOnly,
    ofNoChangeDir,
    ofShowHelp,
    ofNoValidate,
    ofAllowMultiSelect,
    ofExtensionDifferent,
    ofPathMustExist,
    ofFileMustExist,
    ofCreatePrompt,
    ofShareAware,
    ofNoReadOnlyReturn,
    ofNoTestFileCreate,
    ofEnableSizing
};
PLAT_ENUM_INFO(TOpenOption, ofReadOnly, ofOverwritePrompt, ofHideReadOnly, ofNoChangeDir,
               ofShowHelp, ofNoValidate, ofAllowMultiSelect, ofExtensionDifferent, ofPathMustExist,
               ofFileMustExist, ofCreatePrompt, ofShareAware, ofNoReadOnlyReturn,
               ofNoTestFileCreate, ofEnableSizing)
PLAT_SET(TOpenOptions, TOpenOption)

// One entry of a filter text "description|patterns|description|patterns".
struct TFileFilter {
    std::string Description;
    std::string Patterns;  // "*.txt;*.log"
};
std::vector<TFileFilter> ParseFileFilter(const std::string& filter);
// The name as the dialog hands it back: the default extension added when the
// last part of the path has none.
std::string WithDefaultExt(const std::string& fileName, const std::string& defaultExt);

class TSaveDialog;

// The modal chooser form; the Qt dialog fills its client area.
class TFileDialogForm : public TForm {
    PLAT_CLASS(TFileDialogForm, TForm)
  public:
    explicit TFileDialogForm(const TSaveDialog& settings);

    // The name typed or picked so far; a script sets it as a user types it.
    const std::string& FileName() const { return fileName_; }
    void SetFileName(const std::string& name);
    // What the Save button does: the form closes with OK unless a check stops it.
    void Accept();
    QFileDialog* Chooser() const { return chooser_; }

  protected:
    void DoClose(TCloseAction& action) override;
    void Resize() override;

  private:
    bool acceptable();
    QFileDialog* chooser_ = nullptr;
    std::string fileName_, defaultExt_;
    bool overwritePrompt_ = false;
};

class TSaveDialog : public TComponent {
    PLAT_CLASS(TSaveDialog, TComponent)
  public:
    explicit TSaveDialog(TComponent* owner = nullptr) : TComponent(owner) {}

    std::string FileName;
    std::string Filter;
    int FilterIndex = 1;
    std::string DefaultExt;
    std::string InitialDir;
    std::string Title;
    // Kept as the designs store them; only ofOverwritePrompt changes anything
    // here (the chooser has no read-only box and is always sizable).
    TOpenOptions Options{TOpenOption::ofHideReadOnly, TOpenOption::ofEnableSizing};

    // True when a name was chosen (FileName holds it); false when cancelled.
    bool Execute();
};

}  // namespace plat
