#include "files/LinePlan.h"

#include "bus/BusConstants.h"
#include "bus/BusPort.h"
#include "config/Cp1252.h"
#include "config/ModelCatalogue.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>

QString LinePlanEntry::title() const {
    return name.isEmpty() ? QStringLiteral("Adresse %1").arg(address) : lineplan::shortened(name);
}

const LinePlanEntry* LinePlan::at(int16_t address) const {
    for (const LinePlanEntry& e : instruments)
        if (e.address == address) return &e;
    return nullptr;
}

QList<int16_t> LinePlan::addresses() const {
    QList<int16_t> list;
    for (const LinePlanEntry& e : instruments)
        list.append(e.address);
    return list;
}

namespace lineplan {

namespace {

const QStringList kPlanKeys = {QStringLiteral("version"), QStringLiteral("port"), QStringLiteral("converter"),
                               QStringLiteral("instruments")};
const QStringList kEntryKeys = {QStringLiteral("address"), QStringLiteral("serial"), QStringLiteral("name"),
                                QStringLiteral("model"), QStringLiteral("d20")};

std::optional<int> wholeNumber(const QJsonValue& v, int lowest, int highest) {
    if (!v.isDouble()) return std::nullopt;
    const double d = v.toDouble();
    if (d != std::floor(d) || d < lowest || d > highest) return std::nullopt;
    return static_cast<int>(d);
}

bool knownModel(const QString& name) {
    for (const ModelEntry* e = catalogue::begin(); e != catalogue::end(); ++e)
        if (name == QString::fromUtf8(e->caption)) return true;
    return false;
}

QString unknownKey(const QJsonObject& o, const QStringList& keys) {
    for (auto it = o.begin(); it != o.end(); ++it)
        if (!keys.contains(it.key())) return shortened(it.key());
    return {};
}

bool hasControl(const QString& text) {
    return std::any_of(text.begin(), text.end(),
                       [](QChar c) { return c.category() == QChar::Other_Control; });
}

// What can be told of a d20 path without the disk; the reason when it is no path inside the
// plan's folder.
QString d20Problem(const LinePlanEntry& e) {
    const QString title = e.title();
    if (e.d20File.isEmpty()) return QStringLiteral("„d20“ muss die d20-Datei des Geräts nennen.");
    if (e.d20File.size() > LinePlan::kMaxD20Length)
        return QStringLiteral("„d20“ von %1 ist länger als %2 Zeichen.")
            .arg(title)
            .arg(LinePlan::kMaxD20Length);
    // A NUL would cut the path short where the file is opened: another file than the one named.
    if (hasControl(e.d20File)) return QStringLiteral("„d20“ von %1 enthält Steuerzeichen.").arg(title);
    if (QDir::isAbsolutePath(e.d20File))
        return QStringLiteral("„d20“ von %1 muss relativ zum Ordner des Plans angegeben sein.").arg(title);
    const QString clean = QDir::cleanPath(e.d20File);
    if (clean == QLatin1String("..") || clean.startsWith(QLatin1String("../")))
        return QStringLiteral("„d20“ von %1 führt aus dem Ordner des Plans hinaus („%2“).")
            .arg(title, shortened(e.d20File));
    return {};
}

// One instrument of the plan; the reason when it is malformed.
QString readEntry(const QJsonValue& value, LinePlanEntry& e) {
    if (!value.isObject()) return QStringLiteral("ist kein Objekt.");
    const QJsonObject o = value.toObject();
    if (const QString key = unknownKey(o, kEntryKeys); !key.isEmpty())
        return QStringLiteral("unbekannter Eintrag „%1“.").arg(key);
    const std::optional<int> address = wholeNumber(o.value(QStringLiteral("address")), 0, bus::kHighestAddress);
    if (!address) return QStringLiteral("„address“ muss eine Busadresse von 0 bis 239 sein.");
    e.address = static_cast<int16_t>(*address);

    const QJsonValue serial = o.value(QStringLiteral("serial"));
    static const QRegularExpression hex(QStringLiteral("^[0-9A-Fa-f]{8}$"));
    if (serial.isString() && hex.match(serial.toString()).hasMatch())
        e.identity = static_cast<int32_t>(serial.toString().toUInt(nullptr, 16));
    else if (!serial.isNull() && !serial.isUndefined())
        return QStringLiteral("„serial“ muss acht Hexadezimalziffern haben oder null sein (noch keine).");

    const QJsonValue name = o.value(QStringLiteral("name"));
    if (!name.isUndefined() && !name.isNull() && !name.isString())
        return QStringLiteral("„name“ muss ein Text sein.");
    e.name = name.toString();
    if (e.name.size() > bus::kNameLength || cp1252::decode(cp1252::encode(e.name)) != e.name)
        return QStringLiteral("der Name „%1“ passt nicht ins Gerät (höchstens 16 Zeichen aus Windows-1252).")
            .arg(shortened(e.name));

    e.model = o.value(QStringLiteral("model")).toString();
    if (!knownModel(e.model))
        return QStringLiteral("„model“ muss ein Gerätetyp wie im Menü „Typ“ sein, z. B. „TRK 520 PID“.");

    e.d20File = o.value(QStringLiteral("d20")).toString();
    return d20Problem(e);
}

QString tooLarge(qint64 bytes) {
    return QStringLiteral("%1 Bytes groß; ein Anlagenplan hat höchstens 1 MiB.").arg(bytes);
}

} // namespace

ReadResult parse(const QByteArray& json, const QString& path) {
    const QString where = QStringLiteral("Anlagenplan „%1“: ").arg(path);
    const auto refuse = [&](const QString& reason) { return ReadResult{std::nullopt, where + reason}; };
    if (json.size() > LinePlan::kMaxBytes) return refuse(tooLarge(json.size()));
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError)
        return refuse(QStringLiteral("kein gültiges JSON (Zeichen %1: %2).").arg(error.offset).arg(error.errorString()));
    if (!doc.isObject()) return refuse(QStringLiteral("kein JSON-Objekt."));
    const QJsonObject o = doc.object();
    if (const QString key = unknownKey(o, kPlanKeys); !key.isEmpty())
        return refuse(QStringLiteral("unbekannter Eintrag „%1“.").arg(key));
    const std::optional<int> version = wholeNumber(o.value(QStringLiteral("version")), 1, 1 << 30);
    if (!version) return refuse(QStringLiteral("„version“ fehlt oder ist keine Versionsnummer."));
    if (*version > LinePlan::kVersion)
        return refuse(QStringLiteral("Version %1; dieses Programm liest Pläne bis Version %2.")
                          .arg(*version)
                          .arg(LinePlan::kVersion));

    LinePlan plan;
    const std::optional<int> port = wholeNumber(o.value(QStringLiteral("port")), 1, 32767);
    if (!port) return refuse(QStringLiteral("„port“ muss eine Portnummer von 1 bis 32767 sein."));
    plan.port = static_cast<int16_t>(*port);
    const QJsonValue converterValue = o.value(QStringLiteral("converter"));
    const std::optional<int> converter = converterValue.isUndefined() ? 0 : wholeNumber(converterValue, 0, 66);
    if (!converter || (*converter != 0 && *converter != 6 && *converter != 7 && *converter != 66))
        return refuse(QStringLiteral("„converter“ muss 0, 6, 7 oder 66 sein."));
    plan.converter = static_cast<int16_t>(*converter);

    const QJsonValue list = o.value(QStringLiteral("instruments"));
    if (!list.isArray()) return refuse(QStringLiteral("„instruments“ muss eine Liste der Geräte sein."));
    const QJsonArray array = list.toArray();
    // A plan without instruments checks clean whatever is on the line.
    if (array.isEmpty())
        return refuse(QStringLiteral("„instruments“ nennt kein Gerät; ein Plan braucht mindestens eines."));
    for (qsizetype i = 0; i < array.size(); ++i) {
        LinePlanEntry e;
        if (const QString reason = readEntry(array.at(i), e); !reason.isEmpty())
            return refuse(QStringLiteral("Gerät %1 der Liste: %2").arg(i + 1).arg(reason));
        if (plan.at(e.address))
            return refuse(QStringLiteral("Adresse %1 ist zweimal verplant.").arg(e.address));
        plan.instruments.append(e);
    }
    std::sort(plan.instruments.begin(), plan.instruments.end(),
              [](const LinePlanEntry& a, const LinePlanEntry& b) { return a.address < b.address; });
    return {plan, {}};
}

ReadResult read(const QString& path) {
    const QFileInfo info(path);
    QFile file(path);
    // A pipe or a device is not opened at all: it could block or never end.
    if (!info.isFile() || !file.open(QIODevice::ReadOnly)) {
        const QString why = !info.exists()   ? QStringLiteral("Die Datei ist nicht vorhanden.")
                            : info.isDir()   ? QStringLiteral("Das ist ein Ordner.")
                            : !info.isFile() ? QStringLiteral("Das ist keine gewöhnliche Datei.")
                                             : QStringLiteral("Keine Berechtigung zum Lesen.");
        return {std::nullopt, QStringLiteral("Anlagenplan „%1“ kann nicht gelesen werden: %2").arg(path, why)};
    }
    if (file.size() > LinePlan::kMaxBytes)
        return {std::nullopt, QStringLiteral("Anlagenplan „%1“: %2").arg(path, tooLarge(file.size()))};
    // Never more than the limit, even from a file that grows while it is read.
    return parse(file.read(LinePlan::kMaxBytes + 1), path);
}

QByteArray toJson(const LinePlan& plan) {
    QList<LinePlanEntry> sorted = plan.instruments;
    std::sort(sorted.begin(), sorted.end(),
              [](const LinePlanEntry& a, const LinePlanEntry& b) { return a.address < b.address; });
    QJsonArray list;
    for (const LinePlanEntry& e : sorted)
        list.append(QJsonObject{
            {QStringLiteral("address"), e.address},
            {QStringLiteral("serial"), e.identity ? QJsonValue(bus::serialText(*e.identity)) : QJsonValue()},
            {QStringLiteral("name"), e.name},
            {QStringLiteral("model"), e.model},
            {QStringLiteral("d20"), e.d20File}});
    return QJsonDocument(QJsonObject{{QStringLiteral("version"), LinePlan::kVersion},
                                     {QStringLiteral("port"), plan.port},
                                     {QStringLiteral("converter"), plan.converter},
                                     {QStringLiteral("instruments"), list}})
        .toJson(QJsonDocument::Indented);
}

filewriter::Result write(const QString& path, const LinePlan& plan) {
    return filewriter::replace(path, toJson(plan));
}

QString d20Path(const QString& planPath, const LinePlanEntry& entry) {
    return QDir::cleanPath(QFileInfo(planPath).absoluteDir().filePath(entry.d20File));
}

QString relativeD20(const QString& planPath, const QString& d20Path) {
    return QFileInfo(planPath).absoluteDir().relativeFilePath(QFileInfo(d20Path).absoluteFilePath());
}

QString resolvedPath(const QString& path) {
    QString at = QFileInfo(path).absoluteFilePath();
    // As many links as the system itself follows before it calls it a loop.
    for (int hops = 0; hops < 40; ++hops) {
        const QFileInfo info(at);
        if (info.exists()) return info.canonicalFilePath();
        if (!info.isSymLink()) {
            const QString folder = info.absoluteDir().canonicalPath();
            return folder.isEmpty() ? QString() : QDir(folder).filePath(info.fileName());
        }
        at = info.symLinkTarget();
        if (at.isEmpty()) break;
    }
    return {};
}

bool insideFolder(const QString& planPath, const QString& path) {
    QString folder = QFileInfo(planPath).absoluteDir().canonicalPath();
    const QString target = resolvedPath(path);
    if (folder.isEmpty() || target.isEmpty()) return false;
    if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
    return target.startsWith(folder);
}

D20File d20File(const QString& planPath, const LinePlanEntry& entry) {
    const QString path = d20Path(planPath, entry);
    // Named as the plan writes it; the reader let no control character or endless path through.
    const QString title = entry.title();
    const QString named = entry.d20File;
    const QFileInfo info(path);
    if (!info.exists())
        return {path, info.isSymLink()
                          ? QStringLiteral("%1: die d20-Datei „%2“ ist ein Verweis ins Leere (auf %3).")
                                .arg(title, named, QDir::toNativeSeparators(info.symLinkTarget()))
                          : QStringLiteral("%1: die d20-Datei „%2“ fehlt.").arg(title, named)};
    const QString resolved = resolvedPath(path);
    if (!insideFolder(planPath, path))
        return {path,
                QStringLiteral("%1: die d20-Datei „%2“ liegt nicht im Ordner des Plans (sie führt nach %3).")
                    .arg(title, named, QDir::toNativeSeparators(resolved))};
    if (!QFileInfo(resolved).isFile())
        return {path, QStringLiteral("%1: „%2“ ist keine gewöhnliche Datei.").arg(title, named)};
    return {resolved, {}};
}

QString shortened(const QString& text) {
    constexpr int kShown = 40;
    QString out =
        text.size() > kShown ? text.left(text.at(kShown - 1).isHighSurrogate() ? kShown - 1 : kShown) : text;
    for (QChar& c : out)
        if (c.category() == QChar::Other_Control) c = QLatin1Char('?');
    return text.size() > kShown ? out + QStringLiteral("…") : out;
}

} // namespace lineplan
