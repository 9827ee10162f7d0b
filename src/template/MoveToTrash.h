#pragma once
// Moving a file to the user's trash, from which the desktop restores it where it was.

#include <filesystem>

namespace dorvane {

// False when the file could not be moved; it is then where it was. On freedesktop.org
// systems the trash is made when the account has none yet, and a file whose name is not
// UTF-8 (copied from a Windows computer) goes there under its own bytes.
bool MoveToTrash(const std::filesystem::path& file);

} // namespace dorvane
