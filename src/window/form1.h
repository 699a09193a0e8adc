#pragma once

#include "applicationfolder.h"
#include "herbcatalogue.h"

#include <QDateTime>
#include <QWidget>

#include <array>
#include <filesystem>
#include <functional>
#include <vector>

class MusicPlayer;
class PlayerControls;
class PhotoBox;
class PlantList;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QTimer;

// The book's one window: the plant list, the photo box and the nine fact boxes in the frame, the
// music player's band below, the author button and the 100 ms timer.
class Form1 : public QWidget
{
    Q_OBJECT

public:
    // applicationFolder is asked anew at every choice; photos lie in its "photos" folder.
    explicit Form1(std::function<std::filesystem::path()> applicationFolder = &::applicationFolder,
                   QWidget *parent = nullptr);

    ~Form1() override;

    // The number of the latest choice, 0 before the first.
    HerbNumber herbNumber() const { return m_herbNumber; }

    // The clock the banner reads once per tick; the local time unless replaced.
    void setClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }

public slots:
    // Draws the window at this share of its full size, text and layout together (1: as
    // designed at the desktop's scale); a smaller share keeps it on a small screen.
    void setZoom(qreal zoom);

protected:
    void changeEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private slots:
    void List1_Click();
    void Timer1_Timer();
    void Command2_Click();
    void WindowsMediaPlayer1_StatusChange();
    void firstFrameShown();

private:
    // A control's place in twips and its own font's size in points (0: an inherited font).
    struct Placement
    {
        QWidget *control;
        QRect twips;
        qreal points;
    };

    void place(QWidget *control, const QRect &twips);
    void applyPlacement(const Placement &placement);
    void createControls();
    void applyDesktopColours();
    void connectHandlers();
    void Form_Load();
    HerbNumber selectedPosition() const;

    std::function<std::filesystem::path()> m_applicationFolder;
    HerbNumber m_herbNumber = 0;

    QGroupBox *m_frame = nullptr;
    PlantList *m_list = nullptr;
    PhotoBox *m_picture = nullptr;
    std::array<QLineEdit *, kHerbFieldCount> m_texts {};
    QPushButton *m_command2 = nullptr;
    MusicPlayer *m_player = nullptr; // WindowsMediaPlayer1's player
    PlayerControls *m_playerBar = nullptr; // and its bar
    QTimer *m_timer = nullptr;

    std::function<QDateTime()> m_clock = [] { return QDateTime::currentDateTime(); };
    QString m_bannerLine; // empty until the first tick
    std::vector<Placement> m_placements;
    qreal m_zoom = 1;
};
