// Any bytes as a d20 file, loaded through "Konfiguration &lesen" into a fresh window whose user
// answers every question with the default button. A file that loads is saved, the saved file
// loaded into another fresh window and saved again: both saves must hold the same bytes apart
// from the date and the user.

#include "FuzzCheck.h"
#include "files/FileWindow.h"

#include <cstddef>
#include <cstdint>

namespace {

QByteArray withoutDateAndUser(const QByteArray& file) {
    QByteArrayList kept;
    for (const QByteArray& line : file.split('\n')) {
        if (!line.startsWith("<Datum>") && !line.startsWith("<BenutzerName>")) kept.append(line);
    }
    return kept.join('\n');
}

bool writeFile(const QString& path, const QByteArray& data) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(data) == data.size();
}

bool loaded(FileWindow& w) {
    const QString status = w.m().StatusBar1.panels[2];
    return status.startsWith(QStringLiteral("Datei: ")) && status.endsWith(QStringLiteral(" geladen"));
}

QByteArray saved(FileWindow& w, const char* name) {
    const QString path = w.file(name);
    w.save(path);
    fuzzCheck(w.m().StatusBar1.panels[2].endsWith(QStringLiteral(" gespeichert")), "save failed",
              w.m().StatusBar1.panels[2].toStdString());
    return FileWindow::bytes(path);
}

void loadAndResave(const QByteArray& data, const Session& session) {
    FileWindow first(session);
    const QString input = first.file("eingabe.d20");
    fuzzCheck(writeFile(input, data), "cannot write the input file");
    first.load(input);
    if (!loaded(first)) return;
    const QByteArray once = saved(first, "erste.d20");

    FileWindow second(session);
    const QString copy = second.file("kopie.d20");
    fuzzCheck(writeFile(copy, once), "cannot copy the saved file");
    second.load(copy);
    fuzzCheck(loaded(second), "a file the program saved does not load", once.toStdString());
    const QByteArray twice = saved(second, "zweite.d20");
    fuzzCheck(withoutDateAndUser(once) == withoutDateAndUser(twice), "save, load, save changed the file",
              ("first save:\n" + once + "\nsecond save:\n" + twice).toStdString());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    // Both separators, each with the other start-up state, so every reader branch is reachable.
    loadAndResave(bytes, Session{QLatin1Char(','), false, false});
    loadAndResave(bytes, Session{QLatin1Char('.'), true, true});
    return 0;
}
