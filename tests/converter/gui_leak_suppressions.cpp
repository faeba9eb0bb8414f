// fontconfig keeps its configuration until exit and Qt never releases it; the
// leak checker of sanitized builds would fail every window test for that.
extern "C" const char* __lsan_default_suppressions();

extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
