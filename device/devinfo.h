#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

// One configured device model and the system paths the last device check found for it.
struct DevInfo
{
    int type = -1;  // 0 keyboard, 1 mouse
    quint16 vid = 0;
    quint16 pid = 0;
    quint16 usagePage = 0;  // command interface
    quint16 usage = 0;
    quint16 usagePage2 = 0;  // event interface
    quint16 usage2 = 0;
    int reportLength = 32;  // data bytes in one interrupt report
    QString path;           // command interface; empty when not found
    QString path2;          // event interface; empty when not found
};

using DevInfoList = QList<DevInfo>;
