#include "app/BusMonitorWindow.h"

#include "bus/BusConstants.h"
#include "files/CsvTable.h"

#include <algorithm>
#include <cstring>

namespace {

const char* const kTitles[] = {"Zeit", "Aufruf", "Adresse", "Befehl", "Parameter", "Wert", "Status", "Text"};

} // namespace

QString BusMonitorWindow::columnTitle(int column) {
    return column >= 0 && column < ColumnCount ? QString::fromLatin1(kTitles[column]) : QString();
}

BusMonitorWindow::BusMonitorWindow(CallLog& callLog, Prompter& p, QString startFolder, QChar decimal)
    : log(callLog), prompter(p), folder(std::move(startFolder)), separator(decimal) {
    refresh();
}

bool BusMonitorWindow::refresh() {
    const quint64 newest = log.size() > 0 ? log.at(log.size() - 1).serial : 0;
    if (newest == lastSerial && filterTaken) return false;
    lastSerial = newest;
    filterTaken = true;
    rows.clear();
    failures = 0;
    findRestartPolls();
    for (int i = 0; i < log.size(); ++i) {
        const bool bad = isFailure(i);
        if (bad) ++failures;
        if (!onlyFailures || bad) rows.push_back(i);
    }
    return true;
}

void BusMonitorWindow::findRestartPolls() {
    restartPolls.clear();
    const auto transmits = [](const BusCall& c, int16_t command) {
        return std::strcmp(c.fn, "TBTransmit") == 0 && c.command == command;
    };
    int restarted = -1; // address of the restart still being polled
    int lastPoll = -1;  // the newest unanswered poll of it
    for (int i = 0; i < log.size(); ++i) {
        const BusCall& c = log.at(i);
        if (transmits(c, bus::cmd::Restart)) {
            restarted = c.address;
            lastPoll = -1;
        } else if (restarted >= 0 && c.address == restarted && transmits(c, bus::cmd::ReadIdentity) &&
                   c.failed) {
            restartPolls.insert(i);
            lastPoll = i;
        } else if (restarted >= 0) {
            // The polling ended: answered, or given up after its last poll, which then failed.
            const bool answered = c.address == restarted && transmits(c, bus::cmd::ReadIdentity);
            if (!answered && lastPoll >= 0) restartPolls.remove(lastPoll);
            restarted = -1;
        }
    }
}

QString BusMonitorWindow::cell(int row, int column) const {
    const BusCall& c = call(row);
    const auto number = [this](double v) {
        QString s = QString::number(v, 'g', 10);
        s.replace(QLatin1Char('.'), separator);
        return s;
    };
    const auto operands = [&number](double value, int32_t integer) {
        return integer != 0 ? QStringLiteral("%1 (%2)").arg(number(value)).arg(integer) : number(value);
    };
    const auto is = [&c](const char* name) { return std::strcmp(c.fn, name) == 0; };
    // Command 248 carries the parameter number in the value (plus the write offset) and the
    // parameter's value in the integer: shown as the instrument's parameter and its value.
    const bool parameterCall = is("TBTransmit") && c.command == bus::cmd::Parameter && c.valueIn >= 0 &&
                               c.valueIn < 2 * bus::kWriteOffset;
    const bool parameterWrite = parameterCall && c.valueIn >= bus::kWriteOffset;
    switch (column) {
    case Zeit: {
        QString s = QString::number(static_cast<double>(c.atUs) / 1e6, 'f', 3);
        return s.replace(QLatin1Char('.'), separator);
    }
    case Aufruf:
        return QString::fromLatin1(c.fn);
    case Adresse:
        return c.address >= 0 ? QString::number(c.address) : QString();
    case Befehl:
        return c.command >= 0 ? QString::number(c.command) : QString();
    case Parameter:
        if (is("TBOpenCom"))
            return QStringLiteral("COM%1, %2 Bd, Wandler %3").arg(c.port).arg(c.integerIn).arg(c.auxIn);
        if (parameterCall)
            return QString::number(static_cast<int>(c.valueIn) % static_cast<int>(bus::kWriteOffset)) +
                   (parameterWrite ? QStringLiteral(" schreiben") : QStringLiteral(" lesen"));
        if (c.isExchange())
            return c.auxOut != c.auxIn ? QStringLiteral("%1 → %2").arg(c.auxIn).arg(c.auxOut)
                                       : QString::number(c.auxIn);
        if (is("GetType")) return QStringLiteral("0x%1").arg(c.integerIn, 0, 16);
        if (is("GetUnit") || is("GetErrorMessageRet")) return QString::number(c.integerIn);
        return {};
    case Wert:
        if (parameterCall)
            return parameterWrite ? QString::number(c.integerIn)
                   : c.failed     ? QString()
                                  : QString::number(c.integerOut);
        if (is("TBTransmit"))
            return QStringLiteral("%1 → %2").arg(operands(c.valueIn, c.integerIn),
                                                 operands(c.valueOut, c.integerOut));
        if (is("TBTransmitString")) return QStringLiteral("„%1“ → „%2“").arg(c.textIn, c.textOut);
        if (is("GetVersionNumber")) return QStringLiteral("0x%1").arg(c.status, 4, 16, QLatin1Char('0'));
        if (is("load")) return {};
        return c.textOut;
    case Status:
        return QString::number(c.status);
    case Text:
        if (expected(row)) return QStringLiteral("erwartet, das Gerät startet neu (%1)").arg(c.errorText);
        return is("load") ? c.textOut : c.errorText;
    default:
        return {};
    }
}

QString BusMonitorWindow::summary() const {
    return QStringLiteral("%1 Aufrufe, %2 Fehler").arg(log.size()).arg(failures);
}

void BusMonitorWindow::cbNurFehlerClick(bool checked) {
    onlyFailures = checked;
    filterTaken = false;
    refresh();
}

void BusMonitorWindow::bLeerenClick() {
    log.clear();
    follow = true;
    filterTaken = false;
    refresh();
}

QByteArray BusMonitorWindow::csv() const {
    QList<QStringList> lines;
    QStringList head;
    for (int c = 0; c < ColumnCount; ++c)
        head.append(columnTitle(c));
    lines.append(head);
    for (int r = 0; r < rowCount(); ++r) {
        QStringList fields;
        for (int c = 0; c < ColumnCount; ++c)
            fields.append(cell(r, c));
        lines.append(fields);
    }
    return csvtable::document(lines);
}

QRect BusMonitorWindow::placeBeside(const QRect& mainFrame, const QRect& screen, QSize wanted, QSize least) {
    wanted = wanted.boundedTo(screen.size());
    // Right, left, below and above the main window: as wide (or high) as the room there allows.
    // A small gap keeps the frames apart, whatever border the window manager draws.
    constexpr int kGap = 4;
    const QRect main = mainFrame.adjusted(-kGap, -kGap, kGap, kGap);
    const int right = screen.right() - main.right();
    const int left = main.left() - screen.left();
    const int below = screen.bottom() - main.bottom();
    const int above = main.top() - screen.top();
    const int y = std::clamp(main.top(), screen.top(), screen.bottom() + 1 - wanted.height());
    const int x = std::clamp(main.left(), screen.left(), screen.right() + 1 - wanted.width());
    const int hBelow = std::min(wanted.height(), below);
    const int hAbove = std::min(wanted.height(), above);
    const QRect sides[] = {
        {main.right() + 1, y, std::min(wanted.width(), right), wanted.height()},
        {main.left() - std::min(wanted.width(), left), y, std::min(wanted.width(), left), wanted.height()},
        {x, main.bottom() + 1, wanted.width(), hBelow},
        {x, main.top() - hAbove, wanted.width(), hAbove},
    };
    // The side with the most room wins.
    const QRect* best = nullptr;
    for (const QRect& side : sides) {
        if (side.width() < least.width() || side.height() < least.height()) continue;
        if (!best || side.width() * side.height() > best->width() * best->height()) best = &side;
    }
    if (best) return *best;
    // No room anywhere: over the lower right of the main window, clear of its title and menu.
    constexpr int kMenuClearance = 60;
    const int top = std::max(y, mainFrame.top() + kMenuClearance);
    return {screen.right() + 1 - wanted.width(), top, wanted.width(),
            std::min(wanted.height(), screen.bottom() + 1 - top)};
}

void BusMonitorWindow::bSpeichernClick() {
    csvtable::saveAs(prompter, folder, csv());
}
