#pragma once

#include "applicationfolder.h"
#include "herbcatalogue.h"

#include <QDateTime>
#include <QWidget>

#include <array>
#include <filesystem>
#include <functional>

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

protected:
    void changeEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private slots:
    void List1_Click();
    void Timer1_Timer();
    void Command2_Click();
    void WindowsMediaPlayer1_StatusChange();

private:
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
    bool m_firstFramePainted = false;
};
