#include "ui/HelpDialog.h"
#include "ui/PushButton.h"

#include "ui/QtPrompter.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

HelpDialog::HelpDialog(const HelpWindow& window, QWidget* parent) : QDialog(parent), w(window) {
    setObjectName(QLatin1String(w.windowClass()));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowMinMaxButtonsHint);
    auto* layout = new QVBoxLayout(this);
    auto* buttons = new QHBoxLayout;
    back = new PushButton(this);
    forward = new PushButton(this);
    home = new PushButton(this);
    auto setUpButton = [&](QPushButton* button, const Button& model) {
        button->setObjectName(model.name);
        button->setText(model.caption);
        buttons->addWidget(button);
    };
    setUpButton(back, w.bZurueck);
    setUpButton(forward, w.bVor);
    setUpButton(home, w.bStart);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    view = new QTextBrowser(this);
    view->setObjectName(QStringLiteral("tbSeite"));
    // Every link goes through the window's logic, which decides what opens.
    view->setOpenLinks(false);
    layout->addWidget(view, 1);
    status = new QLabel(this);
    status->setObjectName(QStringLiteral("StatusBar1"));
    status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(status);

    auto run = [this](const std::function<void()>& handler) {
        handler();
        render();
    };
    connect(view, &QTextBrowser::anchorClicked, this,
            [this, run](const QUrl& url) { run([this, url] { w.linkClicked(url.toString()); }); });
    connect(back, &QPushButton::clicked, this, [this, run] { run([this] { w.bZurueckClick(); }); });
    connect(forward, &QPushButton::clicked, this, [this, run] { run([this] { w.bVorClick(); }); });
    connect(home, &QPushButton::clicked, this, [this, run] { run([this] { w.bStartClick(); }); });
    resize(900, 700);
    render();
}

void HelpDialog::render() {
    setWindowTitle(w.caption);
    QUrl url = QUrl::fromLocalFile(w.page);
    if (!w.fragment.isEmpty()) url.setFragment(w.fragment);
    if (view->source() != url) view->setSource(url);
    back->setEnabled(w.bZurueck.enabled);
    forward->setEnabled(w.bVor.enabled);
    status->setText(w.statusText);
}

void registerHelpWindow(QtPrompter& prompter) {
    prompter.registerWindow(QStringLiteral("THandbuch"), [](ModalWindow& window, QWidget* parent) {
        static QPointer<HelpDialog> open;
        const auto& requested = static_cast<HelpWindow&>(window);
        if (open) {
            // One help window: the new page opens in it, with the way back to the old one.
            open->window().linkClicked(QUrl::fromLocalFile(requested.page).toString());
            open->render();
        } else {
            open = new HelpDialog(requested, parent);
            open->setAttribute(Qt::WA_DeleteOnClose);
        }
        open->show();
        open->raise();
        open->activateWindow();
    });
}
