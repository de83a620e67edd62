// Inside the window layer only: conversions between our values and Qt's,
// the application object, and the widget template that hands a control's Qt
// events to the control.
#pragma once
#include <QColor>
#include <QFont>
#include <QImage>
#include <QRect>
#include <QString>
#include <QWidget>
#include <memory>
#include <string>

#include "platform/ui/graphics.h"

class QPainter;

namespace plat {

class TControl;

// Makes sure a QApplication exists (offscreen when there is no display).
void EnsureApplication();

inline QString Q(const std::string& s) {
    return QString::fromUtf8(s.data(), (qsizetype)s.size());
}
inline std::string S(const QString& s) {
    return s.toUtf8().toStdString();
}
inline QRect ToQRect(const TRect& r) {
    return QRect(r.Left, r.Top, r.Width(), r.Height());
}
inline TRect FromQRect(const QRect& r) {
    return Bounds(r.x(), r.y(), r.width(), r.height());
}
QColor ToQColor(TColor c);
TColor FromQColor(const QColor& c);
QFont ToQFont(const TFont& f);
QFont ToQFont(const TFontData& f);
// The face every font falls back to.
extern const char* const kDefaultFace;

// Devices that draw with a QPainter: on a painter already open (widgets'
// paint events) or on an image (bitmaps; a painter per operation).
std::shared_ptr<CanvasDevice> MakePainterDevice(QPainter* painter);
std::shared_ptr<CanvasDevice> MakeImageDevice(QImage* image);

// The base of the event hook: the widget asks its control, which may call
// back into the widget's own handling.
struct QtBaseEvent {
    QWidget* widget;
    bool (*call)(QWidget*, QEvent*);
    bool operator()(QEvent* e) const { return call(widget, e); }
};

class HostLink {
  public:
    virtual ~HostLink() = default;
    TControl* Control() const { return control_; }
    void Unbind() { control_ = nullptr; }

  protected:
    TControl* control_ = nullptr;
};

// Routes every event of widget W to the control that owns it.
bool RouteEvent(TControl* control, QEvent* e, const QtBaseEvent& base);

template <class W>
class HostWidget : public W, public HostLink {
  public:
    template <class... A>
    explicit HostWidget(TControl* control, A&&... args) : W(std::forward<A>(args)...) {
        this->control_ = control;
    }

  protected:
    bool event(QEvent* e) override {
        if (!control_) return W::event(e);
        return RouteEvent(control_, e, QtBaseEvent{this, &HostWidget::baseEvent});
    }

  private:
    static bool baseEvent(QWidget* w, QEvent* e) {
        return static_cast<HostWidget*>(w)->W::event(e);
    }
};

// The control that owns a widget, walking up the widget's parents.
TControl* ControlOfWidget(QWidget* w);

// A focus change to the widget was refused: the mouse press that asked for
// it (if one is under way) must not reach the widget.
void RefuseClickOn(QWidget* w);

}  // namespace plat

namespace plat {
// Key codes between Qt and the platform.
uint16_t VkFromQtKey(int qtKey, Qt::KeyboardModifiers mods);
int QtKeyFromVk(uint16_t vk);
TShiftState ShiftFromQt(Qt::KeyboardModifiers mods, Qt::MouseButtons buttons = Qt::NoButton);
Qt::KeyboardModifiers QtFromShift(TShiftState shift);
}  // namespace plat
