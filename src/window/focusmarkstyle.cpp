#include "focusmarkstyle.h"

#include "readablecolour.h"
#include "windowcolours.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QPainter>
#include <QStyleOption>
#include <QStyleOptionViewItem>

#include <algorithm>

namespace {

constexpr int kMarkWidth = 2;

// A mark of kMarkWidth along the inside of `area`, readable on `ground`.
void drawMark(QPainter *painter, const QRect &area, const QColor &ground)
{
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, false);
    painter->setPen(QPen(readableColour(kFocusMark, ground, kFocusMarkOnLight), kMarkWidth,
                         Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter->setBrush(Qt::NoBrush);
    const qreal inset = kMarkWidth / 2.0;
    painter->drawRect(QRectF(area).adjusted(inset, inset, -inset, -inset));
    painter->restore();
}

} // namespace

FocusMarkStyle::FocusMarkStyle(QStyle *base)
    : QProxyStyle(base)
{ }

void FocusMarkStyle::drawPrimitive(PrimitiveElement element, const QStyleOption *option,
                                   QPainter *painter, const QWidget *widget) const
{
    if (element == PE_FrameFocusRect && qobject_cast<const QAbstractButton *>(widget)) {
        drawMark(painter, option->rect, option->palette.color(QPalette::Button));
        return;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
    if (element == PE_PanelLineEdit && (option->state & State_HasFocus))
        drawMark(painter, option->rect, option->palette.color(QPalette::Window));
}

// The frame of a list; and a list's chosen row, in the palette's highlight colours whatever the
// platform's style would blend there (Windows' own style draws its theme's light selection and
// keeps the text's colour, which leaves white names on a barely lighter green).
void FocusMarkStyle::drawControl(ControlElement element, const QStyleOption *option,
                                 QPainter *painter, const QWidget *widget) const
{
    const auto *item = qstyleoption_cast<const QStyleOptionViewItem *>(option);
    if (element == CE_ItemViewItem && item && (item->state & State_Selected)) {
        // Drawn here whole: Windows' style draws an active list's chosen name in the text's
        // colour whatever the option says.
        painter->save();
        painter->fillRect(item->rect, item->palette.brush(QPalette::Highlight));
        const int margin = proxy()->pixelMetric(PM_FocusFrameHMargin, item, widget) + 1;
        const QRect textArea
                = subElementRect(SE_ItemViewItemText, item, widget).adjusted(margin, 0, -margin, 0);
        painter->setFont(item->font);
        painter->setPen(item->palette.color(QPalette::HighlightedText));
        painter->drawText(
                textArea, int(item->displayAlignment) | Qt::TextSingleLine,
                item->fontMetrics.elidedText(item->text, item->textElideMode, textArea.width()));
        painter->restore();
        return;
    }
    QProxyStyle::drawControl(element, option, painter, widget);
    if (element == CE_ShapedFrame && (option->state & State_HasFocus))
        drawMark(painter, option->rect, option->palette.color(QPalette::Window));
}

// A list's frame is wide enough for the whole mark, which its contents would otherwise cover.
int FocusMarkStyle::pixelMetric(PixelMetric metric, const QStyleOption *option,
                                const QWidget *widget) const
{
    const int value = QProxyStyle::pixelMetric(metric, option, widget);
    if (metric == PM_DefaultFrameWidth && qobject_cast<const QAbstractScrollArea *>(widget))
        return std::max(value, kMarkWidth);
    return value;
}
