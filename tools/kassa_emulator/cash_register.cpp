#include "cash_register.h"

#include <algorithm>
#include <cmath>

#include "money.h"

namespace kassa {

namespace {

constexpr std::time_t kShiftLimit = 24 * 60 * 60;
constexpr char kFnSerial[] = "7380440700076543";

[[noreturn]] void Refuse(int code, std::string message) { throw Refusal{code, std::move(message)}; }

bool IsIncoming(int32_t type) {
    return type == static_cast<int32_t>(OperationType::Sale) ||
           type == static_cast<int32_t>(OperationType::ExpenseReturn);
}

// The fiscal sign is the storage's signature of the document, a 32-bit
// number printed in decimal; derived here from what a real one signs.
std::string FiscalSignOf(uint32_t number, std::time_t time) {
    uint64_t hash = 1469598103934665603ull;
    const auto mix = [&hash](uint64_t value) {
        for (int i = 0; i < 8; ++i) {
            hash ^= (value >> (8 * i)) & 0xFF;
            hash *= 1099511628211ull;
        }
    };
    for (const char* c = kFnSerial; *c != 0; ++c) mix(static_cast<unsigned char>(*c));
    mix(number);
    mix(static_cast<uint64_t>(time));
    return std::to_string(static_cast<uint32_t>(hash ^ (hash >> 32)));
}

// The shape of a GS1 DataMatrix marking code: 01, the 14-digit GTIN, 21 and
// the serial number.
bool LooksLikeMarkingCode(const std::string& code) {
    if (code.size() < 18 || code.compare(0, 2, "01") != 0) return false;
    for (size_t i = 2; i < 16; ++i) {
        if (code[i] < '0' || code[i] > '9') return false;
    }
    return code.compare(16, 2, "21") == 0;
}

}  // namespace

CashRegister::CashRegister(Clock clock)
    : clock_(clock ? std::move(clock) : Clock([] { return std::time(nullptr); })) {}

ShiftState CashRegister::shiftState() const {
    if (!shiftOpen_) return ShiftState::Closed;
    return now() - shiftOpenedAt_ > kShiftLimit ? ShiftState::Expired : ShiftState::Open;
}

Backlog CashRegister::backlog() const {
    Backlog backlog;
    backlog.count = static_cast<int32_t>(backlog_.size());
    if (!backlog_.empty()) backlog.first = backlog_.front();
    return backlog;
}

FiscalDocument CashRegister::NewDocument() {
    FiscalDocument document;
    document.number = ++lastDocument_;
    document.time = now();
    document.fiscalSign = FiscalSignOf(document.number, document.time);
    backlog_.push_back(document);
    while (backlog_.size() > ofdLag_) backlog_.pop_front();
    return document;
}

ShiftReport CashRegister::OpenShift() {
    if (shiftOpen_) {
        Refuse(kShiftAlreadyOpen, "Смена №" + std::to_string(shiftNumber_) +
                                      " уже открыта: закройте её, прежде чем "
                                      "открыть новую");
    }
    shiftOpen_ = true;
    shiftOpenedAt_ = now();
    ++shiftNumber_;
    receiptsInShift_ = 0;
    counters_ = {};
    receipts_.clear();
    ShiftReport report;
    report.shiftNumber = shiftNumber_;
    report.document = NewDocument();
    report.backlog = backlog();
    return report;
}

ShiftReport CashRegister::CloseShift() {
    if (!shiftOpen_) Refuse(kShiftClosed, "Смена не открыта: закрывать нечего");
    ShiftReport report;
    report.shiftNumber = shiftNumber_;
    report.document = NewDocument();
    report.backlog = backlog();
    shiftOpen_ = false;
    return report;
}

FiscalDocument CashRegister::ReportCurrentStatusOfSettlements() { return NewDocument(); }

void CashRegister::RequireShiftOpen() const {
    if (!shiftOpen_) Refuse(kShiftClosed, "Смена закрыта: сначала откройте смену");
}

void CashRegister::RequireReceiptAllowed() const {
    RequireShiftOpen();
    if (shiftState() == ShiftState::Expired) {
        Refuse(kShiftExpired, "Смена превысила 24 часа: закройте смену и откройте новую");
    }
}

// Checks and moves the cash of a receipt; nothing changes when it refuses.
void CashRegister::MoveCash(const Receipt& receipt, double total) {
    const Payments& p = receipt.payments;
    const double nonCash = p.electronic + p.advance + p.credit + p.provision;
    if (Kopecks(nonCash) > Kopecks(total)) {
        Refuse(kBadPayment, "Безналичная оплата (" + FormatMoney(nonCash) +
                                " ₽) больше суммы чека (" + FormatMoney(total) +
                                " ₽)");
    }
    if (Kopecks(p.cash + nonCash) < Kopecks(total)) {
        Refuse(kBadPayment, "Оплата (" + FormatMoney(p.cash + nonCash) +
                                " ₽) меньше суммы чека (" + FormatMoney(total) +
                                " ₽)");
    }
    // The change goes back out of the drawer: only the rest stays.
    const double cashPart = total - nonCash;
    if (IsIncoming(receipt.operationType)) {
        cash_ = RoundMoney(cash_ + cashPart);
    } else {
        if (Kopecks(cashPart) > Kopecks(cash_)) {
            Refuse(kNotEnoughCash, "Недостаточно наличных в денежном ящике: в кассе " +
                                       FormatMoney(cash_) + " ₽, к выдаче " +
                                       FormatMoney(cashPart) + " ₽");
        }
        cash_ = RoundMoney(cash_ - cashPart);
    }
}

RegisteredReceipt CashRegister::ProcessCheck(const Receipt& receipt) {
    RequireReceiptAllowed();
    if (receipt.operationType < 1 || receipt.operationType > 4) {
        Refuse(kBadReceipt, "Неизвестный признак расчёта " + std::to_string(receipt.operationType) +
                                " (ожидается 1, 2, 3 или 4)");
    }
    if (receipt.positions.empty()) Refuse(kBadReceipt, "В чеке нет ни одной позиции");
    double total = 0.0;
    std::vector<std::string> codes;
    for (const ReceiptPosition& position : receipt.positions) {
        // A marking code identifies one item: it is sold once.
        if (!position.markingCode.empty()) {
            if (std::find(codes.begin(), codes.end(), position.markingCode) != codes.end()) {
                Refuse(kBadReceipt,
                       "Код маркировки позиции «" + position.name + "» уже есть в этом чеке");
            }
            codes.push_back(position.markingCode);
        }
        if (position.amount < 0.0) {
            Refuse(kBadReceipt, "Отрицательная сумма позиции «" + position.name + "»");
        }
        total += position.amount;
        if (!position.markingCode.empty() &&
            std::find(acceptedCodes_.begin(), acceptedCodes_.end(), position.markingCode) ==
                acceptedCodes_.end()) {
            Refuse(kMarkingCodeNotConfirmed,
                   "Код маркировки позиции «" + position.name +
                       "» не проверен: запросите его (RequestKM) и подтвердите (ConfirmKM)");
        }
    }
    total = RoundMoney(total);
    MoveCash(receipt, total);

    for (const ReceiptPosition& position : receipt.positions) {
        const auto found =
            std::find(acceptedCodes_.begin(), acceptedCodes_.end(), position.markingCode);
        if (found != acceptedCodes_.end()) acceptedCodes_.erase(found);
    }
    OperationCounters& counters = counters_[receipt.operationType - 1];
    if (receipt.correction) {
        ++counters.correctionCheckCount;
        counters.totalCorrectionChecksAmount =
            RoundMoney(counters.totalCorrectionChecksAmount + total);
    } else {
        ++counters.checkCount;
        counters.totalChecksAmount = RoundMoney(counters.totalChecksAmount + total);
    }
    RegisteredReceipt registered;
    registered.shiftNumber = shiftNumber_;
    registered.numberInShift = ++receiptsInShift_;
    registered.document = NewDocument();
    registered.total = total;
    receipts_.push_back(registered);
    return registered;
}

const RegisteredReceipt* CashRegister::lastReceipt() const {
    return receipts_.empty() ? nullptr : &receipts_.back();
}

const RegisteredReceipt* CashRegister::findReceipt(uint32_t number) const {
    for (const RegisteredReceipt& receipt : receipts_) {
        if (receipt.document.number == number) return &receipt;
    }
    return nullptr;
}

void CashRegister::CashInOutcome(double amount) {
    RequireReceiptAllowed();
    if (Kopecks(amount) == 0) {
        Refuse(kBadPayment, "Сумма внесения или выемки не может быть нулевой");
    }
    if (amount < 0 && Kopecks(-amount) > Kopecks(cash_)) {
        Refuse(kNotEnoughCash, "Недостаточно наличных для выемки: в кассе " + FormatMoney(cash_) +
                                   " ₽, запрошено " + FormatMoney(-amount) + " ₽");
    }
    cash_ = RoundMoney(cash_ + amount);
}

void CashRegister::OpenMarkingSession() {
    if (markingSession_) {
        Refuse(kMarkingSessionAlreadyOpen, "Сессия проверки кодов маркировки уже открыта");
    }
    markingSession_ = true;
    checks_.clear();
}

void CashRegister::CloseMarkingSession() {
    if (!markingSession_) {
        Refuse(kMarkingSessionClosed, "Сессия проверки кодов маркировки не открыта");
    }
    markingSession_ = false;
    checks_.clear();
}

const MarkingCheck& CashRegister::RequestKM(const std::string& guid, const std::string& markingCode,
                                            int32_t plannedStatus) {
    if (!markingSession_) {
        Refuse(kMarkingSessionClosed,
               "Запрос кода маркировки вне сессии: сначала откройте сессию проверки КМ");
    }
    for (const MarkingCheck& check : checks_) {
        if (check.guid == guid) {
            Refuse(kMarkingRequestUnknown,
                   "Запрос КМ с GUID " + guid + " уже был отправлен в этой сессии");
        }
    }
    MarkingCheck check;
    check.guid = guid;
    check.markingCode = markingCode;
    check.plannedStatus = plannedStatus;
    check.wellFormed = LooksLikeMarkingCode(markingCode);
    checks_.push_back(check);
    return checks_.back();
}

ProcessingResult CashRegister::NextProcessingResult() {
    if (!markingSession_) {
        Refuse(kMarkingSessionClosed,
               "Результат проверки КМ вне сессии: сначала откройте сессию проверки КМ");
    }
    for (MarkingCheck& check : checks_) {
        if (check.reported) continue;
        check.reported = true;
        ProcessingResult result;
        result.guid = check.guid;
        result.result = check.wellFormed;
        // Bits of the check result: checked by the storage, code valid,
        // checked by the monitoring system, status as planned.
        result.resultCode = check.wellFormed ? 15 : 1;
        result.handleCode = 0;
        result.statusInfo = check.wellFormed ? 1 : 2;
        return result;
    }
    Refuse(kNothingToReport, "Нет запросов кодов маркировки, ожидающих результата");
}

void CashRegister::ConfirmKM(const std::string& guid, uint32_t confirmationType) {
    if (!markingSession_) {
        Refuse(kMarkingSessionClosed,
               "Подтверждение КМ вне сессии: сначала откройте сессию проверки КМ");
    }
    for (MarkingCheck& check : checks_) {
        if (check.guid != guid) continue;
        if (!check.reported) {
            Refuse(kMarkingRequestUnknown, "Результат проверки КМ с GUID " + guid +
                                               " ещё не получен (GetProcessingKMResult)");
        }
        if (confirmationType > 1) {
            Refuse(kMarkingRequestUnknown, "Неизвестный тип подтверждения КМ " +
                                               std::to_string(confirmationType) +
                                               " (0 — принять, 1 — отказаться)");
        }
        check.confirmation = confirmationType;
        if (confirmationType == 0) acceptedCodes_.push_back(check.markingCode);
        return;
    }
    Refuse(kMarkingRequestUnknown, "Запрос КМ с GUID " + guid + " в этой сессии не найден");
}

std::string FormatDateTime(std::time_t time) {
    std::tm local{};
#if defined(_WIN32)
    localtime_s(&local, &time);
#else
    localtime_r(&time, &local);
#endif
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    return text;
}

}  // namespace kassa
