// trkdvn-handbuch: builds the handbook into the program's folder. The pages of Manual/
// are copied with their markers replaced by what the program itself produces (message
// table, ranges, models, extended bits, flow examples, the command line's help and
// output, pictures of its windows). Any message without its explanation fails the build.

#include "app/ProgramVersion.h"
#include "cli/Reference.h"
#include "handbook/HandbookPages.h"
#include "handbook/MenuOverview.h"
#include "handbook/MessageScanner.h"
#include "handbook/PageChecks.h"
#include "handbook/Screenshots.h"
#include "ui/ProgramFonts.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>

namespace {

QString option(const QStringList& args, const QString& name) {
    const int i = static_cast<int>(args.indexOf(name));
    return i >= 0 && i + 1 < args.size() ? args[i + 1] : QString();
}

// One command of trkdvn-cli as a terminal shows it: the command line, then its output.
QString cliRun(const QString& cli, const QString& arguments, const QString& folder, QStringList& problems) {
    QProcess process;
    process.setWorkingDirectory(folder);
    process.setProcessChannelMode(QProcess::MergedChannels);
    // As on a German technician's machine: comma as decimal separator, a neutral user name in files.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("de_DE.UTF-8"));
    environment.insert(QStringLiteral("USER"), QStringLiteral("techniker"));
    // The examples' readouts go into an archive of their own, never into the builder's.
    environment.insert(QStringLiteral("TRKDVN_ARCHIVE"), QDir(folder).filePath(QStringLiteral("Geraetearchiv.sqlite")));
    process.setProcessEnvironment(environment);
    process.start(cli, QProcess::splitCommand(arguments));
    if (!process.waitForFinished(20000)) {
        problems.append(QStringLiteral("trkdvn-cli %1 lief nicht durch").arg(arguments));
        return {};
    }
    QString out = QStringLiteral("<pre class=\"konsole\">$ trkdvn-cli %1\n%2")
                      .arg(handbook::escape(arguments), handbook::escape(QString::fromUtf8(process.readAll())));
    if (process.exitCode() != 0) out += QStringLiteral("(Rückgabewert %1)\n").arg(process.exitCode());
    return out + QStringLiteral("</pre>\n");
}

// The offscreen platform says so for every window that asks it for what only a screen can do.
void quietOffscreen(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (text.startsWith(QLatin1String("This plugin does not support"))) return;
    std::fputs(qFormatLogMessage(type, context, text).toLocal8Bit().append('\n').constData(), stderr);
}

} // namespace

int main(int argc, char** argv) {
    // Never a window on the screen, and the simulated bus at full speed.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("TRAXBUS_WIRETIME", "off");
    qunsetenv("TRAXBUS_TRACE");
    qInstallMessageHandler(quietOffscreen);
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    const QString sources = option(args, QStringLiteral("--quellen"));
    const QString target = option(args, QStringLiteral("--ziel"));
    const QString library = option(args, QStringLiteral("--bibliothek"));
    const QString cli = QFileInfo(option(args, QStringLiteral("--cli"))).absoluteFilePath();
    // --liste: the texts the generator finds, one per line with their place, for writing explanations.
    if (args.contains(QStringLiteral("--liste")) && !sources.isEmpty()) {
        for (const auto& f : messagescan::scanTree(sources, messagescan::programFolders()))
            std::printf("%s\t%s\t%s\t%s\n", f.where.toUtf8().constData(), f.statusLine ? "Statuszeile" : "Fenster",
                        f.caption.toUtf8().constData(), QString(f.text).replace(u'\n', QStringLiteral("\\n")).toUtf8().constData());
        return 0;
    }
    if (sources.isEmpty() || target.isEmpty() || library.isEmpty() || option(args, QStringLiteral("--cli")).isEmpty()) {
        std::fputs("Aufruf: trkdvn-handbuch --quellen QUELLORDNER --ziel ZIELORDNER --bibliothek ORDNER --cli "
                   "TRKDVN-CLI\n",
                   stderr);
        return 2;
    }
    programfonts::applyToApplication();

    QTemporaryDir scratch;
    qputenv("TRAXBUS_SIM", scratch.filePath(QStringLiteral("roster.json")).toLocal8Bit());
    QStringList problems;

    QDir().mkpath(target);
    const QString pictures = QDir(target).filePath(QStringLiteral("bilder"));
    const QStringList taken = screenshots::takeAll(pictures, library, scratch.path(), problems);

    // The examples of the command line run on a fresh roster, one after the other.
    QTemporaryDir cliFolder;
    qputenv("TRAXBUS_SIM", cliFolder.filePath(QStringLiteral("roster.json")).toLocal8Bit());

    const QDir manual(QDir(sources).filePath(QStringLiteral("Manual")));
    QFile data(manual.filePath(QStringLiteral("meldungen.json")));
    if (!data.open(QIODevice::ReadOnly)) problems.append(QStringLiteral("meldungen.json fehlt"));
    QJsonParseError error;
    const QJsonObject explanations = QJsonDocument::fromJson(data.readAll(), &error).object();
    if (error.error != QJsonParseError::NoError)
        problems.append(QStringLiteral("meldungen.json: %1 bei Zeichen %2").arg(error.errorString()).arg(error.offset));

    QFile menuData(manual.filePath(QStringLiteral("menues.json")));
    if (!menuData.open(QIODevice::ReadOnly)) problems.append(QStringLiteral("menues.json fehlt"));
    const QJsonObject menuDescriptions = QJsonDocument::fromJson(menuData.readAll(), &error).object();
    if (error.error != QJsonParseError::NoError)
        problems.append(QStringLiteral("menues.json: %1 bei Zeichen %2").arg(error.errorString()).arg(error.offset));

    const QString registerMark = QStringLiteral("<!--@@register-->");
    bool menuOverviewPlaced = false; // the overview that describes every menu item
    auto generate = [&](const QString& name, const QString& arguments) -> QString {
        if (name == QLatin1String("menues")) {
            menuOverviewPlaced = true;
            return handbook::menuOverview(menuDescriptions, problems);
        }
        if (name == QLatin1String("menue"))
            return QStringLiteral("<span class=\"menue\">%1</span>").arg(handbook::escape(handbook::menuPath(arguments, problems)));
        if (name == QLatin1String("version")) return handbook::escape(programRelease());
        if (name == QLatin1String("register")) return registerMark; // once every page is made
        if (name == QLatin1String("meldungen")) {
            handbook::MessageInputs in{messagescan::scanTree(sources, messagescan::programFolders()),
                                       handbook::libraryStatuses(library), handbook::programStatuses(),
                                       explanations};
            return handbook::messageTable(in, problems);
        }
        if (name == QLatin1String("messbereiche")) return handbook::rangeTables(QChar(u','));
        if (name == QLatin1String("modelle")) return handbook::modelTable();
        if (name == QLatin1String("bits")) return handbook::extendedBitTables();
        if (name == QLatin1String("durchfluss"))
            return handbook::flowExample(arguments.split(u' ', Qt::SkipEmptyParts), QChar(u','), problems);
        if (name == QLatin1String("cli")) return cliRun(cli, arguments, cliFolder.path(), problems);
        if (name == QLatin1String("clireferenz")) return clireference::handbookHtml();
        if (name == QLatin1String("bild")) {
            const QString picture = arguments.section(u' ', 0, 0);
            const QString caption = arguments.section(u' ', 1);
            if (!taken.contains(picture)) {
                problems.append(QStringLiteral("Bild ohne Aufnahme: %1").arg(picture));
                return {};
            }
            // The caption above the picture, where a window has its title.
            return QStringLiteral("<p class=\"bild\"><em>%2</em><br><img src=\"bilder/%1.png\" alt=\"%2\"></p>\n")
                .arg(picture, handbook::escape(caption));
        }
        problems.append(QStringLiteral("Unbekannte Markierung: %1").arg(name));
        return {};
    };

    QList<handbook::Page> pages;
    for (const QString& name : manual.entryList({QStringLiteral("*.html"), QStringLiteral("*.css")}, QDir::Files)) {
        QFile in(manual.filePath(name));
        if (!in.open(QIODevice::ReadOnly)) {
            problems.append(QStringLiteral("%1 konnte nicht gelesen werden").arg(name));
            continue;
        }
        QString text = QString::fromUtf8(in.readAll());
        // Twice: a generated part (a message's remedy) may name a menu item by its marker.
        if (name.endsWith(QLatin1String(".html")))
            text = handbook::expandMarkers(handbook::expandMarkers(text, generate), generate);
        pages.append({name, text});
    }
    const QString contents = QStringLiteral("OEM_Anleitung.html");
    QList<handbook::Page> html;
    for (handbook::Page& p : pages) {
        p.html.replace(registerMark, handbook::indexOfTerms(pages));
        if (p.name.endsWith(QLatin1String(".html"))) html.append(p);
        QFile out(QDir(target).filePath(p.name));
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(p.html.toUtf8()) < 0)
            problems.append(QStringLiteral("%1 konnte nicht geschrieben werden").arg(p.name));
    }

    // The printable edition: every page in the order of the contents, as one HTML page and as a PDF.
    const QString edition = handbook::singleEdition(handbook::inReadingOrder(html, contents), target);
    QFile single(QDir(target).filePath(handbook::kSingleEditionFile));
    if (!single.open(QIODevice::WriteOnly | QIODevice::Truncate) || single.write(edition.toUtf8()) < 0)
        problems.append(QStringLiteral("%1 konnte nicht geschrieben werden").arg(handbook::kSingleEditionFile));
    QString pdfError;
    if (!handbook::printPdf(edition, target, QDir(target).filePath(handbook::kPdfFile), pdfError))
        problems.append(pdfError);
    if (!menuOverviewPlaced) problems.append(QStringLiteral("Die Übersicht der Menüs (<!--@menues-->) fehlt im Handbuch"));
    // Last, so the links to the printable edition find it.
    handbook::checkPages(html, contents, target, problems);

    for (const QString& p : problems)
        std::fprintf(stderr, "trkdvn-handbuch: %s\n", p.toLocal8Bit().constData());
    return problems.isEmpty() ? 0 : 1;
}
