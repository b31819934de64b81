#include "device_mirror.h"

#include "profile_image.h"

#include <algorithm>

using namespace HidFraming;

namespace {

// A query that reads back a value a set command writes: the reply's bytes from replyFirst
// are the set command's report bytes from setFirst. A query that names a place (the 560's
// DPI stage of one profile) carries it in byte 2, where the set command does too.
struct Readback
{
    uchar query;
    uchar set;
    bool addressed;
    int replyFirst;
    int setFirst;
    int count;
};

constexpr Readback kReadbacks[] = {
    {Cmd560::GetKeyboardOption.code, Cmd560::SetKeyboardOption.code, false, 2, 2, 2},
    {Cmd560::GetCurrentProfile.code, Cmd560::SetCurrentProfile.code, false, 2, 2, 1},
    {Cmd560::GetCurrentDpi.code, Cmd560::SetCurrentDpi.code, true, 3, 3, 1},
    {Cmd553::GetKeyboardOption.code, Cmd553::SetKeyboardOption.code, false, 2, 2, 4},
    {Cmd553::GetCurrentDpi.code, Cmd553::SetCurrentDpi.code, false, 2, 2, 1},
};

int key(uchar code, uchar place)
{
    return code << 8 | place;
}

}  // namespace

DeviceMirror::Write DeviceMirror::write(
    const CommandSpec &command, const CommandReport &report, const uchar *data, int dataLength)
{
    Write w;
    w.command = &command;
    w.report = report;
    if (data)
        w.data = QByteArray(
            reinterpret_cast<const char *>(data), qBound(0, dataLength, kDataBufferSize));
    return w;
}

DeviceMirror::Key DeviceMirror::keyOf(const Write &write)
{
    const int place = write.command->placeByte;
    return key(write.command->code, place ? write.report[size_t(place)] : 0);
}

QByteArray DeviceMirror::bytesOf(const Write &write)
{
    return QByteArray(reinterpret_cast<const char *>(write.report.data()), kCommandReportSize)
        + write.data;
}

void DeviceMirror::forget()
{
    m_held.clear();
}

void DeviceMirror::record(const Write &write)
{
    m_held[keyOf(write)] = bytesOf(write);
}

bool DeviceMirror::holds(const Write &write) const
{
    const auto it = m_held.find(keyOf(write));
    return it != m_held.end() && it->second == bytesOf(write);
}

void DeviceMirror::learnProfile(uchar profile, const uchar *image)
{
    const Write read = write(Cmd560::SetProfile,
        commandReport(Cmd560::SetProfile.code, {profile, Cmd560::kBlockLength}), image,
        kProfileImageSize);
    const auto it = m_held.find(keyOf(read));
    if (it != m_held.end() && it->second != bytesOf(read))
        forget();
    record(read);
}

void DeviceMirror::checkAnswer(const CommandReport &query, const CommandReport &reply)
{
    const uchar code = query[kCodeOffset];
    const auto row = std::find_if(std::begin(kReadbacks), std::end(kReadbacks),
        [code](const Readback &r) { return r.query == code; });
    if (row == std::end(kReadbacks))
        return;
    const auto it = m_held.find(key(row->set, row->addressed ? query[kParamOffset] : 0));
    if (it == m_held.end())
        return;
    const QByteArray written = it->second.mid(row->setFirst, row->count);
    const QByteArray answered =
        QByteArray(reinterpret_cast<const char *>(reply.data()) + row->replyFirst, row->count);
    if (written != answered)
        forget();
}

void DeviceMirror::defer(const Write &write)
{
    const Key k = keyOf(write);
    const auto same = std::find_if(
        m_deferred.begin(), m_deferred.end(), [k](const Write &w) { return keyOf(w) == k; });
    if (same != m_deferred.end())
        *same = write;
    else
        m_deferred.push_back(write);
}

std::vector<DeviceMirror::Write> DeviceMirror::takeDeferred()
{
    std::vector<Write> out;
    out.swap(m_deferred);
    return out;
}
