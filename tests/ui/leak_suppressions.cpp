// Under the leak checker: the font library keeps its caches for the life of
// the process, which is not a leak of this program.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
