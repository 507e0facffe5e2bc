#!/usr/bin/env python3
"""Opens an HTML page in headless Chromium, as a person would, and checks what it shows.

  browser_check.py PAGE [--height N] [--screenshot OUT.png] [--expect-fail CHECK]

The checks:
  blank    the screenshot shows something besides its background;
  colours  the charts were drawn: pixels of the execution-time series and histogram
           bars (#0072B2), of the p50 line (#E69F00) and of the p99 line (#D55E00);
  console  the page wrote nothing to the console: no uncaught error, no message.
           Chromium's log gives console messages no level (an error reads like a
           log line), and the report has no business writing any: every one counts.

Exit status: 0 when every check passes, 1 when one fails (each failure on a line of
its own), 77 when the check cannot run here: no Chromium, or one that cannot start.
With --expect-fail CHECK the status is 0 when that check fails and 1 when it
passes, which is how the tests prove that a check catches what it is for.
"""

import argparse
import collections
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
CHECKS = ("blank", "colours", "console")

# Colour name, RGB, and the fewest pixels of it that a page with charts shows. A
# line 1 px wide and 400 px long is about 400 pixels; the series and the histogram
# bars, drawn in the first colour, are far more than that.
COLOURS = (
    ("#0072B2 (execution time, histogram)", (0x00, 0x72, 0xB2), 1000),
    ("#E69F00 (p50)", (0xE6, 0x9F, 0x00), 100),
    ("#D55E00 (p99)", (0xD5, 0x5E, 0x00), 100),
)
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

def run_chromium(chromium, url, width, height, png):
    """Returns Chromium's stderr, or None when it did not finish in time."""
    with tempfile.TemporaryDirectory(prefix="browser_check_profile_") as profile:
        command = [
            chromium, "--headless=new",
            "--no-sandbox",  # Chromium's sandbox refuses to run as root
            "--disable-gpu", "--hide-scrollbars",
            "--user-data-dir=" + profile,  # a fresh profile: no state, no other instance
            "--no-first-run", "--no-default-browser-check",
            "--window-size=%d,%d" % (width, height),
            # Timers run on virtual time, so a late error shows up without waiting.
            "--virtual-time-budget=2000",
            "--enable-logging=stderr", "--v=0",  # console messages go to stderr
            "--screenshot=" + str(png),
            url,
        ]
        try:
            done = subprocess.run(command, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                  stderr=subprocess.PIPE, timeout=TIMEOUT_S)
        except subprocess.TimeoutExpired:
            return None
        return done.stderr.decode("utf-8", "replace")


CONSOLE_LINE = re.compile(r':CONSOLE[^\]]*\] "(.*)", source: (.*)$')


def console_messages(stderr):
    return [m.group(1) + " (" + m.group(2) + ")"
            for m in map(CONSOLE_LINE.search, stderr.splitlines()) if m]


def last_lines(text, count=5):
    if text is None:
        return "no answer in %d s" % TIMEOUT_S
    lines = [line for line in text.splitlines() if line.strip()]
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

def check_pixels(png):
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
    for name, target, least in COLOURS:
        near = sum(count for colour, count in counts.items()
                   if all(abs(c - t) <= TOLERANCE for c, t in zip(colour, target)))
        found.append("%s: %d" % (name, near))
        if near < least:
            failures.append(("colours", "too few pixels of %s: %d, fewer than %d; the charts "
                             "did not render" % (name, near, least)))
    say("pixels near the chart colours: " + ", ".join(found))
    return failures


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("page", help="the HTML file")
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
        stderr = run_chromium(chromium, page.resolve().as_uri(), 1280, args.height, png)
        if stderr is None or not png.is_file() or png.stat().st_size == 0:
            # Whether the page or the browser is at fault: a trivial page tells.
            probe = os.path.join(work, "probe.png")
            probe_stderr = run_chromium(chromium, "data:text/html,<p>probe</p>", 320, 200, probe)
            if probe_stderr is None or not os.path.isfile(probe):
                say("skipped: chromium cannot start here (%s):\n  %s"
                    % (chromium, last_lines(probe_stderr)))
                return SKIP
            say("FAIL: chromium took no screenshot of %s:\n  %s"
                % (page, last_lines(stderr)))
            return 1

        try:
            failures = check_pixels(png)
        except ValueError as error:
            say("FAIL: the screenshot cannot be read: %s" % error)
            return 1
        failures += [("console", "console: " + m) for m in console_messages(stderr)]

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
    say("%s: not blank, the charts rendered, no console messages" % page)
    return 0


if __name__ == "__main__":
    sys.exit(main())
