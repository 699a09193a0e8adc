#pragma once

#include <QImage>
#include <QWidget>

#include <filesystem>

// The photo box: shows a picture at its own size with its top-left corner at the box's top-left
// corner, cut off at the right and bottom, the background colour (palette Window) elsewhere. The
// box never changes its size. A file that cannot be shown leaves only the background and a short
// notice in the palette's WindowText colour; a damaged one that could be shown in part gets the
// notice in a band along its bottom edge.
class PhotoBox : public QWidget
{
    Q_OBJECT

public:
    explicit PhotoBox(QWidget *parent = nullptr);

    // Reads `file` anew, replacing what the box showed; `path` is the same path as text, for the
    // notice. True when a picture is shown.
    bool showPhoto(const std::filesystem::path &file, const QString &path);

    QImage picture() const { return m_picture; }
    QString notice() const { return m_notice; }

signals:
    void photoShown(const QString &path, bool shown);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage m_picture;
    QString m_notice;
};
