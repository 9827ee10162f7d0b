#include "address/RegionTable.h"

#include "text/Utf8CodePage.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#endif

namespace dorvane {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kTableName = "regions.txt";

std::vector<std::string_view> Fields(std::string_view line)
{
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (std::size_t tab; (tab = line.find('\t', start)) != std::string_view::npos; start = tab + 1)
        fields.push_back(line.substr(start, tab - start));
    fields.push_back(line.substr(start));
    return fields;
}

bool IsCode(std::string_view code)
{
    if (code.size() != 6)
        return false;
    for (char c : code)
        if (c < '0' || c > '9')
            return false;
    return true;
}

fs::path ProgramFolder()
{
    std::error_code error;
#ifdef _WIN32
    std::wstring buffer(MAX_PATH, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0 || length >= buffer.size())
        return {};
    buffer.resize(length);
    return fs::path(buffer).parent_path();
#else
    const fs::path program = fs::read_symlink("/proc/self/exe", error);
    return error ? fs::path() : program.parent_path();
#endif
}

RegionTable LoadShippedTable()
{
    std::vector<fs::path> places;
    if (const fs::path program = ProgramFolder(); !program.empty())
        places.push_back(program / "dataM" / kTableName);
    std::error_code error;
    if (const fs::path current = fs::current_path(error); !error)
        places.push_back(current / "dataM" / kTableName);
    if (const char* source = std::getenv("DORVANE_SOURCE_DIR"); source && *source)
        places.push_back(fs::path(source) / "data" / "regions" / kTableName);
    for (const fs::path& place : places)
        if (auto table = RegionTable::FromFile(place))
            return std::move(*table);
    return {};
}

// One way of reading the region names at the start of an address.
struct Reading {
    std::size_t length = 0;
    int province = -1, city = -1, county = -1; // as written; -1 where the address names none
    std::size_t municipalityTwice = 0;          // end of the municipality's second writing
};

// The peoples that autonomous counties name after the place, longest first; some names leave
// out "族" (巴里坤哈萨克自治县).
const std::vector<std::string>& PeopleNames()
{
    static const std::vector<std::string> names = [] {
        std::vector<std::string> out;
        const std::string people = CodePageFromUtf8("族");
        for (const char* name :
             {"彝", "回", "土家", "苗", "侗", "瑶", "壮", "布依", "白", "哈尼", "傣", "傈僳", "拉祜", "佤", "纳西",
              "景颇", "布朗", "普米", "怒", "独龙", "藏", "羌", "蒙古", "满", "朝鲜", "达斡尔", "鄂温克", "鄂伦春",
              "锡伯", "哈萨克", "塔吉克", "维吾尔", "撒拉", "土", "东乡", "保安", "裕固", "仫佬", "毛南", "仡佬",
              "水", "畲", "黎", "各"}) {
            const std::string codePage = CodePageFromUtf8(name);
            out.push_back(codePage + people);
            if (codePage.size() >= 4)
                out.push_back(codePage);
        }
        std::stable_sort(out.begin(), out.end(), [](const std::string& a, const std::string& b) {
            return a.size() > b.size();
        });
        return out;
    }();
    return names;
}

// A county's name as people write it without its suffix: "宾川" for 宾川县, "巍山" for
// 巍山彝族回族自治县. Empty when that leaves less than two characters. Names hold two-byte
// characters only, so an ending matched byte for byte is a whole character.
std::string BareCountyName(std::string_view name)
{
    static const std::string autonomous = CodePageFromUtf8("自治县"), county = CodePageFromUtf8("县"),
                             people = CodePageFromUtf8("族");
    std::string bare;
    if (name.ends_with(autonomous)) {
        bare = name.substr(0, name.size() - autonomous.size());
        for (bool stripped = true; stripped;) {
            stripped = false;
            for (const std::string& peoples : PeopleNames())
                if (bare.size() > peoples.size() && bare.ends_with(peoples)) {
                    bare.resize(bare.size() - peoples.size());
                    stripped = true;
                    break;
                }
        }
    } else if (name.ends_with(county)) {
        bare = name.substr(0, name.size() - county.size());
    }
    if (bare.size() < 4 || bare.ends_with(people))
        return {};
    return bare;
}

// A street rather than the county: "和平路" is no 和平县.
bool StreetStarts(std::string_view text)
{
    static const std::vector<std::string> streets = [] {
        std::vector<std::string> out;
        for (const char* ch : {"路", "街", "道", "巷", "弄"})
            out.push_back(CodePageFromUtf8(ch));
        return out;
    }();
    for (const std::string& street : streets)
        if (text.starts_with(street))
            return true;
    return false;
}

} // namespace

std::optional<RegionTable> RegionTable::FromText(std::string_view utf8Text)
{
    const std::string text = CodePageFromUtf8(utf8Text); // tabs, digits and line ends stay as they are
    RegionTable table;
    std::unordered_map<std::string, int> indexOfCode;
    std::vector<std::pair<std::string, std::string>> codeAndParent;
    std::vector<std::string> shortNames;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line.front() == '#')
            continue;
        const std::vector<std::string_view> fields = Fields(line);
        if (fields.size() != 4 || !IsCode(fields[0]) || (!fields[1].empty() && !IsCode(fields[1])) ||
            fields[2].empty())
            return std::nullopt;
        const std::string code(fields[0]);
        Region region;
        region.name = std::string(fields[2]);
        region.level = fields[1].empty()             ? RegionLevel::Province
                       : code.ends_with("00")        ? RegionLevel::City
                                                     : RegionLevel::County;
        if (!indexOfCode.emplace(code, static_cast<int>(table.regions_.size())).second)
            return std::nullopt;
        table.regions_.push_back(std::move(region));
        codeAndParent.emplace_back(code, std::string(fields[1]));
        shortNames.emplace_back(fields[3]);
    }

    table.municipality_.assign(table.regions_.size(), false);
    std::vector<bool> hasCity(table.regions_.size(), false), hasCounty(table.regions_.size(), false);
    for (std::size_t i = 0; i < table.regions_.size(); ++i) {
        Region& region = table.regions_[i];
        if (!codeAndParent[i].second.empty()) {
            const auto parent = indexOfCode.find(codeAndParent[i].second);
            if (parent == indexOfCode.end() || table.regions_[static_cast<std::size_t>(parent->second)].level ==
                                                   RegionLevel::County)
                return std::nullopt;
            region.parent = parent->second;
            (region.level == RegionLevel::City ? hasCity : hasCounty)[static_cast<std::size_t>(region.parent)] = true;
        }
        const int index = static_cast<int>(i);
        table.byName_[region.name].push_back(index);
        if (!shortNames[i].empty() && shortNames[i] != region.name)
            table.byName_[shortNames[i]].push_back(index);
    }
    for (std::size_t i = 0; i < table.regions_.size(); ++i)
        table.municipality_[i] = table.regions_[i].level == RegionLevel::Province && hasCounty[i] && !hasCity[i];
    // An autonomous prefecture goes by its short name and "州" as well: 大理州 for 大理白族自治州.
    static const std::string prefecture = CodePageFromUtf8("自治州"), state = CodePageFromUtf8("州");
    for (std::size_t i = 0; i < table.regions_.size(); ++i)
        if (table.regions_[i].level == RegionLevel::City && table.regions_[i].name.ends_with(prefecture) &&
            !shortNames[i].empty() && !shortNames[i].ends_with(state))
            if (const std::string name = shortNames[i] + state; !table.byName_.contains(name))
                table.byName_[name].push_back(static_cast<int>(i));
    for (const auto& [name, indices] : table.byName_) {
        std::size_t pos = 0;
        while (pos < name.size() && CharLengthAt(name, pos) == 2)
            pos += 2;
        if (pos != name.size() || name.size() >= 64)
            return std::nullopt; // a name the look-up could never find
        const auto first = static_cast<std::uint16_t>(static_cast<unsigned char>(name[0]) << 8 |
                                                      static_cast<unsigned char>(name[1]));
        table.nameLengths_[first] |= std::uint64_t{1} << name.size();
    }
    std::unordered_map<std::string, std::vector<int>> bare;
    for (std::size_t i = 0; i < table.regions_.size(); ++i)
        if (table.regions_[i].level == RegionLevel::County && shortNames[i].empty())
            if (std::string name = BareCountyName(table.regions_[i].name); !name.empty())
                bare[std::move(name)].push_back(static_cast<int>(i));
    for (auto& [name, indices] : bare)
        if (indices.size() == 1 && !table.byName_.contains(name)) {
            table.longestBareCounty_ = std::max(table.longestBareCounty_, name.size());
            table.bareCounties_.emplace(name, indices.front());
        }
    return table;
}

std::pair<int, std::size_t> RegionTable::BareCountyAt(std::string_view text) const
{
    // Text read from a character boundary splits into characters one way only, so a name of
    // two-byte characters matched byte for byte ends on a boundary too.
    for (std::size_t bytes = std::min(longestBareCounty_, text.size()) / 2 * 2; bytes >= 4; bytes -= 2)
        if (const auto found = bareCounties_.find(text.substr(0, bytes)); found != bareCounties_.end())
            return {found->second, bytes};
    return {-1, 0};
}

std::optional<RegionTable> RegionTable::FromFile(const fs::path& file)
{
    std::ifstream input(file, std::ios::binary);
    if (!input)
        return std::nullopt;
    const std::string text((std::istreambuf_iterator<char>(input)), std::istreambuf_iterator<char>());
    auto table = FromText(text);
    if (!table || table->empty())
        return std::nullopt;
    return table;
}

int RegionTable::ProvinceOf(int index) const
{
    while (at(index).parent >= 0)
        index = at(index).parent;
    return index;
}

std::span<const int> RegionTable::Named(std::string_view name) const
{
    const auto found = byName_.find(name);
    if (found == byName_.end())
        return {};
    return found->second;
}

const RegionTable& ShippedRegionTable()
{
    static const RegionTable table = LoadShippedTable();
    return table;
}

AddressRegions ReadAddressRegions(const RegionTable& table, std::string_view address)
{
    // Every way of reading a province, then a city, then a county off the start; the longest
    // readings win. A handful at most: few names are shared.
    std::vector<Reading> readings;
    const auto counties = [&](const Reading& above) {
        const auto county = [&](int k, std::size_t bytes) {
            const Region& region = table.at(k);
            if (region.level != RegionLevel::County)
                return;
            if (above.city >= 0 ? region.parent != above.city
                                : above.province >= 0 && table.ProvinceOf(k) != above.province)
                return;
            Reading reading = above;
            reading.county = k;
            reading.length += bytes;
            readings.push_back(reading);
        };
        const std::string_view rest = address.substr(above.length);
        table.ForEachNameAt(rest, county);
        // "云南大理宾川": a county without "县" only right below the region it lies in.
        if (above.province >= 0 || above.city >= 0)
            if (const auto [k, bytes] = table.BareCountyAt(rest); k >= 0 && !StreetStarts(rest.substr(bytes)))
                county(k, bytes);
    };
    const auto cities = [&](const Reading& above) {
        if (above.province >= 0 && table.IsMunicipality(above.province)) {
            // 上海 上海市 浦东新区: the municipality again where a city would stand.
            Reading again = above;
            table.ForEachNameAt(address.substr(above.length), [&](int c, std::size_t bytes) {
                if (c == above.province)
                    again.length = again.municipalityTwice = above.length + bytes;
            });
            readings.push_back(again);
            counties(again);
            return;
        }
        table.ForEachNameAt(address.substr(above.length), [&](int c, std::size_t bytes) {
            const Region& city = table.at(c);
            if (city.level != RegionLevel::City || (above.province >= 0 && city.parent != above.province))
                return;
            Reading reading = above;
            reading.city = c;
            reading.length += bytes;
            readings.push_back(reading);
            counties(reading);
        });
        if (above.province >= 0)
            readings.push_back(above);
        counties(above);
    };
    table.ForEachNameAt(address, [&](int p, std::size_t bytes) {
        if (table.at(p).level == RegionLevel::Province)
            cities(Reading{bytes, p, -1, -1});
    });
    cities(Reading{});

    AddressRegions result;
    for (const Reading& reading : readings)
        result.length = std::max(result.length, reading.length);
    if (result.length == 0)
        return result;

    bool first = true;
    const auto settle = [&first](int& settled, int value) {
        if (first)
            settled = value;
        else if (settled != value)
            settled = -1;
    };
    result.provinceWritten = result.cityWritten = result.reachesCity = result.reachesCounty = true;
    for (const Reading& reading : readings) {
        if (reading.length != result.length)
            continue;
        const int below = reading.county >= 0 ? reading.county : reading.city >= 0 ? reading.city : reading.province;
        const int province = table.ProvinceOf(below);
        int city = reading.city;
        if (city < 0 && reading.county >= 0 && table.at(table.at(reading.county).parent).level == RegionLevel::City)
            city = table.at(reading.county).parent;
        if (table.IsMunicipality(province))
            city = province;
        const int destination = city >= 0 ? city : reading.county; // a county its province governs directly
        settle(result.province, province);
        settle(result.city, city);
        settle(result.destination, destination);
        if (first)
            result.municipalityTwice = reading.municipalityTwice;
        else if (result.municipalityTwice != reading.municipalityTwice)
            result.municipalityTwice = 0;
        first = false;
        result.provinceWritten = result.provinceWritten && reading.province >= 0;
        result.cityWritten = result.cityWritten && (reading.city >= 0 || table.IsMunicipality(province));
        result.reachesCity = result.reachesCity && (reading.county >= 0 || city >= 0);
        result.reachesCounty = result.reachesCounty && reading.county >= 0;
    }
    return result;
}

std::string WithMunicipalityOnce(const RegionTable& table, std::string_view address)
{
    const AddressRegions regions = ReadAddressRegions(table, address);
    if (regions.municipalityTwice == 0 || regions.province < 0)
        return std::string(address);
    return table.at(regions.province).name + std::string(address.substr(regions.municipalityTwice));
}

std::string RegionsLeftOut(const RegionTable& table, const AddressRegions& found)
{
    std::string above;
    if (!found.provinceWritten && found.province >= 0 && (found.cityWritten || found.destination >= 0)) {
        above = table.at(found.province).name;
        if (!found.cityWritten && found.city >= 0 && found.city != found.province)
            above += table.at(found.city).name;
    }
    return above;
}

} // namespace dorvane
