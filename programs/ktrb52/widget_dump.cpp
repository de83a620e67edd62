#include "programs/ktrb52/widget_dump.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "platform/component/properties.h"
#include "platform/data/field.h"
#include "platform/ui/controls.h"
#include "platform/ui/dbgrids.h"
#include "platform/ui/forms.h"
#include "platform/ui/qt_bridge.h"
#include "platform/ui/stdctrls.h"

namespace standin {
namespace {

std::string flat(std::string s) {
    for (char& c : s)
        if (c == '\t' || c == '\n' || c == '\r') c = ' ';
    if (s.size() > 200) s.resize(200);
    return s;
}

std::string textOf(plat::TControl& c) {
    // An edit's or a combo's own text, not the caption of its label.
    if (dynamic_cast<plat::TCustomEdit*>(&c) || dynamic_cast<plat::TCustomComboBox*>(&c))
        return flat(c.Text());
    for (const char* prop : {"Text", "Caption"})
        if (plat::IsPublishedProp(&c, prop)) {
            try {
                return flat(plat::GetStrProp(&c, prop));
            } catch (const std::exception&) {
                return {};
            }
        }
    return {};
}

// Where the window system has the control: its own widget's place.
plat::TPoint onScreen(const plat::TControl& c) {
    if (QWidget* w = c.Widget()) {
        const QPoint p = w->mapToGlobal(QPoint(0, 0));
        return {p.x(), p.y()};
    }
    return c.ClientToScreen(plat::TPoint{0, 0});
}

void describe(std::ostream& out, const plat::TCustomForm& form, plat::TControl& c,
              const plat::TControl* focused) {
    if (!c.Showing()) return;
    if (!c.Name().empty()) {
        const plat::TPoint at = onScreen(c);
        out << "ctl\t" << form.Name() << '\t' << c.Name() << '\t' << c.ClassName() << '\t' << at.X
            << '\t' << at.Y << '\t' << c.Width() << '\t' << c.Height() << '\t'
            << (c.Enabled() ? 1 : 0) << '\t' << (&c == focused ? 1 : 0) << '\t' << textOf(c)
            << '\n';
        if (auto* grid = dynamic_cast<plat::TCustomDataGrid*>(&c)) {
            plat::TField* f = grid->SelectedField();
            out << "grid\t" << form.Name() << '\t' << c.Name() << '\t'
                << (f ? f->FieldName() : std::string()) << '\t' << grid->Row() << '\n';
            // The current row as the grid shows it, column by column.
            for (int i = 0; i < grid->VisibleColumnCount(); ++i)
                if (plat::TDataGridColumn* col = grid->VisibleColumn(i))
                    out << "cell\t" << form.Name() << '\t' << c.Name() << '\t' << col->FieldName()
                        << '\t' << flat(col->Title()) << '\t'
                        << flat(grid->CellFieldText(i + grid->IndicatorOffset(), grid->ActiveRow()))
                        << '\n';
        }
    }
    if (auto* w = dynamic_cast<plat::TWinControl*>(&c))
        for (int i = 0; i < w->ControlCount(); ++i) describe(out, form, *w->Controls(i), focused);
}

}  // namespace

std::string DescribeWindows() {
    std::ostringstream out;
    plat::TControl* focused =
        QApplication::focusWidget() ? plat::ControlOfWidget(QApplication::focusWidget()) : nullptr;
    for (int i = 0; i < plat::Screen->FormCount(); ++i) {
        plat::TCustomForm* form = plat::Screen->Forms(i);
        if (!form || !form->Showing()) continue;
        const plat::TPoint at = onScreen(*form);
        out << "form\t" << form->Name() << '\t' << form->ClassName() << '\t'
            << flat(form->Caption()) << '\t' << (form == plat::Screen->ActiveForm() ? 1 : 0) << '\t'
            << at.X << '\t' << at.Y << '\t' << form->ClientWidth() << '\t' << form->ClientHeight()
            << '\n';
        for (int k = 0; k < form->ControlCount(); ++k)
            describe(out, *form, *form->Controls(k), focused);
    }
    for (QWidget* w : QApplication::topLevelWidgets()) {
        // Only the forms' own windows are described above; a host window
        // owned by a form (a look-up window) is one of these.
        const plat::TControl* own = plat::ControlOfWidget(w);
        if (!w->isVisible() || (own && own->Widget() == w)) continue;
        out << "win\t" << flat(w->windowTitle().toStdString()) << '\t';
        for (QLabel* l : w->findChildren<QLabel*>()) out << flat(l->text().toStdString()) << ' ';
        const QPoint at = w->mapToGlobal(QPoint(0, 0));
        out << '\t' << at.x() << '\t' << at.y() << '\t' << w->width() << '\t' << w->height()
            << '\n';
    }
    return out.str();
}

void StartWidgetDump() {
    const char* file = std::getenv("KTRB_WIDGET_DUMP");
    if (!file || !*file) return;
    auto* timer = new QTimer(qApp);
    const std::string target = file;
    QObject::connect(timer, &QTimer::timeout, [target] {
        // Written beside and renamed, so the reader never sees half a file.
        const std::string part = target + ".part";
        if (FILE* f = std::fopen(part.c_str(), "wb")) {
            const std::string text = DescribeWindows();
            const bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
            if (std::fclose(f) == 0 && ok) std::rename(part.c_str(), target.c_str());
        }
        // A picture of the whole screen when the driver asks for one: the
        // request file names the PNG to write.
        QFile request(QString::fromStdString(target + ".shot"));
        if (request.exists() && request.open(QIODevice::ReadOnly)) {
            const QString png = QString::fromUtf8(request.readAll()).trimmed();
            request.close();
            request.remove();
            if (QScreen* screen = QGuiApplication::primaryScreen())
                if (!png.isEmpty()) screen->grabWindow(0).save(png, "PNG");
        }
    });
    timer->start(150);
}

}  // namespace standin
