#pragma once

#include "command_line.h"

#include <QObject>

#include <functional>

class QDeadlineTimer;
class QtSingleCoreApplication;
class SettingsStore;
class Widget;

namespace CommandLine {

// Does the commands in the process that holds the settings: the running copy, with its
// window, or a process started for one command. A profile switch needs the window, which
// switches through the scene's own flow; the other commands need the store only.
class Executor : public QObject
{
    Q_OBJECT

public:
    using Done = std::function<void(const Reply &)>;

    Executor(SettingsStore &store, Widget *window);

    // Calls done once, at once or, for a switch that waits for the device, later.
    void execute(const Request &request, const Done &done);

    // Answers the requests that reach app through the single-instance channel.
    void serve(QtSingleCoreApplication &app);

private:
    struct Entry
    {
        QString name;
        int number = 0;  // 0-based; the user sees number + 1, as in the file name p<n>.bin
    };

    QList<Entry> entries() const;
    int profileInUse() const;
    const Entry *find(const QList<Entry> &list, const QString &nameOrNumber) const;

    Reply currentProfile(const Request &request) const;
    Reply listProfiles(const Request &request) const;
    Reply exportProfile(const Request &request) const;
    Reply importProfile(const Request &request) const;
    Reply listDevices(const Request &request) const;
    void switchProfile(const Request &request, const Done &done);
    void switchWhenFree(const Entry &entry, const QDeadlineTimer &deadline, const Done &done);

    SettingsStore &m_store;
    Widget *m_window;
};

}  // namespace CommandLine
