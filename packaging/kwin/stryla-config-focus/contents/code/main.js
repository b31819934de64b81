// Tells stryla-config which window is active: once when loaded, then each time another window
// takes the focus. stryla-config loads this script over KWin's scripting interface while its
// profiles follow programs, and unloads it when they stop.
//
// The report is one call on the session bus: the window's resource class (the Wayland app id
// or the X11 WM_CLASS class), its desktop file name, its process id and its caption; empty
// texts and pid "0" when no window is active. Plasma 5 and Plasma 6 name the signal and the
// active window differently; both are served.

const service = "example.korvane.StrylaConfig";
const path = "/FocusWatch";
const iface = "example.korvane.StrylaConfig.FocusWatch";

// Plasma 5 gives the resource class as bytes, Plasma 6 as text.
function text(value) {
    if (value === undefined || value === null)
        return "";
    if (value instanceof ArrayBuffer)
        return String.fromCharCode.apply(null, new Uint8Array(value));
    return String(value);
}

function report(window) {
    if (!window) {
        callDBus(service, path, iface, "WindowActivated", "", "", "0", "");
        return;
    }
    callDBus(service, path, iface, "WindowActivated", text(window.resourceClass),
        text(window.desktopFileName), String(window.pid || 0), text(window.caption));
}

if (workspace.windowActivated !== undefined) {
    workspace.windowActivated.connect(report);
    report(workspace.activeWindow);
} else {
    workspace.clientActivated.connect(report);
    report(workspace.activeClient);
}
