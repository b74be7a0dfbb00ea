#!/usr/bin/env bash
# Checks one of the README's two set-up commands the way a new user meets
# it, or the Debian package the way a new user installs it: in a fresh,
# minimal Debian 12 (bookworm) root with only git and ca-certificates added,
# on a clone of the committed work.
#
# Usage: scripts/fresh-root-check.sh [OPTIONS] play|test|package
#
#   play   runs `bash scripts/play.sh`. The root has no X server, so the
#          game cannot open its window: the check passes when the build
#          succeeded and the started program stopped only because freeglut
#          "failed to open display" (DISPLAY points at a display that does
#          not exist; nothing is installed for it).
#   test   runs `bash .ci/run` (scripts/test.sh) as CI does, with CI=true
#          and no standard input: passes when it exits 0.
#   package  builds the .deb on this machine (scripts/package.sh in a clone
#          beside the roots), installs it in the root with apt, runs the
#          programs from another folder (--help, --version, orvane-sim on an
#          installed example to the bytes the build's orvane-sim prints, the
#          window and orvane-capture under Xvfb, the message when no pictures
#          are found), removes it and lists what is left
#          (scripts/check-installed-package.sh): passes when every check did.
#
# Options:
#   --repo PATH        repository to clone (default: the one this script is in;
#                      only committed work is tested)
#   --ref REF          commit or branch to check out after cloning
#                      (default: the repository's HEAD)
#   --roots DIR        where the roots and logs go (default /work/debroots)
#   --keep             leave the root in place afterwards (default: removed)
#   --mirror URL       Debian mirror (default http://deb.debian.org/debian)
#   --security URL     security mirror (default http://deb.debian.org/debian-security)
#   --no-updates       only the bookworm suite, no bookworm-updates and
#                      bookworm-security, and no upgrade before the check
#   --timeout SECONDS  limit for the README command or the package's checks
#                      (default 1800 for play and package, 5400 for test:
#                      CI's own limit)
#   -h, --help         this text
#
# Each run makes its own root, so the package counts of the two modes are
# independent. Prints the commit tested, how many packages debootstrap put in
# the root, how many the README command installed, its wall time and PASS or
# FAIL; the logs and the list of installed packages stay in ROOTS/logs/.
# Needs root (debootstrap, mount, chroot); installs debootstrap if missing.
set -euo pipefail

SCRIPT_DIR=$(cd "$(dirname "$0")" && pwd)
SUITE=bookworm
REPO=""
REF=""
ROOTS=/work/debroots
KEEP=0
MIRROR=http://deb.debian.org/debian
SECURITY_MIRROR=http://deb.debian.org/debian-security
UPDATES=1
TIMEOUT=""
MODE=""

usage() { sed -n '2,/^set -euo/{/^set -euo/d;s/^# \{0,1\}//;p}' "$0"; }
die() { echo "fresh-root-check: $*" >&2; exit 2; }
say() { echo "fresh-root-check: $*"; }

while [ $# -gt 0 ]; do
  case "$1" in
    -h|--help) usage; exit 0 ;;
    --repo) [ $# -ge 2 ] || die "--repo needs a path"; REPO=$2; shift 2 ;;
    --ref) [ $# -ge 2 ] || die "--ref needs a commit or branch"; REF=$2; shift 2 ;;
    --roots) [ $# -ge 2 ] || die "--roots needs a directory"; ROOTS=$2; shift 2 ;;
    --keep) KEEP=1; shift ;;
    --mirror) [ $# -ge 2 ] || die "--mirror needs a URL"; MIRROR=$2; shift 2 ;;
    --security) [ $# -ge 2 ] || die "--security needs a URL"; SECURITY_MIRROR=$2; shift 2 ;;
    --no-updates) UPDATES=0; shift ;;
    --timeout)
      [ $# -ge 2 ] || die "--timeout needs a number of seconds"
      [[ $2 =~ ^[1-9][0-9]*$ ]] || die "--timeout: \"$2\" is not a positive whole number of seconds"
      TIMEOUT=$2; shift 2 ;;
    play|test|package)
      [ -z "$MODE" ] || die "one mode only (play, test or package), got \"$MODE\" and \"$1\""
      MODE=$1; shift ;;
    *) die "unknown argument \"$1\" (see --help)" ;;
  esac
done
[ -n "$MODE" ] || die "which check: play, test or package? (see --help)"
[ "$(id -u)" -eq 0 ] || die "needs root for debootstrap, mount and chroot"
if [ -z "$TIMEOUT" ]; then
  if [ "$MODE" = test ]; then TIMEOUT=5400; else TIMEOUT=1800; fi
fi

[ -n "$REPO" ] || REPO=$SCRIPT_DIR/..
top=$(git -C "$REPO" rev-parse --show-toplevel 2>/dev/null) || die "not a git repository: $REPO"
REPO=$top
for tool in git chroot mount umount timeout dpkg-query; do
  command -v "$tool" >/dev/null || die "missing tool: $tool"
done
if ! command -v debootstrap >/dev/null; then
  say "installing debootstrap"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq debootstrap >/dev/null
fi

mkdir -p "$ROOTS/logs"
ROOTS=$(cd "$ROOTS" && pwd)
case "$ROOTS/" in
  "$REPO"/*) die "the roots must lie outside the repository ($ROOTS is inside $REPO)" ;;
esac
NAME=$MODE-$(date +%Y%m%d-%H%M%S)-$$
ROOT=$ROOTS/$NAME
LOG=$ROOTS/logs/$NAME
SOURCE=$ROOTS/$NAME-source  # package: the clone the .deb is built in
mkdir "$ROOT"

# --- cleanup: whatever happens, nothing of the root stays mounted or running
MOUNTED=()
mounts_under_root() {
  awk -v root="$ROOT" '$5 == root || index($5, root "/") == 1 { print $5 }' /proc/self/mountinfo
}
stop_root_processes() {
  # Processes left behind inside the root (an X server, a gpg agent) keep
  # its mounts busy; only those whose root directory is this root are ended.
  local signal pid
  for signal in TERM KILL; do
    local found=0
    for pid in /proc/[0-9]*; do
      pid=${pid#/proc/}
      [ "$(readlink "/proc/$pid/root" 2>/dev/null)" = "$ROOT" ] || continue
      found=1
      kill -"$signal" "$pid" 2>/dev/null || true
    done
    [ $found -eq 1 ] || return 0
    sleep 2
  done
}
cleanup() {
  local status=$?
  trap - EXIT INT TERM
  stop_root_processes
  local i
  for (( i=${#MOUNTED[@]}-1; i>=0; i-- )); do
    umount "${MOUNTED[i]}" 2>/dev/null || umount -l "${MOUNTED[i]}" || true
  done
  # Anything else, such as a mount debootstrap left when it failed, deepest first.
  local m
  for m in $(mounts_under_root | sort -r); do umount -l "$m" || true; done
  local left
  left=$(mounts_under_root)
  if [ -n "$left" ]; then
    echo "fresh-root-check: still mounted, root NOT removed: $left" >&2
  elif [ $KEEP -eq 1 ]; then
    say "root kept at $ROOT"
  else
    rm -rf --one-file-system "$ROOT"
  fi
  if [ -d "$SOURCE" ]; then
    if [ $KEEP -eq 1 ]; then say "package build kept at $SOURCE"; else rm -rf --one-file-system "$SOURCE"; fi
  fi
  exit $status
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

mount_in_root() {  # mount_in_root TARGET MOUNT-ARGS...
  local target=$ROOT/$1; shift
  mkdir -p "$target"
  mount "$@" "$target"
  MOUNTED+=("$target")
}

# A root login's environment and nothing of this shell's.
LOGIN_ENV=(HOME=/root USER=root LOGNAME=root SHELL=/bin/bash TERM=dumb LANG=C.UTF-8
           PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin)
in_root() { chroot "$ROOT" /usr/bin/env -i "${LOGIN_ENV[@]}" "$@"; }

installed_packages() {
  dpkg-query --admindir="$ROOT/var/lib/dpkg" -W -f='${db:Status-Status} ${binary:Package}\n' |
    awk '$1 == "installed" { print $2 }' | sort
}

display_in_use() {  # a unix socket or a listening TCP port for display :$1
  grep -q "/tmp/.X11-unix/X$1\$" /proc/net/unix && return 0
  local port
  port=$(printf '%04X' $((6000 + $1)))
  cat /proc/net/tcp /proc/net/tcp6 2>/dev/null |
    awk -v port="$port" '$2 ~ ":" port "$" && $4 == "0A" { found = 1 } END { exit !found }'
}

clock() { date +%s; }
span() { local s=$1; printf '%ds (%dm%02ds)' "$s" $((s / 60)) $((s % 60)); }

# --- package: the .deb, built here from a clone of the committed work, and
# what the build's own orvane-sim prints, for the installed one to match
if [ "$MODE" = package ]; then
  git clone --quiet --no-hardlinks "$REPO" "$SOURCE"
  [ -z "$REF" ] || git -C "$SOURCE" checkout --quiet --detach "$REF" ||
    die "no such commit or branch in the clone: $REF"
  say "building the package in $SOURCE"
  start=$(clock)
  if ! (cd "$SOURCE" && bash scripts/package.sh) >"$LOG.package.log" 2>&1; then
    tail -20 "$LOG.package.log" >&2
    die "building the package failed (log: $LOG.package.log)"
  fi
  package_seconds=$(( $(clock) - start ))
  DEB=$(ls "$SOURCE"/build-package/orvane_*.deb)
  "$SOURCE/build-package/orvane-sim" --steps 600 --every 100 \
    --input "$SOURCE/tools/sim/examples/roll-with-arrows.txt" >"$SOURCE/sim-bytes.txt"
  grep '^package: ' "$LOG.package.log"
fi

# --- the fresh root
say "making a fresh $SUITE root (minbase + git, ca-certificates) in $ROOT"
start=$(clock)
if ! debootstrap --variant=minbase --include=git,ca-certificates "$SUITE" "$ROOT" "$MIRROR" \
     >"$LOG.debootstrap.log" 2>&1; then
  tail -20 "$LOG.debootstrap.log" >&2
  die "debootstrap failed (log: $LOG.debootstrap.log)"
fi
debootstrap_seconds=$(( $(clock) - start ))
debootstrap_count=$(installed_packages | wc -l)

# What a fresh install's /etc/apt/sources.list holds.
{
  echo "deb $MIRROR $SUITE main"
  if [ $UPDATES -eq 1 ]; then
    echo "deb $MIRROR $SUITE-updates main"
    echo "deb $SECURITY_MIRROR $SUITE-security main"
  fi
} >"$ROOT/etc/apt/sources.list"
cp /etc/resolv.conf "$ROOT/etc/resolv.conf"

mount_in_root proc -t proc proc
mount_in_root sys -t sysfs sysfs
mount_in_root dev --bind /dev
mount --make-private "$ROOT/dev"
mount_in_root dev/pts --bind /dev/pts
mount_in_root dev/shm -t tmpfs -o mode=1777,nosuid,nodev shm

if [ $UPDATES -eq 1 ]; then
  say "bringing the root up to date from $SUITE-updates and $SUITE-security"
  if ! in_root DEBIAN_FRONTEND=noninteractive sh -c 'apt-get update -qq && apt-get -y -qq upgrade' \
       </dev/null >"$LOG.upgrade.log" 2>&1; then
    tail -20 "$LOG.upgrade.log" >&2
    die "bringing the root up to date failed (log: $LOG.upgrade.log)"
  fi
fi
installed_packages >"$LOG.packages-before.txt"
before_count=$(wc -l <"$LOG.packages-before.txt")

# --- the clone: only committed work (for package, the .deb and its checker)
if [ "$MODE" = package ]; then
  mkdir -p "$ROOT/root/orvane"
  cp "$DEB" "$SOURCE/sim-bytes.txt" "$SOURCE/scripts/check-installed-package.sh" "$ROOT/root/orvane/"
  commit=$(git -C "$SOURCE" log -1 --format='%H %s')
  say "built $(basename "$DEB") ($(du -k "$DEB" | cut -f1) KiB) from $REPO at $commit"
else
  git clone --quiet --no-hardlinks "$REPO" "$ROOT/root/orvane"
  [ -z "$REF" ] || git -C "$ROOT/root/orvane" checkout --quiet --detach "$REF" ||
    die "no such commit or branch in the clone: $REF"
  commit=$(git -C "$ROOT/root/orvane" log -1 --format='%H %s')
  say "cloned $REPO at $commit"
fi

# --- the README command
run_env=()
case "$MODE" in
  play)
    # A display number with no server behind it, on this machine's sockets
    # (the root shares the network, and so the abstract X sockets, with the host).
    n=77
    while display_in_use "$n"; do n=$((n + 1)); done
    run_env=(DISPLAY=":$n")
    command=(bash scripts/play.sh)
    say "running \`bash scripts/play.sh\` with DISPLAY=:$n (no X server there)" ;;
  test)
    run_env=(CI=true)
    # Where this machine reaches the internet through a proxy that signs with
    # its own certificate authority (the host's Node.js is told so), the root
    # trusts that authority too, as a new machine of this network would.
    if [ -n "${NODE_EXTRA_CA_CERTS:-}" ] && [ -r "$NODE_EXTRA_CA_CERTS" ]; then
      cp "$NODE_EXTRA_CA_CERTS" "$ROOT/root/network-ca.crt"
      run_env+=(NODE_EXTRA_CA_CERTS=/root/network-ca.crt)
    fi
    command=(bash .ci/run)
    say "running \`bash .ci/run\` (scripts/test.sh) with CI=true" ;;
  package)
    # The window's check starts an X server on a display number that is free
    # on this machine's sockets too.
    n=77
    while display_in_use "$n"; do n=$((n + 1)); done
    command=(bash check-installed-package.sh "$(basename "$DEB")" sim-bytes.txt "$n")
    say "installing, checking and removing the package in the root" ;;
esac

start=$(clock)
set +e
timeout --kill-after=30 "$TIMEOUT" chroot "$ROOT" /usr/bin/env -i "${LOGIN_ENV[@]}" "${run_env[@]}" \
    /bin/bash -c 'cd /root/orvane && exec "$@"' bash "${command[@]}" </dev/null 2>&1 | tee "$LOG.run.log"
status=${PIPESTATUS[0]}
set -e
run_seconds=$(( $(clock) - start ))

installed_packages >"$LOG.packages-after.txt"
comm -13 "$LOG.packages-before.txt" "$LOG.packages-after.txt" >"$LOG.packages-installed.txt"
installed_count=$(wc -l <"$LOG.packages-installed.txt")
removed_count=$(comm -23 "$LOG.packages-before.txt" "$LOG.packages-after.txt" | wc -l)

# --- the verdict
verdict=FAIL
reason=""
if [ "$status" -eq 124 ] || [ "$status" -eq 137 ]; then
  reason="timed out after ${TIMEOUT}s"
elif [ "$MODE" = test ]; then
  if [ "$status" -eq 0 ]; then verdict=PASS; else reason="\`bash .ci/run\` exited $status"; fi
elif [ "$MODE" = package ]; then
  if [ "$status" -eq 0 ]; then
    verdict=PASS
    reason="installed with apt, every check passed, removed"
  else
    reason="a check failed (exit status $status)"
  fi
else
  if [ ! -x "$ROOT/root/orvane/build/orvane" ]; then
    reason="no build/orvane: the install or the build failed (exit status $status)"
  elif [ "$status" -eq 0 ]; then
    reason="the game exited 0 although there was no display to open"
  elif grep -Eq 'freeglut \(.*orvane\): failed to open display' "$LOG.run.log"; then
    verdict=PASS
    reason="built, started, and stopped only for lack of a display"
  else
    reason="the game was built but stopped (exit status $status) for a reason other than the missing display"
  fi
fi

echo
echo "=== fresh-root-check: $MODE"
echo "commit tested:        $commit"
echo "root:                 debian $SUITE minbase + git, ca-certificates (--include), from $MIRROR"
echo "debootstrap:          $debootstrap_count packages, $(span "$debootstrap_seconds")"
[ $UPDATES -eq 1 ] && echo "after upgrade:        $before_count packages"
[ "$MODE" = package ] && echo "package build:        $(span "$package_seconds") ($(basename "$DEB"), $(du -k "$DEB" | cut -f1) KiB)"
echo "command in the root:  ${command[*]}"
echo "packages it installed: $installed_count (removed: $removed_count; list: $LOG.packages-installed.txt)"
echo "wall time:            $(span "$run_seconds")"
echo "exit status:          $status"
echo "result:               $verdict${reason:+ ($reason)}"
echo "log:                  $LOG.run.log"
[ "$verdict" = PASS ]
