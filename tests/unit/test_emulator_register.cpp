// The emulated register's rules, without JSON or sockets: what a real
// register does and what it refuses.
#include <gtest/gtest.h>

#include "cash_register.h"

namespace kassa {
namespace {

constexpr std::time_t kMorning = 1796540400;  // a fixed instant; only differences matter
constexpr char kCode[] =
    "0104607040913012215hC&8eN%,?wq2\x1D"
    "93dGVz";

class RegisterTest : public ::testing::Test {
  protected:
    RegisterTest() : kassa([this] { return now; }) {}

    static Receipt Sale(double amount, double cash, const std::string& markingCode = "",
                        OperationType type = OperationType::Sale) {
        Receipt receipt;
        receipt.operationType = static_cast<int32_t>(type);
        receipt.positions.push_back({"Кефир 2,5%", amount, markingCode});
        receipt.payments.cash = cash;
        return receipt;
    }

    // The refusal's code, 0 when the register did it.
    static int Code(const std::function<void()>& action) {
        try {
            action();
        } catch (const Refusal& refusal) {
            EXPECT_FALSE(refusal.message.empty());
            return refusal.code;
        }
        return 0;
    }

    std::time_t now = kMorning;
    CashRegister kassa;
};

TEST_F(RegisterTest, ShiftsOpenOnceCloseOnceAndTakeNoReceiptsWhenClosedOrOlderThanADay) {
    EXPECT_EQ(Code([&] { kassa.CloseShift(); }), kShiftClosed);
    EXPECT_EQ(Code([&] { kassa.ProcessCheck(Sale(100, 100)); }), kShiftClosed);
    EXPECT_EQ(kassa.lastDocumentNumber(), 1u) << "document 1 is the registration report";
    const ShiftReport first = kassa.OpenShift();
    EXPECT_EQ(first.shiftNumber, 1u);
    EXPECT_EQ(first.document.number, 2u);
    EXPECT_EQ(Code([&] { kassa.OpenShift(); }), kShiftAlreadyOpen);
    EXPECT_EQ(kassa.CloseShift().document.number, 3u);
    EXPECT_EQ(kassa.shiftState(), ShiftState::Closed);

    EXPECT_EQ(kassa.OpenShift().shiftNumber, 2u);
    now += 24 * 60 * 60 + 1;
    EXPECT_EQ(kassa.shiftState(), ShiftState::Expired);
    EXPECT_EQ(Code([&] { kassa.ProcessCheck(Sale(100, 100)); }), kShiftExpired);
    EXPECT_EQ(Code([&] { kassa.CashInOutcome(100); }), kShiftExpired);
    EXPECT_EQ(Code([&] { kassa.CloseShift(); }), 0);
    EXPECT_EQ(kassa.cashBalance(), 0.0);
    EXPECT_EQ(kassa.counters()[0].checkCount, 0);
}

TEST_F(RegisterTest, MoneyMovesOnlyAsFarAsPaymentsAndTheDrawerAllow) {
    kassa.OpenShift();
    Receipt receipt = Sale(109.9, 300);
    receipt.positions.push_back({"Хлеб", 62.5, ""});
    receipt.positions.push_back({"Яблоки", 118.22, ""});
    kassa.ProcessCheck(receipt);
    EXPECT_DOUBLE_EQ(kassa.cashBalance(), 290.62) << "the change goes back";
    Receipt mixed = Sale(1000, 400);
    mixed.payments.electronic = 600;
    kassa.ProcessCheck(mixed);
    EXPECT_DOUBLE_EQ(kassa.cashBalance(), 690.62) << "only the cash part enters the drawer";

    Receipt overpaid = Sale(100, 0);
    overpaid.payments.electronic = 100.01;
    Receipt empty = Sale(0, 0);
    empty.positions.clear();
    Receipt unknownType = Sale(10, 10);
    unknownType.operationType = 5;
    EXPECT_EQ(Code([&] { kassa.ProcessCheck(Sale(100, 99.99)); }), kBadPayment);
    EXPECT_EQ(Code([&] { kassa.ProcessCheck(overpaid); }), kBadPayment);
    EXPECT_EQ(Code([&] { kassa.ProcessCheck(empty); }), kBadReceipt);
    EXPECT_EQ(Code([&] { kassa.ProcessCheck(unknownType); }), kBadReceipt);
    EXPECT_EQ(Code([&] { kassa.ProcessCheck(Sale(700, 700, "", OperationType::SaleReturn)); }),
              kNotEnoughCash);
    EXPECT_EQ(Code([&] { kassa.CashInOutcome(-690.63); }), kNotEnoughCash);
    EXPECT_EQ(kassa.receiptsInShift(), 2u);
    kassa.CashInOutcome(-690.62);
    EXPECT_EQ(kassa.cashBalance(), 0.0);
    EXPECT_EQ(Code([&] { kassa.CashInOutcome(0.001); }), kBadPayment) << "rounds to nothing";
}

// A code is sold once, and only after it was checked, its result fetched and
// its sale confirmed, within an open session.
TEST_F(RegisterTest, AMarkingCodeIsSoldOnceAfterItsCheck) {
    kassa.OpenShift();
    EXPECT_EQ(Code([&] { kassa.RequestKM("g-1", kCode, 1); }), kMarkingSessionClosed);
    EXPECT_EQ(Code([&] { kassa.CloseMarkingSession(); }), kMarkingSessionClosed);
    EXPECT_EQ(Code([&] { kassa.ConfirmKM("g-1", 0); }), kMarkingSessionClosed);
    EXPECT_EQ(Code([&] { kassa.ProcessCheck(Sale(10, 10, kCode)); }), kMarkingCodeNotConfirmed);
    kassa.OpenMarkingSession();
    EXPECT_EQ(Code([&] { kassa.OpenMarkingSession(); }), kMarkingSessionAlreadyOpen);
    EXPECT_EQ(Code([&] { kassa.NextProcessingResult(); }), kNothingToReport);

    EXPECT_TRUE(kassa.RequestKM("g-1", kCode, 1).wellFormed);
    EXPECT_EQ(Code([&] { kassa.RequestKM("g-1", kCode, 1); }), kMarkingRequestUnknown);
    EXPECT_EQ(Code([&] { kassa.ConfirmKM("g-1", 0); }), kMarkingRequestUnknown)
        << "confirmed before its result was fetched";
    const ProcessingResult result = kassa.NextProcessingResult();
    EXPECT_EQ(result.guid, "g-1");
    EXPECT_TRUE(result.result);
    EXPECT_EQ(result.resultCode, 15u);
    EXPECT_EQ(Code([&] { kassa.ConfirmKM("g-2", 0); }), kMarkingRequestUnknown);
    EXPECT_EQ(Code([&] { kassa.ConfirmKM("g-1", 7); }), kMarkingRequestUnknown);
    kassa.ConfirmKM("g-1", 0);
    kassa.CloseMarkingSession();

    Receipt twice = Sale(109.9, 219.8, kCode);
    twice.positions.push_back(twice.positions.front());
    EXPECT_EQ(Code([&] { kassa.ProcessCheck(twice); }), kBadReceipt);
    EXPECT_EQ(Code([&] { kassa.ProcessCheck(Sale(109.9, 109.9, kCode)); }), 0);
    EXPECT_EQ(Code([&] { kassa.ProcessCheck(Sale(109.9, 109.9, kCode)); }),
              kMarkingCodeNotConfirmed);
}

}  // namespace
}  // namespace kassa
