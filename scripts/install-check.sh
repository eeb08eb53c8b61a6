#!/usr/bin/env bash
# Checks a built Debian package as an installed copy: unpacks it into a throw-away root,
# runs the three programs' --help (and the window program's --version) from there with no
# display, looks for the menu entry, icons, metadata, manual pages and completion, and
# validates the menu entry and the metadata as they ship.
#
#   scripts/install-check.sh [PACKAGE.deb]   default: the package in build/package
#   scripts/install-check.sh --if-built      the same, but exit 77 (skipped) without one
set -euo pipefail
cd "$(dirname "$0")/.."

if_built=0
if [ "${1:-}" = "--if-built" ]; then
    if_built=1
    shift
fi
deb=${1:-}
if [ -z "$deb" ]; then
    shopt -s nullglob
    debs=(build/package/tavro_*.deb)
    shopt -u nullglob
    if [ ${#debs[@]} -eq 0 ]; then
        echo "No package in build/package; scripts/package.sh builds one."
        [ "$if_built" -eq 1 ] && exit 77
        exit 1
    fi
    deb=$(ls -t "${debs[@]}" | head -n 1)
fi

for tool in dpkg-deb file desktop-file-validate appstreamcli; do
    if ! command -v "$tool" >/dev/null; then
        echo "$tool is missing; scripts/package.sh installs it." >&2
        exit 1
    fi
done

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
echo "Unpacked $deb into a throw-away root."

# The install prefix is wherever the package put its programs.
cli=$(cd "$root" && find . -path '*/bin/tavro-cli' -type f | head -n 1)
if [ -z "$cli" ]; then
    echo "FAIL: the package holds no bin/tavro-cli" >&2
    exit 1
fi
prefix=$root/$(dirname "$(dirname "${cli#./}")")

version=$(dpkg-deb -f "$deb" Version)
arch=$(dpkg-deb -f "$deb" Architecture)
[ "$arch" = "$(dpkg --print-architecture)" ] || fail "architecture $arch"

# Control fields: the libraries found by dpkg-shlibdeps, Qt's translations, the fonts.
depends=$(dpkg-deb -f "$deb" Depends)
for dep in libqt6widgets6 libqt6svg6 libstdc++6 qt6-translations-l10n; do
    [[ ", $depends," == *", $dep"[\ ,]* ]] || fail "Depends lacks $dep: $depends"
done
[[ $(dpkg-deb -f "$deb" Recommends) == *fonts-noto-cjk* ]] || fail "Recommends lacks fonts-noto-cjk"
[ "$(dpkg-deb -f "$deb" Description | wc -l)" -gt 2 ] || fail "no long description"

expected=(
    bin/tavro-config bin/tavro-cli bin/tavro-sim
    share/applications/tavro-config.desktop
    share/icons/hicolor/scalable/apps/tavro-config.svg
    share/man/man1/tavro-config.1.gz share/man/man1/tavro-cli.1.gz share/man/man1/tavro-sim.1.gz
    share/bash-completion/completions/tavro-cli
    share/doc/tavro/README.md
)
for size in 16 22 24 32 48 64 128 256; do
    png=share/icons/hicolor/${size}x${size}/apps/tavro-config.png
    expected+=("$png")
    if [ -f "$prefix/$png" ] && [[ $(file -b "$prefix/$png") != *"PNG image data, $size x $size,"* ]]; then
        fail "$png: $(file -b "$prefix/$png")"
    fi
done
for f in "${expected[@]}"; do
    [ -f "$prefix/$f" ] || fail "missing $f"
done
shopt -s nullglob
metainfo=("$prefix"/share/metainfo/*.metainfo.xml)
shopt -u nullglob
[ ${#metainfo[@]} -eq 1 ] || fail "expected one metainfo file, found ${#metainfo[@]}"

for page in tavro-config tavro-cli tavro-sim; do
    f=$prefix/share/man/man1/$page.1.gz
    [ -f "$f" ] && ! zcat "$f" | grep -qF '\fB\-\-help\fR' && fail "$page.1 does not list --help"
done
f=$prefix/share/man/man1/tavro-config.1.gz
[ -f "$f" ] && ! zcat "$f" | grep -q 'usermod .*dialout' && fail "tavro-config.1 does not say how to join dialout"

# The programs as installed: system libraries only, no display, no help from the build tree.
run() {
    local locale=$1
    shift
    env -u DISPLAY -u WAYLAND_DISPLAY -u LD_LIBRARY_PATH LC_ALL="$locale" QT_QPA_PLATFORM=xcb "$@"
}
for program in tavro-cli tavro-sim tavro-config; do
    bin=$prefix/bin/$program
    [ -x "$bin" ] || continue
    if ldd "$bin" | grep -q 'not found'; then
        fail "$program: $(ldd "$bin" | grep 'not found')"
    fi
    if readelf -d "$bin" 2>/dev/null | grep -Eq 'RPATH|RUNPATH'; then
        fail "$program carries a library search path"
    fi
    status=0
    out=$(run C "$bin" --help 2>&1) || status=$?
    if [ "$status" -ne 0 ] || [[ ${out%%$'\n'*} != "Usage: $program "* ]]; then
        fail "$program --help (exit $status): ${out%%$'\n'*}"
    else
        echo "ok: $program --help: ${out%%$'\n'*}"
    fi
done
bin=$prefix/bin/tavro-config
if [ -x "$bin" ]; then
    out=$(run ja_JP.UTF-8 "$bin" --help 2>&1) || true
    [[ ${out%%$'\n'*} == "使い方：tavro-config "* ]] || fail "Japanese --help: ${out%%$'\n'*}"
    out=$(run C "$bin" --version 2>&1) || true
    if [ "$out" = "tavro-config $version" ]; then
        echo "ok: tavro-config --version: $out"
    else
        fail "tavro-config --version: $out (package $version)"
    fi
fi

# The validators, on the files as they ship.
if [ ${#metainfo[@]} -eq 1 ]; then
    scripts/validate-metadata.sh "$prefix/share/applications/tavro-config.desktop" \
        "${metainfo[0]}" || fail "the validators"
fi
# The metadata together with the menu entry it names, as a software centre reads them.
out=$(appstreamcli validate-tree --no-net --pedantic "$root" 2>&1) || fail "appstreamcli validate-tree"
echo "appstreamcli validate-tree --pedantic: $out"
grep -Eq '^[EWIP]: ' <<<"$out" && fail "appstreamcli validate-tree: $out"

if [ "$failures" -ne 0 ]; then
    echo "Install check: $failures failure(s)." >&2
    exit 1
fi
echo "Install check passed: $deb"
