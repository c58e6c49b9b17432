#include "ui/QtPrompter.h"
#include "ui/ModelView.h"

#include "app/SystemViewer.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

#include <algorithm>

namespace {

QMessageBox::Icon toQt(Prompter::Icon icon) {
    switch (icon) {
    case Prompter::Icon::None:
        return QMessageBox::NoIcon;
    case Prompter::Icon::Information:
        return QMessageBox::Information;
    case Prompter::Icon::Warning:
        return QMessageBox::Warning;
    case Prompter::Icon::Error:
        return QMessageBox::Critical;
    case Prompter::Icon::Question:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

QString buttonText(Prompter::Button b) {
    switch (b) {
    case Prompter::Button::Yes:
        return QStringLiteral("&Ja");
    case Prompter::Button::No:
        return QStringLiteral("&Nein");
    case Prompter::Button::Cancel:
        return QStringLiteral("Abbrechen");
    default:
        return QStringLiteral("OK");
    }
}

QMessageBox::ButtonRole role(Prompter::Button b) {
    switch (b) {
    case Prompter::Button::Yes:
        return QMessageBox::YesRole;
    case Prompter::Button::No:
        return QMessageBox::NoRole;
    case Prompter::Button::Cancel:
        return QMessageBox::RejectRole;
    default:
        return QMessageBox::AcceptRole;
    }
}

// Every shown window brings its widgets up to its model before something opens over it.
void renderShownWindows() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* view = dynamic_cast<ModelView*>(w); view && w->isVisible()) view->render();
    }
}

// A box is only as wide as its text and buttons, so a short text under a long caption
// leaves the caption to be elided in the title bar. Title bars use a larger bold font
// and hold an icon and buttons beside the caption; the box reserves room for all of it.
void keepTitleWhole(QMessageBox& box) {
    QFont titleFont = box.font();
    titleFont.setBold(true);
    titleFont.setPointSize(std::max(titleFont.pointSize(), 10));
    constexpr int kIconAndButtons = 120;
    const int width = QFontMetrics(titleFont).horizontalAdvance(box.windowTitle()) + kIconAndButtons;
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed), grid->rowCount(), 0, 1,
                      grid->columnCount());
}

} // namespace

void QtPrompter::registerWindow(const QString& windowClass, WindowFactory factory) {
    factories.insert(windowClass, std::move(factory));
}

Prompter::Button QtPrompter::message(const Message& m) {
    renderShownWindows();
    QMessageBox box(toQt(m.icon), m.caption, m.text, QMessageBox::NoButton, owner);
    QHash<QAbstractButton*, Button> map;
    for (Button b : m.buttons) {
        QPushButton* pb = box.addButton(m.buttonTexts.value(b, buttonText(b)), role(b));
        map.insert(pb, b);
        if (b == m.defaultButton)
            box.setDefaultButton(pb);
    }
    // Closing the box counts as Cancel when offered, else as its default button.
    if (m.buttons.contains(Button::Cancel)) {
        for (auto it = map.begin(); it != map.end(); ++it) {
            if (it.value() == Button::Cancel)
                box.setEscapeButton(it.key());
        }
    }
    keepTitleWhole(box);
    box.exec();
    const auto it = map.find(box.clickedButton());
    if (it != map.end())
        return it.value();
    return m.buttons.contains(Button::Cancel) ? Button::Cancel : m.defaultButton;
}

void QtPrompter::beep(Beep) { QApplication::beep(); }

QString QtPrompter::openFileName(const QString& folder, const QString& filter, const QString& defaultSuffix) {
    renderShownWindows();
    QFileDialog dialog(owner, QString(), QString(), filter);
    // Only the folder: a folder that does not exist must not turn into a file name.
    dialog.setDirectory(folder);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

QString QtPrompter::saveFileName(const QString& folder, const QString& filter, const QString& defaultSuffix) {
    renderShownWindows();
    QFileDialog dialog(owner, QString(), QString(), filter);
    dialog.setDirectory(folder);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

bool QtPrompter::openDocument(const QString& path) {
    if (!QFileInfo::exists(path)) return false;
#ifdef Q_OS_WIN
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
#else
    // The desktop's opener reports a viewer that fails only through its exit status.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool shown = SystemViewer().open(path);
    QApplication::restoreOverrideCursor();
    return shown;
#endif
}

void QtPrompter::showModal(ModalWindow& window) {
    renderShownWindows();
    const auto it = factories.find(QLatin1String(window.windowClass()));
    if (it != factories.end())
        (*it)(window, owner);
}

std::optional<QString> QtPrompter::textLine(const QString& text, const QString& caption, const QString& preset) {
    bool ok = false;
    const QString line = QInputDialog::getText(owner, caption, text, QLineEdit::Normal, preset, &ok);
    if (!ok) return std::nullopt;
    return line;
}
