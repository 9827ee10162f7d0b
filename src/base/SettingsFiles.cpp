#include "base/SettingsFiles.h"

#include "text/CommaJoined.h"
#include "text/TextFile.h"

#include <algorithm>

namespace dorvane {

namespace fs = std::filesystem;

namespace {

// The lines of a file about to be rewritten: a missing file has none; one that exists but
// cannot be read is not rebuilt from nothing (nullopt).
std::optional<std::vector<std::string>> LinesToRewrite(const fs::path& path)
{
    if (auto read = ReadLines(path))
        return read;
    std::error_code ec;
    if (fs::exists(path, ec) || ec)
        return std::nullopt;
    return std::vector<std::string>{};
}

} // namespace

SettingsPaths::SettingsPaths(const fs::path& workFolder)
    : setFolder(workFolder / "Set"), setIni(setFolder / "set.ini"),
      fontSetIni(setFolder / "FontSet.ini"), mouldIni(setFolder / "mould.ini"),
      addressIni(setFolder / "address.ini"), overflowIni(setFolder / "overflow.ini"),
      afterPrintIni(setFolder / "afterprint.ini"),
      offsetsIni(setFolder / "offsets.ini")
{
}

bool EnsureSetFolder(const SettingsPaths& paths)
{
    std::error_code ec;
    fs::create_directories(paths.setFolder, ec);
    return fs::is_directory(paths.setFolder, ec);
}

namespace {

// The lines of a settings file. Only a file that does not exist is written with the defaults:
// one that exists but cannot be read (no read permission, a folder in its place) stays as it
// is, and the defaults serve for this run. A file that cannot be written is still read.
std::vector<std::string> LoadOrCreate(const fs::path& path, const std::vector<std::string>& defaults)
{
    if (auto lines = ReadLines(path))
        return std::move(*lines);
    // Asked again under the lock: a parallel run may have created and saved it meanwhile.
    const FileLock lock(path);
    if (auto lines = ReadLines(path))
        return std::move(*lines);
    std::error_code ec;
    if (!fs::exists(path, ec) && !ec)
        WriteFileAtomically(lock, path, JoinLines(defaults));
    return defaults;
}

} // namespace

// set.ini ---------------------------------------------------------------------------------

PrintSettings LoadOrCreateSetIni(const fs::path& path)
{
    PrintSettings settings;
    const auto lines = LoadOrCreate(path, {kDefaultPrinterName, "0,0,0,0"});
    settings.printerName = LineOr(lines, 0);
    ParseAdjustments(LineOr(lines, 1), settings);
    return settings;
}

void ParseAdjustments(const std::string& line, PrintSettings& settings)
{
    const auto pieces = SplitAt(line, ',');
    std::int32_t* const values[] = {&settings.offsetX, &settings.offsetY, &settings.spacingX,
                                    &settings.spacingY};
    for (std::size_t i = 0; i < 4; ++i)
        *values[i] = i < pieces.size() ? ToInt(pieces[i]) : 0;
}

std::string AdjustmentsLine(const PrintSettings& s)
{
    return std::to_string(s.offsetX) + ',' + std::to_string(s.offsetY) + ',' +
           std::to_string(s.spacingX) + ',' + std::to_string(s.spacingY);
}

bool SavePrinterName(const fs::path& path, const std::string& printerName)
{
    return RewriteLine(path, 0, printerName, 2, false);
}

bool SaveAdjustments(const fs::path& path, const PrintSettings& settings)
{
    return RewriteLine(path, 1, AdjustmentsLine(settings), 2, false);
}

// offsets.ini -----------------------------------------------------------------------------

namespace {

// Where the name of an offsets.ini line ends: at the fourth comma from the end.
std::optional<std::size_t> NameEnd(const std::string& line)
{
    std::size_t end = line.size();
    for (int commas = 0; commas < 4; ++commas) {
        if (end == 0)
            return std::nullopt;
        end = line.rfind(',', end - 1);
        if (end == std::string::npos)
            return std::nullopt;
    }
    return end;
}

bool IsLineOf(const std::string& line, const std::string& printerName)
{
    const auto end = NameEnd(line);
    return end && std::string_view(line).substr(0, *end) == printerName;
}

} // namespace

std::optional<PrintSettings> LoadPrinterAdjustments(const fs::path& path, const std::string& printerName)
{
    const auto lines = ReadLines(path);
    if (!lines)
        return std::nullopt;
    for (const std::string& line : *lines) {
        if (!IsLineOf(line, printerName))
            continue;
        PrintSettings settings;
        settings.printerName = printerName;
        ParseAdjustments(line.substr(printerName.size() + 1), settings);
        return settings;
    }
    return std::nullopt;
}

bool SavePrinterAdjustments(const fs::path& path, const PrintSettings& settings)
{
    const FileLock lock(path); // from the read to the write, or a parallel save's line is lost
    auto read = LinesToRewrite(path);
    if (!read)
        return false;
    std::vector<std::string> lines = std::move(*read);
    const std::string line = settings.printerName + ',' + AdjustmentsLine(settings);
    const auto own = std::find_if(lines.begin(), lines.end(),
                                  [&](const std::string& l) { return IsLineOf(l, settings.printerName); });
    if (own != lines.end())
        *own = line;
    else
        lines.push_back(line);
    return WriteFileAtomically(lock, path, JoinLines(lines));
}

// FontSet.ini -----------------------------------------------------------------------------

const char* const kFirstStartBodyFont = "-14,0,0,0,400,0,0,0,134,3,2,1,49,\xCB\xCE\xCC\xE5";       // 宋体
const char* const kFirstStartDestinationFont = "-20,0,0,0,400,0,0,0,134,3,2,1,2,\xBA\xDA\xCC\xE5"; // 黑体
const char* const kRestoredBodyFont = "-14,0,0,0,400,0,0,0,134,3,2,1,2,\xCB\xCE\xCC\xE5";
const char* const kRestoredDestinationFont = "-20,0,0,0,400,0,0,0,134,3,2,1,49,\xBA\xDA\xCC\xE5";

PrintFonts LoadOrCreateFontSet(const fs::path& path)
{
    const auto lines = LoadOrCreate(path, {kFirstStartBodyFont, kFirstStartDestinationFont});
    PrintFonts fonts;
    TextToLogFont(LineOr(lines, 0), fonts.body);
    fonts.destination = fonts.body;
    TextToLogFont(LineOr(lines, 1), fonts.destination);
    return fonts;
}

bool SaveFontSet(const fs::path& path, const std::string& bodyLine, const std::string& destinationLine)
{
    const FileLock lock(path);
    return WriteFileAtomically(lock, path, JoinLines({bodyLine, destinationLine}));
}

// mould.ini -------------------------------------------------------------------------------

MouldSettings LoadOrCreateMould(const fs::path& path)
{
    const auto lines = LoadOrCreate(path, {"3", "0", "21"});
    return {LineOr(lines, 0), LineOr(lines, 1), LineOr(lines, 2)};
}

bool SaveTemplatePosition(const fs::path& path, const std::string& position)
{
    return RewriteLine(path, 0, position, 3, true);
}

bool SaveShowHelpFlag(const fs::path& path, const std::string& flag)
{
    return RewriteLine(path, 2, flag, 3, false);
}

// overflow.ini, afterprint.ini -------------------------------------------------------------

bool LoadSwitchFile(const fs::path& path)
{
    const auto lines = ReadLines(path);
    return lines && LineOr(*lines, 0) == "1";
}

bool SaveSwitchFile(const fs::path& path, bool on)
{
    return RewriteLine(path, 0, on ? "1" : "0", 1, false);
}

bool SaveSwitchIfChanged(const fs::path& path, bool on)
{
    return LoadSwitchFile(path) == on || SaveSwitchFile(path, on);
}

bool RewriteLine(const fs::path& path, std::size_t index, const std::string& value,
                 std::size_t lineCount, bool lastLineWithoutEnd)
{
    const FileLock lock(path);
    auto read = LinesToRewrite(path);
    if (!read)
        return false;
    std::vector<std::string> lines = std::move(*read);
    if (lines.size() < lineCount)
        lines.resize(lineCount);
    if (lines.size() <= index)
        lines.resize(index + 1);
    lines[index] = value;
    return WriteFileAtomically(lock, path, JoinLines(lines, lastLineWithoutEnd));
}

// address.ini -----------------------------------------------------------------------------

namespace {

// Name, origin, company, mobile, telephone, address, postcode, goods name, signature. A comma
// in a value of an older file was most likely typed into the address, then the company.
constexpr PieceShape kSenderShapes[] = {PieceShape::Text,      PieceShape::Text,      PieceShape::Text,
                                        PieceShape::Telephone, PieceShape::Telephone, PieceShape::Text,
                                        PieceShape::Postcode,  PieceShape::Text,      PieceShape::Text};
constexpr std::size_t kSenderTextOrder[] = {5, 2, 0, 7, 1, 8};

} // namespace

SenderDetails LoadOrCreateAddress(const fs::path& path)
{
    const auto lines = LoadOrCreate(path, {" "});
    SenderDetails details;
    const auto values = ReadCommaJoined(LineOr(lines, 0), kSenderShapes, kSenderTextOrder);
    std::copy(values.begin(), values.end(), details.begin());
    return details;
}

bool SaveAddress(const fs::path& path, const SenderDetails& details)
{
    // A line break inside a value (the multi-line sender address) would end the record and
    // lose everything after it on the next start, so it is stored as a blank.
    std::string line;
    for (std::size_t i = 0; i < details.size(); ++i) {
        std::string value = CommaFreeValue(details[i]);
        for (std::size_t pos; (pos = value.find_first_of("\r\n")) != std::string::npos;) {
            const std::size_t len = value.compare(pos, 2, "\r\n") == 0 ? 2 : 1;
            value.replace(pos, len, " ");
        }
        line += (i ? "," : "") + value;
    }
    const FileLock lock(path);
    return WriteFileAtomically(lock, path, JoinLines({line}));
}

} // namespace dorvane
