# Shared by the batch benchmarks (sourced): finds the program in the build
# folder $build, makes a private work folder $work (removed at the end) with a
# private TEMP, and writes $files generated inputs of $seconds s each
# (pink noise, AAC 128 kb/s, stereo) into "$work/in".
plumark=$(cd "$build" && pwd)/plumark
[ -x "$plumark" ] || { echo "no plumark in $build" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM
mkdir -p "$work/in" "$work/temp"
export TEMP="$work/temp"

echo "Corpus: $files files of $seconds s (AAC 128 kb/s, stereo), $(nproc) cores"
i=1
while [ "$i" -le "$files" ]; do
    ffmpeg -nostdin -v error -y -f lavfi \
        -i "anoisesrc=d=$seconds:c=pink:r=48000:a=0.3:seed=$i" -ac 2 \
        -c:a aac -b:a 128k "$work/in/track $i.m4a"
    i=$((i + 1))
done

now() { date +%s.%N; }
