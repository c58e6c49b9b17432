#include "ui/DeviceNameDialog.h"

#include "bus/BusConstants.h"
#include "tools/DeviceNameWindow.h"

DeviceNameDialog::DeviceNameDialog(DeviceNameWindow& window, QWidget* parent)
    : DeviceInfoDialog(window, QStringLiteral("f_GeraeteNamenAendern"), parent), w(window) {
    nameCaption = tooldialogs::infoLabel(panel, w.l_Bezeichnung, 4, 0, 1);
    name = tooldialogs::infoLabel(panel, w.l_GeraeteNamen, 4, 1, 1);
    // Room for the widest name an instrument can hold.
    const QString widestName(bus::kNameLength, QLatin1Char('W'));
    tooldialogs::fitTexts(name, {widestName});

    using W = DeviceNameWindow;
    ToolLineEdit* newName = addEntry(w.Edit1,
                                     {std::bind_front(&W::Edit1KeyPress, &w),
                                      std::bind_front(&W::Edit1Edited, &w),
                                      {},
                                      std::bind_front(&W::Edit1DblClick, &w)},
                                     w.b_NamenAendern, std::bind_front(&W::b_NamenAendernClick, &w),
                                     {QStringLiteral("Informationen Einlesen fehlgeschlagen.")});
    tooldialogs::fitTexts(newName, {widestName, w.Edit1.text});
    render();
}

void DeviceNameDialog::renderControls() {
    DeviceInfoDialog::renderControls();
    tooldialogs::showLabel(nameCaption, w.l_Bezeichnung);
    tooldialogs::showLabel(name, w.l_GeraeteNamen);
}
