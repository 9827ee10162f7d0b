#pragma once
// The message a link shows when its address could not be opened.

#include <string>

namespace dorvane {

// "Unable to open hyperlink:\n\n" followed by the text for the shell's error code.
std::string HyperlinkErrorMessage(int code);

} // namespace dorvane
