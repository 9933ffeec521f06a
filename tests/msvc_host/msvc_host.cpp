// A stand-in for the Windows platform: built by clang for the MSVC C++ ABI
// (one vtable slot per virtual destructor, MSVC's this-adjustment and calling
// convention), with no C or C++ runtime at all, so every virtual call it makes
// is laid out exactly as the platform's. It loads the DLL, drives the
// component through its three interface tables with its own connection and
// memory manager, and exits non-zero on the first thing that is not as the
// platform expects.
//
// Usage: msvc_host.exe <path of the DLL>
//
// Built for x64 and for x86 (the 32-bit client) from this one source.

#include "msvc_abi.h"

extern "C" {
// What the compiler expects of a runtime we do not link.
int _fltused = 0;
int __cdecl _purecall() { ExitProcess(3); }
}

void operator delete(void* block) noexcept { HeapFree(GetProcessHeap(), 0, block); }
void operator delete(void* block, size_t) noexcept { HeapFree(GetProcessHeap(), 0, block); }

namespace {

// ---- Output and text, with no runtime to lean on ----

int g_failures = 0;
int g_checks = 0;

template <typename Char>
size_t Length(const Char* text) {
    size_t size = 0;
    while (text[size] != 0) ++size;
    return size;
}

void Print(const char* text) {
    unsigned long written = 0;
    WriteFile(GetStdHandle(static_cast<unsigned long>(-11)), text,
              static_cast<unsigned long>(Length(text)), &written, nullptr);
}

// ASCII only; anything else shows as '?'.
void Print(const wchar_t* text) {
    char chunk[2] = {0, 0};
    for (; text != nullptr && *text != 0; ++text) {
        chunk[0] = (*text >= 32 && *text < 127) ? static_cast<char>(*text) : '?';
        Print(chunk);
    }
}

// 32-bit arithmetic: 64-bit division would need the runtime's __aulldiv on x86.
void Print(long value) {
    unsigned long magnitude =
        value < 0 ? 0ul - static_cast<unsigned long>(value) : static_cast<unsigned long>(value);
    char digits[12] = {};
    int start = 11;
    do {
        digits[--start] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0) digits[--start] = '-';
    Print(digits + start);
}

template <typename First, typename Second, typename... More>
void Print(First first, Second second, More... more) {
    Print(first);
    Print(second, more...);
}

bool StartsWith(const wchar_t* text, const wchar_t* prefix) {
    if (text == nullptr) return false;
    while (*prefix != 0 && *text == *prefix) ++text, ++prefix;
    return *prefix == 0;
}

bool Equal(const wchar_t* text, const wchar_t* expected) {
    return StartsWith(text, expected) && text[Length(expected)] == 0;
}

// Counts a check; a mismatch is printed up to its detail, which the caller adds.
bool Mismatch(bool ok, const char* what, const wchar_t* about) {
    ++g_checks;
    if (ok) return false;
    ++g_failures;
    Print("MISMATCH: ", what);
    if (about != nullptr) Print(" ", about);
    return true;
}

void Check(bool ok, const char* what, const wchar_t* about = nullptr) {
    if (Mismatch(ok, what, about)) Print("\n");
}

void CheckLong(long actual, long expected, const char* what, const wchar_t* about = nullptr) {
    if (!Mismatch(actual == expected, what, about)) return;
    Print(": got ", actual, ", expected ", expected, "\n");
}

void CheckText(const wchar_t* actual, const wchar_t* expected, const char* what) {
    if (!Mismatch(Equal(actual, expected), what, nullptr)) return;
    Print(": got \"", actual == nullptr ? L"(null)" : actual, "\"\n");
}

// ---- The platform's side of the conversation ----

class HostMemory : public IMemoryManager {
  public:
    bool AllocMemory(void** block, unsigned long size) override {
        *block = HeapAlloc(GetProcessHeap(), 0, size);
        if (*block != nullptr && live_ < kMax) blocks_[live_++] = *block;
        return *block != nullptr;
    }
    void FreeMemory(void** block) override {
        const int found = Find(*block);
        if (found >= 0) blocks_[found] = blocks_[--live_];
        HeapFree(GetProcessHeap(), 0, *block);
        *block = nullptr;
    }
    // Memory handed to us belongs to us; the platform frees it when done.
    bool Owns(const void* block) const { return Find(block) >= 0; }
    void Release(const void* block) {
        void* owned = const_cast<void*>(block);
        if (Owns(block)) FreeMemory(&owned);
    }
    int live() const { return live_; }

  private:
    int Find(const void* block) const {
        for (int i = 0; i < live_; ++i) {
            if (blocks_[i] == block) return i;
        }
        return -1;
    }
    static constexpr int kMax = 64;
    void* blocks_[kMax] = {};
    int live_ = 0;
};

class HostConnection : public IAddInDefBase {
  public:
    bool AddError(unsigned short code, const wchar_t* source, const wchar_t* descr,
                  long scode) override {
        ++errors;
        lastCode = code;
        lastScode = scode;
        Copy(lastSource, source);
        Copy(lastDescription, descr);
        return true;
    }

    int errors = 0;
    unsigned short lastCode = 0;
    long lastScode = 0;
    wchar_t lastSource[128] = {};
    wchar_t lastDescription[256] = {};

  private:
    template <size_t N>
    static void Copy(wchar_t (&to)[N], const wchar_t* from) {
        size_t i = 0;
        for (; from != nullptr && from[i] != 0 && i + 1 < N; ++i) to[i] = from[i];
        to[i] = 0;
    }
};

tVariant String(const wchar_t* text) {
    tVariant value = {};
    value.vt = VT_PWSTR;
    value.pwstrVal = const_cast<wchar_t*>(text);
    value.wstrLen = static_cast<unsigned int>(Length(text));
    return value;
}

// The command line after the program's own name, quoted or not.
const wchar_t* CommandLineArgument() {
    const wchar_t* line = GetCommandLineW();
    const wchar_t end = *line == L'"' ? *line++ : L' ';
    while (*line != 0 && *line++ != end) {
    }
    while (*line == L' ') ++line;
    return line;
}

constexpr long kOpenCashDrawer = 22;

void DriveComponent(IComponentBase* component, HostMemory& memory, HostConnection& connection) {
    IInitDoneBase* initDone = component;
    ILanguageExtenderBase* extender = component;

    Check(initDone->Init(&connection), "Init returns true");
    Check(initDone->setMemManager(&memory), "setMemManager returns true");
    CheckLong(initDone->GetInfo(), 3004, "GetInfo");
    // The locale the platform sets on a Russian till, through the third table.
    static_cast<LocaleBase*>(component)->SetLocale(L"rus_RUS");

    wchar_t* extension = nullptr;
    Check(extender->RegisterExtensionAs(&extension), "RegisterExtensionAs returns true");
    CheckText(extension, L"ZARVIK_KASSA_KKM_54FZ_FFD105", "RegisterExtensionAs name");
    Check(memory.Owns(extension), "extension name came from our AllocMemory");
    memory.Release(extension);

    CheckLong(extender->GetNProps(), 0, "GetNProps");
    CheckLong(extender->GetNMethods(), 29, "GetNMethods");
    const struct {
        const wchar_t* name;
        long index;
    } kMethods[] = {{L"GetInterfaceRevision", 0},
                    {L"GetDescription", 1},
                    {L"ПолучитьОписание", 1},
                    {L"OpenCashDrawer", kOpenCashDrawer},
                    {L"ОткрытьДенежныйЯщик", kOpenCashDrawer},
                    {L"NoSuchMethod", -1}};
    for (const auto& method : kMethods) {
        CheckLong(extender->FindMethod(method.name), method.index, "FindMethod", method.name);
    }
    CheckLong(extender->GetNParams(1), 1, "GetNParams GetDescription");
    CheckLong(extender->GetNParams(4), 2, "GetNParams SetParameter");
    Check(extender->HasRetVal(1), "HasRetVal GetDescription");
    const wchar_t* russian = extender->GetMethodName(kOpenCashDrawer, 1);
    CheckText(russian, L"ОткрытьДенежныйЯщик", "GetMethodName in Russian");
    memory.Release(russian);

    tVariant result = {};
    Check(extender->CallAsFunc(0, &result, nullptr, 0), "GetInterfaceRevision returns true");
    Check(result.vt == VT_I4 || result.vt == VT_UI4, "GetInterfaceRevision result is an integer");
    CheckLong(result.lVal, 3004, "GetInterfaceRevision result");

    // A string handed back in an out-parameter: our memory, the right length.
    tVariant description = {};
    result = {};
    Check(extender->CallAsFunc(1, &result, &description, 1), "GetDescription returns true");
    Check(result.vt == VT_BOOL && result.bVal, "GetDescription verdict is true");
    Check(description.vt == VT_PWSTR, "GetDescription hands back a string");
    Check(memory.Owns(description.pwstrVal), "out-string memory came from our AllocMemory");
    CheckLong(static_cast<long>(description.wstrLen),
              description.pwstrVal ? static_cast<long>(Length(description.pwstrVal)) : 0,
              "out-string length in code units");
    Check(StartsWith(description.pwstrVal, L"<?xml"), "GetDescription is an XML document");
    memory.Release(description.pwstrVal);

    // A driver method that fails reports through our AddError: nothing listens on port 1.
    tVariant port = {};
    port.vt = VT_I4;
    port.lVal = 1;
    tVariant settings[][2] = {{String(L"ServerHost"), String(L"127.0.0.1")},
                              {String(L"ServerPort"), port},
                              {String(L"PosId"), String(L"POS-1")}};
    for (tVariant* setting : settings) {
        Check(extender->CallAsFunc(4, &result, setting, 2), "SetParameter", setting[0].pwstrVal);
    }
    tVariant device = String(L"1");
    result = {};
    const bool opened = extender->CallAsFunc(kOpenCashDrawer, &result, &device, 1);
    Check(!(opened && result.vt == VT_BOOL && result.bVal),
          "OpenCashDrawer to a closed port fails");
    Check(connection.errors >= 1, "the failure arrives through AddError");
    CheckText(connection.lastSource, L"ZARVIK Duzar", "AddError source");
    CheckLong(connection.lastScode, connection.lastCode, "AddError scode equals its code");
    Print("msvc_host: OpenCashDrawer reported code ", long{connection.lastCode}, "\n");
    CheckText(connection.lastDescription, L"Невозможно установить соединение с приложением.",
              "AddError description of a refused connection");

    initDone->Done();
}

long (*g_getClassObject)(const wchar_t*, IComponentBase**);
long (*g_destroyObject)(IComponentBase**);
const wchar_t* (*g_getClassNames)();
int (*g_setCapabilities)(int);

// One platform session: the exports, a component driven through its tables,
// and the destruction an MSVC caller performs.
void Session() {
    CheckText(g_getClassNames(), L"CZarvikKassaAddInNative", "GetClassNames");
    CheckLong(g_setCapabilities(3), 1, "SetPlatformCapabilities");

    HostMemory memory;
    HostConnection connection;
    IComponentBase* component = nullptr;
    Check(g_getClassObject(L"CZarvikKassaAddInNative", &component) != 0, "GetClassObject succeeds");
    if (component == nullptr) {
        Print("msvc_host: no component\n");
        ExitProcess(1);
    }
    IComponentBase* again = component;
    CheckLong(g_getClassObject(L"CZarvikKassaAddInNative", &again), 0,
              "GetClassObject into a set pointer");
    Check(again == component, "GetClassObject leaves a set pointer alone");

    DriveComponent(component, memory, connection);
    CheckLong(g_destroyObject(&component), 0, "DestroyObject");
    Check(component == nullptr, "DestroyObject clears the pointer");
    CheckLong(g_destroyObject(&component), -1, "DestroyObject of a null pointer");
    CheckLong(memory.live(), 0, "everything handed to us was ours to free");

    // What an MSVC caller's delete does: the single destructor slot with the
    // delete flag, also through the second and third tables.
    IComponentBase* second = nullptr;
    IComponentBase* third = nullptr;
    g_getClassObject(L"CZarvikKassaAddInNative", &second);
    g_getClassObject(L"CZarvikKassaAddInNative", &third);
    if (second != nullptr && third != nullptr) {
        delete static_cast<ILanguageExtenderBase*>(second);
        delete static_cast<LocaleBase*>(third);
    } else {
        Check(false, "GetClassObject for the destructor slot");
    }
}

#if defined(_M_IX86)
// The x86 client keeps its stack aligned to 4 bytes only, while GCC code
// counts on 16 unless built to assume 4. Running the session from a stack
// 16-aligned and then 4, 8 and 12 below that puts every call into the DLL on
// a stack that is not 16-aligned at least three times out of four.
void SessionAtStackOffset(unsigned offset) {
    void (*session)() = Session;
    __asm__ volatile(
        "movl %%esp, %%esi\n\t"
        "andl $-16, %%esp\n\t"
        "subl %1, %%esp\n\t"
        "calll *%0\n\t"
        "movl %%esi, %%esp"
        :
        : "r"(session), "r"(offset)
        : "esi", "eax", "ecx", "edx", "memory", "cc");
}
#endif

template <typename Function>
void Resolve(void* module, const char* name, Function& function) {
    function = reinterpret_cast<Function>(GetProcAddress(module, name));
    if (function != nullptr) return;
    Print("msvc_host: the entry point ", name, " is missing\n");
    ExitProcess(2);
}

}  // namespace

extern "C" void HostMain() {
    const wchar_t* path = CommandLineArgument();
    void* module = LoadLibraryW(path);
    if (module == nullptr) {
        Print("msvc_host: cannot load ", path, "\n");
        ExitProcess(2);
    }
    Resolve(module, "GetClassObject", g_getClassObject);
    Resolve(module, "DestroyObject", g_destroyObject);
    Resolve(module, "GetClassNames", g_getClassNames);
    Resolve(module, "SetPlatformCapabilities", g_setCapabilities);

#if defined(_M_IX86)
    for (unsigned offset = 0; offset < 16; offset += 4) SessionAtStackOffset(offset);
#else
    Session();
#endif

    FreeLibrary(module);
    Print("msvc_host: ", long{g_checks - g_failures}, " passed, ", long{g_failures}, " failed\n");
    ExitProcess(g_failures == 0 ? 0 : 1);
}
