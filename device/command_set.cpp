// The command slots of both families. Each slot is one row of the tables in command_set.h
// run through the common order: interlock, command report, one exchange, results out.

#include "command_set.h"
#include "hid_owner.h"
#include "hid_thread.h"
#include "profile_image.h"

#include <QDebug>

#include <algorithm>
#include <cstring>

using namespace HidFraming;

void Hid_Thread::runSet(const CommandSpec &command, std::initializer_list<uchar> params,
    const uchar *data, int dataLength)
{
    const DeviceMirror::Write write =
        DeviceMirror::write(command, commandReport(command.code, params), data, dataLength);
    if (m_changesOnly)
        return m_mirror.defer(write);
    if (planned(1))
        return;
    sendSet(write);
}

void Hid_Thread::sendSet(const DeviceMirror::Write &write)
{
    const CommandSpec &command = *write.command;
    if (!waitIdle()) {
        qDebug().noquote() << command.failureText;
        return;
    }
    const CommandScope scope(*this);
    m_cmdReport = write.report;
    std::memcpy(m_dataBuffer, write.data.constData(), size_t(write.data.size()));
    if (sendCommand(int(write.data.size()), command.settle))
        m_mirror.record(write);
    if (command.pause)
        pause(kCommandPauseMs);
}

void Hid_Thread::setChangesOnly(bool on)
{
    if (m_changesOnly == on)
        return;
    m_changesOnly = on;
    if (!on)
        sendDeferred();
}

// Of the writes held back, those whose bytes the device does not hold go out, chosen before
// the first is sent: the count planned is the count sent, and a failure on the way (which
// forgets what the device holds) makes the next write of everything, not this one, whole.
void Hid_Thread::sendDeferred()
{
    std::vector<DeviceMirror::Write> writes = m_mirror.takeDeferred();
    writes.erase(std::remove_if(writes.begin(), writes.end(),
                     [this](const DeviceMirror::Write &w) { return m_mirror.holds(w); }),
        writes.end());
    if (planned(int(writes.size())))
        return;
    for (const DeviceMirror::Write &write : writes)
        sendSet(write);
}

// Returns whether the reply arrived; the slots do not look at it.
bool Hid_Thread::runQuery(const CommandSpec &command, std::initializer_list<uchar> params,
    std::initializer_list<uchar *> outputs)
{
    sendDeferred();
    if (planned(1))
        return false;
    if (!waitIdle()) {
        qDebug().noquote() << command.failureText;
        return false;
    }
    const CommandScope scope(*this);
    m_cmdReport = commandReport(command.code, params);
    m_replyReport.fill(0);
    int offset = kReplyValueOffset;
    for (uchar *out : outputs)
        m_replyReport[size_t(offset++)] = *out;  // a failed exchange hands these back
    const bool answered = queryCommand(0);
    if (answered)
        m_mirror.checkAnswer(m_cmdReport, m_replyReport);
    offset = kReplyValueOffset;
    for (uchar *out : outputs)
        *out = m_replyReport[size_t(offset++)];
    return answered;
}

// 0x03 and 0x04 of the 560 family go to each profile in turn: profile 1 only on gun models,
// profiles 1 … 4 otherwise. The interlock is held for the whole sequence, so nothing else can
// reach the device between the sends; a failed send does not stop the following ones.
void Hid_Thread::runPerProfile(const CommandSpec &command, uchar value)
{
    const bool gun = m_owner && m_owner->isGun();
    const int last = gun ? Cmd560::kFirstProfile : Cmd560::kLastProfile;
    std::vector<DeviceMirror::Write> writes;
    for (int profile = Cmd560::kFirstProfile; profile <= last; ++profile)
        writes.push_back(DeviceMirror::write(
            command, commandReport(command.code, {uchar(profile), value}), nullptr, 0));
    if (m_changesOnly) {
        for (const DeviceMirror::Write &write : writes)
            m_mirror.defer(write);
        return;
    }
    if (planned(int(writes.size())))
        return;
    if (!waitIdle()) {
        qDebug().noquote() << command.failureText;
        return;
    }
    const CommandScope scope(*this);
    for (const DeviceMirror::Write &write : writes) {
        m_idle = false;
        m_cmdReport = write.report;
        if (sendCommand(0, command.settle))
            m_mirror.record(write);
    }
}

bool Hid_Thread::planned(int exchanges)
{
    if (m_planning)
        m_planned += exchanges;
    return m_planning;
}

void Hid_Thread::setPlanning(bool on)
{
    if (on && !m_planning)
        m_planned = 0;
    m_planning = on;
}

// 553 family ---------------------------------------------------------------------------

void Hid_Thread::hid553_83H_GetKeyboardoption(
    uchar &byte1, uchar &byte2, uchar &byte3, uchar &byte4)
{
    runQuery(Cmd553::GetKeyboardOption, {}, {&byte1, &byte2, &byte3, &byte4});
}

void Hid_Thread::hid553_8BH_GetCurrentDPI(uchar &byte1)
{
    runQuery(Cmd553::GetCurrentDpi, {}, {&byte1});
}

void Hid_Thread::hid553_03H_SetKeyboardoption(uchar byte1, uchar byte2, uchar byte3, uchar byte4)
{
    runSet(Cmd553::SetKeyboardOption, {byte1, byte2, byte3, byte4});
}

void Hid_Thread::hid553_04H_SetGunData(uchar byte1, uchar byte2, uchar byte3, uchar byte4)
{
    runSet(Cmd553::SetGunData, {0x00, byte1, byte2, byte3, byte4});
}

void Hid_Thread::hid553_01H_SetReportRate(uchar rate)
{
    runSet(Cmd553::SetReportRate, {rate});
}

void Hid_Thread::hid553_0BH_SetCurrentDPI(uchar stage)
{
    runSet(Cmd553::SetCurrentDpi, {stage});
}

void Hid_Thread::hid553_07H_Lod(uchar stage)
{
    runSet(Cmd553::Lod, {0x00, stage, Cmd553::kLodTop});
}

void Hid_Thread::hid553_12H_SetKeyMatrix(uchar *src64, uchar indexAddOne)
{
    runSet(Cmd553::SetKeyMatrix, {indexAddOne, Cmd553::kKeyMatrixLength, Cmd553::kKeyMatrixByte4},
        src64, Cmd553::kKeyMatrixLength);
}

void Hid_Thread::hid553_13H_SetMacroKey(uchar macroId, uchar *src128)
{
    runSet(Cmd553::SetMacroKey, {macroId, Cmd553::kRecordLength}, src128, kDataBufferSize);
}

void Hid_Thread::hid553_11H_SetDPISet(uchar dpiStage, uchar *src8)
{
    runSet(Cmd553::SetDpiSet, {dpiStage, Cmd553::kDpiTableLength}, src8, Cmd553::kDpiTableLength);
}

void Hid_Thread::hid553_02H_SetCurrentKeyMatrix(uchar currentKeyMatrix)
{
    runSet(Cmd553::SetCurrentKeyMatrix, {currentKeyMatrix});
}

void Hid_Thread::hid553_0DH_SetRGBLedEffect(uchar effect, uchar option1, uchar option2)
{
    runSet(Cmd553::SetRgbLedEffect, {effect, option1, option2});
}

void Hid_Thread::hid553_0CH_SetFixLEDColor(uchar *src3)
{
    runSet(Cmd553::SetFixLedColor, {src3[0], src3[1], src3[2]});
}

void Hid_Thread::hid553_10H_SetLED8StageColor(uchar type, uchar *src24)
{
    const int n = type == Cmd553::kLedShortType ? Cmd553::kLedShortLength : Cmd553::kLedFullLength;
    runSet(Cmd553::SetLed8StageColor, {type, uchar(n)}, src24, n);
}

// 560 family ---------------------------------------------------------------------------

void Hid_Thread::hid560_81H_GetKeyboardoption(uchar &byte1, uchar &byte2)
{
    runQuery(Cmd560::GetKeyboardOption, {}, {&byte1, &byte2});
}

void Hid_Thread::hid560_82H_GetCurrentProfile(uchar &byte1)
{
    runQuery(Cmd560::GetCurrentProfile, {}, {&byte1});
}

void Hid_Thread::hid560_84H_GetCurrentDPI(uchar &byte1, uchar &byte2)
{
    runQuery(Cmd560::GetCurrentDpi, {byte1}, {&byte1, &byte2});
}

void Hid_Thread::hid560_01H_SetKeyboardoption(uchar byte1, uchar byte2)
{
    runSet(Cmd560::SetKeyboardOption, {byte1, byte2});
}

void Hid_Thread::hid560_03H_SetReportRate(uchar rate)
{
    runPerProfile(Cmd560::SetReportRate, rate);
}

void Hid_Thread::hid560_04H_SetCurrentDPI(uchar stage)
{
    runPerProfile(Cmd560::SetCurrentDpi, stage);
}

void Hid_Thread::hid560_0DH_SetKeyMatrix(uchar *src64, uchar indexAddOne)
{
    uchar block[kDataBufferSize] {};
    std::memcpy(block, src64, Cmd560::kKeyMatrixLength);
    runSet(Cmd560::SetKeyMatrix, {indexAddOne, Cmd560::kBlockLength}, block, kDataBufferSize);
}

void Hid_Thread::hid560_0CH_setProfile(uchar *src128, uchar profileData)
{
    runSet(Cmd560::SetProfile, {profileData, Cmd560::kBlockLength}, src128, kProfileImageSize);
}

void Hid_Thread::hid560_0FH_SetMacroKey(uchar macroId, uchar *src128)
{
    runSet(Cmd560::SetMacroKey, {macroId, Cmd560::kBlockLength}, src128, kDataBufferSize);
}

void Hid_Thread::hid560_02H_SetCurrentProfile(uchar profile)
{
    runSet(Cmd560::SetCurrentProfile, {profile});
}

// The destination image goes into the data buffer first, so a read that fails hands the
// caller its own image back unchanged.
void Hid_Thread::hid560_8CH_readProfile(uchar *src128, uchar profileNo)
{
    sendDeferred();
    if (planned(1))
        return;
    if (!waitIdle()) {
        qDebug().noquote() << Cmd560::ReadProfile.failureText;
        return;
    }
    const CommandScope scope(*this);
    m_cmdReport = commandReport(Cmd560::ReadProfile.code, {profileNo});
    m_replyReport.fill(0);
    std::memcpy(m_dataBuffer, src128, kProfileImageSize);
    if (queryCommand(kProfileImageSize))
        m_mirror.learnProfile(profileNo, m_dataBuffer);
    std::memcpy(src128, m_dataBuffer, kProfileImageSize);
}
