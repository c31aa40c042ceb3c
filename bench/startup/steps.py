#!/usr/bin/env python3
"""Reads one Wine trace of Veltarion.exe's start (+timestamp,+loaddll,+relay limited to the calls
that steps.sh names) and prints the start-up steps of the program's main thread: when each
begins and how long it takes, in milliseconds from the first DLL the process loaded."""
import re
import sys

LINE = re.compile(r"^\s*(\d+\.\d+):([0-9a-f]+):(Call|Ret)\s+(\w+)\.(\w+)\((.*)")
START = re.compile(r"^\s*(\d+\.\d+):([0-9a-f]+):(trace:loaddll|Starting thread proc)")


def events(path):
    """(ms, kind, function, arguments) of the main thread, kind being Call, Ret, entry."""
    main, origin, out = None, None, []
    with open(path, errors="replace") as log:
        for text in log:
            started = START.match(text)
            if started and main is None:
                main, origin = started.group(2), float(started.group(1))
            if started and started.group(2) == main and started.group(3).startswith("Starting"):
                out.append(((float(started.group(1)) - origin) * 1000, "entry", "", ""))
            call = LINE.match(text)
            if call and call.group(2) == main:
                ms = (float(call.group(1)) - origin) * 1000
                out.append((ms, call.group(3), call.group(5), call.group(6)))
    return out


def steps(evs):
    """Named spans between marker calls, in the order the program makes them."""
    spans = []

    def first(name, kind="Call", after=0.0, args=""):
        for ms, k, fn, a in evs:
            if ms >= after and k == kind and fn == name and args in a:
                return ms
        return None

    def last(name, kind, before):
        found = None
        for ms, k, fn, _ in evs:
            if ms <= before and k == kind and fn == name:
                found = ms
        return found

    def span(label, begin, end):
        if begin is not None and end is not None:
            spans.append((label, begin, end - begin))

    entry = first("", "entry")
    span("loading the system DLLs (to the entry point)", 0.0, entry)
    mutex = first("CreateMutexA")
    span("runtime start-up and module set-up (to the one-copy mutex)", entry, mutex)
    span("one-copy mutex", mutex, first("CreateMutexA", "Ret"))
    init = first("InitCommonControlsEx")
    span("window backend: common controls, classes, application window", init,
         first("CreateWindowExA", "Ret"))
    tray = first("Shell_NotifyIconA")
    span("main window and its controls made (first show needs them)",
         first("CreateWindowExA", after=first("CreateWindowExA", "Ret")), tray)
    span("tray icon", tray, first("Shell_NotifyIconA", "Ret"))
    scm = first("OpenSCManagerA")
    span("driver: service manager handle", scm, first("CloseServiceHandle", "Ret", scm or 0))
    # The device is opened for reading and writing; the driver's requests have codes 0x830000xx.
    device = first("NtCreateFile", after=first("OpenSCManagerA", "Ret") or 0, args="c0100080")
    span("driver: device open", device, first("NtCreateFile", "Ret", device or 0))
    request = first("NtDeviceIoControlFile", after=device or 0, args=",830000")
    after = first("NtDeviceIoControlFile", "Ret", request or 0) or 0
    second = first("NtDeviceIoControlFile", after=after, args=",830000")
    span("driver: first request", request, after)
    span("driver: second request", second, first("NtDeviceIoControlFile", "Ret", second or 0))
    key = first("RegCreateKeyExA", after=tray or 0)
    span("registry key", key, first("RegCreateKeyExA", "Ret", key or 0))
    load = first("NtCreateFile", after=first("RegCreateKeyExA", "Ret", key or 0) or 0)
    span("first showing's load (storage file and current profile)", load,
         first("RegQueryValueExA", "Ret", load or 0))
    loop = first("GetMessageA")
    span("showing the window (to the message loop)", key, loop)
    paint = first("BeginPaint", after=loop or 0)
    # The first paint is the run of paints that follows the loop's start without a pause.
    end = paint
    for ms, k, fn, _ in evs:
        if paint is not None and ms >= paint and k == "Ret" and fn == "EndPaint":
            if ms - end > 50:
                break
            end = ms
    span("first paint", paint, end)
    span("whole start-up (to the first paint's end)", 0.0, end)
    return spans


def main():
    for label, begin, length in steps(events(sys.argv[1])):
        print(f"{begin:8.1f} ms {length:7.1f} ms  {label}")


if __name__ == "__main__":
    main()
