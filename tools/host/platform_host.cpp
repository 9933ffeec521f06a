#include "platform_host.h"

#include <cstring>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace zarvik::host {

// ---- text -------------------------------------------------------------------

std::u16string ToU16(const std::string& s) {
    std::u16string out;
    for (size_t i = 0; i < s.size();) {
        const auto b = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
        char32_t c = b(i);
        size_t extra = 0;
        if (c >= 0xF0) {
            c &= 0x07, extra = 3;
        } else if (c >= 0xE0) {
            c &= 0x0F, extra = 2;
        } else if (c >= 0xC0) {
            c &= 0x1F, extra = 1;
        }
        for (size_t k = 1; k <= extra && i + k < s.size(); ++k) c = (c << 6) | (b(i + k) & 0x3F);
        i += extra + 1;
        if (c >= 0x10000) {
            c -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (c >> 10));
            out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
    }
    return out;
}

std::string ToU8(const std::u16string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::u16string FromPlatform(const WCHAR_T* text) {
    std::u16string out;
    if (text == nullptr) return out;
    for (; *text != 0; ++text) out += static_cast<char16_t>(*text);
    return out;
}

namespace {

std::basic_string<WCHAR_T> ToPlatform(const std::u16string& text) {
    return std::basic_string<WCHAR_T>(text.begin(), text.end());
}

}  // namespace

// ---- the platform's objects -------------------------------------------------

bool RecordingConnection::AddError(unsigned short code, const WCHAR_T* source, const WCHAR_T* descr,
                                   long scode) {
    errors.push_back({code, ToU8(FromPlatform(source)), ToU8(FromPlatform(descr)), scode});
    return true;
}

bool CountingMemoryManager::AllocMemory(void** block, unsigned long size) {
    if (refuse || block == nullptr) return false;
    *block = ::operator new(size == 0 ? 1 : size);
    ++allocations;
    ++live;
    return true;
}

void CountingMemoryManager::FreeMemory(void** block) {
    if (block == nullptr || *block == nullptr) return;
    ::operator delete(*block);
    *block = nullptr;
    --live;
}

// ---- parameters -------------------------------------------------------------

Param Param::Empty() { return Param{}; }

Param Param::Str(const std::string& utf8) { return Str16(ToU16(utf8)); }

Param Param::Str16(const std::u16string& text) {
    Param p;
    p.vt = VTYPE_PWSTR;
    p.text = text;
    return p;
}

Param Param::I4(int32_t value) {
    Param p;
    p.vt = VTYPE_I4;
    p.i4 = value;
    return p;
}

Param Param::UI4(uint32_t value) {
    Param p;
    p.vt = VTYPE_UI4;
    p.ui4 = value;
    return p;
}

Param Param::R8(double value) {
    Param p;
    p.vt = VTYPE_R8;
    p.r8 = value;
    return p;
}

Param Param::Bool(bool value) {
    Param p;
    p.vt = VTYPE_BOOL;
    p.flag = value;
    return p;
}

Param Param::NullString() {
    Param p;
    p.vt = VTYPE_PWSTR;
    p.nullPointer = true;
    return p;
}

void FillVariant(tVariant& v, const Param& p, CountingMemoryManager& memory) {
    std::memset(&v, 0, sizeof v);
    v.vt = p.vt;
    switch (p.vt) {
        case VTYPE_PWSTR:
            if (!p.nullPointer) {
                void* block = nullptr;
                const bool refused = memory.refuse;
                memory.refuse = false;
                memory.AllocMemory(&block, static_cast<unsigned long>((p.text.size() + 1) * 2));
                memory.refuse = refused;
                auto* text = static_cast<WCHAR_T*>(block);
                for (size_t i = 0; i < p.text.size(); ++i) text[i] = p.text[i];
                text[p.text.size()] = 0;
                v.pwstrVal = text;
                v.wstrLen = static_cast<uint32_t>(p.text.size());
            }
            break;
        case VTYPE_I4:
            v.lVal = p.i4;
            break;
        case VTYPE_UI4:
            v.ulVal = p.ui4;
            break;
        case VTYPE_R8:
            v.dblVal = p.r8;
            break;
        case VTYPE_BOOL:
            v.bVal = p.flag;
            break;
        default:
            break;
    }
}

Value ReadVariant(const tVariant& v) {
    Value out;
    out.vt = v.vt;
    switch (v.vt) {
        case VTYPE_PWSTR:
            out.nullPointer = v.pwstrVal == nullptr;
            out.length = v.wstrLen;
            out.text16 = FromPlatform(v.pwstrVal);
            out.text = ToU8(out.text16);
            break;
        case VTYPE_I4:
            out.i4 = v.lVal;
            break;
        case VTYPE_UI4:
            out.ui4 = v.ulVal;
            break;
        case VTYPE_R8:
            out.r8 = v.dblVal;
            break;
        case VTYPE_BOOL:
            out.flag = v.bVal;
            break;
        default:
            break;
    }
    return out;
}

// ---- the library ------------------------------------------------------------

Library::Library(const std::string& path) {
#if defined(_WIN32)
    const std::u16string wide = ToU16(path);
    handle_ = LoadLibraryW(reinterpret_cast<const wchar_t*>(wide.c_str()));
    const auto resolve = [&](const char* name) {
        return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name));
    };
#else
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    const auto resolve = [&](const char* name) { return dlsym(handle_, name); };
#endif
    if (handle_ == nullptr) {
#if defined(_WIN32)
        error_ = "cannot load " + path + " (Windows error " + std::to_string(GetLastError()) + ")";
#else
        const char* why = dlerror();
        error_ = "cannot load " + path + (why != nullptr ? std::string(": ") + why : "");
#endif
        return;
    }
    GetClassObject = reinterpret_cast<decltype(GetClassObject)>(resolve("GetClassObject"));
    DestroyObject = reinterpret_cast<decltype(DestroyObject)>(resolve("DestroyObject"));
    GetClassNames = reinterpret_cast<decltype(GetClassNames)>(resolve("GetClassNames"));
    SetPlatformCapabilities =
        reinterpret_cast<decltype(SetPlatformCapabilities)>(resolve("SetPlatformCapabilities"));
    if (!GetClassObject || !DestroyObject || !GetClassNames || !SetPlatformCapabilities) {
        error_ = "an export is missing from " + path;
    }
}

Library::~Library() {
    if (handle_ == nullptr) return;
#if defined(_WIN32)
    FreeLibrary(static_cast<HMODULE>(handle_));
#else
    dlclose(handle_);
#endif
}

// ---- the component ----------------------------------------------------------

HostedComponent::HostedComponent(Library& library) : HostedComponent(library, Options{}) {}

HostedComponent::HostedComponent(Library& library, Options options) : library_(library) {
    if (!library_.ok()) return;
    const auto className = ToPlatform(kClassName);
    if (library_.GetClassObject(className.c_str(), &object_) == 0) object_ = nullptr;
    if (object_ == nullptr) return;
    if (options.init) object_->Init(static_cast<IAddInDefBase*>(&connection));
    if (options.memoryManager) object_->setMemManager(static_cast<IMemoryManager*>(&memory));
    if (!options.locale.empty()) {
        const auto locale = ToPlatform(ToU16(options.locale));
        object_->SetLocale(locale.c_str());
    }
}

HostedComponent::~HostedComponent() {
    if (object_ != nullptr) library_.DestroyObject(&object_);
}

long HostedComponent::FindMethod(const std::string& name) {
    const auto wide = ToPlatform(ToU16(name));
    return object_->FindMethod(wide.c_str());
}

CallOutcome HostedComponent::CallIndex(long index, const std::vector<Param>& params) {
    std::vector<tVariant> slots(params.size());
    for (size_t i = 0; i < params.size(); ++i) FillVariant(slots[i], params[i], memory);
    std::vector<tVariant> before = slots;
    tVariant result;
    std::memset(&result, 0, sizeof result);
    const tVariant resultBefore = result;

    CallOutcome outcome;
    outcome.returned = object_->CallAsFunc(index, &result, slots.empty() ? nullptr : slots.data(),
                                           static_cast<long>(slots.size()));
    outcome.result = ReadVariant(result);
    outcome.result.untouched = std::memcmp(&result, &resultBefore, sizeof result) == 0;
    for (size_t i = 0; i < slots.size(); ++i) {
        Value value = ReadVariant(slots[i]);
        value.untouched = std::memcmp(&slots[i], &before[i], sizeof(tVariant)) == 0;
        outcome.params.push_back(value);
    }
    // The platform frees what it gave and what it was given.
    for (size_t i = 0; i < slots.size(); ++i) {
        if (before[i].vt == VTYPE_PWSTR && before[i].pwstrVal != nullptr) {
            void* block = before[i].pwstrVal;
            memory.FreeMemory(&block);
        }
        if (slots[i].vt == VTYPE_PWSTR && slots[i].pwstrVal != nullptr &&
            slots[i].pwstrVal != before[i].pwstrVal) {
            void* block = slots[i].pwstrVal;
            memory.FreeMemory(&block);
        }
    }
    if (result.vt == VTYPE_PWSTR && result.pwstrVal != nullptr) {
        void* block = result.pwstrVal;
        memory.FreeMemory(&block);
    }
    return outcome;
}

bool HostedComponent::SetConnection(const std::string& host, int32_t port,
                                    const std::string& posId) {
    const long setParameter = FindMethod("SetParameter");
    const auto set = [&](const char* name, const Param& value) {
        const CallOutcome outcome = CallIndex(setParameter, {Param::Str(name), value});
        return outcome.returned && outcome.result.flag;
    };
    bool ok = set("ServerHost", Param::Str(host));
    ok = set("ServerPort", Param::I4(port)) && ok;
    return set("PosId", Param::Str(posId)) && ok;
}

}  // namespace zarvik::host
