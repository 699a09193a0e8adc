#pragma once

#include <QImage>
#include <QSize>
#include <QString>

#include <filesystem>
#include <functional>

// Why a photo is not shown, or shown only in part.
enum class PhotoProblem {
    None,
    Reading, // still being read: shown when it comes
    Missing, // no such file
    TooLarge, // the file or the picture it describes is beyond what the photo box will decode
    TooSlow, // decoding it would take far too long (many scans over many pixels, or a large
             // picture in a format that can only be decoded whole)
    Damaged, // empty, cut short, not a picture, or not a file at all: nothing to show
    DamagedData, // corrupt data inside the picture: shown as far as it could be decoded
};

struct PhotoRead
{
    QImage picture; // only the part a box of the given size shows; null when nothing is shown
    PhotoProblem problem = PhotoProblem::None;
};

// Reads the file anew and decodes only its top-left part of visibleSize (one picture pixel per
// pixel of that size), so a large camera photo costs little: of a JPEG stored in one scan only
// the rows down to the visible part's bottom are read from the file. Pictures stored rotated are
// turned upright. The path is opened as the file system spells it, whatever the bytes of its
// folders' names. `stop` is asked between pieces of the work; once it says true, the reading
// ends early and what comes back means nothing.
PhotoRead readVisiblePhoto(const std::filesystem::path &file, const QSize &visibleSize,
                           const std::function<bool()> &stop = {});

// The short notice the photo box shows for a problem: what is wrong with which file, and on a
// second line the folder where the photo belongs. Empty for None.
QString photoNotice(PhotoProblem problem, const QString &path);
