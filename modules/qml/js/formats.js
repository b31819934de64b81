.pragma library

// Texts composed with numbers and names, in the order and with the signs of the window's
// language (language section "formats"), and numbers with its decimal sign.

var Format = { ButtonTitle: 0, Stage: 1, Millimetres: 2, Milliseconds: 3, Sentences: 4,
               KeyboardLayout: 5 };

var defaults = ["Key %1: %2", "Stage %1", "%1 mm", "%1 ms", "%1 %2",
                "Letters as on the keyboard layout %1"];

// The text at index with %1, %2 … replaced in one pass (a value holding "%2" stays as it is).
function compose(texts, index, args) {
    var format = texts && index < texts.length && String(texts[index]) !== ""
            ? String(texts[index]) : defaults[index];
    return format.replace(/%([1-9])/g, function (mark, n) {
        var i = Number(n) - 1;
        return args && i < args.length ? String(args[i]) : mark;
    });
}

// A number as the language writes it: its decimal sign for the point.
function number(value, decimalPoint) {
    return String(value).replace(".", decimalPoint ? decimalPoint : ".");
}
