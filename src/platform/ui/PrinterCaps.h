// What the current printer's driver reports about itself.
#pragma once

// The most copies the default printer prints of one job (the driver's DC_COPIES answer); 0 when
// there is no printer.
int GetDefaultPrinterMaxCopies();
