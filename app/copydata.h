#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

// Another program may ask the window to show a warning box by sending WM_COPYDATA with
// dwData 9487 and a UTF-8 text whose byte count is cbData.
namespace CopyData {

constexpr quintptr kWarningRequest = 9487;  // 0x250F

// The warning text of a request, or nothing when the request is not one: another dwData, or
// a byte count that does not match the text. Reads at most cbData bytes of data: a text with
// a zero byte inside its count, or one that is not valid UTF-8, does not match.
std::optional<QString> warningText(quintptr dwData, const void *data, quint32 cbData);

}  // namespace CopyData
