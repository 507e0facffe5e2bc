#!/usr/bin/env python3
"""Opens an HTML page in headless Chromium, as a person would, and checks what it shows.

  browser_check.py PAGE [--kind report|diff] [--height N] [--screenshot OUT.png]
                   [--expect-fail CHECK]

The checks:
  colours  the screenshot shows the charts' colours: on a report, #0072B2 (the
           execution-time series and histogram bars), #E69F00 (p50) and #D55E00
           (p99); on a comparison (--kind diff), #0072B2 and #E69F00 (the base and
           the new log's histogram bars);
  console  the page wrote nothing to the console: the report has no business
           writing anything, and Chromium's log gives an error no level of its own;
  sideways in a window 1280 px wide, neither the page nor any box in it scrolls sideways;
  labels   every text of every SVG chart lies inside its chart, crosses none of its
           axis or grid lines, and overlaps no other text of it.
The last two are measured, with every <details> opened, by a script added at the
end of a copy of the page; its measures come back through Chromium's --dump-dom.

Exit status: 0 when every check passes, 1 when one fails, 77 when Chromium is
missing or cannot start. With --expect-fail CHECK: 0 when that check fails, 1
when it passes, which is how the tests prove that a check catches its fault.
"""

import argparse
import collections
import html
import json
import os
import pathlib
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import zlib

SKIP = 77
CHECKS = ("colours", "console", "sideways", "labels")
WINDOW_WIDTH = 1280
# Colour, RGB, and the fewest pixels of it a page with charts shows: a line 1 px
# wide and 400 px long is about 400; the series and bars far more.
COLOURS = {
    "report": (("#0072B2", (0x00, 0x72, 0xB2), 1000), ("#E69F00", (0xE6, 0x9F, 0x00), 100),
               ("#D55E00", (0xD5, 0x5E, 0x00), 100)),
    "diff": (("#0072B2", (0x00, 0x72, 0xB2), 1000), ("#E69F00", (0xE6, 0x9F, 0x00), 1000)),
}
TOLERANCE = 12  # per channel; anti-aliased edges blend far more and are not counted
TIMEOUT_S = 90  # for Chromium to start, load the page and write its answer
MAX_LISTED = 8  # faults of one check listed


def say(message):
    print("browser_check: " + message, file=sys.stderr)


def run_chromium(chromium, url, width, height, png=None):
    """Takes a screenshot into png, or without one dumps the DOM after load.
    Returns (stdout, stderr), or None when Chromium did not finish in time."""
    with tempfile.TemporaryDirectory(prefix="browser_check_profile_") as profile:
        command = [chromium, "--headless=new", "--no-sandbox",  # the sandbox refuses to run as root
                   "--disable-gpu", "--hide-scrollbars", "--user-data-dir=" + profile,
                   "--no-first-run", "--no-default-browser-check",
                   # Nothing but the page: no network of the browser's own.
                   "--disable-quic", "--disable-background-networking", "--disable-component-update",
                   "--disable-sync", "--window-size=%d,%d" % (width, height),
                   "--virtual-time-budget=2000",  # a late error shows up without waiting
                   "--enable-logging=stderr", "--v=0",  # console messages go to stderr
                   "--screenshot=" + str(png) if png else "--dump-dom", url]
        try:
            done = subprocess.run(command, stdin=subprocess.DEVNULL, capture_output=True, timeout=TIMEOUT_S)
        except subprocess.TimeoutExpired:
            return None
        return done.stdout.decode("utf-8", "replace"), done.stderr.decode("utf-8", "replace")


def last_lines(run):
    if run is None:
        return "no answer in %d s" % TIMEOUT_S
    return "\n  ".join([line for line in run[1].splitlines() if line.strip()][-5:]) or "(nothing on stderr)"


# --- PNG: 8-bit RGB or RGBA, not interlaced, as Chromium writes it ----------------

def add_bytes(a, b, low7, high1):
    """Byte-wise a + b mod 256 of two rows held as big integers."""
    return ((a & low7) + (b & low7)) ^ ((a ^ b) & high1)


NONZERO = re.compile(b"[^\\x00]")


def unfilter_slow(kind, row, prior, bpp):
    """Average (3) and Paeth (4) rows, byte by byte: each byte depends on the one before."""
    out = bytearray(row)
    for i in range(bpp):  # nothing on the left: both predict the byte above
        out[i] = (out[i] + (prior[i] >> 1 if kind == 3 else prior[i])) & 0xFF
    i, size = bpp, len(out)
    while i < size:
        if kind == 4 and row[i] == 0 and out[i - bpp:i] == prior[i - bpp:i]:
            # Where the row so far repeats the one above, Paeth predicts the byte
            # above, and a run of zeros goes on repeating it: copy the run.
            end = NONZERO.search(row, i)
            end = end.start() if end else size
            out[i:end] = prior[i:end]
            i = end
            continue
        left, up, corner = out[i - bpp], prior[i], prior[i - bpp]
        if kind == 3:
            out[i] = (out[i] + ((left + up) >> 1)) & 0xFF
        else:
            pa, pb, pc = abs(up - corner), abs(left - corner), abs(left + up - 2 * corner)
            out[i] = (out[i] + (left if pa <= pb and pa <= pc else up if pb <= pc else corner)) & 0xFF
        i += 1
    return bytes(out)


def read_png(path):
    """Returns (width, height, channels, pixel bytes); raises ValueError and the like on what it cannot read."""
    data = pathlib.Path(path).read_bytes()
    pos, header, compressed = 8, None, []
    while pos + 8 <= len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body, pos = data[pos + 8:pos + 8 + length], pos + 12 + length
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            compressed.append(body)
        elif kind == b"IEND":
            break
    width, height, depth, colour_type, _, _, interlace = header or (0, 0, 0, 0, 0, 0, 0)
    if depth != 8 or colour_type not in (2, 6) or interlace != 0:
        raise ValueError("PNG of depth %d, colour type %d, interlace %d" % (depth, colour_type, interlace))
    channels = 3 if colour_type == 2 else 4
    size = width * channels
    raw = zlib.decompress(b"".join(compressed))
    low7, high1 = int.from_bytes(b"\x7f" * size, "big"), int.from_bytes(b"\x80" * size, "big")
    rows, prior = [], bytes(size)
    for y in range(height):
        kind, row = raw[y * (size + 1)], raw[y * (size + 1) + 1:(y + 1) * (size + 1)]
        if kind == 1:  # Sub: a running sum per channel, in log2(width) big-integer steps
            value, shift = int.from_bytes(row, "big"), 8 * channels
            while shift < 8 * size:
                value, shift = add_bytes(value, value >> shift, low7, high1), shift * 2
            row = value.to_bytes(size, "big")
        elif kind == 2:  # Up
            row = add_bytes(int.from_bytes(row, "big"), int.from_bytes(prior, "big"), low7, high1).to_bytes(size, "big")
        elif kind in (3, 4):
            row = unfilter_slow(kind, row, prior, channels)
        elif kind != 0:
            raise ValueError("PNG row %d has filter type %d" % (y, kind))
        rows.append(row)
        prior = row
    return width, height, channels, b"".join(rows)


def check_colours(png, colours):
    width, _, channels, pixels = read_png(png)
    # Whole rows repeat (margins, gaps between charts): count each distinct row once.
    size = width * channels
    counts = collections.Counter()
    for row, times in collections.Counter(pixels[y:y + size] for y in range(0, len(pixels), size)).items():
        for colour, count in collections.Counter(zip(row[0::channels], row[1::channels], row[2::channels])).items():
            counts[colour] += count * times
    failures, found = [], []
    for name, target, least in colours:
        near = sum(count for colour, count in counts.items()
                   if all(abs(c - t) <= TOLERANCE for c, t in zip(colour, target)))
        found.append("%s: %d" % (name, near))
        if near < least:
            failures.append(("colours", "too few pixels of %s: %d, fewer than %d; the charts did not render"
                             % (name, near, least)))
    say("pixels near the chart colours: " + ", ".join(found))
    return failures


# Added at the end of a copy of the page: measures the layout once it is done and
# writes what it found, as JSON, into an element that --dump-dom shows.
MEASURE_SCRIPT = r"""<script>
(function () {
  var found = {sideways: [], labels: []};
  document.querySelectorAll("details").forEach(function (details) { details.open = true; });
  var slack = 1.5;  // pixels a glyph box may reach over without a visible fault
  function crosses(a, b) {
    return a.left < b.right - slack && a.right > b.left + slack && a.top < b.bottom - slack &&
           a.bottom > b.top + slack;
  }
  function text(element) { return "\"" + element.textContent.trim().replace(/\s+/g, " ").slice(0, 40) + "\""; }
  var root = document.documentElement;
  if (root.scrollWidth > root.clientWidth) {
    found.sideways.push("the page is " + root.scrollWidth + " px wide in a window of " + root.clientWidth + " px");
  }
  document.querySelectorAll("body *").forEach(function (element) {
    var overflow = getComputedStyle(element).overflowX;
    if ((overflow === "auto" || overflow === "scroll") && element.scrollWidth > element.clientWidth + 1) {
      found.sideways.push("<" + element.tagName.toLowerCase() + "> " + text(element) + " scrolls sideways: " +
                          element.scrollWidth + " px of content in " + element.clientWidth + " px");
    }
  });
  document.querySelectorAll("svg").forEach(function (svg, chart) {
    var box = svg.getBoundingClientRect();
    var texts = Array.prototype.filter.call(svg.querySelectorAll("text"), function (t) {
      return t.textContent.trim() !== "";
    });
    var rects = texts.map(function (t) { return t.getBoundingClientRect(); });
    var lines = Array.prototype.map.call(svg.querySelectorAll(".axis line"), function (line) {
      return line.getBoundingClientRect();
    }).filter(function (r) { return r.width + r.height > 30; });  // the axes and grid lines, not the ticks
    rects.forEach(function (r, i) {
      var label = "chart " + (chart + 1) + ": " + text(texts[i]);
      if (r.left < box.left - slack || r.right > box.right + slack || r.top < box.top - slack ||
          r.bottom > box.bottom + slack) {
        found.labels.push(label + " reaches outside the chart (" + Math.round(r.left - box.left) + ".." +
                          Math.round(r.right - box.left) + " of 0.." + Math.round(box.width) + " px)");
      }
      if (lines.some(function (l) { return crosses(l, r); })) found.labels.push(label + " lies across an axis");
      for (var j = i + 1; j < rects.length; ++j) {
        if (crosses(rects[j], r)) found.labels.push(label + " overlaps " + text(texts[j]));
      }
    });
  });
  var report = document.createElement("pre");
  report.id = "browser-check-layout";
  report.textContent = JSON.stringify(found);
  document.body.appendChild(report);
})();
</script>
"""


def check_layout(chromium, page, work, height):
    """The failures of the sideways and labels checks, or None without measures."""
    copy = pathlib.Path(work) / "measured.html"
    copy.write_bytes(page.read_bytes() + MEASURE_SCRIPT.encode("utf-8"))
    run = run_chromium(chromium, copy.as_uri(), WINDOW_WIDTH, height)
    match = re.search(r'<pre id="browser-check-layout">(.*?)</pre>', run[0], re.S) if run else None
    if not match:
        return None
    found, failures = json.loads(html.unescape(match.group(1))), []
    for check in ("sideways", "labels"):
        failures += [(check, check + ": " + fault) for fault in found[check][:MAX_LISTED]]
        if len(found[check]) > MAX_LISTED:
            failures.append((check, "%s: and %d more" % (check, len(found[check]) - MAX_LISTED)))
    return failures


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("page", help="the HTML file")
    parser.add_argument("--kind", choices=sorted(COLOURS), default="report", help="whose chart colours to look for")
    parser.add_argument("--height", type=int, default=2000, help="window height; the screenshot shows only the window")
    parser.add_argument("--screenshot", help="keep the screenshot at this path")
    parser.add_argument("--expect-fail", choices=CHECKS, help="succeed only when this check fails")
    args = parser.parse_args()

    page = pathlib.Path(args.page)
    if not page.is_file():
        say("no such page: %s" % page)
        return 1
    name = os.environ.get("CHROMIUM") or "chromium"
    chromium = shutil.which(name)
    if not chromium:
        say("skipped: %s is not installed (scripts/bootstrap installs chromium)" % name)
        return SKIP

    with tempfile.TemporaryDirectory(prefix="browser_check_") as work:
        png = pathlib.Path(args.screenshot or os.path.join(work, "screenshot.png"))
        if png.exists():
            png.unlink()
        run = run_chromium(chromium, page.resolve().as_uri(), WINDOW_WIDTH, args.height, png)
        if run is None or not png.is_file() or png.stat().st_size == 0:
            # Whether the page or the browser is at fault: a trivial page tells.
            probe = os.path.join(work, "probe.png")
            probe_run = run_chromium(chromium, "data:text/html,<p>probe</p>", 320, 200, probe)
            if probe_run is None or not os.path.isfile(probe):
                say("skipped: chromium cannot start here (%s):\n  %s" % (chromium, last_lines(probe_run)))
                return SKIP
            say("FAIL: chromium took no screenshot of %s:\n  %s" % (page, last_lines(run)))
            return 1
        try:
            failures = check_colours(png, COLOURS[args.kind])
        except (ValueError, IndexError, struct.error, zlib.error) as error:
            say("FAIL: the screenshot cannot be read: %s" % error)
            return 1
        failures += [("console", "console: %s (%s)" % m.groups())
                     for m in re.finditer(r':CONSOLE[^\]]*\] "(.*)", source: (.*)$', run[1], re.M)]
        layout = check_layout(chromium, page, work, args.height)
        if layout is None:
            say("FAIL: the layout of %s could not be measured: chromium gave no measures" % page)
            return 1
        failures += layout
    for _, message in failures:
        say(("" if args.expect_fail else "FAIL: ") + message)
    failed = {check for check, _ in failures}
    if args.expect_fail:
        caught = args.expect_fail in failed
        say(("the %s check failed on %s, as it should" if caught else
             "FAIL: the %s check passed on %s, but it should have failed") % (args.expect_fail, page))
        return 0 if caught else 1
    if failures:
        return 1
    say("%s: the charts rendered, no console messages, nothing scrolls sideways at %d px, every chart label "
        "inside its chart and clear of the others" % (page, WINDOW_WIDTH))
    return 0


if __name__ == "__main__":
    sys.exit(main())
