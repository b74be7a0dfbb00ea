#!/usr/bin/env bash
# Installs the orvane package on this Debian 12 system with apt, checks that
# its programs work from any directory, removes it again and lists what it
# left behind. It changes the system it runs on: scripts/fresh-root-check.sh
# package runs it as root in a fresh root made for the purpose.
#
# Usage: scripts/check-installed-package.sh DEB [SIM_BYTES] [DISPLAY_NUMBER]
#
#   DEB             the package, orvane_VERSION_amd64.deb
#   SIM_BYTES       what the build's own orvane-sim printed for
#                   --steps 600 --every 100 --input roll-with-arrows.txt;
#                   the installed one must print the same bytes
#   DISPLAY_NUMBER  a free X display number for the window's check (99)
#
# Exit status 0 when every check passed.
set -uo pipefail
DEB=$(realpath "$1")
SIM_BYTES=${2:+$(realpath "$2")}
DISPLAY_NUMBER=${3:-99}
failures=0
work=$(mktemp -d)
export DEBIAN_FRONTEND=noninteractive

say() { echo "package-check: $*"; }
check() {  # check WHAT COMMAND...
  local what=$1; shift
  if "$@" >"$work/check.log" 2>&1; then
    say "ok      $what"
  else
    say "FAILED  $what"
    sed 's/^/          /' "$work/check.log" | tail -15
    failures=$((failures + 1))
  fi
}
packages() { dpkg-query -W -f='${db:Status-Status} ${binary:Package}\n' | awk '$1 == "installed" { print $2 }' | sort; }
# Every file and folder of the system, but the kernel's, the caches, the logs
# and the scratch places.
files() {
  find / -xdev \( -path /proc -o -path /sys -o -path /dev -o -path /run -o -path /tmp -o -path /var/tmp \
    -o -path /var/cache -o -path /var/log -o -path /var/lib/apt/lists -o -path /root \) -prune -o -print | sort
}

packages >"$work/packages-before"
files >"$work/files-before"
apt-get update -qq || { say "apt-get update failed"; exit 1; }

# --- installing: apt finds what the package depends on
if ! apt-get install -y -qq "$DEB" >"$work/install.log" 2>&1; then
  tail -20 "$work/install.log"
  say "FAILED  apt-get install $DEB"
  exit 1
fi
packages >"$work/packages-installed"
say "installed $(basename "$DEB"): apt added $(comm -13 "$work/packages-before" "$work/packages-installed" | wc -l) packages"
dpkg -L orvane | sort >"$work/package-files"

# --- the programs, from a folder that has nothing of theirs
cd "$work" || exit 1
mkdir elsewhere && cd elsewhere || exit 1
check "orvane --help lists the options and controls" \
  sh -c 'orvane --help >help.txt && grep -q -- "--rate HZ" help.txt && grep -q "grab the ball" help.txt'
for program in orvane orvane-sim orvane-capture; do
  check "$program --version" sh -c "$program --version | grep -Eq '^$program [0-9]+\\.[0-9]+\\.[0-9]+'"
done
check "orvane-sim replays an installed example script" sh -c \
  'orvane-sim --steps 600 --every 100 --input /usr/share/orvane/examples/roll-with-arrows.txt >sim.txt &&
   [ "$(wc -l <sim.txt)" -eq 7 ]'
if [ -n "$SIM_BYTES" ]; then
  check "... to the bytes the build's orvane-sim printed" cmp sim.txt "$SIM_BYTES"
fi
check "the manual pages are there" sh -c \
  'zcat /usr/share/man/man6/orvane.6.gz | grep -q "^.TH ORVANE 6" &&
   zcat /usr/share/man/man1/orvane-sim.1.gz | grep -q "^.TH ORVANE\\\\-SIM 1" &&
   zcat /usr/share/man/man1/orvane-capture.1.gz | grep -q "^.TH ORVANE\\\\-CAPTURE 1"'
check "the menu entry, the icons and the metadata are there" sh -c \
  'test -s /usr/share/applications/org.orvane.orvane.desktop &&
   test -s /usr/share/icons/hicolor/48x48/apps/org.orvane.orvane.png &&
   test -s /usr/share/metainfo/org.orvane.orvane.metainfo.xml'

# The window needs an X server: Xvfb, added now so that it cannot have
# brought anything the package itself lacked.
if apt-get install -y -qq --no-install-recommends xvfb xauth >"$work/xvfb.log" 2>&1; then
  check "orvane shows its window under Xvfb, with the installed pictures, until stopped" sh -c \
    "xvfb-run -n $DISPLAY_NUMBER -s '-screen 0 1024x768x24' timeout 5 orvane >window.txt 2>&1;
     status=\$?; cat window.txt; [ \$status -eq 124 ] && [ \"\$(wc -l <window.txt)\" -eq 3 ] &&
     grep -qx 'Programmed by:' window.txt"
  check "orvane-capture draws a frame on its own Xvfb" sh -c \
    'env -u DISPLAY orvane-capture --frames 30 --input /usr/share/orvane/examples/roll-with-arrows.txt --out shots &&
     [ "$(stat -c %s shots/frame_00030.png)" -gt 100000 ]'
  # A copy of the program away from its prefix finds no pictures and says
  # where it looked.
  mkdir -p lone/bin && cp /usr/bin/orvane-capture lone/bin/
  check "without pictures anywhere, the message names the places looked in" sh -c \
    "env -u DISPLAY lone/bin/orvane-capture --frames 1 --out lone 2>err.txt; cat err.txt;
     grep -q 'no pictures found in pics (the working directory.s) or $work/elsewhere/lone/share/orvane/pics (installed)' err.txt"
else
  tail -5 "$work/xvfb.log"
  say "FAILED  installing xvfb for the window's checks"
  failures=$((failures + 1))
fi

# --- removing: the package, then what was installed for it or for the checks
cd / || exit 1
apt-get purge -y -qq orvane >"$work/remove.log" 2>&1 || { tail -5 "$work/remove.log"; failures=$((failures + 1)); }
apt-get purge -y -qq xvfb xauth >>"$work/remove.log" 2>&1
apt-get autoremove --purge -y -qq >>"$work/remove.log" 2>&1
files_left() {
  local path
  while read -r path; do
    if [ -e "$path" ] && [ ! -d "$path" ]; then echo "left: $path"; fi
  done <"$work/package-files"
}
files_left >"$work/package-left"
check "no file of the package is left" sh -c "cat '$work/package-left'; test ! -s '$work/package-left'"
packages >"$work/packages-after"
check "the same packages as before" diff "$work/packages-before" "$work/packages-after"
files >"$work/files-after"
comm -13 "$work/files-before" "$work/files-after" >"$work/left"
say "left behind ($(wc -l <"$work/left") new paths outside caches, logs and scratch folders):"
sed 's/^/          /' "$work/left"
check "nothing of orvane is left" sh -c "! grep -i orvane '$work/left'"

rm -rf "$work"
if [ $failures -eq 0 ]; then say "every check passed"; else say "$failures checks FAILED"; fi
[ $failures -eq 0 ]
