// Linked into stryla-config-sim only: before main() runs, attaches the reference device of
// the family that the program's own configuration names, so the whole program can be
// tried without a mouse.
//
// Environment (read by the simulator, never by the product):
//   STRYLA_SIM_DEVICE    "mouse" (default), "keyboard", "both" or "none"
//   STRYLA_SIM_WIRE_LOG  file that receives the formatted wire log when the process exits

#include "sim_device.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <hidapi.h>
#include <string>
#include <unistd.h>

namespace {

constexpr const char *kConfigFile = "/modules/setting/apConfig.bin";

// The eight colours of the lighting page as the device ships them, R G B each.
constexpr std::array<uint8_t, 24> kFactoryColours = {
    0xFF,
    0x00,
    0x00,
    0x00,
    0xFF,
    0x00,
    0x00,
    0x00,
    0xFF,
    0xFF,
    0xFF,
    0x00,
    0x00,
    0xFF,
    0xFF,
    0xFF,
    0x00,
    0xFF,
    0xFF,
    0xFF,
    0xFF,
    0xFF,
    0x80,
    0x00,
};
// Sensor codes of 500, 1000, 1500, 2000, 3000, 4000, 5000 and 6000 DPI (d / 100 - 1).
constexpr std::array<uint8_t, 8> kFactoryDpiCodes = {4, 9, 14, 19, 29, 39, 49, 59};
constexpr uint8_t kFactoryStageCount = 4;
constexpr uint8_t kFactoryStage = 2;
constexpr std::array<uint8_t, 3> kFactoryEffect = {1, 3, 2};  // mode, brightness, speed
constexpr uint8_t kDisabledStage = 0x80;

std::string trimmed(const std::string &text)
{
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    std::string value = text.substr(first, last - first + 1);
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        value = value.substr(1, value.size() - 2);
    return value;
}

std::string executableDir()
{
    char buffer[4096];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0)
        return ".";
    const std::string exe(buffer, size_t(n));
    const auto slash = exe.rfind('/');
    return slash == std::string::npos ? "." : exe.substr(0, slash);
}

// The value of icType in the [mouse] section of the INI text, or "" when there is none.
std::string configuredIcType(const std::string &file)
{
    std::ifstream in(file);
    std::string line;
    bool inMouse = false;
    while (std::getline(in, line)) {
        const std::string text = trimmed(line);
        if (!text.empty() && text.front() == '[') {
            inMouse = text == "[mouse]";
            continue;
        }
        const auto eq = text.find('=');
        if (inMouse && eq != std::string::npos && trimmed(text.substr(0, eq)) == "icType")
            return trimmed(text.substr(eq + 1));
    }
    return {};
}

// Firmware bytes of a profile image that the program carries without writing: a header
// and calibration data, non-zero so that a program that loses them shows in the wire log.
void fillFirmwareBytes(std::array<uint8_t, 128> &image, int profile)
{
    for (size_t i = 0; i < image.size(); ++i)
        image[i] = uint8_t((i * 37 + size_t(profile) * 11) % 255 + 1);
    image[0] = 0x5A;
    image[1] = uint8_t(profile + 1);
}

std::array<uint8_t, 128> factoryProfile(int profile)
{
    std::array<uint8_t, 128> image {};
    fillFirmwareBytes(image, profile);
    if (profile == 0) {
        image[2] = 0x07;  // gun count mask
        std::copy(kFactoryColours.begin(), kFactoryColours.end(), image.begin() + 24);
        return image;
    }
    std::copy(kFactoryEffect.begin(), kFactoryEffect.end(), image.begin() + 71);
    image[82] = image[83] = 0x00;  // no ninth DPI bit
    std::copy(kFactoryDpiCodes.begin(), kFactoryDpiCodes.end(), image.begin() + 84);
    std::copy(kFactoryDpiCodes.begin(), kFactoryDpiCodes.end(), image.begin() + 92);
    image[100] = uint8_t((1u << kFactoryStageCount) - 1);
    if (profile == 1)
        std::copy(kFactoryColours.begin(), kFactoryColours.end(), image.begin() + 104);
    else {
        image[65] = 0x04;
        const std::array<uint8_t, 4> gun = {0xF0, 30, 0, 5};  // marker, shots, x, y
        std::copy(gun.begin(), gun.end(), image.begin() + 78);
    }
    return image;
}

sim::DeviceState factoryState(sim::Family family)
{
    sim::DeviceState s;
    s.currentDpi = kFactoryStage;
    s.dpiStageCount = kFactoryStageCount;
    for (size_t i = 0; i < s.dpiTable.size(); ++i)
        s.dpiTable[i] = i < kFactoryStageCount ? kFactoryDpiCodes[i] : kDisabledStage;
    s.ledEffect = kFactoryEffect;
    s.ledType = 1;
    s.ledColors.assign(kFactoryColours.begin(), kFactoryColours.end());
    s.fixColor = {0xFF, 0x00, 0x00};
    s.liftOff = 100;
    s.liftOffTop = 0x7D;
    if (family == sim::Family::F560) {
        s.currentProfile = 1;
        s.profileCurrentDpi.fill(kFactoryStage);
        s.profileReportRate.fill(1);
        for (int p = 0; p < int(s.profiles.size()); ++p)
            s.profiles[size_t(p)] = factoryProfile(p);
    }
    return s;
}

void attach(const sim::DeviceSpec &model)
{
    sim::setState(sim::plug(model), factoryState(model.family));
}

void writeWireLog()
{
    const char *file = std::getenv("STRYLA_SIM_WIRE_LOG");
    if (!file || !*file)
        return;
    std::ofstream out(file);
    out << sim::formatWireLog(sim::wireLog());
    if (!out)
        std::fprintf(stderr, "simhid: could not write the wire log to %s\n", file);
}

bool attachDemoDevices()
{
    // Also makes the linker take the simulated hidapi functions from the simulator's
    // library, whatever order the product's libraries come in.
    hid_init();
    const std::string icType = configuredIcType(executableDir() + kConfigFile);
    const sim::Family family = icType == "560" ? sim::Family::F560 : sim::Family::F553;

    const char *env = std::getenv("STRYLA_SIM_DEVICE");
    std::string which = env && *env ? env : "mouse";
    if (which != "mouse" && which != "keyboard" && which != "both" && which != "none") {
        std::fprintf(stderr,
            "simhid: STRYLA_SIM_DEVICE=%s is not mouse, keyboard, both or none;"
            " attaching the mouse\n",
            which.c_str());
        which = "mouse";
    }
    if (which == "mouse" || which == "both")
        attach(sim::referenceMouse(family));
    if (which == "keyboard" || which == "both")
        attach(sim::referenceKeyboard(family));
    // The simulator's registry is never destroyed, so the log is still there at exit.
    std::atexit(writeWireLog);
    return true;
}

[[maybe_unused]] const bool g_attached = attachDemoDevices();

}  // namespace
