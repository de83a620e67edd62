#include "platform/ui/menus.h"

#include <strings.h>

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QWidgetAction>

#include "platform/component/classes.h"
#include "platform/component/properties.h"
#include "platform/core/exceptions.h"
#include "platform/ui/forms.h"
#include "platform/ui/imglist.h"
#include "platform/ui/qt_bridge.h"

namespace plat {

namespace {
// An owner-drawn entry of a Qt menu: its item paints it through a canvas.
class OwnerDrawWidget : public QWidget {
  public:
    OwnerDrawWidget(TMenuItem* item, QWidgetAction* action) : item_(item), action_(action) {
        setMouseTracking(true);
        TCanvas c;
        int w = 120, h = 19;
        item->OnMeasureItem(item, &c, w, h);
        setMinimumSize(w, h);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        TCanvas c(MakePainterDevice(&p));
        SafeCall([&] { item_->DrawTo(c, Bounds(0, 0, width(), height()), hover_); });
    }
    void enterEvent(QEnterEvent*) override {
        hover_ = true;
        update();
    }
    void leaveEvent(QEvent*) override {
        hover_ = false;
        update();
    }
    void mouseReleaseEvent(QMouseEvent*) override {
        if (item_->Enabled()) action_->trigger();
    }

  private:
    TMenuItem* item_;
    QWidgetAction* action_;
    bool hover_ = false;
};
}  // namespace

// ---- TMenuItem ---------------------------------------------------------------

namespace {
std::vector<const TMenuItem*>& LiveItems() {
    static std::vector<const TMenuItem*> v;
    return v;
}
bool IsLiveMenuItem(const TMenuItem* item) {
    auto& v = LiveItems();
    return std::find(v.begin(), v.end(), item) != v.end();
}
}  // namespace

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner) {
    EnsureApplication();
    LiveItems().push_back(this);
    action_ = new QAction();
    QObject::connect(action_, &QAction::triggered, [this] {
        SafeCall([this] { Click(); });
        if (IsLiveMenuItem(this)) sync();
    });
    sync();
}

TMenuItem::~TMenuItem() {
    BeginDestroy();
    LiveItems().erase(std::find(LiveItems().begin(), LiveItems().end(), this));
    while (!items_.empty()) delete items_.back();
    if (parent_) parent_->Remove(this);
    delete submenu_;
    delete action_;
}

TMenuItem* TMenuItem::Items(int i) const {
    if (i < 0 || i >= Count()) throw EMenuError("Menu index out of range");
    return items_[i];
}

TMenu* TMenuItem::GetParentMenu() const {
    const TMenuItem* i = this;
    while (i->parent_) i = i->parent_;
    return i->menu_;
}

void TMenuItem::Add(TMenuItem* item) {
    Insert(Count(), item);
}

void TMenuItem::Insert(int index, TMenuItem* item) {
    if (item->parent_) throw EMenuError("Menu inserted twice");
    if (index < 0 || index > Count()) throw EMenuError("Menu index out of range");
    items_.insert(items_.begin() + index, item);
    item->parent_ = this;
    rebuild();
}

void TMenuItem::Delete(int index) {
    delete Items(index);
}

void TMenuItem::Remove(TMenuItem* item) {
    auto it = std::find(items_.begin(), items_.end(), item);
    if (it == items_.end()) throw EMenuError("Sub-menu is not in menu");
    items_.erase(it);
    item->parent_ = nullptr;
    if (item->group_) item->action_->setActionGroup(nullptr);
    if (!Destroying()) rebuild();
}

void TMenuItem::Clear() {
    while (!items_.empty()) delete items_.back();
}

int TMenuItem::IndexOf(const TMenuItem* item) const {
    auto it = std::find(items_.begin(), items_.end(), item);
    return it == items_.end() ? -1 : (int)(it - items_.begin());
}

TMenuItem* TMenuItem::Find(const std::string& caption) const {
    std::string want = StripPrefix(caption);
    for (auto* i : items_)
        if (strcasecmp(StripPrefix(i->caption_).c_str(), want.c_str()) == 0) return i;
    return nullptr;
}

void TMenuItem::SetMenuIndex(int v) {
    if (!parent_) return;
    TMenuItem* p = parent_;
    auto& l = p->items_;
    l.erase(std::find(l.begin(), l.end(), this));
    v = std::clamp(v, 0, (int)l.size());
    l.insert(l.begin() + v, this);
    p->rebuild();
}

void TMenuItem::SetCaption(const std::string& v) {
    caption_ = v;
    sync();
}
void TMenuItem::SetShortCut(TShortCut v) {
    shortCut_ = v;
    sync();
}
void TMenuItem::SetEnabled(bool v) {
    enabled_ = v;
    sync();
}
void TMenuItem::SetVisible(bool v) {
    visible_ = v;
    sync();
}
void TMenuItem::SetDefault(bool v) {
    default_ = v;
    sync();
}
void TMenuItem::SetImageIndex(int v) {
    imageIndex_ = v;
    sync();
}
void TMenuItem::SetRadioItem(bool v) {
    radioItem_ = v;
    if (v && checked_) turnSiblingsOff();
    if (parent_)
        parent_->rebuild();
    else
        sync();
}
void TMenuItem::SetGroupIndex(int v) {
    groupIndex_ = v;
    if (radioItem_ && checked_) turnSiblingsOff();
    if (parent_) parent_->rebuild();
}

void TMenuItem::SetChecked(bool v) {
    checked_ = v;
    if (v && radioItem_) turnSiblingsOff();
    sync();
}

void TMenuItem::turnSiblingsOff() {
    if (!parent_) return;
    for (auto* s : parent_->items_)
        if (s != this && s->radioItem_ && s->groupIndex_ == groupIndex_ && s->checked_) {
            s->checked_ = false;
            s->sync();
        }
}

void TMenuItem::Click() {
    if (!enabled_) return;
    if (AutoCheck) SetChecked(!checked_);
    OnClick(this);
}

void TMenuItem::sync() {
    if (!action_) return;
    QString text = Q(caption_);
    if (shortCut_) text += "\t" + Q(ShortCutToText(shortCut_));
    action_->setSeparator(IsLine());
    action_->setText(text);
    action_->setCheckable(checked_ || radioItem_ || AutoCheck);
    action_->setChecked(checked_);
    action_->setEnabled(enabled_);
    action_->setVisible(visible_);
    QFont f = action_->font();
    f.setBold(default_);
    action_->setFont(f);
    action_->setStatusTip(Q(GetLongHint(Hint)));
    TMenu* m = GetParentMenu();
    if (m && m->Images() && imageIndex_ >= 0 && imageIndex_ < m->Images()->Count())
        action_->setIcon(QIcon(QPixmap::fromImage(m->Images()->ImageAt(imageIndex_))));
    else
        action_->setIcon(QIcon());
    action_->setMenu(items_.empty() ? nullptr : submenu_);
}

// Builds the Qt menu of the sub-items again.
void TMenuItem::rebuild() {
    if (!items_.empty() && !submenu_) {
        submenu_ = new QMenu();
        QObject::connect(submenu_, &QMenu::aboutToShow, [this] { SafeCall([this] { Click(); }); });
    }
    if (submenu_) {
        submenu_->clear();
        std::vector<std::pair<int, QActionGroup*>> groups;
        TMenu* m = GetParentMenu();
        for (auto* i : items_) {
            QAction* a = i->action_;
            if (i->radioItem_) {
                QActionGroup* g = nullptr;
                for (auto& [idx, grp] : groups)
                    if (idx == i->groupIndex_) g = grp;
                if (!g) {
                    g = new QActionGroup(submenu_);
                    g->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
                    groups.push_back({i->groupIndex_, g});
                }
                a->setActionGroup(g);
                i->group_ = g;
            } else if (i->group_) {
                a->setActionGroup(nullptr);
                i->group_ = nullptr;
            }
            if (m && m->OwnerDraw && i->OnDrawItem && !i->IsLine()) {
                auto* wa = new QWidgetAction(submenu_);
                wa->setDefaultWidget(new OwnerDrawWidget(i, wa));
                QObject::connect(wa, &QAction::triggered, [i] { i->action_->trigger(); });
                submenu_->addAction(wa);
            } else {
                submenu_->addAction(a);
            }
        }
    }
    sync();
    if (TMenu* m = GetParentMenu()) m->MenuChanged();
}

void TMenuItem::DrawTo(TCanvas& canvas, const TRect& r, bool selected) {
    if (OnDrawItem) {
        OnDrawItem(this, &canvas, r, selected);
        return;
    }
    canvas.Brush.Color = selected ? clHighlight : clMenu;
    canvas.FillRect(r);
    if (IsLine()) {
        canvas.Pen.Color = clBtnShadow;
        int y = (r.Top + r.Bottom) / 2;
        canvas.MoveTo(r.Left + 1, y);
        canvas.LineTo(r.Right - 1, y);
        return;
    }
    canvas.Font.SetColor(!enabled_ ? clGrayText : selected ? clHighlightText : clMenuText);
    canvas.Brush.Style = TBrushStyle::bsClear;
    TRect tr = r;
    tr.Left += 24;
    canvas.DrawText(caption_, tr, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    if (shortCut_) {
        TRect sr = r;
        sr.Right -= 8;
        canvas.DrawText(ShortCutToText(shortCut_), sr,
                        DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    TMenu* m = GetParentMenu();
    if (m && m->Images() && imageIndex_ >= 0)
        m->Images()->Draw(canvas, r.Left + 2, r.Top + 1, imageIndex_, enabled_);
}

// ---- TMenu -------------------------------------------------------------------

TMenu::TMenu(TComponent* owner) : TComponent(owner) {
    items_ = new TMenuItem(nullptr);
    items_->menu_ = this;
}

TMenu::~TMenu() {
    BeginDestroy();
    delete items_;
}

void TMenu::SetImages(TCustomImageList* v) {
    if (images_) images_->RemoveFreeNotification(this);
    images_ = v;
    if (v) v->FreeNotification(this);
    std::function<void(TMenuItem*)> walk = [&](TMenuItem* i) {
        i->sync();
        for (int k = 0; k < i->Count(); ++k) walk(i->Items(k));
    };
    walk(items_);
}

void TMenu::Notification(TComponent* c, TOperation op) {
    if (op == TOperation::opRemove && c == images_) images_ = nullptr;
}

TMenuItem* TMenu::FindItem(TShortCut sc) const {
    std::function<TMenuItem*(TMenuItem*)> find = [&](TMenuItem* i) -> TMenuItem* {
        for (int k = 0; k < i->Count(); ++k) {
            TMenuItem* c = i->Items(k);
            if (c->ShortCut() == sc) return c;
            if (TMenuItem* r = find(c)) return r;
        }
        return nullptr;
    };
    return sc ? find(items_) : nullptr;
}

bool TMenu::IsShortCut(uint16_t key, TShiftState shift) {
    TShortCut sc = ShortCut(key, shift);
    TMenuItem* item = FindItem(sc);
    if (!item) return false;
    std::vector<TMenuItem*> path;
    for (TMenuItem* i = item; i; i = i->Parent()) path.insert(path.begin(), i);
    for (TMenuItem* i : path) {
        if (!IsLiveMenuItem(i) || !i->Enabled()) break;
        SafeCall([i] { i->Click(); });
    }
    return true;
}

void TMainMenu::MenuChanged() {
    if (Destroying()) return;
    for (int i = 0; i < Screen->FormCount(); ++i) {
        TCustomForm* f = Screen->Forms(i);
        if (f->Menu() == this && !f->Destroying()) f->SetMenu(this);
    }
}

// ---- TPopupMenu --------------------------------------------------------------

TPopupMenu::TPopupMenu(TComponent* owner) : TMenu(owner) {}

void TPopupMenu::Popup(int x, int y) {
    OnPopup(this);
    TMenuItem* root = Items();
    root->rebuild();
    if (root->SubMenu()) root->SubMenu()->popup(QPoint(x, y));
}

TMenuItem* NewItem(const std::string& caption, TShortCut shortCut, bool checked, bool enabled,
                   TNotifyEvent onClick, const std::string& name) {
    auto* i = new TMenuItem(nullptr);
    if (!name.empty()) i->SetName(name);
    i->SetCaption(caption);
    i->SetShortCut(shortCut);
    i->SetChecked(checked);
    i->SetEnabled(enabled);
    i->OnClick = onClick;
    return i;
}

TMenuItem* NewLine() {
    auto* i = new TMenuItem(nullptr);
    i->SetCaption("-");
    return i;
}

// ---- Published properties --------------------------------------------------

PLAT_PUBLISH(TMenuItem) {
    p.Prop("Caption", &TMenuItem::Caption, &TMenuItem::SetCaption, "TCaption");
    p.Prop("ShortCut", &TMenuItem::ShortCut, &TMenuItem::SetShortCut, "TShortCut");
    p.Prop("Checked", &TMenuItem::Checked, &TMenuItem::SetChecked);
    p.Prop("RadioItem", &TMenuItem::RadioItem, &TMenuItem::SetRadioItem);
    p.Prop("GroupIndex", &TMenuItem::GroupIndex, &TMenuItem::SetGroupIndex);
    p.Prop("Enabled", &TMenuItem::Enabled, &TMenuItem::SetEnabled);
    p.Prop("Visible", &TMenuItem::Visible, &TMenuItem::SetVisible);
    p.Prop("Default", &TMenuItem::Default, &TMenuItem::SetDefault);
    p.Prop("AutoCheck", &TMenuItem::AutoCheck);
    p.Prop("ImageIndex", &TMenuItem::ImageIndex, &TMenuItem::SetImageIndex, "TImageIndex");
    p.Prop("Hint", &TMenuItem::Hint);
    p.Prop("OnClick", &TMenuItem::OnClick);
    p.Prop("OnDrawItem", &TMenuItem::OnDrawItem, nullptr, "TMenuDrawItemEvent");
    p.Prop("OnMeasureItem", &TMenuItem::OnMeasureItem, nullptr, "TMenuMeasureItemEvent");
    p.Indexed("Items", &TMenuItem::Count, &TMenuItem::Items);
}

PLAT_PUBLISH(TMenu) {
    p.Prop("Images", &TMenu::Images, &TMenu::SetImages, "TCustomImageList");
    p.Prop("OwnerDraw", &TMenu::OwnerDraw);
    p.Prop("Items", &TMenu::Items);
}

PLAT_PUBLISH(TPopupMenu) {
    p.Prop("AutoPopup", &TPopupMenu::AutoPopup);
    p.Prop("OnPopup", &TPopupMenu::OnPopup);
}

}  // namespace plat
