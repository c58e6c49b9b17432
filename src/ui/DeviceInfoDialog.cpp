#include "ui/DeviceInfoDialog.h"

#include "tools/DeviceInfoWindow.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

DeviceInfoDialog::DeviceInfoDialog(DeviceInfoWindow& window, const QString& objectName, QWidget* parent)
    : BusToolDialog(window, objectName, parent), w(window) {
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    panel = tooldialogs::infoPanel(this, w.Panel1);
    address = tooldialogs::infoLabel(panel, w.l_Adresse, 1);
    idNumber = tooldialogs::infoLabel(panel, w.l_IDNummer, 2);
    type = tooldialogs::infoLabel(panel, w.l_GeraeteTyp, 3);
}

ToolLineEdit* DeviceInfoDialog::addEntry(const HintEdit& fieldModel, const FieldHandlers& fieldHandlers,
                                         const HintButton& buttonModel, const std::function<void()>& click,
                                         const QStringList& longestStatusTexts) {
    information = button(w.b_Informationen, [this] { w.b_InformationenClick(); });
    entry = field(fieldModel, fieldHandlers);
    entryModel = &fieldModel;
    action = button(buttonModel, click);
    actionModel = &buttonModel;
    status = tooldialogs::statusBar(this, w.StatusBar1, longestStatusTexts);

    auto* row = new QHBoxLayout;
    row->addWidget(entry, 1);
    row->addWidget(action);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(panel.frame);
    layout->addWidget(information);
    layout->addLayout(row);
    layout->addWidget(status->parentWidget());
    layout->setSizeConstraint(QLayout::SetFixedSize);
    return entry;
}

void DeviceInfoDialog::done(int result) {
    if (!closed) {
        closed = true;
        w.FormClose();
    }
    QDialog::done(result);
}

void DeviceInfoDialog::renderControls() {
    panel.caption->setText(w.Panel1.labelCaption);
    tooldialogs::showLabel(address, w.l_Adresse);
    tooldialogs::showLabel(idNumber, w.l_IDNummer);
    tooldialogs::showLabel(type, w.l_GeraeteTyp);
    showButton(information, w.b_Informationen);
    showField(entry, *entryModel);
    showButton(action, *actionModel);
    status->setText(w.StatusBar1.text);
}
