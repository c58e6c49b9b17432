#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

// The header tag reader: scans the file's words for `tag` (a name such as
// "Datum", or a start tag such as "<Datum>") and collects the text up to the
// matching end tag. Returns the number of words before the tag and sets
// `value`, or -1 when the tag is not among the first 255 words, its value has
// no end tag, or every value found contains "<".
int16_t readTaggedValue(const QString& tag, QString& value, const QByteArray& fileBytes);
// The same on the file of that name, opened and closed here.
int16_t readTaggedValue(const QString& tag, QString& value, const QString& fileName);
