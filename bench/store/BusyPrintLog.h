#pragma once
// A busy shop's print log for the benchmarks: 100,000 waybills over a year, each to its own
// recipient, in an address-book file of their own.
#include "store/PrintLog.h"
#include "support/TempFolder.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace dorvane::bench {

constexpr int kLogged = 100000;

// GB18030 texts of one waybill; the recipient and the day vary with i.
inline PrintLogEntry Waybill(int i)
{
    PrintLogEntry entry;
    char time[32];
    std::snprintf(time, sizeof time, "2026-%02d-%02d 10:%02d:%02d", 1 + i % 12, 1 + i % 28, i % 60, i / 60 % 60);
    entry.time = time;
    entry.templateName = "\xCB\xB3\xB7\xE1"; // 顺丰
    entry.printer = "Jolimark FP-630K+";
    entry.source = kLogSourceCli;
    entry.waybillNumber = "SF" + std::to_string(1000000000 + i);
    entry.texts[0] = "\xBA\xBC\xD6\xDD";                                                  // 杭州
    entry.texts[1] = "\xCD\xF5\xCE\xE5";                                                  // 王五
    entry.texts[3] = "\xD5\xC5\xC8\xFD" + std::to_string(i);                              // 张三i
    entry.texts[6] = "\xD5\xE3\xBD\xAD\xCA\xA1\xBA\xBC\xD6\xDD\xCA\xD0\xCE\xF7\xBA\xFE\xC7\xF8"; // 浙江省杭州市西湖区
    entry.texts[7] = "\xB1\xB1\xBE\xA9\xCA\xD0\xB3\xAF\xD1\xF4\xC7\xF8\xBD\xA8\xB9\xFA\xC2\xB7" +
                     std::to_string(i % 500) + "\xBA\xC5"; // 北京市朝阳区建国路N号
    entry.texts[8] = "0571-1234567";
    entry.texts[10] = "13800000000";
    entry.texts[12] = std::to_string(13900000000LL + i);
    entry.texts[14] = "\xD2\xC2\xB7\xFE"; // 衣服
    entry.texts[15] = "1";
    entry.texts[17] = "2026";
    entry.texts[18] = "01";
    entry.texts[19] = "01";
    return entry;
}

class LoggedFolder {
public:
    LoggedFolder()
    {
        std::filesystem::copy_file(DORVANE_EMPTY_ADDRESS_BOOK, file);
        std::vector<PrintLogEntry> entries;
        entries.reserve(kLogged);
        for (int i = 0; i < kLogged; ++i)
            entries.push_back(Waybill(i));
        ok = PrintLog(file).Append(entries).ok();
    }

    test::TempFolder dir;
    std::filesystem::path file = dir / "Dorvane.dorv";
    bool ok = false;
};

inline LoggedFolder& Folder()
{
    static LoggedFolder folder;
    return folder;
}

} // namespace dorvane::bench
