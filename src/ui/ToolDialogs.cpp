#include "ui/ToolDialogs.h"

#include "app/LinePlanWindow.h"
#include "tools/AddressWindow.h"
#include "tools/BusScanWindow.h"
#include "tools/DeviceNameWindow.h"
#include "tools/SelectAddressWindow.h"
#include "ui/AddressDialog.h"
#include "ui/BusScanDialog.h"
#include "ui/DeviceNameDialog.h"
#include "ui/LinePlanDialog.h"
#include "ui/QtPrompter.h"
#include "ui/SelectAddressDialog.h"

#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QStatusBar>

#include <algorithm>

namespace {
template <typename Window, typename Dialog>
void registerDialog(QtPrompter& prompter, const char* windowClass) {
    prompter.registerWindow(QLatin1String(windowClass), [](ModalWindow& w, QWidget* parent) {
        Dialog dialog(static_cast<Window&>(w), parent);
        dialog.exec();
    });
}
} // namespace

void registerToolDialogs(QtPrompter& prompter) {
    registerDialog<AddressWindow, AddressDialog>(prompter, "Tf_AdresseSetzen");
    registerDialog<DeviceNameWindow, DeviceNameDialog>(prompter, "Tf_GeraeteNamenAendern");
    registerDialog<SelectAddressWindow, SelectAddressDialog>(prompter, "TSelectDeviceAddress");
    registerDialog<BusScanWindow, BusScanDialog>(prompter, "TBusDurchsuchen");
    registerDialog<LinePlanWindow, LinePlanDialog>(prompter, "TAnlage");
}

namespace tooldialogs {

namespace {
int widest(const QFontMetrics& metrics, const QStringList& texts) {
    int width = 0;
    for (const QString& text : texts)
        width = std::max(width, metrics.horizontalAdvance(text));
    return width;
}
} // namespace

void showLabel(QLabel* widget, const Label& model) {
    widget->setText(model.caption);
    widget->setVisible(model.visible);
}

Panel infoPanel(QWidget* parent, const InfoPanel& model) {
    Panel p;
    p.frame = new QFrame(parent);
    p.frame->setObjectName(model.name);
    p.frame->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    p.rows = new QGridLayout(p.frame);
    p.rows->setColumnStretch(1, 1);
    p.caption = new QLabel(model.labelCaption, p.frame);
    p.caption->setObjectName(QStringLiteral("Label1"));
    QFont bold = p.caption->font();
    bold.setBold(true);
    p.caption->setFont(bold);
    p.rows->addWidget(p.caption, 0, 0, 1, 2);
    return p;
}

QLabel* infoLabel(Panel& panel, const Label& model, int row, int column, int columnSpan) {
    auto* label = new QLabel(panel.frame);
    label->setObjectName(model.name);
    QSizePolicy policy = label->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    label->setSizePolicy(policy);
    // In some fonts an empty label is a pixel lower than one with text; the row keeps
    // the height of a text, so the window does not grow when the device has been read.
    label->setText(QStringLiteral("Ag"));
    label->setMinimumHeight(label->sizeHint().height());
    label->clear();
    panel.rows->addWidget(label, row, column, 1, columnSpan);
    return label;
}

QLabel* statusBar(QWidget* parent, const SimpleStatusBar& model, const QStringList& longestTexts) {
    auto* bar = new QStatusBar(parent);
    bar->setObjectName(model.name);
    bar->setSizeGripEnabled(false);
    auto* text = new QLabel(bar);
    bar->addWidget(text, 1);
    fitTexts(text, longestTexts);
    // The bar itself holds the width, so the window has it before its first layout pass.
    if (bar->layout()) bar->layout()->activate();
    bar->setMinimumWidth(bar->minimumSizeHint().width());
    return text;
}

void fitTexts(QLineEdit* edit, const QStringList& texts) {
    // The edit's own hint is 17 'x' wide plus its frame and margins; keep those,
    // and one 'x' more so the caret behind the last character does not scroll the text.
    const QFontMetrics metrics = edit->fontMetrics();
    const int x = metrics.horizontalAdvance(QLatin1Char('x'));
    const int chrome = std::max(edit->sizeHint().width() - 17 * x, 0);
    edit->setMinimumWidth(widest(metrics, texts) + chrome + x);
}

void fitTexts(QLabel* label, const QStringList& texts) {
    label->setMinimumWidth(widest(label->fontMetrics(), texts) + 2 * label->margin());
}

} // namespace tooldialogs
