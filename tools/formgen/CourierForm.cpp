#include "CourierForm.h"

#include <QFont>
#include <QHash>
#include <QPainter>
#include <QStringEncoder>
#include <algorithm>
#include <climits>
#include <utility>

namespace dorvane {

namespace {

constexpr int kLeft = 8, kTop = 8, kRight = 862, kBottom = 472;
constexpr int kFooter = 18;    // strip for the printed notice under the cells
constexpr int kBand = 24;      // width of the vertical party band
constexpr int kLabelRoom = 17; // the label sits above this line, the writing area below
constexpr int kLabelPixels = 12;

QString fieldName(int index)
{
    const auto name = kWaybillFields[static_cast<std::size_t>(index)].name;
    return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

QFont formFont(int pixels, bool bold = false)
{
    QFont f(QStringLiteral("WenQuanYi Zen Hei"));
    f.setFamilies({QStringLiteral("WenQuanYi Zen Hei"), QStringLiteral("AR PL UMing CN")});
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

QColor blend(const QColor& a, const QColor& b, double t)
{
    return QColor::fromRgbF(static_cast<float>(a.redF() * (1 - t) + b.redF() * t),
                            static_cast<float>(a.greenF() * (1 - t) + b.greenF() * t),
                            static_cast<float>(a.blueF() * (1 - t) + b.blueF() * t));
}

// The writing area of a cell with its label in the top-left corner.
QRect writingArea(const QRect& frame)
{
    return QRect(frame.left() + 4, frame.top() + kLabelRoom, frame.width() - 8, frame.height() - kLabelRoom - 3);
}

} // namespace

CourierForm::CourierForm(FormStyle style) : style_(std::move(style)) { layOut(); }

void CourierForm::addCell(const QRect& frame, int field, bool strong)
{
    cells_.push_back({frame, fieldName(field), true, strong});
    boxes_[static_cast<std::size_t>(field)] = writingArea(frame);
}

void CourierForm::addDecoration(const QRect& frame, const QString& label)
{
    cells_.push_back({frame, label, false, false});
}

// 寄件日期 with year, month and day boxes, each followed by its printed character.
void CourierForm::addDateCell(const QRect& frame)
{
    cells_.push_back({frame, QStringLiteral("寄件日期"), false, false});
    const QRect area = writingArea(frame);
    const int h = std::min(area.height(), 30);
    const int y = area.top() + (area.height() - h) / 2;
    int x = area.left() + 2;
    const int widths[3] = {54, 36, 36};
    const char16_t* marks[3] = {u"年", u"月", u"日"};
    for (int i = 0; i < 3; ++i) {
        boxes_[static_cast<std::size_t>(17 + i)] = QRect(x, y, widths[i], h);
        x += widths[i];
        dateMarks_.emplace_back(QRect(x, y, 16, h), QString::fromUtf16(marks[i]));
        x += 18;
    }
}

void CourierForm::layOutParty(int left, int top, int width, bool sender)
{
    const FormStyle& s = style_;
    const int rows = s.postcodeOwnRow ? 3 : 2;
    bands_.emplace_back(QRect(left, top, kBand, rows * s.lineHeight + s.addressHeight),
                        sender ? QStringLiteral("寄件人") : QStringLiteral("收件人"));
    const int x = left + kBand, w = width - kBand;
    const int name = sender ? 1 : 3, company = sender ? 4 : 5, address = sender ? 6 : 7;
    const int landline = sender ? 8 : 9, mobile = sender ? 10 : 12, postcode = sender ? 11 : 13;

    int y = top;
    addCell(QRect(x, y, s.nameWidth, s.lineHeight), name);
    addCell(QRect(x + s.nameWidth, y, w - s.nameWidth, s.lineHeight), company);
    y += s.lineHeight;
    addCell(QRect(x, y, w, s.addressHeight), address);
    y += s.addressHeight;
    if (s.postcodeOwnRow) {
        addCell(QRect(x, y, w / 2, s.lineHeight), landline);
        addCell(QRect(x + w / 2, y, w - w / 2, s.lineHeight), mobile);
        y += s.lineHeight;
        const int pw = w * 2 / 5;
        addCell(QRect(x, y, pw, s.lineHeight), postcode);
        addDecoration(QRect(x + pw, y, w - pw, s.lineHeight),
                      sender ? QStringLiteral("寄件人证件号码") : QStringLiteral("收件人签收时间"));
    } else {
        const int third = w * 34 / 100;
        addCell(QRect(x, y, third, s.lineHeight), landline);
        addCell(QRect(x + third, y, third, s.lineHeight), mobile);
        addCell(QRect(x + 2 * third, y, w - 2 * third, s.lineHeight), postcode);
    }
}

void CourierForm::layOut()
{
    const FormStyle& s = style_;
    const QRect destination(kRight - s.destinationWidth, kTop, s.destinationWidth, s.headerHeight);
    const QRect origin(destination.left() - 110, kTop, 110, s.headerHeight);
    originLeft_ = origin.left();
    addCell(origin, 2, true);
    addCell(destination, 0, true);

    const int bodyTop = kTop + s.headerHeight;
    layOutParty(kLeft, bodyTop, s.senderWidth, true);
    layOutParty(kLeft + s.senderWidth, bodyTop, kRight - kLeft - s.senderWidth, false);

    const int rows = s.postcodeOwnRow ? 3 : 2;
    const int lowTop = bodyTop + rows * s.lineHeight + s.addressHeight;
    const int lowHeight = kBottom - kFooter - lowTop;
    const int goodsHeight = lowHeight * 45 / 100;

    int x = kLeft;
    addCell(QRect(x, lowTop, s.goodsWidth, goodsHeight), 14);
    x += s.goodsWidth;
    addCell(QRect(x, lowTop, 96, goodsHeight), 15);
    x += 96;
    const int rest = kRight - x;
    addDecoration(QRect(x, lowTop, rest / 2, goodsHeight), QStringLiteral("保价金额（元）"));
    addDecoration(QRect(x + rest / 2, lowTop, rest - rest / 2, goodsHeight), QStringLiteral("运费（元）"));

    const int signTop = lowTop + goodsHeight;
    const int signHeight = lowHeight - goodsHeight;
    const int signWidth = s.goodsWidth - 90;
    addCell(QRect(kLeft, signTop, signWidth, signHeight), 16);
    addDateCell(QRect(kLeft + signWidth, signTop, 200, signHeight));
    const int tail = kLeft + signWidth + 200;
    addDecoration(QRect(tail, signTop, kRight - tail, signHeight), QStringLiteral("收件人签名"));
}

void CourierForm::paintHeader(QPainter& p) const
{
    const FormStyle& s = style_;
    p.setPen(s.brand);
    p.setFont(formFont(30, true));
    p.drawText(QRect(kLeft + 12, kTop + 4, 320, 38), Qt::AlignLeft | Qt::AlignVCenter, s.title);
    p.setFont(formFont(13));
    p.drawText(QRect(kLeft + 14, kTop + 42, 320, 16), Qt::AlignLeft | Qt::AlignVCenter, s.subtitle);
    p.fillRect(QRect(kLeft, kTop + s.headerHeight - 6, 330, 6), s.accent);

    // A decorative bar code: fixed widths drawn from the courier's name, so each form
    // has its own and a rerun draws the same.
    const QRect code(kLeft + 340, kTop + 8, originLeft_ - kLeft - 352, s.headerHeight - 30);
    quint32 seed = 2166136261u;
    for (const QChar c : s.name)
        seed = (seed ^ c.unicode()) * 16777619u;
    int x = code.left();
    bool bar = true;
    while (x < code.right() - 4) {
        seed = seed * 1103515245u + 12345u;
        const int w = 1 + static_cast<int>((seed >> 16) % 3);
        if (bar)
            p.fillRect(QRect(x, code.top(), w, code.height()), Qt::black);
        x += w;
        bar = !bar;
    }
    p.setPen(Qt::black);
    p.setFont(formFont(11));
    p.drawText(QRect(code.left(), code.bottom() + 2, code.width(), 14), Qt::AlignCenter,
               QStringLiteral("No. 0000 0000 0000"));
}

void CourierForm::paintCells(QPainter& p) const
{
    const FormStyle& s = style_;
    const QColor tint = blend(s.paper, s.brand, 0.07);
    for (const Cell& c : cells_) {
        if (!c.field)
            p.fillRect(c.frame, tint);
    }
    // Date boxes sit in a decorated cell but are writing areas: keep them paper-coloured.
    for (std::size_t i = 17; i < 20; ++i)
        p.fillRect(boxes_[i], s.paper);
    for (const auto& [band, text] : bands_) {
        p.fillRect(band, s.brand);
        p.setPen(Qt::white);
        p.setFont(formFont(15, true));
        const int step = 24, top = band.center().y() - step * static_cast<int>(text.size()) / 2;
        for (int i = 0; i < text.size(); ++i)
            p.drawText(QRect(band.left(), top + i * step, band.width(), step), Qt::AlignCenter, text.mid(i, 1));
    }
    p.setFont(formFont(kLabelPixels));
    for (const Cell& c : cells_) {
        p.setPen(QPen(s.brand, c.strong ? 2 : 1));
        p.drawRect(c.strong ? c.frame.adjusted(1, 1, -1, -1) : c.frame);
        p.drawText(QRect(c.frame.left() + 4, c.frame.top() + 2, c.frame.width() - 8, kLabelRoom - 3),
                   Qt::AlignLeft | Qt::AlignVCenter, c.label);
    }
    p.setPen(QPen(s.brand, 1));
    for (std::size_t i = 17; i < 20; ++i) // a writing line under each date box
        p.drawLine(boxes_[i].bottomLeft() + QPoint(0, 1), boxes_[i].bottomRight() + QPoint(0, 1));
    p.setPen(Qt::black);
    p.setFont(formFont(14));
    for (const auto& [rect, text] : dateMarks_)
        p.drawText(rect, Qt::AlignCenter, text);
}

QImage CourierForm::picture() const
{
    const FormStyle& s = style_;
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    image.fill(s.paper);
    QPainter p(&image);
    p.setRenderHint(QPainter::TextAntialiasing);
    paintHeader(p);
    paintCells(p);
    p.setPen(QPen(s.brand, 2));
    p.drawRect(QRect(kLeft, kTop, kRight - kLeft, kBottom - kTop));
    p.setPen(s.brand);
    p.setFont(formFont(11));
    p.drawText(QRect(kLeft + 6, kBottom - kFooter + 2, kRight - kLeft - 12, kFooter - 4),
               Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("寄件须知：请如实填写各栏并用力书写，本单一式四联；禁寄物品不予收寄。"));
    p.end();
    return image;
}

QImage CourierForm::indexedPicture() const
{
    const QImage rgb = picture();
    // Palette: the most used colours. Anti-aliased edges beyond 256 colours take the
    // nearest entry; flat areas (paper, lines, bands) always get their own exact colour.
    QHash<QRgb, int> counts;
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x)
            ++counts[line[x] | 0xff000000u];
    }
    std::vector<std::pair<int, QRgb>> byUse;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        byUse.emplace_back(it.value(), it.key());
    std::sort(byUse.begin(), byUse.end(), [](const auto& a, const auto& b) {
        return a.first != b.first ? a.first > b.first : a.second < b.second;
    });
    QList<QRgb> table;
    for (std::size_t i = 0; i < byUse.size() && i < 256; ++i)
        table.append(byUse[i].second);

    QHash<QRgb, uchar> index;
    auto indexOf = [&](QRgb c) {
        const auto found = index.constFind(c);
        if (found != index.cend())
            return found.value();
        int best = 0, bestDistance = INT_MAX;
        for (int i = 0; i < table.size(); ++i) {
            const int dr = qRed(c) - qRed(table[i]), dg = qGreen(c) - qGreen(table[i]), db = qBlue(c) - qBlue(table[i]);
            const int d = dr * dr + dg * dg + db * db;
            if (d < bestDistance) {
                bestDistance = d;
                best = i;
            }
        }
        index.insert(c, static_cast<uchar>(best));
        return static_cast<uchar>(best);
    };
    QImage out(rgb.size(), QImage::Format_Indexed8);
    out.setColorTable(table);
    out.fill(0); // row padding is saved too; keep the files reproducible
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        uchar* line = out.scanLine(y);
        for (int x = 0; x < rgb.width(); ++x)
            line[x] = indexOf(in[x] | 0xff000000u);
    }
    return out;
}

QByteArray CourierForm::layoutFile() const
{
    QString text = QStringLiteral("0,%1,%2,%3,%4,%5\r\n")
                       .arg(style_.name)
                       .arg(style_.paperWidth)
                       .arg(style_.paperHeight)
                       .arg(kWidth)
                       .arg(kHeight);
    for (const QRect& b : boxes_)
        text += QStringLiteral("0,0,%1,%2,%3,%4\r\n").arg(b.x()).arg(b.y()).arg(b.width()).arg(b.height());
    QStringEncoder gbk("GB18030");
    if (!gbk.isValid())
        return {};
    QByteArray bytes = gbk(text);
    return gbk.hasError() ? QByteArray() : bytes;
}

} // namespace dorvane
