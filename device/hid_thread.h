#pragma once

#include "device_mirror.h"
#include "devinfo.h"
#include "hid_framing.h"

#include <QFuture>
#include <QMutex>
#include <QThread>

#include <atomic>
#include <initializer_list>

struct hid_device_;
typedef struct hid_device_ hid_device;

class HidOwner;
struct CommandSpec;

// The program's only door to the device. Every command is a slot that runs synchronously on
// the calling (GUI) thread: it takes the interlock, sends one 9-byte command report with its
// checksum, carries bulk data in interrupt reports and gives the interlock back. While it waits
// out the pauses the device needs, timers, posted events and painting go on; user input waits. The
// class derives from QThread by tradition; the thread is never started. The only background
// activity is the monitor job, which listens on the event interface from the thread pool.
class Hid_Thread : public QThread
{
    Q_OBJECT
    // Exchanges ended since the program started: each command report with its data or reply
    // is one. A long write shows its progress as the exchanges ended over those planned.
    Q_PROPERTY(int exchangesDone READ exchangesDone NOTIFY exchangesDoneChanged)

public:
    Hid_Thread();
    ~Hid_Thread() override;

    void setOwner(HidOwner *owner);
    HidOwner *owner() const { return m_owner; }

    // The device list (replaced as a whole by device discovery) and the device in use.
    DevInfoList devices() const;
    void setDevices(const DevInfoList &devices);
    int currentDevice() const { return m_currentDevice; }
    // A device accepted (again) may hold anything: what the program knew of it is forgotten.
    void setCurrentDevice(int index);

    // Interlock: true while no command is in progress.
    bool isIdle() const { return m_idle; }
    void setIdle(bool idle) { m_idle = idle; }

    // True from the moment a command has taken the interlock until its slot returns, its
    // closing pause included. Events processed meanwhile (the pauses keep the window painting)
    // must not release the interlock or run exchanges of their own.
    bool isCommandInProgress() const { return m_commandDepth > 0; }

    int exchangesDone() const { return m_exchangesDone; }
    // While planning, a command is counted and nothing else: no interlock, no report, no
    // pause, and a query hands its outputs back unchanged. Switching it on starts the count
    // from 0; plannedExchanges() is the count so far.
    void setPlanning(bool on);
    int plannedExchanges() const { return m_planned; }

    // While on, set commands are held back instead of sent; switching it off sends, of the
    // last write of each setting, those whose bytes the device does not hold already, so each
    // setting is written at most once and only when it changes (while planning, they are
    // counted). A query meanwhile sends what was held back first.
    void setChangesOnly(bool on);
    const DeviceMirror &mirror() const { return m_mirror; }

    // Device monitor (runs on the global thread pool while a device is connected).
    void startMonitor(uint index);
    void stopMonitor();
    void waitForMonitor();
    bool isMonitorRunning() const { return m_monitorRunning.load(); }

signals:
    // The command in progress has ended and the interlock is free again; emitted once per
    // command (a 560 sequence of sends is one), when its slot is about to return.
    void interlockFree();
    void exchangesDoneChanged();

public slots:
    uchar hidCS(uchar *cmd);
    void hid553_83H_GetKeyboardoption(uchar &byte1, uchar &byte2, uchar &byte3, uchar &byte4);
    void hid560_81H_GetKeyboardoption(uchar &byte1, uchar &byte2);
    void hid560_82H_GetCurrentProfile(uchar &byte1);
    void hid560_84H_GetCurrentDPI(uchar &byte1, uchar &byte2);
    void hid553_8BH_GetCurrentDPI(uchar &byte1);
    void hid553_03H_SetKeyboardoption(uchar byte1, uchar byte2, uchar byte3, uchar byte4);
    void hid553_04H_SetGunData(uchar byte1, uchar byte2, uchar byte3, uchar byte4);
    void hid560_01H_SetKeyboardoption(uchar byte1, uchar byte2);
    void hid553_01H_SetReportRate(uchar rate);
    void hid560_03H_SetReportRate(uchar rate);
    void hid560_04H_SetCurrentDPI(uchar stage);
    void hid553_0BH_SetCurrentDPI(uchar stage);
    void hid553_07H_Lod(uchar stage);
    void hid553_12H_SetKeyMatrix(uchar *src64, uchar indexAddOne);
    void hid560_0DH_SetKeyMatrix(uchar *src64, uchar indexAddOne);
    void hid560_0CH_setProfile(uchar *src128, uchar profileData);
    void hid560_8CH_readProfile(uchar *src128, uchar profileNo);
    void hid560_02H_SetCurrentProfile(uchar profile);
    void hid553_13H_SetMacroKey(uchar macroId, uchar *src128);
    void hid560_0FH_SetMacroKey(uchar macroId, uchar *src128);
    void hid553_11H_SetDPISet(uchar dpiStage, uchar *src8);
    void hid553_02H_SetCurrentKeyMatrix(uchar currentKeyMatrix);
    void hid553_0DH_SetRGBLedEffect(uchar effect, uchar option1, uchar option2);
    void hid553_0CH_SetFixLEDColor(uchar *src3);
    void hid553_10H_SetLED8StageColor(uchar type, uchar *src24);

private:
    // Marks a command in progress while it lives (see isCommandInProgress).
    class CommandScope
    {
    public:
        explicit CommandScope(Hid_Thread &hid);
        ~CommandScope();
        CommandScope(const CommandScope &) = delete;
        CommandScope &operator=(const CommandScope &) = delete;

    private:
        Hid_Thread &m_hid;
    };

    // Transport.
    static void pause(int ms);
    static void waitFor(int ms);
    hid_device *openInterface(int index, QString DevInfo::*path);
    hid_device *openCmdInterface(int index);
    void closeCmdInterface();
    bool waitIdle();
    void settleDelay();
    bool sendCommand(int dataLength, bool settle);
    bool queryCommand(int dataLength);
    bool sendCommandReport();
    bool readData(int total);
    bool endExchange(bool result);
    int reportLength() const;

    // True, with the exchanges counted, while planning: the command goes no further.
    bool planned(int exchanges);

    // One command: the common order of every slot.
    void sendSet(const DeviceMirror::Write &write);
    void sendDeferred();
    void runSet(const CommandSpec &command, std::initializer_list<uchar> params,
        const uchar *data = nullptr, int dataLength = 0);
    bool runQuery(const CommandSpec &command, std::initializer_list<uchar> params,
        std::initializer_list<uchar *> outputs);
    void runPerProfile(const CommandSpec &command, uchar value);

    // Monitor.
    hid_device *openEventInterface(int index);
    void monitorLoop(uint index);
    void deviceRemoved(int index);
    void dpiSwitched(int stage);
    void readAndMarkKeyboardOptions();

    HidOwner *m_owner = nullptr;
    mutable QMutex m_devicesLock;  // the monitor reads and empties path2 from its thread
    DevInfoList m_devices;
    int m_currentDevice = 1;
    hid_device *m_cmdHandle = nullptr;
    hid_device *m_eventHandle = nullptr;
    bool m_idle = true;
    int m_commandDepth = 0;
    int m_exchangesDone = 0;
    bool m_planning = false;
    int m_planned = 0;
    bool m_changesOnly = false;
    DeviceMirror m_mirror;
    std::atomic<bool> m_monitorRunning {false};
    QFuture<void> m_monitorFuture;
    HidFraming::CommandReport m_cmdReport {};
    HidFraming::CommandReport m_replyReport {};
    uchar m_dataBuffer[HidFraming::kDataBufferSize] {};
};
