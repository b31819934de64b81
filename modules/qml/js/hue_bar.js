.pragma library

// The hue bar of the lighting page: a bar W pixels wide in six equal parts (red → yellow →
// green → cyan → blue → magenta → red) and a marker whose centre picks the colour. Both
// directions are here: the colour under a marker position, and the position of a colour.

var markerWidth = 18;

// Width of one part in whole pixels, d = floor((W − 2) / 6).
function partWidth(barWidth) {
    return Math.floor((barWidth - 2) / 6);
}

// The marker's centre stays between 1 and W − 1 pixels from the bar's left edge: its left edge
// between 8 pixels left of the bar and 10 pixels before the bar's right end.
function clampCentre(centre, barWidth) {
    return Math.max(markerWidth / 2 - 8, Math.min(barWidth - 10 + markerWidth / 2, centre));
}

// The colour [R, G, B] at x = the marker centre's distance from the bar's left edge minus 1
// (0 … W − 2).
function colourAt(x, barWidth) {
    var d = partWidth(barWidth);
    if (d <= 0 || x < 0)
        return [255, 0, 0];
    var part = Math.floor(x / d);
    var s = Math.floor((x - part * d) * 255 / d);
    switch (part) {
    case 0: return [255, s, 0];
    case 1: return [255 - s, 255, 0];
    case 2: return [0, 255, s];
    case 3: return [0, 255 - s, 255];
    case 4: return [s, 0, 255];
    case 5: return [255, 0, 255 - s];
    default: return x > barWidth - 3 ? [255, 255, 255] : [255, 0, 0];
    }
}

// The colour under a marker whose centre lies centre pixels from the bar's left edge.
function colourAtCentre(centre, barWidth) {
    return colourAt(centre - 1, barWidth);
}

// Where the marker's centre goes for a colour, in pixels from the bar's left edge: on the
// part whose two fixed channels the colour has (the first matching rule wins), white at the
// right end, any other colour at the left end.
function markerCentre(r, g, b, barWidth) {
    var p = (barWidth - 2) / 6;
    var u = p / 256;
    if (r === 255 && b === 0)
        return u * g;
    if (r === 0 && b === 255)
        return 3 * p + u * (255 - g);
    if (g === 255 && b === 0)
        return p + u * (255 - r);
    if (g === 0 && b === 255)
        return 4 * p + u * r;
    if (r === 0 && g === 255)
        return 2 * p + u * b;
    if (r === 255 && g === 0)
        return 5 * p + u * (255 - b);
    if (r === 255 && g === 255 && b === 255)
        return clampCentre(barWidth, barWidth);
    return 0;
}

function hex2(n) {
    var text = Math.max(0, Math.min(255, Math.floor(n))).toString(16);
    return text.length < 2 ? "0" + text : text;
}

// "#rrggbb", two lower-case hexadecimal digits per channel.
function colourText(r, g, b) {
    return "#" + hex2(r) + hex2(g) + hex2(b);
}

// [R, G, B] of a colour text "#rrggbb"; black for anything else.
function channels(text) {
    var t = String(text);
    if (!/^#[0-9a-fA-F]{6}$/.test(t))
        return [0, 0, 0];
    return [parseInt(t.substr(1, 2), 16), parseInt(t.substr(3, 2), 16), parseInt(t.substr(5, 2), 16)];
}

// The hue of a colour in whole degrees, 0 … 359 (0 for greys and white).
function hueDegrees(r, g, b) {
    var max = Math.max(r, g, b);
    var delta = max - Math.min(r, g, b);
    if (delta === 0)
        return 0;
    var sixths = max === r ? (g - b) / delta : max === g ? 2 + (b - r) / delta : 4 + (r - g) / delta;
    return (Math.round(sixths * 60) + 360) % 360;
}

// The marker centre whose colour has the hue deg (taken round the circle).
function centreOfDegrees(deg, barWidth) {
    var turn = ((Math.round(deg) % 360) + 360) % 360;
    return 1 + turn * partWidth(barWidth) / 60;
}
