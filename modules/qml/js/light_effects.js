.pragma library

// The lighting page's effects: their names, which sliders each one uses and the values it
// starts from, the page's height, and how the mouse picture plays an effect before it is
// saved.

// Effect indices with a meaning of their own on every device.
var staticEffect = 0;
var breathEffect = 1;
var neonEffect = 2;
var offEffect = 3;
// Index 4 is "Twinkling" on a multi-colour mouse and "Breath Loop" on a 55328 mouse.
var fourthEffect = 4;
var lastPosition = 4;  // slider segments 0 … 4

// The page's height with none, one and both sliders shown.
var pageHeights = [176, 224, 264];
var sliderHeight = 40;  // one slider row

// The effect list: texts 1 … 4, then texts 8 … 14 for a multi-colour mouse, then text 15
// for a 55328 mouse.
function effectNames(texts, colorful, is55328) {
    var names = texts.slice(1, 5);
    if (colorful)
        names = names.concat(texts.slice(8, 15));
    if (is55328)
        names.push(texts[15]);
    return names;
}

// Which sliders the effect uses: { speed, brightness }.
function sliders(effect, is55328) {
    switch (effect) {
    case 0:
    case 7:
        return { speed: false, brightness: true };
    case 1:
    case 2:
        return { speed: true, brightness: false };
    case 4:
        return is55328 ? { speed: true, brightness: false } : { speed: false, brightness: true };
    case 5:
    case 8:
    case 9:
    case 10:
        return { speed: true, brightness: true };
    default:
        return { speed: false, brightness: false };
    }
}

// The slider values the user gets on choosing the effect; a missing field keeps its value.
function preset(effect, is55328) {
    switch (effect) {
    case 0:
    case 7:
        return { brightness: 4 };
    case 1:
    case 2:
        return { speed: 0 };
    case 3:
        return { brightness: 0 };
    case 4:
        return is55328 ? { speed: 0 } : { brightness: 4 };
    case 5:
    case 6:
    case 8:
    case 9:
    case 10:
        return { speed: 0, brightness: 4 };
    default:
        return {};
    }
}

// 264 with both sliders, 224 with one, 176 with none.
function pageHeight(effect, is55328) {
    var shown = sliders(effect, is55328);
    return pageHeights[(shown.speed ? 1 : 0) + (shown.brightness ? 1 : 0)];
}

// --- the preview on the mouse picture ----------------------------------------------------

// How an effect looks on the light strip: one colour steady, breathing, blended from block
// to block, stepped from block to block, blinking, or dark.
function previewKind(effect, is55328) {
    switch (effect) {
    case 0:
    case 7:
        return "steady";
    case 1:
        return "breathe";
    case 2:
    case 5:
    case 6:
    case 9:
        return "blend";
    case 3:
        return "off";
    case 4:
        return is55328 ? "breatheCycle" : "blink";
    case 8:
        return "step";
    case 10:
        return "breatheCycle";
    default:
        return "steady";
    }
}

// Milliseconds one breath, or one block of a cycle, lasts at speed segment 0 … 4.
var breathPeriods = [4000, 3200, 2400, 1600, 900];
var blockPeriods = [1400, 1100, 800, 550, 300];
var fixedSpeed = 2;  // effects without a speed slider

function clampSegment(value) {
    var v = Math.round(Number(value));
    return isFinite(v) ? Math.max(0, Math.min(lastPosition, v)) : 0;
}

// How bright the strip is for a brightness segment: a multi-colour mouse is dark at 0, a
// single-colour one dims to a tenth.
function brightnessLevel(segment, colorful) {
    var s = clampSegment(segment);
    return colorful ? [0, 64, 128, 192, 255][s] / 255 : [1, 3, 5, 7, 10][s] / 10;
}

function mix(a, b, f) {
    return [a[0] + (b[0] - a[0]) * f, a[1] + (b[1] - a[1]) * f, a[2] + (b[2] - a[2]) * f];
}

// The breathing curve: 0 at the start of a breath, 1 halfway, 0 at its end.
function breath(phase) {
    return (1 - Math.cos(2 * Math.PI * phase)) / 2;
}

// The strip at time t (ms) of an effect, as the blocks it shows: { from, to, mix, level }, the
// colour being block `from` blended towards block `to` by mix (0 … 1) and its level 0 … 1.
// count is the number of colour blocks.
function previewBlocksAt(effect, flags, t, count, speed, brightness) {
    var kind = previewKind(effect, flags.is55328);
    var shown = sliders(effect, flags.is55328);
    var level = shown.brightness ? brightnessLevel(brightness, flags.colorful) : 1;
    var segment = shown.speed ? clampSegment(speed) : fixedSpeed;
    var time = Math.max(0, Number(t) || 0);
    function blocks(from, to, mix, lvl) {
        return { from: from, to: to, mix: mix, level: lvl };
    }
    if (kind === "off" || count <= 0)
        return blocks(0, 0, 0, 0);
    if (kind === "steady")
        return blocks(0, 0, 0, level);
    if (kind === "breathe") {
        var period = breathPeriods[segment];
        return blocks(0, 0, 0, level * breath((time % period) / period));
    }
    if (kind === "breatheCycle") {
        var breathPeriod = breathPeriods[segment];
        var n = Math.floor(time / breathPeriod) % count;
        return blocks(n, n, 0, level * breath((time % breathPeriod) / breathPeriod));
    }
    var blockPeriod = blockPeriods[segment];
    var block = Math.floor(time / blockPeriod) % count;
    var within = (time % blockPeriod) / blockPeriod;
    if (kind === "blend")
        return blocks(block, (block + 1) % count, within, level);
    if (kind === "blink")
        return blocks(block, block, 0, within < 0.5 ? level : 0);
    return blocks(block, block, 0, level);  // step
}

// The strip at time t (ms) of an effect: { colour: [R, G, B], level: 0 … 1 }. colours are
// the eight blocks as [R, G, B].
function previewAt(effect, flags, t, colours, speed, brightness) {
    var state = previewBlocksAt(effect, flags, t, colours.length, speed, brightness);
    var first = colours.length > 0 ? colours[0] : [0, 0, 0];
    if (colours.length === 0)
        return { colour: first, level: 0 };
    var colour = state.from === state.to ? colours[state.from]
                                         : mix(colours[state.from], colours[state.to], state.mix);
    return { colour: colour, level: state.level };
}

// Opacities of two layers of the same glow, block `from` below and block `to` above, that
// show their colours blended by mix at level: the upper one covers mix × level, and the
// lower one what is left of level beneath it.
function layerOpacities(level, mix) {
    var upper = level * mix;
    var lower = upper < 1 ? level * (1 - mix) / (1 - upper) : 0;
    return { lower: lower, upper: upper };
}
