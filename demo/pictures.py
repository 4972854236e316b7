"""The demo's pictures and report: clicks marked over the target's capture, recorded delays against
played gaps, and a table per mode."""
import statistics

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt
from matplotlib import font_manager
from PIL import Image, ImageDraw, ImageFont

from vorlune_drive import matches, tolerance_ms

# The mode names are Chinese; WenQuanYi Micro Hei (fonts-wqy-microhei) has the glyphs.
font_name = "WenQuanYi Micro Hei"
font_path = font_manager.findfont(font_name)
plt.rcParams["font.sans-serif"] = [font_name, "DejaVu Sans"]
plt.rcParams["axes.unicode_minus"] = False
colours = {"left": (30, 90, 220), "right": (220, 40, 40)}
# Colour, marker and a small sideways shift per mode, so that equal values stay visible.
mode_styles = {"普通模拟": ("tab:blue", "o", -0.15), "后台模拟": ("tab:orange", "s", 0.0),
               "驱动模拟": ("tab:green", "^", 0.15)}
header, footer = 34, 30


def target_picture(capture, path, origin, script, events, mode):
    """The capture with each received click as a numbered circle (filled for presses, a ring for
    releases) and each row's recorded point as a black cross over them."""
    shot = Image.open(capture).convert("RGB")
    picture = Image.new("RGB", (shot.width, shot.height + header + footer), (240, 240, 240))
    picture.paste(shot, (0, header))
    draw = ImageDraw.Draw(picture)
    font = ImageFont.truetype(font_path, 15)
    small = ImageFont.truetype(font_path, 12)
    ox, oy = origin[0], origin[1] - header
    draw.rectangle([0, header, shot.width - 1, header + shot.height - 1], outline=(160, 160, 160))
    for previous, event in zip(events, events[1:]):
        if previous[0].endswith("_down") and event[0] == previous[0][:-4] + "up":
            draw.line([int(previous[1]) - ox, int(previous[2]) - oy, int(event[1]) - ox, int(event[2]) - oy],
                      fill=colours[event[0].split("_")[0]], width=1)
    # A press is a dot inside the ring of a release at the same point, so a click shows both.
    for i, event in enumerate(events):
        button, action = event[0].split("_")
        x, y = int(event[1]) - ox, int(event[2]) - oy
        colour = colours[button]
        if action == "down":
            draw.ellipse([x - 7, y - 7, x + 7, y + 7], fill=colour)
            draw.text((x - 12, y - 12), str(i + 1), fill=(0, 0, 0), font=small, anchor="rb")
        else:
            draw.ellipse([x - 12, y - 12, x + 12, y + 12], outline=colour, width=3)
            draw.text((x + 14, y + 14), str(i + 1), fill=(0, 0, 0), font=small, anchor="lt")
    for row in script:
        x, y = int(row[1]) - ox, int(row[2]) - oy
        draw.line([x - 5, y, x + 5, y], fill=(0, 0, 0), width=1)
        draw.line([x, y - 5, x, y + 5], fill=(0, 0, 0), width=1)
    right = sum(matches(row, event) for row, event in zip(script, events))
    draw.text((8, header // 2), f"{mode}: {len(events)} clicks received for {len(script)} rows, "
              f"{right} at their recorded points (numbered in order)", fill=(0, 0, 0), font=font, anchor="lm")
    legend_y = header + shot.height + footer // 2
    x = 8
    for label, colour, filled in (("left press", colours["left"], True),
                                  ("left release", colours["left"], False),
                                  ("right press", colours["right"], True),
                                  ("right release", colours["right"], False)):
        box = [x, legend_y - 7, x + 14, legend_y + 7]
        draw.ellipse(box, fill=colour) if filled else draw.ellipse(box, outline=colour, width=3)
        draw.text((x + 20, legend_y), label, fill=(0, 0, 0), font=small, anchor="lm")
        x += 110
    draw.line([x, legend_y, x + 10, legend_y], fill=(0, 0, 0))
    draw.line([x + 5, legend_y - 5, x + 5, legend_y + 5], fill=(0, 0, 0))
    draw.text((x + 18, legend_y), "recorded point", fill=(0, 0, 0), font=small,
              anchor="lm")
    picture.save(path)


def timing_picture(path, script, results):
    """Recorded delay and played gap per row, then their difference, one series per mode."""
    figure, (delays, errors) = plt.subplots(2, 1, figsize=(10, 7), sharex=True)
    rows = [i + 1 for i in range(1, len(script))]
    delays.bar(rows, [int(row[4]) for row in script[1:]], color="lightgrey", edgecolor="grey",
               label="recorded delay")
    for result in results:
        colour, marker, shift = mode_styles[result["mode"]]
        numbers = [i + 1 + shift for i, _, _ in result["gaps"]]
        delays.plot(numbers, [gap for _, _, gap in result["gaps"]], marker=marker, linestyle="none",
                    color=colour, label=f"played gap, {result['mode']}")
        errors.plot(numbers, [gap - delay for _, delay, gap in result["gaps"]], marker=marker, color=colour,
                    label=result["mode"])
    delays.set_title("Recorded delay and played gap before each row (single pass)")
    delays.set_ylabel("milliseconds")
    delays.legend(loc="upper left", bbox_to_anchor=(1.01, 1), fontsize=9)
    errors.axhspan(-tolerance_ms, tolerance_ms, color="lightgreen", alpha=0.3,
                   label=f"±{tolerance_ms} ms allowed")
    errors.axhline(0, color="grey", linewidth=0.8)
    errors.set_title("Timing error: played gap minus recorded delay")
    errors.set_xlabel("row (row 1 waits from the Insert key, which the target does not see)")
    errors.set_ylabel("milliseconds")
    errors.set_xticks(rows)
    errors.legend(loc="upper left", bbox_to_anchor=(1.01, 1), fontsize=9)
    figure.tight_layout()
    figure.savefig(path, dpi=100)
    plt.close(figure)


def write_report(path, script, results, problems):
    lines = ["# Vorlune demo", "",
             f"{len(script)} rows recorded with real X input (two clicks, a drag, a right-click).", "",
             "| mode | rows played | clicks at the right point | max timing error | median timing error "
             "| loop passes before Insert |",
             "|---|---|---|---|---|---|"]
    for r in results:
        errors = [abs(e) for e in r["errors"]]
        worst = f"{max(errors):.1f} ms" if errors else "-"
        median = f"{statistics.median(errors):.1f} ms" if errors else "-"
        full, rest = r["passes"]
        lines.append(f"| {r['mode']} | {r['played']} | {r['at_point']} of {r['played']} | {worst} | {median} "
                     f"| {full} and {rest} rows |")
    lines += ["", "Rows played count the single pass and the loop; timing errors are |played gap − recorded "
              "delay| for every click after the first of each run.", ""]
    lines += ["Result: all as recorded." if not problems else "Result: FAILED", ""]
    lines += [f"- {problem}" for problem in problems]
    with open(path, "w") as report:
        report.write("\n".join(lines) + "\n")
