#pragma once

#include <QImage>
#include <QSize>
#include <QString>

#include <filesystem>

// Why a photo could not be shown, or could be shown only in part.
enum class PhotoProblem {
    None,
    Missing, // no such file
    TooLarge, // the file or the picture it describes is beyond what the photo box will decode
    TooComplex, // so many scans that decoding them would take far too long
    Damaged, // empty, cut short, not a picture, or not a file at all: nothing to show
    DamagedData, // corrupt data inside the picture: shown as far as it could be decoded
};

struct PhotoRead
{
    QImage picture; // only the part a box of the given size shows; null when nothing is shown
    PhotoProblem problem = PhotoProblem::None;
};

// Reads the file anew and decodes only its top-left part of visibleSize (one picture pixel per
// box pixel), so a large camera photo costs little. Pictures stored rotated are turned upright.
// The path is opened as the file system spells it, whatever the bytes of its folders' names.
PhotoRead readVisiblePhoto(const std::filesystem::path &file, const QSize &visibleSize);

// The short notice the photo box shows for a problem: what is wrong with which file, and on a
// second line the folder where the photo belongs. Empty for None.
QString photoNotice(PhotoProblem problem, const QString &path);
