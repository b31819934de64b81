#pragma once

#include "command_line.h"
#include "profile_list.h"

#include <QObject>

#include <functional>

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

    // The refusal of a request before anything is done for it (an unknown profile, a file
    // not named by an absolute path); a reply with code Done when it may go ahead.
    Reply check(const Request &request) const;

    // Commands that only read the settings: they need no device.
    static bool isReadOnly(const QString &command);

private:
    using Entry = ProfileList::Entry;

    ProfileList profiles() const;
    int profileInUse() const;

    Reply currentProfile(const Request &request) const;
    Reply listProfiles(const Request &request) const;
    Reply exportProfile(const Request &request) const;
    Reply importProfile(const Request &request) const;
    Reply listDevices(const Request &request) const;
    void switchProfile(const Request &request, const Done &done);
    void switchWhenFree(const Entry &entry, const Done &done);
    void switchNow(const Entry &entry, const Done &done);

    SettingsStore &m_store;
    Widget *m_window;
};

}  // namespace CommandLine
