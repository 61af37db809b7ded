# The sanitizer settings shared by the sanitized tests, the soak check and the
# fuzzers: every finding is fatal, leaks included (Qt gives no false leaks
# here); tools/ubsan.supp lists the one known fault inside Qt's headers.
# Source it from the top of the source tree.
export ASAN_OPTIONS=detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1:suppressions=$PWD/tools/ubsan.supp
