#pragma once
// China's administrative regions (provinces, prefecture-level cities, counties; GB/T 2260
// names) and reading them off the start of an address, to name the address's destination city.
// Names are code-page bytes (GB18030), like every text of the core.

#include "text/CodePageChars.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace dorvane {

enum class RegionLevel { Province, City, County };

struct Region {
    std::string name; // 杭州市
    RegionLevel level = RegionLevel::Province;
    int parent = -1; // index of the province or city above; -1 for a province
};

class RegionTable {
public:
    // The table in the text form of data/regions/regions.txt (UTF-8): one region a line, code,
    // parent code, name and short name separated by tabs; "#" lines are comments. nullopt when
    // a line is malformed or names an unknown parent.
    static std::optional<RegionTable> FromText(std::string_view utf8Text);
    static std::optional<RegionTable> FromFile(const std::filesystem::path& file);

    bool empty() const { return regions_.empty(); }
    const Region& at(int index) const { return regions_[static_cast<std::size_t>(index)]; }

    // The province a region lies in (itself for a province).
    int ProvinceOf(int index) const;
    // A municipality (北京市 ...) is a province whose districts lie directly beneath it.
    bool IsMunicipality(int index) const { return municipality_[static_cast<std::size_t>(index)]; }

    // Regions whose full or short name is exactly name.
    std::span<const int> Named(std::string_view name) const;
    // Calls found(index, bytes) for every region whose full or short name starts text.
    template <typename Found> void ForEachNameAt(std::string_view text, Found&& found) const;
    // The county whose name without "县" starts text ("宾川" for 宾川县, "巍山" for
    // 巍山彝族回族自治县, its peoples left out too), with the bytes it takes; -1 when none does.
    // Only names that no other region bears and no two counties share.
    std::pair<int, std::size_t> BareCountyAt(std::string_view text) const;

private:
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
    };
    std::vector<Region> regions_;
    std::vector<bool> municipality_;
    std::unordered_map<std::string, std::vector<int>, Hash, std::equal_to<>> byName_;
    std::unordered_map<std::string, int, Hash, std::equal_to<>> bareCounties_;
    std::size_t longestBareCounty_ = 0;
    // For the first character of every name (all are two-byte characters), bit n is set when
    // a name of n bytes starts with it: most look-ups are never made.
    std::unordered_map<std::uint16_t, std::uint64_t> nameLengths_;
};

// The table shipped with the program, read once on first use from dataM/regions.txt beside
// the program or in the current folder, else from the source tree named by DORVANE_SOURCE_DIR
// (tests and tools run from a build folder). Empty when none is found.
const RegionTable& ShippedRegionTable();

// What the region names at the start of an address tell.
struct AddressRegions {
    std::size_t length = 0;       // bytes of the address the names take up; 0: no region starts it
    bool provinceWritten = false; // the address names its province (or municipality)
    bool cityWritten = false;     // ... its prefecture-level city
    bool reachesCity = false;     // a city, a municipality or a county is named
    bool reachesCounty = false;   // a county (or district, or county-level city) is named
    // Bytes at the start that write the municipality twice ("北京市北京市"); 0 when it is not.
    std::size_t municipalityTwice = 0;
    // Settled only when every reading of the names agrees; -1 otherwise.
    int province = -1;
    int city = -1;        // for a municipality, the municipality
    int destination = -1; // the city, the municipality, or a county its province governs directly
};

// Reads the longest run of nested region names at the start of address: province, city and
// county, each optional, full ("浙江省") or short ("浙江"; counties full only, or without "县"
// right below their written province or city). Where several regions fit the same names, e.g. a
// district name that several cities have, what they do not share is left unsettled.
AddressRegions ReadAddressRegions(const RegionTable& table, std::string_view address);

// The province and city an address read as found leaves out above its first written name, when
// only one of each fits ("杭州市西湖区" -> "浙江省"); empty when it writes them or several fit.
std::string RegionsLeftOut(const RegionTable& table, const AddressRegions& found);

// The address with a municipality written twice at its start ("北京市 北京市 朝阳区", as order
// pages copy their region line) written once, by its full name: "北京市朝阳区".
std::string WithMunicipalityOnce(const RegionTable& table, std::string_view address);

template <typename Found> void RegionTable::ForEachNameAt(std::string_view text, Found&& found) const
{
    if (text.size() < 2 || CharLengthAt(text, 0) != 2)
        return;
    const auto first = static_cast<std::uint16_t>(static_cast<unsigned char>(text[0]) << 8 |
                                                  static_cast<unsigned char>(text[1]));
    const auto lengths = nameLengths_.find(first);
    if (lengths == nameLengths_.end())
        return;
    // Text read from a character boundary splits into characters one way only, so a name
    // matched byte for byte ends on a boundary too.
    for (std::size_t bytes = 2; bytes <= text.size() && bytes < 64; bytes += 2)
        if (lengths->second >> bytes & 1)
            for (int index : Named(text.substr(0, bytes)))
                found(index, bytes);
}

} // namespace dorvane
