#!/usr/bin/python3
"""The demo: records a short script in Vorlune with real X input over the click target, plays it
once and then in a loop stopped by Insert in each of the three modes, and leaves pictures of what
happened and a report in OUT. Exits 1 when something it shows did not work.
Usage (inside tools/session): run.py WINDOWS_TREE OUT
"""
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.realpath(__file__)), "..", "tools"))
from vorlune_drive import (ClickTarget, Vorlune, find_window, gaps, geometry, held_buttons, matches, names,
                           record, split_stop_release, start, tolerance_ms, xdo)

import pictures

tree, out = sys.argv[1:3]
# ASCII file names for the modes' pictures.
mode_files = {"普通模拟": "normal", "后台模拟": "background", "驱动模拟": "driver"}
# Vorlune centres itself on the 1024x768 screen (289..734, 236..531); the target stays above it.
target_box = (0, 0, 640, 220)
# Two clicks, a drag with moves in it and a right click, with pauses that make the delays differ.
actions = [("mousemove", 80, 60, "click", 1), 0.3,
           ("mousemove", 160, 170, "click", 1), 0.15,
           ("mousemove", 240, 70, "mousedown", 1), 0.2,
           ("mousemove", 320, 110), ("mousemove", 400, 150), 0.1,
           ("mouseup", 1), 0.4,
           ("mousemove", 540, 120, "click", 3), 0.2]
expected_rows = [("80", "60", "左键按下"), ("80", "60", "左键弹起"), ("160", "170", "左键按下"),
                 ("160", "170", "左键弹起"), ("240", "70", "左键按下"), ("400", "150", "左键弹起"),
                 ("540", "120", "右键按下"), ("540", "120", "右键弹起")]
problems = []


def screenshot(window, path):
    subprocess.run(["import", "-window", window, path], check=True, stdin=subprocess.DEVNULL)


def played(script, passes, events):
    """Per event: whether it arrived at its row's point with its row's action, and the timing errors."""
    rows = script * passes
    at_point = sum(matches(row, event) for row, event in zip(rows, events))
    errors = [gap - delay for _, delay, gap in gaps(rows, events)]
    return at_point, errors


def play_mode(vorlune, target, script, mode):
    result = {"mode": mode}
    vorlune.set_loop(False)
    vorlune.select_mode(mode)
    first = len(target.events())
    xdo("key", "Insert")
    target.wait_for(first + len(script))
    time.sleep(0.3)
    once = target.events()[first:]
    if len(once) != len(script):
        problems.append(f"{mode}: {len(once)} clicks for {len(script)} rows")
    result["once"] = once
    result["gaps"] = gaps(script, once)
    shot = os.path.join(out, f"capture-{mode_files[mode]}.png")
    screenshot(target.window, shot)

    vorlune.set_loop(True)
    vorlune.select_mode(mode)
    first = len(target.events())
    xdo("key", "Insert")
    # Stop in the middle of the third pass.
    if target.wait_for(first + 2 * len(script) + 3) is None:
        problems.append(f"{mode}: the loop did not reach its third pass")
    xdo("key", "Insert")
    time.sleep(0.5)
    stopped_at = len(target.events())
    time.sleep(1.0)
    looped = target.events()[first:]
    if len(looped) != stopped_at - first:
        problems.append(f"{mode}: Insert did not stop the loop")
    if held_buttons(looped):
        problems.append(f"{mode}: after the stop these buttons are held: {held_buttons(looped)}")
    passes = len(looped) // len(script) + 1
    looped, _ = split_stop_release(script * passes, looped)
    result["looped"] = looped

    at_point_once, errors_once = played(script, 1, once)
    at_point_loop, errors_loop = played(script, passes, looped)
    result["at_point"] = at_point_once + at_point_loop
    result["played"] = len(once) + len(looped)
    result["errors"] = errors_once + errors_loop
    result["passes"] = divmod(len(looped), len(script))
    if result["at_point"] != result["played"]:
        problems.append(f"{mode}: {result['played'] - result['at_point']} clicks off their rows")
    late = [e for e in result["errors"] if abs(e) > tolerance_ms]
    if late:
        problems.append(f"{mode}: {len(late)} gaps off their delays by more than {tolerance_ms} ms")
    pictures.target_picture(shot, os.path.join(out, f"target-{mode_files[mode]}.png"),
                            geometry(target.window)[:2], script, once, mode)
    os.remove(shot)
    print(f"{mode}: {result['played']} clicks, {result['at_point']} at their rows' points")
    return result


def close(vorlune, process):
    vorlune.activate()
    xdo("key", "alt+F4")
    try:
        code = process.wait(timeout=15)
    except subprocess.TimeoutExpired:
        process.kill()
        code = "none (killed)"
    if code != 0:
        problems.append(f"vorlune.exe exited with {code}")


def main():
    os.makedirs(out, exist_ok=True)
    process = start(os.path.join(tree, "app", "vorlune.exe"))
    window = find_window("Vorlune", tries=40)
    if not window:
        process.kill()
        print("FAIL: no Vorlune window appeared", file=sys.stderr)
        return 1
    time.sleep(0.5)
    vorlune = Vorlune(window, os.path.join(tree, "tests", "e2e", "window_probe.exe"))
    target = ClickTarget(os.path.join(tree, "tests", "script", "click_target.exe"),
                         os.path.join(out, "click_target.log"), *target_box)
    results = []
    try:
        record(target, actions)
        script = vorlune.rows()
        screenshot(window, os.path.join(out, "window.png"))
        if [tuple(row[1:4]) for row in script] != expected_rows:
            problems.append(f"recorded rows {[row[1:4] for row in script]}, expected {expected_rows}")
        if any(row[3] not in names for row in script):
            problems.append("a row names no button action")
        if script:
            results = [play_mode(vorlune, target, script, mode) for mode in mode_files]
        else:
            problems.append("no rows were recorded")
    finally:
        target.close()
        close(vorlune, process)
    if results:
        pictures.timing_picture(os.path.join(out, "timing.png"), script, results)
    pictures.write_report(os.path.join(out, "report.md"), script, results, problems)
    for problem in problems:
        print("FAIL: " + problem, file=sys.stderr)
    print(f"pictures and report in {out}")
    return 1 if problems else 0


sys.exit(main())
