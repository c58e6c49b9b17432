#include "bus/BusScan.h"

#include "bus/BusCommands.h"
#include "bus/BusConstants.h"
#include "config/ModelCatalogue.h"

namespace bus {

namespace {

constexpr int kNoAnswer = -2;
constexpr int kCollision = -7;

// The line: telegrams of 8 bytes at 10 bits each, the answer 5 ms after the question, and
// 100 ms of waiting before a question counts as unanswered.
constexpr int kTelegramBytes = 8;
constexpr int kBitsPerByte = 10;
constexpr int kTurnaroundUs = 5000;
constexpr int kTimeoutUs = 100000;

int telegramUs() {
    return kTelegramBytes * kBitsPerByte * 1000000 / kBaudRate;
}

// The first model of the family in the catalogue carries the family's plain name.
QString familyName(int32_t identity) {
    for (const ModelEntry* e = catalogue::begin(); e != catalogue::end(); ++e)
        if (e->family == (identity & kFamilyMask)) return QString::fromUtf8(e->caption);
    return QStringLiteral("unbekannt");
}

// Firmware and name of the one instrument that answered at the row's address. Neither is
// essential: a row without them is still an instrument found.
void readDetails(BusLibrary& library, ScanRow& row) {
    Operands ops;
    if (transmit(library, row.address, cmd::ReadVersion, ops) >= 0) {
        row.hasFirmware = true;
        row.firmware = ops.value;
    }
    int16_t length = kNameReadCapacity;
    QString name;
    if (library.TBTransmitString(row.address, namecmd::Read, ops.aux, name, length) >= 0) {
        row.hasName = true;
        row.name = name;
    }
}

} // namespace

QString ScanProgress::text(const QString& between) const {
    QString t = QStringLiteral("%1 von %2 Adressen").arg(done).arg(total) + between;
    if (done < total) t += QStringLiteral(", noch etwa %1 s").arg((remainingMs + 999) / 1000);
    return t;
}

QString ScanRow::collisionText() const {
    return collision ? QStringLiteral("mehrere Geräte an Adresse %1").arg(address) : QString();
}

int emptyAddressUs() {
    return telegramUs() + kTimeoutUs;
}

int exchangeUs() {
    return 2 * telegramUs() + kTurnaroundUs;
}

QList<int16_t> scanOrder(const ScanRequest& request) {
    QList<int16_t> order;
    const auto inside = [&](int16_t a) { return a >= request.from && a <= request.to; };
    for (int16_t a : request.known)
        if (inside(a) && !order.contains(a)) order.append(a);
    for (int a = request.from; a <= request.to; ++a)
        if (!order.contains(static_cast<int16_t>(a))) order.append(static_cast<int16_t>(a));
    return order;
}

ScanResult scanBus(BusLibrary& library, const ScanRequest& request, const ScanCallbacks& callbacks) {
    ScanResult result;
    const QList<int16_t> order = scanOrder(request);
    const auto report = [&] {
        if (!callbacks.progress) return;
        // Mostly empty addresses: each costs its time-out, about what a found one takes.
        const qint64 remaining = qint64(order.size() - result.done) * emptyAddressUs();
        callbacks.progress({result.done, int(order.size()), int(remaining / 1000)});
    };
    report();
    for (const int16_t address : order) {
        if (callbacks.cancelled && callbacks.cancelled()) {
            result.cancelled = true;
            break;
        }
        Operands ops;
        const int16_t status = transmit(library, address, cmd::ReadIdentity, ops);
        ++result.done;
        if (status == kNoAnswer) {
            report();
            continue;
        }
        if (status < 0 && status != kCollision) {
            result.status = status;
            result.failedAt = address;
            report();
            break;
        }
        ScanRow row;
        row.address = address;
        row.collision = status == kCollision;
        if (!row.collision) {
            row.identity = ops.integer;
            row.typeName = familyName(ops.integer);
            readDetails(library, row);
        }
        result.rows.append(row);
        if (callbacks.found) callbacks.found(row);
        report();
    }
    return result;
}

} // namespace bus
