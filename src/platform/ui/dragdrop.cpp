#include "platform/ui/dragdrop.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QDrag>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPointer>

#include "platform/ui/forms.h"

namespace plat {

namespace {

constexpr const char* kDragFormat = "application/x-ktrb-control-drag";

// The control a drag of this program started from; a drag carrying the
// format without one (another program's) is refused.
TControl*& dragSource() {
    static TControl* source = nullptr;
    return source;
}

// Where a control's pointer events arrive: the viewport of a scrolling view.
QWidget* eventWidgetOf(TControl* c) {
    QWidget* w = c->Widget();
    if (auto* area = qobject_cast<QAbstractScrollArea*>(w)) return area->viewport();
    return w;
}

TPoint clientPoint(TControl* c, QWidget* from, QPointF p) {
    QPoint at = from == c->Widget() ? p.toPoint() : from->mapTo(c->Widget(), p.toPoint());
    return {at.x(), at.y()};
}

class DragSourceWatch : public QObject {
  public:
    DragSourceWatch(TControl* control, QWidget* w) : QObject(w), control_(control), widget_(w) {}
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::MouseButtonPress) {
            auto* me = static_cast<QMouseEvent*>(e);
            pressed_ = me->button() == Qt::LeftButton;
            start_ = me->position().toPoint();
        } else if (e->type() == QEvent::MouseButtonRelease) {
            pressed_ = false;
        } else if (e->type() == QEvent::MouseMove && pressed_) {
            auto* me = static_cast<QMouseEvent*>(e);
            if (!(me->buttons() & Qt::LeftButton)) {
                pressed_ = false;
            } else if ((me->position().toPoint() - start_).manhattanLength() >=
                       QApplication::startDragDistance()) {
                pressed_ = false;
                QPointer<QWidget> alive(widget_);
                auto* drag = new QDrag(widget_);
                drag->setMimeData(DragDataOf(control_).release());
                drag->exec(Qt::MoveAction);
                if (IsLiveControl(control_) && dragSource() == control_) dragSource() = nullptr;
                return !alive;
            }
        }
        return false;
    }

  private:
    TControl* control_;
    QWidget* widget_;
    bool pressed_ = false;
    QPoint start_;
};

class DropTargetWatch : public QObject {
  public:
    DropTargetWatch(TControl* control, QWidget* w, TDragOverEvent over, TDragDropEvent drop)
        : QObject(w), control_(control), over_(std::move(over)), drop_(std::move(drop)) {}
    bool eventFilter(QObject* o, QEvent* e) override {
        switch (e->type()) {
            case QEvent::DragEnter:
            case QEvent::DragMove: {
                auto* de = static_cast<QDragMoveEvent*>(e);
                TControl* source = sourceOf(de->mimeData());
                TPoint p = clientPoint(control_, static_cast<QWidget*>(o), de->position());
                bool accept = source && over_;
                if (accept)
                    SafeCall([&] {
                        over_(control_, source, p.X, p.Y,
                              e->type() == QEvent::DragEnter ? TDragState::dsDragEnter
                                                             : TDragState::dsDragMove,
                              accept);
                    });
                if (accept)
                    de->acceptProposedAction();
                else
                    de->ignore();
                return true;
            }
            case QEvent::DragLeave:
                if (TControl* source = dragSource(); source && over_ && IsLiveControl(source)) {
                    bool accept = false;
                    SafeCall(
                        [&] { over_(control_, source, 0, 0, TDragState::dsDragLeave, accept); });
                }
                return true;
            case QEvent::Drop: {
                auto* de = static_cast<QDropEvent*>(e);
                TControl* source = sourceOf(de->mimeData());
                if (!source) {
                    de->ignore();
                    return true;
                }
                TPoint p = clientPoint(control_, static_cast<QWidget*>(o), de->position());
                bool accept = static_cast<bool>(over_);
                if (accept)
                    SafeCall(
                        [&] { over_(control_, source, p.X, p.Y, TDragState::dsDragMove, accept); });
                if (!accept) {
                    de->ignore();
                    return true;
                }
                de->acceptProposedAction();
                if (drop_) SafeCall([&] { drop_(control_, source, p.X, p.Y); });
                return true;
            }
            default:
                return false;
        }
    }

  private:
    static TControl* sourceOf(const QMimeData* data) {
        if (!data || !data->hasFormat(QLatin1String(kDragFormat))) return nullptr;
        TControl* source = dragSource();
        return IsLiveControl(source) ? source : nullptr;
    }
    TControl* control_;
    TDragOverEvent over_;
    TDragDropEvent drop_;
};

}  // namespace

void EnableDragSource(TControl* control) {
    QWidget* w = eventWidgetOf(control);
    w->installEventFilter(new DragSourceWatch(control, w));
}

void EnableDropTarget(TControl* control, TDragOverEvent over, TDragDropEvent drop) {
    QWidget* w = eventWidgetOf(control);
    control->Widget()->setAcceptDrops(true);
    w->setAcceptDrops(true);
    w->installEventFilter(new DropTargetWatch(control, w, std::move(over), std::move(drop)));
}

std::unique_ptr<QMimeData> DragDataOf(TControl* source) {
    dragSource() = source;
    auto data = std::make_unique<QMimeData>();
    data->setData(QLatin1String(kDragFormat), QByteArray());
    return data;
}

}  // namespace plat
