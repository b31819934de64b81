#pragma once

#include <QString>

// What the transport needs from the window that owns it: the bridge's cached device facts,
// and the three things the monitor does to the user interface. The monitor calls the last
// three on the GUI thread only.
class HidOwner
{
public:
    virtual ~HidOwner() = default;

    virtual QString icType() const = 0;  // "560" selects the 560 command family
    virtual bool isGun() const = 0;      // the model has gun buttons

    virtual void setCurrentDPI(int stage) = 0;                                   // to the scene
    virtual void showBalloon(const QString &title, const QString &message) = 0;  // tray
    virtual void setViewEnabled(bool enabled) = 0;
};
