#include "platform_emulator.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>

#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace zarvik::test {

// ---- the library and the component ---------------------------------------

LoadedLibrary::LoadedLibrary(const std::string& path) : host::Library(path) {
    if (!ok()) {
        ADD_FAILURE() << error();
        std::abort();
    }
}

CallOutcome EmulatedComponent::Call(const std::string& method, const std::vector<Param>& params) {
    const long index = FindMethod(method);
    EXPECT_GE(index, 0) << "the component does not know " << method;
    return CallIndex(index, params);
}

void EmulatedComponent::Connect(const std::string& host, int32_t port, const std::string& posId) {
    EXPECT_TRUE(Call("SetParameter", {Param::Str("ServerHost"), Param::Str(host)}).returned);
    EXPECT_TRUE(Call("SetParameter", {Param::Str("ServerPort"), Param::I4(port)}).returned);
    EXPECT_TRUE(Call("SetParameter", {Param::Str("PosId"), Param::Str(posId)}).returned);
}

// ---- process-wide -----------------------------------------------------------

const std::string& ComponentPath() {
    static const std::string path = [] {
        const char* overridden = std::getenv("ZARVIK_COMPONENT");
        return std::string(overridden != nullptr ? overridden : ZARVIK_COMPONENT_PATH);
    }();
    return path;
}

LoadedLibrary& Component() {
    static LoadedLibrary library(ComponentPath());
    return library;
}

std::string ReadLogText(const std::string& path) {
    std::string text = ReadFile(path);
#if defined(_WIN32)
    size_t kept = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        text[kept++] = text[i];
    }
    text.resize(kept);
#endif
    return text;
}

#if defined(_WIN32)
// The known-folder API reads a redirected folder from the user's shell-folder
// settings; writing there is what SHSetKnownFolderPath does, and wine, which
// lacks that call, honours the setting as well.
void RedirectLocalAppData(const std::string& folder) {
    static const wchar_t kKey[] =
        L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
    static const wchar_t kValue[] = L"Local AppData";
    // The user's own setting returns when the tests end, so that the machine
    // (or the wine prefix) is left as it was.
    static DWORD type = 0, size = 0;
    static std::vector<BYTE> saved;
    static const int once = [] {
        if (RegGetValueW(HKEY_CURRENT_USER, kKey, kValue, RRF_RT_ANY | RRF_NOEXPAND, &type, nullptr,
                         &size) == ERROR_SUCCESS) {
            saved.resize(size);
            RegGetValueW(HKEY_CURRENT_USER, kKey, kValue, RRF_RT_ANY | RRF_NOEXPAND, &type,
                         saved.data(), &size);
        }
        return std::atexit([] {
            if (saved.empty()) {
                RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, kValue);
            } else {
                RegSetKeyValueW(HKEY_CURRENT_USER, kKey, kValue, type, saved.data(),
                                static_cast<DWORD>(saved.size()));
            }
        });
    }();
    (void)once;
    const std::u16string wide = ToU16(folder);
    RegSetKeyValueW(HKEY_CURRENT_USER, kKey, kValue, REG_SZ, wide.c_str(),
                    static_cast<DWORD>((wide.size() + 1) * sizeof(char16_t)));
}
#endif

std::string ReadFile(const std::string& path) {
#if defined(_WIN32)
    std::ifstream file(reinterpret_cast<const wchar_t*>(ToU16(path).c_str()), std::ios::binary);
#else
    std::ifstream file(path, std::ios::binary);
#endif
    return std::string(std::istreambuf_iterator<char>(file), {});
}

std::string UseFreshLogFolder() {
    static std::atomic<int> serial{0};
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
#if defined(_WIN32)
    const auto process = GetCurrentProcessId();
#else
    const auto process = getpid();
#endif
    // Process ids come round again (wine reuses them at once), so the clock
    // keeps a folder from an earlier run from passing as fresh.
    const std::string name =
        std::to_string(process) + "-" + std::to_string(serial++) + "-" +
        std::to_string(std::chrono::system_clock::now().time_since_epoch().count()) + "-" +
        (info != nullptr ? std::string(info->test_suite_name()) + "." + info->name()
                         : std::string("outside-test"));
#if defined(_WIN32)
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::string parent =
        ToU8(FromPlatform(reinterpret_cast<const WCHAR_T*>(temp))) + "zarvik-tests";
    const std::string base = parent + "\\" + name;
    for (const std::string& folder : {parent, base}) {
        CreateDirectoryW(reinterpret_cast<const wchar_t*>(ToU16(folder).c_str()), nullptr);
    }
    RedirectLocalAppData(base);
    return base + "\\VarEzu\\1C_exchange_data.log";
#else
    const char* tmp = std::getenv("TMPDIR");
    const std::string base = std::string(tmp != nullptr ? tmp : "/tmp") + "/zarvik-tests-" + name;
    ::mkdir(base.c_str(), 0777);
    ::setenv("XDG_DATA_HOME", base.c_str(), 1);
    return base + "/VarEzu/1C_exchange_data.log";
#endif
}

}  // namespace zarvik::test
