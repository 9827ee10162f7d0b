// Feeds arbitrary bytes to the clipboard address parser and checks what it promises.
#include "waybill/ClipboardAddress.h"

#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto fields = dorvane::ParseClipboardAddress(text);
    if (!fields)
        return 0;
    // Accepted text always names its city and always sets the telephone.
    if (text.find("\xCA\xD0") == std::string_view::npos || !fields->telephone)
        __builtin_trap();
    // Every field is made of bytes of the text, so none can be longer than it.
    for (const auto* field : {&fields->name, &fields->mobile, &fields->telephone, &fields->address,
                              &fields->postcode, &fields->destination})
        if (*field && (*field)->size() > size)
            __builtin_trap();
    return 0;
}
