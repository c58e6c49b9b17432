#include "app/SystemViewer.h"

#include <QProcess>

SystemViewer::SystemViewer(QString program, QStringList arguments, int waitMs)
    : program(std::move(program)), arguments(std::move(arguments)), waitMs(waitMs) {}

bool SystemViewer::open(const QString& path) const {
    auto* viewer = new QProcess;
    viewer->setProcessChannelMode(QProcess::ForwardedChannels);
    viewer->start(program, arguments + QStringList{path});
    if (!viewer->waitForStarted()) {
        delete viewer;
        return false;
    }
    if (!viewer->waitForFinished(waitMs)) {
        // Still running: the document is open. Owned by no one, the viewer is neither waited
        // for nor ended with the program; it deletes itself when it ends.
        QObject::connect(viewer, &QProcess::finished, viewer, &QObject::deleteLater);
        return true;
    }
    const bool shown = viewer->exitStatus() == QProcess::NormalExit && viewer->exitCode() == 0;
    delete viewer;
    return shown;
}
