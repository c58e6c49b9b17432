#pragma once

#include <QByteArray>
#include <QString>

// Windows-1252, the 8-bit code page of the instruments and of d20 files.
// Characters outside it become '?'.
namespace cp1252 {
QByteArray encode(const QString& text);
QString decode(const QByteArray& bytes);
QString decode(const char* zeroTerminated, int capacity);
} // namespace cp1252
