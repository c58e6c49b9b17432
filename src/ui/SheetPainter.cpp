#include "ui/SheetPainter.h"

#include "app/MainHandlers.h"
#include "ui/MainWindow.h"
#include "ui/ProgramFonts.h"
#include "ui/QtPrompter.h"

#include <QBuffer>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>

namespace {

constexpr double kMarginMm = 15.0;
constexpr double kPictureMaxHeightMm = 105.0;
constexpr double kValueColumnMm = 72.0; // where the values of a group start
constexpr double kHeadValueMm = 38.0;   // where the values of the head start

// Paints top to bottom and starts a new page when a block no longer fits.
class Pages {
  public:
    Pages(QPainter& painter, QPagedPaintDevice& device, const QString& footer)
        : p(painter), device(device), footer(footer) {
        mm = device.logicalDpiY() / 25.4;
        width = device.width();
        // Room for the footer line at the bottom of every page.
        bottom = device.height() - static_cast<int>(8 * mm);
    }

    QFont font(double points, bool bold = false) const {
        QFont f(programfonts::family());
        f.setPointSizeF(points);
        f.setBold(bold);
        return f;
    }

    // Makes room for `height` device units; false when a new page could not be started.
    bool room(int height) {
        if (y + height <= bottom || y == 0) return true;
        paintFooter();
        if (!device.newPage()) return false;
        ++page;
        y = 0;
        return true;
    }

    // Text in the column from `left` to `right`, wrapped; returns its height.
    int text(const QString& s, int left, int right, const QFont& f, int top) {
        p.setFont(f);
        const QRect box(left, top, right - left, 100000);
        const QRect used = p.boundingRect(box, Qt::TextWordWrap | Qt::TextWrapAnywhere, s);
        p.drawText(box, Qt::TextWordWrap | Qt::TextWrapAnywhere, s);
        return used.height();
    }

    int height(const QString& s, int left, int right, const QFont& f) {
        p.setFont(f);
        return p
            .boundingRect(QRect(left, 0, right - left, 100000), Qt::TextWordWrap | Qt::TextWrapAnywhere, s)
            .height();
    }

    // A row of a label and its value; the taller of the two sets its height.
    bool row(const QString& label, const QString& value, int labelLeft, int valueLeft, const QFont& labelFont,
             const QFont& valueFont) {
        if (!room(height(value, valueLeft, width, valueFont) + gap())) return false;
        const int h1 = text(label, labelLeft, valueLeft - static_cast<int>(3 * mm), labelFont, y);
        const int h2 = text(value, valueLeft, width, valueFont, y);
        y += std::max(h1, h2) + gap();
        return true;
    }

    void rule() {
        p.setPen(QPen(Qt::darkGray, std::max(1.0, 0.25 * mm)));
        p.drawLine(0, y, width, y);
        p.setPen(Qt::black);
    }

    void paintFooter() {
        const QFont f = font(7.5);
        p.setFont(f);
        const int top = device.height() - static_cast<int>(5 * mm);
        p.drawText(QRect(0, top, width, static_cast<int>(5 * mm)), Qt::AlignLeft | Qt::AlignBottom, footer);
        p.drawText(QRect(0, top, width, static_cast<int>(5 * mm)), Qt::AlignRight | Qt::AlignBottom,
                   QStringLiteral("Seite %1").arg(page));
    }

    int gap() const { return static_cast<int>(0.6 * mm); }

    QPainter& p;
    QPagedPaintDevice& device;
    QString footer;
    double mm = 1.0;
    int width = 0;
    int bottom = 0;
    int y = 0;
    int page = 1;
};

} // namespace

bool paintConfigSheet(const ConfigSheet& sheet, const QImage& picture, QPagedPaintDevice& device) {
    device.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm),
                                     QPageLayout::Millimeter));
    QPainter painter;
    if (!painter.begin(&device)) return false;
    Pages pages(painter, device, sheet.footer);
    const double mm = pages.mm;

    // Head: title, then the model and where the configuration came from.
    pages.y += pages.text(sheet.title + QStringLiteral(" – ") + sheet.model, 0, pages.width,
                          pages.font(16, true), 0);
    pages.y += static_cast<int>(2 * mm);
    pages.rule();
    pages.y += static_cast<int>(2 * mm);
    const int headValue = static_cast<int>(kHeadValueMm * mm);
    for (const ConfigSheet::Row& r : sheet.head)
        pages.row(r.label + QLatin1Char(':'), r.value, 0, headValue, pages.font(9.5, true), pages.font(9.5));
    pages.y += static_cast<int>(3 * mm);

    // The window as configured, as large as the page allows.
    if (!picture.isNull()) {
        const QSizeF logical = picture.deviceIndependentSize();
        const double scale =
            std::min(pages.width / logical.width(), kPictureMaxHeightMm * mm / logical.height());
        const QRect target(0, pages.y, static_cast<int>(logical.width() * scale),
                           static_cast<int>(logical.height() * scale));
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(target, picture);
        painter.setPen(QPen(Qt::darkGray, std::max(1.0, 0.2 * mm)));
        painter.drawRect(target);
        painter.setPen(Qt::black);
        pages.y += target.height() + static_cast<int>(5 * mm);
    }

    // Every group the window shows, with its fields as the window shows them.
    const int valueLeft = static_cast<int>(kValueColumnMm * mm);
    const int labelLeft = static_cast<int>(4 * mm);
    const QFont title = pages.font(11, true);
    const QFont label = pages.font(9.5);
    const QFont value = pages.font(9.5, true);
    for (const ConfigSheet::Section& s : sheet.sections) {
        // A group stays on one page.
        int needed = pages.height(s.title, 0, pages.width, title) + static_cast<int>(1.5 * mm);
        for (const ConfigSheet::Row& r : s.rows)
            needed += pages.height(r.value, valueLeft, pages.width, value) + pages.gap();
        if (!pages.room(needed)) return false;
        pages.y += pages.text(s.title, 0, pages.width, title, pages.y);
        pages.y += static_cast<int>(0.5 * mm);
        pages.rule();
        pages.y += static_cast<int>(1 * mm);
        for (const ConfigSheet::Row& r : s.rows)
            if (!pages.row(r.label, r.value.isEmpty() ? QStringLiteral("–") : r.value, labelLeft, valueLeft,
                           label, value))
                return false;
        pages.y += static_cast<int>(2.5 * mm);
    }

    // The acceptance record: what changed, then the lines to sign on; the lines stay together.
    if (const std::optional<ConfigSheet::Acceptance>& a = sheet.acceptance) {
        const int signatureHeight = static_cast<int>(10 * mm);
        int needed = pages.height(a->title, 0, pages.width, title) + static_cast<int>(1.5 * mm);
        for (const ConfigSheet::Row& r : a->changes)
            needed += pages.height(r.value, valueLeft, pages.width, value) + pages.gap();
        if (!pages.room(needed)) return false;
        pages.y += pages.text(a->title, 0, pages.width, title, pages.y);
        pages.y += static_cast<int>(0.5 * mm);
        pages.rule();
        pages.y += static_cast<int>(1 * mm);
        for (const QList<ConfigSheet::Row>* rows : {&a->changes, &a->rows}) {
            for (const ConfigSheet::Row& r : *rows)
                if (!pages.row(r.label, r.value, labelLeft, valueLeft, label, value)) return false;
            pages.y += static_cast<int>(2 * mm);
        }
        if (!pages.room(signatureHeight * int(a->signatures.size()))) return false;
        for (const QString& line : a->signatures) {
            pages.y += signatureHeight;
            pages.text(line + QLatin1Char(':'), labelLeft, valueLeft, label,
                       pages.y - pages.height(line, labelLeft, valueLeft, label));
            painter.drawLine(valueLeft, pages.y, pages.width, pages.y);
        }
    }
    pages.paintFooter();
    return painter.end();
}

QByteArray configSheetPdf(const ConfigSheet& sheet, const QImage& picture) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(300);
        writer.setTitle(sheet.title + QStringLiteral(" ") + sheet.model);
        writer.setCreator(sheet.footer);
        if (!paintConfigSheet(sheet, picture, writer)) return {};
    }
    return buffer.data();
}

QImage windowPicture(MainHandlers& handlers) {
    // The window listens to the status bar's repaints while it lives; the caller keeps its own.
    QtPrompter prompter;
    MainWindow window(handlers, prompter);
    return window.picture();
}

QByteArray QtSheetPrinter::pdf(const ConfigSheet& sheet) {
    return configSheetPdf(sheet, picture ? picture() : QImage());
}

SheetPrinter::Printed QtSheetPrinter::print(const ConfigSheet& sheet) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(sheet.title + QStringLiteral(" ") + sheet.model);
    QPrintDialog dialog(&printer, owner);
    dialog.setWindowTitle(QStringLiteral("Konfigurationsblatt drucken"));
    if (dialog.exec() != QDialog::Accepted) return Printed::Cancelled;
    return paintConfigSheet(sheet, picture ? picture() : QImage(), printer) ? Printed::Done : Printed::Failed;
}
