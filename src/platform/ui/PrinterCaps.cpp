#include "platform/ui/PrinterCaps.h"

#include <QPrinter>
#include <QPrinterInfo>

#include "platform/ui/GuiSession.h"

int GetDefaultPrinterMaxCopies() {
  if (!GuiSessionRunning()) return 0;
  const QPrinterInfo info = QPrinterInfo::defaultPrinter();
  if (info.isNull()) return 0;
  QPrinter printer(info);
  // The print system copies whole jobs itself; its usual upper bound is 9999.
  return printer.supportsMultipleCopies() ? 9999 : 1;
}
