#pragma once

#include <QImage>
#include <QWidget>

#include <filesystem>

class PhotoLoader;
struct PhotoRead;

// The photo box: shows a picture at its own size, one picture pixel per pixel of the screen, with
// its top-left corner at the box's top-left corner, cut off at the right and bottom, the
// background colour (palette Window) elsewhere. The box never changes its size. A file that
// cannot be shown leaves only the background and a short notice in the palette's WindowText
// colour; a damaged one that could be shown in part gets the notice in a band along its bottom
// edge.
class PhotoBox : public QWidget
{
    Q_OBJECT

public:
    explicit PhotoBox(QWidget *parent = nullptr);

    // Reads `file` anew, replacing what the box showed; `path` is the same path as text, for the
    // notice. A photo read within a blink shows at once. One that takes longer leaves a notice
    // that it is being read and shows when it comes, unless another has been asked for since.
    // True when a picture is shown now.
    bool showPhoto(const std::filesystem::path &file, const QString &path);

    // The picture the box shows, in the screen's pixels.
    QImage picture() const { return m_picture; }
    QString notice() const { return m_notice; }

signals:
    // Once for every showPhoto, with what the box then shows.
    void photoShown(const QString &path, bool shown);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void display(const PhotoRead &read);

    PhotoLoader *m_loader = nullptr;
    QString m_path; // the latest photo asked for
    qreal m_pixelRatio = 1; // the screen's pixels per box pixel when the photo was asked for
    QImage m_picture;
    QString m_notice;
};
