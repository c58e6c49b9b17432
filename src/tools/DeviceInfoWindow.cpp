#include "tools/DeviceInfoWindow.h"

#include "bus/BusPort.h"
#include "tools/ToolBus.h"

DeviceInfoWindow::DeviceInfoWindow(const QString& caption, std::unique_ptr<BusLibrary> lib,
                                   BusLibrary& mainLib, Prompter& p, Clock& c)
    : BusToolWindow(caption, std::move(lib), p), mainLibrary(mainLib), clock(c) {
    Panel1.name = QStringLiteral("Panel1");
    Panel1.labelCaption = QStringLiteral("Geräte Informationen");
    l_Adresse.name = QStringLiteral("l_Adresse");
    l_IDNummer.name = QStringLiteral("l_IDNummer");
    l_GeraeteTyp.name = QStringLiteral("l_GeraeteTyp");
    setInformationShown(false);
    b_Informationen.name = QStringLiteral("b_Informationen");
    b_Informationen.caption = QStringLiteral("Informationen Einlesen");
    b_Informationen.hint =
        QStringLiteral("\"Liest Geräteinformationen aus. Wenn ein Gerät gefunden wurde, werden die "
                       "Buttons freigegeben.\"");
}

int16_t DeviceInfoWindow::openPort() {
    return bus::openBusPort(mainLibrary, comPort, converterCode, clock);
}

bus::Reached DeviceInfoWindow::reachInstrument(bool askAddress, std::function<int16_t(int16_t)> afterOpen) {
    bus::ReachPlan plan;
    plan.comPort = comPort;
    plan.converterCode = converterCode;
    plan.clock = &clock;
    plan.portLibrary = &mainLibrary;
    plan.askAddress = askAddress;
    plan.afterOpen = std::move(afterOpen);
    return bus::reachInstrument(*library, plan, currentAddress, ops);
}

void DeviceInfoWindow::setInformationShown(bool shown) {
    l_Adresse.visible = shown;
    l_IDNummer.visible = shown;
    l_GeraeteTyp.visible = shown;
}

void DeviceInfoWindow::takeIdentity() {
    idNumber = ops.integer;
    l_IDNummer.caption = toolbus::idText(idNumber);
    l_Adresse.caption = toolbus::addressText(currentAddress);
}

void DeviceInfoWindow::closeWindow(bool& changed, const QString& notice) {
    if (!changed) {
        prompter.show(notice, QStringLiteral("Hinweis"), Prompter::Icon::Information);
        changed = true;
    }
    if (aDLLDynamischLaden()) closePortAndUnload();
}
