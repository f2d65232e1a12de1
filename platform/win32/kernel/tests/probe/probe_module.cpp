// A shared object for the module tests: LoadLibraryW loads it by its DLL name, GetProcAddress
// finds its exports, and its own resources and version block are read through its handle and
// its path.
extern "C" {

__attribute__((visibility("default"))) int ProbeAnswer() {
    return 42;
}

__attribute__((visibility("default"))) int ProbeCounter = 7;

// The decorated name "?Answer@Probe@@QAEHXZ" under its export alias.
__attribute__((visibility("default"))) int w32_export__3FAnswer_40Probe_40_40QAEHXZ() {
    return 43;
}
}
