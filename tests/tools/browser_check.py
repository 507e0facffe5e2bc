#!/usr/bin/env python3
"""Opens an HTML page in headless Chromium, as a person would, and checks what it shows.

  browser_check.py PAGE [--kind report|diff] [--height N] [--expect-fail CHECK]

The checks, in a window 1280 px wide with every <details> opened, measured by a
script added to a copy of the page and read back through --dump-dom:
  colours  the charts paint their colours: on a report #0072B2 (the execution-time
           series and histogram bars), #E69F00 (p50) and #D55E00 (p99); on a
           comparison (--kind diff) #0072B2 and #E69F00 (the two logs' bars);
  console  the page wrote nothing to the console;
  sideways neither the page nor any box in it scrolls sideways;
  labels   every text of every SVG chart lies inside its chart, crosses none of its
           axis or grid lines, and overlaps no other text of it.

Exit status: 0 when every check passes, 1 when one fails, 77 when Chromium is
missing or cannot start; with --expect-fail CHECK, 0 only when that check fails.
"""

import argparse
import html
import json
import os
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile

SKIP = 77
CHECKS = ("colours", "console", "sideways", "labels")
WINDOW_WIDTH = 1280
# Colour and the least area (px) it paints on a page with charts: a line 1 px
# wide and 400 px long paints 400; the series and bars far more.
COLOURS = {
    "report": (("#0072B2", 1000), ("#E69F00", 100), ("#D55E00", 100)),
    "diff": (("#0072B2", 1000), ("#E69F00", 1000)),
}
TIMEOUT_S = 90  # for Chromium to start, load the page and write its answer


def say(message):
    print("browser_check: " + message, file=sys.stderr)


def run_chromium(chromium, url, height):
    """Dumps the DOM after load; returns (stdout, stderr), or None when Chromium did not finish in time."""
    with tempfile.TemporaryDirectory(prefix="browser_check_profile_") as profile:
        command = [chromium, "--headless=new", "--no-sandbox",  # the sandbox refuses to run as root
                   "--disable-gpu", "--hide-scrollbars", "--user-data-dir=" + profile,
                   "--no-first-run", "--no-default-browser-check",
                   # Nothing but the page: no network of the browser's own.
                   "--disable-quic", "--disable-background-networking", "--disable-component-update",
                   "--disable-sync", "--window-size=%d,%d" % (WINDOW_WIDTH, height),
                   "--virtual-time-budget=2000",  # a late error shows up without waiting
                   "--enable-logging=stderr", "--v=0",  # console messages go to stderr
                   "--dump-dom", url]
        try:
            done = subprocess.run(command, stdin=subprocess.DEVNULL, capture_output=True, timeout=TIMEOUT_S)
        except subprocess.TimeoutExpired:
            return None
        return done.stdout.decode("utf-8", "replace"), done.stderr.decode("utf-8", "replace")


def last_lines(run):
    if run is None:
        return "no answer in %d s" % TIMEOUT_S
    return "\n  ".join([line for line in run[1].splitlines() if line.strip()][-5:]) or "(nothing on stderr)"


# Added at the end of a copy of the page: measures the page once it is done and
# writes what it found, as JSON, into an element that --dump-dom shows.
MEASURE_SCRIPT = r"""<script>
(function () {
  var found = {sideways: [], labels: [], colours: {}};
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
  // The area each colour paints in the charts: a shape's box for its fill, its
  // outline times the stroke width for its stroke; hidden shapes paint nothing.
  document.querySelectorAll("svg rect, svg path, svg line, svg polyline, svg circle").forEach(function (shape) {
    var style = getComputedStyle(shape), r = shape.getBoundingClientRect();
    if (style.display === "none" || style.visibility !== "visible" || style.opacity === "0") return;
    [[style.fill, r.width * r.height], [style.stroke, (r.width + r.height) * parseFloat(style.strokeWidth)]]
        .forEach(function (paint) { found.colours[paint[0]] = (found.colours[paint[0]] || 0) + paint[1]; });
  });
  var report = document.createElement("pre");
  report.id = "browser-check-layout";
  report.textContent = JSON.stringify(found);
  document.body.appendChild(report);
})();
</script>
"""


def failures_of(found, run, kind):
    """The failures of every check, as (check, message)."""
    failures, painted = [], []
    for colour, least in COLOURS[kind]:
        rgb = "rgb(%d, %d, %d)" % tuple(int(colour[i:i + 2], 16) for i in (1, 3, 5))
        area = round(found["colours"].get(rgb, 0))
        painted.append("%s: %d" % (colour, area))
        if area < least:
            failures.append(("colours", "%s paints %d px, less than %d; the charts did not render"
                             % (colour, area, least)))
    say("area painted in the chart colours: " + ", ".join(painted))
    failures += [("console", "console: %s (%s)" % m.groups())
                 for m in re.finditer(r':CONSOLE[^\]]*\] "(.*)", source: (.*)$', run[1], re.M)]
    for check in ("sideways", "labels"):
        failures += [(check, check + ": " + fault) for fault in found[check]]
    return failures


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("page", help="the HTML file")
    parser.add_argument("--kind", choices=sorted(COLOURS), default="report", help="whose chart colours to look for")
    parser.add_argument("--height", type=int, default=2000, help="window height")
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
        copy = pathlib.Path(work) / "measured.html"
        copy.write_bytes(page.read_bytes() + MEASURE_SCRIPT.encode("utf-8"))
        run = run_chromium(chromium, copy.as_uri(), args.height)
    match = re.search(r'<pre id="browser-check-layout">(.*?)</pre>', run[0], re.S) if run else None
    if not match:
        # Whether the page or the browser is at fault: a trivial page tells.
        probe = run_chromium(chromium, "data:text/html,<p>probe</p>", 200)
        if probe is None or "probe" not in probe[0]:
            say("skipped: chromium cannot start here (%s):\n  %s" % (chromium, last_lines(probe)))
            return SKIP
        say("FAIL: chromium gave no measures of %s:\n  %s" % (page, last_lines(run)))
        return 1
    failures = failures_of(json.loads(html.unescape(match.group(1))), run, args.kind)
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
