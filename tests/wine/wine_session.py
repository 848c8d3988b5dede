"""A private X server and Wine prefix for one test, and every process started in them.

Each session starts its own Xvfb on a free display number and its own wineserver on a private
copy of the project's Wine prefix (tools/wine-prefix makes the original once). Every process is
tracked by its PID and ended by it when the session closes; every wait is bounded.
"""

import os
import shutil
import signal
import subprocess
import time
from pathlib import Path

SCREEN_WIDTH = 1024
SCREEN_HEIGHT = 768


class SessionError(Exception):
    pass


def wait_until(condition, timeout, interval=0.05, what="the condition"):
    """Polls `condition` until it returns a true value, which is returned; fails after `timeout`."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise SessionError(f"timed out after {timeout} s waiting for {what}")
        time.sleep(interval)


def require_tools():
    missing = [tool for tool in ("Xvfb", "xdpyinfo", "wine", "wineserver", "import", "convert",
                                 "xdotool")
               if shutil.which(tool) is None]
    if missing:
        raise SessionError("missing tools (run `make deps`): " + ", ".join(missing))


def process_environment(entry):
    """The environment of the process at /proc `entry`. Wine's explorer.exe can end its first
    thread before its others: the process then lives on, a zombie whose own environ is empty,
    and only its remaining threads show the environment."""
    try:
        tasks = sorted((entry / "task").iterdir())
    except OSError:
        return b""
    for path in [entry / "environ"] + [task / "environ" for task in tasks]:
        try:
            environ = path.read_bytes()
        except OSError:
            continue
        if environ:
            return environ
    return b""


class WineSession:
    def __init__(self, root, work, name):
        require_tools()
        self.root = Path(root)
        self.dir = Path(work) / f"{name}-{os.getpid()}"
        self.processes = []
        self.xvfb = None
        self.wineserver = None
        self.display = None

    def __enter__(self):
        try:
            if self.dir.exists():
                shutil.rmtree(self.dir)
            self.dir.mkdir(parents=True)
            self.prefix = self.dir / "prefix"
            self._copy_prefix()
            self._start_xvfb()
            self._start_wineserver()
        except BaseException:
            self.close()
            raise
        return self

    def __exit__(self, *exc):
        self.close()
        return False

    # Set-up.

    def _copy_prefix(self):
        template = self.root / "build" / "wineprefix"
        if not (template / ".keyweave-ready").exists():
            subprocess.run([str(self.root / "tools" / "wine-prefix")], check=True, timeout=600,
                           stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL)
        # Hard links make the copy instant; the registry files, which the server rewrites, are
        # real copies.
        subprocess.run(["cp", "-al", str(template), str(self.prefix)], check=True, timeout=60)
        for registry in self.prefix.glob("*.reg"):
            registry.unlink()
            shutil.copy2(template / registry.name, registry)

    def env(self):
        env = dict(os.environ)
        env.update({
            "WINEPREFIX": str(self.prefix),
            "WINEDEBUG": "-all",
            "WINEDLLOVERRIDES": "mscoree,mshtml=;winemenubuilder.exe=d",
            "DISPLAY": self.display,
        })
        env.pop("WAYLAND_DISPLAY", None)
        return env

    def _free_display(self, start):
        for number in range(start, 400):
            if not Path(f"/tmp/.X{number}-lock").exists() and \
                    not Path(f"/tmp/.X11-unix/X{number}").exists():
                return number
        raise SessionError("no free X display number")

    def _start_xvfb(self):
        number = 60 + os.getpid() % 200
        for _ in range(10):
            number = self._free_display(number)
            display = f":{number}"
            xvfb = subprocess.Popen(
                ["Xvfb", display, "-screen", "0", f"{SCREEN_WIDTH}x{SCREEN_HEIGHT}x24",
                 "-noreset", "-nolisten", "tcp"],
                stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

            def answers():
                if xvfb.poll() is not None:
                    return "gone"
                probe = subprocess.run(["xdpyinfo", "-display", display],
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                       timeout=10)
                return "up" if probe.returncode == 0 else None

            state = wait_until(answers, 15, 0.1, "Xvfb to answer")
            if state == "up":
                self.xvfb = xvfb
                self.display = display
                return
            number += 1
        raise SessionError("Xvfb did not start")

    def _start_wineserver(self):
        # In the foreground (-f), so that its PID is this process's; persistent (-p) until the
        # session ends it. Its output goes nowhere, so that it holds no pipe of ours.
        self.wineserver = subprocess.Popen(
            ["wineserver", "-f", "-p"], env=self.env(), stdin=subprocess.DEVNULL,
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        time.sleep(0.2)
        if self.wineserver.poll() is not None:
            raise SessionError("wineserver did not start")

    # Programs.

    def start(self, program, *args, cwd=None, stdout=subprocess.DEVNULL,
              stderr=subprocess.DEVNULL):
        """Starts a Windows program under Wine and tracks it."""
        process = subprocess.Popen(["wine", str(program), *map(str, args)], env=self.env(),
                                   cwd=str(cwd or self.dir), stdin=subprocess.DEVNULL,
                                   stdout=stdout, stderr=stderr)
        self.processes.append(process)
        return process

    def run(self, program, *args, timeout=30, cwd=None, with_errors=False):
        """Runs a Windows program to its end and returns (exit status, standard output, and
        standard error after it when `with_errors`)."""
        process = self.start(program, *args, cwd=cwd, stdout=subprocess.PIPE,
                             stderr=subprocess.STDOUT if with_errors else subprocess.DEVNULL)
        try:
            output, _ = process.communicate(timeout=timeout)
        except subprocess.TimeoutExpired:
            self._end(process)
            raise SessionError(f"{Path(program).name} {' '.join(map(str, args))} did not end "
                               f"within {timeout} s")
        return process.returncode, output.decode("utf-8", "replace")

    def xdotool(self, *args):
        """xdotool on the session's display: keys typed there reach Wine as a physical
        keyboard's do, through the X server, and only while a Wine window has the X focus."""
        subprocess.run(["xdotool", *map(str, args)], env=self.env(), check=True, timeout=120,
                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)

    # Screenshots.

    def screenshot(self, png_path):
        """The whole screen as rows of (r, g, b) tuples; also saved as a PNG to look at."""
        subprocess.run(["import", "-display", self.display, "-window", "root", str(png_path)],
                       check=True, timeout=60, stdin=subprocess.DEVNULL)
        raw = subprocess.run(["convert", str(png_path), "-depth", "8", "rgb:-"], check=True,
                             timeout=60, stdout=subprocess.PIPE).stdout
        width = SCREEN_WIDTH
        return [[tuple(raw[(y * width + x) * 3:(y * width + x) * 3 + 3]) for x in range(width)]
                for y in range(len(raw) // (3 * width))]

    # Tear-down.

    def _end(self, process):
        if process.poll() is None:
            process.kill()
            try:
                process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                pass

    def _prefix_processes(self):
        """PIDs of processes that Wine started in this session's prefix (its own services)."""
        marker = b"WINEPREFIX=" + str(self.prefix).encode() + b"\0"
        pids = []
        for entry in Path("/proc").iterdir():
            if not entry.name.isdigit() or int(entry.name) == os.getpid():
                continue
            if marker in process_environment(entry):
                pids.append(int(entry.name))
        return pids

    def close(self):
        for process in self.processes:
            self._end(process)
        if self.wineserver is not None:
            self._end(self.wineserver)
        if self.display is not None:
            for pid in self._prefix_processes():
                try:
                    os.kill(pid, signal.SIGKILL)
                except ProcessLookupError:
                    pass
        if self.xvfb is not None:
            self.xvfb.terminate()
            try:
                self.xvfb.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.xvfb.kill()
                self.xvfb.wait(timeout=10)
        if os.environ.get("KEYWEAVE_KEEP_WINE_TESTS") is None and self.dir.exists():
            shutil.rmtree(self.dir, ignore_errors=True)
