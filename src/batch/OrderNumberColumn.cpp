#include "batch/OrderNumberColumn.h"

#include "text/Utf8CodePage.h"

namespace dorvane {

std::optional<std::size_t> OrderNumberColumn(const std::vector<std::string>& header)
{
    // In the order of preference: an export with both a main and a sub-order number names the
    // parcel by the main one.
    static const char* const kNames[] = {"订单编号", "订单号",     "主订单编号", "平台订单号", "订单ID",
                                         "订单id",   "外部订单号", "子订单编号", "Order ID",   "order_id"};
    for (const char* name : kNames) {
        const std::string codePage = CodePageFromUtf8(name);
        for (std::size_t i = 0; i < header.size(); ++i) {
            if (header[i] == codePage)
                return i;
        }
    }
    return std::nullopt;
}

} // namespace dorvane
