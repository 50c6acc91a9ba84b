#!/usr/bin/env bash
# Installs the Debian 12 packages that building and testing need, if any are
# missing. "native" is enough to build and run the Linux program; "all" adds
# the Windows cross build, Wine and the sanitizer/fuzzer toolchain.
set -euo pipefail

what=${1:-all}
native=(build-essential cmake googletest libgtest-dev libgmock-dev)
# Both Windows builds and both Wines: the 32-bit product and its 64-bit twin,
# for machines whose kernel runs no 32-bit code; there qemu-user runs the
# 32-bit Pellomar.exe once.
all=("${native[@]}" python3 file clang libclang-rt-14-dev
     g++-mingw-w64-i686 binutils-mingw-w64-i686
     g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64
     wine wine32:i386 wine64 xvfb xauth icoutils qemu-user-static)
case "$what" in
  native) wanted=("${native[@]}") ;;
  all) wanted=("${all[@]}") ;;
  bench) wanted=("${native[@]}" libbenchmark-dev hyperfine crudini git valgrind) ;;
  *) echo "usage: $0 [native|all|bench]" >&2; exit 2 ;;
esac

missing=()
for package in "${wanted[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [[ $status == "install ok installed" ]] || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "installing: ${missing[*]}" >&2
as_root=()
[[ $(id -u) -eq 0 ]] || as_root=(sudo)
if printf '%s\n' "${missing[@]}" | grep -q ':i386$' &&
   ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${as_root[@]}" dpkg --add-architecture i386
fi
"${as_root[@]}" apt-get update -qq
# With recommended packages: Wine needs the i386 libraries it recommends to
# run headless programs as it does on a desktop. Not so qemu-user-static: its
# recommended binfmt-support would register handlers for every foreign
# architecture for good; the test run registers the one it needs, for the
# time it needs it.
plain=() bare=()
for package in "${missing[@]}"; do
  if [[ $package == qemu-user-static ]]; then bare+=("$package"); else plain+=("$package"); fi
done
install=(env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq)
if [[ ${#plain[@]} -gt 0 ]]; then "${as_root[@]}" "${install[@]}" "${plain[@]}" >/dev/null; fi
if [[ ${#bare[@]} -gt 0 ]]; then
  "${as_root[@]}" "${install[@]}" --no-install-recommends "${bare[@]}" >/dev/null
fi
