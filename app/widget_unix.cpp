// The host window's restore request where the desktop has no restore command of its own.

#include "widget.h"

// Posted, like the system's restore command, so it arrives through the event loop.
void Widget::postRestoreRequest()
{
    QMetaObject::invokeMethod(this, &Widget::restoreWindow, Qt::QueuedConnection);
}
