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

# make_corpus FOLDER COUNT SECONDS: the generated inputs, also for further corpora.
make_corpus() {
    mkdir -p "$1"
    i=1
    while [ "$i" -le "$2" ]; do
        ffmpeg -nostdin -v error -y -f lavfi \
            -i "anoisesrc=d=$3:c=pink:r=48000:a=0.3:seed=$i" -ac 2 \
            -c:a aac -b:a 128k "$1/track $i.m4a"
        i=$((i + 1))
    done
}

echo "Corpus: $files files of $seconds s (AAC 128 kb/s, stereo), $(nproc) cores"
make_corpus "$work/in" "$files" "$seconds"

now() { date +%s.%N; }

# Runs one variant (of the corpus named by $corpus, where one is set) into a
# fresh output folder, $OUT, and adds its time in seconds to its list.
timed() {
    variant=${corpus:+$corpus-}$1
    shift
    OUT="$work/out-$variant"
    export OUT
    rm -rf "$OUT"
    mkdir -p "$OUT"
    start=$(now)
    "$@"
    end=$(now)
    awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f\n", b - a }' >>"$work/$variant.t"
}
