// The driver's operations, one per platform method, in plain values: UTF-8
// text in, UTF-8 text out. A failure the platform must hear about leaves as
// ZarvikKassaErrorException; the component reports it and answers false.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace zarvik {

class ExchangeLog;
class KassaAppClient;

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
    KktDriver(KassaAppClient& app, ExchangeLog& log);
    ~KktDriver();

    // Description and settings.
    std::string GetDescription();
    std::string GetParameters();
    DeviceTestResult DeviceTest();  // never throws a driver error: the description carries it
    std::string GetDataKKT();

    // Shifts, status, reports, cash and service operations.
    std::string OpenShift(const std::string& inputParameters);
    std::string CloseShift(const std::string& inputParameters);
    std::string GetCurrentStatus();
    std::string ReportCurrentStatusOfSettlements(const std::string& inputParameters);
    void PrintXReport(const std::string& inputParameters);
    void CashInOutcome(const std::string& inputParameters, double amount);
    void OpenCashDrawer();
    int32_t GetLineLength();
    void PrintCheckCopy(const std::string& checkNumber);

    // Receipts.
    std::string ProcessCheck(bool electronically, const std::string& checkPackage);
    std::string ProcessCorrectionCheck(const std::string& checkPackage);

    // Marking codes.
    void OpenSessionRegistrationKM();
    void CloseSessionRegistrationKM();
    std::string RequestKM(const std::string& request);
    ProcessingKMOutput GetProcessingKMResult();
    void ConfirmKM(const std::string& guid, uint32_t confirmationType);

    // Text documents.
    void PrintTextDocument(const std::string& document);

  private:
    struct ReceiptMemory;
    ReceiptMemory& ReceiptMemoryFor(size_t packageSize);

    KassaAppClient& app_;
    ExchangeLog& log_;
    // Kept from one receipt to the next, so that the reader's buffers and the
    // list of positions are used again rather than taken from the system and
    // given back every time.
    std::unique_ptr<ReceiptMemory> receiptMemory_;
};

}  // namespace zarvik
