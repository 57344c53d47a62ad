// A library that no system has, put beside the Windows-side tests: once the program has asked
// for libraries from the system folder only, loading it by name must fail.
extern "C" __declspec(dllexport) int TarvekPlanted() { return 1; }
