#include "photobox.h"

#include "photoreader.h"

#include <QPainter>

PhotoBox::PhotoBox(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

bool PhotoBox::showPhoto(const QString &path)
{
    PhotoRead read = readVisiblePhoto(path, size());
    m_picture = std::move(read.picture);
    m_notice = photoNotice(read.problem, path);
    update();
    const bool shown = read.problem == PhotoProblem::None;
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
    } else if (!m_notice.isEmpty()) {
        painter.setPen(palette().color(QPalette::WindowText));
        const int margin = 16;
        painter.drawText(rect().adjusted(margin, margin, -margin, -margin),
                         Qt::AlignCenter | Qt::TextWordWrap, m_notice);
    }
}
