#include "files/CsvTable.h"

namespace csvtable {

QString field(QString text) {
    if (text.contains(QLatin1Char(';')) || text.contains(QLatin1Char('"')) ||
        text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r')))
        return QLatin1Char('"') + text.replace(QLatin1String("\""), QLatin1String("\"\"")) + QLatin1Char('"');
    return text;
}

QByteArray document(const QList<QStringList>& lines) {
    QStringList out;
    for (const QStringList& line : lines) {
        QStringList fields;
        for (const QString& f : line)
            fields.append(field(f));
        out.append(fields.join(QLatin1Char(';')));
    }
    return QByteArray("\xEF\xBB\xBF") + out.join(QStringLiteral("\r\n")).toUtf8() + "\r\n";
}

} // namespace csvtable
