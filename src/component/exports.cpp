// The four entry points the platform looks up by name.
#include <cstdint>

#include "component/component.h"
#include "component/native_api.h"

#if defined(_WIN32)
#define ZARVIK_EXPORT extern "C" __declspec(dllexport)
#else
#define ZARVIK_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {

// Built when the library loads, released when it unloads.
const WCHAR_T kClassNames[] = {'C', 'Z', 'a', 'r', 'v', 'i', 'k', 'K', 'a', 's', 's', 'a',
                               'A', 'd', 'd', 'I', 'n', 'N', 'a', 't', 'i', 'v', 'e', 0};

}  // namespace

ZARVIK_EXPORT long GetClassObject(const WCHAR_T* /*className*/, IComponentBase** iface) {
    if (iface == nullptr || *iface != nullptr) return 0;
    try {
        *iface = new zarvik::CZarvikKassaAddInNative();
        // The platform only tests the result for zero; on Windows long is
        // 32-bit, so a pointer whose low half is zero must still read as success.
        const long id = static_cast<long>(reinterpret_cast<intptr_t>(*iface));
        return id != 0 ? id : 1;
    } catch (...) {
        // No log folder, no memory: the platform sees no object and says so.
        *iface = nullptr;
        return 0;
    }
}

ZARVIK_EXPORT long DestroyObject(IComponentBase** iface) {
    if (iface == nullptr || *iface == nullptr) return -1;
    delete *iface;
    *iface = nullptr;
    return 0;
}

ZARVIK_EXPORT const WCHAR_T* GetClassNames() { return kClassNames; }

ZARVIK_EXPORT AppCapabilities SetPlatformCapabilities(const AppCapabilities /*capabilities*/) {
    return eAppCapabilities1;
}
