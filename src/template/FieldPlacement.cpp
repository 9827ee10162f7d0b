#include "template/FieldPlacement.h"

#include "template/TemplateLayout.h"

namespace dorvane {

ViewScales ViewScalesFor(int clientWidth, int clientHeight)
{
    // Divided rather than multiplied by the rounded reciprocals: 644 * (1 / 644.0) is just
    // below 1 in double arithmetic, which would put every box one pixel short at design size.
    return {clientWidth / 894.0, clientHeight / 644.0};
}

ViewPixelRect ViewRect(int x, int y, int w, int h, const ViewScales& s)
{
    return {TruncToInt(x * s.x), TruncToInt(y * s.y), TruncToInt(w * s.x), TruncToInt(h * s.y)};
}

} // namespace dorvane
