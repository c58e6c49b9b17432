#include "app/MainHandlers.h"

#include "app/BusMonitorWindow.h"
#include "app/ComPortWindow.h"
#include "app/Converters.h"
#include "app/HelpWindow.h"
#include "app/SettingsStore.h"
#include "bus/BusPort.h"
#include "app/UndoSteps.h"
#include "config/NumberFormat.h"

#include <array>
#include <optional>

namespace {

const QString kSchnittstelle = QStringLiteral("Schnittstelle\\");
const QString kSystem = QStringLiteral("System\\");
const QString kExtras = QStringLiteral("Extras\\");
const QString kSpecialFunctions = QStringLiteral("SpecialFunctions\\");
constexpr int kReadCapacity = 255;
constexpr int kWriteByteCount = 4;
constexpr int16_t kOldestVersion = 0x0162;
constexpr int kUnitCodes = 200;

// The "&Wandler" items in the order of the converter table.
std::array<MenuItem*, converters::kCount> converterItems(MainWindowModel& m) {
    return {&m.MainMenueWandlerItem0, &m.MainMenueWandlerItem1, &m.MainMenueWandlerItem2,
            &m.MainMenueWandlerItem3};
}

} // namespace

MainHandlers::MainHandlers(MainWindowModel& model, MainEnvironment environment)
    : m(model), env(std::move(environment)), actions(model, configEnvironment()),
      bus(env.makeLibrary(BusLibrary::allEntries())) {
    m.MainMenueExtras_Busmonitor.visible = env.callLog != nullptr;
    m.miKonfigurationsblattDrucken.visible = env.sheets != nullptr;
    m.miKonfigurationsblattPdf.visible = env.sheets != nullptr;
    // Without a viewer of the system's the handbook opens in the program's own window.
    if (env.prompter) HelpWindow::installAsFallback(*env.prompter);
    if (env.callLog) env.callLog->listen([this](const BusCall& call) { heard(call); });
    history.reset(m);
}

MainHandlers::~MainHandlers() = default;

void MainHandlers::beginBusRun(const QString& kind) {
    running = true;
    showProgress(kind);
    updateUndoItems();
}

void MainHandlers::endBusRun() {
    hideProgress();
    running = false;
    updateUndoItems();
}

void MainHandlers::showProgress(const QString& kind) {
    runKind = kind + QLatin1Char('/') + QString::number(m.modelCode);
    m.pbBusRun = {true, 0, exchangesOf.value(runKind, 0)};
}

void MainHandlers::hideProgress() {
    exchangesOf.insert(runKind, m.pbBusRun.position);
    m.pbBusRun = {};
}

void MainHandlers::heard(const BusCall& call) {
    auto& bar = m.pbBusRun;
    if (bar.visible && call.isExchange()) {
        ++bar.position;
        // A run that takes more exchanges than the last one keeps the bar short of its end.
        if (bar.max > 0 && bar.position >= bar.max) bar.max = bar.position + 1;
    }
    // Start-up and shutdown call the library too; only a run hands control to the window between calls.
    if (running && env.betweenCalls) env.betweenCalls();
}

void MainHandlers::MainMenueExtras_BusmonitorClick() {
    if (!env.callLog) return;
    if (!monitor) {
        const QChar separator = env.localeSeparator ? env.localeSeparator() : QLatin1Char('.');
        monitor =
            std::make_unique<BusMonitorWindow>(*env.callLog, *env.prompter, env.currentDirectory, separator);
    }
    monitor->show();
}

ConfigEnvironment MainHandlers::configEnvironment() {
    ConfigEnvironment c;
    c.prompter = env.prompter;
    c.currentDirectory = env.currentDirectory;
    c.manualFolder = env.manualFolder;
    c.readSeparator = [this]() -> std::optional<QChar> {
        QString text;
        int capacity = kReadCapacity;
        const int16_t status = env.settings->readSetting(QStringLiteral("DezimalPunktTrenner"), kSystem, text, capacity);
        if (status != 0) {
            env.settings->reportSettingsStatus(status);
            return std::nullopt;
        }
        if (text.isEmpty())
            return std::nullopt;
        return text.at(0);
    };
    c.unitTexts = [this]() {
        // A short user of the library: loaded for the query when needed, then unloaded again.
        const bool wasLoaded = bus->isBound(BusLibrary::Entry::GetUnit);
        if (!wasLoaded)
            bus->load();
        QStringList units;
        if (bus->isBound(BusLibrary::Entry::GetUnit)) {
            for (int code = 0; code < kUnitCodes; ++code) {
                const QString unit = bus->GetUnit(static_cast<int16_t>(code));
                if (unit != QLatin1String(" ") && unit != QLatin1String("?"))
                    units.append(unit);
            }
        }
        if (!wasLoaded)
            bus->unload();
        return units;
    };
    return c;
}

// --- Start-up and shutdown ------------------------------------------------------------------

void MainHandlers::FormActivate() {
    // The toolkit reports activations after every modal window; start up once.
    if (started)
        return;
    started = true;

    // The values start-up creates or refreshes reach the file in one write; a fresh account's
    // file is there before the port window waits for the user's choice.
    std::optional<SettingsStore::HeldWrites> oneWrite(std::in_place, *env.settings);
    const QChar sep = env.localeSeparator();
    env.settings->ensureSettingsKeys();
    m.MainMenueExtras_ErweiterteKonfiguration.visible = false;
    env.settings->writeSetting(QStringLiteral("DezimalPunktTrenner"), kSystem, SettingsStore::DataKind::Raw,
                               QString(sep), 2);
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
            env.prompter->show(QStringLiteral("DLL Version V") + text +
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
    if (m.MainMenueExtrasAnzeigeeinheit.checked)
        actions.aPopulateAnzeigeEinheit();
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
    if (text.startsWith(QLatin1Char('0')))
        text.remove(0, 1);
    return text;
}

void MainHandlers::closeMainWindow() {
    if (closing)
        return;
    FormClose();
    closing = true;
}

void MainHandlers::FormClose() {
    // The user's close and a close asked for by a handler write the settings once.
    if (settingsWritten)
        return;
    settingsWritten = true;
    closing = true;
    aWriteAllKeysToRegistry();
}

void MainHandlers::BeendenClick() { closeMainWindow(); }

void MainHandlers::startStatusTimer() { m.t_StatusLeisteEnabled = true; }

void MainHandlers::t_StatusLeisteTimer() {
    m.t_StatusLeisteEnabled = false;
    m.StatusBar1.panels[2] = m.lMainCaption.caption;
}

// --- Settings --------------------------------------------------------------------------------

void MainHandlers::aReadAllKeysFromRegistry() {
    struct Item {
        const char* name;
        const QString& subKey;
        std::function<void(int)> assign;
    };
    const Item items[] = {
        {"ComPort", kSchnittstelle, [this](int v) { m.comPort = static_cast<int16_t>(v); }},
        {"PegelWandler", kSchnittstelle, [this](int v) { m.converterCode = static_cast<int16_t>(v); }},
        {"GeraeteTyp", kSystem, [this](int v) { m.modelCode = v; }},
        {"AnzeigeEinheit", kExtras, [this](int v) { m.MainMenueExtrasAnzeigeeinheit.checked = v != 0; }},
        {"Konfiguration", kSpecialFunctions, [this](int v) { m.extendedConfigUnlocked = v != 0; }},
        {"LetzteKonfiguration", kSpecialFunctions,
         [this](int v) { m.MainMenueExtras_ErweiterteKonfiguration.checked = v != 0; }},
    };
    bool failed = false;
    for (const Item& item : items) {
        QString text;
        int capacity = kReadCapacity;
        const int16_t status = env.settings->readSetting(QLatin1String(item.name), item.subKey, text, capacity);
        if (status != 0) {
            env.settings->reportSettingsStatus(status);
            failed = true;
            continue;
        }
        const std::optional<int> value = NumberFormat::toInteger(text);
        if (!value) {
            // A damaged value is reported and keeps its current meaning; the others still load.
            env.prompter->show(NumberFormat::integerErrorText(text), QStringLiteral("Fehler"),
                               Prompter::Icon::Error);
            continue;
        }
        item.assign(*value);
    }
    m.lastExtendedConfigChecked = m.MainMenueExtras_ErweiterteKonfiguration.checked;
    // The window closes after the whole read: closing writes the settings, and values
    // not yet read would otherwise be overwritten with the program's defaults.
    if (failed)
        closeMainWindow();
}

void MainHandlers::aCheckAfterReadFromRegistry() {
    for (const ModelEntry* e = catalogue::begin(); e != catalogue::end(); ++e) {
        if (!e->hasContinuousOutput)
            m.modelItem(e->id).checked = false;
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
    converterItems(m)[index]->checked = true;
}

void MainHandlers::aWriteAllKeysToRegistry() {
    auto write = [this](const char* name, const QString& subKey, int value) {
        env.settings->writeSetting(QLatin1String(name), subKey, SettingsStore::DataKind::Int16, value,
                                   kWriteByteCount);
    };
    write("ComPort", kSchnittstelle, m.comPort);
    write("PegelWandler", kSchnittstelle, m.converterCode);
    write("GeraeteTyp", kSystem, m.modelCode);
    write("AnzeigeEinheit", kExtras, m.MainMenueExtrasAnzeigeeinheit.checked ? 1 : 0);
    if (!m.unlockedForSessionOnly) {
        write("Konfiguration", kSpecialFunctions, m.extendedConfigUnlocked ? 1 : 0);
        write("LetzteKonfiguration", kSpecialFunctions, m.MainMenueExtras_ErweiterteKonfiguration.checked ? 1 : 0);
    }
}

// --- Port and converter ----------------------------------------------------------------------

void MainHandlers::SchnittstelleClick() {
    const QString& port = m.StatusBar1.panels[0];
    m.mmSelectedComPort.caption = port.isEmpty() ? QStringLiteral("Kein ComPort ausgewählt") : port;
}

bool MainHandlers::showPortWindow() {
    ComPortWindow window(env.makeLibrary({BusLibrary::Entry::SearchForComPorts}), *env.settings);
    window.FormCreate();
    env.prompter->showModal(window);
    // The window closes itself only once a port is stored.
    return window.closeRequested;
}

void MainHandlers::Portauswahl1Click() {
    // Reading the settings again brings back the stored model: the window can be undone.
    // Closed without a choice, nothing was stored and nothing changes.
    step(undosteps::kPortChoice, [this] {
        if (!showPortWindow()) return;
        aReadAllKeysFromRegistry();
        aCheckAfterReadFromRegistry();
    });
}

void MainHandlers::MainMenueWandlerItemClick(int index) {
    if (index < 0 || index >= converters::kCount)
        return;
    const ConverterEntry& entry = converters::entry(index);
    m.StatusBar1.panels[1] = QString::fromUtf8(entry.clickText);
    m.converterCode = entry.code;
    const auto items = converterItems(m);
    for (int i = 0; i < converters::kCount; ++i)
        items[i]->checked = i == index;
    m.Konfigurationlesen1.enabled = true;
    m.MainMenueExtras_ErweiterteKonfiguration.enabled = true;
    env.settings->writeSetting(QStringLiteral("PegelWandler"), kSchnittstelle, SettingsStore::DataKind::Int16,
                               entry.code, 2);
}
