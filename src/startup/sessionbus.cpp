#include "sessionbus.h"

#if QUILLORA_HAVE_QTDBUS
#include <QDBusConnection>
#endif

void connectSessionBus()
{
#if QUILLORA_HAVE_QTDBUS
    // Qt keeps the connection, made or not, for everything in the program that asks for it.
    QDBusConnection::sessionBus();
#endif
}
