#!/usr/bin/env bash
# check_debian_packages.sh BUILD_DIR VERSION MAINTAINER
# Builds the Debian packages and checks that they are what a user can trust:
# the command lines and the windows apart, dependencies computed, binaries
# stripped with their symbols in the -dbgsym package, Debian's documents in
# each, lintian without an error or warning, and a clean install and removal.
set -euo pipefail
build=$(realpath "$1")
version=$2
maintainer=$3

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

(cd "$build" && cpack -G DEB -B "$work/out" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; fail "cpack"; }
arch=$(dpkg --print-architecture)
cli=$work/out/kzo-tools_${version}_$arch.deb
desktop=$work/out/kzo-tools-desktop_${version}_$arch.deb
dbgsyms=("$work/out/kzo-tools-dbgsym_${version}_$arch.ddeb"
    "$work/out/kzo-tools-desktop-dbgsym_${version}_$arch.ddeb")
made=$(cd "$work/out" && ls -1 ./*.*deb | sed 's|^\./||' | sort | xargs)
wanted=$(printf '%s\n' "$cli" "$desktop" "${dbgsyms[@]}" | sed 's|.*/||' | sort | xargs)
[[ "$made" == "$wanted" ]] || fail "cpack made '$made', not '$wanted'"

field() { dpkg-deb -f "$1" "$2"; }
for deb in "$cli" "$desktop" "${dbgsyms[@]}"; do
    [[ $(field "$deb" Maintainer) == "$maintainer" ]] ||
        fail "${deb##*/}: maintainer '$(field "$deb" Maintainer)'"
done

# The command-line package: its libraries found by dpkg-shlibdeps (versions
# from the symbols used), no Qt, nothing of the desktop.
cli_depends=$(field "$cli" Depends)
[[ $cli_depends =~ libc6\ \(\>=\ [0-9] && $cli_depends == *libassimp* ]] ||
    fail "kzo-tools: dependencies not computed: $cli_depends"
[[ $cli_depends != *qt* ]] || fail "kzo-tools depends on Qt: $cli_depends"
if [[ -f $build/lib/kzo-tools/kzo-embree.so ]]; then
    [[ $cli_depends == *libembree* ]] || fail "kzo-tools does not depend on Embree: $cli_depends"
fi
cli_files=$(dpkg-deb -c "$cli" | awk '{print $6}')
for path in usr/bin/kzomaker usr/bin/kzoview usr/bin/kzodump usr/share/man/man1/kzomaker.1.gz \
    usr/share/bash-completion/completions/kzomaker usr/share/zsh/vendor-completions/_kzomaker \
    usr/share/cmake/KzoTools/KzoToolsConfig.cmake usr/lib/kzo-tools/kzo-assimp.so \
    usr/lib/kzo-tools/kzo-model-reader; do
    grep -qx "\./$path" <<<"$cli_files" || fail "kzo-tools lacks /$path"
done
grep -q '/applications/\|/thumbnailers/\|/mime/' <<<"$cli_files" && fail "kzo-tools holds desktop files"

# The desktop package: the entries, on top of the command lines.
desktop_depends=$(field "$desktop" Depends)
for dep in "kzo-tools (= $version)" fonts-nanum qt6-qpa-plugins libqt6widgets6; do
    [[ $desktop_depends == *"$dep"* ]] || fail "kzo-tools-desktop does not depend on $dep: $desktop_depends"
done
desktop_files=$(dpkg-deb -c "$desktop" | awk '{print $6}')
for path in usr/share/applications/kzomaker.desktop usr/lib/kzo-tools/kzoview-window.so; do
    grep -qx "\./$path" <<<"$desktop_files" || fail "kzo-tools-desktop lacks /$path"
done
grep -q '/bin/' <<<"$desktop_files" && fail "kzo-tools-desktop holds programs"

# Debian's documents, the changelog compressed without a name or time.
for deb in "$cli" "$desktop"; do
    name=$(field "$deb" Package)
    dpkg-deb -x "$deb" "$work/$name"
    doc=$work/$name/usr/share/doc/$name
    [[ -f $doc/copyright && -f $doc/changelog.gz ]] || fail "$name lacks copyright or changelog"
    [[ $(od -An -tx1 -j3 -N5 "$doc/changelog.gz" | xargs) == "00 00 00 00 00" ]] ||
        fail "$name: the changelog's gzip header holds a name or time"
done

# Stripped binaries, each with its symbols in a -dbgsym package by build id.
for deb in "${dbgsyms[@]}"; do
    dpkg-deb -x "$deb" "$work/dbgsym"
    (cd "$work/dbgsym" && dpkg-deb -I "$deb" md5sums | md5sum --quiet -c) ||
        fail "${deb##*/}: md5sums do not match its files"
done
for elf in "$work"/kzo-tools/usr/bin/* "$work"/kzo-tools*/usr/lib/kzo-tools/*.so \
    "$work"/kzo-tools/usr/lib/kzo-tools/kzo-model-reader; do
    # Read whole before matching: grep -q would stop reading at the first
    # match, and readelf's next write would fail the pipeline (pipefail).
    sections=$(readelf -S "$elf")
    grep -q '\.debug_info\|\.symtab' <<<"$sections" && fail "${elf##*/} is not stripped"
    id=$(readelf -n "$elf" | sed -n 's/^ *Build ID: //p')
    [[ -n $id ]] || fail "${elf##*/} has no build id"
    debug=$work/dbgsym/usr/lib/debug/.build-id/${id:0:2}/${id:2}.debug
    [[ -f $debug ]] || fail "no -dbgsym package holds ${elf##*/}'s build id"
    sections=$(readelf -S "$debug")
    grep -q '\.debug_info' <<<"$sections" || fail "no -dbgsym package has the symbols of ${elf##*/}"
done

if command -v lintian >/dev/null; then
    lintian --fail-on error,warning "$cli" "$desktop" "${dbgsyms[@]}" >"$work/lintian.log" 2>&1 ||
        { grep -v '^running with root' "$work/lintian.log"; fail "lintian"; }
    echo "lintian: no error, no warning"
else
    echo "lintian: not installed, not run"
fi

# Installed into an empty dpkg root and removed again: nothing is left behind.
root=$work/root
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
touch "$root/var/lib/dpkg/status"
dpkg_root() { dpkg --root="$root" --force-depends --force-not-root "$@" >>"$work/dpkg.log" 2>&1; }
dpkg_root -i "$cli" "$desktop" || { cat "$work/dpkg.log"; fail "dpkg -i"; }
[[ -x $root/usr/bin/kzodump ]] || fail "dpkg -i installed no kzodump"
"$root/usr/bin/kzodump" --version >/dev/null || fail "the installed kzodump does not run"
dpkg_root -P kzo-tools-desktop kzo-tools || { cat "$work/dpkg.log"; fail "dpkg -P"; }
left=$(cd "$root" && find . -path ./var/lib/dpkg -prune -o ! -type d -print)
[[ -z $left ]] || fail "left behind after removal: $left"
echo "debian packages: ok ($made)"
