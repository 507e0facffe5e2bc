#!/usr/bin/env python3
"""Opens an HTML page in headless Chromium, as a person would, and checks what it shows.

  browser_check.py PAGE [--kind report|diff] [--height N] [--screenshot OUT.png]
                   [--expect-fail CHECK]

The checks:
  blank    the screenshot shows something besides its background;
  colours  the charts were drawn: on a report (--kind report, the default), pixels of
           the execution-time series and histogram bars (#0072B2), of the p50 line
           (#E69F00) and of the p99 line (#D55E00); on a comparison (--kind diff),
           of the base log's histogram bars (#0072B2) and the new log's (#E69F00);
  console  the page wrote nothing to the console: no uncaught error, no message.
           Chromium's log gives console messages no level (an error reads like a
           log line), and the report has no business writing any: every one counts.
  sideways nothing scrolls sideways in a window 1280 px wide: neither the page nor
           any box in it (a table in a scrolling box, say) is wider than its view;
  labels   every text of every SVG chart lies inside its chart, crosses none of the
           chart's axis or grid lines, and overlaps no other text of the chart.

The last two are measured by the browser on a copy of the page with a short
script added at its end (the page itself must carry none), with every closed
disclosure (<details>) opened; the copy's measures come back through Chromium's
--dump-dom.

Exit status: 0 when every check passes, 1 when one fails (each failure on a line of
its own), 77 when the check cannot run here: no Chromium, or one that cannot start.
With --expect-fail CHECK the status is 0 when that check fails and 1 when it
passes, which is how the tests prove that a check catches what it is for.
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
CHECKS = ("blank", "colours", "console", "sideways", "labels")
WINDOW_WIDTH = 1280

# Colour name, RGB, and the fewest pixels of it that a page with charts shows. A
# line 1 px wide and 400 px long is about 400 pixels; the series and the histogram
# bars, drawn in the first colour, are far more than that.
COLOURS = {
    "report": (
        ("#0072B2 (execution time, histogram)", (0x00, 0x72, 0xB2), 1000),
        ("#E69F00 (p50)", (0xE6, 0x9F, 0x00), 100),
        ("#D55E00 (p99)", (0xD5, 0x5E, 0x00), 100),
    ),
    "diff": (
        ("#0072B2 (base histogram)", (0x00, 0x72, 0xB2), 1000),
        ("#E69F00 (new histogram)", (0xE6, 0x9F, 0x00), 1000),
    ),
}
# Per channel: pixels this close count as the colour. Anti-aliased edges blend with
# the background far more than this and are not counted.
TOLERANCE = 12
# Pixels that differ from the most common one; fewer means a blank page.
MIN_DRAWN = 200
# Chromium must start, load the page and write the screenshot in this time.
TIMEOUT_S = 90


def say(message):
    print("browser_check: " + message, file=sys.stderr)


# --- Chromium -----------------------------------------------------------------

def run_chromium(chromium, url, width, height, png=None):
    """Takes a screenshot into png, or with png None dumps the DOM after load.

    Returns (stdout, stderr), or None when Chromium did not finish in time.
    """
    with tempfile.TemporaryDirectory(prefix="browser_check_profile_") as profile:
        command = [
            chromium, "--headless=new",
            "--no-sandbox",  # Chromium's sandbox refuses to run as root
            "--disable-gpu", "--hide-scrollbars",
            "--user-data-dir=" + profile,  # a fresh profile: no state, no other instance
            "--no-first-run", "--no-default-browser-check",
            # Nothing but the page: no network of the browser's own.
            "--disable-quic", "--disable-background-networking", "--disable-component-update",
            "--disable-sync",
            "--window-size=%d,%d" % (width, height),
            # Timers run on virtual time, so a late error shows up without waiting.
            "--virtual-time-budget=2000",
            "--enable-logging=stderr", "--v=0",  # console messages go to stderr
            "--screenshot=" + str(png) if png else "--dump-dom",
            url,
        ]
        try:
            done = subprocess.run(command, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                  stderr=subprocess.PIPE, timeout=TIMEOUT_S)
        except subprocess.TimeoutExpired:
            return None
        return done.stdout.decode("utf-8", "replace"), done.stderr.decode("utf-8", "replace")


CONSOLE_LINE = re.compile(r':CONSOLE[^\]]*\] "(.*)", source: (.*)$')


def console_messages(stderr):
    return [m.group(1) + " (" + m.group(2) + ")"
            for m in map(CONSOLE_LINE.search, stderr.splitlines()) if m]


def last_lines(run, count=5):
    if run is None:
        return "no answer in %d s" % TIMEOUT_S
    lines = [line for line in run[1].splitlines() if line.strip()]
    return "\n  ".join(lines[-count:]) or "(nothing on stderr)"


# --- PNG ------------------------------------------------------------------------

def add_bytes(a, b, low7, high1):
    """Byte-wise a + b mod 256 of two rows held as big integers."""
    return ((a & low7) + (b & low7)) ^ ((a ^ b) & high1)


NONZERO = re.compile(b"[^\\x00]")


def unfilter_slow(kind, row, prior, bpp):
    """Average and Paeth rows, byte by byte: each byte depends on the one before."""
    out = bytearray(row)
    for i in range(bpp):  # nothing on the left: both predict the byte above
        out[i] = (out[i] + (prior[i] >> 1 if kind == 3 else prior[i])) & 0xFF
    i, size = bpp, len(out)
    while i < size:
        if kind == 4 and row[i] == 0 and out[i - bpp:i] == prior[i - bpp:i]:
            # Where the row so far repeats the row above, Paeth predicts the byte above,
            # and a run of zeros goes on repeating it: copy the run.
            end = NONZERO.search(row, i)
            end = end.start() if end else size
            out[i:end] = prior[i:end]
            i = end
            continue
        left, up = out[i - bpp], prior[i]
        if kind == 3:
            out[i] = (out[i] + ((left + up) >> 1)) & 0xFF
        else:
            corner = prior[i - bpp]
            pa, pb = up - corner, left - corner  # distances of left + up - corner to left, up
            pc = abs(pa + pb)
            pa, pb = abs(pa), abs(pb)
            out[i] = (out[i] + (left if pa <= pb and pa <= pc else (up if pb <= pc else corner))) & 0xFF
        i += 1
    return bytes(out)


def read_png(path):
    """Returns (width, height, channels, pixel bytes) of an 8-bit RGB or RGBA PNG."""
    data = pathlib.Path(path).read_bytes()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("not a PNG file")
    pos, header, compressed = 8, None, []
    while pos + 8 <= len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        pos += 12 + length
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            compressed.append(body)
        elif kind == b"IEND":
            break
    if header is None:
        raise ValueError("PNG without a header")
    width, height, depth, colour_type, _, _, interlace = header
    if depth != 8 or colour_type not in (2, 6) or interlace != 0:
        raise ValueError("PNG of depth %d, colour type %d, interlace %d: only 8-bit RGB or "
                         "RGBA without interlacing is read" % (depth, colour_type, interlace))
    channels = 3 if colour_type == 2 else 4
    size = width * channels
    raw = zlib.decompress(b"".join(compressed))
    if len(raw) != height * (size + 1):
        raise ValueError("PNG data of %d bytes for %dx%d pixels" % (len(raw), width, height))
    low7 = int.from_bytes(b"\x7f" * size, "big")
    high1 = int.from_bytes(b"\x80" * size, "big")
    rows, prior = [], bytes(size)
    for y in range(height):
        kind = raw[y * (size + 1)]
        row = raw[y * (size + 1) + 1:(y + 1) * (size + 1)]
        if kind == 0:
            pass
        elif kind == 1:  # Sub: a running sum per channel, in log2(width) big-integer steps
            value, shift = int.from_bytes(row, "big"), 8 * channels
            while shift < 8 * size:
                value = add_bytes(value, value >> shift, low7, high1)
                shift *= 2
            row = value.to_bytes(size, "big")
        elif kind == 2:  # Up
            row = add_bytes(int.from_bytes(row, "big"), int.from_bytes(prior, "big"),
                            low7, high1).to_bytes(size, "big")
        elif kind in (3, 4):  # Average, Paeth
            row = unfilter_slow(kind, row, prior, channels)
        else:
            raise ValueError("PNG row %d has filter type %d" % (y, kind))
        rows.append(row)
        prior = row
    return width, height, channels, b"".join(rows)


# --- Checks -------------------------------------------------------------------

def check_pixels(png, colours):
    """Returns the failures of the blank and colours checks, as (check, message)."""
    width, height, channels, pixels = read_png(png)
    # Whole rows repeat (margins, gaps between charts): count each distinct row once.
    size = width * channels
    rows = collections.Counter(pixels[y:y + size] for y in range(0, len(pixels), size))
    counts = collections.Counter()
    for row, times in rows.items():
        for colour, count in collections.Counter(zip(row[0::channels], row[1::channels],
                                                     row[2::channels])).items():
            counts[colour] += count * times
    failures = []
    background, most = counts.most_common(1)[0]
    drawn = width * height - most
    if drawn < MIN_DRAWN:
        failures.append(("blank", "the page is blank: %d of %dx%d pixels differ from its "
                         "background rgb%s" % (drawn, width, height, background)))
    found = []
    for name, target, least in colours:
        near = sum(count for colour, count in counts.items()
                   if all(abs(c - t) <= TOLERANCE for c, t in zip(colour, target)))
        found.append("%s: %d" % (name, near))
        if near < least:
            failures.append(("colours", "too few pixels of %s: %d, fewer than %d; the charts "
                             "did not render" % (name, near, least)))
    say("pixels near the chart colours: " + ", ".join(found))
    return failures


# --- Layout -------------------------------------------------------------------

# Added at the end of a copy of the page: measures the layout once it is done and
# writes what it found, as JSON, into an element that --dump-dom shows.
MEASURE_SCRIPT = r"""<script>
(function () {
  var found = {sideways: [], labels: []};
  // What a reader may open is measured open.
  document.querySelectorAll("details").forEach(function (details) { details.open = true; });
  function name(element) {
    var text = (element.textContent || "").trim().replace(/\s+/g, " ");
    var kind = element.getAttribute("class");
    return "<" + element.tagName.toLowerCase() + (kind ? " class=\"" + kind + "\"" : "") + "> \"" +
           text.slice(0, 40) + "\"";
  }
  var root = document.documentElement;
  if (root.scrollWidth > root.clientWidth) {
    found.sideways.push("the page is " + root.scrollWidth + " px wide in a window of " + root.clientWidth + " px");
  }
  document.querySelectorAll("body *").forEach(function (element) {
    var overflow = getComputedStyle(element).overflowX;
    if ((overflow === "auto" || overflow === "scroll") && element.scrollWidth > element.clientWidth + 1) {
      found.sideways.push(name(element) + " scrolls sideways: " + element.scrollWidth + " px of content in " +
                          element.clientWidth + " px");
    }
  });
  document.querySelectorAll("svg").forEach(function (svg, chart) {
    var box = svg.getBoundingClientRect();
    var where = "chart " + (chart + 1) + " (" + (svg.getAttribute("class") || "svg") + ")";
    var texts = Array.prototype.filter.call(svg.querySelectorAll("text"), function (text) {
      return text.textContent.trim() !== "";
    });
    var rects = texts.map(function (text) { return text.getBoundingClientRect(); });
    var lines = Array.prototype.filter.call(svg.querySelectorAll(".axis line"), function (line) {
      var r = line.getBoundingClientRect();
      return r.width + r.height > 30;  // the axes and grid lines, not the tick marks
    }).map(function (line) { return line.getBoundingClientRect(); });
    var slack = 1.5;  // pixels a glyph box may reach over without a visible fault
    rects.forEach(function (r, i) {
      var label = where + ": \"" + texts[i].textContent.trim().slice(0, 40) + "\"";
      if (r.left < box.left - slack || r.right > box.right + slack || r.top < box.top - slack ||
          r.bottom > box.bottom + slack) {
        found.labels.push(label + " reaches outside the chart (" + Math.round(r.left - box.left) + ".." +
                          Math.round(r.right - box.left) + " of 0.." + Math.round(box.width) + " px)");
      }
      lines.forEach(function (l) {
        if (l.left < r.right - slack && l.right > r.left + slack && l.top < r.bottom - slack &&
            l.bottom > r.top + slack) {
          found.labels.push(label + " lies across an axis or grid line");
        }
      });
      for (var j = i + 1; j < rects.length; ++j) {
        var o = rects[j];
        if (o.left < r.right - slack && o.right > r.left + slack && o.top < r.bottom - slack &&
            o.bottom > r.top + slack) {
          found.labels.push(label + " overlaps \"" + texts[j].textContent.trim().slice(0, 40) + "\"");
        }
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
LAYOUT_REPORT = re.compile(r'<pre id="browser-check-layout">(.*?)</pre>', re.S)
# At most this many faults of one check are listed.
MAX_LISTED = 8


def check_layout(chromium, page, work, height):
    """Returns the failures of the sideways and labels checks, or None when the
    copy of the page could not be measured."""
    copy = pathlib.Path(work) / "measured.html"
    copy.write_bytes(page.read_bytes() + MEASURE_SCRIPT.encode("utf-8"))
    run = run_chromium(chromium, copy.as_uri(), WINDOW_WIDTH, height)
    match = LAYOUT_REPORT.search(run[0]) if run else None
    if not match:
        return None
    found = json.loads(html.unescape(match.group(1)))
    failures = []
    for check in ("sideways", "labels"):
        faults = found.get(check, [])
        for fault in faults[:MAX_LISTED]:
            failures.append((check, check + ": " + fault))
        if len(faults) > MAX_LISTED:
            failures.append((check, "%s: and %d more" % (check, len(faults) - MAX_LISTED)))
    return failures


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("page", help="the HTML file")
    parser.add_argument("--kind", choices=sorted(COLOURS), default="report",
                        help="which page's chart colours to look for")
    parser.add_argument("--height", type=int, default=2000,
                        help="window height in pixels; the screenshot shows only the window")
    parser.add_argument("--screenshot", help="keep the screenshot at this path")
    parser.add_argument("--expect-fail", choices=CHECKS,
                        help="succeed only when this check fails")
    args = parser.parse_args()

    page = pathlib.Path(args.page)
    if not page.is_file():
        say("no such page: %s" % page)
        return 1
    chromium = shutil.which(os.environ.get("CHROMIUM") or "chromium")
    if not chromium:
        say("skipped: %s is not installed (scripts/bootstrap installs chromium)"
            % (os.environ.get("CHROMIUM") or "chromium"))
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
                say("skipped: chromium cannot start here (%s):\n  %s"
                    % (chromium, last_lines(probe_run)))
                return SKIP
            say("FAIL: chromium took no screenshot of %s:\n  %s"
                % (page, last_lines(run)))
            return 1

        try:
            failures = check_pixels(png, COLOURS[args.kind])
        except ValueError as error:
            say("FAIL: the screenshot cannot be read: %s" % error)
            return 1
        failures += [("console", "console: " + m) for m in console_messages(run[1])]
        layout = check_layout(chromium, page, work, args.height)
        if layout is None:
            say("FAIL: the layout of %s could not be measured: chromium gave no measures" % page)
            return 1
        failures += layout
    for _, message in failures:
        say(("" if args.expect_fail else "FAIL: ") + message)
    failed = {check for check, _ in failures}
    if args.expect_fail:
        if args.expect_fail in failed:
            say("the %s check failed on %s, as it should" % (args.expect_fail, page))
            return 0
        say("FAIL: the %s check passed on %s, but it should have failed" % (args.expect_fail, page))
        return 1
    if failures:
        return 1
    say("%s: not blank, the charts rendered, no console messages, nothing scrolls sideways at "
        "%d px, every chart label inside its chart and clear of the others" % (page, WINDOW_WIDTH))
    return 0


if __name__ == "__main__":
    sys.exit(main())
