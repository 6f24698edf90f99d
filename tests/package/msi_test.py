#!/usr/bin/env python3
"""The installer package under Wine, in a fresh prefix of its own.

    msi_test.py PACKAGE DIST_DIR BUILD_MSI_SCRIPT PREFIX DETACHED_RUN

msiexec runs through DETACHED_RUN, with no console and no standard handles, as a deployment
tool's service runs it on Windows.

Installs the package silently and finds every file where it belongs, the Start-menu shortcut,
one Add/Remove Programs entry with the version and the icon, and the empty cursor placed
because none was there; the installed PelnixCpl.exe prints the help banner; the same version
installed again and a newer version over it leave one entry; a configuration imported with the
installed program survives the uninstall, which removes every file, the shortcut and the
folder; the driver's own null.cur is left alone by install and uninstall. One command for a
fleet: a first install with CONFIG= imports the file's global and touch screen values, with its
messages in Main.Log beside the program; a missing file is reported there and the install still
succeeds; without CONFIG, on a repair, a reinstall and a removal nothing is imported.
"""
import os
import pathlib
import re
import shutil
import subprocess
import time
import sys
import tempfile

from checks import Checks

WINE = "/usr/lib/wine/wine64"
UNINSTALL = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall"
PRODUCTS = r"HKLM\Software\Classes\Installer\Products"
DRIVER = r"HKLM\SYSTEM\CurrentControlSet\Services\PelnixHID\Parameters\DriverParameters"
DEVICE = r"HKLM\SYSTEM\CurrentControlSet\Services\PelnixHID\Parameters\DeviceParameters\TouchScreen0"
INSTALLED_FILES = ["PelnixCpl.exe", "PelnixLib.dll", "Hook.dll",
                   "UserManual.pdf", "UserManual.2052.pdf", "UserManual.1041.pdf",
                   "Language/1033.ini", "Language/2052.ini", "Language/1041.ini"]
SHORTCUT = "Pelnix TouchScreen Control Panel.lnk"
CONFIG = """[DriverParameters]
Mode=1
EnableTouch=1
HideCursor=0
EnableDoubleClick=1
DoubleClickTime=700
DoubleClickArea=16
EnableRightClick=0
RightClickTime=2000
RightClickArea=8
EnableDragDelay=0
DragDelayTime=200
EnableDelayTouch=0
DelayTouchTime=50
EnableBeep=1
BeepMode=1
BeepType=0
BeepFrequency=3000
BeepDuration=40
[TouchScreen0]
IsCalibrate=1
M1X=1234
M1Y=2345
"""


FLEET_CONFIG = """[DriverParameters]
Mode=0
EnableTouch=1
DoubleClickTime=800
DoubleClickArea=20
RightClickTime=3000
RightClickArea=8
DragDelayTime=100
DelayTouchTime=25
BeepFrequency=2000
BeepDuration=50
[TouchScreen3]
IsCalibrate=1
M1X=4321
ScreenWidth=1920
ScreenHeight=1080
"""
FLEET_DEVICE = DEVICE[:-1] + "3"


class Prefix:
    def __init__(self, path, detached_run):
        self.path = pathlib.Path(path)
        self.detached_run = str(detached_run)
        self.env = dict(os.environ, WINEPREFIX=str(self.path), WINEDEBUG="-all",
                        WINEDLLOVERRIDES="mscoree=d;mshtml=d")
        self.env.pop("DISPLAY", None)
        self.drive_c = self.path / "drive_c"

    def run(self, *args, timeout=120):
        done = subprocess.run([WINE, *args], env=self.env, stdin=subprocess.DEVNULL,
                              capture_output=True, timeout=timeout)
        return done.returncode, done.stdout.decode("latin-1")

    def msiexec(self, *args, properties=()):
        return self.run(self.detached_run, "msiexec", *args, "/qn", *properties)[0]

    def reg_query(self, key, *args):
        # Wine's reg.exe now and then fails right after msiexec has ended (its services are
        # still going away): a missing key or value is only believed when asked three times.
        for attempt in range(3):
            code, out = self.run("reg", "query", key, *args)
            if code == 0:
                return out.replace("\r", "")
            time.sleep(0.5)
        return None

    def dword(self, key, name):
        out = self.reg_query(key, "/v", name)
        match = out and re.search(r"REG_DWORD\s+0x([0-9a-fA-F]+)", out)
        return int(match.group(1), 16) if match else None

    def unix(self, windows_path):
        return self.drive_c / windows_path[3:].replace("\\", "/")


def entries(prefix):
    """DisplayVersion of every Add/Remove Programs entry named PelnixCpl."""
    out = prefix.reg_query(UNINSTALL, "/s") or ""
    versions = []
    for block in out.split("\n\n"):
        if re.search(r"DisplayName\s+REG_SZ\s+PelnixCpl\s*$", block, re.M):
            match = re.search(r"DisplayVersion\s+REG_SZ\s+(\S+)", block)
            versions.append(match.group(1) if match else "")
    return versions


def product_icon(prefix):
    out = prefix.reg_query(PRODUCTS, "/s") or ""
    for block in out.split("\n\n"):
        if re.search(r"ProductName\s+REG_SZ\s+PelnixCpl\s*$", block, re.M):
            match = re.search(r"ProductIcon\s+REG_SZ\s+(.+)$", block, re.M)
            return match.group(1).strip() if match else None
    return None


def shortcuts(prefix):
    return [p for p in prefix.drive_c.rglob(SHORTCUT)]


def main(package, dist, build_msi, prefix_dir, detached_run):
    package, dist = pathlib.Path(package).resolve(), pathlib.Path(dist).resolve()
    build_msi, prefix_dir = pathlib.Path(build_msi).resolve(), pathlib.Path(prefix_dir).resolve()
    checks = Checks()
    expect = checks.expect
    shutil.rmtree(prefix_dir, ignore_errors=True)
    scripts = pathlib.Path(build_msi).parent
    subprocess.run(["bash", scripts / "wine-prefix.sh", "init", prefix_dir, "null"], check=True,
                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    subprocess.run(["bash", scripts / "wine-prefix.sh", "start", prefix_dir], check=True,
                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    prefix = Prefix(prefix_dir, pathlib.Path(detached_run).resolve())
    work = pathlib.Path(tempfile.mkdtemp(prefix="pelnix-msi-"))
    try:
        install_dir = prefix.drive_c / "Program Files/Pelnix/PelnixCpl"
        cursor = prefix.drive_c / "windows/Cursors/null.cur"
        # The driver's settings before the control panel exists.
        prefix.run("reg", "add", DRIVER, "/v", "Mode", "/t", "REG_DWORD", "/d", "2", "/f")
        cursor.unlink(missing_ok=True)

        # Install: files, shortcut, one entry with version and icon, the empty cursor placed.
        expect(prefix.msiexec("/i", str(package)) == 0, "msiexec /i returns 0")
        for name in INSTALLED_FILES:
            installed = install_dir / name
            expect(installed.is_file() and installed.read_bytes() == (dist / name).read_bytes(),
                   f"{name} installed as built")
        expect(len(shortcuts(prefix)) == 1, "one Start-menu shortcut")
        expect(entries(prefix) == ["2.1.0.6"], f"one entry 2.1.0.6, not {entries(prefix)}")
        icon = product_icon(prefix)
        expect(icon is not None and prefix.unix(icon).is_file(), f"the entry's icon exists ({icon})")
        expect(cursor.is_file() and cursor.read_bytes() == (dist / "null.cur").read_bytes(),
               "null.cur placed where there was none")
        expect(prefix.dword(DRIVER, "Mode") == 2, "the driver's settings left alone by install")
        expect(prefix.dword(DRIVER, "DoubleClickTime") is None and not (install_dir / "Main.Log").exists(),
               "nothing imported without CONFIG")

        # The installed program prints the banner, the same as the program built.
        _, banner = prefix.run(str(install_dir / "PelnixCpl.exe"), "-?")
        _, built = prefix.run(str(dist / "PelnixCpl.exe"), "-?")
        expect("COMMAND LINE OPTIONS" in banner and banner == built,
               f"installed PelnixCpl.exe -? prints the banner, got {banner!r}")

        # The same version again, then a newer one over it: one entry each time.
        expect(prefix.msiexec("/i", str(package)) == 0, "the same version installs again")
        expect(entries(prefix) == ["2.1.0.6"], f"still one entry, not {entries(prefix)}")
        newer = work / "PelnixCpl-2.1.1.0-x64.msi"
        subprocess.run(["bash", build_msi, dist, newer, "2.1.1.0"], check=True)
        expect(prefix.msiexec("/i", str(newer)) == 0, "the newer version installs")
        expect(entries(prefix) == ["2.1.1.0"], f"one entry 2.1.1.0, not {entries(prefix)}")
        expect(all((install_dir / name).is_file() for name in INSTALLED_FILES),
               "the files stay through the upgrade")
        expect(cursor.is_file(), "the package's null.cur stays through the upgrade")

        # A configuration imported with the installed program survives the uninstall.
        (prefix.drive_c / "config.ini").write_text(CONFIG.replace("\n", "\r\n"))
        _, output = prefix.run(str(install_dir / "PelnixCpl.exe"), "-i", r"C:\config.ini")
        expect("Import completed!" in output, f"import completed, got {output!r}")
        imported = (prefix.dword(DRIVER, "DoubleClickTime"), prefix.dword(DEVICE, "M1X"))
        expect(imported == (700, 1234), f"imported values in the registry, got {imported}")

        expect(prefix.msiexec("/x", str(newer)) == 0, "msiexec /x returns 0")
        expect(not (prefix.drive_c / "Program Files/Pelnix").exists(), "the folder is removed")
        expect(shortcuts(prefix) == [], "the shortcut is removed")
        expect(entries(prefix) == [], "no entry is left")
        expect(not cursor.exists(), "the package's own null.cur is removed")
        expect(prefix.reg_query(r"HKLM\Software\Pelnix") is None, "no key of the package is left")
        kept = (prefix.dword(DRIVER, "Mode"), prefix.dword(DRIVER, "DoubleClickTime"),
                prefix.dword(DEVICE, "M1X"))
        expect(kept == (1, 700, 1234), f"the imported configuration survives, got {kept}")

        # The driver package's null.cur is left alone by install and uninstall.
        cursor.parent.mkdir(exist_ok=True)
        cursor.write_bytes(b"the driver's own empty cursor")
        expect(prefix.msiexec("/i", str(package)) == 0, "install beside the driver's null.cur")
        expect(cursor.read_bytes() == b"the driver's own empty cursor", "the driver's null.cur kept")
        expect(prefix.msiexec("/x", str(package)) == 0, "uninstall beside the driver's null.cur")
        expect(cursor.read_bytes() == b"the driver's own empty cursor",
               "the driver's null.cur survives the uninstall")

        # One command for a fleet: the first install with CONFIG imports the file.
        (prefix.drive_c / "fleet.ini").write_text(FLEET_CONFIG.replace("\n", "\r\n"))
        fleet = r"CONFIG=C:\fleet.ini"
        expect(prefix.msiexec("/i", str(package), properties=[fleet]) == 0, "install with CONFIG")
        imported = (prefix.dword(DRIVER, "Mode"), prefix.dword(DRIVER, "DoubleClickTime"),
                    prefix.dword(DRIVER, "BeepFrequency"), prefix.dword(FLEET_DEVICE, "M1X"),
                    prefix.dword(FLEET_DEVICE, "ScreenWidth"), prefix.dword(FLEET_DEVICE, "IsCalibrate"))
        expect(imported == (0, 800, 2000, 4321, 1920, 1),
               f"the fleet file's global and touch screen values imported, got {imported}")
        log = install_dir / "Main.Log"
        text = log.read_text("latin-1") if log.exists() else ""
        expect(re.search(r"Console output of .*PelnixCpl\.exe.* -i \"C:\\fleet\.ini\":", text)
               and "Import completed!" in text, f"the import's messages in Main.Log, got {text!r}")

        # A repair, a reinstall and a removal, each with CONFIG, import nothing.
        prefix.run("reg", "add", DRIVER, "/v", "DoubleClickTime", "/t", "REG_DWORD", "/d", "300", "/f")
        # A repair by its properties: Wine's msiexec /f does not take a package.
        expect(prefix.msiexec("/i", str(package), properties=["REINSTALL=ALL", "REINSTALLMODE=vomus", fleet]) == 0,
               "repair with CONFIG")
        expect(prefix.msiexec("/i", str(package), properties=[fleet]) == 0, "reinstall with CONFIG")
        expect(prefix.msiexec("/x", str(package), properties=[fleet]) == 0, "removal with CONFIG")
        expect(prefix.dword(DRIVER, "DoubleClickTime") == 300,
               f"repair, reinstall and removal import nothing, got {prefix.dword(DRIVER, 'DoubleClickTime')}")

        # A file that is not there: the install succeeds and Main.Log says why nothing changed.
        log.unlink(missing_ok=True)
        expect(prefix.msiexec("/i", str(package), properties=[r"CONFIG=C:\missing.ini"]) == 0,
               "install with a missing CONFIG file succeeds")
        text = log.read_text("latin-1") if log.exists() else ""
        expect("C:\\missing.ini doesn't exist!" in text, f"Main.Log names the missing file, got {text!r}")
        expect(prefix.dword(DRIVER, "DoubleClickTime") == 300, "nothing imported from a missing file")
        expect(prefix.msiexec("/x", str(package)) == 0, "uninstall after the missing file")
    finally:
        shutil.rmtree(work, ignore_errors=True)
        subprocess.run(["bash", scripts / "wine-prefix.sh", "stop", prefix_dir],
                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return checks.result()


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:6]))
