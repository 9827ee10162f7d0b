#pragma once
// A template for blank self-adhesive labels (a thermal label printer's): no scanned form, but
// a white picture of the label's size with a millimetre grid, over which the boxes are placed.

namespace dorvane {

struct BlankLabelSize {
    int width = 0; // picture pixels
    int height = 0;
    double pixelsPerMm = 0;
};

// The picture of a label of paperWidth x paperHeight (0.1 mm): 5 pixels a millimetre, so that
// boxes are placed to a fifth of a millimetre, fewer where the picture would outgrow the
// window (870 x 750 pixels); at least one pixel each way.
BlankLabelSize BlankLabelPictureSize(int paperWidth, int paperHeight);

// The grid's lines are this many millimetres apart; those of whole centimetres are darker.
inline constexpr int kBlankLabelGridMm = 5;

} // namespace dorvane
