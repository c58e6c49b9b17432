#include "app/MainHandlers.h"

#include "app/LinePlanWindow.h"

#include "app/Converters.h"
#include "app/SettingsStore.h"
#include "bus/BusPort.h"
#include "config/NumberFormat.h"

#include <QDir>

#include <optional>

// Start-up, shutdown and the settings the window keeps between runs.

namespace {

constexpr int kWriteByteCount = 4;
constexpr int16_t kOldestVersion = 0x0162;

} // namespace

// --- Start-up and shutdown ------------------------------------------------------------------

void MainHandlers::FormActivate() {
    // The toolkit reports activations after every modal window; start up once.
    if (started) return;
    started = true;

    // The values start-up creates or refreshes reach the file in one write; a fresh account's
    // file is there before the port window waits for the user's choice.
    std::optional<SettingsStore::HeldWrites> oneWrite(std::in_place, *env.settings);
    const QChar sep = env.localeSeparator();
    env.settings->ensureSettingsKeys();
    m.MainMenueExtras_ErweiterteKonfiguration.visible = false;
    env.settings->writeSetting(QStringLiteral("DezimalPunktTrenner"), SettingsStore::kSystem,
                               SettingsStore::DataKind::Raw, QString(sep), 2);
    aReadAllKeysFromRegistry();
    m.modelItem(ModelId::TRK520PIDXAO).visible = false;
    m.modelItem(ModelId::TRK520PIDXAOV).visible = false;
    for (NumericField* f : m.numericFields())
        f->Seperator = QString(sep);
    m.neFilter.text = sep == QLatin1Char('.') ? QStringLiteral("0.1") : QStringLiteral("0,1");
    for (const ModelEntry* e = catalogue::begin(); e != catalogue::end(); ++e)
        m.modelItem(e->id).caption = QString::fromUtf8(e->caption);

    if (m.comPort <= 0) {
        oneWrite.reset();
        showPortWindow();
        oneWrite.emplace(*env.settings);
        aReadAllKeysFromRegistry();
    }
    if (m.comPort > 0) {
        m.StatusBar1.panels[0] = QStringLiteral("COM%1").arg(m.comPort);
        m.Konfigurationlesen1.enabled = true;
        m.MainMenueExtras_ErweiterteKonfiguration.enabled = true;
    }
    m.cpAnzeigeDp.setItemIndex(0);

    bus::aDLLDynamischLaden(*bus, *env.prompter);
    if (bus->isBound(BusLibrary::Entry::GetVersionNumber)) {
        const uint16_t version = bus->GetVersionNumber();
        const QString text = versionText(version);
        m.StatusBar1.panels[3] = QStringLiteral("DLL: V") + text;
        if (static_cast<int16_t>(version) < kOldestVersion) {
            env.prompter->show(
                QStringLiteral("DLL Version V") + text +
                    QStringLiteral(" nicht mehr unterstützt!\nDLL Version sollte mindestens V1.62 "
                                   "sein.\nProgramm wird beendet"),
                QStringLiteral("Fehler"), Prompter::Icon::Error);
            closeMainWindow();
        }
    } else {
        closeMainWindow();
    }
    bus::aDLLDynamischEntladen(*bus);

    aCheckAfterReadFromRegistry();
    // A display unit extra restored as switched on needs its unit list, as switching it on does.
    if (m.MainMenueExtrasAnzeigeeinheit.checked) actions.aPopulateAnzeigeEinheit();
    actions.aSetAll();
    actions.aCheckSpecialFunctions();
    actions.aCheckSpecialFunctionsPanel();
    actions.aAlignPanels();
    // The history starts with the window as start-up left it.
    history.reset(m);
    updateUndoItems();
}

QString MainHandlers::versionText(uint16_t version) {
    QString text = QStringLiteral("%1").arg(version, 4, 16, QLatin1Char('0')).toUpper();
    text.insert(2, QLatin1Char('.'));
    if (text.startsWith(QLatin1Char('0'))) text.remove(0, 1);
    return text;
}

void MainHandlers::closeMainWindow() {
    if (closing) return;
    FormClose();
    closing = true;
}

void MainHandlers::FormClose() {
    // The user's close and a close asked for by a handler write the settings once.
    if (settingsWritten) return;
    settingsWritten = true;
    closing = true;
    aWriteAllKeysToRegistry();
}

void MainHandlers::BeendenClick() {
    if (!FormCloseQuery()) return;
    closeMainWindow();
}

bool MainHandlers::FormCloseQuery() {
    if (!running) return unwrittenMayBeLost();
    if (quitAfterRun) return false; // asked already: it ends after this instrument
    const QString text = QStringLiteral("Das Programm arbeitet gerade mit dem Bus. Ein Abbruch mitten im Schreiben "
                                        "ließe ein Gerät unvollständig programmiert zurück.\n\nNach diesem Gerät "
                                        "abbrechen: das Gerät in Arbeit wird fertig programmiert und geprüft, kein "
                                        "weiteres begonnen, dann wird das Programm beendet.");
    if (!askStopAfterInstrument(*env.prompter, QStringLiteral("Programm beenden"), text)) return false;
    quitAfterRun = true;
    if (openLine) openLine->stopAfterInstrument();
    return false;
}

bool MainHandlers::unwrittenMayBeLost() {
    // Entries the archive could not take live only in this program: closing loses them.
    while (env.record && env.record->pending() > 0 && !lossAccepted) {
        Prompter::Message question;
        question.caption = QStringLiteral("Gerätearchiv");
        question.icon = Prompter::Icon::Warning;
        question.text = QStringLiteral("%1 Einträge konnten nicht in das Gerätearchiv %2 geschrieben werden: %3.\n\n"
                                       "Beim Beenden gehen sie verloren.")
                            .arg(env.record->pending())
                            .arg(QDir::toNativeSeparators(env.record->file()), env.record->writeFailure());
        question.buttons = {Prompter::Button::Yes, Prompter::Button::No, Prompter::Button::Cancel};
        question.buttonTexts.insert(Prompter::Button::Yes, QStringLiteral("Erneut versuchen"));
        question.buttonTexts.insert(Prompter::Button::No, QStringLiteral("Trotzdem beenden"));
        question.buttonTexts.insert(Prompter::Button::Cancel, QStringLiteral("Nicht beenden"));
        question.defaultButton = Prompter::Button::Yes;
        const Prompter::Button answer = env.prompter->message(question);
        if (answer == Prompter::Button::Cancel) return false;
        if (answer == Prompter::Button::No) lossAccepted = true;
        if (answer == Prompter::Button::Yes) env.record->retry();
    }
    return true;
}

void MainHandlers::endOfRun() {
    if (quitAfterRun && !running) closeMainWindow();
}

// --- Settings --------------------------------------------------------------------------------

void MainHandlers::aReadAllKeysFromRegistry() {
    struct Item {
        const char* name;
        const QString& subKey;
        std::function<void(int)> assign;
    };
    const Item items[] = {
        {"ComPort", SettingsStore::kSchnittstelle, [this](int v) { m.comPort = static_cast<int16_t>(v); }},
        {"PegelWandler", SettingsStore::kSchnittstelle,
         [this](int v) { m.converterCode = static_cast<int16_t>(v); }},
        {"GeraeteTyp", SettingsStore::kSystem, [this](int v) { m.modelCode = v; }},
        {"AnzeigeEinheit", SettingsStore::kExtras,
         [this](int v) { m.MainMenueExtrasAnzeigeeinheit.checked = v != 0; }},
        {"Konfiguration", SettingsStore::kSpecialFunctions,
         [this](int v) { m.extendedConfigUnlocked = v != 0; }},
        {"LetzteKonfiguration", SettingsStore::kSpecialFunctions,
         [this](int v) { m.MainMenueExtras_ErweiterteKonfiguration.checked = v != 0; }},
    };
    bool failed = false;
    for (const Item& item : items) {
        const std::optional<QString> stored = env.settings->readValue(QLatin1String(item.name), item.subKey);
        if (!stored) {
            failed = true;
            continue;
        }
        const std::optional<int> value = NumberFormat::toInteger(*stored);
        if (!value) {
            // A damaged value is reported and keeps its current meaning; the others still load.
            env.prompter->show(NumberFormat::integerErrorText(*stored), QStringLiteral("Fehler"),
                               Prompter::Icon::Error);
            continue;
        }
        item.assign(*value);
    }
    m.lastExtendedConfigChecked = m.MainMenueExtras_ErweiterteKonfiguration.checked;
    // Stored as switched off, so that the value the store makes for a missing key (0) keeps the
    // read-back on; newer than the keys above, it never closes the window.
    if (const std::optional<QString> off = env.settings->readValue(QStringLiteral("PruefungNachProgrammierenAus"),
                                                                   SettingsStore::kExtras))
        m.miPruefenNachProgrammieren.checked = NumberFormat::toInteger(*off).value_or(0) == 0;
    // The window closes after the whole read: closing writes the settings, and values
    // not yet read would otherwise be overwritten with the program's defaults.
    if (failed) closeMainWindow();
}

void MainHandlers::aCheckAfterReadFromRegistry() {
    for (const ModelEntry* e = catalogue::begin(); e != catalogue::end(); ++e) {
        if (!e->hasContinuousOutput) m.modelItem(e->id).checked = false;
    }
    const bool havePort = m.comPort > 0;
    m.StatusBar1.panels[0] = havePort ? QStringLiteral("COM%1").arg(m.comPort) : QStringLiteral("COM?");
    m.Konfigurationlesen1.enabled = havePort;
    m.MainMenueExtras_ErweiterteKonfiguration.enabled = havePort;

    actions.restoreStoredModel(m.modelCode);

    int index = converters::indexOf(m.converterCode);
    if (index < 0) {
        index = 0;
        m.converterCode = converters::kFallbackCode;
    }
    m.StatusBar1.panels[1] = QString::fromUtf8(converters::entry(index).restoreText);
    converters::menuItems(m)[index]->checked = true;
}

void MainHandlers::aWriteAllKeysToRegistry() {
    auto write = [this](const char* name, const QString& subKey, int value) {
        env.settings->writeSetting(QLatin1String(name), subKey, SettingsStore::DataKind::Int16, value,
                                   kWriteByteCount);
    };
    write("ComPort", SettingsStore::kSchnittstelle, m.comPort);
    write("PegelWandler", SettingsStore::kSchnittstelle, m.converterCode);
    write("GeraeteTyp", SettingsStore::kSystem, m.modelCode);
    write("AnzeigeEinheit", SettingsStore::kExtras, m.MainMenueExtrasAnzeigeeinheit.checked ? 1 : 0);
    write("PruefungNachProgrammierenAus", SettingsStore::kExtras, m.miPruefenNachProgrammieren.checked ? 0 : 1);
    if (!m.unlockedForSessionOnly) {
        write("Konfiguration", SettingsStore::kSpecialFunctions, m.extendedConfigUnlocked ? 1 : 0);
        write("LetzteKonfiguration", SettingsStore::kSpecialFunctions,
              m.MainMenueExtras_ErweiterteKonfiguration.checked ? 1 : 0);
    }
}
