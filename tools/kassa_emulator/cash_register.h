// The emulated cash register: a fiscal storage with its shift, document
// numbers, fiscal signs, cash drawer, counters, the documents the OFD has not
// acknowledged yet, and the marking-code session. Plain values in and out, no
// JSON and no sockets, so that its rules can be tested on their own. Where a
// real register refuses, the operation throws Refusal.
#pragma once

#include <array>
#include <cstdint>
#include <ctime>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kassa {

// Application error codes of the answers; the JSON-RPC protocol codes
// (-32700 and the like) are the listener's and the dispatcher's.
enum RefusalCode : int {
    kShiftClosed = 1001,
    kShiftAlreadyOpen = 1002,
    kShiftExpired = 1003,
    kNotEnoughCash = 1010,
    kBadPayment = 1011,
    kBadReceipt = 1012,
    kReceiptNotFound = 1013,
    kMarkingSessionClosed = 1020,
    kMarkingSessionAlreadyOpen = 1021,
    kMarkingRequestUnknown = 1022,
    kMarkingCodeNotConfirmed = 1023,
    kNothingToReport = 1024,
    kForced = 1099,  // an error asked for on the command line
};

struct Refusal {
    int code = 0;
    std::string message;  // Russian, for the cashier
};

enum class ShiftState : int32_t { Closed = 1, Open = 2, Expired = 3 };

// Sale, return of sale, expense, return of expense.
enum class OperationType : int32_t { Sale = 1, SaleReturn = 2, Expense = 3, ExpenseReturn = 4 };

struct OperationCounters {
    int32_t checkCount = 0;
    double totalChecksAmount = 0.0;
    int32_t correctionCheckCount = 0;
    double totalCorrectionChecksAmount = 0.0;
};

// A document in the fiscal storage.
struct FiscalDocument {
    uint32_t number = 0;
    std::time_t time = 0;
    std::string fiscalSign;
};

struct Backlog {
    int32_t count = 0;
    std::optional<FiscalDocument> first;  // the oldest the OFD has not acknowledged
};

struct ShiftReport {
    uint32_t shiftNumber = 0;
    FiscalDocument document;
    Backlog backlog;  // after the report
};

struct Payments {
    double cash = 0.0;
    double electronic = 0.0;
    double advance = 0.0;
    double credit = 0.0;
    double provision = 0.0;
};

struct ReceiptPosition {
    std::string name;
    double amount = 0.0;      // with the discount
    std::string markingCode;  // empty when the goods carry none
};

struct Receipt {
    int32_t operationType = 1;
    bool correction = false;
    std::vector<ReceiptPosition> positions;
    Payments payments;
};

struct RegisteredReceipt {
    uint32_t shiftNumber = 0;
    uint32_t numberInShift = 0;
    FiscalDocument document;
    double total = 0.0;
};

struct MarkingCheck {
    std::string guid;
    std::string markingCode;
    int32_t plannedStatus = 0;
    bool wellFormed = false;  // what the fiscal storage's own check of the code said
    bool reported = false;    // its processing result has been handed out
    std::optional<uint32_t> confirmation;
};

struct ProcessingResult {
    std::string guid;
    bool result = false;
    uint32_t resultCode = 0;
    uint32_t handleCode = 0;
    uint32_t statusInfo = 0;
};

class CashRegister {
  public:
    using Clock = std::function<std::time_t()>;

    explicit CashRegister(Clock clock = nullptr);

    // The OFD acknowledges documents with this lag: the newest `lag` stay in
    // the backlog until later documents push them out.
    void setOfdLag(size_t lag) { ofdLag_ = lag; }

    std::time_t now() const { return clock_(); }

    ShiftState shiftState() const;
    uint32_t shiftNumber() const { return shiftNumber_; }
    uint32_t lastDocumentNumber() const { return lastDocument_; }
    uint32_t receiptsInShift() const { return receiptsInShift_; }
    double cashBalance() const { return cash_; }
    const std::array<OperationCounters, 4>& counters() const { return counters_; }
    Backlog backlog() const;
    bool markingSessionOpen() const { return markingSession_; }

    ShiftReport OpenShift();
    ShiftReport CloseShift();
    FiscalDocument ReportCurrentStatusOfSettlements();
    void RequireShiftOpen() const;  // refuses as a receipt would

    RegisteredReceipt ProcessCheck(const Receipt& receipt);
    const RegisteredReceipt* lastReceipt() const;
    const RegisteredReceipt* findReceipt(uint32_t number) const;

    // A positive amount is a deposit, a negative one a withdrawal.
    void CashInOutcome(double amount);

    void OpenMarkingSession();
    void CloseMarkingSession();
    const MarkingCheck& RequestKM(const std::string& guid, const std::string& markingCode,
                                  int32_t plannedStatus);
    ProcessingResult NextProcessingResult();
    void ConfirmKM(const std::string& guid, uint32_t confirmationType);

  private:
    FiscalDocument NewDocument();
    void RequireReceiptAllowed() const;
    void MoveCash(const Receipt& receipt, double total);

    Clock clock_;
    size_t ofdLag_ = 2;
    uint32_t shiftNumber_ = 0;
    bool shiftOpen_ = false;
    std::time_t shiftOpenedAt_ = 0;
    uint32_t lastDocument_ = 1;  // the registration report
    uint32_t receiptsInShift_ = 0;
    double cash_ = 0.0;
    std::array<OperationCounters, 4> counters_{};
    std::deque<FiscalDocument> backlog_;
    std::vector<RegisteredReceipt> receipts_;  // of the current shift
    bool markingSession_ = false;
    std::vector<MarkingCheck> checks_;        // of the current session
    std::vector<std::string> acceptedCodes_;  // confirmed, waiting for their receipt
};

// Local time in the form the register prints: 2026-12-06T21:30:05.
std::string FormatDateTime(std::time_t time);

}  // namespace kassa
