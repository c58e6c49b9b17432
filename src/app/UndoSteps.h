#pragma once

#include <QString>

// Kinds of undo steps as the status bar names them ("Rückgängig: Modellwechsel").
namespace undosteps {

inline const QString kEdit = QStringLiteral("Eingabe");
inline const QString kNew = QStringLiteral("Neu");
inline const QString kModelChange = QStringLiteral("Modellwechsel");
inline const QString kReadout = QStringLiteral("Einlesen");
inline const QString kFileLoad = QStringLiteral("Datei laden");
inline const QString kFlowCalculator = QStringLiteral("Durchflussmessung");
inline const QString kPortChoice = QStringLiteral("Portauswahl");
inline const QString kDisplayUnit = QStringLiteral("Anzeigeeinheit");
inline const QString kExtended = QStringLiteral("Erweiterte Konfiguration");
inline const QString kArchiveLoad = QStringLiteral("Aus dem Gerätearchiv laden");

} // namespace undosteps
