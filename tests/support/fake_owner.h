#pragma once

#include "hid_owner.h"

#include <QList>
#include <QPair>
#include <QStringList>

// Stands in for the host window in tests of the transport alone: answers the device facts
// and records what the monitor does to the user interface, in order.
class FakeOwner : public HidOwner
{
public:
    QString family = QStringLiteral("553");
    bool gun = false;

    QStringList actions;  // "dpi 3", "balloon Info|text", "enabled 0"
    QList<int> stages;
    QList<QPair<QString, QString>> balloons;
    bool viewEnabled = true;

    QString icType() const override { return family; }
    bool isGun() const override { return gun; }
    void setCurrentDPI(int stage) override
    {
        stages.append(stage);
        actions.append(QStringLiteral("dpi %1").arg(stage));
    }
    void showBalloon(const QString &title, const QString &message) override
    {
        balloons.append({title, message});
        actions.append(QStringLiteral("balloon %1|%2").arg(title, message));
    }
    void setViewEnabled(bool enabled) override
    {
        viewEnabled = enabled;
        actions.append(QStringLiteral("enabled %1").arg(enabled ? 1 : 0));
    }
};
