#include "component/component.h"

#include <clocale>
#include <new>
#include <stdexcept>

#include "component/method_table.h"
#include "component/text.h"
#include "component/variant.h"
#include "driver/identity.h"

namespace zarvik {

CZarvikKassaAddInNative::CZarvikKassaAddInNative()
    : log_(std::make_unique<ExchangeLog>(ComputeLogPath(kLogFolderName, kLogFileName))),
      app_(std::make_unique<KassaAppClient>(*log_, scratch_.request)),
      driver_(std::make_unique<KktDriver>(*app_, *log_, scratch_)) {}

CZarvikKassaAddInNative::~CZarvikKassaAddInNative() = default;

bool CZarvikKassaAddInNative::Init(void* connection) {
    connection_ = static_cast<IAddInDefBase*>(connection);
    return connection_ != nullptr;
}

bool CZarvikKassaAddInNative::setMemManager(void* memory) {
    memory_ = static_cast<IMemoryManager*>(memory);
    return memory_ != nullptr;
}

long CZarvikKassaAddInNative::GetInfo() { return kInterfaceRevision; }

void CZarvikKassaAddInNative::Done() {}

long CZarvikKassaAddInNative::FindParameter(const std::u16string& name) const {
    static const char16_t* const kNames[] = {u"ServerHost", u"ServerPort", u"PosId"};
    for (long i = 0; i < 3; ++i) {
        if (name == kNames[i]) return i;
    }
    return -1;
}

bool CZarvikKassaAddInNative::RegisterExtensionAs(WCHAR_T** extensionName) {
    if (memory_ == nullptr || extensionName == nullptr) return false;
    try {
        WCHAR_T* name = AllocPlatformText(memory_, Utf8ToUtf16(kExtensionName));
        if (name != nullptr) *extensionName = name;
    } catch (...) {
        // Out of memory while naming ourselves: the platform will ask again.
    }
    return true;
}

long CZarvikKassaAddInNative::GetNProps() { return 0; }
long CZarvikKassaAddInNative::FindProp(const WCHAR_T*) { return -1; }
const WCHAR_T* CZarvikKassaAddInNative::GetPropName(long, long) { return nullptr; }
bool CZarvikKassaAddInNative::GetPropVal(const long, tVariant*) { return true; }
bool CZarvikKassaAddInNative::SetPropVal(const long, tVariant*) { return true; }
bool CZarvikKassaAddInNative::IsPropReadable(const long) { return false; }
bool CZarvikKassaAddInNative::IsPropWritable(const long) { return false; }

long CZarvikKassaAddInNative::GetNMethods() { return kMethodCount; }

long CZarvikKassaAddInNative::FindMethod(const WCHAR_T* name) {
    try {
        return FindMethodIndex(FromPlatformText(name));
    } catch (...) {
        return -1;
    }
}

const WCHAR_T* CZarvikKassaAddInNative::GetMethodName(const long num, const long alias) {
    if (num < 0 || num >= kMethodCount || (alias != 0 && alias != 1)) return nullptr;
    try {
        const MethodRow& row = kMethods[num];
        return AllocPlatformText(memory_, alias == 0 ? row.english : row.russian);
    } catch (...) {
        return nullptr;
    }
}

long CZarvikKassaAddInNative::GetNParams(const long num) {
    return num >= 0 && num < kMethodCount ? kMethods[num].params : 0;
}

bool CZarvikKassaAddInNative::GetParamDefValue(const long, const long, tVariant* value) {
    if (value != nullptr) value->vt = VTYPE_EMPTY;
    return false;
}

bool CZarvikKassaAddInNative::HasRetVal(const long method) {
    return method >= 0 && method < kMethodCount;
}

bool CZarvikKassaAddInNative::CallAsProc(const long, tVariant*, const long) { return true; }

bool CZarvikKassaAddInNative::CallAsFunc(const long method, tVariant* result, tVariant* params,
                                         const long count) {
    if (static_cast<unsigned long>(method) >= static_cast<unsigned long>(kMethodCount)) {
        return true;
    }
    const bool firstIsString = params != nullptr && count > 0 && params[0].vt == VTYPE_PWSTR;
    if (!PassesCountCheck(method, params, count, firstIsString)) return false;
    if (result == nullptr) return false;

    // Whatever the call wrote to the log is in the file when it returns, and
    // what it kept of a giant receipt is let go.
    struct OnExit {
        ExchangeLog& log;
        Scratch& scratch;
        ~OnExit() {
            log.Flush();
            scratch.Shrink();
        }
    } onExit{*log_, scratch_};

    // Nothing may escape into the platform: a throw across its frames ends the
    // cashier's 1C session.
    try {
        Dispatch(method, *result, params, count);
        return true;
    } catch (const ZarvikKassaErrorException& error) {
        lastError_ = ReportDriverError(connection_, error);
        SetBool(*result, false);
        return true;
    } catch (const std::bad_alloc&) {
        FailOther("недостаточно памяти");
    } catch (const std::exception& error) {
        FailOther(error.what());
    } catch (...) {
        FailOther(nullptr);
    }
    return false;
}

void CZarvikKassaAddInNative::FailOther(const char* what) noexcept {
    lastError_.code = static_cast<int32_t>(DriverErrorCode::OtherError);
    lastError_.text.clear();
    try {
        lastError_ = ReportDriverError(
            connection_, what != nullptr
                             ? OtherError(what)
                             : ZarvikKassaErrorException(DriverErrorCode::OtherError, ""));
    } catch (...) {
        // No memory even for the report: GetLastError still gives code 7.
    }
}

void CZarvikKassaAddInNative::SetLocale(const WCHAR_T* locale) {
    try {
#if defined(_WIN32)
        _wsetlocale(LC_ALL, locale != nullptr ? locale : L"");
#else
        const std::string name = Utf16ToUtf8(FromPlatformText(locale));
        std::setlocale(LC_ALL, name.c_str());
#endif
        std::setlocale(LC_NUMERIC, "C");
    } catch (...) {
        // A locale we cannot take leaves the previous one; nothing depends on it.
    }
}

}  // namespace zarvik
