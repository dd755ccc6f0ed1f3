#!/usr/bin/env bash
# The installed program. Installs a build into a temporary prefix; validates the desktop entry,
# the AppStream file, the file type and the icons; opens a document the way a file manager does
# (the file type's default application, its Exec line) on the offscreen platform; ends the
# program the way a session logout does and reads the recovery state its closing left behind.
# Then moves the prefix and checks that it still finds its fonts there, and only there.
#
# Usage: InstalledProgramTest.sh BUILD_FOLDER
set -euo pipefail

build=$(cd "${1:?usage: $0 BUILD_FOLDER}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

id=nl.zelmeditor.ZelmEditor
mime=application/x-zelmeditor
perUserFolder=TextverwerkerZelm/Herstel # below XDG_DATA_HOME
failures=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
check() { # description command...: the command must succeed
    local what=$1
    shift
    "$@" || fail "$what"
}

# --- a document: 792-byte line records in plain-text mode, Tahoma 12 pt, black ------------

zeros() { head -c "$1" /dev/zero; }
byte() { printf "\\$(printf %03o "$1")"; }
le32() { byte $(($1 & 255)); byte $((($1 >> 8) & 255)); byte $((($1 >> 16) & 255)); byte 0; }
shortString() { # text size: a Pascal string padded to `size` bytes
    byte ${#1}
    printf '%s' "$1"
    zeros $(($2 - 1 - ${#1}))
}
record() { # text top
    byte 1 && zeros 3                                           # plain text, padding
    shortString Tahoma 256 && le32 12 && le32 0 && byte 1 && zeros 3 # font record
    shortString "" 256 && shortString "$1" 256                  # code string, text
    le32 "$2" && le32 480                                       # Top, Width
}
documentTexts=(" Installatietest" " a+b=c en 1+1=2" " laatste regel")
makeDocument() { # path
    local i
    for i in "${!documentTexts[@]}"; do record "${documentTexts[$i]}" $((i * 24)); done >"$1"
}
# The program loaded the document when the state it left on closing holds the same lines.
holdsTheDocument() { # state document
    local n=${#documentTexts[@]} i offset
    [ "$(stat -c %s "$1")" -eq $((n * 792)) ] || return 1
    for i in $(seq 0 $((n - 1))); do
        offset=$((i * 792))
        cmp -s -n 1 -i $offset:$offset "$1" "$2" || return 1                  # mode
        cmp -s -n 7 -i $((offset + 4)):$((offset + 4)) "$1" "$2" || return 1  # face
        offset=$((offset + 528))
        cmp -s -n $((1 + ${#documentTexts[$i]})) -i $offset:$offset "$1" "$2" || return 1
    done
}

# --- running the installed program ---------------------------------------------------------

mkdir -m 700 -p "$work/runtime"
# Runs the command under a fresh user data folder (its own HOME) and ends it with SIGTERM as
# soon as it has made its recovery folder: by then it handles the signal, even while its
# one-time message about the new folder is open. Sets `data` and `status`.
runInstalled() {
    data=$1
    shift
    mkdir -p "$data/home"
    env -u XDG_DATA_DIRS HOME="$data/home" XDG_DATA_HOME="$data/share" \
        XDG_CONFIG_HOME="$data/config" XDG_RUNTIME_DIR="$work/runtime" \
        QT_QPA_PLATFORM=offscreen "$@" 2>"$data/stderr" &
    local pid=$! i
    for i in $(seq 600); do
        [ -d "$data/share/$perUserFolder" ] && break
        kill -0 $pid 2>/dev/null || break
        sleep 0.1
    done
    kill -TERM $pid 2>/dev/null || true
    for i in $(seq 600); do
        kill -0 $pid 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 $pid 2>/dev/null; then
        kill -KILL $pid
        fail "the program did not end on SIGTERM: $*"
    fi
    status=0
    wait $pid || status=$?
}
tangerineWarnings() { grep -c "font not registered: .*tangerine" "$data/stderr" || true; }

# --- 1. the installed files ----------------------------------------------------------------

prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null
share="$prefix/share"
installed=(
    bin/ZelmEditor
    share/applications/$id.desktop
    share/metainfo/$id.metainfo.xml
    share/mime/packages/$id.xml
    share/icons/hicolor/scalable/apps/$id.svg
    share/icons/hicolor/scalable/mimetypes/${mime/\//-}.svg
    share/zelmeditor/fonts/tangerine-latin-400-normal.woff
    share/zelmeditor/fonts/tangerine-latin-700-normal.woff
)
for f in "${installed[@]}"; do
    [ -e "$prefix/$f" ] || fail "not installed: $f"
done
[ -x "$prefix/bin/ZelmEditor" ] || fail "the program is not executable"

check "desktop-file-validate" desktop-file-validate "$share/applications/$id.desktop"
check "appstreamcli validate" appstreamcli validate --no-net "$share/metainfo/$id.metainfo.xml"
check "well-formed XML" xmllint --noout "$share/mime/packages/$id.xml" \
    "$share"/icons/hicolor/scalable/*/*.svg
check "update-mime-database" env XDG_DATA_DIRS="$share" update-mime-database "$share/mime"
check "update-desktop-database" update-desktop-database "$share/applications"
grep -qx "MimeType=$mime;" "$share/applications/$id.desktop" ||
    fail "the desktop entry does not open $mime"

# The file type answers for the exact extension only, as the program loads only those. The
# compiled database marks the glob case-sensitive, which GIO, KDE and Qt honour; xdg-mime's
# generic backend reads the older glob list without that mark, so capitals are checked there.
mkdir -p "$work/docs"
makeDocument "$work/docs/doc.mds"
grep -qx "50:$mime:\*\.mds:cs" "$share/mime/globs2" || fail "the glob *.mds is not case-sensitive"
fileTypes=( # file name | its type is ours
    "doc.mds|yes"
    "mijn aantekeningen.mds|yes"
    "doc.mds.bak|no"
    "doc.mdsx|no"
)
xdgMime() { env -i PATH="$PATH" HOME="$work" XDG_DATA_DIRS="$share:/usr/share" xdg-mime "$@"; }
for row in "${fileTypes[@]}"; do
    name=${row%|*}
    [ "$name" = doc.mds ] || cp "$work/docs/doc.mds" "$work/docs/$name"
    type=$(xdgMime query filetype "$work/docs/$name" 2>/dev/null || true)
    if [ "${row#*|}" = yes ]; then
        [ "$type" = "$mime" ] || fail "xdg-mime query filetype '$name' gives '$type'"
    else
        [ "$type" != "$mime" ] || fail "'$name' is taken for a ZelmEditor document"
    fi
done
default=$(xdgMime query default "$mime" 2>/dev/null || true)
[ "$default" = "$id.desktop" ] || fail "the default application of $mime is '$default'"

# --- 2. a document opened from a file manager ----------------------------------------------

# The desktop entry's command with %f replaced by the document, as a file manager runs it.
execLine=$(sed -n 's/^Exec=//p' "$share/applications/$id.desktop")
[ "$execLine" = "ZelmEditor %f" ] || fail "Exec line '$execLine'"
read -r -a command <<<"$execLine"
command=("${command[@]/\%f/$work/docs/doc.mds}")

PATH="$prefix/bin:$PATH" runInstalled "$work/run1" "${command[@]}"
[ "$status" -eq 0 ] || fail "the program ended with status $status on SIGTERM"
state="$data/share/$perUserFolder/doc0.wes"
[ -f "$state" ] || fail "no closing state $state (files: $(ls -R "$data/share" 2>&1))"
[ -f "$state" ] && { holdsTheDocument "$state" "$work/docs/doc.mds" || fail "doc0.wes differs"; }
[ ! -e "$prefix/bin/Herstel" ] || fail "the installed program wrote beside itself"
[ "$(tangerineWarnings)" -eq 0 ] || fail "Tangerine not found: $(cat "$data/stderr")"

# --- 3. a moved prefix ---------------------------------------------------------------------

moved="$work/verplaatst naar elders"
mv "$prefix" "$moved"
runInstalled "$work/run2" "$moved/bin/ZelmEditor" "$work/docs/mijn aantekeningen.mds"
[ "$status" -eq 0 ] || fail "the moved program ended with status $status"
holdsTheDocument "$data/share/$perUserFolder/mijn aantekeningen0.wes" "$work/docs/doc.mds" ||
    fail "the moved program did not load the document"
[ "$(tangerineWarnings)" -eq 0 ] || fail "Tangerine not found after moving: $(cat "$data/stderr")"

# Without its own copy the moved program does not find Tangerine anywhere else (the build
# folder it came from still has one), and goes on working all the same.
rm "$moved/share/zelmeditor/fonts/tangerine-latin-400-normal.woff"
runInstalled "$work/run3" "$moved/bin/ZelmEditor" "$work/docs/doc.mds"
[ "$status" -eq 0 ] || fail "the program without Tangerine ended with status $status"
[ "$(tangerineWarnings)" -eq 1 ] || fail "a missing Tangerine file was not reported"
holdsTheDocument "$data/share/$perUserFolder/doc0.wes" "$work/docs/doc.mds" ||
    fail "the program without Tangerine did not load the document"

if [ $failures -gt 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "installed program: all checks passed"
