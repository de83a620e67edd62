// Non-visual stand-ins for the controls that the language packages, the
// code-page converter and the user settings reach by class and property
// name, beside the platform's test components; and a fake of the windows
// layer's converter services.
#pragma once
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "runtime/CodeConverter.h"
#include "support/component/test_components.h"

namespace ktrb::test {

using namespace plat::testing;

class TTestDataModule : public plat::TComponent {
    PLAT_CLASS_NAMED("TDataModule", plat::TComponent)
  public:
    explicit TTestDataModule(plat::TComponent* owner = nullptr) : plat::TComponent(owner) {}
};

class TTestPanel : public TTestWinControl {
    PLAT_CLASS_NAMED("TPanel", TTestWinControl)
  public:
    explicit TTestPanel(plat::TComponent* owner = nullptr) : TTestWinControl(owner) {}
    std::string Caption;
};

// "TPageControl": its tab sheets by index ("Pages").
class TTestPageControl : public TTestWinControl {
    PLAT_CLASS_NAMED("TPageControl", TTestWinControl)
  public:
    explicit TTestPageControl(plat::TComponent* owner = nullptr) : TTestWinControl(owner) {}
    std::vector<TTestTabSheet*> Pages;
};

class TTestWWComboBase : public TTestCustomComboBox {
    PLAT_CLASS_NAMED("TwwDBCustomComboBox", TTestCustomComboBox)
  public:
    explicit TTestWWComboBase(plat::TComponent* owner = nullptr) : TTestCustomComboBox(owner) {}
    std::string DataField;
    plat::TComponent* DataSource = nullptr;
};

// The grid library's data-aware combo box.
class TTestWWComboBox : public TTestWWComboBase {
    PLAT_CLASS_NAMED("TwwDBComboBox", TTestWWComboBase)
  public:
    explicit TTestWWComboBox(plat::TComponent* owner = nullptr) : TTestWWComboBase(owner) {}
};

class TTestTabSet : public TTestWinControl {
    PLAT_CLASS_NAMED("TTabSet", TTestWinControl)
  public:
    explicit TTestTabSet(plat::TComponent* owner = nullptr) : TTestWinControl(owner) {}
    std::vector<std::string> Tabs;
    int TabIndex = -1;
};

class TTestNavigator : public TTestWinControl {
    PLAT_CLASS_NAMED("TDBNavigator", TTestWinControl)
  public:
    explicit TTestNavigator(plat::TComponent* owner = nullptr) : TTestWinControl(owner) {}
    std::vector<std::string> Hints;
};

class TTestPopupMenu : public plat::TComponent {
    PLAT_CLASS_NAMED("TPopupMenu", plat::TComponent)
  public:
    explicit TTestPopupMenu(plat::TComponent* owner = nullptr) : plat::TComponent(owner) {}
    bool OwnerDraw = false;
};

// "TSelectPanel": its words and hints, and the list view it owns.
class TTestSelectPanel : public TTestWinControl {
    PLAT_CLASS_NAMED("TSelectPanel", TTestWinControl)
  public:
    explicit TTestSelectPanel(plat::TComponent* owner = nullptr);
    std::vector<std::string> ChildHints, BeginWords, FinalWords;
    std::string HintWord;
    TTestListView* ListView;
};

// A string grid that offers its cells to the converter.
class TTestCellGrid : public TTestStringGrid, public IStringGridCells {
  public:
    explicit TTestCellGrid(plat::TComponent* owner = nullptr) : TTestStringGrid(owner) {}
    int ColCount() const override { return TTestStringGrid::ColCount(); }
    int RowCount() const override { return TTestStringGrid::RowCount(); }
    std::string GetCellText(int col, int row) const override { return Cell(col, row); }
    void SetCellText(int col, int row, const std::string& text) override {
        SetCell(col, row, text);
    }
};

// "TStringAlignGrid": cells, per-cell hints, fonts of the levels that have one, and
// in-cell editor items.
class TTestAlignGrid : public TTestStringGrid, public IAlignGridTexts {
    PLAT_CLASS_NAMED("TStringAlignGrid", TTestStringGrid)
  public:
    explicit TTestAlignGrid(plat::TComponent* owner = nullptr) : TTestStringGrid(owner) {}
    ~TTestAlignGrid() override;
    int ColCount() const override { return TTestStringGrid::ColCount(); }
    int RowCount() const override { return TTestStringGrid::RowCount(); }
    std::string GetCellValue(int col, int row) const override { return Cell(col, row); }
    void SetCellValue(int col, int row, const std::string& text) override {
        SetCell(col, row, text);
    }
    const std::string* FindHintCell(int col, int row) const override;
    std::string GetHintCell(int col, int row) const;
    void SetHintCell(int col, int row, const std::string& text) override {
        hints[{col, row}] = text;
    }
    plat::TObject* FindFontCell(int col, int row) override { return font("cell", col, row); }
    plat::TObject* FindFontCol(int col) override { return font("col", col, -1); }
    plat::TObject* FindFontFixedCol(int col) override { return font("fixedcol", col, -1); }
    plat::TObject* FindFontRow(int row) override { return font("row", -1, row); }
    plat::TObject* FindFontFixedRow(int row) override { return font("fixedrow", -1, row); }
    // Gives the level its own font, as the grid does on first write.
    TTestFont* MakeFont(const char* level, int col, int row);
    plat::TStringList* ControlItemsCell(int col, int row) override {
        return items("cell", col, row);
    }
    plat::TStringList* ControlItemsCol(int col) override { return items("col", col, -1); }
    plat::TStringList* ControlItemsRow(int row) override { return items("row", -1, row); }

    using Key = std::pair<int, int>;
    std::map<Key, std::string> hints;
    std::map<std::string, TTestFont*> fonts;               // "cell 1 2", "col 0 -1" ...
    std::map<std::string, plat::TStringList> editorItems;  // only where set

  private:
    TTestFont* font(const char* level, int col, int row);
    plat::TStringList* items(const char* level, int col, int row);
};

// The windows layer as the converter sees it.
class FakeConverterUi : public ICodeConverterUi {
  public:
    FakeConverterUi() : previous_(SetCodeConverterUi(this)) {}
    ~FakeConverterUi() override { SetCodeConverterUi(previous_); }

    std::vector<plat::TObject*> ScreenFonts() override { return {&iconFont, &hintFont, &menuFont}; }
    bool ApplicationShowHint() const override { return showHint; }
    void SetApplicationShowHint(bool on) override {
        showHint = on;
        ++showHintWrites;
    }
    void RestoreIfMinimized(plat::TComponent* form) override { restored.push_back(form); }
    int RunMessageDialog(plat::TComponent* form, const TMessageDialogSpec& dialog) override {
        dialogs.push_back(dialog);
        owners.push_back(form);
        return answer;
    }

    TTestFont iconFont, hintFont, menuFont;
    bool showHint = true;
    int showHintWrites = 0;
    std::vector<plat::TComponent*> restored, owners;
    std::vector<TMessageDialogSpec> dialogs;
    int answer = modal::Yes;

  private:
    ICodeConverterUi* previous_;
};

}  // namespace ktrb::test
