#pragma once

#include <QString>
#include <QStringList>

// Hands a document to the desktop's viewer (`xdg-open` and the like) and tells whether
// the viewer took it. A viewer that is there but fails, exits with an error or refuses
// to run (as root, without a display) does so within moments; one still running after
// that short wait has the document open.
class SystemViewer {
  public:
    explicit SystemViewer(QString program = QStringLiteral("xdg-open"), QStringList arguments = {},
                          int waitMs = 2000);
    // False when the program is missing, crashed or ended with a status other than 0.
    bool open(const QString& path) const;

  private:
    QString program;
    QStringList arguments; // put before the document's path
    int waitMs;
};
