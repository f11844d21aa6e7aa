#include "platform/x11_motif_hints.h"

#include <QGuiApplication>
#include <QWidget>
#include <QtGui/qguiapplication_platform.h>
#include <cstdlib>
#include <cstring>
#include <xcb/xcb.h>

namespace x11motif {
namespace {
// From the Motif window-manager hints: flags, functions, decorations,
// input mode, status.
constexpr int fieldCount = 5;
constexpr quint32 funcAll = 1u << 0;
constexpr quint32 funcResize = 1u << 1;
constexpr quint32 decorAll = 1u << 0;
constexpr quint32 decorResizeHandle = 1u << 2;

// Clears `bit` in a field where the "all" bit turns the others into exclusions.
quint32 without(quint32 field, quint32 all, quint32 bit)
{
    return (field & all) ? field | bit : field & ~bit;
}
}  // namespace

void dropResize(QWidget* window)
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !window || !window->testAttribute(Qt::WA_WState_Created))
        return;
    xcb_connection_t* connection = x11->connection();
    const auto id = static_cast<xcb_window_t>(window->winId());
    static constexpr char name[] = "_MOTIF_WM_HINTS";
    xcb_intern_atom_reply_t* atom =
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 1, sizeof name - 1, name), nullptr);
    if (!atom)
        return;
    const xcb_atom_t hintsAtom = atom->atom;
    std::free(atom);
    if (hintsAtom == XCB_ATOM_NONE)
        return;
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, id, hintsAtom, hintsAtom, 0, fieldCount), nullptr);
    if (!reply)
        return;
    quint32 hints[fieldCount] = {};
    const bool present = reply->format == 32 && xcb_get_property_value_length(reply) == int(sizeof hints);
    if (present)
        std::memcpy(hints, xcb_get_property_value(reply), sizeof hints);
    std::free(reply);
    if (!present)
        return;
    hints[1] = without(hints[1], funcAll, funcResize);
    hints[2] = without(hints[2], decorAll, decorResizeHandle);
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, hintsAtom, hintsAtom, 32, fieldCount, hints);
    xcb_flush(connection);
}

}  // namespace x11motif
