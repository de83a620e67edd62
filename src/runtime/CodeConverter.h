// The code-page converter every base form owns (component "QvConverter").
//
// Three code pages meet: the Windows code page, the one the interface shows
// (UI) and the database's (DB). Forms are designed in simplified Chinese
// (GB); on a traditional-Chinese interface their texts are shown in Big5
// characters, and data moves between the interface's and the database's
// characters in both directions. Texts are UTF-8; a conversion runs the
// GB/Big5 routines on the text encoded in the source code page and decodes
// the result in the target code page. Characters the source code page
// cannot write pass through unchanged.
//
// Directions: 1 Big5 to GB, 2 GB to Big5; any other value copies. The
// per-property converters take the display mode in its place (its values 1
// and 2 are those directions; fonts and styles also act on modes 3 and 4).
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/component/component.h"
#include "platform/core/stringlist.h"
#include "platform/core/variant.h"
#include "runtime/LanguageController.h"
#include "runtime/RadicalFormIntf.h"
#include "runtime/Translator.h"

namespace ktrb {

inline constexpr int kBig5ToGB = 1;
inline constexpr int kGBToBig5 = 2;

// What the converter needs of the windows layer, which installs it at
// start-up. Without one there are no screen fonts to set, and message boxes
// go to the alert log and answer modal::None.
class ICodeConverterUi {
  public:
    virtual ~ICodeConverterUi() = default;
    // The screen's icon, hint and menu fonts.
    virtual std::vector<plat::TObject*> ScreenFonts() = 0;
    virtual bool ApplicationShowHint() const = 0;
    virtual void SetApplicationShowHint(bool on) = 0;
    // Sets a minimised form back to normal.
    virtual void RestoreIfMinimized(plat::TComponent* form) = 0;
    // Shows a message dialog owned by the form (null: no owner), modally.
    virtual int RunMessageDialog(plat::TComponent* form, const TMessageDialogSpec& dialog) = 0;
};

// Returns the interface it replaces; null uninstalls.
ICodeConverterUi* SetCodeConverterUi(ICodeConverterUi* ui);
ICodeConverterUi* CodeConverterUi();

// String grids publish no cells; a grid class offers them to the converter
// through this interface.
class IStringGridCells {
  public:
    virtual int ColCount() const = 0;
    virtual int RowCount() const = 0;
    virtual std::string GetCellText(int col, int row) const = 0;
    virtual void SetCellText(int col, int row, const std::string& text) = 0;

  protected:
    ~IStringGridCells() = default;
};

// The string grid with per-cell properties: cell values and hints, the
// fonts of each level (created on first use) and the item lines of the
// in-cell editors of each level.
class IAlignGridTexts {
  public:
    virtual int ColCount() const = 0;
    virtual int RowCount() const = 0;
    virtual std::string GetCellValue(int col, int row) const = 0;
    virtual void SetCellValue(int col, int row, const std::string& text) = 0;
    // The walk reads through these and makes nothing: a level without a hint
    // or a font of its own answers null.
    virtual const std::string* FindHintCell(int col, int row) const = 0;
    virtual void SetHintCell(int col, int row, const std::string& text) = 0;
    virtual plat::TObject* FindFontCell(int col, int row) = 0;
    virtual plat::TObject* FindFontCol(int col) = 0;
    virtual plat::TObject* FindFontFixedCol(int col) = 0;
    virtual plat::TObject* FindFontRow(int row) = 0;
    virtual plat::TObject* FindFontFixedRow(int row) = 0;
    // The items of the level's in-cell editor; null when it has none.
    virtual plat::TStringList* ControlItemsCell(int col, int row) = 0;
    virtual plat::TStringList* ControlItemsCol(int col) = 0;
    virtual plat::TStringList* ControlItemsRow(int row) = 0;

  protected:
    ~IAlignGridTexts() = default;
};

class TCodeConverter : public plat::TComponent {
    PLAT_CLASS(TCodeConverter, plat::TComponent)
  public:
    // Reads the client settings. Raises the translator's exception when a
    // conversion is needed and the conversion library is missing.
    explicit TCodeConverter(plat::TComponent* owner = nullptr);
    ~TCodeConverter() override;

    // Re-reads the settings of DesignType; the translator stays as made.
    void LoadSettings();

    // ---- data ----
    plat::Variant ConvertVariant(int direction, const plat::Variant& value) const;
    // Database text for display, and typed text for the database.
    plat::Variant ConvertDBToUI(const plat::Variant& value) const;
    plat::Variant ConvertUIToDB(const plat::Variant& value) const;
    // Design-time (GB) text for display, and displayed text back.
    plat::Variant ConvertToUI(const plat::Variant& value) const;
    plat::Variant ConvertFromUI(const plat::Variant& value) const;
    std::string Big5ToGB(const std::string& text) const;
    std::string GBToBig5(const std::string& text) const;

    // ---- forms ----
    // Converts the form's texts, fonts and styles for display; once per form.
    // With a flag text the name list picks components for special handling.
    void ConvertForm(plat::TComponent* form, const std::string& flagText, bool includeGrids);
    // description: a text, or an array whose elements are component names
    // or arrays [name, property name ...] of properties to leave alone.
    void ReconvertForm(plat::TComponent* form, const plat::Variant& description, bool includeGrids);
    // Under a Big5 Windows, the control's text (a form's caption) in Big5.
    void ConvertControlText(plat::TComponent* control);

    void ConvertCaption(plat::TObject* component, int mode);
    void ConvertHints(plat::TObject* component, int mode);
    void ConvertTextProperty(plat::TObject* component, int mode);
    void ConvertItems(plat::TObject* component, int mode);
    void ConvertLines(plat::TObject* component, int mode);
    void ConvertPanels(plat::TObject* component, int mode);
    void ConvertFontProperty(plat::TObject* component, int mode);
    void ConvertTitleFont(plat::TObject* component, int mode);
    void ConvertStyle(plat::TObject* component, int mode);
    // Modes 0, 1, 4: "SimSun" / 134; 2, 3: "SimSun" / 136; others nothing.
    static void SetFontCharset(int mode, plat::TObject* font);
    // A published property of that name whose type name is typeName.
    static bool HasPropertyOfType(const plat::TObject* object, const std::string& name,
                                  const std::string& typeName);

    // A modal message box owned by the converter's owner; 0 for no text.
    int ShowMessageBox(const std::string& text, TMsgDlgType type, const TMsgDlgButtons& buttons);

    // ---- settings ----
    const std::string& WindowsCodePage() const { return windowsCodePage_; }
    const std::string& UICodePage() const { return uiCodePage_; }
    const std::string& DBCodePage() const { return dbCodePage_; }
    uint8_t DisplayMode() const { return displayMode_; }
    uint8_t DBMode() const { return dbMode_; }
    bool HasTranslator() const { return translator_ != nullptr; }

    TDesignType DesignType = dtClient;
    // Entries of the last ReconvertForm: component name, then property names,
    // separated by #3.
    const plat::TStringList& NameList() const { return nameList_; }

  private:
    std::string convertText(int direction, const std::string& text) const;
    plat::Variant convertArray(int direction, const plat::Variant& value) const;
    void fillNameList(const plat::Variant& description);
    void convertComponent(plat::TComponent* c, int mode, bool includeGrids,
                          const std::string& flagText);
    void convertListView(plat::TObject* view, int direction);
    void convertStringProp(plat::TObject* object, const char* name, int direction);
    void convertLinesProp(plat::TObject* object, const char* name, int direction);

    std::unique_ptr<TTranslator> translator_;
    std::string windowsCodePage_ = "936";
    std::string uiCodePage_ = "936";
    std::string dbCodePage_ = "936";
    uint8_t displayMode_ = 0;
    uint8_t dbMode_ = 0;
    plat::TStringList nameList_;
};

}  // namespace ktrb
