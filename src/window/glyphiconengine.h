#pragma once

#include <QColor>
#include <QHash>
#include <QIconEngine>

// One of the music bar's symbols as an icon, drawn at the size a button asks for when it first
// asks: in `ink` on a transparent square, and in `pressedInk` for the icon's On state (a button
// pressed in, which is filled with the ink). Sizes never asked for are never drawn.
class GlyphIconEngine : public QIconEngine
{
public:
    enum class Glyph { Play, Pause, Stop, Speaker, SpeakerMuted };

    GlyphIconEngine(Glyph glyph, const QColor &ink, const QColor &pressedInk);

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override;
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override;
    QIconEngine *clone() const override;
    QString key() const override;

private:
    Glyph m_glyph;
    QColor m_ink;
    QColor m_pressedInk;
    QHash<quint64, QPixmap> m_pixmaps; // by size, mode and state
};
