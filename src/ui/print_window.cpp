// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/print_window.h"

#include <QPainter>
#include <QPrintDialog>
#include <QPrinterInfo>
#include <QWidget>
#include <algorithm>
#include <utility>

#include "app/hooks.h"
#include "ui/qt_hooks.h"

namespace kva::ui {
namespace {

// The default printer as it stands, or the user's choice when the system has none.
bool ChoosePrinter(QPrinter& printer, QWidget& window) {
  if (Windows().printer) return Windows().printer(printer);
  const QPrinterInfo defaultPrinter = QPrinterInfo::defaultPrinter();
  if (!defaultPrinter.isNull()) {
    printer.setPrinterName(defaultPrinter.printerName());
    return true;
  }
  QPrintDialog dialog(&printer, &window);
  dialog.setWindowTitle(QStringLiteral("Print"));
  return dialog.exec() == QDialog::Accepted;
}

std::string Destination(const QPrinter& printer) {
  if (!printer.outputFileName().isEmpty()) return " to " + S(printer.outputFileName());
  if (!printer.printerName().isEmpty()) return " on " + S(printer.printerName());
  return "";
}

}  // namespace

PrintOutcome PrintWindowImage(QWidget& window) {
  // Grabbed before any dialog covers the window.
  const QPixmap image = window.grab();
  QPrinter printer(QPrinter::HighResolution);
  if (!ChoosePrinter(printer, window)) return PrintOutcome::Cancelled;

  QPainter painter;
  bool ok = painter.begin(&printer);
  if (ok) {
    const QRectF page = printer.pageLayout().paintRectPixels(printer.resolution());
    const double scale = std::min(page.width() / image.width(), page.height() / image.height());
    painter.drawPixmap(QRectF(0, 0, image.width() * scale, image.height() * scale), image,
                       QRectF(image.rect()));
    ok = painter.end();
  }
  if (!ok) {
    MsgBox("The window could not be printed" + Destination(printer) + ".");
    return PrintOutcome::Failed;
  }
  return PrintOutcome::Printed;
}

void SetPrinterHook(PrinterHook hook) { Windows().printer = std::move(hook); }

}  // namespace kva::ui
