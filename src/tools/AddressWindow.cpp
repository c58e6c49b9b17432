#include "tools/AddressWindow.h"

#include "tools/ToolBus.h"

AddressWindow::AddressWindow(std::unique_ptr<BusLibrary> lib, BusLibrary& mainLib, Prompter& p, Clock& c)
    : DeviceInfoWindow(QStringLiteral("Geräte Adresse Setzen"), std::move(lib), mainLib, p, c) {
    // Negative: the information read asks the bus for the address first. The
    // main window sets it before showing and takes it back after closing.
    currentAddress = -1;
    eAdresse.name = QStringLiteral("eAdresse");
    eAdresse.text = QStringLiteral("0");
    eAdresse.enabled = false;
    eAdresse.hint =
        QStringLiteral("\"Hier die gewünschte Adresse eingeben und auf Adresse setzen klicken. Nur "
                       "Adressen von 0 ... 239 gültig!\"");
    b_AdresseSetzen.name = QStringLiteral("b_AdresseSetzen");
    b_AdresseSetzen.caption = QStringLiteral("Adresse setzen");
    b_AdresseSetzen.enabled = false;
    b_AdresseSetzen.hint = QStringLiteral("\"Weist dem angeschlossenen Geräte eine neue Adresse zu\"");
}

void AddressWindow::b_InformationenClick() {
    eAdresseExit();
    aGetInformation();
    addressChanged = false;
}

void AddressWindow::aGetInformation() {
    // Without the library nothing can be asked; its message has been shown.
    if (!aDLLDynamischLaden()) return;
    // Once the port is open the address query starts from the read preset, and so does an
    // identity read at a known address.
    const bus::Reached reached = reachInstrument(currentAddress < 0, [this](int16_t opened) {
        if (opened >= 0) {
            ops.integer = bus::kAddressQueryRead;
            ops.value = 0.0;
        }
        return opened;
    });
    if (reached.opened < 0) {
        StatusBar1.text =
            QStringLiteral("Konnte Port %1nicht öffnen Fehler %2").arg(comPort).arg(reached.opened);
        showError(reached.opened);
        closePortAndUnload();
        return;
    }
    showError(reached.asked);
    if (reached.asked < 0) {
        StatusBar1.text = QStringLiteral("Informationen Einlesen fehlgeschlagen");
        closePortAndUnload();
        return;
    }
    const int16_t status = reached.identified;
    if (status < 0) {
        setInformationShown(false);
        eAdresse.enabled = false;
        b_AdresseSetzen.enabled = false;
        eAdresse.text = QString::number(currentAddress);
        StatusBar1.text = QStringLiteral("Informationen Einlesen fehlgeschlagen %1").arg(status);
        showError(status);
    } else {
        takeIdentity();
        l_GeraeteTyp.caption = toolbus::typeText(*library, idNumber);
        setInformationShown(true);
        eAdresse.enabled = true;
        eAdresse.text = QString::number(currentAddress);
        b_AdresseSetzen.enabled = true;
        StatusBar1.text = QStringLiteral("Informationen Einlesen erfolgreich.");
    }
    closePortAndUnload();
}

void AddressWindow::b_AdresseSetzenClick() {
    eAdresseExit();
    const std::optional<int16_t> newAddress = fieldAddress(eAdresse, 0);
    if (!newAddress) return;
    if (!aDLLDynamischLaden()) {
        addressChanged = true;
        return;
    }
    int16_t status = openPort();
    if (status < 0) {
        StatusBar1.text = QStringLiteral("Konnte Port nicht öffnen %1").arg(status);
        showError(status);
    } else {
        // The instrument that was read must still be there.
        status = bus::transmit(*library, currentAddress, bus::cmd::ReadIdentity, ops);
        showError(status);
        if (status < 0) {
            StatusBar1.text = QStringLiteral("Konnte kein Gerät finden %1").arg(status);
        } else {
            ops.integer = idNumber;
            status = bus::transmit(*library, *newAddress, bus::cmd::SetAddress, ops);
            if (status < 0) {
                showError(status);
            } else {
                if (onChange)
                    onChange({InstrumentChange::Kind::Address, idNumber, *newAddress, QString::number(currentAddress),
                              QString::number(*newAddress), l_GeraeteTyp.caption, std::nullopt});
                currentAddress = *newAddress;
                // The instrument has moved even if the read-back below fails.
                l_Adresse.caption = toolbus::addressText(currentAddress);
                status = bus::queryAddress(*library, bus::kAddressQueryRead, ops, currentAddress);
                StatusBar1.text = QStringLiteral("Adresse erfolgreich geändert");
                if (status < 0) {
                    StatusBar1.text = QStringLiteral("Konnte Adresse nicht neu einlesen %1").arg(status);
                    showError(status);
                } else {
                    l_Adresse.caption = toolbus::addressText(currentAddress);
                }
            }
        }
    }
    closePortAndUnload();
    addressChanged = true;
}

bool AddressWindow::eAdresseKeyPress(QChar key, int selStart, int selLength, int caret) {
    return filterKey(eAdresse, toolfields::addressKey, key, selStart, selLength, caret);
}

void AddressWindow::eAdresseEdited(const QString& text) {
    eAdresse.text = text;
}

void AddressWindow::eAdresseExit() {
    eAdresse.text = toolfields::addressOnExit(eAdresse.text);
}

void AddressWindow::eAdresseDblClick() {
    eAdresse.text.clear();
}

void AddressWindow::FormClose() {
    closeWindow(addressChanged, QStringLiteral("Die Adresse wurde nicht geändert"));
}
