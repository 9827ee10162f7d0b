// Feeds arbitrary bytes to the clipboard address parser and checks what it promises.
#include "address/ClipboardAddress.h"
#include "address/RegionTable.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

// The labelled and free addresses need the region table: found through the source tree.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    setenv("DORVANE_SOURCE_DIR", DORVANE_SOURCE_DIR, 0);
    if (dorvane::ShippedRegionTable().empty())
        __builtin_trap();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto fields = dorvane::ParseClipboardAddress(text);
    if (!fields)
        return 0;
    // Accepted text always sets the telephone.
    if (!fields->telephone)
        __builtin_trap();
    // Every field is made of bytes of the text, so none can be longer than it; only an address
    // may gain its province and city in front (the longest pair of names is well under 64 bytes).
    for (const auto* field : {&fields->name, &fields->mobile, &fields->telephone, &fields->postcode})
        if (*field && (*field)->size() > size)
            __builtin_trap();
    if (fields->address && fields->address->size() > size + 64)
        __builtin_trap();
    return 0;
}
