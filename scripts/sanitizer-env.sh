# Sanitizer settings for the scripts that run sanitized programs; sourced with $root set.
# Reports end the program with a non-zero status; leaks are checked at exit, except the library
# leaks listed in the suppression file. (A sanitized program in a window needs detect_leaks=0 added:
# LeakSanitizer's scan at exit crashes on the dynamic TLS of Mesa's X11 driver.)
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:check_initialization_order=1:strict_init_order=1}"
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$root/scripts/sanitizer-suppressions.txt:print_suppressions=0}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
