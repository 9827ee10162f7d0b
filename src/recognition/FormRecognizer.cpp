#include "FormRecognizer.h"

#include "recognition/FieldKeywords.h"
#include "recognition/FormStraightener.h"
#include "recognition/ScanResolution.h"
#include "template/PictureSize.h"
#include "text/TextFile.h"

#include <opencv2/imgcodecs.hpp>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>

namespace dorvane {

namespace {

constexpr int kFirstDateField = 17; // year, month and day follow in that order

// Ways of reading a label, tried in turn until one reads a known wording exactly; the first
// reads most labels right, the others rescue labels a scan's blur or noise garbles.
using Preparation = LabelReader::Preparation;
struct ReadingWay {
    int height; // of the label, in samples
    Preparation preparation;
    bool rawLine;
};
constexpr ReadingWay kReadingWays[] = {
    {48, Preparation::Sharpened, false}, {48, Preparation::Plain, false},
    {48, Preparation::Binarised, false}, {72, Preparation::Smoothed, false},
    {36, Preparation::Sharpened, false}, {48, Preparation::Plain, true},
};

struct ReadCell {
    const FormCell* cell;
    TextBlock label;
    CellLines lines; // the cell's, or the part of it a label has when a side is missing
    std::string text;
    std::vector<LabelMatch> matches; // closest first
    int party = 0;                   // the party its text names (LabelParty)
    int context = 0;                 // else the party of its row or column, as far as known
    PictureBox area;                 // where its field is written; empty when it has none
    bool hasArea() const { return area.w > 0 && area.h > 0; }
};

using Owners = std::array<const ReadCell*, kFieldCount>;

// The owner slot of a field, or none for a printed-only cell.
const ReadCell** Slot(Owners& owners, int field)
{
    return field >= 0 ? &owners[static_cast<std::size_t>(field)] : nullptr;
}

PictureBox BoxOf(const CellLines& l)
{
    const int left = static_cast<int>(std::lround(l.left)), top = static_cast<int>(std::lround(l.top));
    const int right = static_cast<int>(std::lround(l.right)),
              bottom = static_cast<int>(std::lround(l.bottom));
    return {left, top, right - left + 1, bottom - top + 1};
}

int Overlap(int a0, int a1, int b0, int b1) // inclusive ranges
{
    return std::min(a1, b1) - std::max(a0, b0) + 1;
}

// Left of, or above when the two share columns: the order in which a form puts the sender
// before the recipient.
bool ComesFirst(const PictureBox& a, const PictureBox& b)
{
    if (a.right() < b.x || b.right() < a.x)
        return a.x < b.x;
    return a.y < b.y;
}

// A block that may be a label: two characters or more, each at least 5 pixels high.
bool MayBeLabel(const TextBlock& t)
{
    const int across = t.vertical ? t.ink.width : t.ink.height;
    return t.characters >= 2 && across >= 5 * kFineScale;
}

// The label's print as one line of characters, dark on light: an upright label's characters
// are set side by side, as the reader reads.
cv::Mat LabelLine(const cv::Mat& fine, const FormCell& cell, const TextBlock& label)
{
    const int pad = 3 * kFineScale;
    const cv::Rect clear =
        cell.region + cv::Size(-2 * kFineScale, -2 * kFineScale) + cv::Point(kFineScale, kFineScale);
    if (!label.vertical)
        return fine((label.ink + cv::Size(2 * pad, 2 * pad) - cv::Point(pad, pad)) & clear);
    const int n = label.characters, side = label.ink.width + 2 * pad;
    cv::Mat line(side, n * side, CV_8U, cv::Scalar(255));
    for (int k = 0; k < n; ++k) {
        const int top = label.ink.y + label.ink.height * k / n,
                  bottom = label.ink.y + label.ink.height * (k + 1) / n;
        const cv::Rect piece = cv::Rect(label.ink.x - pad, top, side, bottom - top) & clear;
        if (piece.empty())
            continue;
        const cv::Mat character = fine(piece);
        const int y = std::max(0, (side - piece.height) / 2);
        const int h = std::min(piece.height, side - y);
        character(cv::Rect(0, 0, std::min(piece.width, side), h))
            .copyTo(line(cv::Rect(k * side, y, std::min(piece.width, side), h)));
    }
    return line;
}

// The writing cell beside a label alone in its own cell: the unlabelled cell right of it over
// most of its height, or else below it over most of its width.
const FormCell* CellBeside(const FormCell& labelCell, const std::vector<const FormCell*>& unlabelled)
{
    const PictureBox a = labelCell.inside;
    const FormCell* below = nullptr;
    for (const FormCell* c : unlabelled) {
        const PictureBox b = c->inside;
        if (std::abs(b.x - a.right() - 1) <= 8 && Overlap(a.y, a.bottom(), b.y, b.bottom()) * 10 >= a.h * 6)
            return c;
        if (!below && std::abs(b.y - a.bottom() - 1) <= 8 &&
            Overlap(a.x, a.right(), b.x, b.right()) * 10 >= a.w * 6)
            below = c;
    }
    return below;
}

// Labels go to fields closest first: a label read exactly takes its field before one with a
// wrong character, which then takes its next match. A label whose closest match is a
// printed-only cell or the date is that and nothing else. A label equally close to two
// things ("妆件人签名": the sender's signature or the recipient's printed one) takes the one
// still open when only one is, and nothing otherwise. Returns the date cell's label, if any.
const ReadCell* ClaimNamedFields(Owners& owners, std::vector<const ReadCell*>& partyless,
                                 const std::vector<const ReadCell*>& reads)
{
    const ReadCell* date = nullptr;
    auto open = [&owners](const LabelMatch& m) {
        return m.field < 0 || !owners[static_cast<std::size_t>(m.field)];
    };
    auto take = [&](const ReadCell& read, const LabelMatch& m) {
        if (m.partyless())
            partyless.push_back(&read);
        else if (m.field >= 0)
            owners[static_cast<std::size_t>(m.field)] = &read;
        else if (m.field == kDateCell && !date)
            date = &read;
    };
    auto tied = [](const ReadCell& read) {
        return read.matches.size() > 1 && read.matches[0].score == read.matches[1].score;
    };

    struct Candidate {
        const ReadCell* read;
        const LabelMatch* match;
    };
    std::vector<Candidate> candidates;
    for (const ReadCell* read : reads)
        if (!tied(*read))
            for (const LabelMatch& m : read->matches)
                candidates.push_back({read, &m});
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const Candidate& a, const Candidate& b) { return a.match->score > b.match->score; });
    std::vector<const ReadCell*> settled;
    for (const Candidate& c : candidates) {
        if (std::find(settled.begin(), settled.end(), c.read) != settled.end() || !open(*c.match))
            continue;
        take(*c.read, *c.match);
        settled.push_back(c.read);
    }
    for (const ReadCell* read : reads) {
        if (!tied(*read))
            continue;
        std::vector<const LabelMatch*> choices;
        for (const LabelMatch& m : read->matches)
            if (m.score == read->matches[0].score && open(m))
                choices.push_back(&m);
        // Read two ways, "寄件人签子" and "收件人签字": the party its best reading names settles it.
        if (choices.size() > 1 && read->party != 0)
            std::erase_if(choices,
                          [&](const LabelMatch* m) { return LabelParty(m->wording) != read->party; });
        if (choices.size() == 1)
            take(*read, *choices[0]);
    }
    return date;
}

// The party of the row or column a label stands in: the nearest label naming one, left of it
// across its middle or above it across its middle; its row first, as a party's heading
// stands at its row's start while the cells above may be the other party's. Else, from the
// labels that took theirs from around them: the column first, as a party's column repeats
// the items the other's column beside it has.
int PartyAround(const ReadCell& read, const std::vector<ReadCell>& all, bool taken)
{
    const PictureBox a = BoxOf(read.lines);
    const int middleX = a.x + a.w / 2, middleY = a.y + a.h / 2;
    for (const bool row : {!taken, taken}) {
        int party = 0, nearest = std::numeric_limits<int>::max();
        for (const ReadCell& other : all) {
            const int named = taken ? other.context : other.party;
            if (&other == &read || named == 0)
                continue;
            const PictureBox b = BoxOf(other.lines);
            int gap = -1;
            if (row && b.right() <= a.x + 2 && b.y <= middleY && middleY <= b.bottom())
                gap = a.x - b.right();
            else if (!row && b.bottom() <= a.y + 2 && b.x <= middleX && middleX <= b.right())
                gap = a.y - b.bottom();
            if (gap >= 0 && gap < nearest) {
                nearest = gap;
                party = named;
            }
        }
        if (party != 0)
            return party;
    }
    return 0;
}

// Labels that name no party ("电话") take the party of their row or column; the others go to
// the sender and the recipient by where they stand, a lone one taking the party whose field
// no other label has claimed.
void ClaimPartylessFields(Owners& owners, const std::vector<const ReadCell*>& partyless)
{
    std::vector<const ReadCell*> placeless;
    for (const ReadCell* r : partyless) {
        const PartyItem item = r->matches.front().partyItem;
        const int party = r->context;
        if (party == 0 && !Slot(owners, item.recipientField)) {
            // The signature alone: the recipient's is printed only, so it is the sender's.
            if (const ReadCell** slot = Slot(owners, item.senderField); slot && !*slot)
                *slot = r;
            continue;
        }
        if (party == 0) {
            placeless.push_back(r);
            continue;
        }
        if (const ReadCell** slot =
                Slot(owners, party == kSenderParty ? item.senderField : item.recipientField);
            slot && !*slot)
            *slot = r;
    }
    std::vector<PartyItem> items;
    for (const ReadCell* r : placeless)
        if (std::find(items.begin(), items.end(), r->matches.front().partyItem) == items.end())
            items.push_back(r->matches.front().partyItem);
    for (const PartyItem& item : items) {
        std::vector<const ReadCell*> same;
        for (const ReadCell* r : placeless)
            if (r->matches.front().partyItem == item)
                same.push_back(r);
        const ReadCell** sender = Slot(owners, item.senderField);
        const ReadCell** recipient = Slot(owners, item.recipientField);
        const bool senderOpen = sender && !*sender, recipientOpen = recipient && !*recipient;
        if (same.size() == 2 && senderOpen && (recipientOpen || !recipient)) {
            const bool firstIsSender = ComesFirst(same[0]->cell->inside, same[1]->cell->inside);
            *sender = firstIsSender ? same[0] : same[1];
            if (recipient)
                *recipient = firstIsSender ? same[1] : same[0];
        } else if (same.size() == 1 && senderOpen != recipientOpen && sender && recipient) {
            *(senderOpen ? sender : recipient) = same[0];
        }
    }
}

// The year, month and day boxes of a date cell: over its first three writing lines when it
// has them, else the blanks before the 年, 月 and 日 printed in it, else its writing area in
// three.
std::array<PictureBox, 3> DateBoxes(const ReadCell& date)
{
    const FormCell& cell = *date.cell;
    std::array<PictureBox, 3> out{};
    if (cell.writingLines.size() >= 3) {
        for (std::size_t k = 0; k < 3; ++k)
            out[k] = BoxOverRule(cell.writingLines[k], cell.lines);
        return out;
    }
    const PictureBox area = date.area;
    std::vector<PictureBox> marks;
    for (const TextBlock& t : cell.texts) {
        const PictureBox m{t.ink.x / kFineScale, t.ink.y / kFineScale, t.ink.width / kFineScale,
                           t.ink.height / kFineScale};
        if (t.characters == 1 && !t.vertical && m.x > area.x && m.right() <= area.right() + 1 &&
            m.y >= area.y - 2 && m.bottom() <= area.bottom() + 2 && m.h >= 5)
            marks.push_back(m);
    }
    std::sort(marks.begin(), marks.end(), [](const PictureBox& a, const PictureBox& b) { return a.x < b.x; });
    if (marks.size() >= 3) {
        int from = area.x;
        for (std::size_t k = 0; k < 3; ++k) {
            const PictureBox& m = marks[marks.size() - 3 + k];
            out[k] = {from, area.y, m.x - 2 - from, area.h};
            from = m.right() + 3;
        }
        return out;
    }
    const int third = area.w / 3;
    for (int k = 0; k < 3; ++k)
        out[static_cast<std::size_t>(k)] = {area.x + k * third, area.y, third, area.h};
    return out;
}

} // namespace

LoadedScan LoadScan(const std::filesystem::path& path)
{
    LoadedScan out;
    const auto refuse = [&out](RecognitionFailure failure, std::string error) {
        out.failure = failure;
        out.error = std::move(error);
        return out;
    };
    const auto noPicture = [&refuse] {
        return refuse(RecognitionFailure::NoPicture, "the file holds no PNG, JPEG or BMP picture");
    };
    std::error_code ec;
    const std::uintmax_t length = std::filesystem::file_size(path, ec);
    if (ec || length == 0)
        return noPicture();
    if (length > kLargestPictureFileBytes)
        return refuse(RecognitionFailure::TooLarge, PictureFileTooLargeMessage());
    std::string head(static_cast<std::size_t>(std::min<std::uintmax_t>(length, kPictureHeaderBytes)), '\0');
    std::ifstream in(path, std::ios::binary);
    if (!in || !in.read(head.data(), static_cast<std::streamsize>(head.size())))
        return noPicture();
    out.dpi = ReadScanResolution(head);
    const auto size = ReadPictureSize(head);
    if (!size)
        return noPicture();
    if (!FitsPictureBounds(*size))
        return refuse(RecognitionFailure::TooLarge, PictureTooLargeMessage(*size));
    // Decoded from the file, not from a copy of its bytes in memory: the largest progressive
    // JPEG needs its coefficients and its picture at once. The name goes as the system's own
    // bytes, so any name the system has is reached.
    out.picture = cv::imread(path.string(), cv::IMREAD_COLOR);
    // A decoder that found another size than the header's (turned by its EXIF note, say) is
    // still held to the bounds.
    if (out.picture.empty() || !FitsPictureBounds({out.picture.cols, out.picture.rows})) {
        out.picture.release();
        return noPicture();
    }
    return out;
}

bool SaveRecognizedPicture(const std::filesystem::path& path, const FormRecognition& recognition)
{
    std::vector<unsigned char> bytes;
    if (recognition.picture.empty() || !cv::imencode(".bmp", recognition.picture, bytes))
        return false;
    return WriteFileAtomically(path,
                               std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

int FormRecognition::foundCount() const
{
    return static_cast<int>(
        std::count_if(fields.begin(), fields.end(), [](const RecognizedField& f) { return f.found; }));
}

PictureBox UnfoundFieldBox(int unfoundBefore)
{
    return {kPictureWidth + 8, 8 + 23 * unfoundBefore, 120, 20};
}

bool IsUnfoundFieldBox(const PictureBox& box)
{
    return box.x >= kPictureWidth;
}

void PlaceRecognizedFields(TemplateLayout& layout, const FormRecognition& recognition)
{
    int unfound = 0;
    for (int i = 0; i < kFieldCount; ++i) {
        const RecognizedField& f = recognition.fields[static_cast<std::size_t>(i)];
        const PictureBox box = f.found ? f.box : UnfoundFieldBox(unfound++);
        layout.setNumber(i + 1, 2, box.x);
        layout.setNumber(i + 1, 3, box.y);
        layout.setNumber(i + 1, 4, box.w);
        layout.setNumber(i + 1, 5, box.h);
    }
    layout.setNumber(0, 4, kPictureWidth);
    layout.setNumber(0, 5, kPictureHeight);
}

FormRecognition FormRecognizer::recognizeFile(const std::filesystem::path& path,
                                              const RecognitionProgress& progress)
{
    const LoadedScan scan = LoadScan(path);
    if (scan.picture.empty()) {
        FormRecognition failed;
        failed.failure = scan.failure;
        failed.error = scan.error;
        return failed;
    }
    return recognize(scan.picture, progress, scan.dpi);
}

FormRecognition FormRecognizer::recognize(const cv::Mat& scan, const RecognitionProgress& progress,
                                          std::optional<double> dpi)
{
    auto report = [&progress](int percent) {
        if (progress)
            progress(percent);
    };
    FormRecognition out;
    report(0);
    if (!reader_.ready()) {
        out.failure = RecognitionFailure::NoReader;
        out.error = reader_.error();
        return out;
    }
    const std::optional<StraightenedForm> form = StraightenForm(scan);
    if (!form) {
        out.failure = RecognitionFailure::NoFrame;
        out.error = "no form frame found in the picture";
        return out;
    }
    out.picture = form->picture;
    out.suggestedPaper = SuggestPaper(form->frameWidth, form->frameHeight, dpi);
    report(10);
    const std::vector<FormCell> cells = FindCells(form->fine);
    report(20);

    std::vector<ReadCell> reads;
    reads.reserve(cells.size() * 2);
    int done = 0;
    // The reading depends on the size the characters are given and on sharpening: other
    // ways until one reads a known wording exactly. What every way read counts: "收件地坊"
    // and "收件邮坊" together make a postcode when the address is taken.
    auto read = [&](const FormCell& cell, const TextBlock& label) {
        ReadCell r{&cell, label, cell.lines, {}, {}, 0, 0, {}};
        const cv::Mat line = LabelLine(form->fine, cell, label);
        double best = 0;
        for (const ReadingWay& way : kReadingWays) {
            const std::string text = reader_.readLine(line, way.height, way.preparation, way.rawLine);
            const std::vector<LabelMatch> matches = LabelMatches(text);
            if (r.text.empty() || (!matches.empty() && matches.front().score > best)) {
                r.text = text;
                best = matches.empty() ? 0 : matches.front().score;
            }
            MergeMatches(r.matches, matches);
            if (!matches.empty() && matches.front().wrong == 0)
                break;
        }
        r.party = LabelParty(r.text);
        return r;
    };
    std::vector<const FormCell*> unlabelled;
    for (const FormCell& cell : cells) {
        // The first block that reads as a label is the cell's. A second, standing well apart
        // along the cell's top or left, is the label of a neighbour whose dividing line is
        // missing: the two share the cell, split before the second.
        std::vector<ReadCell> labels;
        for (const TextBlock& t : cell.texts) {
            if (!MayBeLabel(t))
                continue;
            if (!labels.empty()) {
                const cv::Rect& first = labels.front().label.ink;
                const int size = std::min(first.width, first.height);
                const bool right =
                    t.ink.x > first.x + first.width + 3 * size && std::abs(t.ink.y - first.y) <= 2 * size;
                const bool below = !right && t.ink.y > first.y + first.height + 2 * size &&
                                   std::abs(t.ink.x - first.x) <= size &&
                                   !LabelAtLeft(cell.lines, labels.front().label);
                if (!right && !below)
                    continue;
                // Even unread, what looks like a neighbour's label bounds this one's room.
                ReadCell second = read(cell, t);
                ReadCell& one = labels.front();
                if (right) {
                    second.lines.left = t.ink.x / static_cast<double>(kFineScale) - 4;
                    one.lines.right = second.lines.left;
                } else {
                    second.lines.top = t.ink.y / static_cast<double>(kFineScale) - 3;
                    one.lines.bottom = second.lines.top;
                }
                if (!second.matches.empty())
                    labels.push_back(std::move(second));
                break;
            }
            ReadCell r = read(cell, t);
            if (!r.matches.empty() || r.party != 0)
                labels.push_back(std::move(r));
            if (labels.empty() && &t - cell.texts.data() >= 1)
                break; // two blocks that are no label: notes, not labels
        }
        if (labels.empty())
            unlabelled.push_back(&cell);
        for (ReadCell& r : labels)
            reads.push_back(std::move(r));
        report(20 + 70 * ++done / std::max<int>(1, static_cast<int>(cells.size())));
    }
    // Where each label's field is written: what its cell leaves beside the label, or the
    // unlabelled cell next to a label alone in its own cell. A label with neither (a party's
    // heading over its row) names the party and no field.
    std::vector<const FormCell*> used;
    for (ReadCell& r : reads) {
        const PictureBox area = WritingAreaBeside(r.lines, r.label);
        if (area.w >= 12 && area.h >= 8) {
            r.area = area;
            continue;
        }
        // Only a cell with nothing printed to read: one holding a label not read (a party's
        // heading, say) is no writing cell.
        std::vector<const FormCell*> free;
        for (const FormCell* c : unlabelled)
            if (std::find(used.begin(), used.end(), c) == used.end() &&
                std::none_of(c->texts.begin(), c->texts.end(), MayBeLabel))
                free.push_back(c);
        if (const FormCell* beside = CellBeside(*r.cell, free)) {
            used.push_back(beside);
            const PictureBox in = beside->inside;
            r.area = {in.x + 3, in.y + 3, in.w - 6, in.h - 6};
            r.cell = beside;
            r.lines = beside->lines;
        }
    }
    // Parties pass down columns and along rows: a label's context may come from one that
    // took its own from further up. Cells are in reading order, top first.
    for (ReadCell& r : reads)
        if (r.party == 0)
            r.context = PartyAround(r, reads, false);
    for (ReadCell& r : reads)
        if (r.party == 0 && r.context == 0)
            r.context = PartyAround(r, reads, true);
    std::vector<const ReadCell*> withArea;
    for (const ReadCell& r : reads)
        if (r.hasArea() && !r.matches.empty())
            withArea.push_back(&r);

    Owners owners{};
    std::vector<const ReadCell*> partyless;
    const ReadCell* date = ClaimNamedFields(owners, partyless, withArea);
    ClaimPartylessFields(owners, partyless);
    for (int i = 0; i < kFieldCount; ++i)
        if (const ReadCell* r = owners[static_cast<std::size_t>(i)])
            out.fields[static_cast<std::size_t>(i)] = {true, r->area, r->text};
    if (date) {
        const std::array<PictureBox, 3> boxes = DateBoxes(*date);
        for (int k = 0; k < 3; ++k)
            out.fields[static_cast<std::size_t>(kFirstDateField + k)] = {
                true, boxes[static_cast<std::size_t>(k)], date->text};
    }
    if (out.foundCount() < kLeastFieldsFound) {
        out.failure = RecognitionFailure::TooFew;
        out.error = "only " + std::to_string(out.foundCount()) + " of " + std::to_string(kFieldCount) +
                    " fields found; a template needs at least " + std::to_string(kLeastFieldsFound);
    }
    report(100);
    return out;
}

} // namespace dorvane
