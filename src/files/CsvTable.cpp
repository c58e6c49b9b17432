#include "files/CsvTable.h"

namespace csvtable {

QString field(QString text) {
    if (text.contains(QLatin1Char(';')) || text.contains(QLatin1Char('"')) ||
        text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r')))
        return QLatin1Char('"') + text.replace(QLatin1String("\""), QLatin1String("\"\"")) + QLatin1Char('"');
    return text;
}

QByteArray line(const QStringList& fields) {
    QStringList quoted;
    for (const QString& f : fields)
        quoted.append(field(f));
    return quoted.join(QLatin1Char(';')).toUtf8() + "\r\n";
}

QByteArray document(const QList<QStringList>& lines) {
    QByteArray out("\xEF\xBB\xBF");
    for (const QStringList& l : lines)
        out += line(l);
    return out;
}

} // namespace csvtable
