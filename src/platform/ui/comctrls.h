// Common controls: page control and tab sheets, tool bar and tool buttons,
// status bar with panels, list view and tree view.
#pragma once
#include <functional>
#include <memory>
#include <vector>

#include "platform/component/collection.h"
#include "platform/ui/imglist.h"
#include "platform/ui/menus.h"
#include "platform/ui/stdctrls.h"

class QTabBar;
class QTreeWidget;
class QTreeWidgetItem;

namespace plat {

// ---- Page control ----------------------------------------------------------------

class TPageControl;

class TTabSheet : public TWinControl {
    PLAT_CLASS(TTabSheet, TWinControl)
  public:
    explicit TTabSheet(TComponent* owner);
    ~TTabSheet() override;
    TPageControl* PageControl() const { return pageControl_; }
    void SetPageControl(TPageControl* pc);
    int PageIndex() const;
    void SetPageIndex(int v);
    bool TabVisible() const { return tabVisible_; }
    void SetTabVisible(bool v);
    // The index among the visible tabs; -1 when the tab is hidden.
    int TabIndex() const;
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int v);
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;

  protected:
    void TextChanged() override;
    void VisibleChanged() override;

  private:
    friend class TPageControl;
    TPageControl* pageControl_ = nullptr;
    bool tabVisible_ = true;
    int imageIndex_ = -1;
};

enum class TTabStyle { tsTabs, tsButtons, tsFlatButtons };
PLAT_ENUM_INFO(TTabStyle, tsTabs, tsButtons, tsFlatButtons)
using TDrawTabEvent = Event<TObject*, int, TRect, bool>;
using TTabChangingEvent = Event<TObject*, bool&>;

class TPageControl : public TWinControl {
    PLAT_CLASS(TPageControl, TWinControl)
  public:
    explicit TPageControl(TComponent* owner);
    ~TPageControl() override;

    int PageCount() const { return (int)pages_.size(); }
    TTabSheet* Pages(int i) const;
    TTabSheet* ActivePage() const { return activePage_; }
    // Setting the page raises no OnChanging or OnChange.
    void SetActivePage(TTabSheet* p);
    int ActivePageIndex() const;
    void SetActivePageIndex(int v);
    // The active page's index among the visible tabs (-1 when its tab is hidden).
    int TabIndex() const;
    void SetTabIndex(int v);
    // The page of the n-th visible tab.
    TTabSheet* PageOfTab(int tabIndex) const;
    TTabSheet* FindNextPage(TTabSheet* cur, bool goForward, bool checkTabVisible) const;
    // Moves to the next page the way the user does (OnChanging, OnChange).
    void SelectNextPage(bool goForward);
    // The user picked a tab: OnChanging may refuse; then OnChange.
    void TabClicked(int tabIndex);

    bool OwnerDraw() const { return ownerDraw_; }
    void SetOwnerDraw(bool v);
    int TabHeight() const { return tabHeight_; }
    void SetTabHeight(int v);
    int TabWidth() const { return tabWidth_; }
    void SetTabWidth(int v);
    TTabStyle Style = TTabStyle::tsTabs;
    bool MultiLine = false;
    bool HotTrack = false;
    TCustomImageList* Images() const { return images_; }
    void SetImages(TCustomImageList* v);
    // The rectangle of the n-th visible tab, in the control's coordinates.
    TRect TabRect(int tabIndex) const;
    // The area the pages fill.
    TRect DisplayRect() const;

    TNotifyEvent OnChange;
    TTabChangingEvent OnChanging;
    TDrawTabEvent OnDrawTab;

    bool WantsKey(uint16_t key, TShiftState shift) const override;
    void WndProc(TMessage& m) override;
    // Draws one tab (owner drawing: OnDrawTab, else a plain fill) on the canvas.
    virtual void DrawTab(int tabIndex, const TRect& r, bool active);
    // Paints every visible tab through DrawTab on the given canvas.
    void PaintTabsTo(TCanvas& canvas);

  protected:
    virtual bool CanChange();
    virtual void Change();
    void KeyDown(uint16_t& key, TShiftState shift) override;
    void Resize() override;
    void InsertChildWidget(TControl* child) override;
    void AlignControls(TControl* changing, TRect& rect) override;
    void Notification(TComponent* c, TOperation op) override;

  private:
    friend class TTabSheet;
    friend class PageTabBar;
    void insertPage(TTabSheet* p);
    void removePage(TTabSheet* p);
    void updateTabs();
    void layout();
    std::vector<TTabSheet*> pages_;
    TTabSheet* activePage_ = nullptr;
    QTabBar* tabBar_ = nullptr;
    bool ownerDraw_ = false;
    int tabHeight_ = 0, tabWidth_ = 0;
    TCustomImageList* images_ = nullptr;
    bool updating_ = false;
};

// ---- Tool bar ---------------------------------------------------------------------

enum class TToolButtonStyle { tbsButton, tbsCheck, tbsDropDown, tbsSeparator, tbsDivider };
PLAT_ENUM_INFO(TToolButtonStyle, tbsButton, tbsCheck, tbsDropDown, tbsSeparator, tbsDivider)

class TToolBar;

class TToolButton : public TGraphicControl {
    PLAT_CLASS(TToolButton, TGraphicControl)
  public:
    explicit TToolButton(TComponent* owner);
    TToolButtonStyle Style() const { return style_; }
    void SetStyle(TToolButtonStyle v);
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int v) {
        imageIndex_ = v;
        Invalidate();
    }
    bool Down() const { return down_; }
    // Check buttons of a group: one down at a time.
    void SetDown(bool v);
    bool Grouped = false;
    bool AllowAllUp = false;
    bool Wrap = false;
    bool Indeterminate = false;
    bool Marked = false;
    TPopupMenu* DropdownMenu() const { return dropdownMenu_; }
    void SetDropdownMenu(TPopupMenu* m);
    TMenuItem* MenuItem() const { return menuItem_; }
    // Takes caption, hint, image, enabled and click from the menu item.
    void SetMenuItem(TMenuItem* m);
    int Index() const;
    TToolBar* ToolBar() const;
    // A check button changes Down, then OnClick (or the menu item's click).
    void Click() override;
    // Shows the drop-down menu under the button (OnPopup first).
    void DropDown();
    void SetBounds(int left, int top, int width, int height) override;

  protected:
    void Paint() override;
    void TextChanged() override { Invalidate(); }
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void Notification(TComponent* c, TOperation op) override;
    bool HandleQtEvent(QEvent* e, const QtBaseEvent& base) override;

  private:
    friend class TToolBar;
    TToolButtonStyle style_ = TToolButtonStyle::tbsButton;
    int imageIndex_ = -1;
    bool down_ = false;
    bool pressed_ = false;
    bool mouseIn_ = false;
    TPopupMenu* dropdownMenu_ = nullptr;
    TMenuItem* menuItem_ = nullptr;
};

class TToolBar : public TCustomControl {
    PLAT_CLASS(TToolBar, TCustomControl)
  public:
    explicit TToolBar(TComponent* owner);
    int ButtonCount() const { return (int)buttons_.size(); }
    TToolButton* Buttons(int i) const { return buttons_.at(i); }
    int ButtonWidth() const { return buttonWidth_; }
    void SetButtonWidth(int v);
    int ButtonHeight() const { return buttonHeight_; }
    void SetButtonHeight(int v);
    TCustomImageList* Images() const { return images_; }
    void SetImages(TCustomImageList* v);
    TCustomImageList* DisabledImages() const { return disabledImages_; }
    void SetDisabledImages(TCustomImageList* v);
    TCustomImageList* HotImages() const { return hotImages_; }
    void SetHotImages(TCustomImageList* v);
    bool Flat() const { return flat_; }
    void SetFlat(bool v) {
        flat_ = v;
        Invalidate();
    }
    bool ShowCaptions() const { return showCaptions_; }
    void SetShowCaptions(bool v);
    bool Wrapable() const { return wrapable_; }
    void SetWrapable(bool v);
    int Indent() const { return indent_; }
    void SetIndent(int v);
    bool List = false;
    // Lays the buttons out again, left to right in their order.
    void ArrangeButtons();

  protected:
    void Paint() override;
    void ControlsChanged() override;
    void AlignControls(TControl* changing, TRect& rect) override;
    void Notification(TComponent* c, TOperation op) override;

  private:
    friend class TToolButton;
    void buttonMoved(TToolButton* b, int left);
    std::vector<TToolButton*> buttons_;
    int buttonWidth_ = 23, buttonHeight_ = 22;
    TCustomImageList* images_ = nullptr;
    TCustomImageList* disabledImages_ = nullptr;
    TCustomImageList* hotImages_ = nullptr;
    bool flat_ = false, showCaptions_ = false, wrapable_ = true;
    int indent_ = 0;
    bool arranging_ = false;
};

// ---- Status bar ----------------------------------------------------------------------

enum class TStatusPanelBevel { pbNone, pbLowered, pbRaised };
PLAT_ENUM_INFO(TStatusPanelBevel, pbNone, pbLowered, pbRaised)
enum class TStatusPanelStyle { psText, psOwnerDraw };
PLAT_ENUM_INFO(TStatusPanelStyle, psText, psOwnerDraw)

class TStatusPanel : public TCollectionItem {
    PLAT_CLASS(TStatusPanel, TCollectionItem)
  public:
    explicit TStatusPanel(TCollection* c = nullptr);
    const std::string& Text() const { return text_; }
    void SetText(const std::string& v);
    int Width() const { return width_; }
    void SetWidth(int v);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment v);
    TStatusPanelBevel Bevel() const { return bevel_; }
    void SetBevel(TStatusPanelBevel v);
    TStatusPanelStyle Style() const { return style_; }
    void SetStyle(TStatusPanelStyle v);
    void Assign(TPersistent* source) override;

  private:
    std::string text_;
    int width_ = 50;
    TAlignment alignment_ = TAlignment::taLeftJustify;
    TStatusPanelBevel bevel_ = TStatusPanelBevel::pbLowered;
    TStatusPanelStyle style_ = TStatusPanelStyle::psText;
};

class TStatusBar;

class TStatusPanels : public TCollection {
    PLAT_CLASS(TStatusPanels, TCollection)
  public:
    explicit TStatusPanels(TStatusBar* bar);
    TStatusPanel* Add() { return static_cast<TStatusPanel*>(TCollection::Add()); }
    TStatusPanel* Items(int i) const { return ItemAs<TStatusPanel>(i); }
    TStatusPanel* operator[](int i) const { return Items(i); }

  protected:
    void Update(TCollectionItem* item) override;

  private:
    TStatusBar* bar_;
};

class TStatusBar : public TCustomControl {
    PLAT_CLASS(TStatusBar, TCustomControl)
  public:
    explicit TStatusBar(TComponent* owner);
    TStatusPanels* Panels() { return &panels_; }
    bool SimplePanel() const { return simplePanel_; }
    void SetSimplePanel(bool v);
    const std::string& SimpleText() const { return simpleText_; }
    void SetSimpleText(const std::string& v);
    bool SizeGrip = true;
    // The rectangle of a panel; the last one reaches the right edge.
    TRect PanelRect(int index) const;
    Event<TObject*, TStatusPanel*, TRect> OnDrawPanel;

  protected:
    void Paint() override;

  private:
    TStatusPanels panels_{this};
    bool simplePanel_ = false;
    std::string simpleText_;
};

// ---- List view ------------------------------------------------------------------------

enum class TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };
PLAT_ENUM_INFO(TViewStyle, vsIcon, vsSmallIcon, vsList, vsReport)
enum class TSortType { stNone, stData, stText, stBoth };
PLAT_ENUM_INFO(TSortType, stNone, stData, stText, stBoth)
enum class TItemChange { ctText, ctImage, ctState };
PLAT_ENUM_INFO(TItemChange, ctText, ctImage, ctState)

class TListView;
class TListItems;

class TListColumn : public TCollectionItem {
    PLAT_CLASS(TListColumn, TCollectionItem)
  public:
    explicit TListColumn(TCollection* c = nullptr);
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& v);
    int Width() const;
    void SetWidth(int v);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment v);
    bool AutoSize = false;
    int MinWidth = 0;
    int MaxWidth = 0;
    int ImageIndex = -1;
    void Assign(TPersistent* source) override;

  private:
    friend class TListView;
    std::string caption_;
    int width_ = 50;
    TAlignment alignment_ = TAlignment::taLeftJustify;
};

class TListColumns : public TCollection {
    PLAT_CLASS(TListColumns, TCollection)
  public:
    explicit TListColumns(TListView* owner);
    TListColumn* Add() { return static_cast<TListColumn*>(TCollection::Add()); }
    TListColumn* Items(int i) const { return ItemAs<TListColumn>(i); }
    TListColumn* operator[](int i) const { return Items(i); }
    TListView* ListView() const { return view_; }

  protected:
    void Update(TCollectionItem* item) override;

  private:
    TListView* view_;
};

class TListItem : public TPersistent, private StringsListener {
    PLAT_CLASS(TListItem, TPersistent)
  public:
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& v);
    TControlStrings* SubItems() { return &subItems_; }
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int v);
    int StateIndex = -1;
    void* Data = nullptr;
    bool Checked() const;
    void SetChecked(bool v);
    bool Selected() const;
    void SetSelected(bool v);
    bool Focused() const;
    void SetFocused(bool v);
    int Index() const;
    TListItems* Owner() const { return owner_; }
    TListView* ListView() const;
    void Delete();
    void MakeVisible(bool partialOk = false);
    // Starts the in-place caption edit.
    bool EditCaption();
    TRect DisplayRect() const;

  private:
    friend class TListItems;
    friend class TListView;
    explicit TListItem(TListItems* owner);
    ~TListItem() override;
    void StringsInserted(int) override { syncSubItems(); }
    void StringsDeleted(int) override { syncSubItems(); }
    void StringsPut(int) override { syncSubItems(); }
    void StringsReset() override { syncSubItems(); }
    void syncSubItems();
    TListItems* owner_;
    QTreeWidgetItem* item_ = nullptr;
    std::string caption_;
    TControlStrings subItems_{this};
    int imageIndex_ = -1;
    // Where the item was last found in the list (see Index).
    mutable int indexHint_ = 0;
};

class TListItems {
  public:
    explicit TListItems(TListView* view) : view_(view) {}
    ~TListItems();
    int Count() const { return (int)items_.size(); }
    TListItem* Item(int i) const;
    TListItem* operator[](int i) const { return Item(i); }
    TListItem* Add();
    TListItem* Insert(int index);
    void Delete(int index);
    void Clear();
    int IndexOf(const TListItem* item) const;
    void BeginUpdate();
    void EndUpdate();
    TListView* Owner() const { return view_; }

  private:
    friend class TListView;
    friend class TListItem;
    TListView* view_;
    std::vector<TListItem*> items_;
    int updating_ = 0;
};

using TLVCompareEvent = Event<TObject*, TListItem*, TListItem*, int, int&>;
using TLVSortProc = std::function<int(TListItem*, TListItem*, intptr_t)>;

class TListView : public TWinControl {
    PLAT_CLASS(TListView, TWinControl)
  public:
    explicit TListView(TComponent* owner);
    ~TListView() override;

    TListColumns* Columns() { return &columns_; }
    TListItems* Items() { return &items_; }
    TViewStyle ViewStyle() const { return viewStyle_; }
    void SetViewStyle(TViewStyle v);
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool v);
    bool RowSelect() const { return rowSelect_; }
    void SetRowSelect(bool v);
    bool GridLines() const { return gridLines_; }
    void SetGridLines(bool v) {
        gridLines_ = v;
        Invalidate();
    }
    bool Checkboxes() const { return checkboxes_; }
    void SetCheckboxes(bool v);
    bool MultiSelect() const { return multiSelect_; }
    void SetMultiSelect(bool v);
    bool HideSelection = true;
    bool ColumnClick = true;
    // Column titles in the report view.
    bool ShowColumnHeaders() const { return showColumnHeaders_; }
    void SetShowColumnHeaders(bool v);
    TSortType SortType() const { return sortType_; }
    void SetSortType(TSortType v);
    TCustomImageList* SmallImages() const { return smallImages_; }
    void SetSmallImages(TCustomImageList* v);
    TCustomImageList* LargeImages = nullptr;
    TCustomImageList* StateImages = nullptr;

    TListItem* Selected() const;
    void SetSelected(TListItem* item);
    TListItem* ItemFocused() const;
    void SetItemFocused(TListItem* item);
    int ItemIndex() const;
    void SetItemIndex(int v);
    int SelCount() const;
    TListItem* GetItemAt(int x, int y) const;
    TListItem* TopItem() const;
    // Sorts by caption (stText) or through OnCompare (stData, stBoth).
    bool AlphaSort();
    bool CustomSort(TLVSortProc proc, intptr_t data);
    TListItem* FindCaption(int start, const std::string& value, bool partial, bool inclusive,
                           bool wrap) const;
    void Clear() { items_.Clear(); }

    Event<TObject*, TListItem*, TItemChange> OnChange;
    Event<TObject*, TListItem*, bool> OnSelectItem;
    Event<TObject*, TListColumn*> OnColumnClick;
    TLVCompareEvent OnCompare;
    Event<TObject*, TListItem*, bool&> OnEditing;
    Event<TObject*, TListItem*, std::string&> OnEdited;
    Event<TObject*, TListItem*> OnDeletion;
    Event<TObject*, TListItem*> OnInsert;

    bool WantsKey(uint16_t key, TShiftState shift) const override;
    TListItem* ItemOf(QTreeWidgetItem* it) const;
    QTreeWidget* Tree() const { return tree_; }
    // The in-place edit ended with a text (OnEdited may change it).
    void CaptionEdited(TListItem* item, std::string text);
    bool CanEdit(TListItem* item);

  private:
    friend class TListItems;
    friend class TListItem;
    friend class TListColumns;
    void updateColumns();
    void sortWith(const std::function<int(TListItem*, TListItem*)>& cmp);
    void sortIfNeeded();
    QTreeWidget* tree_ = nullptr;
    TListColumns columns_{this};
    TListItems items_{this};
    TViewStyle viewStyle_ = TViewStyle::vsIcon;
    bool readOnly_ = false, rowSelect_ = false, gridLines_ = false, checkboxes_ = false,
         multiSelect_ = false;
    TSortType sortType_ = TSortType::stNone;
    bool showColumnHeaders_ = true;
    TCustomImageList* smallImages_ = nullptr;
    bool quiet_ = false;
};

// ---- Tree view ------------------------------------------------------------------------

class TTreeView;
class TTreeNodes;

class TTreeNode : public TPersistent {
    PLAT_CLASS(TTreeNode, TPersistent)
  public:
    const std::string& Text() const { return text_; }
    void SetText(const std::string& v);
    void* Data = nullptr;
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int v);
    int SelectedIndex = -1;
    int StateIndex = -1;
    TTreeNode* Parent() const { return parent_; }
    int Count() const { return (int)children_.size(); }
    TTreeNode* Item(int i) const;
    int Index() const;
    // Position in the depth-first order of the whole tree.
    int AbsoluteIndex() const;
    int Level() const;
    bool HasChildren() const;
    void SetHasChildren(bool v);
    bool Expanded() const;
    void SetExpanded(bool v);
    void Expand(bool recurse);
    void Collapse(bool recurse);
    bool Selected() const;
    void SetSelected(bool v);
    bool Focused() const { return Selected(); }
    TTreeNode* getFirstChild() const { return children_.empty() ? nullptr : children_.front(); }
    TTreeNode* GetLastChild() const { return children_.empty() ? nullptr : children_.back(); }
    TTreeNode* GetNextSibling() const;
    TTreeNode* GetPrevSibling() const;
    // Depth first: the first child, else the next sibling, else an ancestor's.
    TTreeNode* GetNext() const;
    TTreeNode* GetPrev() const;
    TTreeNode* GetNextVisible() const;
    void Delete();
    void DeleteChildren();
    void MakeVisible();
    bool EditText();
    TTreeNodes* Owner() const { return owner_; }
    TTreeView* TreeView() const;

  private:
    friend class TTreeNodes;
    friend class TTreeView;
    TTreeNode(TTreeNodes* owner, TTreeNode* parent);
    ~TTreeNode() override;
    TTreeNodes* owner_;
    TTreeNode* parent_;
    std::vector<TTreeNode*> children_;
    QTreeWidgetItem* item_ = nullptr;
    std::string text_;
    int imageIndex_ = -1;
    bool hasChildren_ = false;
    // Where the node was last found among its siblings (see Index).
    mutable int indexHint_ = 0;
};

class TTreeNodes {
  public:
    explicit TTreeNodes(TTreeView* view) : view_(view) {}
    ~TTreeNodes();
    // Every node of the tree.
    int Count() const;
    // The node at an absolute (depth-first) index.
    TTreeNode* Item(int absoluteIndex) const;
    TTreeNode* operator[](int i) const { return Item(i); }
    TTreeNode* GetFirstNode() const { return roots_.empty() ? nullptr : roots_.front(); }
    // A new last sibling of the node (a root when null).
    TTreeNode* Add(TTreeNode* sibling, const std::string& text);
    TTreeNode* AddObject(TTreeNode* sibling, const std::string& text, void* data);
    TTreeNode* AddFirst(TTreeNode* sibling, const std::string& text);
    TTreeNode* AddChild(TTreeNode* parent, const std::string& text);
    TTreeNode* AddChildObject(TTreeNode* parent, const std::string& text, void* data);
    TTreeNode* AddChildFirst(TTreeNode* parent, const std::string& text);
    // A new node just before the sibling.
    TTreeNode* Insert(TTreeNode* sibling, const std::string& text);
    void Delete(TTreeNode* node);
    void Clear();
    void BeginUpdate();
    void EndUpdate();
    TTreeView* Owner() const { return view_; }

  private:
    friend class TTreeNode;
    friend class TTreeView;
    TTreeNode* insertAt(TTreeNode* parent, int index, const std::string& text, void* data);
    std::vector<TTreeNode*>& siblingsOf(TTreeNode* parent) {
        return parent ? parent->children_ : roots_;
    }
    const std::vector<TTreeNode*>& flat() const;
    void invalidate() { flatValid_ = false; }
    TTreeView* view_;
    std::vector<TTreeNode*> roots_;
    mutable std::vector<TTreeNode*> flat_;
    mutable bool flatValid_ = false;
    int updating_ = 0;
};

class TTreeView : public TWinControl {
    PLAT_CLASS(TTreeView, TWinControl)
  public:
    explicit TTreeView(TComponent* owner);
    ~TTreeView() override;
    TTreeNodes* Items() { return &nodes_; }
    TTreeNode* Selected() const;
    void SetSelected(TTreeNode* node);
    TTreeNode* TopItem() const;
    TTreeNode* GetNodeAt(int x, int y) const;
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool v);
    bool ShowLines = true;
    bool ShowRoot() const { return showRoot_; }
    void SetShowRoot(bool v);
    bool ShowButtons = true;
    bool HideSelection = true;
    bool RightClickSelect = false;
    bool AutoExpand = false;
    TSortType SortType = TSortType::stNone;
    TCustomImageList* Images() const { return images_; }
    void SetImages(TCustomImageList* v);
    TCustomImageList* StateImages = nullptr;
    void FullExpand();
    void FullCollapse();
    // Sorts every level by text (or OnCompare for stData, stBoth).
    bool AlphaSort();

    Event<TObject*, TTreeNode*> OnChange;
    Event<TObject*, TTreeNode*, bool&> OnChanging;
    Event<TObject*, TTreeNode*, bool&> OnExpanding;
    Event<TObject*, TTreeNode*> OnExpanded;
    Event<TObject*, TTreeNode*, bool&> OnCollapsing;
    Event<TObject*, TTreeNode*> OnCollapsed;
    Event<TObject*, TTreeNode*, bool&> OnEditing;
    Event<TObject*, TTreeNode*, std::string&> OnEdited;
    Event<TObject*, TTreeNode*> OnDeletion;
    Event<TObject*, TTreeNode*, TTreeNode*, int, int&> OnCompare;

    bool WantsKey(uint16_t key, TShiftState shift) const override;
    TTreeNode* NodeOf(QTreeWidgetItem* it) const;
    QTreeWidget* Tree() const { return tree_; }
    void TextEdited(TTreeNode* node, std::string text);
    bool CanEdit(TTreeNode* node);

  private:
    friend class TTreeNodes;
    friend class TTreeNode;
    void currentChanged(QTreeWidgetItem* now, QTreeWidgetItem* before);
    QTreeWidget* tree_ = nullptr;
    TTreeNodes nodes_{this};
    bool readOnly_ = false;
    bool showRoot_ = true;
    TCustomImageList* images_ = nullptr;
    bool quiet_ = false;
};

}  // namespace plat
