// Memory tests read the resident size; ASan's quarantine (256 MiB by default)
// keeps freed blocks resident and would count them as used. A small one
// still catches a use right after free.
extern "C" const char* __asan_default_options() { return "quarantine_size_mb=16"; }
