#include "platform_emulator.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#if defined(_WIN32)
#include <windows.h>
// The shell headers build on the macros of windows.h.
#include <knownfolders.h>
#include <shlobj.h>
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
namespace {

const wchar_t kUserShellFolders[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
const wchar_t kLocalAppData[] = L"Local AppData";

// The user's own setting, put back when the tests end so that the machine (or
// the wine prefix) is left as it was.
struct SavedLocalAppData {
    bool saved = false;
    DWORD type = 0;
    std::vector<BYTE> value;
};
SavedLocalAppData g_savedLocalAppData;

void RestoreLocalAppData() {
    const SavedLocalAppData& saved = g_savedLocalAppData;
    if (saved.value.empty()) {
        RegDeleteKeyValueW(HKEY_CURRENT_USER, kUserShellFolders, kLocalAppData);
    } else {
        RegSetKeyValueW(HKEY_CURRENT_USER, kUserShellFolders, kLocalAppData, saved.type,
                        saved.value.data(), static_cast<DWORD>(saved.value.size()));
    }
}

}  // namespace

// The known-folder API reads a redirected folder from the user's shell-folder
// settings; writing there is what SHSetKnownFolderPath does, and wine, which
// lacks that call, honours the setting as well.
void RedirectLocalAppData(const std::string& folder) {
    if (!g_savedLocalAppData.saved) {
        DWORD size = 0;
        DWORD type = 0;
        if (RegGetValueW(HKEY_CURRENT_USER, kUserShellFolders, kLocalAppData,
                         RRF_RT_ANY | RRF_NOEXPAND, &type, nullptr, &size) == ERROR_SUCCESS) {
            g_savedLocalAppData.value.resize(size);
            RegGetValueW(HKEY_CURRENT_USER, kUserShellFolders, kLocalAppData,
                         RRF_RT_ANY | RRF_NOEXPAND, &type, g_savedLocalAppData.value.data(), &size);
            g_savedLocalAppData.type = type;
        }
        g_savedLocalAppData.saved = true;
        std::atexit(RestoreLocalAppData);
    }
    const std::u16string wide = ToU16(folder);
    RegSetKeyValueW(HKEY_CURRENT_USER, kUserShellFolders, kLocalAppData, REG_SZ, wide.c_str(),
                    static_cast<DWORD>((wide.size() + 1) * sizeof(char16_t)));
}
#endif

std::string ReadFile(const std::string& path) {
#if defined(_WIN32)
    std::ifstream file(reinterpret_cast<const wchar_t*>(ToU16(path).c_str()), std::ios::binary);
#else
    std::ifstream file(path, std::ios::binary);
#endif
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

std::string UseFreshLogFolder() {
    static std::atomic<int> serial{0};
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    // Process ids come round again (wine reuses them at once), so the clock
    // keeps a folder from an earlier run from passing as fresh.
    const auto stamp = std::chrono::system_clock::now().time_since_epoch().count();
    std::string name = std::to_string(stamp) + "-" +
                       (info != nullptr ? std::string(info->test_suite_name()) + "." + info->name()
                                        : std::string("outside-test"));
#if defined(_WIN32)
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::string base = ToU8(FromPlatform(reinterpret_cast<const WCHAR_T*>(temp))) +
                       "zarvik-tests\\" + std::to_string(GetCurrentProcessId()) + "-" +
                       std::to_string(serial++) + "-" + name;
    const std::u16string wide = ToU16(base);
    const std::u16string parent = ToU16(base.substr(0, base.rfind('\\')));
    CreateDirectoryW(reinterpret_cast<const wchar_t*>(parent.c_str()), nullptr);
    CreateDirectoryW(reinterpret_cast<const wchar_t*>(wide.c_str()), nullptr);
    RedirectLocalAppData(base);
    return base + "\\VarEzu\\1C_exchange_data.log";
#else
    const char* tmp = std::getenv("TMPDIR");
    std::string base = std::string(tmp != nullptr ? tmp : "/tmp") + "/zarvik-tests-" +
                       std::to_string(getpid()) + "-" + std::to_string(serial++) + "-" + name;
    ::mkdir(base.c_str(), 0777);
    ::setenv("XDG_DATA_HOME", base.c_str(), 1);
    return base + "/VarEzu/1C_exchange_data.log";
#endif
}

}  // namespace zarvik::test
