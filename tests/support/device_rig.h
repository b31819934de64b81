#pragma once

// A simulated device behind a Hid_Thread whose owner is a FakeOwner. A test object that
// derives from the rig calls renew() before each test and release() after it; a rig made on
// its own is ready at once and cleans up when it goes.

#include "fake_owner.h"
#include "hid_thread.h"
#include "sim_support.h"

#include <memory>

namespace simtest {

inline QString familyName(sim::Family family)
{
    return family == sim::Family::F560 ? QStringLiteral("560") : QStringLiteral("553");
}

// Plugs model and makes it the only device of hid, chosen and free for a command, with the
// wire log emptied.
inline sim::DeviceId plugInto(Hid_Thread &hid, const sim::DeviceSpec &model)
{
    const sim::DeviceId id = sim::plug(model);
    hid.setDevices({devInfoFor(id, model)});
    hid.setCurrentDevice(0);
    hid.setIdle(true);
    sim::clearWireLog();
    return id;
}

class DeviceRig
{
public:
    DeviceRig() { renew(); }
    ~DeviceRig() { release(); }
    DeviceRig(const DeviceRig &) = delete;
    DeviceRig &operator=(const DeviceRig &) = delete;

    // An empty simulator, a fresh owner and a fresh link with nothing plugged.
    void renew()
    {
        release();
        owner = FakeOwner();
        hid = std::make_unique<Hid_Thread>();
        hid->setOwner(&owner);
        device = 0;
    }

    // Closes the link (and its monitor), then empties the simulator.
    void release()
    {
        hid.reset();
        sim::reset();
    }

    // Plugs model, a reference device as it is or changed; the owner answers its family
    // and whether it is a gun model.
    sim::DeviceId attach(const sim::DeviceSpec &model, bool gun = false)
    {
        owner.family = familyName(model.family);
        owner.gun = gun;
        device = plugInto(*hid, model);
        return device;
    }
    sim::DeviceId attach(sim::Family family, bool gun = false)
    {
        return attach(sim::referenceMouse(family), gun);
    }

    sim::DeviceState state() const { return sim::state(device); }

    FakeOwner owner;
    std::unique_ptr<Hid_Thread> hid;
    sim::DeviceId device = 0;
};

}  // namespace simtest
