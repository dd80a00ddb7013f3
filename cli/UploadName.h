// Whether a player file's name may become a PC file name in the upload folder.
// The name comes from the player's directory, which anyone may have written: a
// name with a path separator, a drive colon or ".." could land outside the
// folder, and a reserved device name (CON, NUL, COM1, ...) opens a device on
// Windows instead of a file; characters Windows does not allow in file names
// are refused too. The check is the same on every platform, so that a name
// refused on Windows is refused on Linux too.
#pragma once
#include <string>

// True when name is safe; else false with the reason in why.
bool IsSafeUploadName(const std::string& name, std::string& why);
