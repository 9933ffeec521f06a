#include "commands.h"

#include <iostream>

namespace kassa_host {

namespace {

using zarvik::host::CallOutcome;
using zarvik::host::FromPlatform;
using zarvik::host::HostedComponent;
using zarvik::host::Param;
using zarvik::host::ToU8;

// Continuation lines of a multi-line value line up under its first line.
void PrintBlock(const std::string& label, const std::string& text) {
    std::cout << label;
    const std::string indent(label.size(), ' ');
    size_t start = 0;
    bool first = true;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        if (end == text.size() && start == end && !first) break;
        std::cout << (first ? "" : indent) << text.substr(start, end - start) << "\n";
        first = false;
        start = end + 1;
    }
}

// The platform frees what the component allocated for it.
std::string TakeText(HostedComponent& component, const WCHAR_T* text) {
    std::string utf8 = ToU8(FromPlatform(text));
    if (text != nullptr) {
        void* block = const_cast<WCHAR_T*>(text);
        component.memory.FreeMemory(&block);
    }
    return utf8;
}

void PrintErrors(const HostedComponent& component) {
    for (const auto& report : component.connection.errors) {
        std::cout << "  AddError: code " << report.code << ", source \"" << report.source
                  << "\", scode " << report.scode << "\n";
        PrintBlock("            ", report.description);
    }
}

bool Created(HostedComponent& component) {
    if (component.created()) return true;
    std::cerr << "kassa-host: the library refused to create the component\n";
    return false;
}

}  // namespace

int DescribeDriver(zarvik::host::Library& library) {
    std::cout << "Class names: " << ToU8(FromPlatform(library.GetClassNames())) << "\n";
    HostedComponent component(library);
    if (!Created(component)) return 1;
    ILanguageExtenderBase* extender = component.extender();

    WCHAR_T* extension = nullptr;
    if (extender->RegisterExtensionAs(&extension)) {
        std::cout << "Extension name: " << TakeText(component, extension) << "\n";
    }
    const CallOutcome revision =
        component.CallIndex(component.FindMethod("GetInterfaceRevision"), {});
    std::cout << "Interface revision: " << kassa_host::Describe(revision.result) << "\n";

    const long count = extender->GetNMethods();
    std::cout << "Methods: " << count << "\n";
    for (long i = 0; i < count; ++i) {
        const std::string english = TakeText(component, extender->GetMethodName(i, 0));
        const std::string russian = TakeText(component, extender->GetMethodName(i, 1));
        std::cout << "  " << (i < 10 ? " " : "") << i << "  " << english << " / " << russian
                  << "  (" << extender->GetNParams(i) << " parameters"
                  << (extender->HasRetVal(i) ? ", returns a value" : "") << ")\n";
    }

    const CallOutcome description =
        component.CallIndex(component.FindMethod("GetDescription"), {Param::Empty()});
    PrintBlock("Driver description: ", description.params.at(0).text);
    const CallOutcome settings =
        component.CallIndex(component.FindMethod("GetParameters"), {Param::Empty()});
    PrintBlock("Settings form: ", settings.params.at(0).text);
    PrintErrors(component);
    return description.returned && settings.returned && component.connection.errors.empty() ? 0 : 1;
}

int CallMethod(zarvik::host::Library& library, const Connection& connection,
               const std::string& method, const std::vector<Argument>& arguments) {
    HostedComponent component(library);
    if (!Created(component)) return 1;
    if (!component.SetConnection(connection.host, connection.port, connection.posId)) {
        std::cerr << "kassa-host: SetParameter refused a connection setting\n";
        PrintErrors(component);
        return 1;
    }
    const long index = component.FindMethod(method);
    if (index < 0) {
        std::cerr << "kassa-host: the driver has no method " << method << "\n";
        return 2;
    }
    std::cout << method << "(";
    std::vector<Param> params;
    for (size_t i = 0; i < arguments.size(); ++i) {
        std::cout << (i == 0 ? "" : ", ") << arguments[i].shown;
        params.push_back(arguments[i].param);
    }
    std::cout << ")\n";
    const long expected = component.extender()->GetNParams(index);
    if (expected != static_cast<long>(arguments.size())) {
        std::cout << "  note: the driver declares " << expected << " parameters, "
                  << arguments.size() << " given\n";
    }

    const CallOutcome outcome = component.CallIndex(index, params);
    const bool failed =
        !outcome.returned || (outcome.result.vt == VTYPE_BOOL && !outcome.result.flag);
    std::cout << "  verdict: " << (failed ? "FAILED" : "ok") << " (CallAsFunc returned "
              << (outcome.returned ? "true" : "false") << ", result "
              << kassa_host::Describe(outcome.result) << ")\n";
    for (size_t i = 0; i < outcome.params.size(); ++i) {
        if (!arguments[i].out && outcome.params[i].untouched) continue;
        const std::string label = "  parameter " + std::to_string(i) + ": ";
        PrintBlock(label, arguments[i].out && outcome.params[i].untouched
                              ? "(not written)"
                              : kassa_host::Describe(outcome.params[i]));
    }
    PrintErrors(component);
    // What the equipment library does after a failure: ask the driver why.
    const long getLastError = component.FindMethod("GetLastError");
    if (failed && index != getLastError) {
        const CallOutcome last = component.CallIndex(getLastError, {Param::Empty()});
        PrintBlock("  GetLastError: " + kassa_host::Describe(last.result) + ", ",
                   kassa_host::Describe(last.params.at(0)));
    }
    return failed ? 1 : 0;
}

}  // namespace kassa_host
