#include "photobox.h"

#include "photoreader.h"

#include <QFileInfo>
#include <QPainter>

PhotoBox::PhotoBox(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

bool PhotoBox::showPhoto(const std::filesystem::path &file, const QString &path)
{
    PhotoRead read = readVisiblePhoto(file, size());
    m_picture = std::move(read.picture);
    m_notice = photoNotice(read.problem, path);
    // Screen readers are told what the box shows: the plant, named as its photo is, or the
    // notice where there is one.
    setAccessibleDescription(m_notice.isEmpty() ? QFileInfo(path).completeBaseName() : m_notice);
    update();
    const bool shown = !m_picture.isNull();
    emit photoShown(path, shown);
    return shown;
}

void PhotoBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    if (!m_picture.isNull()) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QPoint(0, 0), m_picture);
    }
    if (m_notice.isEmpty())
        return;
    // Each line on one line: a long folder is shortened in its middle, where its own name and
    // the photos folder at its end stay readable.
    const int margin = 8;
    const QFontMetrics metrics = fontMetrics();
    QStringList lines = m_notice.split(u'\n');
    for (QString &line : lines)
        line = metrics.elidedText(line, Qt::ElideMiddle, width() - 2 * margin);
    QRect area = rect().adjusted(margin, margin, -margin, -margin);
    if (!m_picture.isNull()) {
        const int band = int(lines.size()) * metrics.lineSpacing() + 2 * margin;
        const QRect strip(0, height() - band, width(), band);
        painter.fillRect(strip, palette().color(QPalette::Window));
        area = strip.adjusted(margin, margin, -margin, -margin);
    }
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(area, Qt::AlignCenter, lines.join(u'\n'));
}
