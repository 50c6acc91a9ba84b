#!/usr/bin/env python3
"""Builds everything and runs every test this machine can run, then prints
what ran: one line per workflow and a total. Exits non-zero if anything
failed. Called by tools/test-all.sh once the packages are installed.

What runs depends on whether the kernel runs 32-bit x86 code (or on
PELLOMAR_NO_32_BIT=1, which makes any machine take the path of one that
does not):
- it does: the 32-bit build's tests under 32-bit Wine, and the 64-bit
  twin's under 64-bit Wine;
- it does not: the 64-bit twin's tests under 64-bit Wine, the checks of the
  32-bit files that run nothing of them, and one run of the real 32-bit
  Pellomar.exe under i386 emulation (qemu-user through binfmt_misc).
"""

import os
import re
import subprocess
import sys
import time
from dataclasses import dataclass
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
FORCE_NO_32_BIT = "PELLOMAR_NO_32_BIT"

# --- what the machine runs -------------------------------------------------

BINFMT = Path("/proc/sys/fs/binfmt_misc")
HANDLER_NAME = "pellomar-i386"
QEMU_I386 = Path("/usr/bin/qemu-i386-static")
# A 32-bit i386 loader: any 32-bit program tells whether 32-bit code runs.
I386_PROGRAM = Path("/lib/ld-linux.so.2")
# i386 ELF executables and shared objects (e_ident, then e_type 2 or 3 and
# e_machine 3), as Debian's own qemu-i386 entry matches them.
I386_MAGIC = (b"\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00"
              b"\x02\x00\x03\x00")
I386_MASK = (b"\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff"
             b"\xfe\xff\xff\xff")


def runs_i386():
    """(True, '') if an i386 program starts, else (False, why not)."""
    if not I386_PROGRAM.exists():
        return False, f"{I386_PROGRAM} is missing (package libc6:i386)"
    try:
        subprocess.run([str(I386_PROGRAM), "--help"], capture_output=True,
                       timeout=120, check=True)
    except OSError as error:
        return False, error.strerror
    except subprocess.SubprocessError as error:
        return False, str(error)
    return True, ""


def i386_handlers():
    """Names of the enabled binfmt_misc entries that take i386 programs."""
    names = []
    if not (BINFMT / "status").exists():
        return names
    for entry in BINFMT.iterdir():
        if entry.name in ("register", "status"):
            continue
        try:
            lines = entry.read_text().splitlines()
        except OSError:
            continue
        fields = dict(line.split(" ", 1) for line in lines if " " in line)
        magic = bytes.fromhex(fields.get("magic", ""))
        if ("enabled" in lines and len(magic) >= 20 and magic[4] == 1
                and magic[18:20] == b"\x03\x00"):
            names.append(entry.name)
    return names


class I386Emulation:
    """qemu-i386 registered for i386 programs while the block runs, unless a
    handler is there already; only the entry it made is removed, and
    binfmt_misc is unmounted again if it mounted it."""

    def __init__(self):
        self.registered = False
        self.mounted = False
        self.why_not = ""

    def __enter__(self):
        try:
            self._set_up()
        except OSError as error:
            self.why_not = f"{self.why_not or 'binfmt_misc'}: {error.strerror or error}"
            self._tear_down()
        return self

    def _set_up(self):
        if not QEMU_I386.exists():
            self.why_not = f"{QEMU_I386} is missing (package qemu-user-static)"
            return
        if not (BINFMT / "register").exists():
            if os.geteuid() != 0:
                self.why_not = "binfmt_misc is not mounted, and mounting it needs root"
                return
            self.why_not = "mounting binfmt_misc"
            subprocess.run(["mount", "-t", "binfmt_misc", "binfmt_misc", str(BINFMT)],
                           check=True, capture_output=True)
            self.mounted = True
        if not i386_handlers():
            self.why_not = "registering qemu-i386 in binfmt_misc"
            line = (b":" + HANDLER_NAME.encode() + b":M::" + escape(I386_MAGIC) + b":"
                    + escape(I386_MASK) + b":" + bytes(QEMU_I386) + b":F")
            with open(BINFMT / "register", "wb") as register:
                register.write(line)
            self.registered = True
        works, why = runs_i386()
        self.why_not = "" if works else f"i386 programs still do not start: {why}"

    def _tear_down(self):
        if self.registered:
            try:
                (BINFMT / HANDLER_NAME).write_text("-1")
            except OSError as error:
                print(f"cannot remove the {HANDLER_NAME} handler: {error}", file=sys.stderr)
            self.registered = False
        if self.mounted:
            subprocess.run(["umount", str(BINFMT)], check=False)
            self.mounted = False

    def __exit__(self, *exception):
        self._tear_down()


def escape(data):
    return b"".join(b"\\x%02x" % byte for byte in data)


def remove_stale_handler():
    """An entry of our own name is the leftover of an interrupted run."""
    stale = BINFMT / HANDLER_NAME
    if stale.exists():
        try:
            stale.write_text("-1")
        except OSError:
            pass


def kernel_runs_32_bit():
    """(whether the Windows tests run on the 32-bit build, the line saying so)."""
    if os.environ.get(FORCE_NO_32_BIT) == "1":
        return False, (f"{FORCE_NO_32_BIT}=1: taken as a machine that runs no 32-bit "
                       "code: the Windows tests run on the 64-bit build; "
                       "Pellomar.exe itself runs once under i386 emulation")
    remove_stale_handler()
    works, why = runs_i386()
    handlers = i386_handlers() if works else []
    if handlers:
        return False, ("32-bit programs start only through a binfmt_misc handler "
                       f"({', '.join(handlers)}): the Windows tests run on the "
                       "64-bit build; Pellomar.exe itself runs once through it")
    if works:
        return True, ("this kernel runs 32-bit code: the Windows tests run on the "
                      "32-bit build under 32-bit Wine and on its 64-bit twin under "
                      "64-bit Wine")
    return False, (f"this kernel runs no 32-bit code ({why}): the Windows tests run "
                   "on the 64-bit build; Pellomar.exe itself runs once under i386 "
                   "emulation")


# --- running a step and reading ctest's verdicts ---------------------------

VERDICT = re.compile(r"^\s*\d+/\d+ Test\s+#\d+: .*? \.+\s*(?:\*+)?([A-Za-z][A-Za-z ]*?)\s+[\d.]+ sec")


@dataclass
class Result:
    name: str
    what: str
    passed: int = 0
    failed: int = 0
    skipped: int = 0
    seconds: float = 0.0
    ok: bool = True
    note: str = ""
    ran: bool = True
    last_error: str = "no message"


def run_step(result, command, environment=None):
    """Runs one command, passing its output on and counting ctest verdicts."""
    started = time.monotonic()
    process = subprocess.Popen(command, cwd=ROOT, stdout=subprocess.PIPE,
                               stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL,
                               env={**os.environ, **(environment or {})})
    for raw in process.stdout:
        line = raw.decode(errors="replace")
        sys.stdout.write(line)
        sys.stdout.flush()
        # ctest's verbose output puts the test's number before its lines.
        said = re.sub(r"^\d+: ", "", line).strip()
        if said.startswith(("wine: ", "err:")):
            result.last_error = said
        match = VERDICT.match(line)
        if match:
            verdict = match.group(1)
            if verdict == "Passed":
                result.passed += 1
            elif verdict == "Skipped":
                result.skipped += 1
            else:
                result.failed += 1
    status = process.wait()
    result.seconds += time.monotonic() - started
    if status != 0:
        result.ok = False
        if result.failed == 0:
            result.note = f"{' '.join(command[:3])} exited {status}"
    return status == 0


def workflow(name, what):
    result = Result(name, what)
    print(f"=== {name}: {what} ===", flush=True)
    run_step(result, ["cmake", "--workflow", "--preset", name])
    return result


def emulated_run(built):
    result = Result("win32-alone", "the real 32-bit Pellomar.exe run once under i386 emulation")
    print(f"=== {result.name}: {result.what} ===", flush=True)
    if not built:
        result.ok, result.ran = False, False
        result.note = "not run: the 32-bit build failed"
        return result
    with I386Emulation() as emulation:
        if emulation.why_not:
            result.ran = False
            result.note = f"the 32-bit Pellomar.exe was not run: {emulation.why_not}"
            print(result.note, flush=True)
            return result
        # With qemu's default guest address space, Wine's 32-bit loader finds
        # the page it keeps for the system's shared data already taken and
        # stops ("failed to map the shared user data"); a guest space that
        # ends below 4 GiB leaves it free.
        run_step(result, ["ctest", "--preset", "win32-alone"],
                 environment={"QEMU_RESERVED_VA": "0xc0000000",
                              "PELLOMAR_WINE_BOOT_FAILURE_SKIPS": "1"})
        if result.skipped and not (result.passed or result.failed):
            result.ran = False
            result.note = ("the 32-bit Pellomar.exe was not run: Wine could not boot "
                           "a 32-bit prefix under qemu-i386 (" + result.last_error + ")")
    return result


# --- the plan and the summary ----------------------------------------------

def main():
    runs_32_bit, reason = kernel_runs_32_bit()
    print(reason, flush=True)
    results = [workflow("native", "the Linux build and its tests")]
    if runs_32_bit:
        results.append(workflow("win32", "Pellomar.exe and the tests under 32-bit Wine"))
    results.append(workflow("win64", "the 64-bit twin and its tests under 64-bit Wine"))
    if not runs_32_bit:
        results.append(workflow("win32-file", "the 32-bit files checked without running them"))
        # Its build is there even when a check failed.
        results.append(emulated_run((ROOT / "build/win32/Pellomar.exe").exists()))
    results.append(workflow("sanitize", "the Linux suite under ASan and UBSan"))
    results.append(workflow("fuzz", "the fuzz harnesses, 30 s each"))

    print("\n=== summary ===")
    print(reason)
    for result in results:
        state = ("passed" if result.ok else "FAILED") if result.ran else "not run"
        counts = f"{result.passed} passed, {result.failed} failed, {result.skipped} skipped"
        print(f"{result.name:<12} {state:<8} {counts:<36} {result.seconds:6.0f} s"
              + (f"  ({result.note})" if result.note else ""))
    totals = [sum(getattr(r, key) for r in results) for key in ("passed", "failed", "skipped")]
    print("total: %d passed, %d failed, %d skipped" % tuple(totals))
    return 0 if all(result.ok for result in results) else 1


if __name__ == "__main__":
    sys.exit(main())
