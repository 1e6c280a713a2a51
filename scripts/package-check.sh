#!/usr/bin/env bash
# Builds the Release Debian package (no tests) into build-package/, unpacks it into a clean
# folder and checks what a user gets: the programs run from there, find the installed
# profiles and enhance the installed sample burst; the menu entry, AppStream data and manual
# pages pass their validators and the bash completion completes. Run by scripts/test.sh; needs
# only scripts/setup.sh's packages.
set -euo pipefail
cd "$(dirname "$0")/.."

build=build-package
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DLUMIVEX_BUILD_TESTS=OFF \
    -DLUMIVEX_WERROR=ON
cmake --build "$build"
(cd "$build" && rm -f lumivex_*.deb && cpack -G DEB >/dev/null)
deb=$(ls "$build"/lumivex_*.deb)

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
usr=$root/usr

fail() {
    echo "package check: $*" >&2
    exit 1
}

echo "package check: $(basename "$deb")"
dpkg-deb --field "$deb" Depends | grep -q 'libexiv2' || fail "Depends lacks the shared libraries"
for f in bin/lumivex bin/lumivex-cli share/lumivex/help/index.html \
    "share/lumivex/profiles/2x enlargement.ini" share/applications/lumivex.desktop \
    share/icons/hicolor/scalable/apps/lumivex.svg share/icons/hicolor/256x256/apps/lumivex.png \
    share/metainfo/example.corvanes.Lumivex.metainfo.xml share/man/man1/lumivex.1.gz \
    share/man/man1/lumivex-cli.1.gz share/bash-completion/completions/lumivex-cli \
    share/zsh/vendor-completions/_lumivex-cli; do
    [[ -f "$usr/$f" ]] || fail "missing /usr/$f"
done

"$usr/bin/lumivex-cli" --version | grep -qx 'lumivex-cli [0-9.]*' || fail "--version"
"$usr/bin/lumivex-cli" profiles | grep -q '2x enlargement' || fail "installed profiles not found"
"$usr/bin/lumivex-cli" --threads 2 enhance --quiet "$usr"/share/doc/lumivex/examples/burst/hubble_0[0-3].jpg \
    -o "$root/enhanced.jpg" || fail "enhance from the installed files"
"$usr/bin/lumivex-cli" info "$root/enhanced.jpg" | grep -q '960 x 720' || fail "enhanced size"
[[ ! -e "$usr/bin/profiles" ]] || fail "a profiles folder was created beside /usr/bin"

desktop-file-validate "$usr/share/applications/lumivex.desktop"
appstreamcli validate --no-net "$usr/share/metainfo/example.corvanes.Lumivex.metainfo.xml" >/dev/null
for page in lumivex lumivex-cli; do
    MANWIDTH=80 man -l "$usr/share/man/man1/$page.1.gz" 2>/dev/null | grep -q "^NAME" ||
        fail "man page $page(1)"
    # A source line that begins with a dot is read as a request and its text vanishes.
    warnings=$(MANWIDTH=80 man --warnings -l "$usr/share/man/man1/$page.1.gz" 2>&1 >/dev/null)
    [[ -z "$warnings" ]] || fail "man page $page(1): $warnings"
done
# The completion, loaded as bash-completion loads it, completes an option of enhance.
completed=$(bash -c 'source /usr/share/bash-completion/bash_completion && source "$1" &&
    COMP_LINE="lumivex-cli enhance --strip" && COMP_POINT=${#COMP_LINE} &&
    COMP_WORDS=($COMP_LINE) && COMP_CWORD=2 && _lumivex_cli &&
    echo "${COMPREPLY[*]}"' _ "$usr/share/bash-completion/completions/lumivex-cli")
[[ "$completed" == "--strip-metadata" ]] || fail "bash completion gave '$completed'"
echo "package check: ok"
