#include "photobox.h"

#include "photoloader.h"

#include <QFileInfo>
#include <QPainter>
#include <QtMath>

namespace {

// How long the window waits for a photo before it goes on with the facts. A camera photo is read
// well within it; a file system that stalls or a photo that is slow to decode is not.
constexpr std::chrono::milliseconds kWaitForPhoto(150);

} // namespace

PhotoBox::PhotoBox(QWidget *parent)
    : QWidget(parent)
    , m_loader(new PhotoLoader(this))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    connect(m_loader, &PhotoLoader::arrived, this, &PhotoBox::display);
}

bool PhotoBox::showPhoto(const std::filesystem::path &file, const QString &path)
{
    m_path = path;
    // The box's size in the screen's own pixels, so that at a fractional scale the photo is as
    // sharp as at 100 %.
    m_pixelRatio = devicePixelRatioF();
    const QSize visible(qCeil(width() * m_pixelRatio), qCeil(height() * m_pixelRatio));
    const std::optional<PhotoRead> read = m_loader->load(file, visible, kWaitForPhoto);
    display(read.value_or(PhotoRead {{}, PhotoProblem::Reading}));
    const bool shown = !m_picture.isNull();
    emit photoShown(path, shown);
    return shown;
}

void PhotoBox::display(const PhotoRead &read)
{
    m_picture = read.picture;
    m_notice = photoNotice(read.problem, m_path);
    // Screen readers are told what the box shows: the plant, named as its photo is, or the
    // notice where there is one (照片读取中… until a late photo comes).
    setAccessibleDescription(m_notice.isEmpty() ? QFileInfo(m_path).completeBaseName() : m_notice);
    update();
}

void PhotoBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    if (!m_picture.isNull()) // one picture pixel on each pixel of the screen
        painter.drawImage(QRectF(QPointF(0, 0), QSizeF(m_picture.size()) / m_pixelRatio),
                          m_picture);
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
