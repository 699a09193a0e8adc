#pragma once

#include <filesystem>

// The folder that holds the running executable, as the file system names it: on Linux the bytes
// of /proc/self/exe's target, whatever their encoding; on Windows the wide path. Without a
// trailing separator except at the root. Empty only when the system cannot say where the program
// is; it is never guessed as the root or the current folder.
std::filesystem::path applicationFolder();
