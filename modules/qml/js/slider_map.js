.pragma library

// What the scene's sliders stand for. A slider's value is its handle position; these turn
// positions into what the user reads and what the device or the desktop is sent.

// A whole position first … last; anything that is not a number is first.
function clampPosition(position, first, last) {
    var p = Math.round(Number(position));
    if (!isFinite(p))
        return first;
    return Math.max(first, Math.min(last, p));
}

// Lift-off distance: positions 3 … 89.
var lodFirst = 3;
var lodLast = 89;
var lodSpan = 86;

function clampLod(position) {
    return clampPosition(position, lodFirst, lodLast);
}

// 0 … 2 mm, cut to one decimal (0.4, 1).
function lodMillimetres(position) {
    var p = clampLod(position);
    return Math.floor(((p - lodFirst) * 2 / lodSpan) * 10) / 10;
}

// The lift-off value the device takes: 90 … 125.
function lodDeviceValue(position) {
    return Math.floor((clampLod(position) - lodFirst) * 35 / lodSpan) + 90;
}

// DPI stages: positions 3 … 161 across the configured range, in steps of the sensor's base.
var dpiFirst = 3;
var dpiLast = 161;
var dpiSpan = 158;

function clampDpiPosition(position) {
    return clampPosition(position, dpiFirst, dpiLast);
}

// The DPI value a stage slider at position stands for: min at the first position, max (cut
// down to a multiple of base) at the last.
function dpiValue(position, min, max, base) {
    var p = clampDpiPosition(position);
    return Math.floor(((p - dpiFirst) * (max - min) / dpiSpan + min) / base) * base;
}

// Where a stage slider stands for value: its fraction (value − min) / (max − min) of the
// travel, to the nearest position.
function dpiPosition(value, min, max) {
    if (!(max > min))
        return dpiFirst;
    return clampDpiPosition(dpiFirst + dpiSpan * (Number(value) - min) / (max - min));
}

// Pointer speed and double-click speed: positions 3 … 337 in eleven steps 0 … 10.
var systemFirst = 3;
var systemLast = 337;
var systemThresholds = [4, 37, 70, 104, 138, 172, 205, 239, 272, 305, 338];
var systemMaxStep = 10;

function clampSystemPosition(position) {
    return clampPosition(position, systemFirst, systemLast);
}

// The step of a position: the index of the first threshold above it.
function systemStep(position) {
    for (var step = 0; step < systemThresholds.length; ++step) {
        if (position < systemThresholds[step])
            return step;
    }
    return systemMaxStep;
}

// Wheel lines per notch: 1 … 100, or one screen, which the desktop takes as 1000 lines.
var scrollMinLines = 1;
var scrollMaxLines = 100;
var scrollOneScreen = 1000;

function isOneScreen(rate) {
    return Number(rate) > scrollMaxLines;
}

// The lines to apply for a stored rate: above 100 one screen, below 1 one line.
function scrollLines(rate) {
    var r = Math.floor(Number(rate));
    if (!isFinite(r) || r < scrollMinLines)
        return scrollMinLines;
    return r > scrollMaxLines ? scrollOneScreen : r;
}
