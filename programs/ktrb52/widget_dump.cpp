#include "programs/ktrb52/widget_dump.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "platform/component/properties.h"
#include "platform/data/field.h"
#include "platform/ui/comctrls.h"
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
    // An edit's own text: a labelled edit publishes its label as Caption.
    if (dynamic_cast<plat::TCustomEdit*>(&c) || dynamic_cast<plat::TCustomComboBox*>(&c))
        return flat(c.Text());
    if (auto* bar = dynamic_cast<plat::TStatusBar*>(&c)) {
        std::string panels;
        for (int i = 0; i < bar->Panels()->Count(); ++i)
            panels += (i ? " | " : "") + bar->Panels()->Items(i)->Text();
        return flat(panels);
    }
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

// The window system's id of the form's window (0 when it has none yet).
unsigned long long windowId(const plat::TControl& c) {
    QWidget* w = c.Widget();
    return w && w->window() ? static_cast<unsigned long long>(w->window()->effectiveWinId()) : 0;
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
            plat::TDataSet* data = grid->DataSource() ? grid->DataSource()->DataSet() : nullptr;
            out << "grid\t" << form.Name() << '\t' << c.Name() << '\t'
                << (f ? f->FieldName() : std::string()) << '\t' << grid->Row() << '\t'
                << (f ? flat(f->DisplayText()) : std::string()) << '\t'
                << (data && data->Active() ? data->RecordCount() : 0) << '\n';
            // The current row as its shown columns show it (the columns made
            // from the fields too), with the columns' titles.
            if (data && data->Active() && !data->IsEmpty()) {
                for (int i = 0; i < grid->VisibleColumnCount(); ++i) {
                    plat::TDataGridColumn* column = grid->VisibleColumn(i);
                    plat::TField* field = column ? column->Field() : nullptr;
                    if (field)
                        out << "row\t" << form.Name() << '\t' << c.Name() << '\t'
                            << field->FieldName() << '\t' << flat(field->DisplayText()) << '\t'
                            << flat(column->Title()) << '\n';
                }
            }
        }
    }
    if (auto* w = dynamic_cast<plat::TWinControl*>(&c))
        for (int i = 0; i < w->ControlCount(); ++i) describe(out, form, *w->Controls(i), focused);
}

}  // namespace

std::string DescribeWindows() {
    std::ostringstream out;
    // Counts the descriptions written: a reader that sees it move twice
    // knows the host went round its event loop since then.
    static unsigned long long tick = 0;
    out << "tick\t" << ++tick << '\n';
    plat::TControl* focused =
        QApplication::focusWidget() ? plat::ControlOfWidget(QApplication::focusWidget()) : nullptr;
    for (int i = 0; i < plat::Screen->FormCount(); ++i) {
        plat::TCustomForm* form = plat::Screen->Forms(i);
        if (!form || !form->Showing()) continue;
        const plat::TPoint at = onScreen(*form);
        out << "form\t" << form->Name() << '\t' << form->ClassName() << '\t'
            << flat(form->Caption()) << '\t' << (form == plat::Screen->ActiveForm() ? 1 : 0) << '\t'
            << at.X << '\t' << at.Y << '\t' << form->ClientWidth() << '\t' << form->ClientHeight()
            << '\t' << windowId(*form) << '\n';
        for (int k = 0; k < form->ControlCount(); ++k)
            describe(out, *form, *form->Controls(k), focused);
    }
    for (QWidget* w : QApplication::topLevelWidgets()) {
        // A form's own window is described above; a window parented to a
        // form (a look-up over it) is not the form's.
        plat::TControl* owner = plat::ControlOfWidget(w);
        if (!w->isVisible() || (owner && owner->Widget() == w)) continue;
        out << "win\t" << flat(w->windowTitle().toStdString()) << '\t';
        for (QLabel* l : w->findChildren<QLabel*>()) out << flat(l->text().toStdString()) << ' ';
        // Where it is, whether it has the keyboard, and the focused line's
        // text (a look-up window's find line).
        const QRect r = w->geometry();
        QWidget* focus = QApplication::focusWidget();
        const bool ours = focus && focus->window() == w;
        auto* line = ours ? qobject_cast<QLineEdit*>(focus) : nullptr;
        std::string focusClass = ours ? focus->metaObject()->className() : "";
        std::string focusText = line ? line->text().toStdString() : std::string();
        // An open menu: the item it has under its cursor.
        if (auto* menu = qobject_cast<QMenu*>(w)) {
            focusClass = "QMenu";
            focusText = menu->activeAction() ? menu->activeAction()->text().toStdString() : "";
        }
        out << '\t' << r.x() << '\t' << r.y() << '\t' << r.width() << '\t' << r.height() << '\t'
            << (w->isActiveWindow() ? 1 : 0) << '\t' << focusClass << '\t' << flat(focusText)
            << '\t' << w->effectiveWinId() << '\t'
            << (QApplication::activeModalWidget() == w ? 1 : 0) << '\n';
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
                // Written beside and renamed: the reader waits for the name.
                if (!png.isEmpty() && screen->grabWindow(0).save(png + ".part", "PNG"))
                    QFile::rename(png + ".part", png);
        }
    });
    timer->start(150);
}

}  // namespace standin
