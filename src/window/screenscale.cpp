#include "screenscale.h"

#include <QGuiApplication>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>

#ifdef QUILLORA_HAVE_XCB
#include <xcb/xcb.h>

#include <cstring>
#endif

namespace {

// The window's client area, 898 x 617, and room for a title bar above it.
constexpr QSize kWindowWithFrame(898 + 8, 617 + 40);

// The area of the X display that windows may cover, in physical pixels: the desktop's work area
// when a window manager tells it, else the whole screen. Empty without an X display.
QSize availableOnX11()
{
#ifdef QUILLORA_HAVE_XCB
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (qEnvironmentVariableIsEmpty("DISPLAY") || (!platform.isEmpty() && platform != "xcb"))
        return {};
    int screenNumber = 0;
    xcb_connection_t *connection = xcb_connect(nullptr, &screenNumber);
    QSize available;
    if (!xcb_connection_has_error(connection)) {
        xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection));
        for (int i = 0; i < screenNumber && it.rem; ++i)
            xcb_screen_next(&it);
        if (it.rem) {
            available = QSize(it.data->width_in_pixels, it.data->height_in_pixels);
            const char name[] = "_NET_WORKAREA";
            xcb_intern_atom_reply_t *atom = xcb_intern_atom_reply(
                    connection, xcb_intern_atom(connection, 1, std::strlen(name), name), nullptr);
            if (atom && atom->atom != XCB_ATOM_NONE) {
                xcb_get_property_reply_t *area = xcb_get_property_reply(
                        connection,
                        xcb_get_property(connection, 0, it.data->root, atom->atom,
                                         XCB_ATOM_CARDINAL, 0, 4),
                        nullptr);
                if (area && xcb_get_property_value_length(area) >= 16) {
                    const auto *values
                            = static_cast<const uint32_t *>(xcb_get_property_value(area));
                    if (values[2] > 0 && values[3] > 0)
                        available = QSize(int(values[2]), int(values[3]));
                }
                std::free(area);
            }
            std::free(atom);
        }
    }
    xcb_disconnect(connection);
    return available;
#else
    return {};
#endif
}

void rewrite(const char *variable, const QSize &available)
{
    if (!qEnvironmentVariableIsSet(variable))
        return;
    const QString desktop = qEnvironmentVariable(variable);
    const QString crisp = crispScaleFactors(desktop, available, kWindowWithFrame);
    if (crisp != desktop)
        qputenv(variable, crisp.toUtf8());
}

} // namespace

QString crispScaleFactors(const QString &desktop, const QSize &available, const QSize &windowSize)
{
    // A factor stands at the start or after '=' or ';', and ends the part it stands in.
    static const QRegularExpression factor(
            QStringLiteral("(^|[=;,])\\s*(\\d+(?:\\.\\d*)?|\\.\\d+)\\s*(?=$|[;,])"));
    double fits = 1e9;
    if (!available.isEmpty() && !windowSize.isEmpty())
        fits = std::min(double(available.width()) / windowSize.width(),
                        double(available.height()) / windowSize.height());
    QString result;
    qsizetype done = 0;
    for (const QRegularExpressionMatch &match : factor.globalMatch(desktop)) {
        const double given = match.captured(2).toDouble();
        result += desktop.mid(done, match.capturedStart(2) - done);
        if (given < 1)
            result += match.captured(2);
        else
            result += QString::number(std::max(1.0, std::floor(std::min(given, fits))));
        done = match.capturedEnd(2);
    }
    return result + desktop.mid(done);
}

void chooseCrispScaling()
{
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
            Qt::HighDpiScaleFactorRoundingPolicy::Floor);
    if (!qEnvironmentVariableIsSet("QT_SCREEN_SCALE_FACTORS")
        && !qEnvironmentVariableIsSet("QT_SCALE_FACTOR"))
        return;
    const QSize available = availableOnX11();
    rewrite("QT_SCREEN_SCALE_FACTORS", available);
    rewrite("QT_SCALE_FACTOR", available);
}
