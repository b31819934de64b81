#pragma once

#include "command_set.h"
#include "hid_framing.h"

#include <QByteArray>

#include <map>
#include <vector>

// What the device holds, as far as the program knows: for each setting of the device (a
// command, and for the commands that address one of several places the place: a profile, a
// key matrix, a macro slot, a gun slot) the command report and data block that last reached
// it whole, and the profile images read from it. A write of the same bytes again changes
// nothing on the device, so the switches the program makes by itself may leave it out.
//
// Whatever makes that knowledge doubtful forgets all of it: a failed exchange, a device
// connected (again), an answer other than what was written, a change made on the device.
class DeviceMirror
{
public:
    // One set command as it goes on the wire: its row, its command report, its data block.
    struct Write
    {
        const CommandSpec *command = nullptr;
        HidFraming::CommandReport report {};
        QByteArray data;
    };

    static Write write(const CommandSpec &command, const HidFraming::CommandReport &report,
        const uchar *data, int dataLength);

    void forget();
    // The write reached the device whole.
    void record(const Write &write);
    bool holds(const Write &write) const;

    // A profile image read from the device: what writing it back would send. An image other
    // than the one known for that profile means the device changed behind the program's back.
    void learnProfile(uchar profile, const uchar *image);
    // A query's answer; one that disagrees with the value last written forgets everything.
    void checkAnswer(
        const HidFraming::CommandReport &query, const HidFraming::CommandReport &reply);

    // Writes held back: the last one for each setting, in the order the settings were first
    // written.
    void defer(const Write &write);
    std::vector<Write> takeDeferred();

    bool isEmpty() const { return m_held.empty(); }

private:
    using Key = int;
    static Key keyOf(const Write &write);
    static QByteArray bytesOf(const Write &write);

    std::map<Key, QByteArray> m_held;
    std::vector<Write> m_deferred;
};
