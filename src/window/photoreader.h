#pragma once

#include <QByteArrayView>
#include <QImage>
#include <QSize>
#include <QString>

// Why a photo could not be shown.
enum class PhotoProblem {
    None,
    Missing, // no such file
    TooLarge, // the file or the picture it describes is beyond what the photo box will decode
    Damaged, // empty, cut short, not a picture, or not a file at all
};

struct PhotoRead
{
    QImage picture; // only the part a box of the given size shows; null unless problem is None
    PhotoProblem problem = PhotoProblem::None;
};

// Reads the file anew and decodes only its top-left part of visibleSize (one picture pixel per
// box pixel), so a large camera photo costs little. Pictures stored rotated are turned upright.
PhotoRead readVisiblePhoto(const QString &path, const QSize &visibleSize);

// True for JPEG data that stops before its end-of-image marker or whose segments are broken;
// false for whole JPEG data and for data that is not JPEG at all.
bool jpegCutShort(QByteArrayView data);

// The short line the photo box shows instead of a picture, naming the file.
QString photoNotice(PhotoProblem problem, const QString &path);
