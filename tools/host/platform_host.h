// The platform's side of the Native API, without the platform: loads a
// component library from its path, resolves the four exports by name, hands
// the component a recording connection and a counting memory manager, builds
// tVariant parameters and calls methods by name through FindMethod and
// CallAsFunc as the platform does. The command-line host and the test
// support share it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "component/native_api.h"

namespace zarvik::host {

std::u16string ToU16(const std::string& utf8);
std::string ToU8(const std::u16string& text);
std::u16string FromPlatform(const WCHAR_T* text);  // up to the terminating zero

// Everything AddError received.
struct ErrorReport {
    unsigned short code = 0;
    std::string source;       // UTF-8
    std::string description;  // UTF-8
    long scode = 0;
};

class RecordingConnection : public IAddInDefBase {
  public:
#if ZARVIK_MSVC_SLOT_EMULATION
    void* msvc_deleting_dtor_slot(unsigned int) override { return this; }
#endif
    bool AddError(unsigned short code, const WCHAR_T* source, const WCHAR_T* descr,
                  long scode) override;
    bool Read(WCHAR_T*, tVariant*, long*, WCHAR_T**) override { return false; }
    bool Write(WCHAR_T*, tVariant*) override { return false; }
    bool RegisterProfileAs(WCHAR_T*) override { return false; }
    bool SetEventBufferDepth(long) override { return false; }
    long GetEventBufferDepth() override { return 0; }
    bool ExternalEvent(WCHAR_T*, WCHAR_T*, WCHAR_T*) override { return false; }
    void CleanEventBuffer() override {}
    bool SetStatusLine(WCHAR_T*) override { return false; }
    void ResetStatusLine() override {}

    std::vector<ErrorReport> errors;
};

class CountingMemoryManager : public IMemoryManager {
  public:
#if ZARVIK_MSVC_SLOT_EMULATION
    void* msvc_deleting_dtor_slot(unsigned int) override { return this; }
#endif
    bool AllocMemory(void** block, unsigned long size) override;
    void FreeMemory(void** block) override;

    bool refuse = false;   // when set, every AllocMemory fails
    long allocations = 0;  // granted so far
    long live = 0;         // granted and not yet freed
};

// One in-parameter or out-parameter slot of a call.
struct Param {
    static Param Empty();
    static Param Str(const std::string& utf8);
    static Param Str16(const std::u16string& text);
    static Param I4(int32_t value);
    static Param UI4(uint32_t value);
    static Param R8(double value);
    static Param Bool(bool value);
    static Param NullString();  // VTYPE_PWSTR with a null pointer

    TYPEVAR vt = VTYPE_EMPTY;
    std::u16string text;
    int32_t i4 = 0;
    uint32_t ui4 = 0;
    double r8 = 0.0;
    bool flag = false;
    bool nullPointer = false;
};

// What a parameter or the result holds after a call, copied out of the tVariant.
struct Value {
    TYPEVAR vt = VTYPE_EMPTY;
    std::string text;  // UTF-8 of a VTYPE_PWSTR
    std::u16string text16;
    bool nullPointer = false;  // VTYPE_PWSTR without memory
    uint32_t length = 0;       // wstrLen
    int32_t i4 = 0;
    uint32_t ui4 = 0;
    double r8 = 0.0;
    bool flag = false;
    bool untouched = false;  // the slot still holds exactly what the caller put there
};

struct CallOutcome {
    bool returned = false;  // what CallAsFunc returned
    Value result;
    std::vector<Value> params;
};

// Strings are allocated through `memory` even while it refuses: the platform
// owns what it hands over.
void FillVariant(tVariant& slot, const Param& param, CountingMemoryManager& memory);
Value ReadVariant(const tVariant& slot);

// A component library loaded from its path, with its four exports.
class Library {
  public:
    explicit Library(const std::string& path);
    ~Library();
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    // Loaded and all four exports found; otherwise error() says why.
    bool ok() const { return error_.empty(); }
    const std::string& error() const { return error_; }

    long (*GetClassObject)(const WCHAR_T*, IComponentBase**) = nullptr;
    long (*DestroyObject)(IComponentBase**) = nullptr;
    const WCHAR_T* (*GetClassNames)() = nullptr;
    AppCapabilities (*SetPlatformCapabilities)(AppCapabilities) = nullptr;

  private:
    void* handle_ = nullptr;
    std::string error_;
};

// A component created, initialised and destroyed the way the platform does.
class HostedComponent {
  public:
    struct Options {
        bool init = true;
        bool memoryManager = true;
        std::string locale = "ru_RU";  // empty: SetLocale is not called
    };

    static constexpr const char16_t* kClassName = u"CZarvikKassaAddInNative";

    explicit HostedComponent(Library& library);
    HostedComponent(Library& library, Options options);
    ~HostedComponent();
    HostedComponent(const HostedComponent&) = delete;
    HostedComponent& operator=(const HostedComponent&) = delete;

    bool created() const { return object_ != nullptr; }
    IComponentBase* object() { return object_; }
    ILanguageExtenderBase* extender() { return object_; }

    long FindMethod(const std::string& name);
    CallOutcome CallIndex(long index, const std::vector<Param>& params);

    // SetParameter of ServerHost, ServerPort and PosId; true when the driver
    // took all three.
    bool SetConnection(const std::string& host, int32_t port, const std::string& posId);

    RecordingConnection connection;
    CountingMemoryManager memory;

  private:
    Library& library_;
    IComponentBase* object_ = nullptr;
};

}  // namespace zarvik::host
