#!/usr/bin/env bash
# Runs a command in a fresh clone of this repository's last commit, as root on
# a minimal Debian 12 (bookworm): what a newcomer who follows the README meets.
#
#   scripts/fresh-debian.sh [--display] [--keep] ['COMMAND']
#
#   COMMAND    run with bash in /root/zpltest there (default: bash scripts/test.sh);
#              the script exits with its status (125 when the check itself failed)
#   --display  Xvfb (and xdotool, to look at the windows) is installed there
#              first and started, and COMMAND runs with DISPLAY set
#   --keep     keep the run's root in $ZPLTEST_FRESH_RUNS afterwards
#
# The base root is `debootstrap --variant=minbase bookworm` plus what a freshly
# installed server has and no project needs (sudo, git, ca-certificates), made
# once and cached in $ZPLTEST_FRESH_CACHE (/var/cache/zpltest/fresh-bookworm);
# --refresh makes it anew. Each run works in a copy of it under
# $ZPLTEST_FRESH_RUNS (/var/tmp/zpltest-fresh), in private mount and PID
# namespaces, so that whatever the command leaves running ends with it. It
# shares this machine's kernel, network and /dev; LANG is C.UTF-8. Needs root.
set -uo pipefail

# Second stage, inside the namespaces: mounts, then runs the command chrooted.
if [[ ${1-} == --inside ]]; then
    root=$2 && shift 2
    mount -t proc proc "$root/proc" || exit 125
    for d in sys dev dev/pts dev/shm; do mkdir -p "$root/$d" && mount --bind "/$d" "$root/$d" || exit 125; done
    chroot "$root" /usr/bin/env -i HOME=/root USER=root SHELL=/bin/bash TERM=dumb LANG=C.UTF-8 \
        PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin /bin/bash /root/.fresh-run "$@" </dev/null
    status=$?
    for p in "$root"/proc/[0-9]*; do ((${p##*/} != 1)) && kill -KILL "${p##*/}" 2>/dev/null; done
    exit $status
fi

say() { echo "fresh-debian: $*"; }
die() { echo "fresh-debian: $*" >&2 && exit 125; }
display='' keep='' refresh=''
while [[ ${1-} == --* ]]; do
    case $1 in
    --display) display=1 ;;
    --keep) keep=1 ;;
    --refresh) refresh=1 ;;
    *) die "unknown option $1" ;;
    esac
    shift
done
cmd=${*:-bash scripts/test.sh}
((EUID == 0)) || die "needs root"
src=$(cd "$(dirname "$0")/.." && pwd)
cache=${ZPLTEST_FRESH_CACHE:-/var/cache/zpltest/fresh-bookworm}
runs=${ZPLTEST_FRESH_RUNS:-/var/tmp/zpltest-fresh}
# The Debian archive this machine's apt uses (its first bookworm source).
mirror=${ZPLTEST_FRESH_MIRROR:-$(cat /etc/apt/sources.list /etc/apt/sources.list.d/*.sources 2>/dev/null |
    awk '/^deb / && $3 == "bookworm" { print $2; exit } /^URIs:/ { u = $2 } /^Suites:.*bookworm( |$)/ && u { print u; exit }')}
self=$(readlink -f "$0")

# in_root ROOT SCRIPT ARGS...: SCRIPT with bash as root in ROOT, in namespaces
# of its own (unshare --kill-child ends what it left running).
in_root() {
    printf '%s\n' "$2" >"$1/root/.fresh-run" || return 125
    unshare --mount --pid --fork --kill-child --propagation private -- bash "$self" --inside "$1" "${@:3}"
}

make_base() {
    local new=$cache.new
    command -v debootstrap >/dev/null || { apt-get update -qq && apt-get install -y -qq debootstrap >/dev/null; } ||
        die "could not install debootstrap"
    rm -rf --one-file-system "$new"
    [[ -n $mirror ]] || die "no Debian archive in this machine's apt sources (ZPLTEST_FRESH_MIRROR=URL)"
    say "making the base: debootstrap --variant=minbase bookworm ($mirror)"
    debootstrap --variant=minbase bookworm "$new" "$mirror" >"$cache.log" 2>&1 ||
        { tail -n 20 "$cache.log" && die "debootstrap failed (log: $cache.log)"; }
    printf 'deb %s bookworm main\ndeb %s-security bookworm-security main\ndeb %s bookworm-updates main\n' \
        "$mirror" "$mirror" "$mirror" >"$new/etc/apt/sources.list"
    # A mirror snapshot's Release files may be past their Valid-Until.
    printf 'Acquire::Check-Valid-Until "false";\nAcquire::Check-Date "false";\n' >"$new/etc/apt/apt.conf.d/99fresh"
    printf '127.0.0.1\tlocalhost\n::1\t\tlocalhost ip6-localhost ip6-loopback\n' >"$new/etc/hosts"
    cp /etc/resolv.conf "$new/etc/resolv.conf"
    in_root "$new" 'apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
        --no-install-recommends sudo git ca-certificates >/dev/null && apt-get clean' || die "could not set up the base"
    touch "$new/.fresh-debian-base" && rm -rf --one-file-system "$cache" && mv "$new" "$cache"
}

mkdir -p "$(dirname "$cache")" "$runs"
exec 9>"$cache.lock" && flock 9
[[ -z $refresh && -f $cache/.fresh-debian-base ]] || make_base
flock -u 9
work=$(mktemp -d "$runs/run-XXXXXX")
finish() { [[ -n $keep ]] && say "root kept: $work" || rm -rf --one-file-system "$work"; }
trap finish EXIT
cp -a "$cache/." "$work/" && cp /etc/resolv.conf "$work/etc/resolv.conf" || die "could not copy the base"
git clone -q --no-hardlinks "$src" "$work/root/zpltest" || die "could not clone $src"
say "clone at $(git -C "$work/root/zpltest" log -1 --format='%h %s' | cut -c1-72)"
say "running as root in /root/zpltest: $cmd"

runner='cd /root/zpltest || exit 125
if [[ -n $2 ]]; then
    { apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
        xvfb xauth xdotool; } >/tmp/x.log 2>&1 || { cat /tmp/x.log; exit 125; }
    Xvfb -displayfd 3 -screen 0 1280x800x24 3>/tmp/display 2>/tmp/xvfb.log &
    for _ in $(seq 100); do [[ -s /tmp/display ]] && break; sleep 0.1; done
    [[ -s /tmp/display ]] || { cat /tmp/xvfb.log; echo "fresh-debian: Xvfb did not start"; exit 125; }
    export DISPLAY=:$(head -n 1 /tmp/display)
fi
bash -c "$1"'
start=$SECONDS
in_root "$work" "$runner" "$cmd" "$display"
status=$?
say "exit status $status after $((SECONDS - start)) s"
exit $status
