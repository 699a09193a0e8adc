#include "mediabackend.h"

#include <QByteArray>
#include <QtGlobal>

void chooseMediaBackend()
{
    // Debian's Qt 6.4 ships both the GStreamer and the FFmpeg backends; the music is played
    // through GStreamer. Other platforms keep their own default.
#ifdef Q_OS_LINUX
    if (qEnvironmentVariableIsEmpty("QT_MEDIA_BACKEND"))
        qputenv("QT_MEDIA_BACKEND", "gstreamer");
#endif
}
