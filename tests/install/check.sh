#!/usr/bin/env bash
# Installs the build into a temporary prefix, validates the desktop entry and
# the AppStream metainfo, and converts a sample with the installed program.
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/usr

cmake --install "$build" --prefix "$prefix" >/dev/null

desktop-file-validate "$prefix/share/applications/com.kestrova.Plumark.desktop"
appstreamcli validate --no-net "$prefix/share/metainfo/com.kestrova.Plumark.metainfo.xml" >/dev/null
for file in bin/plumark share/plumark/HAND-M.CUR share/plumark/drag.ico share/plumark/x/o.cjs \
    share/man/man1/plumark.1.gz share/doc/plumark/copyright share/doc/plumark/changelog.gz \
    share/icons/hicolor/scalable/apps/plumark.svg share/plumark/translations/plumark_de.qm \
    share/plumark/translations/plumark_es.qm share/plumark/translations/plumark_fr.qm; do
    [ -e "$prefix/$file" ] || { echo "missing after install: $file" >&2; exit 1; }
done

sample=$(find "$prefix/share/plumark/Samples" -name '*.m4a' | sort | head -n 1)
[ -n "$sample" ] || { echo "no sample installed" >&2; exit 1; }
mkdir "$work/out"
TEMP=$work HOME=$work XDG_CONFIG_HOME=$work/config \
    "$prefix/bin/plumark" convert --bitrate 192 --output-dir "$work/out" "$sample"
result="$work/out/$(basename "${sample%.*}").ac3"
codec=$(ffprobe -v error -show_entries stream=codec_name -of default=nw=1:nk=1 "$result")
[ "$codec" = ac3 ] && [ -s "$result" ] || { echo "no AC3 result from the installed program" >&2; exit 1; }
echo "installed program converted $(basename "$sample")"
