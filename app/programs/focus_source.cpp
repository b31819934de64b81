#include "focus_source.h"

#include "focus_source_x11.h"

QList<FocusSourceEntry> focusSourceTable()
{
    return {
        {"X11", [] { return std::make_unique<X11FocusSource>(); }},
    };
}

std::unique_ptr<FocusSource> createFocusSource()
{
    for (const FocusSourceEntry &entry : focusSourceTable()) {
        std::unique_ptr<FocusSource> source = entry.create();
        if (source && source->isActive())
            return source;
    }
    return nullptr;
}
