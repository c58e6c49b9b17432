#pragma once

#include "config/Controls.h"

#include <QDialog>
#include <QWidget>

// What every fixed-size window of the program shares: its frame and the
// placing of a control by the geometry its state holds.
namespace dialogframe {

inline void place(QWidget* widget, const Control& c) {
    widget->setObjectName(c.name);
    widget->setGeometry(c.geometry.left, c.geometry.top, c.geometry.width, c.geometry.height);
}

// Fixed size, title and close button only; pointSize > 0 sets a plain font of that size.
inline void setUp(QDialog* dialog, const QString& formName, const QString& caption, int width, int height,
                  int pointSize = 0) {
    dialog->setObjectName(formName);
    dialog->setWindowTitle(caption);
    dialog->setFixedSize(width, height);
    dialog->setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint);
    if (pointSize > 0) {
        QFont f = dialog->font();
        f.setPointSize(pointSize);
        f.setBold(false);
        dialog->setFont(f);
    }
}

} // namespace dialogframe
