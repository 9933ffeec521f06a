#include "component/error_report.h"

#include "component/text.h"

namespace zarvik {

namespace {

std::basic_string<WCHAR_T> ToPlatform(const std::string& utf8) {
    const std::u16string text = Utf8ToUtf16(utf8);
    return std::basic_string<WCHAR_T>(text.begin(), text.end());
}

}  // namespace

void AddPlatformError(IAddInDefBase* connection, int32_t code, const std::string& description) {
    if (connection == nullptr) return;
    const auto source = ToPlatform(kErrorSource);
    const auto text = ToPlatform(description);
    connection->AddError(static_cast<unsigned short>(code), source.c_str(), text.c_str(), code);
}

LastError ReportDriverError(IAddInDefBase* connection,
                            const ZarvikKassaErrorException& error) noexcept {
    LastError last{static_cast<int32_t>(error.code), {}};
    try {
        for (const PlatformReport& report : PlatformReportsFor(error)) {
            last.code = report.code;
            if (!last.text.empty()) last.text += '\n';
            last.text += report.description;
            AddPlatformError(connection, report.code, report.description);
        }
    } catch (...) {
        // Out of memory while reporting: the code stands, the text may be short.
    }
    return last;
}

}  // namespace zarvik
