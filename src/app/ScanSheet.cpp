#include "app/ScanSheet.h"

#include "app/ProgramVersion.h"
#include "tools/BusScanWindow.h"

namespace {

// Instruments per group: a group never breaks across pages.
constexpr int kRowsPerGroup = 25;

} // namespace

ConfigSheet scanSheet(const BusScanWindow& w, const QDateTime& printed) {
    ConfigSheet sheet;
    sheet.title = QStringLiteral("Bus durchsuchen");
    sheet.model = QStringLiteral("Port %1").arg(w.comPort);
    sheet.head = {{QStringLiteral("Datum"), printed.toString(QStringLiteral("dd.MM.yyyy HH:mm"))},
                  {QStringLiteral("Ergebnis"), w.StatusBar1.text}};
    const QList<QStringList> table = w.table();
    const QString group = QStringLiteral("Geräte an Port %1").arg(w.comPort);
    for (int r = 1; r < table.size(); ++r) {
        if ((r - 1) % kRowsPerGroup == 0)
            sheet.sections.append({r == 1 ? group : group + QStringLiteral(" (Fortsetzung)"), {}});
        // Address as the label; the other columns that have something, one after the other.
        QStringList rest;
        for (int c = BusScanWindow::Seriennummer; c < BusScanWindow::ColumnCount; ++c) {
            const QString cell = table.at(r).at(c);
            if (!cell.isEmpty())
                rest.append(c == BusScanWindow::Firmware ? QStringLiteral("Firmware ") + cell : cell);
        }
        sheet.sections.last().rows.append({QStringLiteral("Adresse ") + table.at(r).at(BusScanWindow::Adresse),
                                           rest.join(QStringLiteral("   "))});
    }
    sheet.footer = programVersionLine(QStringLiteral("TRK/DVN-Konfigurationsprogramm")).trimmed();
    return sheet;
}
