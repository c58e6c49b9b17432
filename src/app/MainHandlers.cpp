#include "app/MainHandlers.h"

#include "app/BusMonitorWindow.h"
#include "app/FieldList.h"
#include "app/HelpWindow.h"
#include "app/LiveValueSession.h"
#include "app/SettingsStore.h"

namespace {

constexpr int kUnitCodes = 200;

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
        const std::optional<QString> stored =
            env.settings->readValue(QStringLiteral("DezimalPunktTrenner"), SettingsStore::kSystem);
        if (!stored || stored->isEmpty())
            return std::nullopt;
        return stored->at(0);
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

// --- Status bar -------------------------------------------------------------------------------

void MainHandlers::startStatusTimer() { m.t_StatusLeisteEnabled = true; }

void MainHandlers::t_StatusLeisteTimer() {
    m.t_StatusLeisteEnabled = false;
    m.StatusBar1.panels[2] = m.lMainCaption.caption;
}
