#pragma once
// Draws one field text into its box, the same way on the printed form and on screen:
//  - single line: one line, vertically centred, left or centred, cut at the box's edges;
//    characters wholly outside the box are not drawn at all;
//  - wrapped: top-aligned lines broken at words (and between Chinese characters), left or
//    centred; a line that would not fit whole below the others is not drawn.
// Every character is drawn as it is typed: an address like "A&B座" keeps its "&".
// The text is drawn in the painter's font and pen. Measuring a text answers, from the very
// same layout, what of it the paper does not show.

#include <QRect>
#include <QString>

#include <cstdint>
#include <optional>

class QFont;
class QPainter;
class QPaintDevice;

namespace dorvane {

// What of a text the paper leaves out. A character the edge of its box, or of the area the
// printer can print on, cuts through counts as lost; blanks and line ends beyond it are no loss.
struct TextBoxFit {
    int lostChars = 0;   // characters not on the paper
    int lostLines = 0;   // wrapped text: the lines not on the paper
    QString lostText;    // the characters not on the paper, in their order
    QString unprintable; // characters no font on this system can draw (they would print as an
                         // empty box), each once, in their order
    // Every character lands on the paper (a smaller font can help with nothing else).
    bool placed() const { return lostChars == 0; }
    // Everything prints as typed.
    bool whole() const { return placed() && unprintable.isEmpty(); }
};

class TextBoxDrawer {
public:
    // format: one of the field formats of the catalogue (kLeftSingleLine and so on).
    // layoutDevice: the device whose font metrics break and cut the text (by default the
    // painter's own); the preview draws the printer's layout scaled onto the screen.
    static TextBoxFit draw(QPainter& painter, const QRect& box, const QString& text, std::uint32_t format,
                           const QPaintDevice* layoutDevice = nullptr);

    // What draw() would leave out, drawing nothing: the same layout in the font given, on
    // the device given (the printer, for a print job). printable: the part of the device the
    // printer can print on (device pixels); what lies outside it is lost like what the box cuts.
    static TextBoxFit fit(const QFont& font, const QPaintDevice* device, const QRect& box,
                          const QString& text, std::uint32_t format,
                          const std::optional<QRectF>& printable = std::nullopt);
};

} // namespace dorvane
