#include "bus/BusCommands.h"
#include "bus/BusPort.h"
#include "bus/LibraryBinding.h"
#include "tools/BusScanWindow.h"
#include "ui/BusScanDialog.h"

#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// The dialog over the line of port 10, one address of it with two instruments: closing the
// dialog while the scan runs stops the scan and keeps the dialog with what was found.
TEST(BusScanDialog, ClosingMidScanStopsTheScanAndKeepsTheRowsShown) {
    QTemporaryDir dir;
    qputenv("TRAXBUS_SIM", dir.filePath(QStringLiteral("roster.json")).toLocal8Bit());
    ManualClock clock;
    {
        LibraryBinding line{{QStringLiteral(TRAXBUS_LIBDIR)}};
        ASSERT_TRUE(line.load());
        ASSERT_GE(bus::openBusPort(line, 10, 6, clock), 0);
        bus::Operands ops;
        ops.integer = 0x07811004; // the instrument at 88 moves onto the one at 120
        ASSERT_EQ(bus::transmit(line, 120, bus::cmd::SetAddress, ops), 0);
        line.TBCloseCom();
    }
    RecordingPrompter prompter;
    BusScanWindow w(std::make_unique<LibraryBinding>(QStringList{QStringLiteral(TRAXBUS_LIBDIR)},
                                                     BusScanWindow::entries()),
                    prompter, clock, dir.path(), QChar(u','));
    w.comPort = 10;
    w.converterCode = 6;
    w.FormShow();
    BusScanDialog d(w);
    d.show();
    const std::function<void()> paint = w.repaint;
    w.repaint = [&] {
        paint();
        if (w.progress.done == 130) d.QWidget::close();
    };
    d.findChild<QPushButton*>(QStringLiteral("b_Durchsuchen"))->click();

    EXPECT_TRUE(d.isVisible());
    EXPECT_FALSE(w.scanning);
    EXPECT_EQ(w.progress.done, 130);
    QTableWidget* table = d.table();
    ASSERT_EQ(table->rowCount(), 4);
    EXPECT_EQ(table->item(3, BusScanWindow::Adresse)->text(), QStringLiteral("120"));
    EXPECT_EQ(table->item(3, BusScanWindow::Seriennummer)->text(), QStringLiteral("mehrere Geräte an Adresse 120"));
    EXPECT_EQ(table->columnSpan(3, BusScanWindow::Seriennummer), BusScanWindow::ColumnCount - 1);
    EXPECT_EQ(table->columnSpan(2, BusScanWindow::Seriennummer), 1);
    // Nothing can be done with a collision row but to look at it.
    table->selectRow(3);
    table->setCurrentCell(3, 0);
    EXPECT_FALSE(d.findChild<QPushButton*>(QStringLiteral("b_AdresseAendern"))->isEnabled());
    EXPECT_TRUE(d.findChild<QPushButton*>(QStringLiteral("b_Durchsuchen"))->isEnabled());
    qunsetenv("TRAXBUS_SIM");
}
