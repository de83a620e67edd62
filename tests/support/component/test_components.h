// Non-visual components that publish the properties the windows' controls
// publish (captions, hints, texts, item lists, lines, status panels, fonts,
// grid and list-view columns, list items, tree nodes, cells, events), under
// the platform's run-time class names, so that the code that walks
// components by property name can be tested without windows.
//
// The C++ names carry "Test"; ClassName() gives the platform's name
// (TTestComboBox is a "TComboBox" that inherits from "TCustomComboBox").
// RegisterTestComponentClasses() makes them creatable by class name.
#pragma once
#include <string>
#include <vector>

#include "platform/component/collection.h"
#include "platform/component/component.h"
#include "platform/component/events.h"
#include "platform/component/properties.h"
#include "platform/component/typeinfo.h"
#include "platform/core/stringlist.h"

namespace plat::testing {

PLAT_ENUM(TFontStyle, fsBold, fsItalic, fsUnderline, fsStrikeOut)
PLAT_SET(TFontStyles, TFontStyle)
PLAT_ENUM(TComboBoxStyle, csDropDown, csSimple, csDropDownList, csOwnerDrawFixed,
          csOwnerDrawVariable)
PLAT_ENUM(TListBoxStyle, lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable)
PLAT_ENUM(TEditCharCase, ecNormal, ecUpperCase, ecLowerCase)
PLAT_ENUM(TViewStyle, vsIcon, vsSmallIcon, vsList, vsReport)

// Colours and charsets the tests use.
constexpr int32_t kClWindow = (int32_t)0x80000005;
constexpr int32_t kClBtnFace = (int32_t)0x8000000F;
constexpr int32_t kClRed = 0x0000FF;
constexpr int32_t kDefaultCharset = 1;
constexpr int32_t kGB2312Charset = 134;
constexpr int32_t kBig5Charset = 136;

class TTestFont : public TPersistent {
    PLAT_CLASS_NAMED("TFont", TPersistent)
  public:
    TTestFont();
    std::string Name = "宋体";
    int Height = -13;
    int32_t Charset = kDefaultCharset;
    int32_t Color = 0;
    TFontStyles Style;
    // Size in points at 96 dpi, as the platform rounds it (13 px is 10).
    int Size() const;
    void SetSize(int points);
    int changes = 0;  // writes through Assign, for tests of embedded objects
    void Assign(TPersistent* source) override;
};

class TTestStatusPanel : public TCollectionItem {
    PLAT_CLASS_NAMED("TStatusPanel", TCollectionItem)
  public:
    explicit TTestStatusPanel(TCollection* c);
    std::string Text;
    int Width = 50;
    void Assign(TPersistent* source) override;
};

class TTestStatusPanels : public TCollection {
    PLAT_CLASS_NAMED("TStatusPanels", TCollection)
  public:
    explicit TTestStatusPanels(TPersistent* owner = nullptr);
    TTestStatusPanel* Panel(int i) const { return ItemAs<TTestStatusPanel>(i); }
};

class TTestColumnTitle : public TPersistent {
    PLAT_CLASS_NAMED("TColumnTitle", TPersistent)
  public:
    TTestColumnTitle();
    std::string Caption;
    TTestFont Font;
};

class TTestColumn : public TCollectionItem {
    PLAT_CLASS_NAMED("TColumn", TCollectionItem)
  public:
    explicit TTestColumn(TCollection* c);
    std::string FieldName;
    int Width = 64;
    TTestColumnTitle Title;
};

class TTestColumns : public TCollection {
    PLAT_CLASS_NAMED("TDBGridColumns", TCollection)
  public:
    explicit TTestColumns(TPersistent* owner = nullptr);
    TTestColumn* Column(int i) const { return ItemAs<TTestColumn>(i); }
};

class TTestListColumn : public TCollectionItem {
    PLAT_CLASS_NAMED("TListColumn", TCollectionItem)
  public:
    explicit TTestListColumn(TCollection* c);
    std::string Caption;
    int Width = 50;
};

class TTestListColumns : public TCollection {
    PLAT_CLASS_NAMED("TListColumns", TCollection)
  public:
    explicit TTestListColumns(TPersistent* owner = nullptr);
    TTestListColumn* Column(int i) const { return ItemAs<TTestListColumn>(i); }
};

class TTestListItem : public TPersistent {
    PLAT_CLASS_NAMED("TListItem", TPersistent)
  public:
    TTestListItem();
    std::string Caption;
    std::vector<std::string> SubItems;
};

class TTestTreeNode : public TPersistent {
    PLAT_CLASS_NAMED("TTreeNode", TPersistent)
  public:
    TTestTreeNode();
    std::string Text;
    int Level = 0;
};

// "TControl": position, hint, colours, font, enabled and visible, the
// visual parent (apart from the owner), OnClick.
class TTestControl : public TComponent {
    PLAT_CLASS_NAMED("TControl", TComponent)
  public:
    explicit TTestControl(TComponent* owner = nullptr);
    int Left = 0, Top = 0, Width = 100, Height = 21;
    std::string Hint;
    bool Visible = true, Enabled = true, ParentFont = true;
    int32_t Color = kClWindow;
    TTestFont Font;
    TTestControl* Parent = nullptr;
    TNotifyEvent OnClick;
};

// "TWinControl": tab order and tab stop, focus events.
class TTestWinControl : public TTestControl {
    PLAT_CLASS_NAMED("TWinControl", TTestControl)
  public:
    explicit TTestWinControl(TComponent* owner = nullptr);
    int TabOrder = 0;
    bool TabStop = true;
    TNotifyEvent OnEnter, OnExit;
};

class TTestLabel : public TTestControl {
    PLAT_CLASS_NAMED("TLabel", TTestControl)
  public:
    explicit TTestLabel(TComponent* owner = nullptr);
    std::string Caption;
    TTestWinControl* FocusControl = nullptr;
};

class TTestButton : public TTestWinControl {
    PLAT_CLASS_NAMED("TButton", TTestWinControl)
  public:
    explicit TTestButton(TComponent* owner = nullptr);
    std::string Caption;
    int ModalResult = 0;
};

class TTestEdit : public TTestWinControl {
    PLAT_CLASS_NAMED("TEdit", TTestWinControl)
  public:
    explicit TTestEdit(TComponent* owner = nullptr);
    const std::string& Text() const { return text_; }
    void SetText(const std::string& text);  // fires OnChange when the text differs
    bool ReadOnly = false;
    int MaxLength = 0;
    std::string ImeName;
    TEditCharCase CharCase = ecNormal;
    TNotifyEvent OnChange;

  private:
    std::string text_;
};

// "TDBEdit": an edit bound to a field of a data source.
class TTestDBEdit : public TTestEdit {
    PLAT_CLASS_NAMED("TDBEdit", TTestEdit)
  public:
    explicit TTestDBEdit(TComponent* owner = nullptr);
    std::string DataField;
    TComponent* DataSource = nullptr;
};

class TTestMemo : public TTestWinControl {
    PLAT_CLASS_NAMED("TMemo", TTestWinControl)
  public:
    explicit TTestMemo(TComponent* owner = nullptr);
    TStringList Lines;
    bool ReadOnly = false;
};

class TTestCustomComboBox : public TTestWinControl {
    PLAT_CLASS_NAMED("TCustomComboBox", TTestWinControl)
  public:
    explicit TTestCustomComboBox(TComponent* owner = nullptr);
    const std::vector<std::string>& Items() const { return items_; }
    // Replacing the items clears the selection, as a real combo box does.
    void SetItems(const std::vector<std::string>& items);
    int ItemIndex() const { return itemIndex_; }
    void SetItemIndex(int index);  // -1 .. count-1; others raise
    std::string Text;
    TComboBoxStyle Style = csDropDown;
    TNotifyEvent OnChange;

  private:
    std::vector<std::string> items_;
    int itemIndex_ = -1;
};

class TTestComboBox : public TTestCustomComboBox {
    PLAT_CLASS_NAMED("TComboBox", TTestCustomComboBox)
  public:
    explicit TTestComboBox(TComponent* owner = nullptr);
};

class TTestListBox : public TTestWinControl {
    PLAT_CLASS_NAMED("TListBox", TTestWinControl)
  public:
    explicit TTestListBox(TComponent* owner = nullptr);
    std::vector<std::string> Items;
    TListBoxStyle Style = lbStandard;
};

class TTestStatusBar : public TTestWinControl {
    PLAT_CLASS_NAMED("TStatusBar", TTestWinControl)
  public:
    explicit TTestStatusBar(TComponent* owner = nullptr);
    TTestStatusPanels Panels;
    std::string SimpleText;
};

// "TDBGrid": columns with titles, a title font, a data source.
class TTestGrid : public TTestWinControl {
    PLAT_CLASS_NAMED("TDBGrid", TTestWinControl)
  public:
    explicit TTestGrid(TComponent* owner = nullptr);
    TTestColumns Columns;
    TTestFont TitleFont;
    TComponent* DataSource = nullptr;
    bool ReadOnly = false;
};

// "TListView": columns and list items, both also by index ("Columns_0",
// "Items_1").
class TTestListView : public TTestWinControl {
    PLAT_CLASS_NAMED("TListView", TTestWinControl)
  public:
    explicit TTestListView(TComponent* owner = nullptr);
    ~TTestListView() override;
    TTestListColumns Columns;
    TTestListItem* AddItem(const std::string& caption, std::vector<std::string> subItems = {});
    int ItemCount() const { return (int)items_.size(); }
    TTestListItem* Item(int i) const { return items_.at(i); }
    TViewStyle ViewStyle = vsReport;

  private:
    std::vector<TTestListItem*> items_;
};

// "TTreeView": nodes by absolute index ("Items_2").
class TTestTreeView : public TTestWinControl {
    PLAT_CLASS_NAMED("TTreeView", TTestWinControl)
  public:
    explicit TTestTreeView(TComponent* owner = nullptr);
    ~TTestTreeView() override;
    TTestTreeNode* AddNode(const std::string& text, int level = 0);
    int NodeCount() const { return (int)nodes_.size(); }
    TTestTreeNode* Node(int i) const { return nodes_.at(i); }

  private:
    std::vector<TTestTreeNode*> nodes_;
};

// "TStringGrid": cells by column and row (not published, as on the platform).
class TTestStringGrid : public TTestWinControl {
    PLAT_CLASS_NAMED("TStringGrid", TTestWinControl)
  public:
    explicit TTestStringGrid(TComponent* owner = nullptr);
    int ColCount() const { return cols_; }
    int RowCount() const { return rows_; }
    void SetSize(int cols, int rows);
    const std::string& Cell(int col, int row) const;
    void SetCell(int col, int row, const std::string& text);

  private:
    int cols_ = 5, rows_ = 5;
    std::vector<std::string> cells_ = std::vector<std::string>(25);
};

class TTestTabSheet : public TTestWinControl {
    PLAT_CLASS_NAMED("TTabSheet", TTestWinControl)
  public:
    explicit TTestTabSheet(TComponent* owner = nullptr);
    std::string Caption;
    bool TabVisible = true;
    int PageIndex = 0;
};

// "TForm": caption, font, the form events, and published handlers that the
// tests bind by name (btnOKClick, edCodeChange).
class TTestForm : public TTestWinControl {
    PLAT_CLASS_NAMED("TForm", TTestWinControl)
  public:
    explicit TTestForm(TComponent* owner = nullptr);
    std::string Caption;
    bool KeyPreview = false;
    TNotifyEvent OnCreate, OnShow, OnHide, OnDestroy;

    void btnOKClick(TObject* sender);
    void edCodeChange(TObject* sender);
    std::vector<std::string> calls;  // "btnOKClick:<sender name>", ...
};

// A component without any property of its own beyond Name and Tag.
class TTestPlain : public TComponent {
    PLAT_CLASS_NAMED("TTestPlain", TComponent)
  public:
    explicit TTestPlain(TComponent* owner = nullptr);
};

// Registers every test component class for creation by class name.
void RegisterTestComponentClasses();

}  // namespace plat::testing
