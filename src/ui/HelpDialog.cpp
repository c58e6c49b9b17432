#include "ui/HelpDialog.h"
#include "ui/PushButton.h"

#include "ui/QtPrompter.h"

#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QShortcut>
#include <QTextBlock>
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

    searchBar = new QWidget(this);
    auto* searchLayout = new QVBoxLayout(searchBar);
    searchLayout->setContentsMargins(0, 0, 0, 0);
    auto* searchLine = new QHBoxLayout;
    searchLine->addWidget(new QLabel(QStringLiteral("Suchen:"), searchBar));
    searchField = new QLineEdit(searchBar);
    searchField->setObjectName(QStringLiteral("eSuchen"));
    searchField->setToolTip(QStringLiteral("Eingabetaste: nächste Stelle auf der Seite"));
    searchLine->addWidget(searchField, 1);
    auto* next = new PushButton(searchBar);
    next->setObjectName(QStringLiteral("bWeiterSuchen"));
    next->setText(QStringLiteral("Weitersuchen"));
    searchLine->addWidget(next);
    searchLayout->addLayout(searchLine);
    hitList = new QListWidget(searchBar);
    hitList->setObjectName(QStringLiteral("lbTreffer"));
    hitList->setMaximumHeight(110);
    searchLayout->addWidget(hitList);
    searchBar->hide();
    layout->addWidget(searchBar);

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
    connect(searchField, &QLineEdit::returnPressed, this, [this] { searchNext(); });
    connect(next, &QPushButton::clicked, this, [this] { searchNext(); });
    connect(hitList, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        w.openHit(hitList->row(item));
        render();
        markOnPage(true);
    });
    auto* find = new QShortcut(QKeySequence::Find, this);
    connect(find, &QShortcut::activated, this, [this] { openSearch(); });
    auto* close = new QShortcut(QKeySequence(Qt::Key_Escape), searchField);
    close->setContext(Qt::WidgetShortcut);
    connect(close, &QShortcut::activated, this, [this] {
        searchBar->hide();
        view->setFocus();
    });
    resize(900, 700);
    render();
}

void HelpDialog::openSearch() {
    searchBar->show();
    searchField->setFocus();
    searchField->selectAll();
}

void HelpDialog::searchNext() {
    const bool fresh = searchField->text().simplified() != w.searchText;
    if (fresh) {
        w.searchChanged(searchField->text());
        render();
    }
    markOnPage(fresh);
}

bool HelpDialog::markAll() {
    QList<QTextEdit::ExtraSelection> marks;
    const QString text = w.searchText;
    if (!text.isEmpty()) {
        QTextCharFormat marked;
        marked.setBackground(QColor(0xff, 0xe0, 0x66));
        for (QTextCursor c = view->document()->find(text); !c.isNull(); c = view->document()->find(text, c))
            marks.append({c, marked});
    }
    view->setExtraSelections(marks);
    return !marks.isEmpty();
}

void HelpDialog::markOnPage(bool fromTop) {
    const QString text = w.searchText;
    if (!markAll()) return;
    if (fromTop) view->moveCursor(QTextCursor::Start);
    // From the end of the last place on, round to the top again.
    if (!view->find(text)) {
        view->moveCursor(QTextCursor::Start);
        view->find(text);
    }
}

void HelpDialog::render() {
    setWindowTitle(w.caption);
    QUrl url = QUrl::fromLocalFile(w.page);
    if (!w.fragment.isEmpty()) url.setFragment(w.fragment);
    if (view->source() != url) {
        view->setSource(url);
        markAll(); // a page reached by a link shows the searched text too
    }
    back->setEnabled(w.bZurueck.enabled);
    forward->setEnabled(w.bVor.enabled);
    status->setText(w.statusText);
    hitList->clear();
    for (const helpsearch::Hit& hit : w.searchHits) {
        auto* item = new QListWidgetItem(QStringLiteral("%1 – %2 Treffer: %3").arg(hit.title).arg(hit.count).arg(hit.excerpt), hitList);
        item->setToolTip(hit.excerpt);
        if (hit.page == w.page) {
            QFont bold = item->font();
            bold.setBold(true);
            item->setFont(bold);
        }
    }
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
