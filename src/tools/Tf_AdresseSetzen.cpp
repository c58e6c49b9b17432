#include "tools/Tf_AdresseSetzen.h"

#include "bus/BusPort.h"
#include "tools/ToolBus.h"
#include "tools/ToolFields.h"

QList<BusLibrary::Entry> Tf_AdresseSetzen::entries() {
    using E = BusLibrary::Entry;
    return {E::TBReadID,       E::TBSysinit, E::TBTransmit,        E::TBCloseCom,
            E::GetMeasurement, E::TBOpenCom, E::GetVersionNumber,  E::SearchForComPorts,
            E::GetUnit,        E::GetType,   E::GetErrorMessageRet};
}

Tf_AdresseSetzen::Tf_AdresseSetzen(std::unique_ptr<BusLibrary> lib, BusLibrary& mainLib, Prompter& p,
                                   Clock& c)
    : library(std::move(lib)), mainLibrary(mainLib), prompter(p), clock(c) {
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
    StatusBar1.name = QStringLiteral("StatusBar1");
}

bool Tf_AdresseSetzen::aDLLDynamischLaden() {
    return bus::aDLLDynamischLaden(*library, prompter);
}

void Tf_AdresseSetzen::aDLLDynamischEntladen() {
    bus::aDLLDynamischEntladen(*library);
}

void Tf_AdresseSetzen::closePortAndUnload() {
    library->TBCloseCom();
    aDLLDynamischEntladen();
}

void Tf_AdresseSetzen::setInformationShown(bool shown) {
    l_Adresse.visible = shown;
    l_IDNummer.visible = shown;
    l_GeraeteTyp.visible = shown;
}

void Tf_AdresseSetzen::b_InformationenClick() {
    eAdresseExit();
    aGetInformation();
    addressChanged = false;
}

void Tf_AdresseSetzen::aGetInformation() {
    // Without the library nothing can be asked; its message has been shown.
    if (!aDLLDynamischLaden()) return;
    int16_t status = bus::openBusPort(mainLibrary, comPort, converterCode, clock);
    if (status < 0) {
        StatusBar1.text = QStringLiteral("Konnte Port %1nicht öffnen Fehler %2").arg(comPort).arg(status);
        toolbus::showError(*library, prompter, status);
        closePortAndUnload();
        return;
    }
    ops.integer = bus::kAddressQueryRead;
    ops.value = 0.0;
    if (currentAddress < 0) {
        status = bus::queryAddress(*library, bus::kAddressQueryRead, ops, currentAddress);
        toolbus::showError(*library, prompter, status);
        if (status < 0) {
            StatusBar1.text = QStringLiteral("Informationen Einlesen fehlgeschlagen");
            closePortAndUnload();
            return;
        }
    }
    status = bus::transmit(*library, currentAddress, bus::cmd::ReadIdentity, ops);
    if (status < 0) {
        setInformationShown(false);
        eAdresse.enabled = false;
        b_AdresseSetzen.enabled = false;
        eAdresse.text = QString::number(currentAddress);
        StatusBar1.text = QStringLiteral("Informationen Einlesen fehlgeschlagen %1").arg(status);
        toolbus::showError(*library, prompter, status);
    } else {
        idNumber = ops.integer;
        l_IDNummer.caption = toolbus::idText(idNumber);
        l_Adresse.caption = toolbus::addressText(currentAddress);
        l_GeraeteTyp.caption = toolbus::typeText(*library, idNumber);
        setInformationShown(true);
        eAdresse.enabled = true;
        eAdresse.text = QString::number(currentAddress);
        b_AdresseSetzen.enabled = true;
        StatusBar1.text = QStringLiteral("Informationen Einlesen erfolgreich.");
    }
    closePortAndUnload();
}

void Tf_AdresseSetzen::b_AdresseSetzenClick() {
    eAdresseExit();
    // Pasted text can still be anything; such a request never reaches the bus.
    const std::optional<int16_t> newAddress = toolfields::addressValue(eAdresse.text);
    if (!newAddress || *newAddress < 0) {
        prompter.show(toolfields::notANumberText(eAdresse.text), QStringLiteral("Fehler"),
                      Prompter::Icon::Warning);
        return;
    }
    if (!aDLLDynamischLaden()) {
        addressChanged = true;
        return;
    }
    int16_t status = bus::openBusPort(mainLibrary, comPort, converterCode, clock);
    if (status < 0) {
        StatusBar1.text = QStringLiteral("Konnte Port nicht öffnen %1").arg(status);
        toolbus::showError(*library, prompter, status);
    } else {
        // The instrument that was read must still be there.
        status = bus::transmit(*library, currentAddress, bus::cmd::ReadIdentity, ops);
        toolbus::showError(*library, prompter, status);
        if (status < 0) {
            StatusBar1.text = QStringLiteral("Konnte kein Gerät finden %1").arg(status);
        } else {
            ops.integer = idNumber;
            status = bus::transmit(*library, *newAddress, bus::cmd::SetAddress, ops);
            if (status < 0) {
                toolbus::showError(*library, prompter, status);
            } else {
                currentAddress = *newAddress;
                // The instrument has moved even if the read-back below fails.
                l_Adresse.caption = toolbus::addressText(currentAddress);
                status = bus::queryAddress(*library, bus::kAddressQueryRead, ops, currentAddress);
                StatusBar1.text = QStringLiteral("Adresse erfolgreich geändert");
                if (status < 0) {
                    StatusBar1.text = QStringLiteral("Konnte Adresse nicht neu einlesen %1").arg(status);
                    toolbus::showError(*library, prompter, status);
                } else {
                    l_Adresse.caption = toolbus::addressText(currentAddress);
                }
            }
        }
    }
    closePortAndUnload();
    addressChanged = true;
}

bool Tf_AdresseSetzen::eAdresseKeyPress(QChar key, int selStart, int selLength, int caret) {
    const toolfields::KeyResult r = toolfields::addressKey(eAdresse.text, selStart, selLength, caret, key);
    if (r.accepted) eAdresse.text = r.text;
    return r.accepted;
}

void Tf_AdresseSetzen::eAdresseEdited(const QString& text) {
    eAdresse.text = text;
}

void Tf_AdresseSetzen::eAdresseExit() {
    eAdresse.text = toolfields::addressOnExit(eAdresse.text);
}

void Tf_AdresseSetzen::eAdresseDblClick() {
    eAdresse.text.clear();
}

void Tf_AdresseSetzen::FormClose() {
    if (!addressChanged) {
        prompter.show(QStringLiteral("Die Adresse wurde nicht geändert"), QStringLiteral("Hinweis"),
                      Prompter::Icon::Information);
        addressChanged = true;
    }
    if (aDLLDynamischLaden()) closePortAndUnload();
}
