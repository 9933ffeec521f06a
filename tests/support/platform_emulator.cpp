#include "platform_emulator.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#if defined(_WIN32)
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace zarvik::test {

CallOutcome EmulatedComponent::Call(const std::string& method, const std::vector<Param>& params) {
    const long index = FindMethod(method);
    EXPECT_GE(index, 0) << "the component does not know " << method;
    return CallIndex(index, params);
}

void EmulatedComponent::Connect(const std::string& host, int32_t port, const std::string& posId) {
    EXPECT_TRUE(SetConnection(host, port, posId));
}

LoadedLibrary& Component() {
    static LoadedLibrary library(ZARVIK_COMPONENT_PATH);
    if (!library.ok()) {
        ADD_FAILURE() << library.error();
        std::abort();
    }
    return library;
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
    [[maybe_unused]] static const int once = [] {
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
    const std::u16string wide = ToU16(folder);
    RegSetKeyValueW(HKEY_CURRENT_USER, kKey, kValue, REG_SZ, wide.c_str(),
                    static_cast<DWORD>((wide.size() + 1) * sizeof(char16_t)));
}
#endif

namespace {

std::string Read(const std::string& path, std::ios::openmode mode) {
    std::ifstream file(std::filesystem::u8path(path), mode);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

}  // namespace

std::string ReadFile(const std::string& path) { return Read(path, std::ios::binary); }

// Text mode is what turns Windows' CR LF into LF.
std::string ReadLogText(const std::string& path) { return Read(path, std::ios::in); }

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
    const auto base = std::filesystem::temp_directory_path() / "zarvik-tests" / name;
    std::filesystem::create_directories(base);
#if defined(_WIN32)
    RedirectLocalAppData(base.u8string());
#else
    ::setenv("XDG_DATA_HOME", base.c_str(), 1);
#endif
    return (base / "VarEzu" / "1C_exchange_data.log").u8string();
}

}  // namespace zarvik::test
