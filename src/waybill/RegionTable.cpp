#include "waybill/RegionTable.h"

#include "app/Utf8CodePage.h"

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
};

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
    return table;
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
        table.ForEachNameAt(address.substr(above.length), [&](int k, std::size_t bytes) {
            const Region& county = table.at(k);
            if (county.level != RegionLevel::County)
                return;
            if (above.city >= 0 ? county.parent != above.city
                                : above.province >= 0 && table.ProvinceOf(k) != above.province)
                return;
            Reading reading = above;
            reading.county = k;
            reading.length += bytes;
            readings.push_back(reading);
        });
    };
    const auto cities = [&](const Reading& above) {
        if (above.province >= 0 && table.IsMunicipality(above.province)) {
            // 上海 上海市 浦东新区: the municipality again where a city would stand.
            Reading again = above;
            table.ForEachNameAt(address.substr(above.length), [&](int c, std::size_t bytes) {
                if (c == above.province)
                    again.length = above.length + bytes;
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
    result.provinceWritten = result.cityWritten = result.reachesCity = true;
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
        first = false;
        result.provinceWritten = result.provinceWritten && reading.province >= 0;
        result.cityWritten = result.cityWritten && (reading.city >= 0 || table.IsMunicipality(province));
        result.reachesCity = result.reachesCity && (reading.county >= 0 || city >= 0);
    }
    return result;
}

} // namespace dorvane
