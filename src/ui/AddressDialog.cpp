#include "ui/AddressDialog.h"

#include "tools/AddressWindow.h"

AddressDialog::AddressDialog(AddressWindow& window, QWidget* parent)
    : DeviceInfoDialog(window, QStringLiteral("f_AdresseSetzen"), parent) {
    using W = AddressWindow;
    addEntry(window.eAdresse,
             {std::bind_front(&W::eAdresseKeyPress, &window), std::bind_front(&W::eAdresseEdited, &window),
              std::bind_front(&W::eAdresseExit, &window), std::bind_front(&W::eAdresseDblClick, &window)},
             window.b_AdresseSetzen, std::bind_front(&W::b_AdresseSetzenClick, &window),
             {QStringLiteral("Konnte Port 255nicht öffnen Fehler -32768"),
              QStringLiteral("Informationen Einlesen fehlgeschlagen -32768")});
    render();
}
