#pragma once
// A saved address as the address book keeps it: name, mobile, telephone, address and postcode
// joined by commas, with no escaping. Picking one fills the five fields of one side of the
// waybill.

#include "template/WaybillField.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dorvane {

inline constexpr std::size_t kAddressRecordParts = 5;
// A record is cut into this many parts at most; later commas are not cut.
inline constexpr std::size_t kMaxAddressRecordPieces = 20;

using AddressParts = std::array<std::string, kAddressRecordParts>;

// The catalogue indexes the five parts go to (name, mobile, telephone, address, postcode).
inline constexpr std::array<int, kAddressRecordParts> kSenderPickerFields = {1, 10, 8, 6, 11};
inline constexpr std::array<int, kAddressRecordParts> kRecipientPickerFields = {3, 12, 9, 7, 13};

// Cuts a GB18030 record at every comma, keeping at most kMaxAddressRecordPieces pieces (the
// last one kept ends before the next comma). A comma byte never occurs inside a GB18030
// multibyte character, so the cut needs no character walk.
std::vector<std::string> SplitAddressRecord(std::string_view record);

// The five parts of a stored record; missing ones are empty. A record saved before commas
// were kept out of its parts may hold more than five pieces: the extra ones go back into the
// address (or the name) where the telephones and the postcode show it, so the later parts
// keep their own values.
AddressParts PickedAddressParts(std::string_view record);

// The five parts joined by commas, as the address book stores them; a comma inside a part is
// stored as "，" so that the record reads back into the same five parts.
std::string JoinAddressRecord(const AddressParts& parts);

// Text typed into a picker counts as a whole address only with exactly five pieces.
std::optional<AddressParts> TypedInFullAddress(std::string_view text);

} // namespace dorvane
