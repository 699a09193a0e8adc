#include "applicationfolder.h"

#include <QCoreApplication>
#include <QFile>

#if defined(Q_OS_LINUX)
#include <unistd.h>

#include <string>
#endif

std::filesystem::path applicationFolder()
{
#if defined(Q_OS_LINUX)
    std::string target(256, '\0');
    for (;;) {
        const ssize_t length = ::readlink("/proc/self/exe", target.data(), target.size());
        if (length <= 0)
            return {};
        if (std::size_t(length) < target.size()) {
            target.resize(std::size_t(length));
            break;
        }
        target.resize(target.size() * 2);
    }
    return std::filesystem::path(target).parent_path();
#elif defined(Q_OS_WIN)
    const QString folder = QCoreApplication::applicationDirPath();
    if (folder.isEmpty())
        return {};
    return std::filesystem::path(folder.toStdWString()).make_preferred();
#else
    const QString folder = QCoreApplication::applicationDirPath();
    if (folder.isEmpty())
        return {};
    return std::filesystem::path(QFile::encodeName(folder).toStdString());
#endif
}
