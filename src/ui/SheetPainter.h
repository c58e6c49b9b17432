#pragma once

#include "app/SheetPrinter.h"

#include <QImage>

#include <functional>

class MainHandlers;
class QPagedPaintDevice;
class QWidget;

// Lays the sheet out on A4 pages: head, the picture of the window, then the groups;
// a group that does not fit on the page starts the next one. False when the device
// could not be painted on.
bool paintConfigSheet(const ConfigSheet& sheet, const QImage& picture, QPagedPaintDevice& device);

// The sheet as a PDF document; empty when it could not be painted.
QByteArray configSheetPdf(const ConfigSheet& sheet, const QImage& picture);

// The configured main window as the user sees it: a window over the handlers,
// rendered without being shown (for a caller that has no window of its own).
QImage windowPicture(MainHandlers& handlers);

// The sheet on paper and in PDF files, with a picture of the window taken when asked for.
class QtSheetPrinter : public SheetPrinter {
  public:
    explicit QtSheetPrinter(std::function<QImage()> picture) : picture(std::move(picture)) {}
    // The print dialog's owner.
    void setParent(QWidget* parent) { owner = parent; }

    QByteArray pdf(const ConfigSheet& sheet) override;
    Printed print(const ConfigSheet& sheet) override;

  private:
    std::function<QImage()> picture;
    QWidget* owner = nullptr;
};
