#!/usr/bin/python3
"""Peak memory of the reader on a big file, with or without the accessibility bus, on a
private X server. Waits until the resident size has not moved for 8 s (the text loaded and
wrapped), prints it and the peak (VmHWM); with the bus, then reads 200 places spread over
the text through AT-SPI (a range, its line, its sentence, a character's box) as a screen
reader would, and prints the figures again.

Usage: dbus-run-session -- /usr/bin/python3 scripts/page-memory.py PROGRAM FILE bus|nobus"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

program, path, mode = sys.argv[1:4]
r, w = os.pipe()
xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(w), "-screen", "0", "1024x768x24",
                         "-nolisten", "tcp", "-noreset"], pass_fds=[w],
                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
os.close(w)
display = os.fdopen(r).readline().strip()
home = tempfile.mkdtemp(prefix="orlenth-mem-")
env = dict(os.environ, DISPLAY=":" + display, QT_QPA_PLATFORM="xcb", HOME=home,
           XDG_CONFIG_HOME=home)
if mode == "bus":
    env.update(QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1")
os.environ["DISPLAY"] = env["DISPLAY"]
if mode == "bus":
    import pyatspi
    pyatspi.Registry.getDesktop(0).childCount
start = time.monotonic()
app = subprocess.Popen([program, path], env=env, cwd=home,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def status(key):
    with open("/proc/%d/status" % app.pid) as f:
        for line in f:
            if line.startswith(key):
                return int(line.split()[1]) // 1024


last, still = -1, 0
while time.monotonic() - start < 120 and still < 16:
    time.sleep(0.5)
    rss = status("VmRSS")
    still = still + 1 if abs(rss - last) < 2 else 0
    last = rss
print("%s: settled after %.1f s: VmRSS %d MB, VmHWM %d MB" %
      (mode, time.monotonic() - start, status("VmRSS"), status("VmHWM")))
if mode == "bus":
    def walk(node, depth=0):
        if node is None or depth > 40:
            return
        yield node
        for i in range(node.childCount):
            yield from walk(node.getChildAtIndex(i), depth + 1)

    desktop = pyatspi.Registry.getDesktop(0)
    page = None
    for a in (desktop.getChildAtIndex(i) for i in range(desktop.childCount)):
        if a is not None and a.get_process_id() == app.pid:
            page = next(n for n in walk(a) if n.getRole() == pyatspi.ROLE_TEXT
                        and n.queryText().characterCount > 0).queryText()
    count = page.characterCount
    t = time.monotonic()
    for k in range(1, 200):
        at = count * k // 200
        page.getText(at, at + 200)
        page.getTextAtOffset(at, pyatspi.TEXT_BOUNDARY_LINE_START)
        page.getTextAtOffset(at, pyatspi.TEXT_BOUNDARY_SENTENCE_START)
        page.getCharacterExtents(at, pyatspi.DESKTOP_COORDS)
    print("bus: %d characters counted; 200 far reads of text, line, sentence and extents in "
          "%.2f s; VmRSS %d MB, VmHWM %d MB" % (count, time.monotonic() - t,
                                                 status("VmRSS"), status("VmHWM")))
app.terminate()
app.wait()
xvfb.terminate()
xvfb.wait()
shutil.rmtree(home, ignore_errors=True)
