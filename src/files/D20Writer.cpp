#include "files/D20Writer.h"

#include <pwd.h>
#include <unistd.h>

#include "config/Cp1252.h"
#include "files/D20Format.h"

#include <QRegularExpression>

#include <algorithm>

namespace {

constexpr int kUserNameCapacity = 127;

// What separates the words of a file for its readers.
const QRegularExpression kBlanks(QStringLiteral("[ \\t\\r\\n\\v\\f]+"));

QStringList words(const QString& text) {
    return text.split(kBlanks, Qt::SkipEmptyParts);
}

int wordCount(const QString& text) {
    return int(words(text).size());
}

int wordCount(const QStringList& lines) {
    int n = 0;
    for (const QString& line : lines)
        n += wordCount(line);
    return n;
}

QString tagged(const QString& tag, const QString& value) {
    return QLatin1Char('<') + tag + QLatin1Char('>') + value + QStringLiteral("</") + tag + QLatin1Char('>');
}

} // namespace

D20Writer::D20Writer(const MainWindowModel& model, QChar separator) : m(model), sep(separator) {}

QString D20Writer::word(const QString& text) {
    QString w = text;
    w.remove(kBlanks);
    return w.isEmpty() ? QStringLiteral("0") : w;
}

QString D20Writer::platformUserName() {
    QString name = qEnvironmentVariable("USER");
    if (name.isEmpty()) name = qEnvironmentVariable("LOGNAME");
    if (name.isEmpty()) {
        // Services and containers often start without a login environment; ask the user database.
        if (const passwd* pw = getpwuid(getuid()))
            name = QString::fromLocal8Bit(pw->pw_name);
    }
    if (name.isEmpty()) return QStringLiteral("unknown");
    return name.left(kUserNameCapacity);
}

QStringList D20Writer::dataLines() const {
    QStringList out;
    auto index = [&out](const ItemList& list) { out.append(QString::number(list.itemIndex)); };
    auto text = [&out](const NumericField& field) { out.append(word(field.text)); };

    const ModelEntry* model = m.checkedModel();
    const bool dvn20 = m.isChecked(ModelId::DVN20TB);
    out.append(QString::number(d20::formatWord(dvn20 ? kFamilyDvn20 : kFamilyTrk520, sep)));
    // A window without a model says so, so that the next entry is not taken for the model code.
    if (!dvn20) out.append(QString::number(model ? model->fileModelCode : d20::kNoModelCode));

    index(m.rgInput);
    index(m.rgSensor);
    index(m.cpAnzeigeDp);
    text(m.neAnzeigeHigh);
    text(m.neAnzeigeLow);
    index(m.cbLimit);
    text(m.neFilter);
    text(m.neMessbereichHigh);
    text(m.neMessbereichLow);
    text(m.neVorteiler);
    index(m.cbAnzeigeUnit);
    index(m.cbAnzeigeMessart);
    index(m.cbEdge);
    index(m.rgOutput);
    text(m.neOut1Einschaltpunkt);
    text(m.neOut1Ausschaltpunkt);
    text(m.neOut1Delay);
    index(m.cbOut1Mode);
    index(m.cbOut1Vorzugslage);
    text(m.neOut2Einschaltpunkt);
    text(m.neOut2Ausschaltpunkt);
    text(m.neOut2Delay);
    index(m.cbOut2Mode);
    index(m.cbOut2Vorzugslage);
    index(m.cbStromAusgang);
    text(m.neDAC_High);
    text(m.neDAC_Low);
    index(m.cbAnalogOut1Vorzugslage);
    text(m.neDAFilter);
    index(m.rgReglerFunktion);
    text(m.nePID_SP1);
    text(m.nePID_Proportional);
    text(m.ne_PIDIntegral);
    text(m.nePID_Derivation);
    text(m.nePID_CyC);
    text(m.nePIDdur);
    text(m.nePIDthr);
    const QString preferred = m.cbPID_Vorzugslage.selectedText();
    out.append(preferred.isEmpty() ? QStringLiteral("Off") : word(preferred));

    const bool unitShown = m.MainMenueExtrasAnzeigeeinheit.checked;
    out.append(QLatin1String(unitShown ? "1" : "0"));
    if (!unitShown) out.append(QStringLiteral("-1"));
    index(m.cb_AnzeigeEinheit);

    if (m.MainMenueExtras_ErweiterteKonfiguration.checked) {
        out.append(tagged(QStringLiteral("SPECIALFUNCTIONS"), d20::kSectionVersion));
        out.append(QLatin1Char('\t') + tagged(QStringLiteral("ALLGEMEIN"), word(m.e_erw_Allgemein.text)));
        out.append(QLatin1Char('\t') + tagged(QStringLiteral("ALARM"), word(m.e_erw_Alarm.text)));
        out.append(QLatin1Char('\t') +
                   tagged(QStringLiteral("SCHALTFUNKTION_1"), word(m.e_erw_Schaltfunktion1.text)));
        out.append(QLatin1Char('\t') +
                   tagged(QStringLiteral("SCHALTFUNKTION_2"), word(m.e_erw_Schaltfunktion2.text)));
    }
    return out;
}

QStringList D20Writer::headerLines(const QString& comment, const D20Header& header) const {
    const QDate& d = header.date;
    return {
        tagged(QStringLiteral("Datum"), QStringLiteral("%1-%2-%3").arg(d.year()).arg(d.month()).arg(d.day())),
        tagged(QStringLiteral("Kommentar"), untagged(comment)),
        tagged(QStringLiteral("BenutzerName"), untagged(header.userName)),
        tagged(QStringLiteral("BEGIN"), d20::kProgramVersion)};
}

QString D20Writer::untagged(const QString& text) {
    QString out = text;
    return out.replace(QLatin1Char('<'), QChar(0x2039)).replace(QLatin1Char('>'), QChar(0x203A));
}

QString D20Writer::commentNotice(const D20Header& header) const {
    QStringList notice;
    if (untagged(header.comment) != header.comment)
        notice.append(QStringLiteral("Die Zeichen < und > im Kommentar wurden durch ‹ und › ersetzt."));
    if (fittedComment(header) != untagged(header.comment))
        notice.append(QStringLiteral("Der Kommentar ist zu lang für die Datei und wurde gekürzt."));
    return notice.join(QLatin1Char('\n'));
}

QString D20Writer::fittedComment(const D20Header& header) const {
    const QString comment = untagged(header.comment);
    const QStringList commentWords = words(comment);
    const int total = wordCount(headerLines(comment, header)) + wordCount(dataLines());
    if (total <= d20::kTagWordLimit) return comment;
    const int keep = std::max(0, int(commentWords.size()) - (total - d20::kTagWordLimit));
    QString fitted;
    for (int i = 0; i < keep; ++i)
        fitted += QLatin1Char(' ') + commentWords.at(i);
    return fitted.isEmpty() ? QStringLiteral(" ") : fitted;
}

QStringList D20Writer::lines(const D20Header& header) const {
    return headerLines(fittedComment(header), header) + dataLines();
}

QByteArray D20Writer::contents(const D20Header& header) const {
    QByteArray out;
    for (const QString& line : lines(header))
        out += cp1252::encode(line) + "\r\n";
    return out;
}
