#include "outputmanifest.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>

namespace {
const QByteArray kHeader = "# quillora build output, version ";
}

OutputManifest OutputManifest::load(const QString &path)
{
    OutputManifest manifest;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return manifest;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine().trimmed();
        if (line.startsWith(kHeader)) {
            manifest.m_version = line.mid(kHeader.size()).toInt();
            continue;
        }
        const QList<QByteArray> cells = line.split('\t');
        if (cells.size() != 3)
            continue;
        bool sizeOk = false;
        const qint64 size = cells[1].toLongLong(&sizeOk);
        if (sizeOk)
            manifest.m_records.insert(QString::fromUtf8(cells[0]), Record {size, cells[2]});
    }
    return manifest;
}

bool OutputManifest::save(const QString &path) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QStringList names = m_records.keys();
    std::sort(names.begin(), names.end());
    QByteArray text = kHeader + QByteArray::number(m_version) + '\n';
    for (const QString &name : std::as_const(names)) {
        const Record &r = m_records[name];
        text += name.toUtf8() + '\t' + QByteArray::number(r.size) + '\t' + r.sha256 + '\n';
    }
    file.write(text);
    return file.commit();
}

bool OutputManifest::matches(const QString &name, const QString &path) const
{
    const auto it = m_records.constFind(name);
    if (it == m_records.cend())
        return false;
    const QFileInfo info(path);
    if (!info.isFile() || info.size() != it->size)
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    return hashOf(file.readAll()) == it->sha256;
}

void OutputManifest::record(const QString &name, const QByteArray &contents)
{
    m_records.insert(name, Record {contents.size(), hashOf(contents)});
}

QByteArray OutputManifest::hashOf(const QByteArray &contents)
{
    return QCryptographicHash::hash(contents, QCryptographicHash::Sha256).toHex();
}
