#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

// The record of the files a build tool wrote (the sample photos, the sample music): file name,
// size and SHA-256 of each, and the version of the tool's artwork they were made with. A file on
// disk that no longer matches its record (or has none) was put there by someone else and is
// never touched.
class OutputManifest
{
public:
    struct Record
    {
        qint64 size = 0;
        QByteArray sha256; // hex
    };

    // Reads the manifest; a missing or unreadable file gives an empty manifest.
    static OutputManifest load(const QString &path);
    // Writes the manifest in one step (a crash leaves the old one in place).
    bool save(const QString &path) const;

    int version() const { return m_version; }
    void setVersion(int version) { m_version = version; }

    // True when the file at `path` is exactly the one recorded under `name`.
    bool matches(const QString &name, const QString &path) const;
    bool contains(const QString &name) const { return m_records.contains(name); }
    void record(const QString &name, const QByteArray &contents);
    void forget(const QString &name) { m_records.remove(name); }

    static QByteArray hashOf(const QByteArray &contents);

private:
    int m_version = 0;
    QHash<QString, Record> m_records;
};
