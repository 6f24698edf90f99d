#!/usr/bin/env python3
"""The release's binaries and package as an administrator checks them.

    signature_test.py DIST_DIR PACKAGE CA_PEM SCRIPTS_DIR

PelnixCpl.exe, PelnixLib.dll, Hook.dll and the package each carry an Authenticode SHA-256
signature that verifies against the test certificate authority, and a copy with one signed
byte changed is refused. The three binaries carry their version information (company, product,
file version), and import no library that Windows would look for beside the program first:
only libraries of the system's known list (HID.DLL and WINMM.dll are loaded from the system
folder at run time).
"""
import importlib.util
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile

from checks import Checks

BINARIES = ["PelnixCpl.exe", "PelnixLib.dll", "Hook.dll"]
VERSION = "2.1.0.6"
# Libraries Windows always takes from the system folder (its KnownDLLs), and the C runtime
# that mingw-w64 programs import (msvcrt.dll, also a known DLL).
KNOWN_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll",
              "ole32.dll", "oleaut32.dll", "comdlg32.dll", "setupapi.dll", "shlwapi.dll",
              "imm32.dll", "msvcrt.dll", "rpcrt4.dll", "combase.dll", "ws2_32.dll"}
# Not a known DLL, but the program's manifest asks for version 6 of the common controls,
# which Windows loads from its side-by-side store, never from the program's folder.
SIDE_BY_SIDE = {"comctl32.dll"}


def verify(path, ca):
    done = subprocess.run(["osslsigncode", "verify", "-CAfile", ca, "-in", path],
                          capture_output=True, text=True)
    return done.returncode == 0 and "Signature verification: ok" in done.stdout, done.stdout + done.stderr


def signed_region_offset(path, scripts):
    """Where to change one byte that the signature covers."""
    if path.suffix != ".msi":
        return path.stat().st_size // 3  # inside the code section
    spec = importlib.util.spec_from_file_location("msi_summary", scripts / "msi-summary.py")
    module = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(module)
    pieces, _ = module.CompoundFile(path.read_bytes()).stream_pieces(module.SUMMARY)
    return pieces[0][0] + 60  # inside the summary information's first property


def imports(path):
    out = subprocess.run(["x86_64-w64-mingw32-objdump", "-p", path], capture_output=True,
                         text=True, check=True).stdout
    return sorted({name.lower() for name in re.findall(r"DLL Name: (\S+)", out)})


def main(dist, package, ca, scripts):
    dist, package, scripts = pathlib.Path(dist), pathlib.Path(package), pathlib.Path(scripts)
    checks = Checks()
    expect = checks.expect

    work = pathlib.Path(tempfile.mkdtemp(prefix="pelnix-signature-"))
    try:
        for path in [dist / name for name in BINARIES] + [package]:
            ok, report = verify(path, ca)
            expect(ok, f"{path.name} verifies against the test CA:\n{report}")
            expect("PelnixCpl TEST code signing" in report, f"{path.name} is signed by the test certificate")
            tampered = work / path.name
            shutil.copyfile(path, tampered)
            data = bytearray(tampered.read_bytes())
            offset = signed_region_offset(path, scripts)
            data[offset] ^= 0x01
            tampered.write_bytes(data)
            ok, report = verify(tampered, ca)
            expect(not ok, f"a tampered {path.name} (byte {offset}) is refused:\n{report}")

        for name in BINARIES:
            text = (dist / name).read_bytes().decode("utf-16-le", errors="ignore")
            for key, value in [("CompanyName", "Pelnix Touch Systems"), ("ProductName", "PelnixCpl"),
                               ("FileVersion", VERSION), ("ProductVersion", VERSION),
                               ("OriginalFilename", name)]:
                expect(re.search(key + r"\x00+" + re.escape(value), text) is not None,
                       f"{name} has {key} {value}")
            imported = imports(dist / name)
            expect("hid.dll" not in imported and "winmm.dll" not in imported,
                   f"{name} imports neither hid.dll nor winmm.dll: {imported}")
            plantable = [dll for dll in imported if dll not in KNOWN_DLLS | SIDE_BY_SIDE]
            expect(not plantable, f"{name} imports only known DLLs, not {plantable}")
    finally:
        shutil.rmtree(work, ignore_errors=True)
    return checks.result()


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:5]))
