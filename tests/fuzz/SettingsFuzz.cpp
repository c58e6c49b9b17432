// Any bytes as the settings file of a program that starts, changes the converter, saves a
// configuration and closes. A file the store reports damaged must still hold exactly those bytes
// afterwards; a file it used must have kept every value it held.

#include "FuzzCheck.h"
#include "support/AppFixture.h"

#include <QFile>
#include <QSet>

#include <cstddef>
#include <cstdint>
#include <optional>

namespace {

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The keys QSettings reads from `bytes`, if it reads them without complaint.
std::optional<QSet<QString>> keysOf(const QByteArray& bytes, const QString& scratch) {
    QFile f(scratch);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size()) return {};
    f.close();
    QSettings s(scratch, QSettings::IniFormat);
    const QStringList keys = s.allKeys();
    if (s.status() != QSettings::NoError) return std::nullopt;
    return QSet<QString>(keys.begin(), keys.end());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray original(reinterpret_cast<const char*>(data), qsizetype(size));
    AppFixture app;
    {
        QFile f(app.iniPath());
        fuzzCheck(f.open(QIODevice::WriteOnly) && f.write(original) == original.size(),
                  "cannot write the INI");
    }
    MainHandlers& h = app.start();
    h.FormActivate();
    h.MainMenueWandlerItemClick(1);
    app.prompter.saveAnswers = {app.dir.filePath(QStringLiteral("konfig.d20"))};
    h.miDatenspeichernClick();
    h.FormClose();

    const QByteArray after = fileBytes(app.iniPath());
    bool damaged = false;
    for (const QString& text : app.prompter.texts())
        damaged = damaged || text.contains(QStringLiteral("beschädigt"));
    if (damaged) {
        fuzzCheck(after == original, "a settings file reported damaged was written over",
                  ("before:\n" + original.toHex() + "\nafter:\n" + after.toHex()).toStdString());
        return 0;
    }
    // Two file names: QSettings' cache may take a second file of the same name for the first.
    const auto before = keysOf(original, app.dir.filePath(QStringLiteral("vorher.ini")));
    if (!before) return 0; // comments in '#' or a byte order mark: read by the store's own rules
    const QSet<QString> lost =
        *before - keysOf(after, app.dir.filePath(QStringLiteral("nachher.ini"))).value_or(QSet<QString>());
    fuzzCheck(lost.isEmpty(), "values of the settings file were lost",
              (QStringList(lost.begin(), lost.end()).join(QLatin1Char('\n')).toUtf8() + "\nafter:\n" + after)
                  .toStdString());
    return 0;
}
