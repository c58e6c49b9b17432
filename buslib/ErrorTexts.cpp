#include "ErrorTexts.h"

#include "Status.h"

namespace traxbus {

namespace {

const char* baseText(int16_t code) {
    using namespace status;
    switch (code) {
    case Ok:
        return "Kein Fehler";
    case NoAnswer:
        return "Keine Antwort vom Gerät (Zeitüberschreitung)";
    case PortNotOpen:
        return "Schnittstelle ist nicht geöffnet";
    case PortMissing:
        return "Schnittstelle existiert nicht";
    case BadBaudRate:
        return "Baudrate wird nicht unterstützt (nur 4800 Baud)";
    case BadMode:
        return "Unbekannter Schnittstellenwandler-Modus";
    case Collision:
        return "Buskollision: mehrere Geräte haben geantwortet";
    case UnknownCommand:
        return "Befehl wird vom Gerät nicht unterstützt";
    case NameTooLong:
        return "Bezeichner zu lang (höchstens 16 Zeichen)";
    case NameUnsupported:
        return "Gerät unterstützt keinen Bezeichner";
    case BufferTooSmall:
        return "Textpuffer zu klein";
    case NullPointer:
        return "Ungültiger Zeiger übergeben";
    case BadOperand:
        return "Ungültiger Wert im Befehl";
    case BadRoster:
        return "Simulationsdatei fehlerhaft";
    case WriteFailed:
        return "Simulationsdatei konnte nicht geschrieben werden";
    case Internal:
        return "Interner Fehler der Bus-Bibliothek";
    case UnknownType:
        return "Gerätetyp unbekannt";
    case UnitOutOfRange:
        return "Einheitencode außerhalb von 0 bis 199";
    case UnknownParameter:
        return "Parameter vom Gerät nicht unterstützt";
    case UseCommand104:
        return "Parameter nur mit Befehl 104 schreibbar";
    default:
        return nullptr;
    }
}

} // namespace

std::string errorText(int16_t code, const std::string& detail) {
    const char* base = code >= 0 ? baseText(status::Ok) : baseText(code);
    std::string text = " ";
    text += base ? base : "Unbekannter Fehler";
    if (!detail.empty()) text += ": " + detail;
    return text;
}

} // namespace traxbus
