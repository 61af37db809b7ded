# The sample files: three short M4A clips made by ffmpeg from its own signal
# sources, with fixed seeds and bit-exact output, into Samples/ in the program
# folder of the build.
find_program(PLUMARK_FFMPEG_PROGRAM ffmpeg)
if(NOT PLUMARK_FFMPEG_PROGRAM)
    # A build without them would install a program whose sample button finds nothing.
    message(FATAL_ERROR "ffmpeg not found: it makes the sample files (apt-get install ffmpeg)")
endif()

set(PLUMARK_SAMPLE_DIR ${CMAKE_BINARY_DIR}/Samples)
set(PLUMARK_SAMPLES
    "Sample 1 - Tone.m4a|sine=frequency=440:sample_rate=44100:duration=3|1|128k"
    "Sample 2 - Chord.m4a|aevalsrc=0.3*sin(2*PI*261.63*t)+0.3*sin(2*PI*329.63*t)+0.3*sin(2*PI*392*t):s=44100:d=4|2|160k"
    "Sample 3 - Rain.m4a|anoisesrc=color=pink:amplitude=0.4:sample_rate=44100:duration=3:seed=11|2|96k")

set(PLUMARK_SAMPLE_FILES)
foreach(sample ${PLUMARK_SAMPLES})
    string(REPLACE "|" ";" fields "${sample}")
    list(GET fields 0 name)
    list(GET fields 1 source)
    list(GET fields 2 channels)
    list(GET fields 3 rate)
    set(output "${PLUMARK_SAMPLE_DIR}/${name}")
    add_custom_command(
        OUTPUT "${output}"
        COMMAND ${CMAKE_COMMAND} -E make_directory "${PLUMARK_SAMPLE_DIR}"
        COMMAND ${PLUMARK_FFMPEG_PROGRAM} -nostdin -hide_banner -loglevel error -y
                -f lavfi -i "${source}" -ac ${channels} -c:a aac -b:a ${rate}
                -map_metadata -1 -fflags +bitexact -flags:a +bitexact "${output}"
        COMMENT "Making sample ${name}"
        VERBATIM)
    list(APPEND PLUMARK_SAMPLE_FILES "${output}")
endforeach()
add_custom_target(plumark_samples ALL DEPENDS ${PLUMARK_SAMPLE_FILES})
