#!/usr/bin/python3
"""Drives vorlin-config by keyboard (xdotool) and checks what AT-SPI reports about it.

Usage: atspi_check.py TOOL PAD. Runs inside the session bus and X server that atspi.sh made.
"""
import subprocess
import sys
import time

import pyatspi
from gi.repository import Atspi, GLib

TIMEOUT = 15

# Roles are compared as AT-SPI's numbers: their names are not stable (at-spi2-core 2.56, on
# Debian 13, calls a push button "button").
PUSH_BUTTON = pyatspi.ROLE_PUSH_BUTTON
CHECK_BOX = pyatspi.ROLE_CHECK_BOX
COMBO_BOX = pyatspi.ROLE_COMBO_BOX
PAGE_TAB_LIST = pyatspi.ROLE_PAGE_TAB_LIST
TEXT = pyatspi.ROLE_TEXT


def role_name(role):
    return Atspi.role_get_name(role)


def fail(message):
    print("FAIL: " + message, file=sys.stderr)
    sys.exit(1)


def wait_for(what, probe):
    deadline = time.monotonic() + TIMEOUT
    while time.monotonic() < deadline:
        found = probe()
        if found:
            return found
        time.sleep(0.05)
    fail("timed out waiting for " + what)


def tool_application():
    desktop = pyatspi.Registry.getDesktop(0)
    desktop.set_cache_mask(Atspi.Cache.NONE)
    for index in range(desktop.childCount):
        application = desktop.getChildAtIndex(index)
        if application is not None and application.name == "vorlin-config":
            # Read everything afresh: the check is about what the tool reports now.
            application.set_cache_mask(Atspi.Cache.NONE)
            return application
    return None


def everything(node):
    yield node
    for index in range(node.childCount):
        child = node.getChildAtIndex(index)
        if child is not None:
            yield from everything(child)


def find(application, role, name):
    return wait_for(f"{role_name(role)} {name!r}", lambda: next(
        (node for node in everything(application)
         if node.getRole() == role and node.name == name), None))


class Focus:
    """Follows the focus as screen readers do, from the focus events. Qt also reports the
    selected page tab, and the tab control around the tab strip, as focused whenever the tab
    strip is; neither is where the keyboard is."""

    def __init__(self):
        self.node = None
        pyatspi.Registry.registerEventListener(self.changed, "object:state-changed:focused")

    def changed(self, event):
        if event.detail1 and event.source.getRole() not in (pyatspi.ROLE_PAGE_TAB,
                                                             pyatspi.ROLE_FILLER):
            self.node = event.source

    def now(self):
        GLib.MainContext.default().iteration(False)
        return self.node

    def expect(self, role, name, description=None):
        def probe():
            node = self.now()
            return node if node is not None and (node.getRole(), node.name) == (role, name) \
                else None
        node = wait_for(f"the focus on {role_name(role)} {name!r}", probe)
        if description is not None and node.description != description:
            fail(f"{role_name(role)} {name!r} is described as {node.description!r}, "
                 f"not {description!r}")


def press(*keys):
    for key in keys:
        subprocess.run(["xdotool", "key", key], check=True)


def main():
    tool, pad_program = sys.argv[1:3]
    pad = subprocess.Popen([pad_program, "--no-stdin", "--instant"], stdout=subprocess.PIPE,
                           stderr=subprocess.DEVNULL, text=True)
    # The pad has announced itself once it has printed its terminal and its link.
    pad.stdout.readline()
    pad.stdout.readline()
    # Bring up the accessibility bus and its registry first: Qt joins a bus that is there when it
    # starts, or that appears later, but its registration is lost if the registry is not up yet.
    pyatspi.Registry.getDesktop(0).childCount
    window = subprocess.Popen([tool])
    try:
        application = wait_for("the tool on the accessibility bus", tool_application)
        frame = application.getChildAtIndex(0)
        if frame.getRole() != pyatspi.ROLE_FRAME or not frame.name.startswith("Vorlin快捷键鼠设置"):
            fail(f"the window is {frame.getRoleName()} {frame.name!r}, not the tool's frame")
        find(application, COMBO_BOX, "选择串口")
        hint = next(node.name for node in everything(application)
                    if node.getRole() == pyatspi.ROLE_LABEL and node.name.startswith("（点击"))
        light = find(application, CHECK_BOX, "RGB灯效")
        if light.description != hint:
            fail(f"the light switch is described as {light.description!r}, not by its hint")

        focus = Focus()
        subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--name", "Vorlin",
                        "windowfocus", "--sync"], check=True, stdout=subprocess.DEVNULL)
        focus.expect(PUSH_BUTTON, "连接")
        press("Return")
        # Connected: the connect button is disabled and has handed the focus on.
        focus.expect(PUSH_BUTTON, "断开")
        press("Tab")
        focus.expect(PAGE_TAB_LIST, "层1")
        press("Tab")
        focus.expect(TEXT, "层1 旋钮1加", "正在编辑")
        press("Down", "Down", "Down", "Down")
        focus.expect(TEXT, "层1 按键1", "正在编辑")
        first = find(application, TEXT, "层1 旋钮1加")
        if first.description:
            fail(f"a slot no longer edited is still described as {first.description!r}")
        press("Tab")
        focus.expect(CHECK_BOX, "启用层1")
        press("Tab")
        focus.expect(PUSH_BUTTON, "ESC", "写入 层1 按键1")
        press("shift+Tab", "shift+Tab")
        focus.expect(TEXT, "层1 按键1", "正在编辑")
        # Cleared with its ╳, then a combination typed on the keyboard, by the X server's codes.
        press("Right", "Return", "Left", "ctrl+shift+Escape")
        box = find(application, TEXT, "层1 按键1").queryText()
        wait_for("the typed combination in 按键1", lambda: box.getText(0, -1) ==
                 "L_CTRL + L_SHIFT + ESC")
    finally:
        for program in (window, pad):
            program.terminate()
            program.wait(timeout=10)
    print("PASS: frame, names, descriptions and focus as seen through AT-SPI")


main()
