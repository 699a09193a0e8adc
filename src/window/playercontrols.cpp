#include "playercontrols.h"

#include "glyphiconengine.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QToolButton>

#include <algorithm>

namespace {

constexpr int kKeySeekMs = 5000;

using Glyph = GlyphIconEngine::Glyph;

// A symbol in the palette's ink (WindowText), and in its ground (Window) on a button pressed in,
// which is filled with the ink. The icon owns its engine.
QIcon glyphIcon(Glyph glyph, const QPalette &palette)
{
    return QIcon(new GlyphIconEngine(glyph, palette.color(QPalette::WindowText),
                                     palette.color(QPalette::Window)));
}

QToolButton *makeButton(QWidget *parent, const char *name, const QString &tip)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setIconSize(QSize(16, 16));
    button->setFixedSize(32, 32);
    button->setToolTip(tip);
    button->setAccessibleName(tip);
    button->setFocusPolicy(Qt::TabFocus);
    return button;
}

// The bar's look in shades between its palette's ground (Window) and ink (WindowText). A button
// pressed in (the player playing or paused) is lit: filled with the ink inside a dark gap. The
// keyboard focus is a ring in the palette's Highlight around a button or slider, which stands out
// from the ground around it whether the button is lit or not.
QString barStyleSheet(const QPalette &palette)
{
    const QColor ground = palette.color(QPalette::Window);
    const QColor ink = palette.color(QPalette::WindowText);
    const auto towardsInk = [&](double share) {
        return QColor::fromRgbF(ground.redF() + share * (ink.redF() - ground.redF()),
                                ground.greenF() + share * (ink.greenF() - ground.greenF()),
                                ground.blueF() + share * (ink.blueF() - ground.blueF()))
                .name();
    };
    return QStringLiteral(
                   "QToolButton { border: 2px solid %2; border-radius: 4px; padding: 2px;"
                   " background: %1; }"
                   "QToolButton:hover { background: %3; border-color: %4; }"
                   "QToolButton:pressed, QToolButton:checked { background: %6;"
                   " background-clip: content; border-color: %5; }"
                   "QToolButton:focus, QSlider:focus { border-color: %7; }"
                   "QLabel { color: %6; }"
                   "QSlider { border: 2px solid transparent; border-radius: 4px; }"
                   "QSlider::groove:horizontal { height: 6px; background: %8;"
                   " border: 1px solid %2; border-radius: 3px; }"
                   "QSlider::sub-page:horizontal { background: %9; border-radius: 3px; }"
                   "QSlider::handle:horizontal { width: 12px; margin: -4px 0; border-radius: 6px;"
                   " background: %6; }"
                   "QSlider::handle:horizontal:disabled { background: %2; }")
            .arg(ground.lighter(125).name(), ground.lighter(175).name(), ground.lighter(162).name(),
                 towardsInk(0.75), ground.lighter(200).name(), ink.name(),
                 palette.color(QPalette::Highlight).name(), ground.darker(160).name(),
                 towardsInk(0.56));
}

} // namespace

PlayerControls::PlayerControls(QWidget *parent)
    : QWidget(parent)
{
    setAccessibleName(tr("背景音乐"));
    setAutoFillBackground(true);
    QFont small = font();
    small.setBold(false);
    small.setPointSizeF(9);
    setFont(small);

    m_playButton = makeButton(this, "playButton", tr("播放"));
    m_pauseButton = makeButton(this, "pauseButton", tr("暂停"));
    m_stopButton = makeButton(this, "stopButton", tr("停止"));
    m_playButton->setCheckable(true);
    m_pauseButton->setCheckable(true);
    m_muteButton = makeButton(this, "muteButton", tr("静音"));

    // The labels are named for what they count; the times they show are their descriptions.
    m_elapsedLabel = new QLabel(this);
    m_elapsedLabel->setObjectName(QStringLiteral("elapsedLabel"));
    m_elapsedLabel->setAccessibleName(tr("已播放时间"));
    m_totalLabel = new QLabel(this);
    m_totalLabel->setObjectName(QStringLiteral("totalLabel"));
    m_totalLabel->setAccessibleName(tr("总时长"));
    for (QLabel *label : {m_elapsedLabel, m_totalLabel}) {
        label->setFixedWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("0:00:00")) + 4);
        label->setAlignment(Qt::AlignCenter);
    }

    m_seekSlider = new QSlider(Qt::Horizontal, this);
    m_seekSlider->setObjectName(QStringLiteral("seekSlider"));
    m_seekSlider->setRange(0, 0);
    m_seekSlider->setToolTip(tr("播放位置"));
    m_seekSlider->setAccessibleName(tr("播放位置"));
    m_seekSlider->setFocusPolicy(Qt::TabFocus);
    // The arrow and page keys on the focused bar move five seconds.
    m_seekSlider->setSingleStep(kKeySeekMs);
    m_seekSlider->setPageStep(kKeySeekMs);
    m_seekSlider->installEventFilter(this);

    m_volumeSlider = new QSlider(Qt::Horizontal, this);
    m_volumeSlider->setObjectName(QStringLiteral("volumeSlider"));
    m_volumeSlider->setRange(0, 100);
    m_volumeSlider->setFixedWidth(96);
    m_volumeSlider->setToolTip(tr("音量"));
    m_volumeSlider->setAccessibleName(tr("音量"));
    m_volumeSlider->setFocusPolicy(Qt::TabFocus);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 0, 10, 0);
    layout->setSpacing(4);
    layout->addWidget(m_playButton);
    layout->addWidget(m_pauseButton);
    layout->addWidget(m_stopButton);
    layout->addSpacing(6);
    layout->addWidget(m_elapsedLabel);
    layout->addWidget(m_seekSlider, 1);
    layout->addWidget(m_totalLabel);
    layout->addSpacing(6);
    layout->addWidget(m_muteButton);
    layout->addWidget(m_volumeSlider);

    // A click toggles a checkable button by itself; put it back to what the player says.
    connect(m_playButton, &QToolButton::clicked, this, [this] {
        emit play();
        setPlayState(m_playState);
    });
    connect(m_pauseButton, &QToolButton::clicked, this, [this] {
        emit pause();
        setPlayState(m_playState);
    });
    connect(m_stopButton, &QToolButton::clicked, this, &PlayerControls::stop);
    connect(m_muteButton, &QToolButton::clicked, this, [this] { emit changeMuting(!m_muted); });
    // Dragging, clicking on the groove and the keyboard all end up as one seek wish.
    connect(m_seekSlider, &QSlider::actionTriggered, this,
            [this] { emit seek(m_seekSlider->sliderPosition()); });
    connect(m_volumeSlider, &QSlider::valueChanged, this, &PlayerControls::changeVolume);

    setPlayState(MusicPlayer::PlayState::Undefined);
    setVolume(50);
    showTimes();
}

// The style sheet and the symbols follow the palette, from the first time the bar is polished
// (just before it is first shown), so the palette its window gives it is drawn with only once.
bool PlayerControls::event(QEvent *event)
{
    const bool handled = QWidget::event(event);
    if (event->type() == QEvent::Polish
        || (event->type() == QEvent::PaletteChange && testAttribute(Qt::WA_WState_Polished)))
        applyPalette();
    return handled;
}

void PlayerControls::applyPalette()
{
    const QString sheet = barStyleSheet(palette());
    if (sheet == styleSheet())
        return;
    setStyleSheet(sheet);
    m_playButton->setIcon(glyphIcon(Glyph::Play, palette()));
    m_pauseButton->setIcon(glyphIcon(Glyph::Pause, palette()));
    m_stopButton->setIcon(glyphIcon(Glyph::Stop, palette()));
    m_muteButton->setIcon(glyphIcon(m_muted ? Glyph::SpeakerMuted : Glyph::Speaker, palette()));
}

// A press on the seek groove moves the handle to where it was pressed, as media players do, and
// seeks there; a press on the handle itself starts a drag as usual.
bool PlayerControls::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_seekSlider && event->type() == QEvent::MouseButtonPress
        && m_seekSlider->isEnabled()
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        // The same sums the slider does for a drag, so the handle lands under the pointer.
        QStyleOptionSlider option;
        option.initFrom(m_seekSlider);
        option.orientation = Qt::Horizontal;
        option.state |= QStyle::State_Horizontal;
        option.minimum = m_seekSlider->minimum();
        option.maximum = m_seekSlider->maximum();
        option.sliderPosition = m_seekSlider->sliderPosition();
        option.sliderValue = m_seekSlider->value();
        option.singleStep = m_seekSlider->singleStep();
        option.pageStep = m_seekSlider->pageStep();
        option.upsideDown = m_seekSlider->layoutDirection() == Qt::RightToLeft;
        QStyle *style = m_seekSlider->style();
        const QRect groove = style->subControlRect(QStyle::CC_Slider, &option,
                                                   QStyle::SC_SliderGroove, m_seekSlider);
        const QRect handle = style->subControlRect(QStyle::CC_Slider, &option,
                                                   QStyle::SC_SliderHandle, m_seekSlider);
        if (!handle.contains(static_cast<QMouseEvent *>(event)->position().toPoint())) {
            const int x = int(static_cast<QMouseEvent *>(event)->position().x())
                    - handle.width() / 2 - groove.x();
            const int value = QStyle::sliderValueFromPosition(option.minimum, option.maximum, x,
                                                              groove.width() - handle.width(),
                                                              option.upsideDown);
            const QSignalBlocker blocker(m_seekSlider);
            m_seekSlider->setValue(value);
            emit seek(value);
            return true; // not a page step as well
        }
    }
    return QWidget::eventFilter(watched, event);
}

QString PlayerControls::formatTime(qint64 milliseconds)
{
    const qint64 seconds = std::max<qint64>(milliseconds, 0) / 1000;
    const qint64 hours = seconds / 3600;
    const QString minutesAndSeconds = QStringLiteral("%1:%2")
                                              .arg(hours > 0 ? (seconds / 60) % 60 : seconds / 60,
                                                   hours > 0 ? 2 : 1, 10, QLatin1Char('0'))
                                              .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    return hours > 0 ? QStringLiteral("%1:%2").arg(hours).arg(minutesAndSeconds)
                     : minutesAndSeconds;
}

void PlayerControls::setPlayState(MusicPlayer::PlayState playState)
{
    m_playState = playState;
    m_playButton->setChecked(playState == MusicPlayer::PlayState::Playing);
    m_pauseButton->setChecked(playState == MusicPlayer::PlayState::Paused);
}

void PlayerControls::setDuration(qint64 milliseconds)
{
    m_duration = std::max<qint64>(milliseconds, 0);
    m_seekSlider->setRange(0, int(std::min<qint64>(m_duration, INT_MAX)));
    m_seekSlider->setEnabled(m_duration > 0);
    showTimes();
}

void PlayerControls::setPosition(qint64 milliseconds)
{
    m_position = std::max<qint64>(milliseconds, 0);
    const int value = int(std::min<qint64>(m_position, INT_MAX));
    // The player reports the position many times a second; the handle is moved only when it
    // lands on another pixel, since nothing else can be seen.
    const auto pixel = [this](int v) {
        return QStyle::sliderPositionFromValue(m_seekSlider->minimum(), m_seekSlider->maximum(), v,
                                               m_seekSlider->width());
    };
    if (!m_seekSlider->isSliderDown() && pixel(value) != pixel(m_seekSlider->value())) {
        const QSignalBlocker blocker(m_seekSlider);
        m_seekSlider->setValue(value);
    }
    showTimes();
}

void PlayerControls::setVolume(int volume)
{
    const QSignalBlocker blocker(m_volumeSlider);
    m_volumeSlider->setValue(volume);
    m_volumeSlider->setAccessibleDescription(QString::number(volume) + u'%');
}

void PlayerControls::setMuted(bool muted)
{
    m_muted = muted;
    m_muteButton->setIcon(glyphIcon(muted ? Glyph::SpeakerMuted : Glyph::Speaker, palette()));
    m_muteButton->setToolTip(muted ? tr("取消静音") : tr("静音"));
    m_muteButton->setAccessibleName(m_muteButton->toolTip());
}

// The times as shown and as screen readers tell them: the seek slider says where the music is
// out of how long it is. Only a time that changed is written, as positions come many times a
// second.
void PlayerControls::showTimes()
{
    const QString elapsed = formatTime(m_position);
    const QString total = formatTime(m_duration);
    if (elapsed == m_elapsedLabel->text() && total == m_totalLabel->text())
        return;
    m_elapsedLabel->setText(elapsed);
    m_elapsedLabel->setAccessibleDescription(elapsed);
    m_totalLabel->setText(total);
    m_totalLabel->setAccessibleDescription(total);
    m_seekSlider->setAccessibleDescription(elapsed + QStringLiteral(" / ") + total);
}
