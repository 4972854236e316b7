"""Drives a running Vorlune from outside, as a user would, for the end-to-end test and the demo.

X input goes through xdotool; the window's state is read back from another process with the
window_probe; the click target's log says which button messages reached it, where and when.
Everything runs inside a tools/session (DISPLAY and WINEPREFIX set).
"""
import os
import subprocess
import sys
import time

wine_run = os.path.join(os.path.dirname(os.path.realpath(__file__)), "wine-run")
# GetTickCount advances in steps of about 16 ms, so recorded delays are that coarse; a few more
# milliseconds go to delivering X input between processes.
tolerance_ms = 25
# The MouseState names as the probe prints them, and the target's names for the same messages.
names = {"左键按下": "left_down", "左键弹起": "left_up", "右键按下": "right_down", "右键弹起": "right_up"}
# The radio buttons' control identifiers by caption, and the loop check box's.
modes = {"普通模拟": 102, "后台模拟": 103, "驱动模拟": 104}
loop_box = 105


def fail(message):
    print("FAIL: " + message, file=sys.stderr)
    sys.exit(1)


def xdo(*args):
    subprocess.run(["xdotool", *map(str, args)], check=True, stdin=subprocess.DEVNULL)


def find_window(name, tries=80):
    for _ in range(tries):
        found = subprocess.run(["xdotool", "search", "--name", f"^{name}$"], capture_output=True,
                               text=True).stdout.split()
        if found:
            return found[0]
        time.sleep(0.25)
    return ""


def geometry(window):
    out = subprocess.run(["xdotool", "getwindowgeometry", "--shell", window], capture_output=True,
                         text=True).stdout
    values = dict(line.split("=") for line in out.split())
    return int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"])


def pointer():
    out = subprocess.run(["xdotool", "getmouselocation"], capture_output=True, text=True).stdout.split()
    return out[0], out[1]


def start(*command, stdout=subprocess.DEVNULL):
    """Starts a Windows program of the build in the session, detached from the caller's pipes."""
    return subprocess.Popen([wine_run, os.environ["WINEPREFIX"], *map(str, command)],
                            stdin=subprocess.DEVNULL, stdout=stdout, stderr=subprocess.DEVNULL)


class Vorlune:
    """The open Vorlune window and the probe that reads it."""

    def __init__(self, window, probe):
        self.window, self.probe = window, probe

    def look(self, *args):
        result = subprocess.run([wine_run, os.environ["WINEPREFIX"], self.probe, *args],
                                stdin=subprocess.DEVNULL, capture_output=True, timeout=60)
        return result.returncode, result.stdout.decode("gbk", "replace").replace("\r", "")

    def rows(self):
        code, out = self.look("rows")
        if code != 0:
            fail(f"window_probe rows exited {code}")
        return [line.split("\t") for line in out.splitlines() if line]

    def focus_id(self):
        return self.look("focus")[1].strip()

    def checked(self):
        """The checked radio button's identifier and whether the loop box is checked."""
        code, out = self.look("checked")
        if code != 0:
            fail(f"window_probe checked exited {code}")
        radio, looping = out.split()
        return int(radio), looping == "1"

    def activate(self):
        # Without a window manager, focusing an X window does not activate it once another Wine window
        # was clicked; a click on its caption does.
        x, y, _, _ = geometry(self.window)
        xdo("mousemove", x + 200, y + 10, "click", 1)
        time.sleep(0.3)

    def focus_control(self, wanted):
        self.activate()
        seen = []
        for _ in range(7):
            seen.append(self.focus_id())
            if seen[-1] == str(wanted):
                return
            xdo("key", "Tab")
            time.sleep(0.1)
        fail(f"could not move the focus to control {wanted}: Tab went through {' '.join(seen)}")

    def set_loop(self, on):
        self.focus_control(loop_box)
        if self.checked()[1] != on:
            xdo("key", "space")
            time.sleep(0.2)
        if self.checked()[1] != on:
            fail(f"循环模拟 could not be {'checked' if on else 'cleared'}")

    def select_mode(self, mode):
        # Tab enters the radio buttons at the checked one; the arrow keys move the check between them.
        wanted = modes[mode]
        checked = self.checked()[0]
        if checked != wanted:
            self.focus_control(checked)
            for _ in range(abs(wanted - checked)):
                xdo("key", "Right" if wanted > checked else "Left")
                time.sleep(0.2)
        if self.checked()[0] != wanted:
            fail(f"{mode} could not be selected")


class ClickTarget:
    """The click target window, logging to log_path each button message it receives."""

    def __init__(self, exe, log_path, x, y, width, height):
        self.log_path = log_path
        with open(log_path, "w") as log:
            self.process = start(exe, x, y, width, height, stdout=log)
        self.window = find_window("VorluneClickTarget")
        if not self.window:
            self.close()
            fail("the click target did not appear")

    def close(self):
        self.process.kill()
        self.process.wait()

    def events(self):
        """(name, x, y, QPC milliseconds) per logged button message."""
        with open(self.log_path) as log:
            return [line.split("\t") for line in log.read().splitlines() if "\t" in line]

    def wait_for(self, count, timeout=15):
        """The events once there are count of them, or None when they do not come in time."""
        deadline = time.time() + timeout
        while time.time() < deadline:
            events = self.events()
            if len(events) >= count:
                return events
            time.sleep(0.1)
        return None


def matches(row, event):
    return tuple(event[:3]) == (names.get(row[3]), row[1], row[2])


def gaps(script, events):
    """Per event after the first: the row it played, its recorded delay and the gap the target saw
    since the event before (ms)."""
    return [(i, int(script[i][4]), float(events[i][3]) - float(events[i - 1][3]))
            for i in range(1, min(len(script), len(events)))]


def check_played(script, events, mode):
    if len(events) != len(script):
        fail(f"{mode}: {len(events)} clicks for {len(script)} rows")
    for i, (row, event) in enumerate(zip(script, events)):
        if not matches(row, event):
            fail(f"{mode}: click {i} was {event[:3]}, row {row[:4]}")
    for i, delay, gap in gaps(script, events):
        if abs(gap - delay) > tolerance_ms:
            fail(f"{mode}: gap before click {i} {gap:.1f} ms, recorded delay {delay} ms")
    print(f"{mode}: {len(events)} clicks at the recorded points, in order, with the recorded gaps")


def split_stop_release(passes, looped):
    """A stop between a press and its release lets go at once, where the cursor is: that release may
    come before the script's own. Returns the played events without it, and it (or None)."""
    last = len(looped) - 1
    if last >= 0 and not matches(passes[last], looped[last]) and looped[last][0].endswith("_up"):
        return looped[:last], looped[last]
    return looped, None


def held_buttons(events):
    """The buttons pressed more often than released in events."""
    return [button for button in ("left", "right")
            if sum(e[0] == button + "_down" for e in events) != sum(e[0] == button + "_up" for e in events)]


def record(target, actions):
    """Presses HOME over the target, performs actions (xdotool argument tuples, or pauses in seconds),
    presses HOME again."""
    xdo("mousemove", 20, 20)
    xdo("windowfocus", "--sync", target.window)
    time.sleep(0.3)
    xdo("key", "Home")
    time.sleep(0.3)
    for action in actions:
        if isinstance(action, (int, float)):
            time.sleep(action)
        else:
            xdo(*action)
    xdo("key", "Home")
    time.sleep(0.3)
