# Shared by the batch benchmarks (sourced): the generated corpus, the clock
# and the converter command of one file as plumark runs it.

# make_corpus FOLDER COUNT SECONDS: stereo AAC at 128 kb/s from seeded pink noise.
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

now() { date +%s.%N; }

# For "sh -c": converts the file $1 into the folder $OUT.
convert_one='name=${1##*/}; ffmpeg -i "$1" -ab 192k -acodec ac3 "$OUT/${name%.*}.ac3" </dev/null 2>/dev/null'
