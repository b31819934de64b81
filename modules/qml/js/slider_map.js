.pragma library

// What the scene's sliders stand for. A slider's value is its handle position; these turn
// positions into what the user reads and what the device or the desktop is sent.

// Lift-off distance: positions 3 … 89.
var lodFirst = 3;
var lodLast = 89;
var lodSpan = 86;

function clampLod(position) {
    var p = Math.round(Number(position));
    if (!isFinite(p))
        return lodFirst;
    return Math.max(lodFirst, Math.min(lodLast, p));
}

// 0mm … 2mm, with one decimal where the number is not whole ("0.4mm", "1mm").
function lodText(position) {
    var p = clampLod(position);
    return String(Math.floor(((p - lodFirst) * 2 / lodSpan) * 10) / 10) + "mm";
}

// The lift-off value the device takes: 90 … 125.
function lodDeviceValue(position) {
    return Math.floor((clampLod(position) - lodFirst) * 35 / lodSpan) + 90;
}
