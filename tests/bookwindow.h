#pragma once

// The window as a reader meets it, over an application folder of the test's own whose name has
// blanks, a '#' and Chinese in it, with the controls the tests drive; and what several tests do
// with it.

#include "form1.h"
#include "herbdisplay.h"
#include "pathtext.h"

#include <QBuffer>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>

inline const QColor kDarkGreen(0, 64, 0); // the window's ground

// The same colour but for what JPEG blurs.
inline bool near(const QColor &a, const QColor &b)
{
    return qAbs(a.red() - b.red()) < 24 && qAbs(a.green() - b.green()) < 24
            && qAbs(a.blue() - b.blue()) < 24;
}

inline QImage solid(const QSize &size, const QColor &colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

inline QByteArray encoded(const QImage &image, const char *format)
{
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return data;
}

struct BookWindow
{
    // With `music` as the book's music file, there before the window opens.
    explicit BookWindow(const QByteArray &music = {})
        : prepared(QDir(folder.path()).mkpath(QStringLiteral("photos"))
                   && (music.isEmpty() || write(QStringLiteral("photos/BGM.mp3"), music)))
    {
        boxes = form.findChildren<QLineEdit *>(QRegularExpression(QStringLiteral("^Text\\d$")));
        std::sort(boxes.begin(), boxes.end(),
                  [](auto *a, auto *b) { return a->objectName() < b->objectName(); });
        form.show();
        form.activateWindow(); // an X display without a window manager does not
    }
    // Shown with the keyboard focus, and all nine fact boxes found.
    bool ready() { return prepared && QTest::qWaitForWindowActive(&form) && boxes.size() == 9; }

    QStringList texts() const
    {
        QStringList texts;
        for (const QLineEdit *box : boxes)
            texts << box->text();
        return texts;
    }
    // What choosing row n shows in the nine boxes.
    QStringList composed(HerbNumber n) const
    {
        const auto display = composeHerbDisplay(n, localPath(folder.path()));
        return display ? QStringList(display->texts.begin(), display->texts.end()) : QStringList();
    }
    bool write(const QString &file, const QByteArray &content) const
    {
        QFile out(folder.filePath(file));
        return out.open(QIODevice::WriteOnly) && out.write(content) == content.size();
    }
    bool writePhoto(const QString &name, const QByteArray &content) const
    {
        return write("photos/" + name + ".jpg", content);
    }
    void click(int row, Qt::KeyboardModifiers modifiers = {}, bool twice = false)
    {
        list->scrollToItem(list->item(row));
        const QPoint at = list->visualItemRect(list->item(row)).center();
        if (twice) // through the window, as a display delivers it: press, release, double click
            QTest::mouseDClick(form.windowHandle(), Qt::LeftButton, modifiers,
                               list->viewport()->mapTo(&form, at));
        else
            QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers, at);
    }

    QTemporaryDir folder {QDir::tempPath() + QStringLiteral("/quillora 照片 #XXXXXX")};
    bool prepared = false; // the folder, before the window opens
    Form1 form {[this] { return localPath(folder.path()); }};
    QListWidget *list = form.findChild<QListWidget *>(QStringLiteral("List1"));
    QWidget *picture = form.findChild<QWidget *>(QStringLiteral("Picture1")); // the photo box
    QList<QLineEdit *> boxes;
};
