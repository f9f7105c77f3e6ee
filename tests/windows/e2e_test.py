#!/usr/bin/env python3
"""The Windows program as a user meets it, under Wine on a virtual X display.

    e2e_test.py SETUP_EXE ZIP DATA_DIR WORK_DIR

In a fresh Wine prefix with a Chinese locale (code page 936, as on a Chinese
Windows): the installer runs silently (/S); the Start-menu shortcut starts
orvandel.exe, worked example A is typed into its form and the working it copies
must hold 302.47 and 12648.14; the worksheet opens a CSV file and a workbook
with Chinese names and shows the figures the batch writes for them; both become
the same audit sheet in PDF; the installed orvandel-cli.exe writes the shared
rows' results byte for byte as checked in; the uninstaller leaves no file,
shortcut or registry entry behind. The zip, unpacked into a folder with a
Chinese name, runs from there. Screenshots go to WORK_DIR/shots.
Exits 77 (skipped) when a tool it needs is missing.
"""
import csv
import io
import os
import re
import shutil
import subprocess
import sys
import time
import unicodedata
from pathlib import Path

WINE = "/usr/lib/wine/wine64"
WINESERVER = "/usr/lib/wine/wineserver"
TOOLS = [WINE, "Xvfb", "xdotool", "xclip", "import", "pdftotext", "localedef"]
missing = [t for t in TOOLS if shutil.which(t) is None]
try:
    import openpyxl
except ImportError:
    missing.append("python3-openpyxl")
if missing:
    print("SKIP: missing " + ", ".join(missing))
    sys.exit(77)

SETUP, ZIP, DATA, WORK = (Path(p).resolve() for p in sys.argv[1:5])
ROWS = DATA / "rows-zh.csv"
EXPECTED = DATA / "rows-zh.expected.csv"
SHOTS = WORK / "shots"
FILES = WORK / "文件"  # the user's files, in a folder with a Chinese name
PRODUCT = "滞纳金计算器"


class Failure(Exception):
    pass


def check(condition, what):
    if not condition:
        raise Failure(what)


def windows_path(path):
    """A Linux path as the Windows program sees it (Wine's drive Z: is /)."""
    return "Z:" + str(path).replace("/", "\\")


class Session:
    """Xvfb, a Wine prefix and the environment the program runs in."""

    def __init__(self):
        shutil.rmtree(WORK, ignore_errors=True)
        for d in (SHOTS, FILES, WORK / "home", WORK / "locale"):
            d.mkdir(parents=True)
        self.env = {k: v for k, v in os.environ.items()
                    if not k.startswith(("WINE", "QT_", "LC_", "XDG_")) and k not in ("LANG", "DISPLAY")}
        # A Chinese locale of our own (glibc's LOCPATH): Wine then gives the
        # program code page 936 and a zh-CN user locale.
        subprocess.run(["localedef", "-i", "zh_CN", "-f", "UTF-8", str(WORK / "locale" / "zh_CN.UTF-8")],
                       check=True, capture_output=True)
        self.env.update({
            "LOCPATH": str(WORK / "locale"), "LANG": "zh_CN.UTF-8", "LC_ALL": "zh_CN.UTF-8",
            "TZ": "Asia/Shanghai", "HOME": str(WORK / "home"),
            "WINEPREFIX": str(WORK / "prefix"), "WINEDEBUG": "-all",
            # No Mono or Gecko download prompts; no menu entries in the real home.
            "WINEDLLOVERRIDES": "mscoree,mshtml,winemenubuilder.exe=",
        })
        read, write = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
            pass_fds=[write], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write)
        with os.fdopen(read) as f:
            display = f.readline().strip()
        check(display, "Xvfb did not start")
        self.env["DISPLAY"] = ":" + display
        self.run([WINE, "wineboot", "--init"], timeout=300)
        self.wait_for_wine()

    def close(self):
        subprocess.run([WINESERVER, "-k"], env=self.env, check=False)
        self.xvfb.terminate()
        self.xvfb.wait()

    def run(self, args, timeout=120, check_ok=True, **kwargs):
        result = subprocess.run(args, env=self.env, timeout=timeout, capture_output=True, **kwargs)
        if check_ok and result.returncode != 0:
            raise Failure(f"{args} exited with {result.returncode}: {result.stderr[-2000:]!r}")
        return result

    def start(self, args):
        """Starts a program and leaves it running."""
        return subprocess.Popen(args, env=self.env, stdin=subprocess.DEVNULL,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def wait_for_wine(self):
        """Until every program of the prefix has ended and the registry is saved."""
        self.run([WINESERVER, "-w"], timeout=300)

    @property
    def profile(self):
        users = [p for p in (WORK / "prefix/drive_c/users").iterdir() if p.name != "Public"]
        check(len(users) == 1, f"one user profile expected: {users}")
        return users[0]

    def drive_c(self):
        """Every file and folder of drive C: and of the home folder (where Wine
        links the Desktop), and the user's registry."""
        names = {str(p.relative_to(WORK)) for root in ("prefix/drive_c", "home")
                 for p in (WORK / root).rglob("*")}
        return names, (WORK / "prefix/user.reg").read_text(encoding="utf-8", errors="replace")

    # The display --------------------------------------------------------
    def xdotool(self, *args, timeout=60):
        return self.run(["xdotool", *args], timeout=timeout).stdout.decode().strip()

    def window(self, title_pattern, timeout=60):
        """The id of the visible window whose title matches, once it shows."""
        end = time.monotonic() + timeout
        while time.monotonic() < end:
            found = self.run(["xdotool", "search", "--onlyvisible", "--name", title_pattern],
                             check_ok=False).stdout.split()
            if found:
                time.sleep(1.0)  # its first paint
                return found[0].decode()
            time.sleep(0.5)
        raise Failure(f"no window titled {title_pattern!r} within {timeout}s")

    def gone(self, title_pattern, timeout=60):
        end = time.monotonic() + timeout
        while time.monotonic() < end:
            if not self.run(["xdotool", "search", "--onlyvisible", "--name", title_pattern],
                            check_ok=False).stdout.split():
                return
            time.sleep(0.5)
        raise Failure(f"the window titled {title_pattern!r} did not close")

    def focus(self, window):
        self.xdotool("windowfocus", "--sync", window)
        time.sleep(0.3)

    def type(self, text):
        self.xdotool("type", "--delay", "40", text)

    def keys(self, *keys):
        self.xdotool("key", "--delay", "80", *keys)
        time.sleep(0.5)

    def clipboard(self):
        xclip = self.run(["xclip", "-o", "-selection", "clipboard"], check_ok=False)
        return xclip.stdout.decode("utf-8", errors="replace")

    def copied(self, *keys, timeout=10):
        """The clipboard's text after pressing `keys`."""
        # xclip stays behind to hold the clipboard: it is given no pipe to
        # keep open, or this would wait for it to end.
        subprocess.run(["xclip", "-selection", "clipboard"], input=b"-", env=self.env, timeout=30,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
        self.keys(*keys)
        end = time.monotonic() + timeout
        while time.monotonic() < end:
            text = self.clipboard()
            if text and text != "-":
                return text
            time.sleep(0.3)
        raise Failure(f"nothing copied by {keys}")

    def screenshot(self, name):
        self.run(["import", "-window", "root", str(SHOTS / f"{name}.png")])
        print(f"screenshot: {SHOTS / name}.png")


def expected_rows():
    with open(EXPECTED, newline="", encoding="utf-8-sig") as f:
        return list(csv.DictReader(f))


def pdf_text(path):
    text = subprocess.run(["pdftotext", "-layout", str(path), "-"], check=True,
                          capture_output=True).stdout.decode()
    return unicodedata.normalize("NFKC", text)


def make_workbook(path):
    """The shared rows as an Excel workbook written by openpyxl, every cell as
    the CSV has it."""
    with open(ROWS, newline="", encoding="utf-8-sig") as f:
        rows = list(csv.reader(f))
    book = openpyxl.Workbook()
    sheet = book.active
    for row in rows:
        sheet.append([cell if cell != "" else None for cell in row])
    book.save(path)


def main():
    s = Session()
    try:
        steps(s)
    finally:
        s.close()
    print("PASS: the Windows program installed, used and removed under Wine")


def steps(s):
    before_files, _ = s.drive_c()

    # --- The installer's pages, in Chinese; then installed silently -----------
    s.start([WINE, str(SETUP)])
    s.focus(s.window(f"{PRODUCT} .* 安装"))
    s.keys("Return")  # from the welcome page to the choice of parts
    s.screenshot("installer")
    s.run([WINESERVER, "-k"], check_ok=False)
    s.wait_for_wine()
    check(not [f for f in s.drive_c()[0] - before_files if not ignored(f)],
          "the installer, stopped on its second page, left files behind")
    s.run([WINE, str(SETUP), "/S"], timeout=300)
    s.wait_for_wine()
    local = s.profile / "AppData/Local"
    folder = local / "Programs/Orvandel"
    start_menu = s.profile / "AppData/Roaming/Microsoft/Windows/Start Menu/Programs" / PRODUCT
    desktop = s.profile / "Desktop"
    for path in [folder / "orvandel.exe", folder / "orvandel-cli.exe", folder / "uninstall.exe",
                 folder / "platforms/qwindows.dll", folder / "LICENSES.txt",
                 start_menu / f"{PRODUCT}.lnk", start_menu / "计算底稿.lnk", desktop / f"{PRODUCT}.lnk"]:
        check(path.is_file(), f"not installed: {path}")
    _, reg = s.drive_c()
    check("CurrentVersion\\\\Uninstall\\\\Orvandel" in reg, "no entry in the list of installed programs")
    print("PASS: installed")

    # --- Worked example A in the form, started from the Start menu ------------
    s.start([WINE, "start", "/unix", str(start_menu / f"{PRODUCT}.lnk")])
    form = s.window("^OrvandelV2.0$")
    s.screenshot("form-opened")
    s.focus(form)
    # The amount field has the focus; each date field is typed over, and a
    # whole date moves the focus on to the next field by itself.
    s.type("12345.67")
    s.keys("Tab", "ctrl+a")
    s.type("2001-04-21")
    s.keys("ctrl+a")
    s.type("2001-05-10")
    s.keys("Return")
    s.screenshot("form-example-a")
    working = s.copied("ctrl+shift+c")
    for figure in ["12345.67", "302.47", "246.91", "55.56", "12648.14"]:
        check(figure in working, f"the working lacks {figure}:\n{working}")
    (WORK / "working-example-a.txt").write_text(working, encoding="utf-8")
    settings = folder / "config.ini"
    check(settings.is_file() and b"dqck=w_dornik" in settings.read_bytes(),
          "the settings file is not beside the program")
    s.keys("alt+a")  # 关于
    about = s.window("关于")
    s.screenshot("about")
    s.focus(about)
    s.keys("Tab", "space")  # from the e-mail address to OK, which closes it
    s.gone("关于")
    s.focus(form)
    s.keys("alt+x")  # 退出
    s.gone("^OrvandelV2.0$")
    print("PASS: worked example A gives 302.47 and 12648.14")

    # --- The worksheet: empty from its shortcut, then a CSV file and a workbook
    # with Chinese names --------------------------------------------------------
    s.start([WINE, "start", "/unix", str(start_menu / "计算底稿.lnk")])
    s.focus(s.window("计算底稿"))
    s.screenshot("worksheet-empty")
    s.keys("ctrl+w")
    s.gone("计算底稿")
    shutil.copyfile(ROWS, FILES / "申报.csv")
    make_workbook(FILES / "申报.xlsx")
    program = folder / "orvandel.exe"
    expected = expected_rows()
    for name in ["申报.csv", "申报.xlsx"]:
        opened = s.start([WINE, str(program), "--worksheet", windows_path(FILES / name)])
        sheet = s.window(re.escape(name))
        s.screenshot("worksheet-" + name.split(".")[1])
        s.focus(sheet)
        # The sheet opens with the focus on 缴款日期: a click on the first
        # row's 项目 puts it in the table, whose rows are then all copied.
        s.xdotool("mousemove", "--window", sheet, "90", "127", "click", "1")
        shown = s.copied("ctrl+a", "ctrl+c").replace(",", "")  # as shown: 12,753.08
        for row in expected:
            for column in ["合计应加征滞纳金", "税款与滞纳金合计"]:
                if row[column]:
                    check(row[column] in shown, f"{name}: {row['项目']}: {column} {row[column]} not shown")
        s.keys("ctrl+w")
        opened.wait(timeout=60)
        check(opened.returncode == 0, f"the worksheet of {name} exited with {opened.returncode}")
    print("PASS: the worksheet shows the batch's figures for a CSV file and a workbook")

    # --- The audit sheet, written without a window ----------------------------
    texts = []
    for name in ["申报.csv", "申报.xlsx"]:
        pdf = FILES / (name.replace(".", "-") + "-计算底稿.pdf")
        s.run([WINE, str(program), "--worksheet", windows_path(FILES / name),
               "--export-pdf", windows_path(pdf)], timeout=120)
        check(pdf.is_file(), f"no audit sheet written for {name}")
        texts.append(pdf_text(pdf))
    check(texts[0] == texts[1], "the audit sheets of the CSV file and of the workbook differ")
    # Wine's Windows font engine draws the pages right but gives the PDF a
    # text layer with most characters missing (digits, many Hanzi); the text
    # is read from the same sheet drawn through Qt's FreeType engine.
    readable = FILES / "申报-freetype-计算底稿.pdf"
    s.run([WINE, str(program), "-platform", "windows:fontengine=freetype", "--worksheet",
           windows_path(FILES / "申报.csv"), "--export-pdf", windows_path(readable)], timeout=120)
    figures = pdf_text(readable)
    # Each row the batch computes shows its figures. (The sheet's total is not
    # the batch's: there a row with 缴款期限 only is paid on 缴款日期, today.)
    for row in expected:
        for column in ["合计应加征滞纳金", "税款与滞纳金合计"]:
            if row[column]:
                check(f"{column}={row[column]}" in figures,
                      f"the audit sheet lacks {row['项目']}: {column}={row[column]}")
    print("PASS: the audit sheet, the same from both files, with the batch's figures")

    # --- The batch, by the installed orvandel-cli.exe -------------------------
    cli = folder / "orvandel-cli.exe"
    for source in ["申报.csv", "申报.xlsx"]:
        out = FILES / f"结果-{source.split('.')[1]}.csv"
        batch = s.run([WINE, str(cli), "--batch", windows_path(FILES / source), "-o", windows_path(out)],
                      check_ok=False)
        # 1: written, with rows that cannot be computed, as the shared rows hold.
        check(batch.returncode == 1, f"the batch of {source} exited with {batch.returncode}")
        check(out.read_bytes() == EXPECTED.read_bytes(),
              f"the batch of {source} differs from rows-zh.expected.csv")
    print("PASS: the batch writes rows-zh.expected.csv byte for byte from both files")

    # --- Uninstalled: nothing left behind -------------------------------------
    s.run([WINE, str(folder / "uninstall.exe"), "/S"], timeout=300)
    s.wait_for_wine()
    after_files, after_reg = s.drive_c()
    left = sorted(f for f in after_files - before_files if not ignored(f))
    check(not left, "left behind after uninstalling:\n" + "\n".join(left))
    check("Orvandel" not in after_reg and "orvandel" not in after_reg,
          "registry entries left behind:\n" +
          "\n".join(l for l in after_reg.splitlines() if "rvandel" in l))
    print("PASS: uninstalled, nothing left behind")

    # --- The zip runs from any folder -----------------------------------------
    portable = FILES / "便携 版"
    shutil.unpack_archive(ZIP, portable)
    programs = list(portable.glob("*/orvandel.exe"))
    check(len(programs) == 1, f"the zip holds no single program folder: {programs}")
    pdf = FILES / "便携-计算底稿.pdf"
    s.run([WINE, str(programs[0]), "--worksheet", windows_path(FILES / "申报.csv"),
           "--export-pdf", windows_path(pdf)], timeout=120)
    check(pdf_text(pdf) == texts[0], "the zip's program writes another audit sheet")
    print("PASS: the zip's program runs where it was unpacked")


def ignored(name):
    """The temporary folders: Wine's own files, and the copy of itself the
    uninstaller runs from, which Windows deletes at the next start."""
    return bool(re.match(r"prefix/drive_c/(users/[^/]+/(AppData/Local/)?Temp|windows/temp)(/|$)",
                         name, re.IGNORECASE))


if __name__ == "__main__":
    try:
        main()
    except (Failure, subprocess.TimeoutExpired) as e:
        print(f"FAIL: {e}")
        sys.exit(1)
