// Linked into the project's programs in sanitizer builds (BOM_SANITIZE,
// BOM_FUZZ): leaks LeakSanitizer is not to report because they are not the
// project's. Fontconfig, which the PDF writer reaches through Pango, leaks a
// few hundred bytes once per process while it parses its configuration.
//
// The runtime calls this hook; visible by default so that it also overrides
// the runtime's own when that is a shared library (GCC's libasan).
extern "C" __attribute__((visibility("default"))) const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n";
}

// The list of suppressions used is not printed: standard error is the
// program's own, which tests compare word for word.
extern "C" __attribute__((visibility("default"))) const char* __lsan_default_options() {
  return "print_suppressions=0";
}
