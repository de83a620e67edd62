// Main and popup menus: items with captions, shortcuts, checked and radio
// items, images, owner drawing and items added or removed at run time.
// Shortcuts are matched by the form before the focused control sees the key.
#pragma once
#include <string>
#include <vector>

#include "platform/ui/graphics.h"
#include "platform/ui/keys.h"
#include "platform/ui/types.h"

class QAction;
class QMenu;
class QActionGroup;

namespace plat {

class TMenu;
class TCustomImageList;
class TMenuItem;

using TMenuDrawItemEvent = Event<TObject*, TCanvas*, TRect, bool>;
using TMenuMeasureItemEvent = Event<TObject*, TCanvas*, int&, int&>;

class TMenuItem : public TComponent {
    PLAT_CLASS(TMenuItem, TComponent)
  public:
    explicit TMenuItem(TComponent* owner);
    ~TMenuItem() override;

    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& v);
    bool IsLine() const { return caption_ == "-"; }
    TShortCut ShortCut() const { return shortCut_; }
    void SetShortCut(TShortCut v);
    bool Checked() const { return checked_; }
    void SetChecked(bool v);
    bool RadioItem() const { return radioItem_; }
    void SetRadioItem(bool v);
    int GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(int v);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool v);
    bool Visible() const { return visible_; }
    void SetVisible(bool v);
    bool Default() const { return default_; }
    void SetDefault(bool v);
    bool AutoCheck = false;
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int v);
    std::string Hint;

    // Sub-items.
    int Count() const { return (int)items_.size(); }
    TMenuItem* Items(int i) const;
    TMenuItem* operator[](int i) const { return Items(i); }
    void Add(TMenuItem* item);
    void Insert(int index, TMenuItem* item);
    void Delete(int index);        // frees the item
    void Remove(TMenuItem* item);  // takes it out without freeing
    void Clear();                  // frees every sub-item
    int IndexOf(const TMenuItem* item) const;
    TMenuItem* Find(const std::string& caption) const;  // ignores "&" and case
    TMenuItem* Parent() const { return parent_; }
    int MenuIndex() const { return parent_ ? parent_->IndexOf(this) : -1; }
    void SetMenuIndex(int v);
    TMenu* GetParentMenu() const;

    virtual void Click();
    // Paints the item (owner draw, or the default look) on a canvas.
    void DrawTo(TCanvas& canvas, const TRect& r, bool selected);

    TNotifyEvent OnClick;
    TMenuDrawItemEvent OnDrawItem;
    TMenuMeasureItemEvent OnMeasureItem;

    QAction* Action() const { return action_; }
    QMenu* SubMenu() const { return submenu_; }

  private:
    friend class TMenu;
    friend class TPopupMenu;
    void sync();
    void rebuild();
    void turnSiblingsOff();
    std::string caption_;
    TShortCut shortCut_ = 0;
    bool checked_ = false, radioItem_ = false, enabled_ = true, visible_ = true, default_ = false;
    int groupIndex_ = 0;
    int imageIndex_ = -1;
    std::vector<TMenuItem*> items_;
    TMenuItem* parent_ = nullptr;
    TMenu* menu_ = nullptr;  // set on the root item
    QAction* action_ = nullptr;
    QMenu* submenu_ = nullptr;
    QActionGroup* group_ = nullptr;
};

class TMenu : public TComponent {
    PLAT_CLASS(TMenu, TComponent)
  public:
    explicit TMenu(TComponent* owner);
    ~TMenu() override;
    TMenuItem* Items() const { return items_; }
    TCustomImageList* Images() const { return images_; }
    void SetImages(TCustomImageList* v);
    bool OwnerDraw = false;
    // The item with this shortcut, searched depth first (hidden items too).
    TMenuItem* FindItem(TShortCut sc) const;
    // Clicks the item of a shortcut after its parents (their OnClick runs
    // first, as when the menu opens); true when an item has the shortcut,
    // also a disabled one, whose key is then used up.
    bool IsShortCut(uint16_t key, TShiftState shift);
    // Items changed: Qt's menus are built again.
    virtual void MenuChanged() {}

  protected:
    void Notification(TComponent* c, TOperation op) override;

  private:
    TMenuItem* items_;
    TCustomImageList* images_ = nullptr;
};

class TMainMenu : public TMenu {
    PLAT_CLASS(TMainMenu, TMenu)
  public:
    using TMenu::TMenu;
    void MenuChanged() override;
};

class TPopupMenu : public TMenu {
    PLAT_CLASS(TPopupMenu, TMenu)
  public:
    explicit TPopupMenu(TComponent* owner);
    bool AutoPopup = true;
    TComponent* PopupComponent() const { return popupComponent_; }
    void SetPopupComponent(TComponent* c) { popupComponent_ = c; }
    // Raises OnPopup and shows the menu at a screen point.
    virtual void Popup(int x, int y);
    TNotifyEvent OnPopup;

  private:
    TComponent* popupComponent_ = nullptr;
};

// A new item with a caption, shortcut and click handler (the platform's NewItem).
TMenuItem* NewItem(const std::string& caption, TShortCut shortCut, bool checked, bool enabled,
                   TNotifyEvent onClick, const std::string& name = "");
TMenuItem* NewLine();

}  // namespace plat
