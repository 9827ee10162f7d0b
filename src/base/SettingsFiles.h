#pragma once
// The small settings files in Set/: set.ini (printer and print adjustments), offsets.ini (the
// adjustments of each printer), FontSet.ini (the two print fonts), mould.ini (current template
// position, help switch) and address.ini (the last sender). All text is code-page bytes; lines
// end in "\r\n".

#include "base/LogFont.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace dorvane {

struct SettingsPaths {
    explicit SettingsPaths(const std::filesystem::path& workFolder);
    std::filesystem::path setFolder;
    std::filesystem::path setIni;
    std::filesystem::path fontSetIni;
    std::filesystem::path mouldIni;
    std::filesystem::path addressIni;
    std::filesystem::path overflowIni;
    std::filesystem::path afterPrintIni;
    std::filesystem::path offsetsIni;
};

// Creates Set/ when it is missing, so that the first start can write its defaults.
bool EnsureSetFolder(const SettingsPaths& paths);

// set.ini
inline constexpr const char* kDefaultPrinterName = "Jolimark FP-630K+";

struct PrintSettings {
    std::string printerName;
    std::int32_t offsetX = 0; // all four in tenths of a millimetre on paper
    std::int32_t offsetY = 0;
    std::int32_t spacingX = 0;
    std::int32_t spacingY = 0;
};

// Creates set.ini with its defaults when missing, then reads it. Like every loader here, it
// never replaces an existing file: one that cannot be read gives the defaults for this run.
PrintSettings LoadOrCreateSetIni(const std::filesystem::path& path);
// Line 2: at most four values; missing ones are 0.
void ParseAdjustments(const std::string& line, PrintSettings& settings);
std::string AdjustmentsLine(const PrintSettings& settings);
bool SavePrinterName(const std::filesystem::path& path, const std::string& printerName);
bool SaveAdjustments(const std::filesystem::path& path, const PrintSettings& settings);

// offsets.ini: one line per printer whose adjustments were ever in use, its name, a comma and
// the four values as set.ini's line 2 writes them. The name is everything before the fourth
// comma from the end, so a name may hold commas itself.
// The adjustments remembered for printerName (exact bytes), none when it has no line.
std::optional<PrintSettings> LoadPrinterAdjustments(const std::filesystem::path& path,
                                                    const std::string& printerName);
// Replaces the line of settings.printerName, or adds one; every other line stays as read.
bool SavePrinterAdjustments(const std::filesystem::path& path, const PrintSettings& settings);

// FontSet.ini
struct PrintFonts {
    LogFont body;
    LogFont destination;
};
extern const char* const kFirstStartBodyFont;
extern const char* const kFirstStartDestinationFont;
extern const char* const kRestoredBodyFont;
extern const char* const kRestoredDestinationFont;

// Reads both fonts (line 2 read over line 1's values); a missing file is written with the
// first-start lines.
PrintFonts LoadOrCreateFontSet(const std::filesystem::path& path);
bool SaveFontSet(const std::filesystem::path& path, const std::string& bodyLine,
                 const std::string& destinationLine);

// mould.ini
struct MouldSettings {
    std::string templatePosition; // line 1, "%d"
    std::string passThrough;      // line 2, copied by every writer
    std::string showHelpFlag;     // line 3, "1" switches the start-up help off
};
MouldSettings LoadOrCreateMould(const std::filesystem::path& path);
// Rewrites line 1; line 3 goes back without a line end, as the template writers leave it.
bool SaveTemplatePosition(const std::filesystem::path& path, const std::string& position);
// Rewrites line 3 (the help dialog's check box); every line is ended.
bool SaveShowHelpFlag(const std::filesystem::path& path, const std::string& flag);

// Rewrites line `index` (0-based) of a multi-line file, keeping the others as read. A missing
// file counts as empty; one that exists but cannot be read is left alone (false). The result
// has at least index + 1 lines.
bool RewriteLine(const std::filesystem::path& path, std::size_t index, const std::string& value,
                 std::size_t lineCount, bool lastLineWithoutEnd);

// The one-switch files: line 1 "1" is on; anything else, or no file, is off. Such a file is
// only written when the user changes the switch (SaveSwitchIfChanged).
//  - overflow.ini: print a text that its box would cut in a smaller font without asking.
//  - afterprint.ini: empty the recipient fields after each waybill printed from the window,
//    ready for the next parcel.
bool LoadSwitchFile(const std::filesystem::path& path);
bool SaveSwitchFile(const std::filesystem::path& path, bool on);
// Writes only a switch the file does not already hold; false when that write failed.
bool SaveSwitchIfChanged(const std::filesystem::path& path, bool on);

// address.ini: sender name, origin, company, mobile, telephone, address, postcode,
// goods name, signature, joined by commas. A comma typed into a value is saved as "，"; a
// file written before that is read with its extra pieces given back to the value they
// were cut from where the telephones and the postcode show which one that was.
using SenderDetails = std::array<std::string, 9>;
SenderDetails LoadOrCreateAddress(const std::filesystem::path& path);
bool SaveAddress(const std::filesystem::path& path, const SenderDetails& details);

} // namespace dorvane
