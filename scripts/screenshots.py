"""Takes the README's screenshots of the program's windows at 100% and 200%
under Wine: the main window, the settings centre's two pages, the about box,
the password prompt, the set-password dialog and the script editor, each cut
out of a virtual display of its own, large enough for the main window at
200%. Usage (after building the windows preset's tavrelin and tavctl
targets):

  source scripts/wine-env.sh build/windows
  TAV_BUILD_DIR=$PWD/build/windows python3 scripts/screenshots.py OUT_DIR [DPI...]

The pictures are OUT_DIR/NAME.png at 96 DPI and OUT_DIR/NAME-200.png at 192.
The build folder's wineserver is ended before and after, so that Wine's
desktop follows the display in use."""

import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from harness import IDM_EXIT, Session, activate, wait_for, wine_path  # noqa: E402
from test_passwords import digest, encrypt  # noqa: E402

IDM_SET_PASSWORD = 2036
IDM_SETTINGS = 2037
IDM_ABOUT = 2042
IDM_TRAY_SHOW = 2043
IDC_MAIN_CHANGE = 2013
IDC_EDITOR_SCRIPT = 3008
IDC_SCRIPT_TABS = 5032
IDC_SET_PAGES = 4001
IDC_SET_CHANGE_PASSWORD = 4003
IDC_SET_OLD_PASSWORD = 4005
IDC_SET_SORT_LIST = 4013
PASSWORD = "a"
# The about box bears the program's name and version.
ABOUT = r"^Tavrelin [0-9.]+ Final$"


def set_dpi(dpi):
    subprocess.run(["wine", "reg", "add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels",
                    "/t", "REG_DWORD", "/d", str(dpi), "/f"],
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)


def visible(session, title):
    return wait_for(lambda: session.find_windows(title), what=title)[-1]


def shoot(session, title, out):
    """Activates the window whose title matches `title` and cuts what Wine
    draws of it (the client area and menu bar; the window manager draws the
    frame) out of a picture of the display."""
    window = visible(session, title)
    activate(window)
    subprocess.run(["xdotool", "sleep", "0.5"], check=True)  # let it finish painting
    geometry = subprocess.run(["xdotool", "getwindowgeometry", "--shell", window],
                              capture_output=True, text=True, check=True).stdout.split()
    g = {key: int(value) for key, value in (line.split("=", 1) for line in geometry)
         if key in ("X", "Y", "WIDTH", "HEIGHT")}
    whole = session.path("screen.png")
    subprocess.run(["import", "-window", "root", whole], check=True)
    subprocess.run(["convert", whole, "-crop", "%dx%d+%d+%d" % (g["WIDTH"], g["HEIGHT"], g["X"],
                                                               g["Y"]), "+repage", out], check=True)
    print("saved", out)


def close(title):
    window = wait_for(lambda: subprocess.run(
        ["xdotool", "search", "--onlyvisible", "--name", title], capture_output=True,
        text=True).stdout.split(), what=title)[-1]
    activate(window)
    subprocess.run(["xdotool", "key", "Escape"], check=True)
    wait_for(lambda: not subprocess.run(
        ["xdotool", "search", "--onlyvisible", "--name", title], capture_output=True,
        text=True).stdout.split(), what=title + " to close")


def take_all(out_dir, dpi):
    suffix = "" if dpi == 96 else "-%d" % (dpi * 100 // 96)
    name = lambda base: os.path.join(out_dir, base + suffix + ".png")  # noqa: E731
    set_dpi(dpi)
    session = Session("screenshots-%d" % dpi)
    try:
        script = wine_path(os.path.join(os.path.dirname(__file__), "..", "sample", "Script",
                                        "示例.tsc"))
        entries = [("3+78", "notepad.exe", "记事本", "常用程序"),
                   ("3+67", "calc.exe", "计算器", "常用程序"),
                   ("3+66", "http://www.example.com/", "打开网页", "网络"),
                   ("3+80", "Tavrelin停止/开始工作", "暂停/恢复热键", "Tavrelin"),
                   ("3+84", script, "示例脚本", "脚本"),
                   ("6+72", "C:\\windows\\", "系统文件夹", "文件夹")]
        # A protected scheme, so that the program asks for its password.
        session.write_scheme([tuple(encrypt(PASSWORD, text) for text in entry)
                              for entry in entries], password=digest(PASSWORD))
        with open(session.path("set.ini"), "wb") as f:
            f.write("[Sort]\r\n常用程序=0\r\n网络=0\r\n脚本=0\r\n文件夹=0\r\n".encode("gb2312"))
        session.program = subprocess.Popen(["wine", session.path("tavrelin.exe")],
                                           cwd=session.dir, stdout=subprocess.DEVNULL,
                                           stderr=subprocess.DEVNULL)
        shoot(session, "^密码$", name("password-prompt"))
        subprocess.run(["xdotool", "type", PASSWORD], check=True)
        subprocess.run(["xdotool", "key", "Return"], check=True)
        wait_for(lambda: session.tavctl("started") == 0 and not session.find_windows("^密码$"),
                 what="the scheme open")

        session.tavctl("command", IDM_TRAY_SHOW)
        wait_for(lambda: session.tavctl("visible") == 0, what="the main window")
        wait_for(lambda: session.tavctl("rows") == 6, what="the rows")
        session.tavctl("select", 0)
        shoot(session, "^Tavrelin", name("main-window"))

        session.tavctl("command", IDM_SETTINGS)
        activate(visible(session, "^设置中心$"))
        # The password fields in use, showing their '*'.
        session.click_control("设置中心", IDC_SET_CHANGE_PASSWORD)
        session.click_control("设置中心", IDC_SET_OLD_PASSWORD)
        subprocess.run(["xdotool", "type", PASSWORD * 6], check=True)
        wait_for(lambda: session.control_text("设置中心", IDC_SET_OLD_PASSWORD) == PASSWORD * 6,
                 what="the old password typed")
        shoot(session, "^设置中心$", name("settings-base"))
        session.click_control("设置中心", IDC_SET_PAGES, 1)
        # The first category selected, as a click on it does.
        x, y, _, _ = session.control_rect("设置中心", IDC_SET_SORT_LIST)
        subprocess.run(["xdotool", "mousemove", str(x + 30), str(y + 8), "click", "1"],
                       check=True)
        shoot(session, "^设置中心$", name("settings-sort"))
        close("^设置中心$")

        session.tavctl("command", IDM_ABOUT)
        shoot(session, ABOUT, name("about-box"))
        close(ABOUT)

        session.tavctl("command", IDM_SET_PASSWORD)
        shoot(session, "^设置访问口令$", name("set-password"))
        close("^设置访问口令$")

        session.tavctl("select", 4)
        session.tavctl("command", IDC_MAIN_CHANGE)
        activate(visible(session, "^修改热键$"))
        session.click_control("修改热键", IDC_EDITOR_SCRIPT)
        shoot(session, "^编辑脚本 - ", name("script-editor"))
        # The aids of the other two pages, for a look at their labels.
        for tab, page in ((1, "keys"), (2, "time")):
            session.click_control("TfrmScripEditor", IDC_SCRIPT_TABS, tab)
            shoot(session, "^编辑脚本 - ", name("script-editor-" + page))
    finally:
        session.tavctl("command", IDM_EXIT)
        session.close()
        set_dpi(96)


def window_manager_runs():
    answer = subprocess.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], capture_output=True)
    return answer.returncode == 0 and b"window id" in answer.stdout


def start_display(processes):
    """A 1600 x 1200 virtual display with the window manager the tests use;
    its processes are added to `processes`."""
    read, write = os.pipe()
    processes.append(subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0",
                                       "1600x1200x24", "-nolisten", "tcp"], pass_fds=(write,),
                                      stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
    os.close(write)
    with os.fdopen(read) as pipe:
        os.environ["DISPLAY"] = ":" + pipe.readline().strip()
    processes.append(subprocess.Popen(["fvwm", "-f", "/dev/null", "-c", "Style * MwmDecor", "-c",
                                       "Style * UsePPosition", "-c", "Style * ClickToFocus"],
                                      stdin=subprocess.DEVNULL))
    wait_for(window_manager_runs, what="the window manager")


def main():
    out_dir = sys.argv[1]
    dpis = [int(d) for d in sys.argv[2:]] or [96, 192]
    os.makedirs(out_dir, exist_ok=True)
    subprocess.run(["wineserver", "-k"], stderr=subprocess.DEVNULL)
    processes = []
    try:
        start_display(processes)
        for dpi in dpis:
            take_all(out_dir, dpi)
    finally:
        subprocess.run(["wineserver", "-k"], stderr=subprocess.DEVNULL)
        for process in reversed(processes):
            process.terminate()


if __name__ == "__main__":
    main()
