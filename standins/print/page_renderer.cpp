#include "standins/print/page_renderer.h"

#include <QCoreApplication>
#include <QFile>
#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "standins/print/gif_writer.h"

namespace standin {

namespace {

// The page in points (A4 landscape) and the layout's measures.
constexpr double kPageW = 841.89, kPageH = 595.28;
constexpr double kMargin = 28;
constexpr double kTitleH = 30;
constexpr double kFieldRowH = 15;
constexpr int kFieldColumns = 3;
constexpr double kFieldLabelW = 82;
constexpr double kTableTitleH = 18;
constexpr double kRowH = 15;
constexpr double kFooterH = 18;
constexpr double kPad = 3;

double HeaderBottom(const PrintedDocument& doc) {
    const int rows = int((doc.header.size() + kFieldColumns - 1) / kFieldColumns);
    return kMargin + kTitleH + rows * kFieldRowH + 8;
}

size_t RowsPerPage(const PrintedDocument& doc) {
    const double room = kPageH - kMargin - kFooterH - HeaderBottom(doc) - kTableTitleH;
    return std::max<size_t>(1, size_t(std::floor(room / kRowH)));
}

QString Q(const std::string& s) {
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

QFont PageFont(double points, bool bold = false) {
    QFont f;
    f.setFamilies({"WenQuanYi Micro Hei", "Noto Sans CJK SC", "Sans Serif"});
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

// Paints pages on any device whose resolution is `dpi`; positions are
// given in points and scaled here, font sizes the device scales itself.
class PagePainter {
  public:
    PagePainter(QPainter& p, double dpi) : p_(p), k_(dpi / 72.0) {}

    void Paint(const PrintedDocument& doc, const PageRange& range, int pageNo, int pages) {
        p_.setPen(Qt::black);
        p_.setFont(PageFont(16, true));
        Text(kMargin, kMargin, kPageW - 2 * kMargin, kTitleH - 6, Q(doc.title), Qt::AlignCenter);

        // Header fields, three to a row.
        const double fieldW = (kPageW - 2 * kMargin) / kFieldColumns;
        for (size_t i = 0; i < doc.header.size(); ++i) {
            const double x = kMargin + double(i % kFieldColumns) * fieldW;
            const double y = kMargin + kTitleH + double(i / kFieldColumns) * kFieldRowH;
            p_.setFont(PageFont(9, true));
            const std::string& label = doc.header[i].first;
            const bool ascii = std::all_of(label.begin(), label.end(),
                                           [](char c) { return (unsigned char)c < 0x80; });
            Text(x, y, kFieldLabelW, kFieldRowH, Q(label + (ascii ? ":" : "：")), Qt::AlignLeft);
            p_.setFont(PageFont(9));
            Text(x + kFieldLabelW, y, fieldW - kFieldLabelW - kPad, kFieldRowH,
                 Q(doc.header[i].second), Qt::AlignLeft);
        }

        // The line table.
        std::vector<double> xs = ColumnEdges(doc);
        double y = HeaderBottom(doc);
        const double left = kMargin, right = kPageW - kMargin;
        p_.fillRect(R(left, y, right - left, kTableTitleH), QColor(0xe4, 0xe4, 0xe4));
        p_.setFont(PageFont(9, true));
        for (size_t c = 0; c < doc.columns.size(); ++c)
            Text(xs[c] + kPad, y, xs[c + 1] - xs[c] - 2 * kPad, kTableTitleH,
                 Q(doc.columns[c].title), doc.columns[c].numeric ? Qt::AlignRight : Qt::AlignLeft);
        Line(left, y, right, y, 1.0);
        Line(left, y + kTableTitleH, right, y + kTableTitleH, 0.8);
        y += kTableTitleH;
        p_.setFont(PageFont(8.5));
        for (size_t r = range.first; r < range.first + range.count; ++r) {
            if ((r - range.first) % 2 == 1)
                p_.fillRect(R(left, y, right - left, kRowH), QColor(0xf3, 0xf3, 0xf3));
            Row(doc, doc.rows[r], xs, y);
            y += kRowH;
        }
        if (range.totals) {
            Line(left, y, right, y, 0.8);
            p_.setFont(PageFont(8.5, true));
            Row(doc, doc.totals, xs, y);
            y += kRowH;
        }
        Line(left, y, right, y, 1.0);

        // Footer: the document's own text and the page number.
        p_.setFont(PageFont(8));
        const double fy = kPageH - kMargin - kFooterH + 4;
        Text(kMargin, fy, (kPageW - 2 * kMargin) * 0.7, kFooterH - 4, Q(doc.footer), Qt::AlignLeft);
        char page[64];
        std::snprintf(page, sizeof page, "%d / %d", pageNo, pages);
        Text(kMargin, fy, kPageW - 2 * kMargin, kFooterH - 4, QString::fromLatin1(page),
             Qt::AlignRight);
    }

  private:
    QRectF R(double x, double y, double w, double h) const {
        return QRectF(x * k_, y * k_, w * k_, h * k_);
    }
    void Line(double x1, double y1, double x2, double y2, double width) {
        p_.setPen(QPen(Qt::black, width * k_));
        p_.drawLine(QPointF(x1 * k_, y1 * k_), QPointF(x2 * k_, y2 * k_));
        p_.setPen(Qt::black);
    }
    // A text cut with an ellipsis where it does not fit its box.
    void Text(double x, double y, double w, double h, const QString& text, Qt::Alignment align) {
        const QRectF box = R(x, y, w, h);
        const QString shown =
            QFontMetricsF(p_.font(), p_.device()).elidedText(text, Qt::ElideRight, box.width());
        p_.drawText(box, int(align | Qt::AlignVCenter) | Qt::TextSingleLine, shown);
    }
    void Row(const PrintedDocument& doc, const std::vector<std::string>& cells,
             const std::vector<double>& xs, double y) {
        for (size_t c = 0; c < doc.columns.size() && c < cells.size(); ++c)
            Text(xs[c] + kPad, y, xs[c + 1] - xs[c] - 2 * kPad, kRowH, Q(cells[c]),
                 doc.columns[c].numeric ? Qt::AlignRight : Qt::AlignLeft);
    }
    static std::vector<double> ColumnEdges(const PrintedDocument& doc) {
        double total = 0;
        for (const PrintColumn& c : doc.columns) total += std::max(0.0, c.width);
        std::vector<double> xs{kMargin};
        const double span = kPageW - 2 * kMargin;
        for (const PrintColumn& c : doc.columns)
            xs.push_back(xs.back() + (total > 0 ? span * std::max(0.0, c.width) / total : 0));
        return xs;
    }

    QPainter& p_;
    double k_;
};

// Fonts and painting need the window system's application object; a
// program without one (a test of the host, a server) gets one here.
bool EnsureGuiApplication(std::string& error) {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return true;
    if (QCoreApplication::instance()) {
        error = "printing needs a window-system application, not a console one";
        return false;
    }
    if (!std::getenv("QT_QPA_PLATFORM") && !std::getenv("DISPLAY") &&
        !std::getenv("WAYLAND_DISPLAY"))
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char arg0[] = "ktrb52";
    static char* argv[] = {arg0, nullptr};
    new QGuiApplication(argc, argv);
    return true;
}

QImage RenderPage(const PrintedDocument& doc, const PageRange& range, int pageNo, int pages,
                  int dpi) {
    const double k = dpi / 72.0;
    QImage img(int(std::lround(kPageW * k)), int(std::lround(kPageH * k)), QImage::Format_RGB32);
    img.setDotsPerMeterX(int(std::lround(dpi / 0.0254)));
    img.setDotsPerMeterY(int(std::lround(dpi / 0.0254)));
    img.fill(Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::TextAntialiasing);
    PagePainter(p, dpi).Paint(doc, range, pageNo, pages);
    p.end();
    return img;
}

// Sixteen greys: the page is black on white, and few colours keep the file small.
std::string GifBytes(const QImage& page) {
    const QImage grey = page.convertToFormat(QImage::Format_Grayscale8);
    std::vector<uint8_t> pixels(size_t(grey.width()) * size_t(grey.height()));
    for (int y = 0; y < grey.height(); ++y) {
        const uchar* line = grey.constScanLine(y);
        uint8_t* out = pixels.data() + size_t(y) * size_t(grey.width());
        for (int x = 0; x < grey.width(); ++x) out[x] = uint8_t((line[x] * 15 + 127) / 255);
    }
    std::vector<uint32_t> palette;
    for (uint32_t i = 0; i < 16; ++i) palette.push_back((i * 17) * 0x010101u);
    return EncodeGif(grey.width(), grey.height(), pixels, palette);
}

bool WriteBytes(const std::string& file, const std::string& bytes) {
    QFile f(Q(file));
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           f.write(bytes.data(), qint64(bytes.size())) == qint64(bytes.size());
}

}  // namespace

std::vector<PageRange> Paginate(const PrintedDocument& doc) {
    const size_t perPage = RowsPerPage(doc);
    std::vector<PageRange> pages;
    for (size_t at = 0; at < doc.rows.size(); at += perPage)
        pages.push_back({at, std::min(perPage, doc.rows.size() - at), false});
    if (pages.empty()) pages.push_back({0, 0, false});
    if (!doc.totals.empty()) {
        if (pages.back().count < perPage)
            pages.back().totals = true;
        else
            pages.push_back({doc.rows.size(), 0, true});
    }
    return pages;
}

bool WritePdf(const PrintedDocument& doc, const std::string& file, std::string& error) {
    if (!EnsureGuiApplication(error)) return false;
    QPdfWriter writer(Q(file));
    if (!writer.setPageSize(QPageSize(QPageSize::A4)) ||
        !writer.setPageOrientation(QPageLayout::Landscape) ||
        !writer.setPageMargins(QMarginsF(0, 0, 0, 0))) {
        error = "the PDF page cannot be set up";
        return false;
    }
    constexpr int kPdfDpi = 288;
    writer.setResolution(kPdfDpi);
    writer.setTitle(Q(doc.title));
    writer.setCreator(QStringLiteral("ktrb52"));
    QPainter p;
    if (!p.begin(&writer)) {
        error = "cannot write " + file;
        return false;
    }
    const std::vector<PageRange> pages = Paginate(doc);
    for (size_t i = 0; i < pages.size(); ++i) {
        if (i) writer.newPage();
        PagePainter(p, kPdfDpi).Paint(doc, pages[i], int(i + 1), int(pages.size()));
    }
    if (!p.end()) {
        error = "cannot write " + file;
        return false;
    }
    return true;
}

bool WritePageImages(const PrintedDocument& doc, const std::string& base, PageImageFormat format,
                     int dpi, std::vector<std::string>& files, std::string& error) {
    files.clear();
    if (dpi < 36 || dpi > 600) {
        error = "picture resolution " + std::to_string(dpi) + " out of range (36 to 600)";
        return false;
    }
    if (!EnsureGuiApplication(error)) return false;
    const char* ext = format == PageImageFormat::Png    ? ".png"
                      : format == PageImageFormat::Jpeg ? ".JPG"
                                                        : ".GIF";
    const std::vector<PageRange> pages = Paginate(doc);
    for (size_t i = 0; i < pages.size(); ++i) {
        char suffix[32] = "";
        if (i) std::snprintf(suffix, sizeof suffix, "_%04zu", i + 1);
        const std::string file = base + suffix + ext;
        const QImage page = RenderPage(doc, pages[i], int(i + 1), int(pages.size()), dpi);
        bool ok = false;
        switch (format) {
            case PageImageFormat::Png:
                ok = page.save(Q(file), "PNG");
                break;
            case PageImageFormat::Jpeg:
                ok = page.save(Q(file), "JPG", 85);
                break;
            case PageImageFormat::Gif:
                ok = WriteBytes(file, GifBytes(page));
                break;
        }
        if (!ok) {
            error = "cannot write " + file;
            return false;
        }
        files.push_back(file);
    }
    return true;
}

}  // namespace standin
