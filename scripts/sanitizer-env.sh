# Sanitizer settings for the scripts that run sanitized programs; sourced with $root set.
# Reports end the program with a non-zero status; leaks are checked at exit, except the library
# leaks listed in the suppression file.
# intercept_tls_get_addr=0: the leak scan at exit otherwise walks the dynamic TLS blocks it recorded
# from __tls_get_addr, and one recorded for a library Mesa loads has a nonsense address: the scan's
# tracer crashes ("Tracer caught signal 11", status 1) in windowed runs and in some headless ones.
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:check_initialization_order=1:strict_init_order=1:intercept_tls_get_addr=0}"
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$root/scripts/sanitizer-suppressions.txt:print_suppressions=0}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
