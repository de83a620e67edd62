#include "platform/ui/clipboard_qt.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>

#include "platform/ui/qt_bridge.h"

namespace plat {

void TQtClipboard::SetData(const std::string& format, const std::string& bytes) {
    EnsureApplication();
    auto* md = new QMimeData;
    if (format == kClipboardText)
        md->setText(Q(bytes));
    else
        md->setData(Q(format), QByteArray(bytes.data(), (qsizetype)bytes.size()));
    QApplication::clipboard()->setMimeData(md);
}

std::optional<std::string> TQtClipboard::GetData(const std::string& format) const {
    EnsureApplication();
    const QMimeData* md = QApplication::clipboard()->mimeData();
    if (!md) return std::nullopt;
    if (format == kClipboardText) {
        if (!md->hasText()) return std::nullopt;
        return S(md->text());
    }
    if (!md->hasFormat(Q(format))) return std::nullopt;
    QByteArray b = md->data(Q(format));
    return std::string(b.constData(), (size_t)b.size());
}

bool TQtClipboard::HasFormat(const std::string& format) const {
    return GetData(format).has_value();
}

std::vector<std::string> TQtClipboard::Formats() const {
    EnsureApplication();
    std::vector<std::string> out;
    const QMimeData* md = QApplication::clipboard()->mimeData();
    if (!md) return out;
    for (const QString& f : md->formats()) out.push_back(S(f));
    return out;
}

void TQtClipboard::Clear() {
    EnsureApplication();
    QApplication::clipboard()->clear();
}

IClipboard* InstallQtClipboard() {
    static TQtClipboard clipboard;
    return SetClipboard(&clipboard);
}

}  // namespace plat
