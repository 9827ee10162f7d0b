#pragma once
// Draws one field text into its box, the same way on the printed form and on screen:
//  - single line: one line, vertically centred, left or centred, cut at the box's edges;
//    characters wholly outside the box are not drawn at all;
//  - wrapped: top-aligned lines broken at words (and between Chinese characters), left or
//    centred; a line that would not fit whole below the others is not drawn;
//  - "&" underlines the character after it, "&&" draws one "&".
// The text is drawn in the painter's font and pen. Measuring a text answers, from the very
// same layout, what of it the box does not show.

#include <QList>
#include <QRect>
#include <QString>

#include <cstdint>

class QFont;
class QPainter;
class QPaintDevice;

namespace dorvane {

struct MnemonicText {
    QString text;          // what is drawn, the prefixes taken out
    QList<int> underlined; // positions in text of the characters to underline
};

// "&x" -> "x" underlined, "&&" -> "&"; a lone "&" at the very end is dropped.
MnemonicText StripMnemonics(const QString& text);

// What of a text its box leaves out. A character the edge cuts through counts as lost; blanks
// and line ends beyond the edge are no loss.
struct TextBoxFit {
    int lostChars = 0;  // characters not drawn (as they are drawn: "&&" is one "&")
    int lostLines = 0;  // wrapped text: the lines not drawn
    QString lostText;   // the characters not drawn, in their order
    bool whole() const { return lostChars == 0; }
};

class TextBoxDrawer {
public:
    // format: one of the field formats of the catalogue (kLeftSingleLine and so on).
    // layoutDevice: the device whose font metrics break and cut the text (by default the
    // painter's own); the preview draws the printer's layout scaled onto the screen.
    static TextBoxFit draw(QPainter& painter, const QRect& box, const QString& text, std::uint32_t format,
                           const QPaintDevice* layoutDevice = nullptr);

    // What draw() would leave out, drawing nothing: the same layout in the font given, on
    // the device given (the printer, for a print job).
    static TextBoxFit fit(const QFont& font, const QPaintDevice* device, const QRect& box, const QString& text,
                          std::uint32_t format);
};

} // namespace dorvane
