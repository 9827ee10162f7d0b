#pragma once
// The print log's waybills as a spreadsheet for people: when, which form and where each went,
// then the twenty fields.

#include "store/PrintLog.h"

#include <string>
#include <vector>

namespace dorvane {

// UTF-8 with a byte-order mark, "\r\n" line ends, a header of 打印时间, 运单号, 模板, 打印机,
// 订单编号 and the twenty fields' names. A cell a spreadsheet would take for a formula (one
// beginning with =, +, -, @, a tab or a carriage return) is written with a ' in front, so that it
// shows as text and never runs.
std::string PrintLogCsvText(const std::vector<const PrintLogEntry*>& entries);

} // namespace dorvane
