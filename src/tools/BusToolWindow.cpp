#include "tools/BusToolWindow.h"

#include "bus/BusPort.h"
#include "tools/ToolBus.h"

QList<BusLibrary::Entry> BusToolWindow::entries() {
    using E = BusLibrary::Entry;
    return {E::TBReadID,       E::TBSysinit, E::TBTransmit,        E::TBCloseCom,
            E::GetMeasurement, E::TBOpenCom, E::GetVersionNumber,  E::SearchForComPorts,
            E::GetUnit,        E::GetType,   E::GetErrorMessageRet};
}

BusToolWindow::BusToolWindow(const QString& c, std::unique_ptr<BusLibrary> lib, Prompter& p)
    : caption(c), library(std::move(lib)), prompter(p) {
    StatusBar1.name = QStringLiteral("StatusBar1");
}

bool BusToolWindow::aDLLDynamischLaden() {
    return bus::aDLLDynamischLaden(*library, prompter);
}

void BusToolWindow::aDLLDynamischEntladen() {
    bus::aDLLDynamischEntladen(*library);
}

void BusToolWindow::closePortAndUnload() {
    library->TBCloseCom();
    aDLLDynamischEntladen();
}

void BusToolWindow::showError(int16_t status) {
    toolbus::showError(*library, prompter, status);
}

std::optional<int16_t> BusToolWindow::fieldAddress(const TextField& field, int lowest) {
    const std::optional<int16_t> value = toolfields::addressValue(field.text);
    if (value && *value >= lowest) return value;
    prompter.show(toolfields::notANumberText(field.text), QStringLiteral("Fehler"), Prompter::Icon::Warning);
    return std::nullopt;
}

bool BusToolWindow::filterKey(TextField& field, KeyFilter filter, QChar key, int selStart, int selLength,
                              int caret) {
    const toolfields::KeyResult r = filter(field.text, selStart, selLength, caret, key);
    if (r.accepted) field.text = r.text;
    return r.accepted;
}
