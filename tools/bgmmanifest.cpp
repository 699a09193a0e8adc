#include "bgmmanifest.h"

#include <QCryptographicHash>
#include <QFile>
#include <QSaveFile>

BgmManifest BgmManifest::load(const QString &path)
{
    BgmManifest manifest;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return manifest;
    while (!file.atEnd()) {
        const QList<QByteArray> words = file.readLine().simplified().split(' ');
        if (words.size() != 2)
            continue;
        if (words[0] == "version")
            manifest.m_version = words[1].toInt();
        else if (words[0] == "size")
            manifest.m_size = words[1].toLongLong();
        else if (words[0] == "sha256")
            manifest.m_sha256 = words[1];
    }
    return manifest;
}

BgmManifest BgmManifest::of(const QByteArray &contents, int version)
{
    BgmManifest manifest;
    manifest.m_version = version;
    manifest.m_size = contents.size();
    manifest.m_sha256 = QCryptographicHash::hash(contents, QCryptographicHash::Sha256).toHex();
    return manifest;
}

bool BgmManifest::save(const QString &path) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    file.write("# The sample music the build wrote; a BGM.mp3 that differs is left alone.\n");
    file.write("version " + QByteArray::number(m_version) + '\n');
    file.write("size " + QByteArray::number(m_size) + '\n');
    file.write("sha256 " + m_sha256 + '\n');
    return file.commit();
}

bool BgmManifest::matches(const QString &path) const
{
    if (m_size < 0 || m_sha256.isEmpty())
        return false;
    QFile file(path);
    if (file.size() != m_size || !file.open(QIODevice::ReadOnly))
        return false;
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(&file);
    return hash.result().toHex() == m_sha256;
}
