#pragma once

#include <QByteArray>
#include <QString>

// The record of the music file the generator last wrote: its size, SHA-256 and the version of
// the piece. A BGM.mp3 that does not match the record was put there by someone else.
class BgmManifest
{
public:
    // Reads a manifest; a missing or unreadable file gives an empty one that matches nothing.
    static BgmManifest load(const QString &path);
    // The record for music just written.
    static BgmManifest of(const QByteArray &contents, int version);

    // Writes the manifest in one step.
    bool save(const QString &path) const;

    // True when the file at `path` is exactly the recorded one.
    bool matches(const QString &path) const;
    int version() const { return m_version; }

private:
    int m_version = 0;
    qint64 m_size = -1;
    QByteArray m_sha256; // hex
};
