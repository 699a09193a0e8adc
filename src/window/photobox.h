#pragma once

#include <QImage>
#include <QWidget>

// The photo box: shows a picture at its own size with its top-left corner at the box's top-left
// corner, cut off at the right and bottom, the background colour (palette Window) elsewhere. The
// box never changes its size. A file that cannot be shown leaves only the background and a short
// notice in the palette's WindowText colour.
class PhotoBox : public QWidget
{
    Q_OBJECT

public:
    explicit PhotoBox(QWidget *parent = nullptr);

    // Reads the file anew, replacing what the box showed. True when the picture is shown.
    bool showPhoto(const QString &path);

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
