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
