#include "tools/SelectAddressWindow.h"

#include "bus/Reach.h"
#include "config/ModelCatalogue.h"
#include "tools/ToolBus.h"

bool SelectAddressWindow::isSupportedFamily(int32_t n) {
    // Bit tests, not a comparison of the family field: any word with these bits set passes.
    for (int32_t family : {kFamilyDvn500, kFamilyTrk520, kFamilyDvn20}) {
        if ((n & family) == family) return true;
    }
    return false;
}

SelectAddressWindow::SelectAddressWindow(std::unique_ptr<BusLibrary> lib, Prompter& p)
    : BusToolWindow(QStringLiteral("Geräteadresse Auswählen"), std::move(lib), p) {
    ls_Adresse.name = QStringLiteral("ls_Adresse");
    ls_Adresse.caption = QStringLiteral("Adresse:");
    te_SelectedDeviceAddress.name = QStringLiteral("te_SelectedDeviceAddress");
    te_SelectedDeviceAddress.text = QStringLiteral("0");
    btn_Check.name = QStringLiteral("btn_Check");
    btn_Check.caption = QStringLiteral("Prüfen");
    ls_GeraeteTyp.name = QStringLiteral("ls_GeraeteTyp");
    ls_GeraeteTyp.caption = QStringLiteral("Gerätetyp:");
    l_Geraetetyp.name = QStringLiteral("l_Geraetetyp");
    l_Geraetetyp.visible = false;
    ls_SerienNummer.name = QStringLiteral("ls_SerienNummer");
    ls_SerienNummer.caption = QStringLiteral("Seriennummer:");
    l_Seriennummer.name = QStringLiteral("l_Seriennummer");
    l_Seriennummer.visible = false;
    btn_OK.name = QStringLiteral("btn_OK");
    btn_OK.caption = QStringLiteral("OK");
    btn_OK.enabled = false;
}

void SelectAddressWindow::FormActivate() {
    te_SelectedDeviceAddress.text = QString::number(address);
}

void SelectAddressWindow::btn_CheckClick() {
    te_SelectedDeviceAddressExit();
    aGetInformation();
}

void SelectAddressWindow::aGetInformation() {
    btn_OK.enabled = false;
    StatusBar1.text.clear();
    const std::optional<int16_t> a = fieldAddress(te_SelectedDeviceAddress);
    if (!a) return;
    // A library that cannot be loaded shows as a port that cannot be opened.
    library->load();
    bus::ReachPlan plan;
    plan.comPort = comPort;
    plan.converterCode = converterCode;
    plan.converterAsStored = true;
    plan.askAddress = *a < 1;
    int16_t asked = *a;
    const bus::Reached reached = bus::reachInstrument(*library, plan, asked, ops);
    int16_t status = reached.status();
    if (reached.opened < 0)
        StatusBar1.text = QStringLiteral("Konnte Port %1nicht öffnen Fehler %2").arg(comPort).arg(status);
    else
        status = showIdentity(status);
    showError(status);
    closePortAndUnload();
}

int16_t SelectAddressWindow::showIdentity(int16_t status) {
    if (status < 0) {
        l_Seriennummer.visible = false;
        l_Geraetetyp.visible = false;
        StatusBar1.text = QStringLiteral("Informationen Einlesen fehlgeschlagen");
        return status;
    }
    const int32_t n = ops.integer;
    l_Seriennummer.caption = toolbus::idText(n);
    QString type;
    if (library->GetType(n, type) < 0) {
        // The labels keep their state; the type label names the type as unknown.
        l_Geraetetyp.caption = QStringLiteral("unbekannt");
        return status;
    }
    l_Geraetetyp.caption = type;
    l_Seriennummer.visible = true;
    l_Geraetetyp.visible = true;
    StatusBar1.text = QStringLiteral("Informationen Einlesen erfolgreich.");
    if (isSupportedFamily(n))
        btn_OK.enabled = true;
    else
        StatusBar1.text = type + QStringLiteral(" wird nicht unterstützt");
    return status;
}

void SelectAddressWindow::btn_OKClick() {
    // Enter can reach OK without the field being left first.
    te_SelectedDeviceAddressExit();
    const std::optional<int16_t> value = fieldAddress(te_SelectedDeviceAddress);
    if (!value) return;
    address = *value;
    closeRequested = true;
}

bool SelectAddressWindow::te_SelectedDeviceAddressKeyPress(QChar key, int selStart, int selLength,
                                                           int caret) {
    return filterKey(te_SelectedDeviceAddress, toolfields::addressKey, key, selStart, selLength, caret);
}

void SelectAddressWindow::te_SelectedDeviceAddressEdited(const QString& text) {
    te_SelectedDeviceAddress.text = text;
}

void SelectAddressWindow::te_SelectedDeviceAddressExit() {
    te_SelectedDeviceAddress.text = toolfields::addressOnExit(te_SelectedDeviceAddress.text);
}

void SelectAddressWindow::te_SelectedDeviceAddressDblClick() {
    te_SelectedDeviceAddress.text.clear();
}
