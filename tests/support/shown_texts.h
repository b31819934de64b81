#pragma once

// The text items a user sees in a scene: visible, not transparent, holding a text. For the
// language tests: what is shown, and whether it fits its box.

#include <QQuickItem>
#include <QQuickWindow>
#include <QString>

#include <functional>

namespace simtest {

// Calls visit for every shown text item below item (drop-down lists included while open).
inline void forShownTexts(QQuickItem *item, const std::function<void(QQuickItem *)> &visit)
{
    if (!item || !item->isVisible() || item->opacity() <= 0.01)
        return;
    if (item->inherits("QQuickText") && !item->property("text").toString().isEmpty())
        visit(item);
    for (QQuickItem *child : item->childItems())
        forShownTexts(child, visit);
}

// Why a shown text does not fit, empty when it does: a text on one line wider than its box,
// a wrapped one taller than its box, or one the item cut or elided.
inline QString misfit(QQuickItem *text)
{
    const bool wraps = text->property("wrapMode").toInt() != 0;
    const qreal full = text->implicitWidth();
    const qreal tall = text->property("contentHeight").toReal();
    if (text->property("truncated").toBool())
        return QStringLiteral("cut (%1 wide in %2)").arg(full).arg(text->width());
    if (!wraps && full > text->width() + 1)
        return QStringLiteral("%1 wide in %2").arg(full).arg(text->width());
    if (wraps && tall > text->height() + 1)
        return QStringLiteral("%1 tall in %2").arg(tall).arg(text->height());
    return QString();
}

// Where an item is, for a failure message: its own name or its nearest named ancestor's.
inline QString placeOf(QQuickItem *item)
{
    for (QQuickItem *i = item; i; i = i->parentItem()) {
        if (!i->objectName().isEmpty())
            return i->objectName();
    }
    return QStringLiteral("(scene)");
}

}  // namespace simtest
