// Writes what users read about trkdvn-cli besides --help, at build time:
//   trkdvn-cli-referenz man DATEI | completion DATEI
#include "cli/Reference.h"

#include <QCoreApplication>
#include <QSaveFile>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 3 || (args[1] != QLatin1String("man") && args[1] != QLatin1String("completion"))) {
        std::fputs("Aufruf: trkdvn-cli-referenz man|completion DATEI\n", stderr);
        return 2;
    }
    const QString text = args[1] == QLatin1String("man") ? clireference::manPage() : clireference::bashCompletion();
    QSaveFile out(args[2]);
    if (!out.open(QIODevice::WriteOnly) || out.write(text.toUtf8()) < 0 || !out.commit()) {
        std::fprintf(stderr, "trkdvn-cli-referenz: %s: %s\n", args[2].toLocal8Bit().constData(),
                     out.errorString().toLocal8Bit().constData());
        return 3;
    }
    return 0;
}
