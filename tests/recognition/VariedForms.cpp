#include "VariedForms.h"

#include <QFont>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace dorvane::testing {

namespace {

// Fields of the catalogue, by index.
enum Field {
    kDestination = 0,
    kSenderName = 1,
    kOrigin = 2,
    kRecipientName = 3,
    kSenderCompany = 4,
    kRecipientCompany = 5,
    kSenderAddress = 6,
    kRecipientAddress = 7,
    kSenderPhone = 8,
    kRecipientPhone = 9,
    kSenderMobile = 10,
    kSenderPostcode = 11,
    kRecipientMobile = 12,
    kRecipientPostcode = 13,
    kGoods = 14,
    kCount = 15,
    kSignature = 16,
    kYear = 17,
};
// Cells that hold no field.
constexpr int kDateCell = -2, kHeading = -4, kTitle = -5, kPrinted = -1;

enum class Place { TopLeft, TopCentre, LeftAcross, LeftUpright, OwnCell };

struct Cell {
    QRectF r; // mm on the paper
    QString label;
    int field;
    Place place = Place::TopLeft;
};

const QStringList kSenders{"寄件人", "寄方", "发件人", "发货人"};
const QStringList kRecipients{"收件人", "收方", "收货人"};
const QStringList kColours{"red", "green", "orange", "blue", "black"};

QColor Ink(int index)
{
    switch (index % 5) {
    case 0:
        return {200, 30, 40};
    case 1:
        return {20, 130, 60};
    case 2:
        return {235, 125, 20};
    case 3:
        return {30, 60, 160};
    default:
        return {25, 25, 25};
    }
}

class Drawer {
public:
    explicit Drawer(int index) : index_(index), rng_(static_cast<unsigned>(1000 + index)) {}
    VariedForm draw();

private:
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
    double between(double a, double b) { return std::uniform_real_distribution<double>(a, b)(rng_); }
    // A row of cells from x0 to x1, widths in proportion to the weights.
    void row(double x0, double x1, double y, double h, const std::vector<std::pair<double, Cell>>& cells);
    void layOut();
    QSizeF labelSize(const QString& label) const;
    Place fitting(const Cell& c, Place wanted) const;
    void drawForm(QPainter& p, VariedForm& form);
    QRectF toPicture(const QRectF& mm) const;

    int index_;
    std::mt19937 rng_;
    double paperW_ = 230, paperH_ = 127;
    QRectF frame_;
    double labelPt_ = 10;
    double lineMm_ = 0.3;
    QColor ink_;
    bool shaded_ = false;
    Place place_ = Place::TopLeft;
    std::vector<Cell> cells_;
    std::vector<std::pair<QRectF, bool>> erased_; // rectangles of line rubbed out; true: dashed
    std::vector<QRectF> missingSides_;            // sides not printed at all
};

QSizeF Drawer::labelSize(const QString& label) const
{
    const double ch = labelPt_ * 0.3528; // mm
    return {label.size() * ch * 1.02, ch * 1.15};
}

Place Drawer::fitting(const Cell& c, Place wanted) const
{
    const QSizeF s = labelSize(c.label);
    const double ch = labelPt_ * 0.3528;
    auto fits = [&](Place p) {
        switch (p) {
        case Place::TopLeft:
        case Place::TopCentre:
            return s.height() + 5.5 <= c.r.height() && s.width() + 2 <= c.r.width();
        case Place::LeftAcross:
            return s.width() + 20 <= c.r.width() && s.height() + 2 <= c.r.height();
        case Place::LeftUpright:
            return c.label.size() <= 4 && c.label.size() * ch * 1.15 + 2 <= c.r.height() &&
                   ch + 20 <= c.r.width();
        case Place::OwnCell:
            return s.width() + 24 <= c.r.width() && s.height() + 2 <= c.r.height();
        }
        return false;
    };
    for (const Place p : {wanted, Place::TopLeft, Place::LeftAcross})
        if (fits(p))
            return p;
    return Place::TopLeft;
}

void Drawer::row(double x0, double x1, double y, double h, const std::vector<std::pair<double, Cell>>& cells)
{
    double total = 0;
    for (const auto& c : cells)
        total += c.first;
    double x = x0;
    for (const auto& [weight, spec] : cells) {
        const double w = (x1 - x0) * weight / total;
        Cell c = spec;
        c.r = QRectF(x, y, w, h);
        x += w;
        if (c.field == kHeading || c.field == kTitle) {
            cells_.push_back(c);
            continue;
        }
        // Most cells take the form's way of labelling, some another.
        Place wanted = place_;
        if (pick(4) == 0)
            wanted = static_cast<Place>(pick(5));
        c.place = fitting(c, wanted);
        cells_.push_back(c);
    }
}

void Drawer::layOut()
{
    const int partyStyle = index_ % 3; // 0: party in each label, 1: a heading, 2: in the name cell
    const bool columns = (index_ / 3) % 2 == 0;
    const QString sender = kSenders[pick(kSenders.size())], recipient = kRecipients[pick(kRecipients.size())];
    auto item = [&](bool isSender, const QString& word, int senderField, int recipientField) {
        const QString party = isSender ? sender : recipient;
        const int field = isSender ? senderField : recipientField;
        if (partyStyle == 0)
            return Cell{{}, party + word, field};
        return Cell{{}, word, field};
    };
    auto name = [&](bool isSender) {
        const QString party = isSender ? sender : recipient;
        const int field = isSender ? kSenderName : kRecipientName;
        if (partyStyle == 1)
            return Cell{{}, QStringLiteral("姓名"), field};
        if (partyStyle == 2 || pick(2) == 0)
            return Cell{{}, party, field};
        return Cell{{}, party + QStringLiteral("姓名"), field};
    };
    const QString phone = pick(2) ? QStringLiteral("电话") : QStringLiteral("联系电话");
    const QString company = pick(2) ? QStringLiteral("单位名称") : QStringLiteral("公司");
    const QString address = pick(2) ? QStringLiteral("地址") : QStringLiteral("详细地址");
    const QString postcode = pick(2) ? QStringLiteral("邮编") : QStringLiteral("邮政编码");

    const double left = frame_.left(), right = frame_.right();
    const double labelH = labelSize(QStringLiteral("字")).height();
    const double unit = std::max(labelH + 7.5, 11.0); // a row of writing under its label
    double y = frame_.top();
    // The title band: the courier's name, where it leaves, where it goes.
    const double top = std::max(unit, 12.0);
    row(left, right, y, top,
        {{1.5, Cell{{}, QStringLiteral("速达快运 专用运单"), kTitle}},
         {0.7, Cell{{}, pick(2) ? QStringLiteral("始发地") : QStringLiteral("原寄地"), kOrigin}},
         {0.9, Cell{{}, pick(2) ? QStringLiteral("目的地") : QStringLiteral("目的城市"), kDestination}}});
    y += top;
    const double bottomRow = std::max(unit * 1.2, 14.0);
    const double middle = frame_.bottom() - bottomRow - y;
    if (columns) {
        // Sender on the left half, recipient on the right, each in rows.
        const double mid = (left + right) / 2;
        for (const bool isSender : {true, false}) {
            const double x0 = isSender ? left : mid, x1 = isSender ? mid : right;
            double yy = y;
            double heading = 0;
            if (partyStyle == 1) {
                heading = labelH + 2.2;
                row(x0, x1, yy, heading,
                    {{1, Cell{{}, isSender ? sender : QStringLiteral("到达"), kHeading}}});
                yy += heading;
            }
            const double h = (middle - heading) / 4.6;
            row(x0, x1, yy, h,
                {{1, name(isSender)}, {1, item(isSender, phone, kSenderPhone, kRecipientPhone)}});
            yy += h;
            row(x0, x1, yy, h,
                {{1.3, item(isSender, QStringLiteral("手机"), kSenderMobile, kRecipientMobile)},
                 {1, item(isSender, postcode, kSenderPostcode, kRecipientPostcode)}});
            yy += h;
            row(x0, x1, yy, h, {{1, item(isSender, company, kSenderCompany, kRecipientCompany)}});
            yy += h;
            row(x0, x1, yy, middle - heading - 3 * h,
                {{1, item(isSender, address, kSenderAddress, kRecipientAddress)}});
        }
    } else {
        // Sender's band over the recipient's, each two rows.
        const double band = middle / 2;
        for (const bool isSender : {true, false}) {
            double x0 = left;
            if (partyStyle == 1) {
                const double w = labelPt_ * 0.3528 + 3;
                Cell heading{QRectF(left, y, w, band), isSender ? sender : QStringLiteral("到达"), kHeading,
                             Place::LeftUpright};
                cells_.push_back(heading);
                x0 += w;
            }
            const double h1 = band * 0.45;
            row(x0, right, y, h1,
                {{1, name(isSender)},
                 {1, item(isSender, phone, kSenderPhone, kRecipientPhone)},
                 {1, item(isSender, QStringLiteral("手机"), kSenderMobile, kRecipientMobile)}});
            row(x0, right, y + h1, band - h1,
                {{0.9, item(isSender, company, kSenderCompany, kRecipientCompany)},
                 {1.6, item(isSender, address, kSenderAddress, kRecipientAddress)},
                 {0.7, item(isSender, postcode, kSenderPostcode, kRecipientPostcode)}});
            y += band;
        }
        y -= middle;
    }
    y += middle;
    // The signature under the sender's half names its party by standing there.
    const QString signature =
        columns && partyStyle != 0 ? QStringLiteral("签名") : sender + QStringLiteral("签名");
    std::vector<std::pair<double, Cell>> bottom{
        {1.2, Cell{{}, QStringList{"内件品名", "托寄物", "物品名称"}[pick(3)], kGoods}},
        {0.6, Cell{{}, pick(2) ? QStringLiteral("数量") : QStringLiteral("件数"), kCount}},
        {1.0, Cell{{}, signature, kSignature}},
        {1.6, Cell{{}, pick(2) ? QStringLiteral("日期") : QStringLiteral("寄件日期"), kDateCell}}};
    if (columns)
        std::rotate(bottom.begin(), bottom.begin() + 2, bottom.begin() + 3); // the signature first
    else
        std::swap(bottom[2], bottom[3]); // the date before the signature
    row(left, right, y, frame_.bottom() - y, bottom);
}

QRectF Drawer::toPicture(const QRectF& mm) const
{
    // The frame's outer edge lies on the picture's edges 7 and 863 across, 7 and 473 down.
    const double sx = 856.0 / frame_.width(), sy = 466.0 / frame_.height();
    return {7 + (mm.x() - frame_.x()) * sx, 7 + (mm.y() - frame_.y()) * sy, mm.width() * sx,
            mm.height() * sy};
}

void Drawer::drawForm(QPainter& p, VariedForm& form)
{
    const double sx = form.picture.width() / paperW_, sy = form.picture.height() / paperH_;
    auto px = [&](const QRectF& mm) {
        return QRectF(mm.x() * sx, mm.y() * sy, mm.width() * sx, mm.height() * sy);
    };
    const QColor shade(255 - (255 - ink_.red()) * 18 / 100, 255 - (255 - ink_.green()) * 18 / 100,
                       255 - (255 - ink_.blue()) * 18 / 100);
    QFont font(QStringLiteral("WenQuanYi Zen Hei"));
    font.setPixelSize(std::max(6, static_cast<int>(std::lround(labelPt_ * 0.3528 * sy))));
    const double ch = labelPt_ * 0.3528;
    const double pad = 1.0; // mm between a label and its cell's lines

    struct Label {
        QRectF r; // mm
        bool upright;
        QString text;
    };
    std::vector<Label> labels;
    std::vector<QRectF> lines{frame_};
    for (Cell& c : cells_) {
        const QSizeF s = labelSize(c.label);
        QRectF writing = c.r.adjusted(lineMm_, lineMm_, -lineMm_, -lineMm_);
        QRectF labelBox, shadeBox;
        if (c.field == kTitle) {
            lines.push_back(c.r);
            QFont title = font;
            title.setPixelSize(static_cast<int>(std::min(c.r.height() * 0.5, 8.0) * sy));
            title.setBold(true);
            p.setFont(title);
            p.setPen(ink_);
            p.drawText(px(c.r.adjusted(3, 0, 0, 0)), Qt::AlignLeft | Qt::AlignVCenter, c.label);
            continue;
        }
        switch (c.place) {
        case Place::TopLeft:
        case Place::TopCentre: {
            const double x = c.place == Place::TopLeft ? c.r.left() + pad : c.r.center().x() - s.width() / 2;
            labelBox = QRectF(x, c.r.top() + 0.6, s.width(), s.height());
            shadeBox = QRectF(c.r.left(), c.r.top(), c.r.width(), s.height() + 1.2);
            writing.setTop(labelBox.bottom() + 0.6);
            break;
        }
        case Place::LeftAcross:
            labelBox = QRectF(c.r.left() + pad, c.r.center().y() - s.height() / 2, s.width(), s.height());
            shadeBox = QRectF(c.r.left(), c.r.top(), s.width() + 2 * pad, c.r.height());
            writing.setLeft(labelBox.right() + pad);
            break;
        case Place::LeftUpright: {
            const double tall = c.label.size() * ch * 1.15;
            labelBox = QRectF(c.r.left() + pad, c.r.center().y() - tall / 2, ch * 1.05, tall);
            shadeBox = QRectF(c.r.left(), c.r.top(), ch + 2 * pad, c.r.height());
            writing.setLeft(shadeBox.right());
            break;
        }
        case Place::OwnCell: {
            const double w = s.width() + 2 * pad;
            labelBox = QRectF(c.r.left() + pad, c.r.center().y() - s.height() / 2, s.width(), s.height());
            shadeBox = QRectF(c.r.left(), c.r.top(), w, c.r.height());
            lines.push_back(shadeBox);
            writing.setLeft(c.r.left() + w + lineMm_);
            break;
        }
        }
        lines.push_back(c.r);
        if (shaded_)
            p.fillRect(px(shadeBox), shade);
        labels.push_back({labelBox, c.place == Place::LeftUpright, c.label});
        if (c.field >= 0) {
            form.writing[static_cast<std::size_t>(c.field)] = toPicture(writing);
            form.cell[static_cast<std::size_t>(c.field)] =
                toPicture(c.place == Place::OwnCell ? writing : c.r);
        }
        if (c.field == kDateCell) {
            // 年 月 日 after their blanks.
            const double markW = ch * 1.1, blank = (writing.width() - 3 * markW - 1.0) / 3.1;
            const double marks[] = {writing.left() + 1.3 * blank, writing.left() + 2.2 * blank + markW,
                                    writing.left() + 3.1 * blank + 2 * markW};
            double from = writing.left();
            const QString words[] = {QStringLiteral("年"), QStringLiteral("月"), QStringLiteral("日")};
            for (int k = 0; k < 3; ++k) {
                const QRectF blank(from, writing.top(), marks[k] - from, writing.height());
                form.writing[static_cast<std::size_t>(kYear + k)] = toPicture(blank);
                form.cell[static_cast<std::size_t>(kYear + k)] = toPicture(blank);
                labels.push_back(
                    {QRectF(marks[k], writing.center().y() - s.height() / 2, ch * 1.1, s.height()), false,
                     words[k]});
                from = marks[k] + ch * 1.1;
            }
        }
    }
    p.setPen(QPen(ink_, lineMm_ * sx, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(Qt::NoBrush);
    for (const QRectF& r : lines)
        p.drawRect(px(r));
    // The frame, drawn heavy, its outer edge on the frame's rectangle.
    const double heavy = 0.6;
    const QRectF f = frame_;
    for (const QRectF& bar :
         {QRectF(f.left(), f.top(), f.width(), heavy), QRectF(f.left(), f.bottom() - heavy, f.width(), heavy),
          QRectF(f.left(), f.top(), heavy, f.height()),
          QRectF(f.right() - heavy, f.top(), heavy, f.height())})
        p.fillRect(px(bar), ink_);
    // Lines rubbed out: gaps of 0.7 mm every 1.6 mm (dashed), of 2 mm every 14 mm (broken),
    // or the whole side.
    for (const auto& [r, dashed] : erased_) {
        const bool across = r.width() > r.height();
        const double length = across ? r.width() : r.height();
        const double step = dashed ? 1.6 : 14.0, gap = dashed ? 0.7 : 2.0;
        if (step > length) {
            p.fillRect(px(r), Qt::white);
            continue;
        }
        for (double t = 1.5; t + gap < length - 1.5; t += step)
            p.fillRect(px(across ? QRectF(r.left() + t, r.top(), gap, r.height())
                                 : QRectF(r.left(), r.top() + t, r.width(), gap)),
                       Qt::white);
    }
    p.setPen(ink_);
    p.setFont(font);
    for (const Label& l : labels) {
        if (!l.upright) {
            p.drawText(px(l.r.adjusted(-0.5, -0.5, 0.5, 0.5)), Qt::AlignCenter | Qt::TextSingleLine, l.text);
            continue;
        }
        for (qsizetype k = 0; k < l.text.size(); ++k)
            p.drawText(px(QRectF(l.r.left() - 0.5, l.r.top() + k * ch * 1.15, l.r.width() + 1, ch * 1.15)),
                       Qt::AlignCenter, l.text.mid(k, 1));
    }
}

VariedForm Drawer::draw()
{
    static const QSizeF kPapers[] = {{230, 127}, {233, 128}, {241, 140}, {250, 140}, {210, 140}};
    const QSizeF paper = kPapers[index_ % 5];
    paperW_ = paper.width();
    paperH_ = paper.height();
    frame_ = QRectF(between(3, 6), between(3, 6), 0, 0);
    frame_.setRight(paperW_ - between(3, 6));
    frame_.setBottom(paperH_ - between(3, 6));
    labelPt_ = 7 + 13.0 * ((index_ * 7) % 30) / 29.0; // 7 to 20 points, spread over the forms
    ink_ = Ink(index_ + index_ / 5);
    shaded_ = index_ % 3 == 1;
    place_ = static_cast<Place>((index_ * 2 + index_ / 5) % 5);
    layOut();

    // Lines dashed, broken or missing: internal sides of labelled cells.
    const int lineFault = index_ % 4;
    if (lineFault != 0) {
        std::vector<const Cell*> candidates;
        for (const Cell& c : cells_)
            if (c.field >= 0 && c.r.right() < frame_.right() - 1)
                candidates.push_back(&c);
        for (int k = 0; k < 2 && !candidates.empty(); ++k) {
            const Cell& c = *candidates[static_cast<std::size_t>(pick(static_cast<int>(candidates.size())))];
            const double w = lineMm_ * 3;
            if (lineFault == 3) {
                // The side between two cells labelled at the left: the two share one space.
                const Cell* next = nullptr;
                for (const Cell& o : cells_)
                    if (std::abs(o.r.left() - c.r.right()) < 0.01 && std::abs(o.r.top() - c.r.top()) < 0.01 &&
                        std::abs(o.r.height() - c.r.height()) < 0.01 && o.field >= 0)
                        next = &o;
                const auto leftLabelled = [](const Cell& x) {
                    return x.place == Place::TopLeft || x.place == Place::LeftAcross;
                };
                if (next && leftLabelled(c) && leftLabelled(*next) && c.field != kDateCell &&
                    next->field != kDateCell) {
                    missingSides_.push_back(
                        QRectF(c.r.right() - w / 2, c.r.top() + lineMm_, w, c.r.height() - 2 * lineMm_));
                    break;
                }
                continue;
            }
            const bool dashed = lineFault == 1;
            if (k == 0)
                erased_.emplace_back(QRectF(c.r.right() - w / 2, c.r.top(), w, c.r.height()), dashed);
            else
                erased_.emplace_back(QRectF(c.r.left(), c.r.bottom() - w / 2, c.r.width(), w), dashed);
        }
    }

    VariedForm form;
    form.dpi = 150 + 50 * (index_ % 4);
    form.paperWidth = static_cast<int>(std::lround(paperW_ * 10));
    form.paperHeight = static_cast<int>(std::lround(paperH_ * 10));
    form.picture =
        QImage(static_cast<int>(std::lround(form.paperWidth / 254.0 * form.dpi)),
               static_cast<int>(std::lround(form.paperHeight / 254.0 * form.dpi)), QImage::Format_RGB32);
    form.picture.fill(Qt::white);
    {
        QPainter p(&form.picture);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        drawForm(p, form);
        const double sx = form.picture.width() / paperW_, sy = form.picture.height() / paperH_;
        for (const QRectF& r : missingSides_)
            p.fillRect(QRectF(r.x() * sx, r.y() * sy, r.width() * sx, r.height() * sy), Qt::white);
    }
    static const char* const kPlaces[] = {"top left", "top centre", "left", "left upright", "own cell"};
    form.description = QStringLiteral("form %1 (%2 pt %3, labels %4%5, lines %6, %7 dpi)")
                           .arg(index_)
                           .arg(labelPt_, 0, 'f', 1)
                           .arg(kColours[(index_ + index_ / 5) % 5])
                           .arg(QString::fromLatin1(kPlaces[static_cast<int>(place_)]))
                           .arg(shaded_ ? QStringLiteral(" shaded") : QString())
                           .arg(QStringList{"whole", "dashed", "broken", "one side missing"}[lineFault])
                           .arg(form.dpi);
    return form;
}

} // namespace

VariedForm DrawVariedForm(int index)
{
    return Drawer(index).draw();
}

} // namespace dorvane::testing
