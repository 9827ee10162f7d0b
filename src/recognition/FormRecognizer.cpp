#include "FormRecognizer.h"

#include "text/TextFile.h"
#include "recognition/FieldKeywords.h"
#include "recognition/FormStraightener.h"
#include "template/PictureSize.h"

#include <opencv2/imgcodecs.hpp>

#include <algorithm>
#include <fstream>
#include <iterator>
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
    std::string text;
    std::vector<LabelMatch> matches; // closest first
};

using Owners = std::array<const ReadCell*, kFieldCount>;

// Left of, or above when the two share columns: the order in which a form puts the sender
// before the recipient.
bool ComesFirst(const PictureBox& a, const PictureBox& b)
{
    if (a.right() < b.x || b.right() < a.x)
        return a.x < b.x;
    return a.y < b.y;
}

// Labels go to fields closest first: a label read exactly takes its field before one with a
// wrong character, which then takes its next match. A label whose closest match is a
// printed-only cell or the date is that and nothing else. A label equally close to two
// things ("妆件人签名": the sender's signature or the recipient's printed one) takes the one
// still open when only one is, and nothing otherwise. Returns the date cell's label, if any.
const ReadCell* ClaimNamedFields(Owners& owners, std::vector<const ReadCell*>& partyless,
                                 const std::vector<ReadCell>& reads)
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
        else if (m.field == kDateCell && !date && read.cell->writingLines.size() >= 3)
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
    for (const ReadCell& read : reads)
        if (!tied(read))
            for (const LabelMatch& m : read.matches)
                candidates.push_back({&read, &m});
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const Candidate& a, const Candidate& b) { return a.match->score > b.match->score; });
    std::vector<const ReadCell*> settled;
    for (const Candidate& c : candidates) {
        if (std::find(settled.begin(), settled.end(), c.read) != settled.end() || !open(*c.match))
            continue;
        take(*c.read, *c.match);
        settled.push_back(c.read);
    }
    for (const ReadCell& read : reads) {
        if (!tied(read))
            continue;
        std::vector<const LabelMatch*> choices;
        for (const LabelMatch& m : read.matches)
            if (m.score == read.matches[0].score && open(m))
                choices.push_back(&m);
        if (choices.size() == 1)
            take(read, *choices[0]);
    }
    return date;
}

// Labels that name no party ("电话") go to the sender and the recipient by where they stand;
// a lone one takes the party whose field no other label has claimed.
void ClaimPartylessFields(Owners& owners, const std::vector<const ReadCell*>& partyless)
{
    std::vector<PartyItem> items;
    for (const ReadCell* r : partyless)
        if (std::find(items.begin(), items.end(), r->matches.front().partyItem) == items.end())
            items.push_back(r->matches.front().partyItem);
    for (const PartyItem& item : items) {
        std::vector<const ReadCell*> same;
        for (const ReadCell* r : partyless)
            if (r->matches.front().partyItem == item)
                same.push_back(r);
        const ReadCell*& sender = owners[static_cast<std::size_t>(item.senderField)];
        const ReadCell*& recipient = owners[static_cast<std::size_t>(item.recipientField)];
        if (same.size() == 2 && !sender && !recipient) {
            const bool firstIsSender = ComesFirst(same[0]->cell->inside, same[1]->cell->inside);
            sender = firstIsSender ? same[0] : same[1];
            recipient = firstIsSender ? same[1] : same[0];
        } else if (same.size() == 1 && !sender != !recipient) {
            (sender ? recipient : sender) = same[0];
        }
    }
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
    return static_cast<int>(std::count_if(fields.begin(), fields.end(), [](const RecognizedField& f) { return f.found; }));
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
    return recognize(scan.picture, progress);
}

FormRecognition FormRecognizer::recognize(const cv::Mat& scan, const RecognitionProgress& progress)
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
    out.suggestedPaper = SuggestPaper(form->frameAspect);
    report(10);
    const std::vector<FormCell> cells = FindCells(form->fine);
    report(20);

    std::vector<ReadCell> reads;
    reads.reserve(cells.size());
    int done = 0;
    const int labelled = static_cast<int>(
        std::count_if(cells.begin(), cells.end(), [](const FormCell& c) { return !c.labelInk.empty(); }));
    for (const FormCell& cell : cells) {
        if (cell.labelInk.empty())
            continue;
        // A little paper around the characters, inside the cell.
        const int pad = 3 * kFineScale;
        const cv::Rect clear = cell.labelStrip + cv::Size(-2 * kFineScale, 0) + cv::Point(kFineScale, 0);
        const cv::Rect around = (cell.labelInk + cv::Size(2 * pad, 2 * pad) - cv::Point(pad, pad)) & clear;
        ReadCell read{&cell, {}, {}};
        // The reading depends on the size the characters are given and on sharpening: other
        // ways until one reads a known wording exactly. What every way read counts: "收件地坊"
        // and "收件邮坊" together make a postcode when the address is taken.
        double best = 0;
        for (const ReadingWay& way : kReadingWays) {
            const std::string text =
                reader_.readLine(form->fine(around), way.height, way.preparation, way.rawLine);
            const std::vector<LabelMatch> matches = LabelMatches(text);
            if (read.text.empty() || (!matches.empty() && matches.front().score > best)) {
                read.text = text;
                best = matches.empty() ? 0 : matches.front().score;
            }
            MergeMatches(read.matches, matches);
            if (!matches.empty() && matches.front().wrong == 0)
                break;
        }
        reads.push_back(std::move(read));
        report(20 + 78 * ++done / std::max(1, labelled));
    }

    Owners owners{};
    std::vector<const ReadCell*> partyless;
    const ReadCell* date = ClaimNamedFields(owners, partyless, reads);
    ClaimPartylessFields(owners, partyless);
    for (int i = 0; i < kFieldCount; ++i)
        if (const ReadCell* r = owners[static_cast<std::size_t>(i)])
            out.fields[static_cast<std::size_t>(i)] = {true, WritingArea(r->cell->lines), r->text};
    // The date: the boxes over the first three writing lines of the date cell.
    if (date)
        for (int k = 0; k < 3; ++k)
            out.fields[static_cast<std::size_t>(kFirstDateField + k)] = {
                true, BoxOverRule(date->cell->writingLines[static_cast<std::size_t>(k)], date->cell->lines),
                date->text};
    if (out.foundCount() < kLeastFieldsFound) {
        out.failure = RecognitionFailure::TooFew;
        out.error = "only " + std::to_string(out.foundCount()) + " of " + std::to_string(kFieldCount) +
                    " fields found; a template needs at least " + std::to_string(kLeastFieldsFound);
    }
    report(100);
    return out;
}

} // namespace dorvane
