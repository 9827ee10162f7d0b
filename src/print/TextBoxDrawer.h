#pragma once
// Draws one field text into its box, the same way on the printed form and on screen:
//  - single line: one line, vertically centred, left or centred, cut at the box's edges;
//    characters wholly outside the box are not drawn at all;
//  - wrapped: top-aligned lines broken at words (and between Chinese characters), left or
//    centred; a line that would not fit whole below the others is not drawn;
//  - "&" underlines the character after it, "&&" draws one "&".
// The text is drawn in the painter's font and pen.

#include <QList>
#include <QRect>
#include <QString>

#include <cstdint>

class QPainter;

namespace dorvane {

struct MnemonicText {
    QString text;          // what is drawn, the prefixes taken out
    QList<int> underlined; // positions in text of the characters to underline
};

// "&x" -> "x" underlined, "&&" -> "&"; a lone "&" at the very end is dropped.
MnemonicText StripMnemonics(const QString& text);

class TextBoxDrawer {
public:
    // format: one of the field formats of the catalogue (kLeftSingleLine and so on).
    static void draw(QPainter& painter, const QRect& box, const QString& text, std::uint32_t format);
};

} // namespace dorvane
