// The driver's operations, one per platform method, in plain values: UTF-8
// text in (documents are taken over, as they are parsed in place), UTF-8
// text out. A failure the platform must hear about leaves as
// ZarvikKassaErrorException; the component reports it and answers false.
#pragma once

#include <cstdint>
#include <string>

namespace zarvik {

class ExchangeLog;
class KassaAppClient;
struct Scratch;

struct DeviceTestResult {
    bool ok = false;
    std::string description;
    int32_t code = 0;  // the driver code of a failed test
};

struct ProcessingKMOutput {
    std::string xml;
    int32_t requestStatus = 0;
};

class KktDriver {
  public:
    KktDriver(KassaAppClient& app, ExchangeLog& log, Scratch& scratch);

    // Description and settings.
    std::string GetDescription();
    std::string GetParameters();
    DeviceTestResult DeviceTest();  // never throws a driver error: the description carries it
    std::string GetDataKKT();

    // Shifts, status, reports, cash and service operations.
    std::string OpenShift(std::string inputParameters);
    std::string CloseShift(std::string inputParameters);
    std::string GetCurrentStatus();
    std::string ReportCurrentStatusOfSettlements(std::string inputParameters);
    void PrintXReport(std::string inputParameters);
    void CashInOutcome(std::string inputParameters, double amount);
    void OpenCashDrawer();
    int32_t GetLineLength();
    void PrintCheckCopy(const std::string& checkNumber);

    // Receipts.
    // The package is parsed in place in the caller's (kept) buffer.
    std::string ProcessCheck(bool electronically, std::string& checkPackage);
    std::string ProcessCorrectionCheck(std::string& checkPackage);

    // Marking codes.
    void OpenSessionRegistrationKM();
    void CloseSessionRegistrationKM();
    std::string RequestKM(std::string request);
    ProcessingKMOutput GetProcessingKMResult();
    void ConfirmKM(const std::string& guid, uint32_t confirmationType);

    // Text documents.
    void PrintTextDocument(std::string document);

  private:
    KassaAppClient& app_;
    ExchangeLog& log_;
    Scratch& scratch_;
};

}  // namespace zarvik
