#!/usr/bin/env python3
"""Checks the built Pellomar.exe as a file, with the tools a Windows packager
would use: file, objdump (the import table), wrestool and icotool.

Usage: check_executable.py CHECK [NAME=VALUE ...]

  kind      pellomar=EXE msgwatch=EXE machine=i386|x86-64
                                            a GUI program and a console one
  imports   pellomar=EXE objdump=OBJDUMP allowed=LIST
                                            bound by name, linked statically,
                                            nothing imported that LIST lacks
  listed    allowed=LIST cc=COMPILER        LIST's kernel32 and user32 functions
                                            are declared for Windows XP
  header    pellomar=EXE arch=ARCH          the oldest Windows the file claims
  size      pellomar=EXE                    no larger than MAX_SIZE
  version   pellomar=EXE printer=NAME       the version record, naming NAME
  icon      pellomar=EXE icon=ICO           the icon's three images, as drawn
"""

import os
import shutil
import struct
import subprocess
import sys
import tempfile

DEVICE_FUNCTIONS = ("WriteProfileStringA", "GetProfileStringA", "SendMessageA")
SYSTEM_LIBRARIES = {"kernel32.dll", "user32.dll", "msvcrt.dll"}

# The largest Pellomar.exe may be: it is pushed to many machines.
MAX_SIZE = 192 * 1024

# The oldest Windows each build starts on, as the PE header's minimum
# operating system and subsystem versions: XP SP3 (5.1); 64-bit Windows
# begins with XP x64 (5.2).
MINIMUM_WINDOWS = {"i686": (5, 1), "x86_64": (5, 2)}


class CheckFailed(Exception):
    pass


def expect(condition, message):
    if not condition:
        raise CheckFailed(message)


def tool(name, package):
    path = shutil.which(name)
    expect(path is not None, f"{name} is missing: install {package}")
    return path


def output_of(*command, binary=False):
    result = subprocess.run(command, capture_output=True, check=False)
    expect(result.returncode == 0,
           f"{' '.join(command)} failed: {result.stderr.decode(errors='replace')}")
    return result.stdout if binary else result.stdout.decode(errors="replace")


# --- kind -------------------------------------------------------------------

# What file(1) calls each machine's executables: (format, machine).
MACHINES = {"i386": ("PE32", "Intel 80386"), "x86-64": ("PE32+", "x86-64")}


def check_kind(pellomar, msgwatch, machine):
    expect(machine in MACHINES, f"unknown machine {machine!r}")
    form, name = MACHINES[machine]
    file = tool("file", "file")
    for program, subsystem in ((pellomar, "GUI"), (msgwatch, "console")):
        described = output_of(file, "-b", program)
        wanted = f"{form} executable ({subsystem}) {name}"
        expect(described.startswith((wanted + ",", wanted + " ")),
               f"{program} is not a {subsystem} program for {name}: {described}")


# --- imports ----------------------------------------------------------------

def imported_functions(objdump, program):
    """{library (lower case): set of function names} from objdump -p."""
    imports, library = {}, None
    for line in output_of(objdump, "-p", program).splitlines():
        stripped = line.strip()
        words = stripped.split()
        if stripped.startswith("DLL Name:"):
            library = words[-1].lower()
            imports.setdefault(library, set())
        elif library is not None:
            if len(words) == 3 and words[1].isdigit():  # "vma hint name"
                imports[library].add(words[2])
            elif stripped and not stripped.startswith("vma:"):
                library = None  # past the library's list
    return imports


def check_imports(pellomar, objdump, allowed):
    imports = imported_functions(objdump, pellomar)
    expect(imports, "objdump shows no import table")
    everything = set().union(*imports.values())
    for name in DEVICE_FUNCTIONS:
        expect(name not in everything,
               f"{name} is in the import table; it must be bound by name")
    # Bound at run time instead: the names are in the file, and the functions
    # that bind them are imported.
    contents = open(pellomar, "rb").read()
    for name in DEVICE_FUNCTIONS:
        expect(name.encode() + b"\0" in contents,
               f"{name} does not appear in the program as a name to bind")
    for name in ("LoadLibraryA", "GetProcAddress"):
        expect(name in imports.get("kernel32.dll", set()),
               f"{name} is not imported from kernel32")
    # Linked statically: nothing beyond what every Windows has.
    extra = set(imports) - SYSTEM_LIBRARIES
    expect(not extra, f"needs libraries that Windows lacks: {sorted(extra)}")
    # And only functions that the oldest Windows it runs on has: a new one
    # goes on the list on purpose, once checked.
    listed = allowed_imports(allowed)
    unlisted = sorted(f"{library} {name}" for library, names in imports.items()
                      for name in names if name not in listed.get(library, set()))
    expect(not unlisted,
           f"imports not on {os.path.basename(allowed)}: {', '.join(unlisted)}")


def allowed_imports(path):
    """{library: set of function names} from a list of "library function"
    lines; # starts a comment."""
    allowed = {}
    with open(path, encoding="utf-8") as lines:
        for number, line in enumerate(lines, 1):
            words = line.split("#", 1)[0].split()
            if not words:
                continue
            expect(len(words) == 2,
                   f"{path}:{number}: not \"library function\": {line.strip()}")
            allowed.setdefault(words[0].lower(), set()).add(words[1])
    return allowed


# --- listed -----------------------------------------------------------------

def check_listed(allowed, cc):
    """Compiles a reference to each kernel32 and user32 function of the list
    against the Windows headers set to Windows XP, which declare the
    functions of later versions only for those versions."""
    listed = allowed_imports(allowed)
    names = sorted(listed.get("kernel32.dll", set()) | listed.get("user32.dll", set()))
    expect(names, f"{allowed} lists no kernel32 or user32 function")
    source = ("#define _WIN32_WINNT 0x0501\n#define WINVER 0x0501\n"
              "#include <windows.h>\n"
              "const void *const referenced[] = {\n" +
              "".join(f"  (const void *)&{name},\n" for name in names) + "};\n")
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "listed.c")
        with open(path, "w", encoding="utf-8") as out:
            out.write(source)
        result = subprocess.run(
            [cc, "-std=c11", "-Werror=implicit-function-declaration", "-c", path,
             "-o", os.path.join(folder, "listed.o")],
            capture_output=True, check=False)
    expect(result.returncode == 0,
           "functions on the list that Windows XP does not declare:\n" +
           result.stderr.decode(errors="replace"))


# --- header -----------------------------------------------------------------

def check_header(pellomar, arch):
    expect(arch in MINIMUM_WINDOWS, f"no minimum Windows known for {arch}")
    data = open(pellomar, "rb").read()
    expect(data[:2] == b"MZ", "not an MZ executable")
    (pe_offset,) = struct.unpack_from("<I", data, 0x3C)
    expect(data[pe_offset:pe_offset + 4] == b"PE\0\0", "no PE signature")
    optional = pe_offset + 4 + 20  # past the signature and the COFF header
    # The same offsets in PE32 and PE32+ headers.
    major_os, minor_os = struct.unpack_from("<HH", data, optional + 40)
    major_subsystem, minor_subsystem = struct.unpack_from("<HH", data, optional + 48)
    wanted = MINIMUM_WINDOWS[arch]
    expect((major_os, minor_os) == wanted,
           f"minimum operating system version {major_os}.{minor_os}, "
           f"not {wanted[0]}.{wanted[1]}")
    expect((major_subsystem, minor_subsystem) == wanted,
           f"minimum subsystem version {major_subsystem}.{minor_subsystem}, "
           f"not {wanted[0]}.{wanted[1]}")


# --- size -------------------------------------------------------------------

def check_size(pellomar):
    size = os.path.getsize(pellomar)
    expect(size <= MAX_SIZE, f"Pellomar.exe has {size} bytes, more than {MAX_SIZE}")


# --- version ----------------------------------------------------------------

def parse_block(data, offset):
    """One node of a version resource: (key, value bytes, is text, children, end)."""
    length, value_length, kind = struct.unpack_from("<HHH", data, offset)
    end = offset + length
    position = offset + 6
    key_end = position
    while data[key_end:key_end + 2] != b"\0\0":
        key_end += 2
    key = data[position:key_end].decode("utf-16-le")
    position = (key_end + 2 + 3) & ~3
    is_text = kind == 1
    size = value_length * 2 if is_text else value_length
    value = data[position:position + size]
    position = (position + size + 3) & ~3
    children = []
    while position < end:
        child = parse_block(data, position)
        children.append(child)
        position = (child[4] + 3) & ~3
    return key, value, is_text, children, end


def text_of(value):
    return value.decode("utf-16-le").split("\0")[0]


def check_version(pellomar, printer):
    wrestool = tool("wrestool", "icoutils")
    data = output_of(wrestool, "-x", "--raw", "--type=16", pellomar, binary=True)
    expect(data, "Pellomar.exe has no version record")
    key, fixed, _, children, _ = parse_block(data, 0)
    expect(key == "VS_VERSION_INFO", f"version record named {key!r}")

    fields = struct.unpack_from("<13I", fixed)
    expect(fields[0] == 0xFEEF04BD, "no fixed file information")
    file_version = (fields[2] >> 16, fields[2] & 0xFFFF, fields[3] >> 16, fields[3] & 0xFFFF)
    product_version = (fields[4] >> 16, fields[4] & 0xFFFF, fields[5] >> 16, fields[5] & 0xFFFF)
    expect(file_version == (1, 0, 0, 0), f"FILEVERSION {file_version}")
    expect(product_version == (1, 0, 0, 0), f"PRODUCTVERSION {product_version}")
    expect(fields[7] == 0, f"file flags {fields[7]:#x}: not a plain release")
    expect(fields[8] == 0x4, f"FILEOS {fields[8]:#x}, not VOS__WINDOWS32")
    expect(fields[9] == 0x1, f"FILETYPE {fields[9]:#x}, not VFT_APP")

    blocks = {child[0]: child for child in children}
    expect(set(blocks) == {"StringFileInfo", "VarFileInfo"},
           f"version record holds {sorted(blocks)}")
    tables = blocks["StringFileInfo"][3]
    expect([table[0].upper() for table in tables] == ["040904B0"],
           f"string tables {[table[0] for table in tables]}, not one 040904B0")
    strings = {entry[0]: text_of(entry[1]) for entry in tables[0][3]}
    wanted = {
        "CompanyName": "Pellomar Developers",
        "FileVersion": "1.00",
        "ProductVersion": "1.00",
        "ProductName": "Pellomar",
        "InternalName": "Pellomar",
        "OriginalFilename": "Pellomar.exe",
        "FileDescription": f"Makes {printer} the default printer",
    }
    for name, value in wanted.items():
        expect(strings.get(name) == value,
               f"{name} is {strings.get(name)!r}, not {value!r}")

    variables = {child[0]: child[1] for child in blocks["VarFileInfo"][3]}
    expect("Translation" in variables, "VarFileInfo has no Translation")
    translation = struct.unpack("<" + "H" * (len(variables["Translation"]) // 2),
                                variables["Translation"])
    expect(translation == (0x0409, 1200),
           f"Translation {translation}, not 0x0409, 1200")


# --- icon -------------------------------------------------------------------

def icon_images(data):
    """[(width, height, bits, image bytes)] of an .ico file."""
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    expect(reserved == 0 and kind == 1, "not an icon file")
    images = []
    for index in range(count):
        width, height, _, _, _, bits, size, offset = struct.unpack_from(
            "<BBBBHHII", data, 6 + 16 * index)
        images.append((width or 256, height or 256, bits,
                       data[offset:offset + size]))
    return images


def check_icon(pellomar, icon):
    wrestool = tool("wrestool", "icoutils")
    icotool = tool("icotool", "icoutils")
    extracted = output_of(wrestool, "-x", "--type=14", pellomar, binary=True)
    expect(extracted, "Pellomar.exe has no icon")

    # icotool's view of the icon the program carries.
    listing = subprocess.run([icotool, "-l", "-"], input=extracted,
                             capture_output=True, check=False)
    expect(listing.returncode == 0, f"icotool cannot read the icon: {listing.stderr}")
    described = sorted(
        tuple(int(word.split("=")[1]) for word in line.split()
              if word.split("=")[0] in ("--width", "--height", "--bit-depth",
                                        "--palette-size"))
        for line in listing.stdout.decode().splitlines())
    expect(described == sorted([(32, 32, 1, 2), (32, 32, 4, 16), (16, 16, 4, 16)]),
           f"icon images (width, height, bits, colours): {described}")

    # And the pixels are the pictures drawn in res/icon.
    carried = icon_images(extracted)
    drawn = icon_images(open(icon, "rb").read())
    expect(sorted(carried) == sorted(drawn),
           "the icon in Pellomar.exe is not the one drawn in res/icon")


CHECKS = {
    "kind": (check_kind, ("pellomar", "msgwatch", "machine")),
    "imports": (check_imports, ("pellomar", "objdump", "allowed")),
    "listed": (check_listed, ("allowed", "cc")),
    "header": (check_header, ("pellomar", "arch")),
    "size": (check_size, ("pellomar",)),
    "version": (check_version, ("pellomar", "printer")),
    "icon": (check_icon, ("pellomar", "icon")),
}


def main(arguments):
    if not arguments or arguments[0] not in CHECKS:
        print(__doc__, file=sys.stderr)
        return 2
    check, names = CHECKS[arguments[0]]
    given = dict(argument.split("=", 1) for argument in arguments[1:])
    if set(given) != set(names):
        print(__doc__, file=sys.stderr)
        return 2
    try:
        check(*(given[name] for name in names))
    except CheckFailed as failure:
        print(f"FAIL: {failure}", file=sys.stderr)
        return 1
    print(f"PASS: {arguments[0]}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
