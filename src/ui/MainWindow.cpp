#include "ui/MainWindow.h"

#include "ui/ControlViews.h"
#include "ui/ProgressBarView.h"
#include "ui/PushButton.h"

#include "app/BusMonitorWindow.h"
#include "app/MainHandlers.h"
#include "config/MainWindowModel.h"
#include "ui/BusMonitorDialog.h"
#include "ui/LiveValueDialog.h"
#include "app/LiveValueSession.h"
#include "ui/QtPrompter.h"
#include "ui/RadioGroupBox.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>

namespace {

constexpr int kPanelHeight = 481;
constexpr int kPanelWidth = 729;

} // namespace

MainWindow::MainWindow(MainHandlers& handlers, QtPrompter& p, QWidget* parent)
    : QMainWindow(parent), h(handlers), prompter(p) {
    MainWindowModel& m = h.model();
    setObjectName(QStringLiteral("Main"));
    setWindowTitle(m.caption);
    setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    QFont f = font();
    f.setPointSize(8);
    f.setBold(true);
    setFont(f);

    client = new QWidget(this);
    client->setFixedSize(m.clientWidth, m.clientHeight);
    setCentralWidget(client);
    // Until the start-up has shown what there is, the focus stays on no control, where a
    // stray key changes nothing.
    client->setFocus();

    // Panel1 scrolls when the shown groups reach below the fixed client area.
    panel = new QScrollArea(client);
    panel->setObjectName(m.Panel1.name);
    panel->setFrameShape(QFrame::NoFrame);
    // The panel only holds the groups; it is no stop of its own.
    panel->setFocusPolicy(Qt::NoFocus);
    panel->setGeometry(m.Panel1.geometry.left, m.Panel1.geometry.top, m.Panel1.geometry.width,
                       m.Panel1.geometry.height);
    content = new QWidget;
    content->resize(kPanelWidth, kPanelHeight);
    panel->setWidget(content);
    panel->setWidgetResizable(false);
    // Only the height scrolls. When the vertical scroll bar takes its room, the margin on
    // the left gives way, so the frames of the right-hand column are never cut.
    panel->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QScrollBar* sideways = panel->horizontalScrollBar();
    const auto keepRightEdge = [sideways] { sideways->setValue(sideways->maximum()); };
    connect(sideways, &QScrollBar::rangeChanged, this, keepRightEdge);
    connect(sideways, &QScrollBar::valueChanged, this, keepRightEdge);

    statusBar = new QWidget(client);
    statusBar->setObjectName(m.StatusBar1.name);
    statusBar->setGeometry(m.StatusBar1.geometry.left, m.StatusBar1.geometry.top, m.StatusBar1.geometry.width,
                           m.StatusBar1.geometry.height);
    int x = 0;
    for (int i = 0; i < 4; ++i) {
        panels[i] = new QLabel(statusBar);
        panels[i]->setFrameShape(QFrame::Panel);
        panels[i]->setFrameShadow(QFrame::Sunken);
        // No inset beside the frame: the first panel has just the room for "COM12".
        panels[i]->setIndent(0);
        panels[i]->setObjectName(QStringLiteral("StatusBar1.%1").arg(i));
        // The last panel takes the rest of the bar.
        const int w = i < 3 ? m.StatusBar1.panelWidths[i] : m.StatusBar1.geometry.width - x;
        panels[i]->setGeometry(x, 2, w, m.StatusBar1.geometry.height - 2);
        x += w;
    }

    // Over the library's version while a bus run lasts.
    progress = new QProgressBar(statusBar);
    progress->setObjectName(QStringLiteral("pbBusRun"));
    progress->setGeometry(panels[3]->geometry());
    progress->setTextVisible(true);
    progress->setFormat(QStringLiteral("%v/%m"));
    progress->hide();

    buildMenus();
    buildControls();
    connectEvents();

    statusTimer.setSingleShot(false);
    // Neither the timer nor an activation ends what the user is typing.
    connect(&statusTimer, &QTimer::timeout, this,
            [this] { run([this] { h.t_StatusLeisteTimer(); }, false); });

    prompter.setParent(this);
    // Bus runs block the window; their progress texts must still show at once.
    statusBarRepaint = h.onStatusBarRepaint([this] {
        renderStatusBar();
        statusBar->repaint();
    });
    adjustSize();
    setFixedSize(sizeHint());
    render();
}

MainWindow::~MainWindow() = default;

QAction* MainWindow::addItem(QMenu* menu, MenuItem& item) {
    QAction* a = menu->addAction(item.caption);
    a->setObjectName(item.name);
    actions.insert(item.name, a);
    menuOf.insert(a, &item);
    if (!item.shortcut.isEmpty())
        a->setShortcut(QKeySequence::fromString(item.shortcut, QKeySequence::PortableText));
    return a;
}

void MainWindow::buildMenus() {
    MainWindowModel& m = h.model();
    QMenu* menu = nullptr;
    for (const MenuSpec& s : controltable::menus()) {
        if (s.place == MenuSpec::Popup) continue; // the radio group opens it
        if (s.place == MenuSpec::Bar) {
            MenuItem& item = s.get(m);
            menu = menuBar()->addMenu(item.caption);
            menu->setObjectName(item.name);
            menuOf.insert(menu->menuAction(), &item);
            actions.insert(item.name, menu->menuAction());
            continue;
        }
        if (s.separatorBefore) menu->addSeparator();
        if (s.get)
            addItem(menu, s.get(m))->setCheckable(s.checkable);
        else
            for (MenuItem& item : m.modelItems)
                addItem(menu, item)->setCheckable(s.checkable);
    }
    connect(menuBar()->findChild<QMenu*>(m.Schnittstelle.name), &QMenu::aboutToShow, this,
            [this] { run([this] { h.SchnittstelleClick(); }); });
}

void MainWindow::buildControls() {
    MainWindowModel& m = h.model();
    const ViewContext context{
        [this](const std::function<void()>& handler, bool endsEdit) { run(handler, endsEdit); },
        rendering,
        h,
        prompter,
        {actions.value(m.miRueckgaengig.name), actions.value(m.miWiederholen.name)}};
    for (const ControlSpec& s : controltable::all()) {
        QWidget* parent = s.group ? widgets.value(QLatin1String(s.group)) : content;
        std::unique_ptr<ControlView> view = ControlView::create(s, m, parent, context);
        if (!view) continue;
        widgets.insert(view->control.name, view->widget());
        views.push_back(std::move(view));
    }

    auto* caption = static_cast<QLabel*>(widgets.value(m.lMainCaption.name));
    QFont cf = caption->font();
    cf.setPointSize(14);
    caption->setFont(cf);
    caption->setAlignment(Qt::AlignCenter);
    widgets.value(m.rgSensor.name)->setToolTip(QStringLiteral("Rechts klicken für Messbereichs-Grenzen"));
}

void MainWindow::onAction(const QString& name, std::function<void()> handler) {
    QAction* a = actions.value(name);
    connect(a, &QAction::triggered, this, [this, handler] { run(handler); });
}

void MainWindow::connectEvents() {
    MainWindowModel& m = h.model();

    for (MenuItem& item : m.modelItems) {
        const QString name = item.name;
        onAction(name, [this, name] { h.menuModelClick(name); });
    }
    onAction(m.Beenden.name, [this] { h.BeendenClick(); });
    onAction(m.miDatenspeichern.name, [this] { h.miDatenspeichernClick(); });
    onAction(m.lesen1.name, [this] { h.lesen1Click(); });
    onAction(m.miKonfigurationsblattDrucken.name, [this] { h.miKonfigurationsblattDruckenClick(); });
    onAction(m.miKonfigurationsblattPdf.name, [this] { h.miKonfigurationsblattPdfClick(); });
    // Bus runs block the window until they end; the wait cursor says so.
    auto busRun = [this](void (MainHandlers::*handler)()) {
        return [this, handler] {
            QApplication::setOverrideCursor(Qt::WaitCursor);
            (h.*handler)();
            QApplication::restoreOverrideCursor();
        };
    };
    onAction(m.Konfigurationlesen1.name, [this, read = busRun(&MainHandlers::Konfigurationlesen1Click)] {
        read();
        // An earlier run that left this instrument half programmed is offered for repair.
        h.offerUnsettled();
    });
    onAction(m.miKonfigurationprogrammieren1.name, busRun(&MainHandlers::miKonfigurationprogrammieren1Click));
    onAction(m.Datenlesen1.name, [this] { h.Datenlesen1Click(); });
    onAction(m.miRueckgaengig.name, [this] { h.miRueckgaengigClick(); });
    onAction(m.miWiederholen.name, [this] { h.miWiederholenClick(); });
    onAction(m.miPruefenNachProgrammieren.name, [this] { h.miPruefenNachProgrammierenClick(); });
    onAction(m.Portauswahl1.name, [this] { h.Portauswahl1Click(); });
    const MenuItem* wandler[] = {&m.MainMenueWandlerItem0, &m.MainMenueWandlerItem1, &m.MainMenueWandlerItem2,
                                 &m.MainMenueWandlerItem3};
    for (int i = 0; i < 4; ++i)
        onAction(wandler[i]->name, [this, i] { h.MainMenueWandlerItemClick(i); });
    onAction(m.MainMenueExtrasAnzeigeeinheit.name, [this] { h.MainMenueExtrasAnzeigeeinheitClick(); });
    onAction(m.MainMenueExtrasAdresseSetzen.name, [this] { h.MainMenueExtrasAdresseSetzenClick(); });
    onAction(m.mmExtras_GeraeteNamenZuweisen.name, [this] { h.mmExtras_GeraeteNamenZuweisenClick(); });
    onAction(m.MainMenueExtras_SelectAddress.name, [this] { h.MainMenueExtras_SelectAddressClick(); });
    onAction(m.MainMenueQM.name, [this] { h.MainMenueQMClick(); });
    onAction(m.MainMenueUeber.name, [this] { h.MainMenueUeberClick(); });
    onAction(m._mHilfe_Kurzanleitung.name, [this] { h._mHilfe_KurzanleitungClick(); });
    onAction(m._mHilfe_HandbuchPdf.name, [this] { h._mHilfe_HandbuchPdfClick(); });
    onAction(m.MainMenueDurchflussMessung.name, [this] { h.MainMenueDurchflussMessungClick(); });
    onAction(m.MainMenueExtras_Busmonitor.name, [this] { h.MainMenueExtras_BusmonitorClick(); });
    onAction(m.MainMenueExtras_Vergleichen.name, [this] { h.MainMenueExtras_VergleichenClick(); });
    onAction(m.MainMenueExtras_BusDurchsuchen.name, [this] { h.MainMenueExtras_BusDurchsuchenClick(); });
    onAction(m.MainMenueExtras_Anlage.name, [this] { h.MainMenueExtras_AnlageClick(); });
    onAction(m.MainMenueExtras_Geraetearchiv.name, [this] { h.MainMenueExtras_GeraetearchivClick(); });
    onAction(m.MainMenueExtras_MesswertAnzeigen.name, [this] { h.MainMenueExtras_MesswertAnzeigenClick(); });
    connect(static_cast<QPushButton*>(widgets.value(m.b_erw_Anzeigen.name)), &QPushButton::clicked, this,
            [this] { run([this] { h.b_erw_AnzeigenClick(); }); });

    auto* sensor = static_cast<RadioGroupBox*>(widgets.value(m.rgSensor.name));
    connect(sensor, &RadioGroupBox::contextMenuRequested, this, [this, &m](const QPoint& pos) {
        QMenu popup(this);
        QAction* a = popup.addAction(m.pm_MessbereichAnzeigen.caption);
        if (popup.exec(pos) == a) run([this] { h.pm_MessbereichAnzeigenClick(); });
    });

    onAction(m.MainMenueExtras_ErweiterteKonfiguration.name,
             [this] { h.MainMenueExtras_ErweiterteKonfigurationClick(); });

    // The limit box carries the hidden unlock on Ctrl+E.
    QWidget* limit = widgets.value(m.cbLimit.name);
    forwardKeys(limit, [this](QKeyEvent* ke) {
        QChar key;
        if (ke->key() == Qt::Key_E && (ke->modifiers() & Qt::ControlModifier))
            key = QChar(5);
        else if (!ke->text().isEmpty())
            key = ke->text().at(0);
        else
            return false;
        bool swallowed = false;
        run([this, key, &swallowed] { swallowed = h.cbLimitKeyPress(key); });
        return swallowed;
    });
}

void MainWindow::run(const std::function<void()>& handler, bool endsEdit) {
    // Timers still fire between the calls of a bus run; nothing starts inside it.
    if (rendering || h.busRunning()) return;
    handler();
    if (endsEdit) h.commitEdits();
    render();
    if (h.closeRequested() && !closingByHandler) {
        closingByHandler = true;
        close();
    }
}

void MainWindow::render() {
    rendering = true;
    MainWindowModel& m = h.model();
    int right = 0;
    int bottom = 0;
    for (const auto& v : views) {
        v->render();
        const Control& c = v->control;
        if (c.visible && v->widget()->parentWidget() == content) {
            right = std::max(right, c.geometry.right());
            bottom = std::max(bottom, c.geometry.bottom());
        }
    }
    fitCaption(static_cast<QLabel*>(widgets.value(m.lMainCaption.name)));
    renderFrame();
    // The panel grows with the shown groups; on a screen too low for it they stay
    // reachable through its scroll bar. The content is just as wide as its columns, which
    // leaves room for that bar.
    content->resize(right, std::max(m.Panel1.geometry.height - 2, bottom + 4));
    panel->setVisible(m.Panel1.visible);
    renderStatusBar();
    renderProgress();
    renderMenus();
    updateTimer();
    rendering = false;
    renderMonitor();
    renderLiveValues();
}

void MainWindow::renderFrame() {
    const MainWindowModel& m = h.model();
    if (client->height() == m.clientHeight) return;
    const Geometry& p = m.Panel1.geometry;
    const Geometry& s = m.StatusBar1.geometry;
    client->setFixedSize(m.clientWidth, m.clientHeight);
    panel->setGeometry(p.left, p.top, p.width, p.height);
    statusBar->setGeometry(s.left, s.top, s.width, s.height);
    // The window's frame is fixed; it follows its client area.
    setFixedSize(sizeHint());
}

void MainWindow::renderProgress() {
    showBusProgress(*progress, h.model().pbBusRun);
}

void MainWindow::renderMonitor() {
    BusMonitorWindow* window = h.busMonitor();
    if (!window || !window->shown) {
        if (monitor && monitor->isVisible()) monitor->hide();
        return;
    }
    if (!monitor) {
        monitor = new BusMonitorDialog(*window, this);
        const QRect screen = this->screen()->availableGeometry();
        const QRect place = BusMonitorWindow::placeBeside(frameGeometry(), screen, monitor->size());
        // The place is the frame's; the size is the inside's, less what the frame adds.
        const QSize frame = frameGeometry().size() - size();
        monitor->resize(place.size() - frame);
        monitor->move(place.topLeft());
    }
    if (!monitor->isVisible()) {
        monitor->show();
        monitor->raise();
    }
}

void MainWindow::renderLiveValues() {
    LiveValueSession* session = h.liveValues();
    if (!session || !session->shown) {
        if (live && live->isVisible()) live->hide();
        return;
    }
    if (!live) {
        live = new LiveValueDialog(*session, prompter, h.environment().currentDirectory, this);
        const QRect screen = this->screen()->availableGeometry();
        const QSize frame = frameGeometry().size() - size();
        // The trend and the loop check need their height: a strip below the main window is no place.
        const QRect place = BusMonitorWindow::placeBeside(frameGeometry(), screen, live->size(),
                                                          live->minimumSizeHint() + frame);
        live->resize(place.size() - frame);
        live->move(place.topLeft());
    }
    if (!live->isVisible()) {
        live->render();
        live->show();
        live->raise();
    }
}

void MainWindow::betweenCalls() {
    renderStatusBar();
    renderProgress();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

QImage MainWindow::picture() {
    render();
    constexpr qreal kScale = 2.0;
    // Down to the lowest shown group: the panel's empty rest says nothing about the configuration.
    int bottom = 0;
    for (QWidget* child : content->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (!child->isHidden()) bottom = std::max(bottom, child->geometry().bottom() + 1);
    const QSize size(content->width(), std::min(content->height(), bottom + 6));
    QImage image(size * kScale, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(kScale);
    image.fill(palette().color(QPalette::Window));
    QPainter painter(&image);
    content->render(&painter, QPoint(), QRegion(QRect(QPoint(), size)), QWidget::DrawChildren);
    return image;
}

void MainWindow::fitCaption(QLabel* label) {
    // The designation label keeps its width; long designations get a smaller font. The
    // extended configuration group covers the label's right end, so the centred text
    // keeps clear of that strip on both sides.
    const MainWindowModel& m = h.model();
    const int covered =
        std::max(m.lMainCaption.geometry.right() - m.gb_ErweiterteKonfiguration.geometry.left, 0);
    const int room = label->width() - 2 * covered - 4;
    QFont f = label->font();
    f.setPointSize(14);
    while (f.pointSize() > 8 && QFontMetrics(f).horizontalAdvance(label->text()) > room)
        f.setPointSize(f.pointSize() - 1);
    label->setFont(f);
}

void MainWindow::renderStatusBar() {
    const StatusBar& sb = h.model().StatusBar1;
    for (int i = 0; i < 4; ++i) {
        QLabel* cell = panels[i];
        // The panels keep their fixed widths. A text too long for its panel loses its
        // middle, never its end, where a bus run's outcome stands; the tooltip holds it whole.
        const int room = cell->contentsRect().width() - cell->indent();
        cell->setText(cell->fontMetrics().elidedText(sb.panels[i], Qt::ElideMiddle, room));
        cell->setToolTip(sb.panels[i]);
    }
}

void MainWindow::renderMenus() {
    for (auto it = menuOf.begin(); it != menuOf.end(); ++it) {
        QAction* a = it.key();
        const MenuItem& item = *it.value();
        a->setText(item.caption);
        a->setVisible(item.visible);
        a->setEnabled(item.enabled);
        if (a->isCheckable()) a->setChecked(item.checked);
    }
}

void MainWindow::updateTimer() {
    const MainWindowModel& m = h.model();
    // Starting the timer while it runs does not restart its interval.
    if (m.t_StatusLeisteEnabled && !statusTimer.isActive())
        statusTimer.start(m.t_StatusLeisteInterval);
    else if (!m.t_StatusLeisteEnabled && statusTimer.isActive())
        statusTimer.stop();
}

bool MainWindow::event(QEvent* e) {
    const bool result = QMainWindow::event(e);
    if (e->type() == QEvent::WindowActivate || e->type() == QEvent::Show)
        QTimer::singleShot(0, this, [this] {
            run([this] { h.FormActivate(); }, false);
            if (focusPlaced || !isActiveWindow()) return;
            // The first focus, once the start-up has shown the stored model's groups.
            focusPlaced = true;
            if (const Control* first = h.model().firstFocus())
                widgets.value(first->name)->setFocus(Qt::OtherFocusReason);
        });
    return result;
}

bool MainWindow::focusNextPrevChild(bool next) {
    // A radio group is one stop: its checked item, or its first.
    QList<QWidget*> stops;
    for (const Control* c : h.model().tabOrder()) {
        QWidget* w = widgets.value(c->name);
        if (w && w->isVisibleTo(this)) stops.append(w);
    }
    if (stops.isEmpty()) return false;
    const QWidget* current = focusWidget();
    qsizetype at = -1;
    for (qsizetype i = 0; i < stops.size() && at < 0; ++i) {
        if (stops[i] == current || stops[i]->isAncestorOf(current)) at = i;
    }
    const qsizetype n = stops.size();
    const qsizetype to = at < 0 ? (next ? 0 : n - 1) : (at + (next ? 1 : n - 1)) % n;
    QWidget* target = stops[to];
    if (auto* radio = qobject_cast<RadioGroupBox*>(target)) target = radio->focusTarget();
    if (!target) return false;
    target->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}

void MainWindow::closeEvent(QCloseEvent* e) {
    // A close request arriving between the calls of a bus run asks; the program ends after the
    // instrument in hand.
    if (!h.FormCloseQuery()) {
        e->ignore();
        return;
    }
    h.FormClose();
    e->accept();
}
