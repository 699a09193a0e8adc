#include "glyphiconengine.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

GlyphIconEngine::GlyphIconEngine(Glyph glyph, const QColor &ink, const QColor &pressedInk)
    : m_glyph(glyph)
    , m_ink(ink)
    , m_pressedInk(pressedInk)
{ }

// The symbol on a 16-unit square scaled to `rect`.
void GlyphIconEngine::paint(QPainter *painter, const QRect &rect, QIcon::Mode, QIcon::State state)
{
    const QColor ink = state == QIcon::On ? m_pressedInk : m_ink;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->translate(rect.topLeft());
    painter->scale(rect.width() / 16.0, rect.height() / 16.0);
    painter->setPen(Qt::NoPen);
    painter->setBrush(ink);
    switch (m_glyph) {
    case Glyph::Play:
        painter->drawPolygon(QPolygonF({QPointF(4, 2.5), QPointF(13.5, 8), QPointF(4, 13.5)}));
        break;
    case Glyph::Pause:
        painter->drawRect(QRectF(3.5, 3, 3, 10));
        painter->drawRect(QRectF(9.5, 3, 3, 10));
        break;
    case Glyph::Stop:
        painter->drawRect(QRectF(3.5, 3.5, 9, 9));
        break;
    case Glyph::Speaker:
    case Glyph::SpeakerMuted:
        painter->drawPolygon(QPolygonF({QPointF(1.5, 6), QPointF(4.5, 6), QPointF(8, 2.5),
                                        QPointF(8, 13.5), QPointF(4.5, 10), QPointF(1.5, 10)}));
        painter->setBrush(Qt::NoBrush);
        painter->setPen(QPen(ink, 1.3, Qt::SolidLine, Qt::RoundCap));
        if (m_glyph == Glyph::Speaker) {
            painter->drawArc(QRectF(6, 5, 6, 6), -60 * 16, 120 * 16);
            painter->drawArc(QRectF(5, 2.5, 10, 11), -60 * 16, 120 * 16);
        } else {
            painter->drawLine(QPointF(10, 5.5), QPointF(15, 10.5));
            painter->drawLine(QPointF(15, 5.5), QPointF(10, 10.5));
        }
        break;
    }
    painter->restore();
}

// Each size, mode and state is drawn once and kept; a disabled or selected symbol is the style's
// own rendering of the normal one, as for any icon.
QPixmap GlyphIconEngine::pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state)
{
    if (size.isEmpty())
        return {};
    const quint64 key = quint64(size.width()) << 32 | quint64(size.height()) << 16
            | quint64(mode) << 8 | quint64(state);
    if (const auto kept = m_pixmaps.constFind(key); kept != m_pixmaps.cend())
        return *kept;
    QPixmap drawn(size);
    drawn.fill(Qt::transparent);
    if (mode == QIcon::Normal || mode == QIcon::Active) {
        QPainter painter(&drawn);
        paint(&painter, drawn.rect(), mode, state);
    } else {
        const QPixmap normal = pixmap(size, QIcon::Normal, state);
        QStyleOption option;
        option.palette = QApplication::palette();
        drawn = QApplication::style()->generatedIconPixmap(mode, normal, &option);
    }
    m_pixmaps.insert(key, drawn);
    return drawn;
}

QIconEngine *GlyphIconEngine::clone() const
{
    return new GlyphIconEngine(m_glyph, m_ink, m_pressedInk);
}

QString GlyphIconEngine::key() const
{
    return QStringLiteral("GlyphIconEngine");
}
