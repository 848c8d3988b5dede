#!/usr/bin/env python3
"""The Windows build under Wine on a private Xvfb.

    wine_tests.py CASE --root DIR --work DIR --keyweave EXE --package ZIP --probe EXE
                  --user EXE --target EXE --platform-tests EXE

Cases: platform (the platform layer's tests on the real system), scan_codes (every key of the
table played into the target, which checks its scan code and extended bit), first_start (the
portable package unpacked and started for the first time), window (a screenshot, then the close
box clicked with the mouse), requests (keyweave.exe --toggle, --start and --stop from other
processes, for the program of their own folder only), start_stop (a script played into the target
and stopped with the Start/Stop key, which releases what it held; then taps of that key, each shorter than a turn of
the loop, which must each count), and the journeys of tests/journeys, one case each:
the ways a run ends, each of which must release the keys and both buttons that the script holds,
checked with GetAsyncKeyState from another process, and killed, the control, after which they
stay held. Each of these prints its row of the matrix "way of ending -> released yes/no". record: the user
program types, clicks and drags in the target while keyweave.exe records, and the recording is
replayed into the target, whose log gives both timelines. keyweave.exe is driven as a user would
drive it. Each case runs in its own session (X server, Wine prefix, program folder) and fails,
never skips, when Wine or Xvfb is missing. Figures measured on the way are printed, not
asserted.
"""

import argparse
import re
import shutil
import sys
import time
import zipfile
from pathlib import Path

from journeys import windows_journeys
from wine_session import SCREEN_HEIGHT, SCREEN_WIDTH, SessionError, WineSession, wait_until

TITLE = "Keyweave 1.0"
TARGET_TITLE = "Keyweave Target"

# The shortest recorded gap that a replay keeps as recorded (shorter ones replay one turn
# apart), from the header where the C++ tests and benchmarks have it.
REPLAY_GAPS = Path(__file__).resolve().parents[1] / "support" / "replay_gaps.h"
KEPT_GAP_MS = int(re.search(r"kKeptGapMs = (\d+);", REPLAY_GAPS.read_text())[1])

VK_SHIFT = 16
VK_LBUTTON = 1
VK_RBUTTON = 2
VK_ESCAPE = 27
VK_F1 = 112
VK_F11 = 122
VK_F12 = 123
VK_LSHIFT = 160
VK_RSHIFT = 161
VK_LCONTROL = 162
VK_RCONTROL = 163

# The start/stop script: keys and a click with waits between them, and at its end a long wait
# with Left Shift, C and both buttons held, during which the test stops it.
START_STOP_SCRIPT = """?kweaver
{Tastatur-Übung
KeyStroke(KEY_A, 100)
KeyDown(KEY_B)
Sleep(50)
KeyUp(KEY_B)
MouseStroke(MOUSE_LEFT, 30)
KeyDown(KEY_LSHIFT)
KeyDown(KEY_C)
MouseDown(MOUSE_LEFT)
MouseDown(MOUSE_RIGHT)
Sleep(20000)
KeyUp(KEY_C)
KeyUp(KEY_LSHIFT)
"""

# Every keyboard row of the key table: its script name, the virtual key of its window messages,
# and the scan code and extended bit that a physical keyboard (US layout) sends for it.
LETTER_SCANS = dict(zip("ABCDEFGHIJKLMOPQRSTUVWXYZ",
                        [0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17, 0x24, 0x25, 0x26,
                         0x32, 0x18, 0x19, 0x10, 0x13, 0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15,
                         0x2C]))
TABLE_KEYS = (
    [("KEY_TAB", 9, 0x0F, 0), ("KEY_LALT", 18, 0x38, 0), ("KEY_RALT", 18, 0x38, 1),
     ("KEY_LSHIFT", 16, 0x2A, 0), ("KEY_RSHIFT", 16, 0x36, 0), ("KEY_LCTRL", 17, 0x1D, 0),
     ("KEY_RCTRL", 17, 0x1D, 1), ("KEY_SPACE", 32, 0x39, 0), ("KEY_ENTER", 13, 0x1C, 0),
     ("KEY_RETURN", 13, 0x1C, 0), ("KEY_DOWN", 40, 0x50, 1), ("KEY_UP", 38, 0x48, 1),
     ("KEY_LEFT", 37, 0x4B, 1), ("KEY_RIGHT", 39, 0x4D, 1)]
    + [(f"KEY_{letter}", ord(letter), scan, 0) for letter, scan in LETTER_SCANS.items()]
    + [(f"KEY_{digit}", ord(str(digit)), 0x0B if digit == 0 else digit + 1, 0)
       for digit in range(10)]
    + [(f"KEY_F{n}", 111 + n, (0x3A + n) if n <= 10 else (0x4C + n), 0) for n in range(1, 13)])


def cursor_path(start, end, moves, interval):
    """User steps that move the cursor from `start` to `end` in `moves` moves, `interval` ms
    apart."""
    steps = []
    for move in range(1, moves + 1):
        steps += ["move", start[0] + (end[0] - start[0]) * move // moves,
                  start[1] + (end[1] - start[1]) * move // moves, "wait", interval]
    return steps


# The user's task while a recording is made, in the target window with the cursor at
# (110, 640): letters typed, with the right-hand Shift and Ctrl, and Escape, which the key table
# lacks; the cursor moved along a path, a click, a drag and a right click. No key is held while
# the cursor moves: Wine releases the keys pressed only inside Wine when the pointer moves over one
# of its windows.
RECORDED_TASK = (
    ["wait", 400, "down", 65, "wait", 70, "up", 65, "wait", 60,
     "down", VK_RSHIFT, "wait", 40, "down", 66, "wait", 60, "up", 66, "wait", 40, "up", VK_RSHIFT,
     "wait", 60, "down", VK_RCONTROL, "wait", 40, "down", 67, "wait", 50, "up", 67, "wait", 30,
     "up", VK_RCONTROL, "wait", 60, "down", VK_ESCAPE, "wait", 50, "up", VK_ESCAPE, "wait", 60]
    + cursor_path((110, 640), (60, 620), 12, 4)
    + ["wait", 100, "press", 1, "wait", 60, "release", 1, "wait", 120, "press", 1]
    + cursor_path((60, 620), (150, 690), 15, 5)
    + ["wait", 30, "release", 1, "wait", 100, "move", 120, 650, "wait", 80, "press", 2, "wait", 50,
       "release", 2, "wait", 400])
# Where the task's buttons go down and up, in order.
RECORDED_BUTTON_PIXELS = [(60, 620), (60, 620), (60, 620), (150, 690), (120, 650), (120, 650)]


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


class ProgramTest:
    """keyweave.exe in a folder of its own (with a non-ASCII name), beside the test programs:
    the built program with the test's scripts, or the portable package unpacked."""

    def __init__(self, args, session, unpack=False, folder="Program Ω"):
        self.args = args
        self.session = session
        self.folder = session.dir / folder
        self.keyweave = self.folder / "keyweave.exe"
        if unpack:
            with zipfile.ZipFile(args.package) as package:
                package.extractall(self.folder)
        else:
            (self.folder / "Scripts").mkdir(parents=True)
            shutil.copy2(args.keyweave, self.keyweave)
        self.program = None

    def add_script(self, file_name, text):
        # Scripts are read one byte per character (ISO 8859-1).
        (self.folder / "Scripts" / file_name).write_bytes(text.encode("latin-1"))

    def bind(self, line):
        (self.folder / "settings.ini").write_bytes(line.encode("ascii") + b"\r\n")

    def start(self, *args):
        # Started from another folder: the program makes its own folder the current one.
        self.program = self.session.start(self.keyweave, *args, cwd=self.session.dir)

    def request(self, *args):
        """keyweave.exe of this folder run again with the arguments, as another program that
        asks the running one: (exit status, standard output and error)."""
        status, output = self.session.run(self.keyweave, *args, cwd=self.session.dir,
                                          with_errors=True)
        return status, output.replace("\r\n", "\n")

    def probe(self, *args, timeout=30):
        status, output = self.session.run(self.args.probe, *args, timeout=timeout)
        check(status == 0, f"probe {' '.join(map(str, args))} failed ({status}): {output}")
        return output.rstrip("\n")

    def wait_for_window(self, title=TITLE):
        def shown():
            status, output = self.session.run(self.args.probe, "window", title)
            return output.split() if status == 0 else None
        return wait_until(shown, 30, 0.2, f"the window {title!r}")

    def status_text(self):
        return self.probe("status", TITLE)

    def wait_for_status(self, text, timeout=10):
        return wait_until(lambda: self.status_text() == text, timeout, 0.1,
                          f"the status text {text!r} (now {self.status_text()!r})")

    def press(self, hold_ms, *keys):
        """The user presses keys, holds them and lets go; returns the send times by key."""
        output = self.probe_user(hold_ms, *keys)
        times = {}
        for line in output.splitlines():
            kind, key, when = line.split()
            times[(kind, int(key))] = float(when)
        return times

    def probe_user(self, hold_ms, *keys):
        status, output = self.session.run(self.args.user, hold_ms, *keys, timeout=60)
        check(status == 0, "the user program failed")
        return output

    def user_steps(self, *steps):
        """The user does the steps (see the user program); returns what it sent, in order, as
        (kind, arguments, when)."""
        status, output = self.session.run(self.args.user, "steps", *steps, timeout=120)
        check(status == 0, f"the user program failed: {output}")
        sent = []
        for line in output.splitlines():
            kind, *arguments, when = line.split()
            sent.append((kind, tuple(map(int, arguments)), float(when)))
        return sent

    def held_keys(self):
        return [int(code) for code in self.probe("held").split()]

    def start_target(self, log):
        """The application to play into, in front, with the pointer over it: the script's
        clicks land there. Wine releases the keys it pressed when one of its windows gains the
        X focus or the pointer, and it does so when the X event arrives, a little later (half a
        second was too short on a loaded machine): the test lets a second pass before anything
        is pressed."""
        target = self.session.start(self.args.target, log, 20, 560)
        wait_until(lambda: log.exists() and "ready" in log.read_text(), 30, 0.1,
                   "the target window")
        self.wait_for_window(TARGET_TITLE)
        self.probe("focus", TARGET_TITLE)
        check(self.probe("foreground") == TARGET_TITLE, "the target window is not in front")
        self.probe("cursor", 110, 640)
        time.sleep(1.0)
        return target

    def wait_exit(self, timeout=15):
        try:
            return self.program.wait(timeout=timeout)
        except Exception as error:
            raise Failure(f"keyweave.exe did not end: {error}")

    def expect_exit(self, status=0):
        check(self.wait_exit() == status, f"keyweave.exe did not exit with status {status}")

    def close_and_expect_exit(self, how="close"):
        """Closes the main window: `close` as its close box does, `closebox` with a mouse click
        on the box."""
        self.probe(how, TITLE)
        self.expect_exit()

    def play(self, script, binding, *keys):
        """Started with one script, picked and bound to `binding`, which the user presses as
        `keys` with the target in front; returns the target's log."""
        self.add_script("script.ini", script)
        self.bind(binding)
        self.start()
        self.wait_for_window()
        pick_script(self, 0, script.splitlines()[1].lstrip("{"))
        log = self.session.dir / "target.log"
        self.start_target(log)
        self.press(100, *keys)
        return log


def read_log(log):
    """(time, kind, key or button) of every key message and button the target received."""
    return [event[:3] for event in read_events(log)]


def read_keys(log):
    """(kind, virtual key, scan code, extended bit) of every key message and raw input."""
    keys = []
    for line in log.read_text().splitlines():
        fields = line.split()
        if fields[1].startswith(("key", "raw")):
            keys.append((fields[1], *map(int, fields[2:])))
    return keys


def read_events(log):
    """(time, kind, key or button, details) of every key message and button the target
    received: the scan code and extended bit of a key, the screen pixel of a button."""
    return TargetLog(log).read_events()


class TargetLog:
    """The target's log, read as it grows: each read parses only the complete lines written
    since the last one, so that polling it while a figure is measured does not load the machine
    more as the log gets longer."""

    def __init__(self, path):
        self.path = path
        self.read_to = 0
        self.events = []

    def read_events(self):
        with self.path.open("rb") as file:
            file.seek(self.read_to)
            written = file.read()
        complete = written[:written.rfind(b"\n") + 1]
        self.read_to += len(complete)
        for line in complete.decode().splitlines():
            when, kind, value, *details = line.split()
            if kind != "ready" and not kind.startswith("raw"):
                self.events.append((float(when), kind, int(value), tuple(map(int, details))))
        return self.events


def wait_for_target(test, log, condition, what):
    """Waits until the target's log satisfies `condition`; on failure says what happened."""
    try:
        return wait_until(lambda: condition(read_log(log)), 10, 0.05, what)
    except SessionError as error:
        raise Failure(f"{error}; status {test.status_text()!r}, held {test.held_keys()}, "
                      f"the target received {read_log(log)}")


def pick_script(test, index, name):
    test.probe("pick", TITLE, index)
    test.wait_for_status(f"{name} ready.")


def case_platform(args, session):
    status, output = session.run(args.platform_tests, timeout=240)
    print(output)
    check(status == 0, "the platform tests failed")


def case_start_stop(args, session):
    test = ProgramTest(args, session)
    test.add_script("Übung ключ.ini", START_STOP_SCRIPT)
    test.bind("KEY_F12")
    test.start()
    test.wait_for_window()
    test.wait_for_status("Select a script.")
    combo = test.probe("combo", TITLE).splitlines()
    check(combo == ["current -1", "Tastatur-Übung"], f"the script list reads {combo}")
    pick_script(test, 0, "Tastatur-Übung")

    log = session.dir / "target.log"
    test.start_target(log)

    started = test.press(100, VK_F12)
    released_at = started[("up", VK_F12)]
    expected_run = [("keydown", 65), ("keyup", 65), ("keydown", 66), ("keyup", 66),
                    ("buttondown", 1), ("buttonup", 1), ("keydown", VK_SHIFT), ("keydown", 67),
                    ("buttondown", 1), ("buttondown", 2)]
    releases = {("keyup", VK_SHIFT), ("keyup", 67), ("buttonup", 1), ("buttonup", 2)}

    def played(log_entries):
        entries = [e for e in log_entries if e[2] != VK_F12]
        return entries if len(entries) >= len(expected_run) else None

    entries = wait_for_target(test, log, played, "the script's keys in the target")
    check([(kind, value) for _, kind, value in entries] == expected_run,
          f"the target received {entries}")
    check(test.status_text() == "Tastatur-Übung ready.", "the status changed while running")
    held = test.held_keys()
    check(65 not in held and 66 not in held and
          {VK_LSHIFT, 67, VK_LBUTTON, VK_RBUTTON} <= set(held),
          f"keys held while the script waits: {held}")

    stopped = test.press(100, VK_F12)
    test.wait_for_status("Tastatur-Übung stopped.")

    def released(log_entries):
        entries = [e for e in log_entries if e[2] != VK_F12]
        return entries if len(entries) >= len(expected_run) + len(releases) else None

    entries = wait_for_target(test, log, released, "the releases in the target")
    stop_releases = [(kind, value) for _, kind, value in entries[len(expected_run):]]
    time.sleep(0.2)
    held = test.held_keys()
    print(f"matrix: Start/Stop key -> released {'no' if held else 'yes'} "
          f"(held afterwards: {held})")
    check(sorted(stop_releases) == sorted(releases), f"the stop released {stop_releases}")
    check(not held, f"keys or buttons still held after the stop: {held}")

    # Taps of the Start/Stop key each count once: 200 held 3 ms, shorter than a turn of the
    # loop, then 10 held 80 ms, for the first 50 ms of which Wine may read the key as up.
    for count, hold, gap in ((200, 3, 17), (10, 80, 120)):
        tap_start_stop(test, log, count, hold, gap)

    # Armed and idle, the program sleeps until a key changes. Started again from the X
    # keyboard, the way a physical key reaches Wine, which GetAsyncKeyState may report up to
    # 50 ms late.
    restart_from = len(read_log(log))
    session.xdotool("search", "--name", f"^{TARGET_TITLE}$", "windowfocus")
    time.sleep(1.0)
    session.xdotool("keydown", "F12", "sleep", "0.1", "keyup", "F12")
    wait_for_target(test, log,
                    lambda log_entries: [e for e in log_entries[restart_from:]
                                         if e[1:] == ("keydown", 65)],
                    "the script started again from the X keyboard")

    times = {(kind, value): when for when, kind, value in entries}
    a_down = entries[0][0]
    print(f"figure: key round trip (F12 released by another process until the script's first "
          f"key reached the target): {a_down - released_at:.2f} ms")
    print(f"figure: KeyStroke(KEY_A, 100): A held {entries[1][0] - a_down:.2f} ms in the target")
    print(f"figure: Sleep(50) between B down and B up: {entries[3][0] - entries[2][0]:.2f} ms")
    print(f"figure: MouseStroke(MOUSE_LEFT, 30): {entries[5][0] - entries[4][0]:.2f} ms")
    print(f"figure: stop (second F12 released until Left Shift released): "
          f"{times[('keyup', VK_SHIFT)] - stopped[('up', VK_F12)]:.2f} ms")
    test.close_and_expect_exit()


def tap_start_stop(test, log, count, hold, gap):
    """Taps the Start/Stop key `count` times, an even number, each held `hold` ms, `gap` ms
    apart, with the start/stop script stopped: each start plays the script's first key, A, which
    the script or the next stop releases, and the last stop leaves nothing held."""
    taps_from = len(read_log(log))

    def starts_and_stops():
        tapped = [(kind, value) for _, kind, value in read_log(log)[taps_from:]]
        return tapped.count(("keydown", 65)), tapped.count(("keyup", 65))

    sent = test.user_steps(*(["down", VK_F12, "wait", hold, "up", VK_F12, "wait", gap] * count))
    # A loaded machine may keep the program from its turns for a while: it catches up.
    deadline = time.monotonic() + 3
    while starts_and_stops()[1] < count // 2 and time.monotonic() < deadline:
        time.sleep(0.05)
    time.sleep(0.2)
    starts, stops = starts_and_stops()
    held = test.held_keys()
    holds = [up[2] - down[2] for down, up in zip(sent[::2], sent[1::2])]
    print(f"figure: {count} Start/Stop taps held {sum(holds) / count:.2f} ms on average "
          f"(longest {max(holds):.2f} ms): {starts} starts, {stops} stops")
    check(starts == stops == count // 2 and not held,
          f"{count} taps held {hold} ms made {starts} starts and {stops} stops, held afterwards: "
          f"{held}")


def case_scan_codes(args, session):
    """Every key of the table reaches the target with the scan code and extended bit of a
    physical keyboard, in its window messages and in its raw input."""
    strokes = "".join(f"KeyDown({name})\nKeyUp({name})\n" for name, *_ in TABLE_KEYS)
    # A combination that the script never holds whole, although it strokes both keys.
    test = ProgramTest(args, session)
    log = test.play("?kweaver\n{Every key\n" + strokes + "Stop()\n", "KEY_F11 KEY_F12", VK_F11,
                    VK_F12)
    test.wait_for_status("Every key stopped.")
    # Raw input names the modifiers by their left and right virtual keys: it is compared by
    # scan code and extended bit alone.
    expected = [(kind, key, scan, extended) for _, key, scan, extended in TABLE_KEYS
                for kind in ("down", "up")]
    for source, fields in (("key", slice(0, 4)), ("raw", slice(2, 4))):
        received = [(kind.removeprefix(source), key, scan, extended)
                    for kind, key, scan, extended in read_keys(log) if kind.startswith(source)]
        # What follows the user's release of F11 is the script's.
        received = received[[entry[:2] for entry in received].index(("up", VK_F11)) + 1:]
        for want, got in zip(expected, received):
            check(want[0] == got[0] and want[fields] == got[fields],
                  f"{source} {want[0]} of key {want[1]}: scan {got[2]:#x} extended {got[3]}, "
                  f"not {want[2]:#x} {want[3]}")
        check(len(received) == len(expected),
              f"the target saw {len(received)} {source} key transitions, not {len(expected)}")
    test.close_and_expect_exit()


RECORDING = "Recording 1"


def is_key(event, *codes):
    return event[1].startswith("key") and event[2] in codes


def record_task(test, log, task=RECORDED_TASK):
    """keyweave.exe, bound to F12, records the user's task in the target: returns the task as
    the target received it, without the Start/Stop key and Escape, which the key table lacks,
    and what the user sent."""
    test.probe("click", TITLE, "Record Script")
    test.wait_for_status("Press the Start/Stop keys to start recording.")
    test.probe("focus", TARGET_TITLE)
    check(test.probe("foreground") == TARGET_TITLE, "the target window is not in front")
    test.probe("cursor", 110, 640)
    time.sleep(1.0)
    since = len(read_events(log))
    test.user_steps("down", VK_F12, "wait", 80, "up", VK_F12)
    test.wait_for_status("Recording. Press the Start/Stop keys to stop.")
    sent = test.user_steps(*task)
    test.user_steps("down", VK_F12, "wait", 80, "up", VK_F12)
    wait_until(lambda: test.status_text().startswith(f"{RECORDING} ready."), 10, 0.1,
               "the recording to be ready")
    recorded = [event for event in read_events(log)[since:]
                if not is_key(event, VK_F12, VK_ESCAPE)]
    return recorded, sent


def replay_recording(test, log, count, timeout=20):
    """Plays the recording, which the recorder selected, into the target from the cursor's
    starting point, until the target has received `count` events (within `timeout` seconds);
    returns them."""
    test.probe("focus", TARGET_TITLE)
    test.probe("cursor", 110, 640)
    time.sleep(1.0)
    target_log = TargetLog(log)
    since = len(target_log.read_events())
    test.press(100, VK_F12)

    def replayed():
        events = [event for event in target_log.read_events()[since:]
                  if not is_key(event, VK_F12)]
        return events[:count] if len(events) >= count else None

    try:
        events = wait_until(replayed, timeout, 0.05, "the replay in the target")
    except SessionError as error:
        raise Failure(f"{error}; the target received {read_events(log)[since:]}")
    # The replay starts over after a pass: it is stopped during the second.
    test.press(100, VK_F12)
    test.wait_for_status(f"{RECORDING} stopped.")
    return events


def gap_errors(recorded, replayed):
    """The replay's error, in ms, on each gap of KEPT_GAP_MS or more between two recorded
    events, and how many gaps were shorter (they replay one turn apart)."""
    errors = []
    short = 0
    for before, after, replayed_before, replayed_after in zip(recorded, recorded[1:], replayed,
                                                              replayed[1:]):
        gap = after[0] - before[0]
        if gap < KEPT_GAP_MS:
            short += 1
        else:
            errors.append(replayed_after[0] - replayed_before[0] - gap)
    return errors, short


def describe_errors(errors):
    """mean, p95 (nearest rank) and max of the errors' sizes."""
    sizes = sorted(abs(error) for error in errors)
    if not sizes:
        return "no gaps"
    p95 = sizes[min(len(sizes), max(1, -(-95 * len(sizes) // 100))) - 1]
    return f"mean {sum(sizes) / len(sizes):.2f}, p95 {p95:.2f}, max {sizes[-1]:.2f} ms"


def case_record(args, session):
    """The user types, clicks and drags in the target while keyweave.exe records; the file
    passes keyweave-check --strict, and its replay into the target gives the same key and
    button events in the same order, every button on its pixel, with the gaps kept."""
    test = ProgramTest(args, session)
    test.bind("KEY_F12")
    test.start()
    test.wait_for_window()
    test.wait_for_status("Select a script.")
    log = session.dir / "target.log"
    test.start_target(log)
    recorded, sent = record_task(test, log)
    check(test.status_text() ==
          f"{RECORDING} ready. 1 press of a key outside the key table was left out.",
          f"the status reads {test.status_text()!r}")
    pixels = [event[3] for event in recorded if event[1].startswith("button")]
    check(pixels == RECORDED_BUTTON_PIXELS, f"the user's buttons reached the target at {pixels}")
    check(len(recorded) == sum(1 for kind, arguments, _ in sent
                               if kind != "move" and arguments != (VK_ESCAPE,)),
          f"the target received {recorded} of the user's {sent}")

    script = test.folder / "Scripts" / f"{RECORDING}.ini"
    text = script.read_bytes()
    check(text.startswith(f"?kweaver\r\n{{{RECORDING}\r\n".encode()), f"the file begins {text[:40]}")
    check(text.endswith(b"\r\n") and text.count(b"\n") == text.count(b"\r\n"),
          "the file's lines do not all end with CR LF")
    checker = Path(args.keyweave).with_name("keyweave-check.exe")
    status, output = session.run(checker, "--strict", script.name, cwd=script.parent)
    check(status == 0, f"keyweave-check --strict failed ({status}): {output}")
    statements = text.count(b"\n") - 2
    print(f"the recording: {statements} statements")
    # The dry run replays the file without the machine's noise: its gaps are the watcher's.
    status, output = session.run(checker, "--simulate", 60000, script.name, cwd=script.parent)
    check(status == 0, f"keyweave-check --simulate failed ({status}): {output}")
    simulated = [(float(when), kind) for when, kind, *_ in map(str.split, output.splitlines())
                 if kind in ("keydown", "keyup", "mousedown", "mouseup")][:len(recorded)]
    errors, _ = gap_errors(recorded, simulated)
    print(f"figure: the recording's gaps (its dry run, whole ms) against the target's: "
          f"{describe_errors(errors)}")

    replayed = replay_recording(test, log, len(recorded))
    check([event[1:] for event in replayed] == [event[1:] for event in recorded],
          f"the replay {replayed} is not the recording {recorded}")
    errors, short = gap_errors(recorded, replayed)
    print(f"figure: replay gap errors under Wine, {len(errors)} gaps of {KEPT_GAP_MS} ms or "
          f"more: {describe_errors(errors)} ({short} shorter gaps replayed one turn apart)")
    time.sleep(0.2)
    held = test.held_keys()
    check(not held, f"keys or buttons still held after the replay: {held}")
    test.close_and_expect_exit()


def case_first_start(args, session):
    test = ProgramTest(args, session, unpack=True)
    test.start()
    box = dict(line.split(" ", 1) for line in test.probe("msgbox", TITLE, 30000).splitlines())
    check(box["text"] == "You need to bind the Start/Stop key!", f"the box reads {box}")
    # Windows keeps a box of type MB_TOPMOST above every window; Wine 8 does not.
    print(f"figure: the warning box is always on top: {box['topmost']}")
    check(box["owner"] == TITLE, f"the warning box belongs to {box['owner']!r}")
    check(box["buttons"] == "1", "the warning box has more than its OK button")
    check(box["dismissed"] == "yes", "the warning box did not close")
    test.wait_for_window()
    shipped = sorted((test.folder / "Scripts").glob("*.ini"))
    listed = test.probe("combo", TITLE).splitlines()[1:]
    check(shipped and len(listed) == len(shipped),
          f"the script list {listed} does not show the {len(shipped)} shipped scripts")
    settings = test.folder / "settings.ini"

    test.press(3600, VK_F1, VK_LCONTROL)
    wait_until(lambda: settings.exists() and settings.read_bytes() == b"KEY_F1 KEY_LCTRL\r\n", 10,
               0.1, "settings.ini to hold the new binding")
    texts = test.probe("texts", TITLE).splitlines()
    check("Static\t<F1> <Left Ctrl> " in texts, f"the bind label is missing: {texts}")
    check(test.status_text() == "Select a script.", "the status text after the capture")
    test.close_and_expect_exit()


def virtual_key(name):
    """The virtual key of a key table name, as keybd_event and the target's messages give it."""
    special = {"KEY_LSHIFT": VK_LSHIFT, "KEY_RSHIFT": VK_RSHIFT, "KEY_LCTRL": VK_LCONTROL,
               "KEY_RCTRL": VK_RCONTROL}
    key = name.removeprefix("KEY_")
    return special.get(name) or (ord(key) if len(key) == 1 else 111 + int(key[1:]))


def script_input(name):
    """What GetAsyncKeyState reports held while the script holds a key or button down, and
    the kind and value of the target's message for it: a left or right modifier reaches the
    target as its plain virtual key and is held as both."""
    buttons = {"MOUSE_LEFT": (VK_LBUTTON, 1), "MOUSE_RIGHT": (VK_RBUTTON, 2)}
    if name in buttons:
        held, button = buttons[name]
        return {held}, ("button", button)
    key = virtual_key(name)
    plain = {VK_LSHIFT: VK_SHIFT, VK_RSHIFT: VK_SHIFT, VK_LCONTROL: 17, VK_RCONTROL: 17}
    return {key, plain.get(key, key)}, ("key", plain.get(key, key))


class JourneyRun:
    """A journey of tests/journeys on keyweave.exe, with the target in front to play into."""

    def __init__(self, journey, args, session):
        self.journey = journey
        self.test = ProgramTest(args, session)
        self.log = session.dir / "target.log"
        inputs = [script_input(name) for name in journey.holds]
        self.held = set().union(*(held for held, _ in inputs))
        self.pressed = {(kind + "down", value) for _, (kind, value) in inputs}
        self.releases = {(kind + "up", value) for _, (kind, value) in inputs}
        self.target_started = False

    def run(self):
        self.test.add_script(f"{self.journey.script_name}.ini", self.journey.script_text)
        self.test.bind(self.journey.settings)
        self.test.start()
        self.test.wait_for_window()
        for verb, argument in self.journey.steps:
            step = getattr(self, f"step_{verb}", None)
            check(step is not None, f"no such step: {verb}")
            step(argument)

    def keys(self, names):
        return [virtual_key(name) for name in names.split()]

    def step_start(self, _):
        pick_script(self.test, 0, self.journey.script_name)
        self.test.start_target(self.log)
        self.target_started = True
        self.test.press(100, *self.keys(self.journey.settings))
        wait_for_target(self.test, self.log,
                        lambda entries: self.pressed <= {(kind, value) for _, kind, value in entries},
                        f"the script to hold {' '.join(self.journey.holds)}")

    def step_held(self, _):
        """Everything the script pressed is held, once it has pressed it, and still is a moment
        later: a release seen later is the program's."""
        deadline = time.monotonic() + 5
        while not self.held <= set(self.test.held_keys()) and time.monotonic() < deadline:
            time.sleep(0.05)
        time.sleep(0.2)
        held = self.test.held_keys()
        check(self.held <= set(held), f"the script's keys and buttons are not all held: {held}")

    def step_run(self, command):
        """Another program asks the running one: keyweave.exe of its folder run with the
        arguments, with the target in front to play into."""
        program, *arguments = command.split()
        check(program == "keyweave", f"run names {program}, not keyweave")
        if not self.target_started:
            self.test.start_target(self.log)
            self.target_started = True
        status, output = self.test.request(*arguments)
        check(status == 0, f"keyweave.exe {command} ended with {status}: {output}")

    def step_status(self, text):
        self.test.wait_for_status(text)

    def step_label(self, text):
        wait_until(lambda: f"Static\t{text}" in self.test.probe("texts", TITLE), 10, 0.1,
                   f"the label {text!r}")

    def step_click(self, caption):
        self.test.probe("click", TITLE, caption)

    def step_message(self, text):
        """A message box of the program shows the text; it stays open."""
        box = dict(line.split(" ", 1) for line in
                   self.test.probe("message", TITLE, 10000).splitlines())
        check(box["text"] == text, f"the message box reads {box}")

    def step_ok(self, _):
        """The user presses OK in the message box and goes back to the target: Wine releases
        the keys it pressed itself when the focus moves, so nothing is pressed before that has
        settled (see start_target)."""
        box = dict(line.split(" ", 1) for line in
                   self.test.probe("msgbox", TITLE, 10000).splitlines())
        check(box["dismissed"] == "yes", "the message box did not close")
        self.test.probe("focus", TARGET_TITLE)
        time.sleep(1.0)

    def step_close(self, _):
        self.test.probe("close", TITLE)

    def step_tap(self, names):
        self.test.press(100, *self.keys(names))

    def step_hold(self, arguments):
        ms, names = arguments.split(" ", 1)
        self.test.press(int(ms), *self.keys(names))

    def step_saved(self, text):
        settings = self.test.folder / "settings.ini"
        wait_until(lambda: text.encode("ascii") in settings.read_bytes(), 10, 0.1,
                   f"settings.ini to hold {text}")
        print(f"settings.ini: {settings.read_bytes().decode('ascii').strip()}")

    def step_signal(self, name):
        raise Failure(f"{name}: Windows has no POSIX signals")

    def step_kill(self, _):
        self.test.program.kill()
        self.test.wait_exit()
        wait_until(lambda: self.test.session.run(self.test.args.probe, "window", TITLE)[0] != 0,
                   10, 0.2, "the killed program's window to go")

    def step_exit(self, status):
        self.test.expect_exit(int(status))

    def stuck_and_held(self, pause):
        time.sleep(pause)
        held = self.test.held_keys()
        stuck = self.held & set(held)
        print(f"matrix: {self.journey.way} -> released {'no' if stuck else 'yes'} "
              f"(held afterwards: {held})")
        return stuck, held

    def step_released(self, _):
        """Fails unless the target saw every release and nothing the script pressed is down."""
        stuck, _ = self.stuck_and_held(0.2)
        unseen = sorted(self.releases - {(kind, value) for _, kind, value in read_log(self.log)})
        check(not stuck, f"{self.journey.way}: still held: {sorted(stuck)}")
        check(not unseen, f"{self.journey.way}: the target saw no {unseen}")

    def step_stuck(self, _):
        stuck, held = self.stuck_and_held(0.5)
        check(stuck == self.held, f"{self.journey.way}: keys were released: {held}")


def case_requests(args, session):
    """keyweave.exe --toggle with no program running for its folder starts the program, which
    carries the request out; later requests reach it, and a wrong name changes nothing. The
    program of another folder answers only its own requests. Wrong options and --version
    answer on the caller's output."""
    first = ProgramTest(args, session)
    first.add_script("hold.ini", "?kweaver\n{Hold\nKeyDown(KEY_D)\nSleep(60000)\n")
    first.bind("KEY_F12")
    other = ProgramTest(args, session, folder="Program B")
    other.add_script("beta.ini", "?kweaver\n{Beta\nKeyDown(KEY_B)\nSleep(60000)\n")
    other.bind("KEY_F12")

    def expect(test, answer, *arguments):
        got = test.request(*arguments)
        check(got == answer, f"keyweave.exe {' '.join(arguments)} answered {got}, not {answer}")

    # The program's window takes the focus as it appears, and Wine lets go of the keys that it
    # pressed before: the status tells that the request started the script. (The first Wine
    # process of a session starts Wine's services, which keep its output pipes open: it gets
    # none.)
    first.start("--toggle", "Hold")
    first.wait_for_window()
    first.wait_for_status("Hold ready.")
    expect(first, (0, "Keyweave 1.0\n"), "--version")
    status, output = first.request("--togle")
    check(status == 2 and output == 'keyweave: unknown option "--togle"\nusage: keyweave '
          "[--toggle [NAME] | --start [NAME] | --stop | --help | --version]\n",
          f"a wrong option answered {status}: {output!r}")
    expect(first, (1, "No script is named Nope.\n"), "--toggle", "Nope")
    expect(first, (0, ""), "--toggle", "Hold")
    first.wait_for_status("Hold stopped.")

    other.start()
    expect(first, (1, "No script is named Beta.\n"), "--toggle", "Beta")
    expect(other, (1, "No script is named Hold.\n"), "--start", "Hold")
    # Its window has taken the focus by now, and Wine has let go of what it would.
    time.sleep(1.0)
    expect(other, (0, ""), "--start", "Beta")
    wait_until(lambda: ord("B") in first.held_keys(), 10, 0.05, "Beta to hold B")
    expect(first, (0, ""), "--stop")
    time.sleep(0.2)
    check(ord("B") in first.held_keys(), "the other folder's --stop stopped Beta")
    expect(other, (0, ""), "--stop")
    wait_until(lambda: not first.held_keys(), 10, 0.05, "--stop to release B")


def pixel_matches(pixel, colour, tolerance=0):
    return all(abs(a - b) <= tolerance for a, b in zip(pixel, colour))


def case_window(args, session):
    test = ProgramTest(args, session)
    test.add_script("view.ini", "?kweaver\n{View\nKeyStroke(KEY_A, 100)\nSleep(250)\nPause()\n")
    test.bind("KEY_F12")
    test.start()
    x, y, width, height, status_height, frame = test.wait_for_window()
    x, y, width, height, status_height = map(int, (x, y, width, height, status_height))
    check((x, y) == ((SCREEN_WIDTH - 600) // 2, (SCREEN_HEIGHT - 400) // 2),
          f"the client area is at {x}, {y}")
    check((width, height - status_height) == (600, 400),
          f"the client area is {width} x {height} with a {status_height} px status bar")
    check(frame == "fixed", "the window can be resized")
    pick_script(test, 0, "View")
    time.sleep(0.5)
    shot_path = Path(args.work) / "keyweave-window.png"
    shot = session.screenshot(shot_path)
    print(f"screenshot: {shot_path}")

    background = (51, 68, 85)
    view_left, view_top = x + 200, y + 5
    check(pixel_matches(shot[view_top + 300][view_left + 200], background),
          f"the script view's background is {shot[view_top + 300][view_left + 200]}")
    # The view begins at client x 200 and y 5: a pixel inside its frame against one outside.
    face = shot[y + 200][x + 100]
    check(pixel_matches(shot[view_top + 200][view_left - 1], face),
          "the script view starts left of client x 200")
    check(pixel_matches(shot[view_top - 1][view_left + 100], face),
          "the script view starts above client y 5")
    check(pixel_matches(shot[view_top + 200][view_left + 6], background),
          "the script view's inside does not start near client x 200")

    def count(colour, left, top, right, bottom):
        return sum(1 for row in shot[top:bottom] for pixel in row[left:right]
                   if pixel_matches(pixel, colour))

    view = (view_left, view_top, view_left + 395, view_top + 390)
    check(count((255, 255, 0), *view) > 20, "no yellow command words in the script view")
    check(count((0, 255, 102), *view) > 20, "no green Sleep words in the script view")
    check(count((255, 100, 100), *view) > 10, "no red Pause word in the script view")
    check(count((147, 255, 255), *view) > 20, "no cyan arguments in the script view")
    bar_top = y + 400
    bar_face = shot[bar_top + status_height // 2][x + 590]
    text_pixels = sum(1 for row in shot[bar_top + 2:bar_top + status_height - 2]
                      for pixel in row[x + 2:x + 150] if not pixel_matches(pixel, bar_face, 40))
    check(text_pixels > 30, "no status text is visible in the status bar")
    test.close_and_expect_exit("closebox")


CASES = {
    "platform": case_platform,
    "start_stop": case_start_stop,
    "first_start": case_first_start,
    "scan_codes": case_scan_codes,
    "window": case_window,
    "record": case_record,
    "requests": case_requests,
}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("case")
    for option in ("root", "work", "keyweave", "package", "probe", "user", "target",
                   "platform-tests"):
        parser.add_argument(f"--{option}", required=True)
    args = parser.parse_args()
    journeys = windows_journeys(Path(args.root) / "tests" / "journeys")
    if args.case not in CASES and args.case not in journeys:
        parser.error(f"no case {args.case!r}: choose from {', '.join(sorted([*CASES, *journeys]))}")
    Path(args.work).mkdir(parents=True, exist_ok=True)
    try:
        with WineSession(args.root, args.work, args.case) as session:
            if args.case in CASES:
                CASES[args.case](args, session)
            else:
                JourneyRun(journeys[args.case], args, session).run()
    except (Failure, SessionError) as error:
        print(f"FAILED: {args.case}: {error}")
        return 1
    print(f"passed: {args.case}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
