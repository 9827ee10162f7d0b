#pragma once
// Addresses as today's order pages and chat windows give them: labelled ("收货人：张三"), one
// item per line or on one line, or free (name, telephone and address in any order). Tried when
// neither shop shape of ClipboardAddress fits. Code-page bytes (GB18030) throughout.

#include "address/ClipboardAddress.h"
#include "address/RegionTable.h"

#include <optional>
#include <string_view>

namespace dorvane {

// The recipient of a labelled or free address. The address must start with region names that
// reach a city or county of the table, and come with a name or a telephone; the destination is
// the address's prefecture-level city or municipality from the table (empty when its names fit
// several), and an address that leaves out its province or city gets them in front when only
// one fits; a municipality written twice is written once. Messier copies, labels run together
// without separators or a buyer's message around a complete address (the name beside the
// telephone, the words of the message left out), are read only with one name, one telephone
// and an address down to its county. nullopt for anything else: chat, links, order numbers, a
// lone name, text over 1,000 characters. The telephone and the destination always have a value.
std::optional<RecipientFields> ParseLooseAddress(std::string_view codePageText, const RegionTable& regions);

} // namespace dorvane
