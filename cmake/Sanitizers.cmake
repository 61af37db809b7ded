# Instrumented builds. PLUMARK_SANITIZE checks every run for memory errors
# and undefined behaviour; PLUMARK_FUZZ (clang only) adds coverage for
# libFuzzer on top of the same checks and builds the targets in fuzz/.
option(PLUMARK_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(PLUMARK_FUZZ "Build the libFuzzer targets (needs clang)" OFF)

if(PLUMARK_SANITIZE OR PLUMARK_FUZZ)
    # Every finding stops the program. The null-argument check alone goes on
    # to the runtime, which still stops on it unless tools/ubsan.supp names
    # the place (a fault inside Qt's own headers).
    set(PLUMARK_SANITIZER_FLAGS
        -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined
        -fsanitize-recover=nonnull-attribute)
    add_compile_options(${PLUMARK_SANITIZER_FLAGS})
    add_link_options(-fsanitize=address,undefined)
endif()

if(PLUMARK_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        message(FATAL_ERROR "PLUMARK_FUZZ needs clang (configure with -DCMAKE_CXX_COMPILER=clang++)")
    endif()
    add_compile_options(-fsanitize=fuzzer-no-link)
endif()
