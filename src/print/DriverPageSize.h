#pragma once
// A printer driver that rasterises the job itself (a label printer's) takes the paper from
// the job's PageSize option, not from the media Qt names: without it a 100 x 150 mm label
// would be drawn on the driver's default label.

class QPrinter;

namespace dorvane {

// Names the printer's paper (already set on printer) as the driver's custom page size, for a
// system printer whose driver takes custom sizes. Nothing for a PDF file or other printers.
void NamePaperForDriver(QPrinter& printer);

} // namespace dorvane
