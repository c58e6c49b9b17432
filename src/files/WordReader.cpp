#include "files/WordReader.h"

#include "config/Cp1252.h"

namespace {

constexpr qint64 kChunk = 65536;

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

} // namespace

WordReader::WordReader(const QString& fileName) : file(fileName) {
    opened = file.open(QIODevice::ReadOnly);
}

WordReader::WordReader(QByteArray bytes) : opened(true), buffer(std::move(bytes)) {}

std::optional<QByteArray> WordReader::readFile(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    return file.read(kMaxFileBytes);
}

bool WordReader::fill() {
    if (pos < buffer.size()) return true;
    if (!file.isOpen()) return false;
    buffer = file.read(kChunk);
    pos = 0;
    return !buffer.isEmpty();
}

bool WordReader::next(QString& word) {
    while (fill() && isSpace(buffer.at(pos)))
        ++pos;
    QByteArray bytes;
    while (fill() && !isSpace(buffer.at(pos)) && bytes.size() < kMaxWordBytes)
        bytes.append(buffer.at(pos++));
    if (bytes.isEmpty()) return false;
    word = cp1252::decode(bytes);
    ++words;
    return true;
}
