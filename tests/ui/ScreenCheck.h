#pragma once

#include "ui/ProgramFonts.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QStyleOptionComboBox>

#include <gtest/gtest.h>

// With TRK_SCREENSHOT_DIR set, the window is saved as a picture to look at.
inline void saveScreen(QWidget& window, const QString& name) {
    QApplication::processEvents(); // scroll bars come and go through queued events
    const QString shots = qEnvironmentVariable("TRK_SCREENSHOT_DIR");
    if (shots.isEmpty()) return;
    QDir().mkpath(shots);
    window.grab().save(QDir(shots).filePath(name + QStringLiteral(".png")));
}

// Every text the window shows fits the widget that shows it. A label shortened on
// purpose carries its whole text in its tooltip and is not measured.
inline void expectTextsWhole(QWidget& window, const QString& where) {
    // The fixed sizes are made for the named font's metrics; without it nothing can be judged.
    if (!QFontDatabase::hasFamily(programfonts::family())) return;
    auto fits = [&](QWidget* w, int needed, const QString& text) {
        EXPECT_LE(needed, w->width()) << where.toStdString() << ": " << w->objectName().toStdString() << " \""
                                      << text.toStdString() << "\"";
    };
    for (QLabel* l : window.findChildren<QLabel*>()) {
        if (l->isVisibleTo(&window) && !l->wordWrap() &&
            (l->toolTip().isEmpty() || l->toolTip() == l->text()))
            fits(l, l->sizeHint().width(), l->text());
    }
    for (QAbstractButton* b : window.findChildren<QAbstractButton*>()) {
        if (!b->isVisibleTo(&window) || b->text().isEmpty()) continue;
        // A push button needs its text, the style's margin and its frame; the others say so themselves.
        const int frame = 2 * b->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, b);
        fits(b,
             qobject_cast<QPushButton*>(b)
                 ? b->fontMetrics().size(Qt::TextShowMnemonic, b->text()).width() + frame +
                       b->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, b)
                 : b->sizeHint().width(),
             b->text());
    }
    for (QGroupBox* g : window.findChildren<QGroupBox*>()) {
        if (g->isVisibleTo(&window)) fits(g, g->fontMetrics().horizontalAdvance(g->title()) + 8, g->title());
    }
    for (QComboBox* c : window.findChildren<QComboBox*>()) {
        if (!c->isVisibleTo(&window) || c->isEditable()) continue;
        QStyleOptionComboBox option;
        option.initFrom(c);
        const int room =
            c->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, c).width();
        for (int i = 0; i < c->count(); ++i)
            EXPECT_LE(c->fontMetrics().horizontalAdvance(c->itemText(i)), room)
                << where.toStdString() << ": " << c->objectName().toStdString() << " \""
                << c->itemText(i).toStdString() << "\"";
    }
}
