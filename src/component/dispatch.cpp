// From the platform's call to the driver operation and back: parameters out
// of their tVariants into plain values, the operation, its results into the
// out-parameters. Count checks have passed before this runs.
#include <cmath>
#include <optional>

#include "component/component.h"
#include "component/method_table.h"
#include "component/text.h"
#include "component/variant.h"
#include "core/driver_error.h"
#include "driver/identity.h"

namespace zarvik {

namespace {

// A port as the settings form may send it: a 32-bit integer, a double that
// holds a whole number, or a text of decimal digits; each within 1 to 65535.
std::optional<int32_t> ReadPort(const tVariant& value) {
    double number = 0;
    switch (value.vt) {
        case VTYPE_I4:
            number = value.lVal;
            break;
        case VTYPE_R8:
            if (!std::isfinite(value.dblVal) || value.dblVal != std::trunc(value.dblVal)) {
                return std::nullopt;
            }
            number = value.dblVal;
            break;
        case VTYPE_PWSTR: {
            const std::string text = GetInString(value);
            if (text.empty()) return std::nullopt;
            for (const char digit : text) {
                if (digit < '0' || digit > '9') return std::nullopt;
                number = number * 10 + (digit - '0');
                if (number > 65535) return std::nullopt;
            }
            break;
        }
        default:
            return std::nullopt;
    }
    if (number < 1 || number > 65535) return std::nullopt;
    return static_cast<int32_t>(number);
}

}  // namespace

void CZarvikKassaAddInNative::SetParameter(const tVariant& name, const tVariant& value) {
    // Names the driver does not know are ignored: the equipment library sends
    // its own ("EquipmentType" and others) before ours. A known setting given
    // a value it cannot use keeps its previous value, and the call says so.
    DriverSettings& settings = app_->Settings();
    switch (FindParameter(FromPlatformText(name.pwstrVal))) {
        case 0:
            if (value.vt != VTYPE_PWSTR) {
                throw InputDataError("ServerHost должен быть строкой: IP-адрес или имя компьютера");
            }
            settings.ServerHost = GetInString(value);
            break;
        case 1:
            if (const std::optional<int32_t> port = ReadPort(value)) {
                settings.ServerPort = *port;
                break;
            }
            throw InputDataError("ServerPort должен быть целым числом от 1 до 65535");
        case 2:
            if (value.vt != VTYPE_PWSTR) throw InputDataError("PosId должен быть строкой");
            settings.PosId = GetInString(value);
            break;
        default:
            break;
    }
}

void CZarvikKassaAddInNative::Dispatch(long method, tVariant& result, tVariant* params,
                                       long count) {
    KktDriver& driver = *driver_;
    const auto out = [&](long index, const std::string& text) {
        SetOutText(memory_, text, params[index]);
    };
    const auto in = [&](long index) { return GetInString(params[index]); };
    // Receipts of megabytes are converted into the kept buffer.
    const auto package = [&](long index) -> std::string& {
        GetInString(params[index], scratch_.document);
        return scratch_.document;
    };
    bool verdict = true;
    // A call that succeeds leaves no error behind; a failure sets it again.
    if (method != kGetLastError) {
        lastError_.code = 0;
        lastError_.text.clear();
    }

    switch (static_cast<MethodIndex>(method)) {
        case kGetLastError:
            out(0, lastError_.text);
            SetI4(result, lastError_.code);
            return;
        case kGetInterfaceRevision:
            SetUI4(result, kInterfaceRevision);
            return;
        case kGetDescription:
            out(0, driver.GetDescription());
            break;
        case kGetParameters:
            out(0, driver.GetParameters());
            break;
        case kSetParameter:
            SetParameter(params[0], params[1]);
            break;
        case kDeviceTest: {
            DeviceTestResult test = driver.DeviceTest();
            out(0, test.description);
            // Not reported, but the equipment library takes its reason from here.
            if (!test.ok) lastError_ = LastError{test.code, test.description};
            verdict = test.ok;
            break;
        }
        case kGetDataKKT:
            out(1, driver.GetDataKKT());
            break;
        case kOpenShift:
            out(2, driver.OpenShift(in(1)));
            break;
        case kCloseShift:
            out(2, driver.CloseShift(in(1)));
            break;
        case kProcessCheck: {
            // The "electronically" flag arrives as a boolean; anything else is a paper receipt.
            // Its byte is read, not the bool: a byte other than 0 or 1 is then simply true.
            const bool electronically = params[1].vt == VTYPE_BOOL && params[1].ui8Val != 0;
            out(3, driver.ProcessCheck(electronically, package(2)));
            break;
        }
        case kProcessCorrectionCheck:
            out(2, driver.ProcessCorrectionCheck(package(1)));
            break;
        case kPrintTextDocument:
            driver.PrintTextDocument(in(1));
            break;
        case kCashInOutcome: {
            const std::string input = in(1);
            const std::optional<double> amount = ReadAmount(params[2]);
            if (!amount) {
                throw InputDataError("сумма (третий параметр) должна быть конечным числом");
            }
            driver.CashInOutcome(input, *amount);
            break;
        }
        case kPrintXReport:
            driver.PrintXReport(in(1));
            break;
        case kPrintCheckCopy:
            driver.PrintCheckCopy(in(1));
            break;
        case kGetCurrentStatus:
            out(2, driver.GetCurrentStatus());
            break;
        case kReportCurrentStatusOfSettlements:
            out(2, driver.ReportCurrentStatusOfSettlements(in(1)));
            break;
        case kOpenCashDrawer:
            driver.OpenCashDrawer();
            break;
        case kGetLineLength:
            SetI4(params[1], driver.GetLineLength());
            break;
        case kOpenSessionRegistrationKM:
            driver.OpenSessionRegistrationKM();
            break;
        case kCloseSessionRegistrationKM:
            driver.CloseSessionRegistrationKM();
            break;
        case kRequestKM:
            out(2, driver.RequestKM(in(1)));
            break;
        case kGetProcessingKMResult: {
            ProcessingKMOutput processing = driver.GetProcessingKMResult();
            out(1, processing.xml);
            SetI4(params[2], processing.requestStatus);
            break;
        }
        case kConfirmKM: {
            const std::string guid = in(1);
            const std::optional<uint32_t> type = ReadInteger32(params[2]);
            if (!type) {
                throw InputDataError(
                    "тип подтверждения (третий параметр) должен быть целым числом");
            }
            driver.ConfirmKM(guid, *type);
            break;
        }
        case kOperationFN:
            throw ZarvikKassaErrorException(
                DriverErrorCode::OtherError,
                "Операции с фискальным накопителем драйвер не выполняет: изменение параметров "
                "регистрации и закрытие ФН выполняются в приложении ЗАРВИК Кассы.");
        case kDoAdditionalAction: {
            const std::string action = count > 0 && params != nullptr ? in(0) : std::string();
            throw InputDataError("дополнительного действия «" + action +
                                 "» нет: драйвер не предлагает дополнительных действий");
        }
        case kOpen:
        case kClose:
        case kGetAdditionalActions:
        case kMethodCount:
            break;
    }
    SetBool(result, verdict);
}

}  // namespace zarvik
