#include "bus/BusPort.h"

#include "bus/BusConstants.h"

namespace bus {

namespace {
constexpr int16_t kConverterTbw2 = 66;
constexpr int16_t kConverterTbw2Mode = 6;
constexpr int kConverterTbw2PauseMs = 555;
} // namespace

bool aDLLDynamischLaden(BusLibrary& library, Prompter& prompter) {
    if (library.load())
        return true;
    prompter.beep(Prompter::Beep::Default);
    prompter.beep(Prompter::Beep::Exclamation);
    prompter.show(QStringLiteral("Konte DLL-Datei nicht öffnen!\nProgramm wird beendet!"), QStringLiteral("Fehler"),
                  Prompter::Icon::Error);
    return false;
}

void aDLLDynamischEntladen(BusLibrary& library) { library.unload(); }

int16_t openBusPort(BusLibrary& library, int16_t comPort, int16_t converterCode, Clock& clock) {
    if (converterCode == kConverterTbw2) {
        const int16_t status = library.TBOpenCom(comPort, kBaudRate, kConverterTbw2Mode);
        clock.sleep(kConverterTbw2PauseMs);
        return status;
    }
    return library.TBOpenCom(comPort, kBaudRate, converterCode);
}

QString errorText(BusLibrary& library, int16_t status) {
    return QStringLiteral("(Fehler %1)").arg(status) + library.GetErrorMessageRet(status);
}

void showError(BusLibrary& library, Prompter& prompter, int16_t status) {
    prompter.show(errorText(library, status), QStringLiteral("Fehler"));
}

QString serialText(int32_t identity) {
    return QStringLiteral("%1").arg(static_cast<uint32_t>(identity), 8, 16, QLatin1Char('0')).toUpper();
}

} // namespace bus
