// The updater's readers of what comes off the network: the manifest, and the version file's
// addresses and names. A manifest that is accepted must be exactly what its own writer
// produces, so that two readings of one signed text can never disagree; a plan that is
// accepted may only name plain files.

#include "updater/UpdateIntegrity.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (const auto manifest = dorvane::ParseManifest(text); manifest && dorvane::WriteManifest(*manifest) != text)
        std::abort();

    const auto plan = dorvane::PlanUpdate(dorvane::ParseVersionFile(text), "http://127.0.0.1:8080");
    if (plan.error.empty()) {
        for (const auto& item : plan.items) {
            if (!dorvane::IsPlainFileName(item.localName)
                || !dorvane::IsAllowedUpdateUrl(item.url, "http://127.0.0.1:8080"))
                std::abort();
        }
    }
    return 0;
}
