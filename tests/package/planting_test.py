#!/usr/bin/env python3
"""No library planted beside the program is loaded, under Wine.

    planting_test.py DIST_DIR PLANTED_DIR

A copy of the program goes into a fresh folder with a hid.dll and a winmm.dll that leave a
mark when loaded, and Wine is told to prefer libraries in the program's folder, as Windows
does for a library that is not one of its known DLLs (WINEDLLOVERRIDES=hid,winmm=n,b). First a
probe that loads both by bare name proves the planted copies would be taken; then
`PelnixCpl -T` prints its ten lines and `PelnixCpl -u` (which lists the touch screens through
HID.DLL and raises the timer resolution through WINMM.dll) says the image is missing, and
neither leaves a mark. Wine honours no list of known DLLs, so only these two are judged here.
"""
import os
import pathlib
import shutil
import subprocess
import sys
import tempfile

from checks import Checks

WINE = "/usr/lib/wine/wine64"
PLANTED = ["hid.dll", "winmm.dll"]


def main(dist, planted):
    dist, planted = pathlib.Path(dist), pathlib.Path(planted)
    env = dict(os.environ, WINEDEBUG="-all", WINEDLLOVERRIDES="hid,winmm=n,b;mscoree=d;mshtml=d")
    env.pop("DISPLAY", None)
    checks = Checks()
    expect = checks.expect

    def run(folder, *args):
        done = subprocess.run([WINE, str(folder / args[0]), *args[1:]], env=env, cwd=folder,
                              stdin=subprocess.DEVNULL, capture_output=True, timeout=120)
        return done.returncode, done.stdout.decode("latin-1")

    def marks(folder):
        return sorted(p.name for p in folder.glob("*.loaded"))

    work = pathlib.Path(tempfile.mkdtemp(prefix="pelnix-planted-"))
    try:
        for name in ["PelnixCpl.exe", "PelnixLib.dll", "Hook.dll"]:
            shutil.copy(dist / name, work)
        shutil.copytree(dist / "Language", work / "Language")
        for name in PLANTED + ["planted_probe.exe"]:
            shutil.copy(planted / name, work)

        code, _ = run(work, "planted_probe.exe")
        expect(code == 0 and marks(work) == ["hid.dll.loaded", "winmm.dll.loaded"],
               f"the probe loads both planted libraries, marks {marks(work)}")
        for mark in work.glob("*.loaded"):
            mark.unlink()

        code, output = run(work, "PelnixCpl.exe", "-T")
        expected = "".join(f"test line {i}\r\n" for i in range(10))
        expect(output == expected and code == 0, f"PelnixCpl -T prints its ten lines, got {output!r}")
        expect(marks(work) == [], f"-T loads no planted library, marks {marks(work)}")

        code, output = run(work, "PelnixCpl.exe", "-u", r"C:\no-such-image.bin")
        expect("doesn't exist" in output, f"PelnixCpl -u reports the missing image, got {output!r}")
        expect(marks(work) == [], f"-u loads no planted library, marks {marks(work)}")
    finally:
        shutil.rmtree(work, ignore_errors=True)
    return checks.result()


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:3]))
