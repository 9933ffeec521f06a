// Linked into the x86 negative-control DLLs whose component sources are built
// with -finstrument-functions: every function entered calls this hook first.
// Built assuming the 16-byte stack that GCC code counts on, so its aligned
// local lands off 16 exactly when the caller did not keep that promise.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" {

__attribute__((no_instrument_function)) void __cyg_profile_func_enter(void*, void*) {
    alignas(16) volatile char probe[16] = {};
    // The compiler knows the answer it assumes: make it look.
    uintptr_t address = reinterpret_cast<uintptr_t>(probe);
    __asm__ volatile("" : "+r"(address));
    if (address % 16 != 0) {
        std::fputs("stack_witness: a function of the DLL ran on a stack not aligned to 16\n", stderr);
        std::_Exit(4);
    }
}

__attribute__((no_instrument_function)) void __cyg_profile_func_exit(void*, void*) {}
}
