// What only the Windows build has: the log under the known local application
// data folder with CR LF line ends, and a profile path that is not
// ASCII (a till whose Windows user is named in Cyrillic).
#if defined(_WIN32)

#include <gtest/gtest.h>
#include <windows.h>
// The shell headers build on the macros of windows.h.
#include <knownfolders.h>
#include <shlobj.h>

#include <string>

#include "platform_emulator.h"
#include "test_companion.h"

namespace zarvik::test {
namespace {

std::string KnownLocalAppData() {
    PWSTR path = nullptr;
    std::string result;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &path))) {
        result = ToU8(FromPlatform(reinterpret_cast<const WCHAR_T*>(path)));
    }
    CoTaskMemFree(path);
    return result;
}

bool MakeFolder(const std::string& path) {
    const std::u16string wide = ToU16(path);
    return CreateDirectoryW(reinterpret_cast<const wchar_t*>(wide.c_str()), nullptr) ||
           GetLastError() == ERROR_ALREADY_EXISTS;
}

std::string TempFolder() {
    wchar_t temp[MAX_PATH];
    const DWORD size = GetTempPathW(MAX_PATH, temp);
    return ToU8(std::u16string(reinterpret_cast<const char16_t*>(temp), size));
}

// The LogPath attribute of the driver description.
std::string DescribedLogPath(EmulatedComponent& component) {
    const CallOutcome outcome = component.Call("GetDescription", {Param::Empty()});
    EXPECT_TRUE(outcome.returned);
    const std::string& xml = outcome.params[0].text;
    const std::string key = "LogPath=\"";
    const size_t from = xml.find(key);
    if (from == std::string::npos) return std::string();
    const size_t to = xml.find('"', from + key.size());
    return xml.substr(from + key.size(), to - from - key.size());
}

class WindowsLog : public ::testing::Test {
  protected:
    void SetUp() override {
        companion.onResult("DeviceTest", R"({"Description":"Касса на связи"})");
    }
    void TalkOnce(EmulatedComponent& component) {
        component.Connect("127.0.0.1", companion.port());
        EXPECT_TRUE(component.Call("DeviceTest", {Param::Empty(), Param::Empty()}).result.flag);
    }

    TestCompanion companion;
};

TEST_F(WindowsLog, LogLivesUnderTheKnownLocalAppDataFolderWithEveryLineFeedAsCrLf) {
    const std::string logPath = UseFreshLogFolder();
    const std::string expected = KnownLocalAppData() + "\\VarEzu\\1C_exchange_data.log";
    ASSERT_EQ(logPath, expected) << "the test redirects the known folder itself";
    {
        EmulatedComponent component(Component());
        TalkOnce(component);
        EXPECT_EQ(DescribedLogPath(component), expected);
    }
    const std::string log = ReadFile(expected);
    EXPECT_NE(log.find("] INFO: Request:\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("Касса на связи"), std::string::npos) << log;
    size_t bare = 0;
    for (size_t i = 0; i < log.size(); ++i) {
        if (log[i] == '\n' && (i == 0 || log[i - 1] != '\r')) ++bare;
    }
    EXPECT_EQ(bare, 0u) << log;
    EXPECT_EQ(log.substr(log.size() - 2), "\r\n");
}

TEST_F(WindowsLog, CyrillicProfilePathHoldsTheLog) {
    // C:\Users\Кассир Иванова\AppData\Local, as on a Russian till.
    UseFreshLogFolder();  // the test's own scratch folder, and the known folder restored at exit
    std::string folder = TempFolder() + "zarvik-tests\\" + std::to_string(GetCurrentProcessId());
    ASSERT_TRUE(MakeFolder(TempFolder() + "zarvik-tests"));
    ASSERT_TRUE(MakeFolder(folder));
    for (const char* part : {"\\Кассир Иванова", "\\AppData", "\\Local"}) {
        folder += part;
        ASSERT_TRUE(MakeFolder(folder)) << folder;
    }
    RedirectLocalAppData(folder);
    ASSERT_EQ(KnownLocalAppData(), folder);

    EmulatedComponent component(Component());
    ASSERT_TRUE(component.created());
    TalkOnce(component);
    const std::string logPath = folder + "\\VarEzu\\1C_exchange_data.log";
    EXPECT_EQ(DescribedLogPath(component), logPath);
    const std::string log = ReadFile(logPath);
    EXPECT_NE(log.find("INFO: Request:\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("Касса на связи"), std::string::npos) << log;
}

}  // namespace
}  // namespace zarvik::test

#endif
