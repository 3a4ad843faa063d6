// Linked into the project's programs in sanitizer builds (BOM_SANITIZE,
// BOM_FUZZ): leaks LeakSanitizer is not to report because they are not the
// project's. Fontconfig, which the PDF writer reaches through Pango, leaks a
// few hundred bytes once per process while it parses its configuration.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
