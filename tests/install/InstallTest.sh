#!/usr/bin/env bash
# Installs the build with DESTDIR into a temporary folder and checks what a desktop and Debian expect of it: the
# file list, the desktop entry, the AppStream metadata, the vault file type, the manual pages, the bash
# completion, the version, and the package with lintian when dpkg-deb is there.
set -uo pipefail
: "${FENK_BUILD:?}" "${FENK_SOURCE:?}" "${FENK_VERSION:?}" "${FENK_APP_ID:?}" "${FENK_HAS_WINDOW:?}"
export LC_ALL=C.UTF-8

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0 failed=0

# check DESCRIPTION COMMAND...: runs the command and counts it; a failure prints what the command printed.
check()
{
    local description=$1 output
    shift
    if output=$("$@" 2>&1); then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        printf 'FAILED: %s\n%s\n' "$description" "$output" >&2
    fi
}

# fail DESCRIPTION LOG: counts a step that failed and shows what it printed.
fail()
{
    failed=$((failed + 1))
    printf 'FAILED: %s\n' "$1" >&2
    cat "$2" >&2
}

same() { [[ $1 == "$2" ]] || { printf 'expected: %q\n  actual: %q\n' "$2" "$1"; return 1; }; }
# Runs a validator and fails when it fails or prints anything but hints.
quiet()
{
    local output
    output=$("$@" 2>&1) || { echo "$output"; return 1; }
    if grep -v ': hint: ' <<<"$output" | grep -q .; then
        echo "$output"
        return 1
    fi
}

stage=$work/stage
root=$stage/usr
if ! DESTDIR=$stage cmake --install "$FENK_BUILD" --prefix /usr >"$work/install.log" 2>&1; then
    fail "the install into DESTDIR" "$work/install.log"
    echo "$passed passed, $failed failed"
    exit 1
fi

# Installed straight onto a system (no DESTDIR), the desktop's caches are brought up to date.
direct=$work/direct
if DESTDIR='' cmake --install "$FENK_BUILD" --prefix "$direct" >"$work/install.log" 2>&1; then
    check "a direct install compiles the file type database" test -s "$direct/share/mime/mime.cache"
    if ((FENK_HAS_WINDOW)); then
        check "a direct install opens vaults with Fenk" \
            grep -qxF 'application/x-fenk-vault=fenk.desktop;' "$direct/share/applications/mimeinfo.cache"
    fi
else
    fail "a direct install" "$work/install.log"
fi

# --- The file list -----------------------------------------------------------------------------------------------
expected_files()
{
    local size
    printf '%s\n' usr/bin/fenk-cli usr/share/man/man1/fenk-cli.1.gz usr/share/bash-completion/completions/fenk-cli \
        usr/share/mime/packages/fenk.xml usr/share/icons/hicolor/scalable/apps/fenk.svg \
        usr/share/doc/fenk/README.md usr/share/doc/fenk/copyright usr/share/doc/fenk/changelog.gz
    for size in 16 24 32 48 64 128 256; do
        echo "usr/share/icons/hicolor/${size}x$size/apps/fenk.png"
    done
    if ((FENK_HAS_WINDOW)); then
        printf '%s\n' usr/bin/fenk usr/share/man/man1/fenk.1.gz usr/share/applications/fenk.desktop \
            "usr/share/metainfo/$FENK_APP_ID.metainfo.xml"
    fi
    if [[ -d $FENK_SOURCE/docs/screenshots ]]; then
        (cd "$FENK_SOURCE" && find docs/screenshots -type f) | sed 's|^|usr/share/doc/fenk/|'
    fi
}
expected_files | sort >"$work/expected"
(cd "$stage" && find . -type f -o -type l) | sed 's|^\./||' | sort >"$work/installed"
check "installs exactly the expected files" diff "$work/expected" "$work/installed"
for size in 16 24 32 48 64 128 256; do
    check "the icon at $size pixels" \
        grep -q "PNG image data, $size x $size," <(file -b "$root/share/icons/hicolor/${size}x$size/apps/fenk.png")
done

# --- The desktop entry and the AppStream metadata ----------------------------------------------------------------
desktop=$FENK_SOURCE/data/fenk.desktop
metainfo=$FENK_BUILD/data/$FENK_APP_ID.metainfo.xml
check "desktop-file-validate accepts the desktop entry" quiet desktop-file-validate "$desktop"
for line in 'Exec=fenk %f' 'Icon=fenk' 'Type=Application' 'MimeType=application/x-fenk-vault;' 'Terminal=false'; do
    check "the desktop entry has $line" grep -qxF "$line" "$desktop"
done
for category in Utility Security; do
    check "the desktop entry is in $category" grep -qE "^Categories=(.*;)?$category;" "$desktop"
done
check "appstreamcli validates the metadata" appstreamcli validate --no-net "$metainfo"
check "the metadata's release is the project version" grep -qF "<release version=\"$FENK_VERSION\"" "$metainfo"
for picture in main-window.png find-bar.png row-editor.png; do
    check "the metadata shows $picture" grep -qE "<image>https://[^<]*/$picture</image>" "$metainfo"
done

# --- The vault file type -----------------------------------------------------------------------------------------
mime=$root/share/mime/packages/fenk.xml
check "the mime definition parses" xmllint --noout "$mime"
mkdir -p "$work/data/mime/packages" "$work/files"
cp "$mime" "$work/data/mime/packages/"
check "update-mime-database takes the definition" update-mime-database "$work/data/mime"
cp "$FENK_SOURCE/tests/data/vectors/vault-a.fkx" "$work/files/vault.fkx"
cp "$FENK_SOURCE/tests/data/vectors/vault-a.fkx" "$work/files/file.dat"
printf 'FKX2;' >"$work/files/header.dat"
printf 'site,login,password,note\n' >"$work/files/other.dat"
printf 'not a vault\n' >"$work/files/named.fkx"
content_type()
{
    XDG_DATA_DIRS=$work/data XDG_DATA_HOME=$work/none GIO_USE_VFS=local \
        gio info -a standard::content-type "$work/files/$1" | sed -n 's/^ *standard::content-type: //p'
}
# By name and header, by the header alone (a renamed vault), by the name alone; and a file that is no vault.
while read -r name type; do
    check "$name is typed $type" same "$(content_type "$name")" "$type"
done <<'CASES'
vault.fkx application/x-fenk-vault
file.dat application/x-fenk-vault
header.dat application/x-fenk-vault
named.fkx application/x-fenk-vault
other.dat text/plain
CASES

# --- The manual pages --------------------------------------------------------------------------------------------
man_text() { MANWIDTH=100 man --warnings -l "$1" 2>"$work/man-warnings"; }
pages=("$root/share/man/man1/fenk-cli.1.gz")
((FENK_HAS_WINDOW)) && pages+=("$root/share/man/man1/fenk.1.gz") || pages+=("$FENK_BUILD/docs/man/fenk.1.gz")
for page in "${pages[@]}"; do
    check "man renders $(basename "$page")" grep -q '^NAME' <(man_text "$page")
    check "man renders $(basename "$page") without warnings" same "$(cat "$work/man-warnings")" ""
done

cli=$root/bin/fenk-cli
mapfile -t commands < <("$cli" --help | sed -n '/^Commands:/,/^$/s/^  \([a-z][a-z-]*\)  .*/\1/p')
check "fenk-cli lists its commands" test "${#commands[@]}" -gt 0
man_text "${pages[0]}" >"$work/fenk-cli.txt"
for command in "${commands[@]}"; do
    check "fenk-cli.1 explains $command" grep -qE "^ +$command( |$)" "$work/fenk-cli.txt"
    for option in $("$cli" "$command" --help | sed -n 's/^  \(--[a-z-]*\).*/\1/p'); do
        check "fenk-cli.1 explains $option of $command" grep -qE "^ +(.*, )?$option( |,|$)" "$work/fenk-cli.txt"
    done
done
for section in SYNOPSIS 'EXIT STATUS' FILES EXAMPLES; do
    check "fenk-cli.1 has $section" grep -qx "$section" "$work/fenk-cli.txt"
done

# --- The bash completion -----------------------------------------------------------------------------------------
mkdir -p "$work/completion/folder"
: >"$work/completion/a.fkx"
: >"$work/completion/b.csv"
complete_line()
{
    (cd "$work/completion" && PATH=$root/bin:$PATH bash -c '
        source "$1"
        line=${2//=/ = }
        read -ra COMP_WORDS <<<"$line"
        [[ $line == *" " ]] && COMP_WORDS+=("")
        COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
        _fenk_cli fenk-cli
        printf "%s\n" "${COMPREPLY[@]}" | sort | paste -sd " "' _ \
        "$root/share/bash-completion/completions/fenk-cli" "$1")
}
check "the completion offers every command" \
    same "$(complete_line 'fenk-cli ')" "$(printf '%s\n' "${commands[@]}" --help --version | sort | paste -sd ' ')"
# The line typed (up to the cursor) and what the completion offers, sorted; "|" ends the line.
while IFS='|' read -r line offered; do
    check "the completion of '$line'" same "$(complete_line "$line")" "$offered"
done <<'CASES'
fenk-cli ex|export
fenk-cli export v.fkx --|--format --help --password-stdin --quiet
fenk-cli export v.fkx --format |csv json
fenk-cli import v.fkx a.fkx --format j|json
fenk-cli export v.fkx --format=|csv json
fenk-cli import v.fkx --format=csv |a.fkx b.csv folder
fenk-cli edit v.fkx 3 --site x --|--help --login --note --password --password-stdin
fenk-cli add v.fkx --site |
fenk-cli list |a.fkx folder
fenk-cli import v.fkx |a.fkx b.csv folder
fenk-cli show v.fkx |
fenk-cli find v.fkx -- |
CASES

# --- The version -------------------------------------------------------------------------------------------------
check "fenk-cli --version prints the project version" same "$("$cli" --version)" "Fenk $FENK_VERSION"
if ((FENK_HAS_WINDOW)); then
    # Also where no display is, as in a terminal over ssh.
    check "fenk --version prints the project version without a display" \
        same "$(env -u QT_QPA_PLATFORM -u DISPLAY -u WAYLAND_DISPLAY "$root/bin/fenk" --version)" "Fenk $FENK_VERSION"
fi

# --- The package -------------------------------------------------------------------------------------------------
if [[ ${FENK_BUILD_PACKAGE:-1} == 1 ]] && command -v dpkg-deb >/dev/null; then
    if cpack --config "$FENK_BUILD/CPackConfig.cmake" -B "$work/package" >"$work/cpack.log" 2>&1; then
        deb=$(ls "$work"/package/fenk_"$FENK_VERSION"_*.deb)
        dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sed 's|^\./||' | sort >"$work/packaged"
        check "the package holds exactly the installed files" diff "$work/installed" "$work/packaged"
        check "the package has the project version" same "$(dpkg-deb -f "$deb" Version)" "$FENK_VERSION"
        check "the package depends on Qt Core" grep -q 'libqt6core6' <(dpkg-deb -f "$deb" Depends)
        check "the package has a maintainer" grep -q '<.*@.*>' <(dpkg-deb -f "$deb" Maintainer)
        if command -v lintian >/dev/null; then
            check "lintian finds no errors or warnings" lintian --fail-on error,warning "$deb"
        fi
    else
        fail "cpack builds the package" "$work/cpack.log"
    fi
fi

echo "$passed passed, $failed failed"
((failed == 0))
