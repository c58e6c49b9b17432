#include "files/TaggedValue.h"

#include "files/D20Format.h"
#include "files/WordReader.h"

int16_t readTaggedValue(const QString& tag, QString& value, const QByteArray& fileBytes) {
    const QString start = tag.contains(QLatin1Char('<')) ? tag : QLatin1Char('<') + tag + QLatin1Char('>');
    QString end = start;
    end.insert(1, QLatin1Char('/'));

    WordReader words(fileBytes);
    QString word;
    while (words.count() < d20::kTagWordLimit && words.next(word)) {
        const int at = words.count() - 1;
        if (!word.contains(start)) continue;
        QString text = word;
        text.remove(text.indexOf(start), start.size());
        // A value without its end tag ends the search at the end of the file; a value
        // never runs on for longer than the scan itself may.
        int appended = 0;
        while (!text.contains(end)) {
            if (appended == d20::kTagWordLimit || !words.next(word)) return -1;
            text += QLatin1Char(' ') + word;
            ++appended;
        }
        text.truncate(text.indexOf(end));
        if (!text.contains(QLatin1Char('<'))) {
            value = text;
            return static_cast<int16_t>(at);
        }
    }
    return -1;
}

int16_t readTaggedValue(const QString& tag, QString& value, const QString& fileName) {
    const std::optional<QByteArray> bytes = WordReader::readFile(fileName);
    return bytes ? readTaggedValue(tag, value, *bytes) : int16_t(-1);
}
