#include "platform/ui/screenshot.h"

#include <QPainter>
#include <QPixmap>
#include <QWidget>
#include <algorithm>

#include "platform/core/exceptions.h"
#include "platform/ui/forms.h"
#include "platform/ui/qt_bridge.h"

namespace plat {

TBitmap Screenshot(TControl* c) {
    EnsureApplication();
    QWidget* w = c->Widget();
    w->ensurePolished();
    auto* form = dynamic_cast<TCustomForm*>(c);
    // At a device pixel ratio other than 1 the client is drawn at the
    // screen's resolution and scaled into the frame.
    const bool direct = form && !form->Parent() && w->devicePixelRatioF() == 1.0;
    QImage client;
    if (!direct) client = w->grab().toImage();
    TBitmap out;
    if (!form || form->Parent()) {
        out.SetImage(client);
        return out;
    }
    // The frame and caption of the window around the client picture.
    int ncx = form->Width() - w->width();
    int border = ncx / 2;
    int caption = form->Height() - w->height() - 2 * border;
    // Every pixel is painted below: the picture needs no blank fill first.
    out.SetImage(
        QImage(std::max(0, form->Width()), std::max(0, form->Height()), QImage::Format_RGB32));
    TCanvas* cv = out.Canvas();
    cv->Brush.Color = clBtnFace;
    cv->FillRect(Bounds(0, 0, form->Width(), form->Height()));
    TRect r = Bounds(0, 0, form->Width(), form->Height());
    if (border > 0) Frame3D(*cv, r, clBtnHighlight, cl3DDkShadow, 1);
    if (caption > 0) {
        cv->Brush.Color = form->Active() ? clActiveCaption : clInactiveCaption;
        cv->FillRect(Bounds(border, border, form->Width() - 2 * border, caption - 1));
        cv->Font.SetName(kDefaultFace);
        cv->Font.SetHeight(-12);
        cv->Font.SetStyle({fsBold});
        cv->Font.SetColor(form->Active() ? clCaptionText : clInactiveCaptionText);
        cv->Brush.Style = TBrushStyle::bsClear;
        TRect t = Bounds(border + 4, border, form->Width() - 2 * border - 8, caption - 1);
        cv->DrawText(form->Caption(), t,
                     DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
    if (direct) {
        // Drawn into the frame's picture in place: a picture of the client
        // first would be megabytes more to fill and copy.
        w->render(&out.Image(), QPoint(border, border + caption), QRegion(w->rect()),
                  QWidget::DrawWindowBackground | QWidget::DrawChildren | QWidget::IgnoreMask);
        return out;
    }
    QPainter p(&out.Image());
    p.drawImage(border, border + caption, client);
    return out;
}

void SaveScreenshot(TControl* c, const std::string& path) {
    Screenshot(c).SaveToFile(path);
}

}  // namespace plat
