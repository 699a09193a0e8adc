#pragma once

#include <QString>

#include <filesystem>
#include <string_view>

// File paths between the file system's own form and text. On Linux a path is bytes that need not
// be UTF-8 (a folder unzipped from an archive made on Chinese Windows holds GBK bytes); the path
// keeps them, the text is only for showing.

// The path as text for a person to read; bytes that are not UTF-8 show as replacement marks.
QString pathText(const std::filesystem::path &path);

// The path named by `text`, as the file system spells it (UTF-8 bytes on Linux).
std::filesystem::path localPath(const QString &text);

// A file in the photos folder beside the program: appFolder + "/photos/" + file on Linux,
// appFolder + "\photos\" + file on Windows. No separator check: at the root folder the
// separator is doubled, which the file system reads as one.
std::filesystem::path photosFile(const std::filesystem::path &appFolder, std::u8string_view file);
