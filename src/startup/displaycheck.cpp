#include "displaycheck.h"

#include <cstring>

#ifdef QUILLORA_HAVE_XCB
#include <xcb/xcb.h>
#endif

namespace {

#ifdef QUILLORA_HAVE_XCB
// The connection that asked, held until Qt has its own: an X server with no client left resets
// itself (Xvfb does, and so does a bare X server), which would hold up Qt's connection by ~20 ms.
xcb_connection_t *s_asking = nullptr;
#endif

// True when an X server answers at `display` (the DISPLAY value).
bool xServerAnswers(const QByteArray &display)
{
#ifdef QUILLORA_HAVE_XCB
    releaseDisplayCheck();
    s_asking = xcb_connect(display.constData(), nullptr);
    return xcb_connection_has_error(s_asking) == 0;
#else
    Q_UNUSED(display);
    return true;
#endif
}

QString noDisplay(const QString &why)
{
    return QStringLiteral("无法打开窗口：没有可用的图形显示（%1）。").arg(why);
}

} // namespace

QString chosenPlatform(int argc, char *argv[])
{
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0)
            return QString::fromLocal8Bit(argv[i + 1]);
    return qEnvironmentVariable("QT_QPA_PLATFORM");
}

void releaseDisplayCheck()
{
#ifdef QUILLORA_HAVE_XCB
    if (s_asking)
        xcb_disconnect(s_asking);
    s_asking = nullptr;
#endif
}

QString displayProblem(int argc, char *argv[])
{
    const QString platform = chosenPlatform(argc, argv);
    const QByteArray display = qgetenv("DISPLAY");
    // Another platform than X11 (offscreen, wayland, a list to try in turn) checks for itself.
    if (!platform.isEmpty() && platform.section(u':', 0, 0) != QLatin1String("xcb"))
        return {};
    if (platform.isEmpty() && !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return {};
    if (display.isEmpty())
        return noDisplay(QStringLiteral("DISPLAY 与 WAYLAND_DISPLAY 均未设置"));
    if (!xServerAnswers(display))
        return noDisplay(
                QStringLiteral("DISPLAY=%1 无法连接").arg(QString::fromLocal8Bit(display)));
    return {};
}
