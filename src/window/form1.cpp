#include "form1.h"

#include "accessiblewidgets.h"
#include "appicon.h"
#include "authorpage.h"
#include "bannerline.h"
#include "firstframe.h"
#include "focusmarkstyle.h"
#include "fontmap.h"
#include "herbdisplay.h"
#include "musicplayer.h"
#include "pathtext.h"
#include "photobox.h"
#include "plantlist.h"
#include "playercontrols.h"
#include "readablecolour.h"
#include "windowcolours.h"

#include <QApplication>
#include <QEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QStyleFactory>
#include <QTimer>

#include <initializer_list>
#include <utility>

namespace {

// Twips are 1/1440 inch: 15 make one device-independent pixel, which the desktop's scale turns
// into device pixels. At a smaller share of the full size, each edge is rounded on its own, so
// that controls that meet still meet.
QRect pixelsAt(qreal zoom, const QRect &twips)
{
    const auto pixels = [zoom](int twips) { return qRound(twips * zoom / 15); };
    return QRect(QPoint(pixels(twips.left()), pixels(twips.top())),
                 QPoint(pixels(twips.left() + twips.width()) - 1,
                        pixels(twips.top() + twips.height()) - 1));
}

// The nine fact boxes share their left edge inside the frame.
constexpr int kFactBoxLeft = 2040;

struct FactBoxPlace
{
    int top;
    int width;
    int height;
    qreal pointSize;
};

constexpr std::array<FactBoxPlace, kHerbFieldCount> kFactBoxPlaces = {{
        {480, 4215, 600, 12},
        {1320, 4215, 600, 12},
        {2160, 4215, 615, 12},
        {3000, 4215, 735, 12},
        {3960, 4215, 735, 9},
        {4920, 4215, 855, 9},
        {6000, 10935, 495, 12},
        {6720, 10935, 615, 12},
        {7560, 10935, 855, 12},
}};

void setColours(QWidget *widget,
                std::initializer_list<std::pair<QPalette::ColorRole, QColor>> colours)
{
    QPalette palette = widget->palette();
    for (const auto &[role, colour] : colours)
        palette.setColor(role, colour);
    widget->setPalette(palette);
}

// The desktop's menu-bar colour, the fact boxes' text colour. Where a dark desktop theme makes it
// hard to read on the dark green, the light menu colour of Windows stands in.
QColor menuBarColour()
{
    return readableColour(QApplication::palette("QMenuBar").color(QPalette::Window), kDarkGreen,
                          QColor(240, 240, 240));
}

// The desktop's button text colour, or the black of Windows buttons where that is hard to read
// on the button's light blue.
QColor buttonTextColour()
{
    return readableColour(QApplication::palette().color(QPalette::ButtonText), kLightBlue,
                          QColor(0, 0, 0));
}

// Scroll bars take the desktop's own colours in every role, so that the white text of the frame
// and the list does not reach their arrows.
void useDesktopColours(QScrollBar *bar)
{
    const QPalette desktop = QApplication::palette(bar);
    QPalette palette;
    for (int group = 0; group < QPalette::NColorGroups; ++group)
        for (int role = 0; role < QPalette::NColorRoles; ++role) {
            const auto g = QPalette::ColorGroup(group);
            const auto r = QPalette::ColorRole(role);
            palette.setColor(g, r, desktop.color(g, r));
        }
    bar->setPalette(palette);
}

} // namespace

Form1::Form1(std::function<std::filesystem::path()> applicationFolder, QWidget *parent)
    : QWidget(parent,
              Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                      | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
    , m_applicationFolder(std::move(applicationFolder))
{
    installAccessibleWidgets();
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Quillora 2.0"));
    setFont(songFont(12, true));
    place(this, QRect(0, 0, 13470, 9255));
    setColours(this, {{QPalette::Window, kDarkGreen}, {QPalette::WindowText, kLightGreen}});
    setAutoFillBackground(true);

    createControls();
    applyDesktopColours();
    connectHandlers();
    connect(new FirstFrame(this), &FirstFrame::shown, this, &Form1::firstFrameShown);
    Form_Load();
    m_list->setFocus();
    m_timer->start();
}

// The music stops first, while every control it might still tell about its state exists.
Form1::~Form1()
{
    delete m_player;
}

void Form1::place(QWidget *control, const QRect &twips)
{
    const qreal points = control->testAttribute(Qt::WA_SetFont) ? control->font().pointSizeF() : 0;
    m_placements.push_back({control, twips, points});
    applyPlacement(m_placements.back());
}

void Form1::applyPlacement(const Placement &placement)
{
    const QRect pixels = pixelsAt(m_zoom, placement.twips);
    if (placement.control == this)
        setFixedSize(pixels.size());
    else
        placement.control->setGeometry(pixels);
    if (placement.points > 0
        && placement.control->font().pointSizeF() != placement.points * m_zoom) {
        QFont font = placement.control->font();
        font.setPointSizeF(placement.points * m_zoom);
        placement.control->setFont(font);
    }
}

void Form1::setZoom(qreal zoom)
{
    if (zoom == m_zoom)
        return;
    m_zoom = zoom;
    for (const Placement &placement : m_placements)
        applyPlacement(placement);
}

void Form1::createControls()
{
    // The frame and the button have the 3D look of the classic Windows controls (part of every
    // Qt): an etched frame line with the caption over it and a raised button, in lines of the
    // palette's shades, with the window's own focus mark. The desktop's style would draw them as
    // its theme has them; Fusion draws its frame from a picture, whose loading asks every image
    // plugin on the way to the first frame.
    QStyle *classic = QStyleFactory::create(QStringLiteral("Windows"));
    auto *classicMarks = new FocusMarkStyle(classic);
    classicMarks->setParent(this);

    // Each control gets its font before its text: text laid out in an inherited font would load
    // typefaces that nothing shows, on the way to the first frame.
    m_frame = new QGroupBox(this);
    m_frame->setObjectName(QStringLiteral("Frame1"));
    m_frame->setStyle(classicMarks);
    m_frame->setFont(tahomaFont(12, true));
    place(m_frame, QRect(0, 0, 13455, 8535));
    m_frame->setTitle(QStringLiteral("Quillora"));
    setColours(m_frame,
               {{QPalette::Window, kDarkGreen},
                {QPalette::WindowText, kWhite},
                {QPalette::Text, kWhite}});
    m_frame->setAutoFillBackground(true);
    m_frame->setFocusPolicy(Qt::NoFocus);
    // The focus mark of the list and the fact boxes, over the desktop's style.
    auto *focusMarks = new FocusMarkStyle;
    focusMarks->setParent(this);

    m_list = new PlantList(m_frame);
    m_list->setObjectName(QStringLiteral("List1"));
    m_list->setAccessibleName(QStringLiteral("植物名录"));
    m_list->setFont(tahomaFont(12));
    place(m_list, QRect(120, 360, 1815, 8040));
    m_list->setStyle(focusMarks);
    // The chosen name in the window's own colours, the light green ground standing out from the
    // list (9.5 : 1) and the name on it readable (9.5 : 1) under any desktop theme.
    setColours(m_list,
               {{QPalette::Base, kDarkGreen},
                {QPalette::Text, kWhite},
                {QPalette::Highlight, kLightGreen},
                {QPalette::HighlightedText, kDarkGreen}});
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setSortingEnabled(false);
    m_list->setUniformItemSizes(true);
    for (const QString &name : HerbCatalogue::displayNames()) {
        auto *item = new QListWidgetItem(name, m_list);
        item->setData(Qt::UserRole, 0);
    }

    m_picture = new PhotoBox(m_frame);
    m_picture->setObjectName(QStringLiteral("Picture1"));
    m_picture->setAccessibleName(QStringLiteral("植物照片"));
    m_picture->setFont(songFont(12));
    place(m_picture, QRect(6480, 480, 6495, 5295));
    setColours(m_picture, {{QPalette::Window, kDarkGreen}, {QPalette::WindowText, kLightGreen}});
    m_picture->setFocusPolicy(Qt::NoFocus);

    for (HerbField field : kHerbFields) {
        const int index = herbFieldIndex(field);
        const FactBoxPlace &fact = kFactBoxPlaces[index];
        auto *box = new QLineEdit(m_frame);
        // The reader may place the caret and type; nothing reads a box back, and the next choice
        // writes it again.
        box->setObjectName(herbFieldTextBox(field));
        box->setAccessibleName(herbFieldPlaceholder(field)); // the caption, not the frame's
        box->setStyle(focusMarks);
        box->setFont(songFont(fact.pointSize));
        place(box, QRect(kFactBoxLeft, fact.top, fact.width, fact.height));
        box->setText(herbFieldPlaceholder(field));
        setColours(box, {{QPalette::Base, kDarkGreen}});
        box->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        box->setCursorPosition(0);
        m_texts[index] = box;
    }

    // The music player (WindowsMediaPlayer1): its bar in the band below the frame, and the
    // player the bar drives. The sound output opens after the window's first frame.
    m_player = new MusicPlayer(this);
    m_player->setObjectName(QStringLiteral("WindowsMediaPlayer1"));
    m_player->setOutputHeld(true);
    m_playerBar = new PlayerControls(this);
    m_playerBar->setObjectName(QStringLiteral("WindowsMediaPlayer1"));
    place(m_playerBar, QRect(0, 8520, 12495, 735));
    setColours(m_playerBar,
               {{QPalette::Window, kDarkGreen},
                {QPalette::WindowText, kLightGreen},
                {QPalette::Highlight, kFocusMark}});

    m_command2 = new QPushButton(QStringLiteral("作者博客"), this);
    m_command2->setObjectName(QStringLiteral("Command2"));
    m_command2->setFont(songFont(9.75));
    place(m_command2, QRect(12480, 8520, 975, 735));
    setColours(m_command2, {{QPalette::Button, kLightBlue}});
    // A graphical button: its face is its own light blue, with the 3D edge. Windows' own style
    // draws the face as the desktop theme has it and Fusion pales it with a gradient; the classic
    // style paints it in the button's colour. Its focus mark is the window's, not the classic
    // faint dotted line.
    m_command2->setStyle(classicMarks);

    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("Timer1"));
    m_timer->setInterval(100);

    // Tab order: list, photo box, the nine fact boxes, button, player. Controls that take no
    // focus (the frame, the photo box) are passed over.
    QWidget *previous = m_list;
    QList<QWidget *> rest {m_picture};
    for (QLineEdit *box : m_texts)
        rest.append(box);
    rest << m_command2 << m_playerBar;
    for (QWidget *next : std::as_const(rest)) {
        setTabOrder(previous, next);
        previous = next;
    }
}

// The colours taken from the desktop, again whenever its theme changes.
void Form1::applyDesktopColours()
{
    for (QLineEdit *box : m_texts)
        setColours(box, {{QPalette::Text, menuBarColour()}});
    setColours(m_command2, {{QPalette::ButtonText, buttonTextColour()}});
    useDesktopColours(m_list->verticalScrollBar());
    useDesktopColours(m_list->horizontalScrollBar());
}

// A new desktop theme reaches the window as a change of its palette. The theme's colours for
// menu bars are in place only once the change is over, so they are read afterwards.
void Form1::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::PaletteChange)
        QMetaObject::invokeMethod(this, &Form1::applyDesktopColours, Qt::QueuedConnection);
    QWidget::changeEvent(event);
}

void Form1::connectHandlers()
{
    connect(m_list, &PlantList::plantChosen, this, &Form1::List1_Click);
    connect(m_timer, &QTimer::timeout, this, &Form1::Timer1_Timer);
    connect(m_command2, &QPushButton::clicked, this, &Form1::Command2_Click);

    // The player bar only says what the reader wants; the player shows through it what it does.
    connect(m_playerBar, &PlayerControls::play, m_player, &MusicPlayer::play);
    connect(m_playerBar, &PlayerControls::pause, m_player, &MusicPlayer::pause);
    connect(m_playerBar, &PlayerControls::stop, m_player, &MusicPlayer::stop);
    connect(m_playerBar, &PlayerControls::seek, m_player, &MusicPlayer::setPosition);
    connect(m_playerBar, &PlayerControls::changeVolume, m_player, &MusicPlayer::setVolume);
    connect(m_playerBar, &PlayerControls::changeMuting, m_player, &MusicPlayer::setMuted);
    connect(m_player, &MusicPlayer::positionChanged, m_playerBar, &PlayerControls::setPosition);
    connect(m_player, &MusicPlayer::durationChanged, m_playerBar, &PlayerControls::setDuration);
    connect(m_player, &MusicPlayer::volumeChanged, m_playerBar, &PlayerControls::setVolume);
    connect(m_player, &MusicPlayer::mutedChanged, m_playerBar, &PlayerControls::setMuted);
    m_playerBar->setVolume(m_player->volume());
    m_playerBar->setMuted(m_player->isMuted());
    // The bar shows each new state before the window's handler hears of it.
    connect(m_player, &MusicPlayer::StatusChange, this, [this] {
        m_playerBar->setPlayState(m_player->playState());
        WindowsMediaPlayer1_StatusChange();
    });
}

HerbNumber Form1::selectedPosition() const
{
    const QModelIndexList chosen = m_list->selectionModel()->selectedIndexes();
    if (chosen.isEmpty())
        return -1;
    // The list holds 133 names, far inside 16 bits.
    return static_cast<HerbNumber>(chosen.first().row());
}

void Form1::List1_Click()
{
    const std::optional<HerbNumber> number = herbNumberForPosition(selectedPosition());
    if (!number)
        return;
    m_herbNumber = *number;
    const HerbNumber n = m_herbNumber;
    const std::filesystem::path folder = m_applicationFolder();
    const std::optional<HerbDisplay> display = composeHerbDisplay(n, folder);
    if (!display)
        return;
    // The photo first, then the facts. A photo that is not read within a blink (a file system
    // that stalls, a costly file) shows when it comes: the facts do not wait for it. A program
    // folder the system cannot tell names no file, never one at the root.
    m_picture->showPhoto(folder.empty() ? std::filesystem::path() : display->photoFile,
                         display->photoPath);
    for (int index = 0; index < kHerbFieldCount; ++index) {
        m_texts[index]->setText(display->texts[index]);
        m_texts[index]->setCursorPosition(0);
    }
}

// One reading of the clock per tick, so the date and the time always come from the same
// instant. Only the band of the second text line, where the banner is printed, is repainted,
// and of that only what no opaque control covers: nothing else can change on screen. A tick
// that prints the same line as the last one would paint the same pixels, so it paints none.
void Form1::Timer1_Timer()
{
    QString line = bannerLine(m_clock(), locale());
    if (line == m_bannerLine)
        return;
    m_bannerLine = std::move(line);
    QRegion uncovered(bannerBand(font(), width()));
    for (const QWidget *control : findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        if (control->isVisible()
            && (control->autoFillBackground() || control->testAttribute(Qt::WA_OpaquePaintEvent)))
            uncovered -= control->geometry();
    update(uncovered);
}

// The window's own surface: cleared to its background, an empty first line, then the banner at
// the start of the second line in the window's font and text colour. Frame1 lies over that band,
// so on screen the banner is covered. Before the first tick there is no line to print, and the
// first frame does not wait for the window's font, which nothing else shows.
void Form1::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), kDarkGreen);
    if (m_bannerLine.isEmpty())
        return;
    painter.setFont(font());
    painter.setPen(kLightGreen);
    printBanner(painter, m_bannerLine);
}

// What the first frame does not show comes once it is on screen: the icon the window's frame and
// task bar show (drawn at seven sizes), and the sound output.
void Form1::firstFrameShown()
{
    setWindowIcon(quilloraIcon());
    m_player->setOutputHeld(false);
}

// Starts the browser on the author's page and returns at once.
void Form1::Command2_Click()
{
    openAuthorPage(m_command2);
}

// Hands the music file beside the program to the player, whose autoStart plays it. The file is
// not checked: a missing or broken one leaves the player silent.
void Form1::Form_Load()
{
    const std::filesystem::path folder = m_applicationFolder();
    if (folder.empty()) // the program's folder is unknown: no music rather than a guess
        return;
    m_player->setURL(photosFile(folder, u8"BGM.mp3"));
}

// Whenever the player comes to rest stopped (the music has ended, or its stop button was
// pressed), the music starts again. Any other state, a pause among them, is left as it is;
// nothing is counted or delayed.
void Form1::WindowsMediaPlayer1_StatusChange()
{
    if (m_player->playState() == MusicPlayer::PlayState::Stopped)
        m_player->play();
}
