#include "FormStyle.h"

namespace dorvane {

std::vector<FormStyle> CourierStyles()
{
    return {
        {"EMS", "EMS 邮政特快专递", "国内特快专递邮件详情单", QColor(0, 120, 72), QColor(240, 184, 0),
         QColor(255, 254, 244), 2300, 1270, 70, 425, 160, 42, 80, true, 330, 200},
        {"申通", "申通快递", "STO EXPRESS 快递运单", QColor(214, 96, 0), QColor(240, 130, 20),
         QColor(255, 255, 255), 2330, 1280, 66, 435, 170, 44, 84, false, 360, 190},
        {"顺丰", "顺丰速运", "SF EXPRESS 快件运单", QColor(30, 30, 30), QColor(90, 90, 90),
         QColor(255, 255, 255), 2410, 1400, 74, 415, 150, 42, 88, true, 310, 220},
        {"圆通", "圆通速递", "YTO EXPRESS 快递详情单", QColor(92, 40, 134), QColor(150, 100, 190),
         QColor(253, 252, 255), 2300, 1270, 64, 430, 165, 44, 78, false, 345, 200},
        {"中通", "中通快递", "ZTO EXPRESS 快件详情单", QColor(24, 84, 176), QColor(60, 130, 220),
         QColor(255, 255, 255), 2330, 1280, 72, 420, 155, 42, 82, true, 320, 210},
    };
}

} // namespace dorvane
