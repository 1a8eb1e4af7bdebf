#!/usr/bin/python3
"""The program as a screen reader meets it: over AT-SPI, on a private X server and a private
session bus. Reads the tool buttons' names and the first article's opening words, presses
前进 through its action and reads the next article's words. Reads the speed slider's name
and tooltip. Opens the pop-up menu through 菜单, reads its items and their check marks,
presses 隐藏列表框 and sees the list go; opens the bar's customization from the menu and
closes it again; opens 目录 and finds its tree and items by name.
closes it again. Opens the find bar from the menu, finds its field and result by name,
finds words of the page through the bar's button and hears the result; opens 查找全部 and
names its controls. Names the tab strip and the title list and finds their current items.
Opens 简繁 from the pop-up menu, reads its items and check marks and presses 繁體; the page
reads in traditional characters. Opens a novel of tens of megabytes and reads ranges far
into it through the page's text.

Usage: atspi_test.py PROGRAM
Exits 77 (skipped) when what it needs is not installed, 0 when every check holds."""

import ctypes
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

SKIP = 77
LAUNCHER = "/usr/libexec/at-spi-bus-launcher"
# How the first two titles of the first category open.
FIRST_WORDS = "先帝创业未半而中道崩殂"
NEXT_WORDS = "晋太元中，武陵人捕鱼为业"
BUTTONS = ["菜单", "字体", "背景", "隐藏", "前进", "后退", "滚屏", "上翻页", "下翻页"]
# The pop-up menu's items from top to bottom, separators as "".
MENU = ["滚屏", "下翻页", "上翻页", "朗读", "暂停朗读", "停止朗读", "语速", "声音", "", "打开...",
        "最近打开", "编码", "简繁", "添加书签", "书签...", "", "目录", "章节规则...", "查找...",
        "查找下一个", "查找全部...", "", "背景色...", "字体...", "框架色...", "边界", "边框",
        "边缘色...", "夜间", "竖排", "", "隐藏列表框", "工具栏设置...", "恢复默认设置", "", "关于", "退出"]


def skip(why):
    print("SKIP: " + why)
    sys.exit(SKIP)


LOGS = []


def fail(why):
    print("FAIL: " + why)
    for log in LOGS:
        log.seek(0)
        print("output of what it started:\n" + log.read()[-4000:])
    sys.exit(1)


def wait_for(what, probe, timeout):
    """probe() until it returns something true; fails after `timeout` seconds."""
    end = time.monotonic() + timeout
    while True:
        try:
            found = probe()
        except Exception:  # the tree changes under our feet while the program starts
            found = None
        if found:
            return found
        if time.monotonic() > end:
            fail("timed out waiting for " + what)
        time.sleep(0.2)


def walk(node, depth=0):
    if node is None or depth > 40:
        return
    yield node
    for i in range(node.childCount):
        yield from walk(node.getChildAtIndex(i), depth + 1)


def inner(program):
    """Runs inside the private session bus: X server, program, checks."""
    import pyatspi

    started = []
    home = None
    try:
        xlog = tempfile.TemporaryFile("w+")
        LOGS.append(xlog)
        read_fd, write_fd = os.pipe()
        xvfb = subprocess.Popen(
            # Without -noreset the server starts over whenever its last client leaves (the
            # accessibility bus's launcher is one), refusing whoever connects meanwhile.
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "1024x768x24", "-nolisten", "tcp",
             "-noreset"],
            pass_fds=[write_fd], stdout=xlog, stderr=subprocess.STDOUT)
        started.append(xvfb)
        os.close(write_fd)
        with os.fdopen(read_fd) as f:
            display = f.readline().strip()
        if not display:
            fail("the X server did not start")

        env = dict(os.environ, DISPLAY=":" + display, QT_QPA_PLATFORM="xcb",
                   QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1")
        env.pop("WAYLAND_DISPLAY", None)
        os.environ["DISPLAY"] = env["DISPLAY"]
        home = tempfile.mkdtemp(prefix="orlenth-atspi-")
        env["HOME"] = home
        env["XDG_CONFIG_HOME"] = home
        log = open(os.path.join(home, "log"), "w+")
        LOGS.append(log)
        app_proc = subprocess.Popen([program], env=env, cwd=home,
                                    stdout=log, stderr=subprocess.STDOUT)
        started.append(app_proc)

        def find_app():
            desktop = pyatspi.Registry.getDesktop(0)
            for i in range(desktop.childCount):
                a = desktop.getChildAtIndex(i)
                if a is not None and a.get_process_id() == app_proc.pid:
                    return a
            return None

        app = wait_for("the program on the accessibility bus", find_app, 60)

        def buttons():
            found = {n.name: n for n in walk(app) if n.getRole() == pyatspi.ROLE_PUSH_BUTTON}
            return found if "前进" in found else None

        found = wait_for("the main window's buttons", buttons, 60)
        for name in BUTTONS:
            if name not in found:
                fail("no push button named " + name + "; found " + ", ".join(sorted(found)))
        frames = [n for n in walk(app) if n.getRole() == pyatspi.ROLE_FRAME]
        if not any(f.name.startswith("Orlenth") for f in frames):
            fail("no frame named with the title")

        def page():
            for n in walk(app):
                if n.getRole() == pyatspi.ROLE_TEXT:
                    text = n.queryText()
                    if text.characterCount > 0:
                        return n
            return None

        page_node = wait_for("the page's text", page, 30)
        if page_node.name != "出师表":
            fail("the page is called " + repr(page_node.name))
        text = page_node.queryText()
        first = text.getText(0, 40)
        print("first article: " + first)
        if FIRST_WORDS not in first:
            fail("the first article does not open with " + FIRST_WORDS)

        forward = found["前进"].queryAction()
        names = [forward.getName(i).lower() for i in range(forward.nActions)]
        if "press" not in names:
            fail("前进 has no press action: " + ", ".join(names))
        forward.doAction(names.index("press"))
        second = wait_for("the next article",
                          lambda: (lambda t: t if t != first else None)(text.getText(0, 40)), 30)
        print("next article: " + second)
        if NEXT_WORDS not in second:
            fail("the next article does not open with " + NEXT_WORDS)
        wait_for("the page to be called after the next title",
                 lambda: page_node.name == "桃花源记", 10)

        sliders = [n for n in walk(app) if n.getRole() == pyatspi.ROLE_SLIDER]
        if len(sliders) != 1 or sliders[0].name != "滚屏速度":
            fail("no slider named 滚屏速度: " + repr([n.name for n in sliders]))
        if "左:快" not in sliders[0].description:
            fail("the slider does not say which way is faster: " + repr(sliders[0].description))

        # The tab strip and the title list are named for what they choose, and their
        # current items are the selected ones.
        def named(role, name):
            return next((n for n in walk(app) if n.getRole() == role and n.name == name), None)

        strip = named(pyatspi.ROLE_PAGE_TAB_LIST, "分类")
        titles = named(pyatspi.ROLE_LIST, "标题")
        if strip is None or titles is None:
            fail("no tab strip named 分类 or no list named 标题: " + repr(
                [(n.getRoleName(), n.name) for n in walk(app)
                 if n.getRole() in (pyatspi.ROLE_PAGE_TAB_LIST, pyatspi.ROLE_LIST)]))

        def current(node):
            return [c.name for c in (node.getChildAtIndex(i) for i in range(node.childCount))
                    if c.getState().contains(pyatspi.STATE_SELECTED)]

        if current(titles) != ["桃花源记"]:
            fail("the current title reads " + repr(current(titles)))
        if len(current(strip)) != 1 or not current(strip)[0]:
            fail("the current category reads " + repr(current(strip)))

        def press(node, action):
            act = node.queryAction()
            names = [act.getName(i).lower() for i in range(act.nActions)]
            if action not in names:
                fail(repr(node.name) + " has no " + action + " action: " + ", ".join(names))
            act.doAction(names.index(action))

        def open_menu():
            press(found["菜单"], "showmenu")
            return wait_for("the open pop-up menu",
                            lambda: next((n for n in walk(app)
                                          if n.getRole() == pyatspi.ROLE_POPUP_MENU), None), 30)

        def menu_gone():
            return not any(n.getRole() == pyatspi.ROLE_POPUP_MENU for n in walk(app))

        menu = open_menu()
        items = [menu.getChildAtIndex(i) for i in range(menu.childCount)]
        names = [i.name for i in items]
        print("menu: " + " | ".join(names))
        if names != MENU:
            fail("the menu's items are " + repr(names))
        by_name = {i.name: i for i in items if i.name}
        checked = sorted(n for n, i in by_name.items()
                         if i.getState().contains(pyatspi.STATE_CHECKED))
        if checked != ["边界"]:
            fail("checked items: " + repr(checked))
        if by_name["滚屏"].queryAction().getKeyBinding(0) != "Enter":
            fail("滚屏 does not say its key")
        lists = [n for n in walk(app) if n.getRole() == pyatspi.ROLE_LIST]
        if len(lists) != 1 or not lists[0].getState().contains(pyatspi.STATE_SHOWING):
            fail("the title list is not showing before the menu's command")
        press(by_name["隐藏列表框"], "press")
        wait_for("the menu to close", menu_gone, 30)
        wait_for("the title list to go",
                 lambda: not lists[0].getState().contains(pyatspi.STATE_SHOWING), 30)
        wait_for("隐藏 to show pressed",
                 lambda: found["隐藏"].getState().contains(pyatspi.STATE_PRESSED), 10)
        menu = open_menu()
        if not menu.getChildAtIndex(MENU.index("隐藏列表框")).getState().contains(
                pyatspi.STATE_CHECKED):
            fail("隐藏列表框 is not checked after hiding the list")

        press(menu.getChildAtIndex(MENU.index("工具栏设置...")), "press")
        dialog = wait_for("the bar's customization",
                          lambda: next((n for n in walk(app) if n.name == "自定义工具栏"), None),
                          30)
        close = next((n for n in walk(dialog)
                      if n.getRole() == pyatspi.ROLE_PUSH_BUTTON and n.name.startswith("关闭")),
                     None)
        if close is None:
            fail("the customization has no close button")
        press(close, "press")
        wait_for("the customization to close",
                 lambda: not any(n.name == "自定义工具栏" for n in walk(app)), 30)

        # 简繁 opens its own menu from the pop-up menu: its items, their check marks and
        # their press actions are there; 繁體 turns the page into traditional characters.
        def item_named(menu, name):
            return next((menu.getChildAtIndex(i) for i in range(menu.childCount)
                         if menu.getChildAtIndex(i).name == name), None)

        def show_submenu(menu, name):
            item = item_named(menu, name)
            if item is None:
                fail("the pop-up menu has no item " + name)
            press(item, "showmenu")
            return wait_for(name + "'s items", lambda: item.childCount == 1 and (
                lambda sub: sub if sub.childCount > 0 and sub.getState().contains(
                    pyatspi.STATE_SHOWING) else None)(item.getChildAtIndex(0)), 30)

        # Every menu opened from an item shows its items, named, one after the other
        # (separators apart).
        menu = open_menu()
        for name in ["编码", "最近打开", "语速", "声音", "简繁"]:
            sub = show_submenu(menu, name)
            names = [c.name for c in (sub.getChildAtIndex(i) for i in range(sub.childCount))
                     if c.getRole() != pyatspi.ROLE_SEPARATOR]
            print(name + ": " + " | ".join(names))
            if not names or not all(names):
                fail(name + "'s items have no names: " + repr(names))
        scripts = sub
        checked = [n for n in names
                   if item_named(scripts, n).getState().contains(pyatspi.STATE_CHECKED)]
        if "繁體" not in names or checked != ["原文"]:
            fail("简繁's items are %r, checked %r" % (names, checked))
        press(item_named(scripts, "繁體"), "press")
        wait_for("the menu to close", menu_gone, 30)
        wait_for("the page in traditional characters",
                 lambda: "武陵人捕魚為業" in text.getText(0, 40), 30)
        scripts = show_submenu(open_menu(), "简繁")
        if not item_named(scripts, "繁體").getState().contains(pyatspi.STATE_CHECKED):
            fail("繁體 is not checked once chosen")
        press(item_named(scripts, "原文"), "press")
        wait_for("the menu to close", menu_gone, 30)
        wait_for("the page in its own characters",
                 lambda: NEXT_WORDS in text.getText(0, 40), 30)

        # A bookmark made from the menu shows in the bookmarks window, whose list and
        # buttons a screen reader can name and press.
        press(open_menu().getChildAtIndex(MENU.index("添加书签")), "press")
        wait_for("the menu to close", menu_gone, 30)
        press(open_menu().getChildAtIndex(MENU.index("书签...")), "press")
        marks = wait_for("the bookmarks window",
                         lambda: next((n for n in walk(app) if n.name == "书签"
                                       and n.getRole() == pyatspi.ROLE_DIALOG), None), 30)
        mark_list = wait_for("the bookmarks list",
                             lambda: next((n for n in walk(marks) if n.name == "书签列表"), None),
                             30)
        # The page shows the second title by now (前进 was pressed above).
        rows = [n for n in walk(mark_list) if NEXT_WORDS[:6] in (n.name or "")]
        if not rows:
            fail("the bookmark's row does not read its opening words: " +
                 repr([n.name for n in walk(mark_list)]))
        names = {n.name for n in walk(marks) if n.getRole() == pyatspi.ROLE_PUSH_BUTTON}
        for wanted in ["转到", "重命名", "删除", "关闭"]:
            if not any(n.startswith(wanted) for n in names):
                fail("the bookmarks window has no button " + wanted + "; found " + repr(names))
        close = next(n for n in walk(marks)
                     if n.getRole() == pyatspi.ROLE_PUSH_BUTTON and n.name.startswith("关闭"))
        press(close, "press")
        wait_for("the bookmarks window to close",
                 lambda: not any(n.name == "书签" and n.getRole() == pyatspi.ROLE_DIALOG
                                 for n in walk(app)), 30)

        # 目录 from the menu: the chapters' tree, named, in place of the titles. A short
        # article has no headings: the tree says so and offers its one section.
        press(open_menu().getChildAtIndex(MENU.index("目录")), "press")
        toc = wait_for("the 目录 tree",
                       lambda: next((n for n in walk(app) if n.name == "目录" and n.getRole() in (
                           pyatspi.ROLE_TREE, pyatspi.ROLE_TREE_TABLE)
                           and n.getState().contains(pyatspi.STATE_SHOWING)), None), 30)
        entries = wait_for("the 目录 tree's items",
                           lambda: [n.name for n in walk(toc) if n.name and n.name != "目录"
                                    and (n.name.startswith("没有找到章节")
                                         or n.name.startswith("第 1 段"))], 30)
        print("目录: " + " | ".join(entries))
        if not any(e.startswith("没有找到章节") for e in entries) or not any(
                e.startswith("第 1 段") for e in entries):
            fail("the 目录 tree's items are " + repr(entries))
        # The find bar: its field and its result are found by name; words typed through
        # the field's editable text are found with 查找下一个 and the result tells of it.
        # 竖排: the same text in the same order, its lines now columns right to left.
        before = text.getText(0, 40)
        press(open_menu().getChildAtIndex(MENU.index("竖排")), "press")
        wait_for("the menu to close", menu_gone, 30)
        def extents(offset):
            return text.getCharacterExtents(offset, pyatspi.DESKTOP_COORDS)

        # Down the column: the second character below the first.
        wait_for("the page in columns",
                 lambda: extents(1)[1] > extents(0)[1] and extents(1)[0] == extents(0)[0], 30)
        if text.getText(0, 40) != before:
            fail("in columns the page reads " + repr(text.getText(0, 40)))
        line = text.getTextAtOffset(0, pyatspi.TEXT_BOUNDARY_LINE_START)
        first, nxt = extents(0), extents(line[2])
        print("columns: first character at %r, the next column's at %r" % (first, nxt))
        if not (nxt[0] < first[0] and nxt[1] == first[1]):
            fail("the next column is not left of the first: %r, %r" % (first, nxt))
        item = open_menu().getChildAtIndex(MENU.index("竖排"))
        if not item.getState().contains(pyatspi.STATE_CHECKED):
            fail("竖排 is not checked")
        press(item, "press")  # and back to rows
        wait_for("the menu to close", menu_gone, 30)

        press(open_menu().getChildAtIndex(MENU.index("查找...")), "press")
        wait_for("the menu to close", menu_gone, 30)
        field = wait_for("the find field",
                         lambda: next((n for n in walk(app) if n.name == "查找内容"
                                       and n.getState().contains(pyatspi.STATE_SHOWING)), None),
                         30)
        if field.getRole() != pyatspi.ROLE_TEXT:
            fail("查找内容 is no text field: " + field.getRoleName())
        result = wait_for("the find result",
                          lambda: next((n for n in walk(app) if n.name == "查找结果"), None), 30)
        if result.getRole() != pyatspi.ROLE_LABEL:
            fail("查找结果 is no label: " + result.getRoleName())
        field.queryEditableText().setTextContents(NEXT_WORDS[2:4])
        press(next(n for n in walk(app) if n.name == "查找下一个"
                   and n.getRole() == pyatspi.ROLE_PUSH_BUTTON), "press")
        said = wait_for("the find result to tell of the hit",
                        lambda: result.description if "第 1 处" in result.description else None,
                        30)
        print("find result: " + said)

        # 查找全部: a window of its own whose controls a screen reader can name.
        press(open_menu().getChildAtIndex(MENU.index("查找全部...")), "press")
        wait_for("the menu to close", menu_gone, 30)
        everywhere = wait_for("the 查找全部 window",
                              lambda: next((n for n in walk(app) if n.name == "查找全部"
                                            and n.getRole() == pyatspi.ROLE_DIALOG), None), 30)
        named = {n.name for n in walk(everywhere)}
        for wanted in ["查找内容", "查找", "停止", "查找全部结果", "查找进度"]:
            if wanted not in named:
                fail("the 查找全部 window has nothing named " + wanted + "; found " + repr(named))

        # A novel of tens of megabytes: ranges far into it read as the file does, counted
        # from the lines and bytes as they come.
        novel = "".join("第%d章　天下大势，分久必合，合久必分。周末七国分争，并入于秦。\r\n" % i
                        for i in range(240000))
        path = os.path.join(home, "novel.txt")
        with open(path, "wb") as f:
            f.write(novel.encode("gbk"))
        reader = subprocess.Popen([program, path], env=env, cwd=home, stdout=log,
                                  stderr=subprocess.STDOUT)
        started.append(reader)

        def novel_page():
            desktop = pyatspi.Registry.getDesktop(0)
            for a in (desktop.getChildAtIndex(i) for i in range(desktop.childCount)):
                if a is None or a.get_process_id() != reader.pid:
                    continue
                for n in walk(a):
                    if n.getRole() == pyatspi.ROLE_TEXT and n.queryText().characterCount > 0:
                        return n.queryText()
            return None

        pages = wait_for("the novel's page", novel_page, 60)
        wait_for("the whole novel counted",
                 lambda: pages.characterCount == len(novel) or None, 60)
        for at in (len(novel) // 2 + 7, len(novel) - 30):
            if pages.getText(at, at + 30) != novel[at:at + 30]:
                fail("the novel reads %r at %d" % (pages.getText(at, at + 30), at))
            line, start, end = pages.getTextAtOffset(at, pyatspi.TEXT_BOUNDARY_LINE_START)
            if line != novel[start:end] or not start <= at < end:
                fail("the line at %d reads %r from %d to %d" % (at, line, start, end))
        print("novel: %d characters, read at its middle and its end" % len(novel))
        print("PASS")
    finally:
        for p in reversed(started):
            if p.poll() is None:
                p.terminate()
                try:
                    p.wait(10)
                except subprocess.TimeoutExpired:
                    p.kill()
                    p.wait()
        for log in LOGS:
            log.close()
        if home:
            shutil.rmtree(home, ignore_errors=True)


def parents():
    """Every process's parent, by process number, as /proc has them now."""
    found = {}
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open("/proc/" + entry + "/stat") as f:
                stat = f.read()
        except OSError:
            continue
        # The command name in parentheses may hold spaces; the parent follows the state.
        found[int(entry)] = int(stat[stat.rindex(")") + 2:].split()[1])
    return found


def children():
    """The processes whose parent is this one, orphans handed to it included."""
    return [pid for pid, parent in parents().items() if parent == os.getpid()]


def descendants():
    """Every process below this one: its children and theirs, orphans handed to it
    included. Each holds its number while it lives (or waits unreaped), so a signal sent to
    these reaches no stranger that took over a number freed meanwhile."""
    known = parents()
    below, grew = {os.getpid()}, True
    while grew:
        grew = False
        for pid, parent in known.items():
            if parent in below and pid not in below:
                below.add(pid)
                grew = True
    below.discard(os.getpid())
    return sorted(below)


def reap_everything():
    """Ends and waits for every process left below this one, so that none outlives the test
    and none lingers as a zombie."""
    end = time.monotonic() + 10
    while True:
        try:
            pid, _ = os.waitpid(-1, os.WNOHANG)
        except ChildProcessError:
            return
        if pid:
            continue
        if time.monotonic() > end:
            for pid in children():
                try:
                    os.kill(pid, signal.SIGKILL)
                except ProcessLookupError:
                    pass
        time.sleep(0.1)


def main():
    if len(sys.argv) == 3 and sys.argv[1] == "--inner":
        inner(sys.argv[2])
        return
    if len(sys.argv) != 2:
        fail("usage: atspi_test.py PROGRAM")
    try:
        import pyatspi  # noqa: F401
    except ImportError:
        skip("python3-pyatspi is not installed")
    for tool in ("Xvfb", "dbus-run-session", "dbus-launch"):
        if subprocess.call(["sh", "-c", "command -v " + tool], stdout=subprocess.DEVNULL) != 0:
            skip(tool + " is not installed")
    if not os.access(LAUNCHER, os.X_OK):
        skip("at-spi2-core is not installed")
    # The buses' daemons may leave their parents; as the subreaper this process still gets
    # them back, to end and wait for.
    PR_SET_CHILD_SUBREAPER = 36
    ctypes.CDLL(None, use_errno=True).prctl(PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0)
    # A session of its own: the bus, the accessibility bus it starts and everything else
    # go with the process group at the end, whatever happens.
    session = subprocess.Popen(
        ["dbus-run-session", "--", sys.executable, os.path.abspath(__file__), "--inner",
         os.path.abspath(sys.argv[1])],
        start_new_session=True)
    try:
        code = session.wait(180)
    except subprocess.TimeoutExpired:
        print("FAIL: the session did not end in time")
        code = 1
    finally:
        # Not the session's process group by its number: once its last member has gone,
        # the number may name another test's group.
        for sig in (signal.SIGTERM, signal.SIGKILL):
            left = descendants()
            if not left:
                break
            for pid in left:
                try:
                    os.kill(pid, sig)
                except ProcessLookupError:
                    pass
            time.sleep(0.5)
        reap_everything()
    sys.exit(code)


if __name__ == "__main__":
    main()
