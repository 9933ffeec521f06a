// CallAsFunc of the real component object, as a careless or hostile platform
// might call it: any method index, any parameter count, any tVariant type
// and content (null string pointers, lengths that lie, numbers in string
// slots), with the companion's answers made of anything too. Whatever
// arrives, the call returns, every string handed to the platform is whole,
// and a false verdict always comes with an error report.
#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <deque>

#include "component/component.h"
#include "component/text.h"
#include "fuzz_support.h"
#include "log/exchange_log.h"
#include "platform/folders.h"
#include "platform_host.h"

using namespace zarvik;
using fuzz::Expect;

namespace {

using Memory = host::CountingMemoryManager;

// Documents and settings, so that the fuzzer reaches past input checks.
const char* const kTexts[] = {fuzz::kInput, fuzz::kCheck, fuzz::kRequestKM, fuzz::kTextDocument,
                              "ServerHost", "ServerPort", "PosId",          "127.0.0.1"};

// The texts the platform's strings point at; they outlive the call.
struct Texts {
    std::deque<std::u16string> wide;
    std::deque<std::string> narrow;
};

void FillText(FuzzedDataProvider& input, tVariant& value, Texts& texts) {
    std::u16string text;
    switch (input.ConsumeIntegralInRange<int>(0, 3)) {
        case 0:
            value.pwstrVal = nullptr;
            value.wstrLen = input.ConsumeIntegral<uint32_t>();
            return;
        case 1: {
            const std::string bytes = input.ConsumeRandomLengthString(512);
            for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
                text += static_cast<char16_t>(static_cast<uint8_t>(bytes[i]) |
                                              static_cast<uint8_t>(bytes[i + 1]) << 8);
            }
            break;
        }
        case 2:
            text = Utf8ToUtf16(input.ConsumeRandomLengthString(512));
            break;
        default:
            text = Utf8ToUtf16(input.PickValueInArray(kTexts));
            break;
    }
    value.pwstrVal = reinterpret_cast<WCHAR_T*>(texts.wide.emplace_back(text).data());
    // The platform's text ends at its zero; its length may say anything.
    value.wstrLen = input.ConsumeBool() ? static_cast<uint32_t>(text.size())
                                        : input.ConsumeIntegral<uint32_t>();
}

void FillValue(FuzzedDataProvider& input, tVariant& value, Texts& texts) {
    std::memset(&value, 0, sizeof value);
    value.vt = input.ConsumeBool() ? VTYPE_PWSTR
                                   : static_cast<TYPEVAR>(input.ConsumeIntegralInRange<int>(0, 30));
    value.cbElements = input.ConsumeIntegral<uint32_t>();
    switch (value.vt) {
        case VTYPE_PWSTR:
            FillText(input, value, texts);
            break;
        case VTYPE_PSTR:
            texts.narrow.push_back(input.ConsumeRandomLengthString(64));
            value.pstrVal = input.ConsumeBool() ? texts.narrow.back().data() : nullptr;
            value.strLen = input.ConsumeIntegral<uint32_t>();
            break;
        case VTYPE_INTERFACE:
        case VTYPE_VARIANT:
        case VTYPE_BLOB:
        case VTYPE_CLSID:
            break;  // pointers the component has no business following
        default: {
            // Any bits in the number slots: NaN, infinities, huge values.
            const std::string bits = input.ConsumeBytesAsString(sizeof(double));
            std::memcpy(&value.dblVal, bits.data(), bits.size());
            break;
        }
    }
}

// Everything the component handed over must be a whole string in platform
// memory; the platform frees it afterwards.
void CheckOut(tVariant& value, const tVariant& before, Memory& memory) {
    if (value.vt != VTYPE_PWSTR || value.pwstrVal == nullptr) return;
    if (before.vt == VTYPE_PWSTR && value.pwstrVal == before.pwstrVal) return;  // the caller's own
    Expect(value.pwstrVal[value.wstrLen] == 0, "an out-string is not terminated at its length");
    Expect(FromPlatformText(value.pwstrVal).size() == value.wstrLen,
           "an out-string's length is not its text's");
    void* block = value.pwstrVal;
    memory.FreeMemory(&block);
}

// The lookups the platform makes before calling: names of any text, indices
// and aliases of any value.
void LookUp(CZarvikKassaAddInNative& component, FuzzedDataProvider& input, Memory& memory) {
    Texts texts;
    tVariant name;
    FillText(input, name, texts);
    const long found = component.FindMethod(name.pwstrVal);
    Expect(found >= -1 && found < component.GetNMethods(), "FindMethod gave no index");
    const long index = input.ConsumeIntegral<long>() % 40;
    const long alias = input.ConsumeIntegralInRange<long>(-1, 2);
    const WCHAR_T* methodName = component.GetMethodName(index, alias);
    if (methodName != nullptr) {
        Expect(component.FindMethod(methodName) == index, "a method's own name finds another");
        void* block = const_cast<WCHAR_T*>(methodName);
        memory.FreeMemory(&block);
    }
    Expect(component.GetNParams(index) >= 0, "a negative parameter count");
}

void CallOnce(CZarvikKassaAddInNative& component, FuzzedDataProvider& input, Memory& memory,
              host::RecordingConnection& connection) {
    if (input.ConsumeIntegralInRange<int>(0, 7) == 0) {
        LookUp(component, input, memory);
        return;
    }
    const int range = input.ConsumeIntegralInRange<int>(0, 7);
    const long method = range == 0   ? input.ConsumeIntegral<long>()
                        : range == 1 ? input.ConsumeIntegralInRange<long>(-2, 31)
                                     : input.ConsumeIntegralInRange<long>(0, 28);
    long count = component.GetNParams(method);
    if (input.ConsumeIntegralInRange<int>(0, 3) == 0) {
        count = input.ConsumeIntegralInRange<long>(-3, 6);
    }
    const bool nullParams = input.ConsumeIntegralInRange<int>(0, 15) == 0;
    Texts texts;
    std::vector<tVariant> params(static_cast<size_t>(count > 0 ? count : 1));
    for (auto& value : params) FillValue(input, value, texts);
    tVariant result;
    FillValue(input, result, texts);
    const std::vector<tVariant> before = params;
    const tVariant resultBefore = result;
    memory.refuse = input.ConsumeIntegralInRange<int>(0, 15) == 0;

    const size_t errorsBefore = connection.errors.size();
    const bool returned =
        component.CallAsFunc(method, &result, nullParams ? nullptr : params.data(), count);
    const bool reported = connection.errors.size() > errorsBefore;
    memory.refuse = false;
    for (size_t i = errorsBefore; i < connection.errors.size(); ++i) {
        Expect(!connection.errors[i].source.empty(), "an error report without its source");
    }

    CheckOut(result, resultBefore, memory);
    for (size_t i = 0; i < params.size(); ++i) CheckOut(params[i], before[i], memory);
    if (method < 0 || method > 28) {
        Expect(returned, "an unknown method did not return true");
        Expect(!reported, "an unknown method reported an error");
        return;
    }
    if (!returned) return;  // a count the method refuses, or a failure already reported
    if (method == 0) {
        Expect(result.vt == VTYPE_UI4 && result.ulVal == 3004, "the revision is not 3004");
    } else if (method != 2) {
        Expect(result.vt == VTYPE_BOOL, "a verdict is not a boolean");
        // The device test (7) tells its failure in its description instead.
        Expect(result.bVal ? !reported : reported || method == 7,
               "a verdict disagrees with the error reports");
    }
}

tVariant Text(const char16_t* text) {
    tVariant value{};
    value.vt = VTYPE_PWSTR;
    value.pwstrVal = reinterpret_cast<WCHAR_T*>(const_cast<char16_t*>(text));
    value.wstrLen = static_cast<uint32_t>(std::char_traits<char16_t>::length(text));
    return value;
}

}  // namespace

// Components log into a fresh data folder whose exchange log is /dev/null,
// so hours of fuzzing never fill the disk.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    char folder[] = "/tmp/zarvik-fuzz-XXXXXX";
    fuzz::Expect(::mkdtemp(folder) != nullptr, "cannot make a temporary folder");
    ::setenv("XDG_DATA_HOME", folder, 1);
    const std::string logFolder = platform::JoinPath(folder, kLogFolderName);
    fuzz::Expect(
        platform::EnsureFolder(logFolder) &&
            ::symlink("/dev/null", platform::JoinPath(logFolder, kLogFileName).c_str()) == 0,
        "cannot point the log at /dev/null");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    fuzz::Wire() = {};
    const int answers = input.ConsumeIntegralInRange<int>(0, 6);
    for (int i = 0; i < answers; ++i) {
        const std::string text = input.ConsumeRandomLengthString(1024);
        fuzz::Wire().script.push_back(
            {input.ConsumeBool() ? fuzz::ResultAnswer(text) : text, {}, false});
    }

    Memory memory;
    host::RecordingConnection connection;
    CZarvikKassaAddInNative component;
    component.Init(&connection);
    component.setMemManager(&memory);
    if (input.ConsumeBool()) {
        for (const auto& [name, value] :
             {std::pair(u"ServerHost", u"127.0.0.1"), std::pair(u"PosId", u"POS-1")}) {
            tVariant result{}, setting[2] = {Text(name), Text(value)};
            component.CallAsFunc(4, &result, setting, 2);
        }
    }
    const int calls = input.ConsumeIntegralInRange<int>(1, 4);
    for (int i = 0; i < calls && input.remaining_bytes() > 0; ++i) {
        CallOnce(component, input, memory, connection);
    }
    return 0;
}
