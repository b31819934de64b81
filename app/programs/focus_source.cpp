#include "focus_source.h"

#include "desktop_session.h"

#include "focus_source_gnome.h"
#include "focus_source_kwin.h"
#include "focus_source_wlr.h"
#include "focus_source_x11.h"

namespace { }  // namespace

// On a Wayland session the desktop's own way comes first: it sees every window, where the X
// server sees only those of XWayland. Each native source is inactive on other desktops.
QList<FocusSourceEntry> focusSourceTable()
{
    QList<FocusSourceEntry> table;
    if (DesktopSession::isWayland()) {
        table.append({"wlroots", [] { return std::make_unique<WlrFocusSource>(); }});
        table.append({"KWin", [] { return std::make_unique<KWinFocusSource>(); }});
        table.append({"GNOME Shell", [] { return std::make_unique<GnomeFocusSource>(); }});
    }
    table.append({"X11", [] { return std::make_unique<X11FocusSource>(); }});
    return table;
}

std::unique_ptr<FocusSource> createFocusSource(std::unique_ptr<FocusSource> *waiting)
{
    for (const FocusSourceEntry &entry : focusSourceTable()) {
        std::unique_ptr<FocusSource> source = entry.create();
        if (source && source->isActive())
            return source;
        if (waiting && !*waiting && source && !source->setupHint().isEmpty())
            *waiting = std::move(source);
    }
    return nullptr;
}
