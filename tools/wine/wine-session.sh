#!/usr/bin/env bash
# Wine session for running Tavrin's Windows builds on Linux: a private 64-bit prefix,
# a headless X server, a silent sound server and a Japanese locale, so the tests see
# what a Japanese Windows desktop would give them.
#
#   wine-session.sh start              bring a session up (no-op if one is live)
#   wine-session.sh stop               tear down what start brought up
#   wine-session.sh env                print the live session's exports, for eval
#   wine-session.sh run PROGRAM [ARGS] run under the live session, or a throwaway one
#
# The build folder is $TAVRIN_BUILD_DIR, or <repo>/build. Wine's own chatter is
# silenced (WINEDEBUG=-all) unless WINEDEBUG is already set; logs go to $BUILD/wine/.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
BUILD=$(realpath -m "${TAVRIN_BUILD_DIR:-$ROOT/build}")
W=$BUILD/wine
SESSION=$W/session.env
PULSE_DIR=$W/pulse
JA=ja_JP.UTF-8
export WINEPREFIX=$W/prefix WINEARCH=win64 WINEDEBUG=${WINEDEBUG:--all}

# Debian's /usr/bin/wine is a wrapper that nags about wine32 on every call; the
# 64-bit loader behind it is quiet and is all our 64-bit programs need.
if command -v wine64 >/dev/null; then WINE=wine64
elif [[ -x /usr/lib/wine/wine64 ]]; then WINE=/usr/lib/wine/wine64; export WINELOADER=$WINE
else WINE=wine; fi

# Faces the program (and Wine's Japanese defaults) ask for; none ship on Linux.
FACES=("MS UI Gothic" "ＭＳ ゴシック" "ＭＳ Ｐゴシック" "MS Gothic" "MS PGothic"
       "Meiryo" "メイリオ" "Yu Gothic UI" "MS Shell Dlg" "MS Shell Dlg 2")

die() { echo "wine-session: $*" >&2; exit 1; }

# Set-up runs of Wine: no Mono/Gecko install dialogs, no menu entries written into the
# host's HOME. fd 9 is the session lock: daemons must not inherit it and hold it forever.
quiet_wine() {
    LANG=$JA LC_ALL=$JA WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" \
        "$WINE" "$@" >>"$W/wine.log" 2>&1 9>&-
}

# A PID counts only while it still names the process we started (PIDs get reused).
is_ours() { [[ -n ${1:-} && $(tr '\0' ' ' 2>/dev/null <"/proc/$1/cmdline") == *"$2"* ]]; }

# wait_for PID CMD...: poll CMD for up to 10 s, giving up early if PID dies.
wait_for() {
    local pid=$1 i; shift
    for ((i = 0; i < 100; i++)); do
        "$@" >/dev/null 2>&1 && return 0
        kill -0 "$pid" 2>/dev/null || return 1
        sleep 0.1
    done
    return 1
}

# Read one value from the session file without letting the rest leak into this shell.
# shellcheck disable=SC1090
session_var() { (. "$SESSION" && echo "${!1:-}"); }

session_live() {
    [[ -f $SESSION ]] || return 1
    local xvfb; xvfb=$(session_var TAVRIN_XVFB_PID)
    { [[ -n $(session_var TAVRIN_HOST_SOUND) ]] || is_ours "$(session_var TAVRIN_PULSE_PID)" pulseaudio; } &&
        { [[ -z $xvfb ]] || is_ours "$xvfb" Xvfb; }
}

lock() { mkdir -p "$W"; exec 9>>"$W/.lock"; flock 9; }

ensure_locale() {
    grep -qix 'ja_jp.utf8' <(locale -a 2>/dev/null) && return
    local hint="install the Debian package 'locales', enable '$JA UTF-8' in /etc/locale.gen and run locale-gen"
    [[ $EUID -eq 0 && -f /etc/locale.gen && -n $(command -v locale-gen) ]] || die "locale $JA is missing: $hint"
    sed -i "s/^# *\($JA UTF-8\)/\1/" /etc/locale.gen
    grep -qx "$JA UTF-8" /etc/locale.gen || echo "$JA UTF-8" >>/etc/locale.gen
    locale-gen >"$W/locale-gen.log" 2>&1 || die "locale-gen failed, see $W/locale-gen.log"
    grep -qix 'ja_jp.utf8' <(locale -a 2>/dev/null) || die "locale $JA is missing: $hint"
}

init_prefix() {
    local stamp=$WINEPREFIX/.tavrin-init ver
    ver=$("$WINE" --version)
    [[ -f $stamp && $(<"$stamp") == "$ver" ]] && return
    quiet_wine wineboot -u ||
        die "wineboot failed, see $W/wine.log"
    wineserver -w 9>&-
    echo "$ver" >"$stamp"
}

cjk_family() {
    local fams
    fams=$(fc-list :lang=ja family | cut -d, -f1 | sort -u)
    grep -x 'Noto Sans CJK JP' <<<"$fams" && return
    grep 'Sans' <<<"$fams" | grep -v -m1 Mono && return
    head -n1 <<<"$fams" | grep . || die "no Japanese font found: install fonts-noto-cjk"
}

# Wine draws the title bar's buttons with the symbol font Marlett, which Debian ships in
# fonts-wine under /usr/share/wine/fonts; Debian's Wine never searches that folder, so the
# buttons came out as the letters "0 1 r". The prefix's Fonts folder is always searched: the
# faces are linked in there.
link_wine_fonts() {
    local dir=$WINEPREFIX/drive_c/windows/Fonts font
    [[ -d /usr/share/wine/fonts ]] || die "Wine's fonts are missing: install fonts-wine"
    mkdir -p "$dir"
    for font in /usr/share/wine/fonts/*.ttf; do
        [[ -e $dir/${font##*/} ]] || ln -s "$font" "$dir/${font##*/}"
    done
}

apply_fonts() {
    local fam face txt=$W/fonts.reg.txt reg=$W/fonts.reg
    fam=$(cjk_family)
    {   printf 'Windows Registry Editor Version 5.00\r\n\r\n'
        printf '[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
        for face in "${FACES[@]}"; do printf '"%s"="%s"\r\n' "$face" "$fam"; done
        # Keeps Wine's menu entries out of the host's HOME for every later program too.
        printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\DllOverrides]\r\n"winemenubuilder.exe"=""\r\n'
        # A crashing test prints a backtrace and fails instead of waiting on a dialog.
        printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]\r\n"ShowCrashDialog"=dword:00000000\r\n'
        # Xvfb runs no window manager: Wine would wait two seconds for one to withdraw every
        # visible top-level window it destroys. Unmanaged windows are simply unmapped.
        printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n"Managed"="N"\r\n'
    } >"$txt"
    cmp -s "$txt" "$WINEPREFIX/.tavrin-fonts" && return
    # regedit only keeps non-ASCII names intact when the file is UTF-16LE with a BOM.
    { printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE "$txt"; } >"$reg"
    quiet_wine regedit /S "Z:${reg//\//\\}" || die "regedit failed, see $W/wine.log"
    wineserver -w 9>&-   # flush the registry to disk before trusting the stamp
    cp "$txt" "$WINEPREFIX/.tavrin-fonts"
}

start_x() {
    XVFB_PID=
    if [[ -n ${DISPLAY:-} ]]; then
        xdpyinfo >/dev/null 2>&1 || die "DISPLAY=$DISPLAY does not answer; unset it to get a private Xvfb"
        return
    fi
    local n
    for ((n = 90; n < 200; n++)); do
        [[ -e /tmp/.X$n-lock ]] && continue
        Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >"$W/xvfb.log" 2>&1 9>&- &
        XVFB_PID=$!
        if wait_for "$XVFB_PID" xdpyinfo -display ":$n"; then export DISPLAY=:$n; return; fi
        kill "$XVFB_PID" 2>/dev/null || true   # lost a race for this display: try the next
    done
    die "could not start Xvfb, see $W/xvfb.log"
}

start_pulse() {
    rm -rf "$PULSE_DIR"; mkdir -m 700 "$PULSE_DIR"
    local sock=$PULSE_DIR/native
    # AF_UNIX paths stop at 108 bytes; a deep build folder gets its socket in /tmp.
    ((${#sock} < 100)) || sock=$(mktemp -u /tmp/tavrin-pulse.XXXXXX)
    echo 'autospawn = no' >"$PULSE_DIR/client.conf"
    export PULSE_SERVER=unix:$sock PULSE_RUNTIME_PATH=$PULSE_DIR
    export PULSE_CLIENTCONFIG=$PULSE_DIR/client.conf PULSE_COOKIE=$PULSE_DIR/cookie
    # As root pulseaudio only warns as long as --system=false is explicit. Its state and
    # runtime files stay in our folder, and a dead D-Bus address stops it from
    # autolaunching a session bus on our X display.
    XDG_RUNTIME_DIR=$PULSE_DIR PULSE_STATE_PATH=$PULSE_DIR DBUS_SESSION_BUS_ADDRESS=disabled: \
        pulseaudio --system=false --exit-idle-time=-1 --daemonize=no -n --use-pid-file=no \
        -L "module-null-sink sink_name=tavrin_null" \
        -L "module-native-protocol-unix socket=$sock auth-anonymous=1 auth-cookie-enabled=0" \
        >"$W/pulse.log" 2>&1 9>&- &
    PULSE_PID=$!
    wait_for "$PULSE_PID" pactl info || die "pulseaudio did not come up, see $W/pulse.log"
    [[ $(pactl get-default-sink 2>/dev/null) == tavrin_null ]] ||
        die "pulseaudio's default sink is not the null sink"
}

stop_pid() {   # PID NAME
    local i
    is_ours "$1" "$2" || return 0
    kill "$1" 2>/dev/null || true
    for ((i = 0; i < 50; i++)); do is_ours "$1" "$2" || return 0; sleep 0.1; done
    kill -9 "$1" 2>/dev/null || true
}

stop_session() {
    # A start that failed half-way has no session file yet, only its own PIDs.
    local xvfb=${XVFB_PID:-} pulse=${PULSE_PID:-} server=${PULSE_SERVER:-}
    if [[ -f $SESSION ]]; then
        xvfb=$(session_var TAVRIN_XVFB_PID) pulse=$(session_var TAVRIN_PULSE_PID)
        server=$(session_var PULSE_SERVER)
    fi
    [[ -d $WINEPREFIX ]] && { wineserver -k >>"$W/wine.log" 2>&1 9>&- || true; }
    stop_pid "$xvfb" Xvfb
    stop_pid "$pulse" pulseaudio
    [[ $server == unix:/tmp/tavrin-pulse.* ]] && rm -f "${server#unix:}"
    rm -f "$SESSION"
}

start_session() {
    session_live && return
    stop_session
    local dep
    for dep in "$WINE:wine64" fc-list:fontconfig iconv:libc-bin pulseaudio:pulseaudio \
               pactl:pulseaudio-utils xdpyinfo:x11-utils Xvfb:xvfb; do
        command -v "${dep%:*}" >/dev/null || die "${dep%:*} not found: apt-get install ${dep##*:}"
    done
    ensure_locale
    init_prefix
    link_wine_fonts
    apply_fonts
    start_x
    # With TAVRIN_HOST_SOUND set (the demo on a person's desktop) the sound goes to the sound
    # server already running there, if one answers; otherwise to a private silent one.
    HOST_SOUND=
    if [[ -n ${TAVRIN_HOST_SOUND:-} ]] && pactl info >/dev/null 2>&1; then
        HOST_SOUND=1 PULSE_PID=
    else
        start_pulse
    fi
    # One long-lived wineserver: later runs skip its start-up, and it never holds a
    # caller's stdout (CTest waits for that pipe to close).
    wineserver -p >>"$W/wine.log" 2>&1 9>&-
    # The first program of a session starts Wine's own services (services.exe, plugplay, ...),
    # which inherit its stdout and outlive it; started here, they hold the log instead of a
    # test's pipe, which CTest would otherwise wait on until its timeout.
    DISPLAY=${DISPLAY:-} quiet_wine wineboot || die "wineboot failed, see $W/wine.log"
    local v LANG=$JA LC_ALL=$JA   # Wine derives its ANSI/OEM code pages (932) from these
    for v in WINEPREFIX WINEARCH DISPLAY PULSE_SERVER PULSE_RUNTIME_PATH PULSE_CLIENTCONFIG \
             PULSE_COOKIE LANG LC_ALL; do printf 'export %s=%q\n' "$v" "${!v}"; done >"$SESSION.tmp"
    printf 'export TAVRIN_XVFB_PID=%s TAVRIN_PULSE_PID=%s TAVRIN_HOST_SOUND=%s\n' \
        "$XVFB_PID" "$PULSE_PID" "$HOST_SOUND" >>"$SESSION.tmp"
    mv "$SESSION.tmp" "$SESSION"   # atomic: concurrent runs never read half a file
}

cmd=${1:-}; shift || true
case $cmd in
start) lock; trap stop_session EXIT; start_session; trap - EXIT ;;
stop)  lock; stop_session ;;
env)   session_live || die "no live session; start one with: $0 start"; cat "$SESSION" ;;
run)
    (($#)) || die "usage: $0 run PROGRAM [ARGS...]"
    lock
    if session_live; then
        flock -u 9; exec 9>&-
        # shellcheck disable=SC1090
        . "$SESSION"
        exec "$WINE" "$@"
    fi
    # Throwaway session: keep the lock so no one else uses it before we tear it down.
    trap stop_session EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM
    start_session
    rc=0
    LANG=$JA LC_ALL=$JA "$WINE" "$@" 9>&- || rc=$?
    exit "$rc" ;;
*) die "usage: $0 start | stop | env | run PROGRAM [ARGS...]" ;;
esac
