// Loaded into the picture book with LD_PRELOAD, to work it as a reader would and see what it
// shows, for screenshots and for tests of the program as shipped. Once the program's event loop
// runs, it takes these steps, each only when its variable is set, then ends the program:
//   QUILLORA_DRIVE_CHOOSE=薄荷       chooses that name in the plant list
//   QUILLORA_DRIVE_CLICK=Command2     clicks the button of that object name
//   QUILLORA_DRIVE_SHOT=FILE.png      saves the window as PNG, after letting it settle
// A step that cannot be taken says why on standard error and ends the program with status 1.
// Programs without a Qt Widgets application are left alone.

#include <QAbstractButton>
#include <QApplication>
#include <QListWidget>
#include <QTimer>

#include <cstdio>

namespace {

// Long enough for a chosen photo to be read and drawn.
constexpr int kSettleMilliseconds = 800;

void fail(const QString &why)
{
    std::fprintf(stderr, "quillora-drive: %s\n", why.toLocal8Bit().constData());
    QCoreApplication::exit(1);
}

QWidget *shownWindow()
{
    for (QWidget *window : QApplication::topLevelWidgets())
        if (window->isVisible())
            return window;
    return nullptr;
}

void takeSteps()
{
    QWidget *window = shownWindow();
    if (!window)
        return fail(QStringLiteral("no window is shown"));
    if (const QString name = qEnvironmentVariable("QUILLORA_DRIVE_CHOOSE"); !name.isEmpty()) {
        auto *list = window->findChild<QListWidget *>(QStringLiteral("List1"));
        const QList<QListWidgetItem *> items
                = list ? list->findItems(name, Qt::MatchExactly) : QList<QListWidgetItem *>();
        if (items.isEmpty())
            return fail(QStringLiteral("no name %1 in the plant list").arg(name));
        list->setCurrentItem(items.first());
    }
    if (const QString name = qEnvironmentVariable("QUILLORA_DRIVE_CLICK"); !name.isEmpty()) {
        auto *button = window->findChild<QAbstractButton *>(name);
        if (!button)
            return fail(QStringLiteral("no button %1").arg(name));
        button->click();
    }
    QTimer::singleShot(kSettleMilliseconds, window, [window] {
        const QString file = qEnvironmentVariable("QUILLORA_DRIVE_SHOT");
        if (!file.isEmpty() && !window->grab().save(file, "PNG"))
            return fail(QStringLiteral("cannot save %1").arg(file));
        QCoreApplication::exit(0);
    });
}

void driveWhenRunning()
{
    if (qobject_cast<QApplication *>(QCoreApplication::instance()))
        QTimer::singleShot(0, QCoreApplication::instance(), takeSteps);
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(driveWhenRunning)
