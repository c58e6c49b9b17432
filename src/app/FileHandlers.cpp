#include "app/MainHandlers.h"

#include "app/SettingsStore.h"
#include "app/UndoSteps.h"
#include "files/CommentFile.h"
#include "files/CommentWindow.h"
#include "files/D20Format.h"
#include "files/D20Reader.h"
#include "files/D20Writer.h"
#include "files/FileWriter.h"
#include "files/TaggedValue.h"
#include "files/WordReader.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

// The chosen file's folder (up to and including the last separator) becomes the
// configuration folder when it differs from the stored one.
void followChosenFolder(SettingsStore& settings, QString& folder, const QString& fileName) {
    const QString path = QDir::toNativeSeparators(fileName);
    const QString chosen = path.left(path.lastIndexOf(QDir::separator()) + 1);
    if (chosen.isEmpty() || chosen == folder) return;
    folder = chosen;
    settings.writeFolderSetting(folder, SettingsStore::kConfig1Path);
}

// The file name as the status bar shows it: without the configuration folder in front.
QString shownName(const QString& fileName, const QString& folder) {
    const QString path = QDir::toNativeSeparators(fileName);
    return !folder.isEmpty() && path.startsWith(folder) ? path.mid(folder.size()) : path;
}

Prompter::Button askYesNo(Prompter& prompter, const QString& text, const QString& caption) {
    Prompter::Message msg;
    msg.text = text;
    msg.caption = caption;
    msg.icon = Prompter::Icon::Question;
    msg.buttons = {Prompter::Button::Yes, Prompter::Button::No};
    msg.defaultButton = Prompter::Button::Yes;
    return prompter.message(msg);
}

const QString kFaulty = QStringLiteral("fehlerhafte Datei");

// What the configuration sheet says about a loaded file.
void rememberFile(MainWindowModel::ConfigSource& source, const QString& fileName,
                  const QByteArray& fileBytes) {
    source = {};
    source.kind = MainWindowModel::ConfigSource::Kind::File;
    source.fileName = QDir::toNativeSeparators(fileName);
    QString value;
    if (readTaggedValue(QStringLiteral("Datum"), value, fileBytes) >= 0) source.fileDate = value.trimmed();
    if (readTaggedValue(QStringLiteral("Kommentar"), value, fileBytes) >= 0) source.comment = value.trimmed();
}

} // namespace

// "Konfiguration &speichern": `KonfigurationInDateiSpeichernExecute`.
void MainHandlers::miDatenspeichernClick() {
    // A filter still being typed counts as entered.
    if (m.teFilter.visible) actions.teFilterExit();
    actions.aSetAll();
    const QChar sep = env.localeSeparator();

    QString folder = env.settings->configFolder();
    const QString fileName = env.prompter->saveFileName(folder, d20::kFilter, d20::kSuffix);
    fileOutcome = {FileOutcome::Result::Cancelled, fileName, {}};
    if (!fileName.isEmpty()) {
        followChosenFolder(*env.settings, folder, fileName);

        // The comment is handed over in a folder made for this save alone and removed with it:
        // neither a comment of an earlier save nor a file of the user's can get into the header.
        const QTemporaryDir handOver;
        QString comment = QStringLiteral(" "); // no comment given
        if (handOver.isValid()) {
            CommentWindow window([&handOver] { return handOver.path(); });
            env.prompter->showModal(window);
            comment = commentfile::read(handOver.path());
        } else {
            env.prompter->show(
                QStringLiteral("Für den Datei-Kommentar kann kein temporärer Ordner angelegt werden "
                               "(%1).\nDie Datei wird ohne Kommentar gespeichert.")
                    .arg(QDir::toNativeSeparators(QDir::tempPath())),
                QStringLiteral("Hinweis"), Prompter::Icon::Information);
        }

        const D20Header header{QDate::currentDate(), comment, D20Writer::platformUserName()};
        const D20Writer writer(m, sep);
        const QByteArray bytes = writer.contents(header);
        const filewriter::Result written = filewriter::replace(fileName, bytes);
        const QString name = shownName(fileName, folder);
        if (written.ok) {
            if (const QString notice = writer.commentNotice(header); !notice.isEmpty())
                env.prompter->show(notice, QStringLiteral("Hinweis"), Prompter::Icon::Information);
            m.StatusBar1.panels[2] = QStringLiteral("Datei: ") + name + QStringLiteral(" gespeichert");
            fileOutcome.result = FileOutcome::Result::Done;
        } else {
            fileOutcome = {FileOutcome::Result::Failed, fileName, written.reason};
            env.prompter->show(QStringLiteral("Die Datei %1 konnte nicht gespeichert werden.\n%2")
                                   .arg(QDir::toNativeSeparators(fileName), written.reason),
                               QStringLiteral("Fehler"), Prompter::Icon::Error);
            m.StatusBar1.panels[2] = QStringLiteral("Datei: ") + name + QStringLiteral(" nicht gespeichert");
        }
    }
    startStatusTimer();
}

// "Konfiguration &lesen": `KonfigurationVonDateiLesenExecute`.
// A load that changed the window, completely or up to a damaged line, is one step.
void MainHandlers::lesen1Click() {
    commitEdits();
    if (!m.extendedConfigUnlocked) m.MainMenueExtras_ErweiterteKonfiguration.checked = false;

    QString folder = env.settings->configFolder();
    const QString fileName = env.prompter->openFileName(folder, d20::kFilter, d20::kSuffix);
    bool convert = false; // an old file is saved again at once in the current format
    fileOutcome = {FileOutcome::Result::Cancelled, fileName, {}};
    if (!fileName.isEmpty()) {
        followChosenFolder(*env.settings, folder, fileName);
        const QChar sep = env.localeSeparator();

        bool proceed = true;
        // Read once: the question, the data, the sheet's details and the extended words.
        const std::optional<QByteArray> bytes = WordReader::readFile(fileName);
        const QByteArray fileBytes = bytes.value_or(QByteArray());
        WordReader words(fileBytes);
        if (!bytes) {
            const QString reason = QStringLiteral("Die Datei %1 konnte nicht geöffnet werden.")
                                       .arg(QDir::toNativeSeparators(fileName));
            env.prompter->show(reason, QStringLiteral("Fehler"), Prompter::Icon::Error);
            fileOutcome = {FileOutcome::Result::Failed, fileName, reason};
            m.StatusBar1.panels[2] = kFaulty;
            proceed = false;
        } else if (const D20Reader::Header header = D20Reader::header(fileBytes); header.hasVersion) {
            if (askYesNo(*env.prompter, header.information, QStringLiteral("Diese Datei laden?")) ==
                Prompter::Button::Yes) {
                D20Reader::skipHeader(words);
            } else {
                m.StatusBar1.panels[2] = QStringLiteral("Datei nicht geladen - Abbruch durch Benutzer");
                proceed = false;
            }
        } else if (askYesNo(
                       *env.prompter,
                       QStringLiteral("Diese Datei wurde nicht mit dieser Version des Programms erstellt!\n"
                                      "Möglicherweise ist diese Datei von einer älteren Version erzeugt "
                                      "worden.\nSoll das Programm versuchen die Datei dennoch "
                                      "einzulesen?\nWenn dies gelingt, wird die Datei durch "
                                      "anschliessendes Speichern auf den aktuellen Stand gebracht!"),
                       QStringLiteral("Ohne Überpfügung öffnen?")) == Prompter::Button::Yes) {
            // An old file starts directly with the format word.
            m.StatusBar1.panels[2] = QStringLiteral("Dateiwiederherstellung läuft");
            convert = true;
        } else {
            m.StatusBar1.panels[2] = kFaulty;
            fileOutcome = {FileOutcome::Result::Failed, fileName, kFaulty};
            proceed = false;
        }

        if (proceed) {
            readConfiguration(words, fileBytes, [&](D20Reader::Result result) {
                if (result == D20Reader::Result::Loaded) {
                    m.StatusBar1.panels[2] =
                        QStringLiteral("Datei: ") + shownName(fileName, folder) + QStringLiteral(" geladen");
                    rememberFile(m.source, fileName, fileBytes);
                    fileOutcome.result = FileOutcome::Result::Done;
                } else {
                    m.StatusBar1.panels[2] = kFaulty;
                    fileOutcome = {FileOutcome::Result::Failed, fileName, kFaulty};
                    convert = false;
                    if (result == D20Reader::Result::Damaged) m.source = {};
                    // A file written with the other separator is refused: the user is told why.
                    if (result == D20Reader::Result::Rejected) {
                        const std::optional<QChar> written = D20Reader::declaredSeparator(fileBytes);
                        if (written && *written != sep) {
                            fileOutcome.reason = D20Reader::separatorMismatchText(*written, sep);
                            env.prompter->show(fileOutcome.reason, QStringLiteral("Fehler"),
                                               Prompter::Icon::Error);
                        }
                    }
                }
            });
        }
    }
    startStatusTimer();
    if (convert) {
        // The outcome stays the load's: the converted copy is a save of its own.
        const FileOutcome loaded = fileOutcome;
        miDatenspeichernClick();
        fileOutcome = loaded;
    }
    recordStep(undosteps::kFileLoad);
}

D20Reader::Result MainHandlers::readConfiguration(WordReader& words, const QByteArray& fileBytes,
                                                  const std::function<void(D20Reader::Result)>& read) {
    const QChar sep = env.localeSeparator();
    D20Reader reader(actions, *env.prompter, sep);
    const D20Reader::Result result = reader.read(words);
    read(result);
    if (m.teFilter.visible) actions.teFilterExit();
    actions.aSetAll();
    // A damaged file stops where it broke; a rejected one still brings its extended words.
    if (result != D20Reader::Result::Damaged) reader.applySpecialFunctions(fileBytes);
    actions.aCheckSpecialFunctionsPanel();
    actions.aAlignPanels();
    return result;
}

// "In das Fenster laden" of the archive window: the entry's bytes are a d20 file this program
// wrote, read as a chosen file is (the model switched with it), without the file's question.
bool MainHandlers::loadRecorded(const RecordEntry& entry) {
    if (running) return false;
    commitEdits();
    if (!m.extendedConfigUnlocked) m.MainMenueExtras_ErweiterteKonfiguration.checked = false;
    WordReader words(entry.configuration);
    if (D20Reader::header(entry.configuration).hasVersion) D20Reader::skipHeader(words);
    const D20Reader::Result result = readConfiguration(words, entry.configuration, [&](D20Reader::Result r) {
        if (r == D20Reader::Result::Loaded) {
            m.StatusBar1.panels[2] = QStringLiteral("Eintrag %1 aus dem Gerätearchiv geladen").arg(entry.id);
            // The sheet names it as the file it is: the bytes a save of that day wrote.
            rememberFile(m.source, QStringLiteral("Gerätearchiv, Eintrag %1").arg(entry.id),
                         entry.configuration);
            return;
        }
        m.StatusBar1.panels[2] = kFaulty;
        if (r == D20Reader::Result::Damaged) m.source = {};
        // Saved under another decimal separator than the system's now: refused as such a file is.
        const std::optional<QChar> written = D20Reader::declaredSeparator(entry.configuration);
        if (r == D20Reader::Result::Rejected && written && *written != env.localeSeparator())
            env.prompter->show(D20Reader::separatorMismatchText(*written, env.localeSeparator()),
                               QStringLiteral("Fehler"), Prompter::Icon::Error);
    });
    startStatusTimer();
    recordStep(undosteps::kArchiveLoad);
    return result == D20Reader::Result::Loaded;
}
