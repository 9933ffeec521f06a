// The component as the platform meets it: exports, lifecycle, the method
// table, the count checks, the reports that reach AddError and GetLastError,
// the settings, the description and settings documents, and where the
// exchange log lives.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "../unit/test_data.h"
#include "component_fixture.h"

namespace zarvik::test {
namespace {

const Param E = Param::Empty();
Param S(const std::string& text) { return Param::Str(text); }

class ComponentFrame : public ::testing::Test {
  protected:
    void SetUp() override {
        logPath = UseFreshLogFolder();
#if defined(_WIN32)
        // On Windows as on a Russian till, whose user is named in Cyrillic:
        // the known local application data folder is C:\Users\Кассир Иванова\AppData\Local.
        const std::filesystem::path local =
            std::filesystem::u8path(logPath).parent_path().parent_path() /
            std::filesystem::u8path("Кассир Иванова\\AppData\\Local");
        ASSERT_TRUE(std::filesystem::create_directories(local));
        RedirectLocalAppData(local.u8string());
        logPath = (local / "VarEzu" / "1C_exchange_data.log").u8string();
#endif
    }
    std::string logPath;
};

TEST_F(ComponentFrame, ExportsAndObjectLifecycle) {
    LoadedLibrary& library = Component();
    EXPECT_EQ(ToU8(FromPlatform(library.GetClassNames())), "CZarvikKassaAddInNative");
    EXPECT_EQ(library.SetPlatformCapabilities(eAppCapabilities3), eAppCapabilities1);
    EXPECT_EQ(library.SetPlatformCapabilities(eAppCapabilitiesInvalid), eAppCapabilities1);

    IComponentBase* object = nullptr;
    const WCHAR_T name[] = {'X', 0};
    EXPECT_NE(library.GetClassObject(name, &object), 0);
    ASSERT_NE(object, nullptr);
    IComponentBase* const first = object;
    EXPECT_EQ(library.GetClassObject(name, &object), 0) << "a non-null pointer creates nothing";
    EXPECT_EQ(object, first);
    EXPECT_EQ(object->GetInfo(), 3004);

    EXPECT_EQ(library.DestroyObject(&object), 0);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(library.DestroyObject(&object), -1);
}

// Without Init the reports are dropped and the verdict is still false; memory
// the platform refuses leaves an empty out-parameter and the verdict.
TEST_F(ComponentFrame, InitAndMemoryManagerReportWhetherTheyGotAnObjectAndMemory) {
    EmulatedComponent component(Component(), {false, false, ""});
    ASSERT_TRUE(component.created());
    EXPECT_FALSE(component.object()->Init(nullptr));
    EXPECT_FALSE(component.object()->setMemManager(nullptr));

    WCHAR_T* extension = nullptr;
    EXPECT_FALSE(component.extender()->RegisterExtensionAs(&extension)) << "no memory manager yet";
    EXPECT_TRUE(component.object()->setMemManager(static_cast<IMemoryManager*>(&component.memory)));
    EXPECT_TRUE(component.extender()->RegisterExtensionAs(&extension));
    EXPECT_EQ(ToU8(FromPlatform(extension)), "ZARVIK_KASSA_KKM_54FZ_FFD105");
    void* block = extension;
    component.memory.FreeMemory(&block);

    component.Connect("127.0.0.1", TestCompanion::ClosedPort());
    const CallOutcome outcome = component.Call("OpenCashDrawer", {E});
    EXPECT_TRUE(outcome.returned && !outcome.result.flag);

    component.memory.refuse = true;
    const CallOutcome settings = component.Call("GetParameters", {E});
    EXPECT_TRUE(settings.returned && settings.result.flag);
    EXPECT_EQ(settings.params[0].vt, VTYPE_PWSTR);
    EXPECT_TRUE(settings.params[0].nullPointer);
    EXPECT_EQ(settings.params[0].length, 0u);
    EXPECT_EQ(component.extender()->GetMethodName(0, 0), nullptr);
    extension = nullptr;
    EXPECT_TRUE(component.extender()->RegisterExtensionAs(&extension));
    EXPECT_EQ(extension, nullptr);
}

// The names are the platform's contract; the table itself is not copied here,
// only its ends, a Russian alias and what lies outside it: no name, no
// parameters, and a call that succeeds touching nothing. Wrong counts fail
// the call and run nothing.
TEST_F(ComponentFrame, MethodTableAndCountChecks) {
    EmulatedComponent component(Component());
    ILanguageExtenderBase* e = component.extender();
    ASSERT_EQ(e->GetNMethods(), 29);
    const struct {
        const char* english;
        const char* russian;
        long index, params;
    } rows[] = {{"GetInterfaceRevision", "ПолучитьРевизиюИнтерфейса", 0, 0},
                {"ProcessCheck", "СформироватьЧек", 14, 4},
                {"ConfirmKM", "ПодтвердитьКМ", 28, 3}};
    for (const auto& m : rows) {
        EXPECT_EQ(component.FindMethod(m.english), m.index) << m.english;
        EXPECT_EQ(component.FindMethod(m.russian), m.index) << m.russian;
        EXPECT_EQ(e->GetNParams(m.index), m.params) << m.english;
        EXPECT_TRUE(e->HasRetVal(m.index));
        for (long alias = 0; alias < 2; ++alias) {
            const WCHAR_T* name = e->GetMethodName(m.index, alias);
            ASSERT_NE(name, nullptr);
            EXPECT_EQ(ToU8(FromPlatform(name)), alias == 0 ? m.english : m.russian);
            void* block = const_cast<WCHAR_T*>(name);
            component.memory.FreeMemory(&block);
        }
        tVariant value;
        value.vt = VTYPE_I4;
        EXPECT_FALSE(e->GetParamDefValue(m.index, 0, &value));
        EXPECT_EQ(value.vt, VTYPE_EMPTY);
    }
    EXPECT_EQ(component.FindMethod("getdescription"), -1) << "names are case-sensitive";
    EXPECT_EQ(e->GetMethodName(0, 2), nullptr);
    const Param s = S("x");
    for (long index : {29L, 1000L, -1L}) {
        EXPECT_EQ(e->GetMethodName(index, 0), nullptr);
        EXPECT_EQ(e->GetNParams(index), 0);
        EXPECT_FALSE(e->HasRetVal(index));
        const CallOutcome outcome = component.CallIndex(index, {s});
        EXPECT_TRUE(outcome.returned && outcome.result.untouched && outcome.params[0].untouched);
    }
    EXPECT_EQ(component.memory.live, 0);

    const std::pair<const char*, size_t> wrong[] = {{"OpenShift", 2},     {"ProcessCheck", 3},
                                                    {"GetDataKKT", 1},    {"GetDescription", 0},
                                                    {"GetParameters", 2}, {"GetLastError", 0}};
    for (const auto& [method, count] : wrong) {
        EXPECT_FALSE(component.Call(method, std::vector<Param>(count, s)).returned) << method;
    }
    EXPECT_FALSE(component.Call("SetParameter", {Param::I4(1), s}).returned)
        << "a name is a string";
    // A count above the table: the array is not there at all.
    tVariant result;
    result.vt = VTYPE_EMPTY;
    EXPECT_FALSE(e->CallAsFunc(12, &result, nullptr, 3));

    // The connection methods answer true without touching their parameters.
    for (const char* method : {"Open", "Close", "GetAdditionalActions"}) {
        const CallOutcome outcome = component.Call(method, {s});
        EXPECT_TRUE(outcome.returned && outcome.result.vt == VTYPE_BOOL && outcome.result.flag &&
                    outcome.params[0].untouched)
            << method;
    }
    EXPECT_TRUE(component.connection.errors.empty());
}

// A failure goes to AddError and stays for GetLastError, which reading does
// not clear, until a call succeeds. A setting takes what it can use and
// refuses the rest keeping its old value: DeviceTest then shows which
// companion the driver talks to (A or B), and A the point of sale it was told.
TEST_F(ComponentFrame, FailuresReachAddErrorAndGetLastErrorAndRefusedSettingsKeepTheirValue) {
    EmulatedComponent component(Component());
    TestCompanion a, b;
    a.onResult("DeviceTest", R"({"Description":"A"})");
    b.onResult("DeviceTest", R"({"Description":"B"})");
    const int32_t port = b.port();
    const auto set = [](const char* name, const Param& value) {
        return std::vector<Param>{S(name), value};
    };
    const std::string bad = "Некорректные входные данные: ";
    const std::string badPort = bad + "ServerPort должен быть целым числом от 1 до 65535";
    const std::string kept = "A \"P0\"";
    const struct {
        const char* method;
        std::vector<Param> params;
        int32_t code;
        std::string text;     // the start of what was reported
        std::string reaches;  // settings: DeviceTest's answer and the PosId A saw
    } rows[] = {
        {"CashInOutcome", {E, S("<X/>"), S("100")}, 8, bad, ""},
        {"OperationFN", {E, E, E}, 7, "Операции с фискальным накопителем драйвер не выполняет", ""},
        {"GetParameters", {E}, 0, "", ""},
        {"DoAdditionalAction", {S("Печать")}, 8, bad + "дополнительного действия «Печать» нет", ""},
        {"SetParameter", set("ServerPort", Param::I4(port)), 0, "", "B"},
        {"SetParameter", set("ServerPort", Param::R8(port)), 0, "", "B"},
        {"SetParameter", set("ServerPort", S(std::to_string(port))), 0, "", "B"},
        {"SetParameter", set("ServerPort", Param::I4(port + 65536)), 8, badPort, kept},
        {"SetParameter", set("ServerPort", Param::I4(0)), 8, badPort, kept},
        {"SetParameter", set("ServerPort", Param::R8(port + 0.5)), 8, badPort, kept},
        {"SetParameter", set("ServerPort", S("")), 8, badPort, kept},
        {"SetParameter", set("ServerPort", S(" " + std::to_string(port))), 8, badPort, kept},
        {"SetParameter", set("ServerPort", S(std::to_string(port) + "x")), 8, badPort, kept},
        {"SetParameter", set("ServerPort", S("99999999999999999999")), 8, badPort, kept},
        {"SetParameter", set("ServerPort", Param::Bool(true)), 8, badPort, kept},
        {"SetParameter", set("ServerHost", S("no-such-host.invalid")), 0, "",
         "Failed to resolve hostname"},
        {"SetParameter", set("ServerHost", Param::I4(7)), 8, bad + "ServerHost", kept},
        {"SetParameter", set("PosId", S("P1")), 0, "", "A \"P1\""},
        {"SetParameter", set("PosId", Param::R8(1)), 8, bad + "PosId", kept},
        {"SetParameter", set("EquipmentType", S("ККТ")), 0, "", kept},
        {"SetParameter", set("serverport", Param::I4(port)), 0, "", kept},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(&row - rows) + " " + row.method);
        component.Connect("127.0.0.1", a.port(), "P0");
        const CallOutcome call = component.Call(row.method, row.params);
        EXPECT_TRUE(call.returned);
        EXPECT_EQ(call.result.flag, row.code == 0);
        std::string reported;
        for (const ErrorReport& report : component.connection.errors) {
            EXPECT_EQ(report.code, row.code);
            reported += (reported.empty() ? "" : "\n") + report.description;
        }
        component.connection.errors.clear();
        EXPECT_EQ(reported.rfind(row.text, 0), 0u) << reported;
        for (int again = 0; again < 2; ++again) {
            const CallOutcome last = component.Call("GetLastError", {E});
            EXPECT_TRUE(last.returned && last.result.vt == VTYPE_I4);
            EXPECT_EQ(last.result.i4, row.code);
            EXPECT_EQ(last.params[0].text, reported);
        }
        if (row.reaches.empty()) continue;
        a.clear();
        const std::string answer = component.Call("DeviceTest", {E, E}).params[0].text;
        const auto requests = a.requests();
        EXPECT_EQ(requests.empty() ? answer : answer + " " + requests[0].paramList.at(0),
                  row.reaches);
    }
}

// Both documents whole as tests/data/frame holds them, the description with
// the log's path in its place; the log is made there.
TEST_F(ComponentFrame, DescriptionAndSettingsDocuments) {
    EmulatedComponent component(Component());
    const CallOutcome description = component.Call("GetDescription", {E});
    EXPECT_TRUE(description.returned && description.result.flag);
    std::string expected = test_data::DataFile("frame/description.xml");
    const size_t at = expected.find("{LogPath}");
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(description.params[0].text, expected.replace(at, 9, logPath));
    EXPECT_EQ(description.params[0].length, description.params[0].text16.size());
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::u8path(logPath)));

    const CallOutcome settings = component.Call("GetParameters", {E});
    EXPECT_TRUE(settings.returned && settings.result.flag);
    EXPECT_EQ(settings.params[0].text, test_data::DataFile("frame/settings.xml"));
}

// A file where the data folder should be: no component at all, and a clean
// failure (code 7) for one that lives on while its log's folder goes away.
TEST_F(ComponentFrame, NoComponentOrACleanFailureWhenTheLogFolderCannotBeMade) {
    EmulatedComponent component(Component());
    ASSERT_TRUE(component.created());
    const std::filesystem::path blocker =
        std::filesystem::u8path(logPath).parent_path().parent_path() / "not-a-folder";
    std::ofstream(blocker) << "a file where the data folder should be";
#if defined(_WIN32)
    RedirectLocalAppData(blocker.u8string());
#else
    setenv("XDG_DATA_HOME", blocker.c_str(), 1);
#endif

    IComponentBase* object = nullptr;
    const WCHAR_T name[] = {'C', 0};
    EXPECT_EQ(Component().GetClassObject(name, &object), 0);
    EXPECT_EQ(object, nullptr);

    const CallOutcome outcome = component.Call("GetDescription", {E});
    EXPECT_FALSE(outcome.returned);
    EXPECT_TRUE(outcome.params[0].untouched);
    ASSERT_EQ(component.connection.errors.size(), 1u);
    EXPECT_EQ(component.connection.errors[0].code, 7);
    EXPECT_EQ(component.connection.errors[0].description,
              "Неизвестная ошибка: Failed to create logging directory");
    EXPECT_EQ(component.Call("GetLastError", {E}).result.i4, 7);
}

}  // namespace
}  // namespace zarvik::test
