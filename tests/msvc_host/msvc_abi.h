// The platform's side of the Native API as MSVC lays it out, and the few
// system calls the host needs: declared here because the host is built with
// no headers and no runtime at all.
#pragma once

using size_t = decltype(sizeof 0);

extern "C" {
__declspec(dllimport) void* __stdcall LoadLibraryW(const wchar_t* path);
__declspec(dllimport) void* __stdcall GetProcAddress(void* module, const char* name);
__declspec(dllimport) int __stdcall FreeLibrary(void* module);
__declspec(dllimport) void* __stdcall GetStdHandle(unsigned long which);
__declspec(dllimport) int __stdcall WriteFile(void* file, const void* data, unsigned long size,
                                              unsigned long* written, void* overlapped);
__declspec(dllimport) __declspec(noreturn) void __stdcall ExitProcess(unsigned int code);
__declspec(dllimport) const wchar_t* __stdcall GetCommandLineW();
__declspec(dllimport) void* __stdcall GetProcessHeap();
__declspec(dllimport) void* __stdcall HeapAlloc(void* heap, unsigned long flags, size_t size);
__declspec(dllimport) int __stdcall HeapFree(void* heap, unsigned long flags, void* block);
}

enum : unsigned short { VT_I4 = 3, VT_BOOL = 11, VT_UI4 = 16, VT_PWSTR = 22 };

struct tVariant {
    union {
        int lVal;
        bool bVal;
        double dblVal;  // the union's alignment
        int tmVal[9];   // the platform's tm: the union's size
        struct {
            wchar_t* pwstrVal;
            unsigned int wstrLen;
        };
    };
    unsigned int cbElements;
    unsigned short vt;
};
// The same on x64 and x86; only the length's offset follows the pointer size.
static_assert(sizeof(tVariant) == 48, "tVariant on Windows");
static_assert(__builtin_offsetof(tVariant, wstrLen) == sizeof(void*), "length after the pointer");
static_assert(__builtin_offsetof(tVariant, vt) == 44, "type tag at the end");
static_assert(sizeof(long) == 4, "long is 32-bit on Windows");

class IMemoryManager {
  public:
    virtual ~IMemoryManager() {}
    virtual bool AllocMemory(void** block, unsigned long size) = 0;
    virtual void FreeMemory(void** block) = 0;
};

class IAddInDefBase {
  public:
    virtual ~IAddInDefBase() {}
    virtual bool AddError(unsigned short code, const wchar_t* source, const wchar_t* descr,
                          long scode) = 0;
    // The platform's services the component does not use; the host offers none.
    virtual bool Read(wchar_t*, tVariant*, long*, wchar_t**) { return false; }
    virtual bool Write(wchar_t*, tVariant*) { return false; }
    virtual bool RegisterProfileAs(wchar_t*) { return false; }
    virtual bool SetEventBufferDepth(long) { return false; }
    virtual long GetEventBufferDepth() { return 0; }
    virtual bool ExternalEvent(wchar_t*, wchar_t*, wchar_t*) { return false; }
    virtual void CleanEventBuffer() {}
    virtual bool SetStatusLine(wchar_t*) { return false; }
    virtual void ResetStatusLine() {}
};

class IInitDoneBase {
  public:
    virtual ~IInitDoneBase() {}
    virtual bool Init(void* connection) = 0;
    virtual bool setMemManager(void* memory) = 0;
    virtual long GetInfo() = 0;
    virtual void Done() = 0;
};

class ILanguageExtenderBase {
  public:
    virtual ~ILanguageExtenderBase() {}
    virtual bool RegisterExtensionAs(wchar_t** name) = 0;
    virtual long GetNProps() = 0;
    virtual long FindProp(const wchar_t* name) = 0;
    virtual const wchar_t* GetPropName(long num, long alias) = 0;
    virtual bool GetPropVal(const long num, tVariant* value) = 0;
    virtual bool SetPropVal(const long num, tVariant* value) = 0;
    virtual bool IsPropReadable(const long num) = 0;
    virtual bool IsPropWritable(const long num) = 0;
    virtual long GetNMethods() = 0;
    virtual long FindMethod(const wchar_t* name) = 0;
    virtual const wchar_t* GetMethodName(const long num, const long alias) = 0;
    virtual long GetNParams(const long num) = 0;
    virtual bool GetParamDefValue(const long method, const long param, tVariant* value) = 0;
    virtual bool HasRetVal(const long method) = 0;
    virtual bool CallAsProc(const long method, tVariant* params, const long count) = 0;
    virtual bool CallAsFunc(const long method, tVariant* result, tVariant* params,
                            const long count) = 0;
};

class LocaleBase {
  public:
    virtual ~LocaleBase() {}
    virtual void SetLocale(const wchar_t* locale) = 0;
};

class IComponentBase : public IInitDoneBase, public ILanguageExtenderBase, public LocaleBase {
  public:
    ~IComponentBase() override {}
};
