#include "platform/ui/PrinterCaps.h"

#include "platform/ui/Printers.h"

int GetDefaultPrinterMaxCopies() { return Printer()->GetMaxCopies(); }
