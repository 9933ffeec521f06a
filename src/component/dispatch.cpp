// From the platform's call to the driver operation and back: parameters out
// of their tVariants into plain values, the operation, its results into the
// out-parameters. Count checks have passed before this runs.
#include "component/component.h"
#include "component/method_table.h"
#include "component/text.h"
#include "component/variant.h"
#include "core/driver_error.h"
#include "driver/identity.h"

namespace zarvik {

void CZarvikKassaAddInNative::SetParameter(const tVariant& name, const tVariant& value) {
    // Unknown names and values of another type are ignored, as the platform expects.
    switch (FindParameter(FromPlatformText(name.pwstrVal))) {
        case 0:
            if (value.vt == VTYPE_PWSTR) app_->settings().ServerHost = GetInString(value);
            break;
        case 1:
            if (value.vt == VTYPE_I4) app_->settings().ServerPort = value.lVal;
            break;
        case 2:
            if (value.vt == VTYPE_PWSTR) app_->settings().PosId = GetInString(value);
            break;
        default:
            break;
    }
}

void CZarvikKassaAddInNative::Dispatch(long method, tVariant& result, tVariant* params) {
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

    switch (static_cast<MethodIndex>(method)) {
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
        case kOpen:
        case kClose:
        case kGetAdditionalActions:
        case kDoAdditionalAction:
        case kOperationFN:
        case kGetLastError:
        case kMethodCount:
            break;
    }
    SetBool(result, verdict);
}

}  // namespace zarvik
