#include "pathtext.h"

#include <QFile>

QString pathText(const std::filesystem::path &path)
{
#ifdef Q_OS_WIN
    return QString::fromStdWString(path.native());
#else
    // Not path.u8string(): that throws on bytes that are not UTF-8.
    return QFile::decodeName(QByteArray::fromStdString(path.native()));
#endif
}

std::filesystem::path localPath(const QString &text)
{
#ifdef Q_OS_WIN
    return std::filesystem::path(text.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(text).toStdString());
#endif
}

std::filesystem::path photosFile(const std::filesystem::path &appFolder, std::u8string_view file)
{
    constexpr auto separator = std::filesystem::path::preferred_separator;
    std::filesystem::path path = appFolder;
    path += separator;
    path += u8"photos";
    path += separator;
    path += file;
    return path;
}
