#!/usr/bin/env python3
"""The Windows build's benchmark under Wine: the Linux bench's table, as far as Wine allows.

    wine_bench.py --root DIR --work DIR --keyweave EXE --probe EXE --user EXE --target EXE

keyweave.exe, the test programs of tests/wine and xdotool share one Wine session (a private
Xvfb and Wine prefix). Times come from the target window's log (QueryPerformanceCounter), so
they include Wine's own delivery of the keys: the figures are indicative and never judged.
Exits non-zero only when nothing could be measured.
"""

import argparse
import math
import os
import subprocess
import sys
import threading
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "tests" / "wine"))

from wine_session import SessionError, WineSession, wait_until  # noqa: E402
from wine_tests import (KEPT_GAP_MS, RECORDED_TASK, TARGET_TITLE, TITLE, VK_F12,  # noqa: E402
                        Failure, ProgramTest, TargetLog, check, gap_errors, record_task,
                        replay_recording)

VK_A = 65
VK_B = 66
WAIT_PAIRS = {10: 100, 100: 40}
LATENCY_SAMPLES = 40
CPU_SPAN = 10.0
LOADED_SCRIPTS = 1000
VIEW_COMMANDS = 20000
VIEW_LIMIT = 60
LATE_MS = 1.5
# The recorded task's rounds: about 150 gaps, as many as the Linux bench's recording has, so
# that the p95 is not merely the second largest of a few dozen.
RECORDING_ROUNDS = 9


def wait_script(name, ms, pairs):
    """Presses and releases A with a wait of `ms` between every two events, then stops."""
    lines = ["?kweaver", "{" + name]
    for pair in range(pairs):
        lines += ["KeyDown(KEY_A)", f"Sleep({ms})", "KeyUp(KEY_A)"]
        if pair + 1 < pairs:
            lines.append(f"Sleep({ms})")
    return "\r\n".join(lines + ["Stop()", ""])


LATENCY_SCRIPT = "?kweaver\r\n{Latency\r\nKeyDown(KEY_B)\r\nKeyUp(KEY_B)\r\nStop()\r\n"
BUSY_SCRIPT = ("?kweaver\r\n{Busy\r\nKeyStroke(KEY_C, 30)\r\nSleep(20)\r\nMouseLoc(300, 300)\r\n"
               "Sleep(20)\r\nMouseLoc(310, 310)\r\nSleep(20)\r\n")


def small_script(index):
    """A script of the size users write, as the Linux bench loads them."""
    lines = ["?kweaver", f"{{Script {index}"]
    for line in range(5):
        lines += [f"MouseLoc({100 + line}, 200)", "KeyStroke(KEY_A, 30)",
                  f"Sleep({10 * (line + 1)})", "MouseStroke(MOUSE_LEFT, 20)"]
    return "\r\n".join(lines + [""])


def long_script():
    """Key strokes with sleeps between them and some mouse moves, VIEW_COMMANDS in all."""
    shapes = []
    while len(shapes) < VIEW_COMMANDS:
        key = chr(ord("A") + len(shapes) % 13)
        shapes += [f"KeyDown(KEY_{key})", "Sleep(10)", f"KeyUp(KEY_{key})", "MouseLoc(400, 300)"]
    return "\r\n".join(["?kweaver", "{Long"] + shapes[:VIEW_COMMANDS] + [""])


def summarize(values):
    """count, mean, p50, p95, p99, max by nearest rank, or None for no values."""
    if not values:
        return None
    ordered = sorted(values)

    def rank(percent):
        index = min(max(math.ceil(percent / 100 * len(ordered)), 1), len(ordered))
        return ordered[index - 1]

    return (len(ordered), sum(ordered) / len(ordered), rank(50), rank(95), rank(99), ordered[-1])


class Sleeper:
    """A Python thread that sleeps 2 ms again and again and records how late it wakes."""

    def __init__(self):
        self.lateness = []
        self.lock = threading.Lock()
        self.stopped = threading.Event()
        self.thread = threading.Thread(target=self._run, daemon=True)
        self.thread.start()

    def _run(self):
        while not self.stopped.is_set():
            start = time.monotonic()
            time.sleep(0.002)
            late = (time.monotonic() - start) * 1000 - 2
            with self.lock:
                self.lateness.append(late)

    def take(self):
        with self.lock:
            taken, self.lateness = self.lateness, []
        return summarize(taken)

    def stop(self):
        self.stopped.set()
        self.thread.join(timeout=5)


class Row:
    def __init__(self, measure, program, figures, sleeper, note):
        self.measure = measure
        self.program = program
        self.figures = figures
        self.sleeper = sleeper
        self.note = note


def once(value):
    return (1, value) if value is not None else None


def cpu_ticks(pid):
    """utime + stime of a process, in clock ticks."""
    fields = Path(f"/proc/{pid}/stat").read_text().rsplit(")", 1)[1].split()
    return int(fields[11]) + int(fields[12])


def peak_rss_mib(pid):
    for line in Path(f"/proc/{pid}/status").read_text().splitlines():
        if line.startswith("VmHWM:"):
            return int(line.split()[1]) / 1024
    return None


def windows_process(session, name):
    """The Linux PID of the Windows program `name` running in the session's prefix."""
    marker = b"WINEPREFIX=" + str(session.prefix).encode() + b"\0"
    for entry in Path("/proc").iterdir():
        if not entry.name.isdigit():
            continue
        try:
            command = (entry / "cmdline").read_bytes()
            environ = (entry / "environ").read_bytes()
        except OSError:
            continue
        if name.encode() in command.lower() and marker in environ:
            return int(entry.name)
    return None


def mean_late(gaps, expected):
    return f"mean late {sum(gap - expected for gap in gaps) / len(gaps):+.3f}" if gaps else ""


def late_deliveries(errors):
    """Counts the gaps that are LATE_MS or more too long and followed by one about as much too
    short: the key between them reached the target late, but the key after it kept the
    script's time, so the delay was in the delivery, not in the wait."""
    return sum(2 for late, early in zip(errors, errors[1:])
               if late > LATE_MS and early < -LATE_MS and abs(late + early) < late / 2)


def gaps_of(entries, key, kinds):
    times = [when for when, kind, value in entries if value == key and kind in kinds]
    return [later - earlier for earlier, later in zip(times, times[1:])]


class WineBenchmark:
    def __init__(self, args, session, rows):
        self.args = args
        self.session = session
        self.rows = rows
        self.sleeper = Sleeper()
        self.test = ProgramTest(args, session)
        self.log = session.dir / "target.log"
        self.target_log = TargetLog(self.log)
        self.pid = None
        self.start_ms = None

    def run(self):
        try:
            self.test.add_script("wait10.ini", wait_script("Wait10", 10, WAIT_PAIRS[10]))
            self.test.add_script("wait100.ini", wait_script("Wait100", 100, WAIT_PAIRS[100]))
            self.test.add_script("latency.ini", LATENCY_SCRIPT)
            self.test.add_script("busy.ini", BUSY_SCRIPT)
            self.test.bind("KEY_F12")
            self.start_ms = self.start_program(4)
            self.pid = windows_process(self.session, "keyweave.exe")
            check(self.pid is not None, "cannot find the keyweave.exe process in /proc")
            self.test.start_target(self.log)
            self.measure_idle()
            self.measure_idle_typing()
            self.measure_waits()
            self.measure_latency()
            self.measure_request_latency()
            self.measure_busy()
            self.measure_memory()
            self.measure_recording()
            self.test.probe("close", TITLE)
            self.test.wait_exit()
            self.measure_load()
            self.measure_view()
        finally:
            self.sleeper.stop()

    def start_program(self, scripts):
        """Starts keyweave.exe; returns the ms until its combo box lists `scripts` items."""
        started = time.monotonic()
        self.test.start()
        self.test.wait_for_window()

        def listed():
            status, output = self.session.run(self.args.probe, "combo", TITLE, timeout=60)
            return status == 0 and len(output.splitlines()) == scripts + 1
        wait_until(listed, 90, 0.02, f"{scripts} scripts in the combo box")
        return (time.monotonic() - started) * 1000

    def item_of(self, name):
        items = self.test.probe("combo", TITLE).splitlines()[1:]
        check(name in items, f"no script {name!r} in {items}")
        return items.index(name)

    def pick(self, name):
        self.test.probe("pick", TITLE, self.item_of(name))
        self.test.wait_for_status(f"{name} ready.")

    def focus_target(self):
        """The target in front with the pointer over it, and a pause for the releases that
        Wine makes when one of its windows gains the focus."""
        self.test.probe("focus", TARGET_TITLE)
        check(self.test.probe("foreground") == TARGET_TITLE, "the target window is not in front")
        self.test.probe("cursor", 110, 640)
        time.sleep(0.6)

    def tap_start_stop(self):
        """The user taps F12 (held 60 ms, longer than Wine's 50 ms key state cache); returns
        the time of the release."""
        return self.test.press(60, VK_F12)[("up", VK_F12)]

    def logged(self, since):
        """(time, kind, key or button) of what the target received since entry `since`."""
        return [event[:3] for event in self.target_log.read_events()[since:]]

    def logged_count(self):
        return len(self.target_log.read_events())

    def wait_for_keys(self, key, count, since, timeout):
        def enough():
            entries = [e for e in self.logged(since) if e[2] == key]
            return entries if len(entries) >= count else None
        return wait_until(enough, timeout, 0.05, f"{count} events of key {key} in the target")

    def measure_cpu(self, measure):
        watched = [("keyweave", self.pid, "keyweave.exe's process"),
                   ("wineserver", self.session.wineserver.pid, "wineserver, same span"),
                   ("Xvfb", self.session.xvfb.pid, "the X server, same span")]
        before = [cpu_ticks(pid) for _, pid, _ in watched]
        started = time.monotonic()
        self.sleeper.take()
        time.sleep(CPU_SPAN)
        seconds = time.monotonic() - started
        lateness = self.sleeper.take()
        ticks = os.sysconf("SC_CLK_TCK")
        for (program, pid, note), first in zip(watched, before):
            share = 100 * (cpu_ticks(pid) - first) / ticks / seconds
            if program == "keyweave":
                note = f"over {int(seconds)} s, {note}"
            self.rows.append(Row(measure, program, once(share), lateness, note))

    def measure_idle(self):
        time.sleep(1)
        self.measure_cpu("CPU, armed and idle, % of a core")

    def measure_idle_typing(self):
        """Armed and idle while the user types into another program: xdotool's keys, ten a
        second, into the focused target window."""
        self.session.xdotool("search", "--name", f"^{TARGET_TITLE}$", "windowfocus")
        time.sleep(0.6)
        since = self.logged_count()
        typist = subprocess.Popen(
            ["xdotool", "key", "--delay", "100", *["x"] * int(CPU_SPAN * 10 + 20)],
            env=self.session.env(), stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL)
        try:
            time.sleep(1)
            self.measure_cpu("CPU, idle, another window typed in, %")
        finally:
            typist.kill()
            typist.wait(timeout=10)
        typed = sum(1 for e in self.logged(since) if e[1] == "keydown")
        self.rows[-3].note += f", {typed} keys typed into the target"

    def measure_waits(self):
        for ms, pairs in WAIT_PAIRS.items():
            measure = f"wait {ms} ms, |error|"
            self.pick(f"Wait{ms}")
            self.focus_target()
            since = self.logged_count()
            self.sleeper.take()
            self.tap_start_stop()
            entries = self.wait_for_keys(VK_A, 2 * pairs, since, 60)
            lateness = self.sleeper.take()
            gaps = gaps_of(entries, VK_A, ("keydown", "keyup"))
            expected = ms + 2
            errors = [gap - expected for gap in gaps]
            self.rows.append(Row(measure, "keyweave", summarize([abs(e) for e in errors]),
                                 lateness,
                                 f"gap vs {ms} + 2 (the SLEEP command's turn), "
                                 f"{mean_late(gaps, expected)}; gaps off by over {LATE_MS}: "
                                 f"{sum(abs(e) > LATE_MS for e in errors)}, of them around a "
                                 f"key that reached the target late while the next kept time: "
                                 f"{late_deliveries(errors)}"))
            self.test.wait_for_status(f"Wait{ms} stopped.")
            self.measure_xdotool(measure, ms, pairs)

    def measure_xdotool(self, measure, ms, pairs):
        """xdotool's XTest keys into the same focused target window."""
        since = self.logged_count()
        try:
            # XTest keys go to the window with the X focus, which Wine does not always move
            # with the Windows foreground.
            self.session.xdotool("search", "--name", f"^{TARGET_TITLE}$", "windowfocus")
            time.sleep(0.6)
            self.sleeper.take()
            self.session.xdotool("key", "--delay", ms, *["a"] * (2 * pairs))
            entries = self.wait_for_keys(VK_A, 4 * pairs, since, 10)
        except (OSError, subprocess.SubprocessError, SessionError) as error:
            seen = sum(1 for e in self.logged(since) if e[2] == VK_A)
            self.rows.append(Row(measure, "xdotool", None, self.sleeper.take(),
                                 f"xdotool's keys did not all reach the Wine window "
                                 f"({seen} of {4 * pairs} A events): {error}"))
            return
        lateness = self.sleeper.take()
        gaps = gaps_of(entries, VK_A, ("keydown",))
        self.rows.append(Row(measure, "xdotool", summarize([abs(gap - ms) for gap in gaps]),
                             lateness, f"press to press vs {ms}, {mean_late(gaps, ms)}"))

    def xdotool(self, arguments):
        subprocess.run(["xdotool"] + arguments, env=self.session.env(), check=True, timeout=120,
                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)

    def measure_latency(self):
        self.pick("Latency")
        self.focus_target()
        latencies = []
        turns = []
        self.sleeper.take()
        for sample in range(LATENCY_SAMPLES):
            since = self.logged_count()
            released = self.tap_start_stop()
            entries = self.wait_for_keys(VK_B, 2, since, 5)
            check([kind for _, kind, _ in entries[:2]] == ["keydown", "keyup"],
                  f"the target received {entries}")
            latencies.append(entries[0][0] - released)
            turns.append(entries[1][0] - entries[0][0])
            # Releases land anywhere within the loop's 2 ms turn.
            time.sleep(0.020 + 0.0017 * (sample % 7))
        lateness = self.sleeper.take()
        self.rows.append(Row("start latency", "keyweave", summarize(latencies), lateness,
                             "the user program's F12 release to the script's first key"))
        self.rows.append(Row("one main-loop turn", "keyweave", summarize(turns), lateness,
                             "KeyDown to the KeyUp after it, no wait between"))

    def measure_request_latency(self):
        """The user program runs keyweave.exe --toggle Latency beside the running keyweave.exe,
        which plays the script once: from just before the process starts to the script's first
        key in the target, and until the process has ended."""
        program = "Z:" + str(self.test.keyweave).replace("/", "\\")
        latencies = []
        durations = []
        self.sleeper.take()
        for sample in range(LATENCY_SAMPLES):
            since = self.logged_count()
            status, output = self.session.run(self.args.user, "run", program, "--toggle", "Latency",
                                              timeout=60)
            said = dict(line.split(" ", 1) for line in output.splitlines())
            check(status == 0 and said.get("ended", "").startswith("0 "),
                  f"keyweave.exe --toggle Latency failed: {output}")
            started = float(said["run"])
            entries = self.wait_for_keys(VK_B, 2, since, 5)
            latencies.append(entries[0][0] - started)
            durations.append(float(said["ended"].split()[1]) - started)
            time.sleep(0.020 + 0.0017 * (sample % 7))
        lateness = self.sleeper.take()
        self.rows.append(Row("keyweave --toggle latency", "keyweave", summarize(latencies),
                             lateness, "CreateProcess, process start included, to the script's "
                             "first key"))
        self.rows.append(Row("keyweave --toggle process", "keyweave", summarize(durations),
                             lateness, "CreateProcess until the requesting process has ended"))

    def measure_busy(self):
        self.pick("Busy")
        self.focus_target()
        self.tap_start_stop()
        time.sleep(0.5)
        self.measure_cpu("CPU, script running, % of a core")
        # The script's mouse moves over Wine windows make Wine release the user's F12 early
        # now and then; closing the program afterwards ends the script in any case.
        for _ in range(3):
            self.test.press(150, VK_F12)
            if self.test.status_text() == "Busy stopped.":
                break

    def measure_memory(self):
        self.rows.append(Row("peak RSS (VmHWM), MiB", "keyweave", once(peak_rss_mib(self.pid)),
                             self.sleeper.take(), "keyweave.exe's process"))

    def measure_recording(self):
        """The user program does the Wine tests' recorded task RECORDING_ROUNDS times while
        keyweave.exe records it; the recording is replayed into the target, and each gap
        between two of its key and button events is compared with the gap recorded."""
        recorded, _ = record_task(self.test, self.log, RECORDED_TASK * RECORDING_ROUNDS)
        self.sleeper.take()
        replayed = replay_recording(self.test, self.log, len(recorded), 20 * RECORDING_ROUNDS)
        lateness = self.sleeper.take()
        check([event[1:] for event in replayed] == [event[1:] for event in recorded],
              "the replay's key and button events are not the recording's")
        errors, short = gap_errors(recorded, replayed)
        self.rows.append(Row("recording replayed, gap |error|", "keyweave",
                             summarize([abs(error) for error in errors]), lateness,
                             f"replay vs recording, gaps of {KEPT_GAP_MS} ms or more between "
                             f"its key and button events ({short} shorter), "
                             f"{mean_late(errors, 0)}"))

    def replace_scripts(self, scripts):
        for old in (self.test.folder / "Scripts").glob("*.ini"):
            old.unlink()
        for file_name, text in scripts.items():
            self.test.add_script(file_name, text)

    def measure_load(self):
        self.replace_scripts({f"script{i}.ini": small_script(i) for i in range(LOADED_SCRIPTS)})
        self.sleeper.take()
        loaded_ms = self.start_program(LOADED_SCRIPTS)
        self.add_once_and_close("load 1,000 scripts, ms", loaded_ms,
                                f"start-up included: wine start to 1,000 items in the combo box, "
                                f"polled by the probe (4 scripts: {self.start_ms:.0f} ms)")

    def measure_view(self):
        """Picks a 20-command script, then one of VIEW_COMMANDS, each timed from the click on
        the item until the window answered with the new status text, which it can do only once
        the view is built."""
        self.replace_scripts({"long.ini": long_script(), "short.ini": small_script(0)})
        self.start_program(2)
        short_ms = self.timed_pick("Script 0")
        self.sleeper.take()
        long_ms = self.timed_pick("Long")
        self.add_once_and_close("view of 20,000 commands, ms", long_ms,
                                f"from the click on the item until the window answers again "
                                f"(a 20-command script: {short_ms:.0f} ms)")

    def add_once_and_close(self, measure, value, note):
        """A figure measured once, then the program closed as the user closes it."""
        self.rows.append(Row(measure, "keyweave", once(value), self.sleeper.take(), note))
        self.test.probe("close", TITLE)
        self.test.wait_exit()

    def timed_pick(self, name):
        """Picks the script; returns the ms from the click until the window answered."""
        output = self.test.probe("pick", TITLE, self.item_of(name), f"{name} ready.",
                                 timeout=VIEW_LIMIT)
        return float(output.split()[1])


def print_figures(figures):
    if figures is None:
        return f" {'':>5} | {'':>8} | {'':>7} | {'':>7} | {'':>7} | {'':>7} |"
    if figures[0] == 1 and len(figures) == 2:
        return f" {1:5d} | {figures[1]:8.2f} | {'':>7} | {'':>7} | {'':>7} | {'':>7} |"
    count, mean, p50, p95, p99, most = figures
    return f" {count:5d} | {mean:8.3f} | {p50:7.3f} | {p95:7.3f} | {p99:7.3f} | {most:7.3f} |"


def print_table(rows, program, wine_version, display):
    print(f"\nIndicative: {program} under {wine_version} on Xvfb {display}; "
          f"times in ms, from the target\nwindow's log (QueryPerformanceCounter). The last but "
          f"one column is how late a bare 2 ms sleeper\n(a python thread) woke during the same "
          f"measurement.\n")
    print(f"{'measure':<34} | {'program':<10} | {'n':>5} | {'mean':>8} | {'p50':>7} | {'p95':>7} | "
          f"{'p99':>7} | {'max':>7} | {'2 ms sleeper late p50/p95/p99/max':<33} | note")
    print("-" * 150)
    for row in rows:
        line = f"{row.measure:<34} | {row.program:<10} |" + print_figures(row.figures)
        if row.sleeper is not None:
            _, _, p50, p95, p99, most = row.sleeper
            line += f" {p50:5.2f}/{p95:5.2f}/{p99:5.2f}/{most:6.2f}           |"
        else:
            line += f" {'':<33} |"
        print(f"{line} {row.note}")
    sys.stdout.flush()


def wine_version():
    try:
        output = subprocess.run(["wine", "--version"], stdout=subprocess.PIPE,
                                stderr=subprocess.DEVNULL, timeout=30).stdout.decode()
    except (OSError, subprocess.SubprocessError):
        return "Wine"
    version = output.split()[0] if output.split() else ""
    return "Wine " + version.removeprefix("wine-") if version else "Wine"


def main():
    parser = argparse.ArgumentParser()
    for option in ("root", "work", "keyweave", "probe", "user", "target"):
        parser.add_argument(f"--{option}", required=True)
    args = parser.parse_args()
    # Wine programs start in the session's folder and Wine wants an absolute prefix.
    for option in ("root", "work", "keyweave", "probe", "user", "target"):
        setattr(args, option, os.path.abspath(getattr(args, option)))
    Path(args.work).mkdir(parents=True, exist_ok=True)
    rows = []
    problem = None
    display = "?"
    try:
        with WineSession(args.root, args.work, "bench") as session:
            display = session.display
            try:
                WineBenchmark(args, session, rows).run()
            except (Failure, SessionError, OSError) as error:
                problem = str(error)
    except (SessionError, OSError, subprocess.SubprocessError) as error:
        problem = str(error)
    print_table(rows, args.keyweave, wine_version(), display)
    if problem is not None:
        print(f"wine_bench: stopped early: {problem}", file=sys.stderr)
    return 0 if rows else 1


if __name__ == "__main__":
    sys.exit(main())
