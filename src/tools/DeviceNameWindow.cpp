#include "tools/DeviceNameWindow.h"

#include "tools/ToolBus.h"

QList<BusLibrary::Entry> DeviceNameWindow::entries() {
    using E = BusLibrary::Entry;
    // The error box needs the library's texts, so GetErrorMessageRet is bound too.
    return {E::TBReadID,       E::TBSysinit,        E::TBTransmit,       E::TBCloseCom,
            E::GetMeasurement, E::TBOpenCom,        E::GetVersionNumber, E::SearchForComPorts,
            E::GetUnit,        E::TBTransmitString, E::GetType,          E::GetErrorMessageRet};
}

DeviceNameWindow::DeviceNameWindow(std::unique_ptr<BusLibrary> lib, BusLibrary& mainLib, Prompter& p,
                                   Clock& c)
    : DeviceInfoWindow(QStringLiteral("Geräte Bezeichung ändern"), std::move(lib), mainLib, p, c) {
    l_Bezeichnung.name = QStringLiteral("l_Bezeichnung");
    l_Bezeichnung.caption = QStringLiteral("Bezeichnung:");
    l_GeraeteNamen.name = QStringLiteral("l_GeraeteNamen");
    Edit1.name = QStringLiteral("Edit1");
    Edit1.text = QStringLiteral("Geräte Bezeichnung");
    Edit1.hint = QStringLiteral("\"Maximal 16 Zeichen für die Bezeichnung eigeben\"");
    b_NamenAendern.name = QStringLiteral("b_NamenAendern");
    b_NamenAendern.caption = QStringLiteral("Bezeichnung ändern");
    b_NamenAendern.hint = QStringLiteral("\"Ändert den Geräte-Bezeichner\"");
    setNameShown(false);
}

// The name labels, the field and the button go together: without a name read
// from the instrument there is nothing to change.
void DeviceNameWindow::setNameShown(bool shown) {
    l_Bezeichnung.visible = shown;
    l_GeraeteNamen.visible = shown;
    Edit1.enabled = shown;
    b_NamenAendern.enabled = shown;
}

void DeviceNameWindow::b_InformationenClick() {
    aGetInformation();
    nameChanged = false;
}

void DeviceNameWindow::aGetInformation() {
    if (!aDLLDynamischLaden()) return;
    const bus::Reached reached = reachInstrument(true);
    if (reached.opened < 0) {
        StatusBar1.text = QStringLiteral("Konnte Port nicht öffnen");
        showError(reached.opened);
        closePortAndUnload();
        return;
    }
    if (!reached.ok()) {
        // A failed read leaves nothing to rename: a name written now would go to the
        // address of an earlier read, where another instrument may answer.
        setInformationShown(false);
        setNameShown(false);
        StatusBar1.text = QStringLiteral("Informationen Einlesen fehlgeschlagen.");
        // An unanswered address query has no box of its own.
        if (reached.asked >= 0) showError(reached.identified);
        closePortAndUnload();
        return;
    }
    takeIdentity();
    const QString type = toolbus::typeText(*library, idNumber);

    QString name;
    int16_t length = bus::kNameReadCapacity;
    const int8_t nameStatus =
        library->TBTransmitString(currentAddress, bus::namecmd::Read, ops.aux, name, length);
    if (nameStatus >= 0) {
        l_GeraeteNamen.caption = name;
        Edit1.text = name;
        setNameShown(true);
        StatusBar1.text = QStringLiteral("Informationen Einlesen erfolgreich.");
    } else {
        setNameShown(false);
        StatusBar1.text = QStringLiteral("Bezeichner nicht unterstützt.");
        showError(nameStatus);
    }
    l_GeraeteTyp.caption = type;
    setInformationShown(true);
    closePortAndUnload();
}

void DeviceNameWindow::b_NamenAendernClick() {
    if (!aDLLDynamischLaden()) {
        nameChanged = true;
        return;
    }
    const int16_t status = openPort();
    if (status < 0) {
        StatusBar1.text = QStringLiteral("Konnte Port nicht öffnen");
        showError(status);
    } else {
        // Pasted text may be longer than the instrument keeps: only its first 16 characters are sent.
        QString name = Edit1.text.left(bus::kNameLength);
        const QString sent = name;
        int16_t length = static_cast<int16_t>(name.size());
        int8_t nameStatus =
            library->TBTransmitString(currentAddress, bus::namecmd::Write, ops.aux, name, length);
        if (nameStatus < 0) {
            StatusBar1.text = QStringLiteral("Konnte Bezeichner nicht schreiben.");
            showError(nameStatus);
        } else {
            const QString before = l_GeraeteNamen.caption;
            nameStatus = library->TBTransmitString(currentAddress, bus::namecmd::Read, ops.aux, name, length);
            // The name the instrument gives back; the one sent when it cannot be read.
            if (onChange)
                onChange({InstrumentChange::Kind::Name, idNumber, currentAddress, before,
                          nameStatus >= 0 ? name : sent, l_GeraeteTyp.caption, std::nullopt});
            if (nameStatus >= 0) {
                l_GeraeteNamen.caption = name;
                Edit1.text = name;
                StatusBar1.text = QStringLiteral("Bezeichner erfolgreich geändert.");
            } else {
                setNameShown(false);
                StatusBar1.text = QStringLiteral("Konnte Bezeichner nicht lesen.");
                showError(nameStatus);
            }
        }
    }
    closePortAndUnload();
    nameChanged = true;
}

bool DeviceNameWindow::Edit1KeyPress(QChar key, int selStart, int selLength, int caret) {
    return filterKey(Edit1, toolfields::nameKey, key, selStart, selLength, caret);
}

void DeviceNameWindow::Edit1Edited(const QString& text) {
    Edit1.text = text;
}

void DeviceNameWindow::Edit1DblClick() {
    Edit1.text.clear();
}

void DeviceNameWindow::FormClose() {
    closeWindow(nameChanged, QStringLiteral("Der Bezeichner wurde nicht geändert"));
}
