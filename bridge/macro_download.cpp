#include "macro_download.h"

#include "hid_thread.h"
#include "settings_store.h"

#include <QDebug>

#include <array>

namespace MacroDownload {

namespace {

using Record = std::array<uchar, kRecordSize>;

bool is560(const DeviceFacts &facts)
{
    return facts.icType == QLatin1String("560");
}

// The slot as the scene gives it; false for a value that is not a whole number.
bool slotOf(const QVariant &macroIndex, uint *slot)
{
    bool ok = false;
    const qlonglong value = macroIndex.toLongLong(&ok);
    *slot = uint(value);
    return ok;
}

Record recordOf(const QVariantList &macroData)
{
    Record record {};
    const int used = qMin(int(macroData.size()), kRecordSize);
    if (macroData.size() > kRecordSize) {
        qDebug().noquote() << QStringLiteral("mouseSendMacroData: %1 values given, only the "
                                             "first %2 sent")
                                  .arg(macroData.size())
                                  .arg(kRecordSize);
    }
    for (int i = 0; i < used; ++i) {
        bool ok = false;
        const int value = macroData.at(i).toInt(&ok);
        if (!ok) {
            qDebug().noquote() << QStringLiteral(
                "mouseSendMacroData: byte %1 \"%2\" is not a number; sent as 0")
                                      .arg(i)
                                      .arg(macroData.at(i).toString());
        }
        record[size_t(i)] = ok ? uchar(value) : 0;
    }
    return record;
}

}  // namespace

QVariant mouseSendMacroData(Hid_Thread *hid, const DeviceFacts &facts,
    const QVariantList &macroData, const QVariant &macroIndex)
{
    uint slot = 0;
    if (!slotOf(macroIndex, &slot)) {
        qDebug().noquote() << QStringLiteral("mouseSendMacroData: macro slot \"%1\" is not a "
                                             "number; nothing sent")
                                  .arg(macroIndex.toString());
        return true;
    }
    if ((slot & 0xFF) > kMaxSlot)
        return true;
    if (!hid) {
        qDebug().noquote() << QStringLiteral("mouseSendMacroData: no device link");
        return true;
    }
    Record record = recordOf(macroData);
    const uchar macroId = uchar(slot + 1);
    if (is560(facts))
        hid->hid560_0FH_SetMacroKey(macroId, record.data());
    else
        hid->hid553_13H_SetMacroKey(macroId, record.data());
    return true;
}

}  // namespace MacroDownload
