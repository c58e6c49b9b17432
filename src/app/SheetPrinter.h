#pragma once

#include "app/ConfigSheet.h"

#include <QByteArray>

// Paints the configuration sheet: the widget layer's implementation lays out the
// pages with a picture of the window; tests record what they were given.
class SheetPrinter {
  public:
    enum class Printed { Done, Cancelled, Failed };

    virtual ~SheetPrinter() = default;
    // The sheet as a PDF document of A4 pages; empty when it could not be painted.
    virtual QByteArray pdf(const ConfigSheet& sheet) = 0;
    // Asks for a printer (the print dialog) and prints the sheet there.
    virtual Printed print(const ConfigSheet& sheet) = 0;
};
