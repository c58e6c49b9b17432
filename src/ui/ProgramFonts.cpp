#include "ui/ProgramFonts.h"

#include <QApplication>
#include <QStyle>
#include <QStyleFactory>

namespace programfonts {

void applyToApplication() {
    if (QStyle* style = QStyleFactory::create(QStringLiteral("Windows"))) QApplication::setStyle(style);
    QFont base(family(), 8);
    // Should the font be missing, a metric-compatible substitute is the next best thing.
    base.setStyleHint(QFont::SansSerif);
    QApplication::setFont(base);
}

QFont groupContents() {
    QFont f(family(), 10);
    f.setStyleHint(QFont::SansSerif);
    f.setBold(true);
    return f;
}

} // namespace programfonts
