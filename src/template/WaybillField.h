#pragma once
// The twenty waybill fields, in catalogue order. Layout row = index + 1.

#include <array>
#include <cstdint>
#include <string_view>

namespace dorvane {

inline constexpr int kFieldCount = 20;

// DrawText-style format flags, kept with their platform values since they name the formats.
enum TextFormatFlag : std::uint32_t {
    kFormatCenter = 0x01,
    kFormatVCenter = 0x04,
    kFormatWordBreak = 0x10,
    kFormatSingleLine = 0x20,
    kFormatEditControl = 0x2000,
};
inline constexpr std::uint32_t kCentredSingleLine = kFormatSingleLine | kFormatVCenter | kFormatCenter;
inline constexpr std::uint32_t kLeftSingleLine = kFormatSingleLine | kFormatVCenter;
inline constexpr std::uint32_t kLeftWrapped = kFormatEditControl | kFormatWordBreak;
inline constexpr std::uint32_t kCentredWrapped = kFormatEditControl | kFormatWordBreak | kFormatCenter;

struct WaybillField {
    int index;
    std::string_view name; // UTF-8: the label the editor draws and the catalogue name
    int controlId;         // the main window's control laid over the box
    std::uint32_t format;
};

inline constexpr int kDestinationField = 0;

inline constexpr std::array<WaybillField, kFieldCount> kWaybillFields{{
    {0, "目的地", 1008, kCentredSingleLine},
    {1, "寄件人姓名", 1001, kLeftSingleLine},
    {2, "始发地", 1002, kCentredSingleLine},
    {3, "收件人姓名", 1007, kLeftSingleLine},
    {4, "寄件人单位名称", 1003, kLeftSingleLine},
    {5, "收件人单位名称", 1009, kLeftSingleLine},
    {6, "寄件人地址", 1004, kLeftWrapped},
    {7, "收件人地址", 1010, kLeftWrapped},
    {8, "寄件人座机电话", 1020, kLeftSingleLine},
    {9, "收件人座机电话", 1019, kLeftSingleLine},
    {10, "寄件人手机号码", 1005, kLeftSingleLine},
    {11, "寄件邮编", 1018, kLeftSingleLine},
    {12, "收件人手机号码", 1011, kLeftSingleLine},
    {13, "收件邮编", 1012, kLeftSingleLine},
    {14, "物品名称", 1013, kCentredWrapped},
    {15, "数量", 1006, kCentredSingleLine},
    {16, "寄件人签名", 1014, kCentredSingleLine},
    {17, "年", 1015, kCentredSingleLine},
    {18, "月", 1016, kCentredSingleLine},
    {19, "日", 1017, kCentredSingleLine},
}};

} // namespace dorvane
