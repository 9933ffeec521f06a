// Our declarations of the 1C:Enterprise Native API: the value record, the
// interfaces the component implements and the two the platform hands us.
// Written from the binary facts we verified; the compile-time checks at the
// end hold those facts in place.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>

#if defined(_WIN32)
using WCHAR_T = wchar_t;
#else
using WCHAR_T = uint16_t;  // wchar_t is 32-bit here; the platform's text is UTF-16
#endif

// MSVC gives a virtual destructor one vtable slot (the scalar deleting
// destructor), the Itanium ABI that mingw follows gives it two. A mingw-built
// interface with a real virtual destructor would shift every later slot by one
// and the MSVC platform would call Init into a destructor. So under mingw each
// interface reserves the single MSVC slot with a placeholder, and the real
// destructor is declared once, in IComponentBase, after the last slot.
// Defined to 0 from outside only by the negative control of the MSVC-ABI host.
#if !defined(ZARVIK_MSVC_SLOT_EMULATION)
#if defined(_WIN32) && defined(__GNUC__) && !defined(_MSC_VER)
#define ZARVIK_MSVC_SLOT_EMULATION 1
#else
#define ZARVIK_MSVC_SLOT_EMULATION 0
#endif
#endif
#if ZARVIK_MSVC_SLOT_EMULATION
#define ZARVIK_INTERFACE_HEAD(Name)                                \
  public:                                                          \
    virtual void* msvc_deleting_dtor_slot(unsigned int flags) = 0; \
                                                                   \
  protected:                                                       \
    ~Name() = default;                                             \
                                                                   \
  public:
#else
#define ZARVIK_INTERFACE_HEAD(Name) \
  public:                           \
    virtual ~Name() = default;
#endif

enum TYPEVAR : uint16_t {
    VTYPE_EMPTY = 0,
    VTYPE_NULL = 1,
    VTYPE_I2 = 2,
    VTYPE_I4 = 3,
    VTYPE_R4 = 4,
    VTYPE_R8 = 5,
    VTYPE_DATE = 7,
    VTYPE_TM = 8,
    VTYPE_PSTR = 9,
    VTYPE_INTERFACE = 10,
    VTYPE_ERROR = 10,
    VTYPE_BOOL = 11,
    VTYPE_VARIANT = 12,
    VTYPE_I1 = 13,
    VTYPE_UI1 = 14,
    VTYPE_UI2 = 15,
    VTYPE_UI4 = 16,
    VTYPE_I8 = 17,
    VTYPE_UI8 = 18,
    VTYPE_INT = 19,
    VTYPE_UINT = 20,
    VTYPE_HRESULT = 21,
    VTYPE_PWSTR = 22,
    VTYPE_BLOB = 23,
    VTYPE_CLSID = 24,
};

struct tVariant {
    union {
        int8_t i8Val;
        int16_t shortVal;
        int32_t lVal;
        int32_t intVal;
        unsigned int uintVal;
        int64_t llVal;
        uint8_t ui8Val;
        uint16_t ushortVal;
        uint32_t ulVal;
        uint64_t ullVal;
        int32_t errCode;
        long hRes;
        float fltVal;
        double dblVal;
        bool bVal;
        char chVal;
        WCHAR_T wchVal;
        double date;
        struct tm tmVal;  // the union's size follows the platform's struct tm
        struct {
            void* pInterfaceVal;
            uint8_t InterfaceID[16];
        };
        struct {
            char* pstrVal;
            uint32_t strLen;
        };
        struct {
            WCHAR_T* pwstrVal;
            uint32_t wstrLen;
        };
    };
    uint32_t cbElements;
    TYPEVAR vt;
};

class IMemoryManager {
    ZARVIK_INTERFACE_HEAD(IMemoryManager)
    virtual bool AllocMemory(void** block, unsigned long size) = 0;
    virtual void FreeMemory(void** block) = 0;
};

class IAddInDefBase {
    ZARVIK_INTERFACE_HEAD(IAddInDefBase)
    virtual bool AddError(unsigned short code, const WCHAR_T* source, const WCHAR_T* descr,
                          long scode) = 0;
    virtual bool Read(WCHAR_T* propName, tVariant* value, long* errCode, WCHAR_T** errDescr) = 0;
    virtual bool Write(WCHAR_T* propName, tVariant* value) = 0;
    virtual bool RegisterProfileAs(WCHAR_T* profileName) = 0;
    virtual bool SetEventBufferDepth(long depth) = 0;
    virtual long GetEventBufferDepth() = 0;
    virtual bool ExternalEvent(WCHAR_T* source, WCHAR_T* message, WCHAR_T* data) = 0;
    virtual void CleanEventBuffer() = 0;
    virtual bool SetStatusLine(WCHAR_T* statusLine) = 0;
    virtual void ResetStatusLine() = 0;
};

class IInitDoneBase {
    ZARVIK_INTERFACE_HEAD(IInitDoneBase)
    virtual bool Init(void* connection) = 0;
    virtual bool setMemManager(void* memory) = 0;
    virtual long GetInfo() = 0;
    virtual void Done() = 0;
};

class ILanguageExtenderBase {
    ZARVIK_INTERFACE_HEAD(ILanguageExtenderBase)
    virtual bool RegisterExtensionAs(WCHAR_T** extensionName) = 0;
    virtual long GetNProps() = 0;
    virtual long FindProp(const WCHAR_T* name) = 0;
    virtual const WCHAR_T* GetPropName(long num, long alias) = 0;
    virtual bool GetPropVal(const long num, tVariant* value) = 0;
    virtual bool SetPropVal(const long num, tVariant* value) = 0;
    virtual bool IsPropReadable(const long num) = 0;
    virtual bool IsPropWritable(const long num) = 0;
    virtual long GetNMethods() = 0;
    virtual long FindMethod(const WCHAR_T* name) = 0;
    virtual const WCHAR_T* GetMethodName(const long num, const long alias) = 0;
    virtual long GetNParams(const long num) = 0;
    virtual bool GetParamDefValue(const long method, const long param, tVariant* value) = 0;
    virtual bool HasRetVal(const long method) = 0;
    virtual bool CallAsProc(const long method, tVariant* params, const long count) = 0;
    virtual bool CallAsFunc(const long method, tVariant* result, tVariant* params,
                            const long count) = 0;
};

class LocaleBase {
    ZARVIK_INTERFACE_HEAD(LocaleBase)
    virtual void SetLocale(const WCHAR_T* locale) = 0;
};

class IComponentBase : public IInitDoneBase, public ILanguageExtenderBase, public LocaleBase {
  public:
    virtual ~IComponentBase() = default;
#if ZARVIK_MSVC_SLOT_EMULATION
    // The MSVC platform destroys through this slot; one override serves all
    // three bases through the compiler's this-adjusting thunks.
    void* msvc_deleting_dtor_slot(unsigned int flags) override {
        if (flags & 1u) {
            delete this;
        } else {
            this->~IComponentBase();
        }
        return this;
    }
#endif
};

enum AppCapabilities : int {
    eAppCapabilitiesInvalid = -1,
    eAppCapabilities1 = 1,
    eAppCapabilities2 = 2,
    eAppCapabilities3 = 3,
    eAppCapabilitiesLast = eAppCapabilities3,
};

extern "C" {
long GetClassObject(const WCHAR_T* className, IComponentBase** iface);
long DestroyObject(IComponentBase** iface);
const WCHAR_T* GetClassNames();
AppCapabilities SetPlatformCapabilities(const AppCapabilities capabilities);
}

static_assert(sizeof(WCHAR_T) == 2, "platform text is UTF-16");
static_assert(sizeof(bool) == 1, "the platform's bool is one byte");
static_assert(sizeof(AppCapabilities) == sizeof(int), "capabilities travel as an int");
static_assert(sizeof(IInitDoneBase) == sizeof(void*), "an interface is one table pointer");
static_assert(sizeof(ILanguageExtenderBase) == sizeof(void*), "an interface is one table pointer");
static_assert(sizeof(LocaleBase) == sizeof(void*), "an interface is one table pointer");
static_assert(sizeof(IAddInDefBase) == sizeof(void*), "an interface is one table pointer");
static_assert(sizeof(IMemoryManager) == sizeof(void*), "an interface is one table pointer");
static_assert(offsetof(tVariant, pwstrVal) == 0, "string pointer opens the union");
static_assert(offsetof(tVariant, wstrLen) == sizeof(void*), "string length follows the pointer");
static_assert(offsetof(tVariant, pstrVal) == 0, "string pointer opens the union");
static_assert(offsetof(tVariant, strLen) == sizeof(void*), "string length follows the pointer");
#if defined(_WIN32)
// x64 and x86 alike: the 36-byte struct tm padded to the 8 of int64 and double.
static_assert(sizeof(long) == 4, "long is 32-bit on Windows");
static_assert(sizeof(tVariant) == 48, "tVariant on Windows");
static_assert(offsetof(tVariant, cbElements) == 40, "tVariant on Windows");
static_assert(offsetof(tVariant, vt) == 44, "tVariant on Windows");
// msvcrt's time_t on x86 is 32-bit unless the toolchain asks for the 64-bit one.
static_assert(sizeof(std::time_t) == 8, "dates past 2038 in the log and the request counter");
#else
static_assert(sizeof(long) == 8, "LP64");
static_assert(sizeof(tVariant) == 64, "tVariant on Linux x86_64");
static_assert(offsetof(tVariant, cbElements) == 56, "tVariant on Linux x86_64");
static_assert(offsetof(tVariant, vt) == 60, "tVariant on Linux x86_64");
#endif
