#include "cli/Session.h"

#include "app/ProgramPaths.h"
#include "bus/LibraryBinding.h"
#include "bus/LoggingLibrary.h"
#include "cli/Output.h"
#include "files/D20Reader.h"
#include "files/WordReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QLocale>
#include <QThread>

#include <cstdio>
#include <unistd.h>

namespace {

class SystemClock : public Clock {
  public:
    void sleep(int milliseconds) override { QThread::msleep(static_cast<unsigned long>(milliseconds)); }
};

QString compact(QString name) {
    name.remove(QLatin1Char(' '));
    name.remove(QLatin1Char('-'));
    return name.toLower();
}

} // namespace

const ModelEntry* modelByName(const QString& name) {
    const QString wanted = compact(name);
    for (const ModelEntry* e = catalogue::begin(); e != catalogue::end(); ++e)
        if (compact(QString::fromUtf8(e->caption)) == wanted ||
            compact(QString::fromUtf8(e->menuItem)) == wanted)
            return e;
    return nullptr;
}

QString modelName(const ModelEntry& model) {
    return QString::fromUtf8(model.caption);
}

Session::Session(const CommonOptions& options, int16_t port, SheetPrinter* sheets)
    : opts(options), clock(std::make_unique<SystemClock>()) {
    p.clearLine = isatty(fileno(stderr));
    p.answerYes = opts.yes;
    if (!opts.reason.isEmpty()) p.textAnswer = opts.reason;
    const ProgramPaths paths = ProgramPaths::forApplication();
    if (opts.useSettings) {
        // Folders are built from the program's working folder, never from wherever the
        // script happens to run.
        store = std::make_unique<SettingsStore>(SettingsStore::defaultPath(), p,
                                                [working = paths.workingFolder()] { return working; });
        if (!paths.usesProgramFolder()) {
            // Installed: a fresh account gets the same folders the window would give it.
            paths.makeUserFolders();
            store->setManualFolder(paths.manualFolder());
        }
    } else {
        // Settings of this run only, in memory: a script never changes what the window finds,
        // and a read-only command writes nothing but its output.
        store = std::make_unique<SettingsStore>(QString(), p, [] { return QDir::currentPath(); });
        store->ensureSettingsKeys();
        keep("ComPort", port);
        keep("PegelWandler", opts.converter < 0 ? 0 : opts.converter);
    }

    MainEnvironment env;
    env.prompter = &p;
    env.settings = store.get();
    env.clock = clock.get();
    env.makeLibrary = libraryFactory();
    env.sheets = sheets;
    env.record = opts.record;
    const std::optional<QChar> sep = opts.separator;
    env.localeSeparator = [sep] {
        if (sep) return *sep;
        const QString point = QLocale::system().decimalPoint();
        return point.isEmpty() ? QLatin1Char('.') : point.at(0);
    };
    // Without the window's settings nothing is stored, so the shell's folder is only a default.
    env.currentDirectory = opts.useSettings ? paths.workingFolder() : QDir::currentPath();
    h = std::make_unique<MainHandlers>(m, env);
    // On a terminal the status bar's text and the exchanges so far stand on one line of stderr.
    if (p.clearLine) progressLine = h->onStatusBarRepaint([this] { showProgress(); });
    h->FormActivate();

    // With the user's settings, the options still say which port and converter this run uses,
    // and they are kept as the port window keeps a choice. The files a script names do not
    // move the window's configuration folder.
    if (opts.useSettings) {
        if (port > 0) {
            m.comPort = port;
            keep("ComPort", port);
        }
        if (opts.converter >= 0) {
            m.converterCode = opts.converter;
            keep("PegelWandler", opts.converter);
        }
        configFolder = store->configFolder();
    }
}

void Session::keep(const char* name, int16_t value) {
    store->writeSetting(QLatin1String(name), SettingsStore::kSchnittstelle, SettingsStore::DataKind::Int16,
                        value, 4);
}

void Session::showProgress() {
    const QString what = progressText.isEmpty() ? panel() : progressText;
    const QString text = step > 0 && countSteps ? QStringLiteral("%1 … Schritt %2").arg(what).arg(step) : what;
    if (text == shownProgress) return;
    shownProgress = text;
    std::fprintf(stderr, "\r\033[K%s", text.toLocal8Bit().constData());
    std::fflush(stderr);
}

void Session::showOwnProgress(const QString& text) {
    if (!p.clearLine) return;
    progressText = text;
    countSteps = false;
    showProgress();
}

void Session::clearProgress() {
    if (!p.clearLine) return;
    std::fputs("\r\033[K", stderr);
    shownProgress.clear();
}

Session::~Session() {
    if (opts.useSettings && !configFolder.isEmpty()) {
        if (store->configFolder() != configFolder)
            store->writeFolderSetting(configFolder, SettingsStore::kConfig1Path);
    }
    if (p.clearLine) std::fputs("\r\033[K", stderr);
}

LibraryFactory Session::libraryFactory() {
    QStringList folders = ProgramPaths::forApplication().libraryFolders();
    if (!opts.library.isEmpty()) {
        const QFileInfo info(opts.library);
        // A path that is not there is taken as the folder it names, so the message names it.
        folders = {info.isFile() ? info.absolutePath() : info.absoluteFilePath()};
    }
    const QString trace = opts.trace;
    const bool progress = p.clearLine;
    if (!trace.isEmpty() && !traceHeard) {
        traceHeard = true;
        calls.listen([trace](const BusCall& call) {
            cliout::appendTrace(trace, QJsonDocument(call.toJson()).toJson(QJsonDocument::Compact) + '\n');
        });
    }
    if (progress && !progressHeard) {
        progressHeard = true;
        calls.listen([this](const BusCall& call) {
            if (qstrcmp(call.fn, "TBOpenCom") == 0) step = 0;
            if (!call.isExchange()) return;
            ++step;
            showProgress();
        });
    }
    CallLog* log = &calls;
    return [folders, log, logged = !trace.isEmpty() || progress](
               const QList<BusLibrary::Entry>& entries) -> std::unique_ptr<BusLibrary> {
        auto binding = std::make_unique<LibraryBinding>(folders, entries);
        if (!logged) return binding;
        return std::make_unique<LoggingLibrary>(std::move(binding), *log);
    };
}

void Session::chooseModel(const ModelEntry& model) {
    h->menuModelClick(QString::fromUtf8(model.menuItem));
}

int16_t Session::readInstrument() {
    m.busAddress = opts.address;
    m.addressChosen = opts.addressChosen;
    h->Konfigurationlesen1Click();
    return h->lastBusStatus();
}

int16_t Session::programInstrument() {
    m.busAddress = opts.address;
    m.addressChosen = opts.addressChosen;
    // The command is the user's "Programmieren": what it changes is shown, not asked.
    p.answers.insert(QStringLiteral("Programmieren?"), Prompter::Button::Yes);
    h->miKonfigurationprogrammieren1Click();
    return h->lastBusStatus();
}

bool Session::loadFile(const QString& path, bool echo) {
    const QString question = QStringLiteral("Diese Datei laden?");
    p.openAnswers = {QFileInfo(path).absoluteFilePath()};
    p.answers.insert(question, Prompter::Button::Yes);
    if (echo)
        p.unheard.remove(question);
    else
        p.unheard.insert(question);
    h->lesen1Click();
    return h->lastFileOutcome().done();
}

// "-" stands for stdout: the file is written as the window writes it, then copied there.
QString Session::target(const QString& path, const char* suffix) const {
    if (path != QLatin1String("-")) return QFileInfo(path).absoluteFilePath();
    // Made only for this case, so other runs leave the temporary folder alone.
    if (!stdoutFolder) stdoutFolder = std::make_unique<QTemporaryDir>();
    return QDir(stdoutFolder->path()).filePath(QStringLiteral("stdout.") + QLatin1String(suffix));
}

bool Session::handOver(const QString& path, const QString& written) {
    if (!h->lastFileOutcome().done()) return false;
    if (path != QLatin1String("-")) return true;
    QFile f(written);
    if (!f.open(QIODevice::ReadOnly)) return false;
    cliout::outBytes(f.readAll());
    return true;
}

bool Session::saveFile(const QString& path, const QString* comment) {
    const QString file = target(path, "d20");
    p.saveAnswers = {file};
    p.haveComment = comment != nullptr;
    if (comment) p.comment = *comment;
    h->miDatenspeichernClick();
    p.haveComment = false;
    return handOver(path, file);
}

bool Session::saveSheet(const QString& path) {
    const QString file = target(path, "pdf");
    p.saveAnswers = {file};
    h->miKonfigurationsblattPdfClick();
    return handOver(path, file);
}

QString Session::startFailure() {
    if (started()) return {};
    const QString why = h->library().loadError();
    return QStringLiteral("Die Bus-Bibliothek konnte nicht geladen werden.") +
           (why.isEmpty() ? QString() : QLatin1Char('\n') + why);
}

std::optional<QChar> separatorOfFile(const CommonOptions& options, const QString& file) {
    if (options.separator) return options.separator;
    const std::optional<QByteArray> bytes = WordReader::readFile(file);
    return bytes ? D20Reader::declaredSeparator(*bytes) : std::nullopt;
}
