// Faults of the companion application's side of the wire: killed mid-answer,
// restarted, slow, refusing, silent. Whatever happens, the call returns with
// the truth (a failure is reported as one) and the next call works again.
// There is deliberately no time-out: a fiscal operation that timed out here
// but completed in the companion application would invite a second receipt.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "fault_support.h"
#include "platform_emulator.h"
#include "test_companion.h"

namespace zarvik::test {
namespace {

using namespace std::chrono_literals;

const std::string kLineLengthAnswer =
    "{\"jsonrpc\":\"2.0\",\"id\":1,\"result\":{\"LineLength\":48}}";

// A call made on a thread of its own, so that the test can watch it wait.
class CallOnItsOwnThread {
  public:
    explicit CallOnItsOwnThread(std::function<CallOutcome()> call)
        : thread_([this, call] {
              outcome_ = call();
              returned_ = true;
          }) {}
    bool returned() const { return returned_; }
    CallOutcome Join() {
        thread_.join();
        return outcome_;
    }

  private:
    std::atomic<bool> returned_{false};
    CallOutcome outcome_;
    std::thread thread_;  // last: it starts once the rest is made
};

class Faults : public ::testing::Test {
  protected:
    void SetUp() override { component.Connect("127.0.0.1", companion->port()); }

    CallOutcome LineLength(EmulatedComponent& which) {
        return which.Call("GetLineLength", {Param::Empty(), Param::Empty()});
    }
    CallOutcome LineLength() { return LineLength(component); }

    // A true verdict with the line length of the answer, nothing reported.
    void ExpectWorks(EmulatedComponent& which) {
        companion->onResult("GetLineLength", R"({"LineLength":48})");
        const CallOutcome outcome = LineLength(which);
        EXPECT_TRUE(outcome.returned);
        EXPECT_EQ(outcome.result.vt, VTYPE_BOOL);
        EXPECT_TRUE(outcome.result.flag);
        ASSERT_EQ(outcome.params.size(), 2u);
        EXPECT_EQ(outcome.params[1].vt, VTYPE_I4);
        EXPECT_EQ(outcome.params[1].i4, 48);
        EXPECT_TRUE(which.connection.errors.empty());
    }
    void ExpectWorks() { ExpectWorks(component); }

    std::string logPath = UseFreshLogFolder();  // before the component opens its log
    std::unique_ptr<TestCompanion> companion = std::make_unique<TestCompanion>();
    EmulatedComponent component{Component()};
};

TEST_F(Faults, CompanionKilledMidAnswerFailsTheCallAndTheNextOneWorks) {
    companion->onRaw("GetLineLength", kLineLengthAnswer.substr(0, 30),
                     Delivery().inPieces(2, 20ms).thenClose());
    const CallOutcome outcome = LineLength();
    EXPECT_TRUE(outcome.returned);
    EXPECT_FALSE(outcome.result.flag);
    EXPECT_TRUE(outcome.params[1].untouched);
    ExpectReportedOnce(component, 4);
    ExpectWorks();
}

TEST_F(Faults, CompanionResettingTheConnectionFailsTheCallAndTheNextOneWorks) {
    companion->onReset("GetLineLength");
    const CallOutcome outcome = LineLength();
    EXPECT_FALSE(outcome.result.flag);
    ExpectReportedOnce(component, 1);
    ExpectWorks();
}

TEST_F(Faults, CompanionRestartedBetweenCallsIsFoundAgain) {
    ExpectWorks();
    const uint16_t port = companion->port();
    companion.reset();  // the companion application goes away

    const CallOutcome whileDown = LineLength();
    EXPECT_TRUE(whileDown.returned);
    EXPECT_FALSE(whileDown.result.flag);
    ExpectReportedOnce(component, 1);

    companion = std::make_unique<TestCompanion>(port);
    ASSERT_TRUE(companion->listening());
    ExpectWorks();
}

TEST_F(Faults, AnswerInSingleBytesReadsTheSame) {
    const std::string answer =
        R"({"jsonrpc":"2.0","id":1,"result":{"LineLength":42,"Note":"a \"}]\" b"}})";
    companion->onRaw("GetLineLength", answer,
                     Delivery().inPieces(static_cast<int>(answer.size()), 1ms).keepOpen());
    const CallOutcome outcome = LineLength();
    EXPECT_TRUE(outcome.result.flag);
    EXPECT_EQ(outcome.params[1].i4, 42);
    EXPECT_TRUE(component.connection.errors.empty());
}

TEST_F(Faults, AnswerAfterALongPauseIsStillTaken) {
    companion->onResult("GetLineLength", R"({"LineLength":64})",
                        Delivery().inPieces(2, 2500ms).keepOpen());
    const auto start = std::chrono::steady_clock::now();
    const CallOutcome outcome = LineLength();
    EXPECT_GE(std::chrono::steady_clock::now() - start, 2500ms);
    EXPECT_TRUE(outcome.result.flag);
    EXPECT_EQ(outcome.params[1].i4, 64);
    EXPECT_TRUE(component.connection.errors.empty());
}

TEST_F(Faults, RefusedConnectionIsReportedAndNothingElseHappens) {
    component.Connect("127.0.0.1", TestCompanion::ClosedPort());
    for (const char* method : {"OpenCashDrawer", "OpenSessionRegistrationKM"}) {
        const CallOutcome outcome = component.Call(method, {Param::Empty()});
        EXPECT_TRUE(outcome.returned);
        EXPECT_FALSE(outcome.result.flag) << method;
        ExpectReportedOnce(component, 1);
    }
    const CallOutcome shift = component.Call(
        "OpenShift", {Param::Empty(), Param::Str(R"(<In><Parameters CashierName="Иванов"/></In>)"),
                      Param::Empty()});
    EXPECT_FALSE(shift.result.flag);
    EXPECT_TRUE(shift.params[2].untouched);  // no output document for a failed shift
    ExpectReportedOnce(component, 1);
}

// Accepted by the system, never answered: the call waits, by design, and only
// that call. Once the peer goes away it returns with the failure, and the
// component works again.
TEST_F(Faults, SilentPeerHangsOnlyItsOwnCallUntilItGoesAway) {
    SilentListener silent;
    ASSERT_TRUE(silent.listening());
    component.Connect("127.0.0.1", silent.port());
    CallOnItsOwnThread caller([&] { return LineLength(); });

    std::this_thread::sleep_for(700ms);
    EXPECT_FALSE(caller.returned());
    // Meanwhile another component on this thread is not held up.
    EmulatedComponent other{Component()};
    other.Connect("127.0.0.1", companion->port());
    ExpectWorks(other);
    EXPECT_FALSE(caller.returned());

    silent.close();
    const CallOutcome hung = caller.Join();
    EXPECT_TRUE(hung.returned);
    EXPECT_FALSE(hung.result.flag);
    ASSERT_EQ(component.connection.errors.size(), 1u);
    EXPECT_LE(component.connection.errors[0].code, 4);  // the connection's failure
    component.connection.errors.clear();

    component.Connect("127.0.0.1", companion->port());
    ExpectWorks();
}

// A request too large for the system's buffers, to a peer that takes the
// connection but never reads, and then goes away: the send stuck half-way
// fails, the process lives on, and the next call works.
TEST_F(Faults, PeerGoneWhileTheRequestIsBeingSentFailsOnlyThatCall) {
    SilentListener silent;
    ASSERT_TRUE(silent.listening());
    component.Connect("127.0.0.1", silent.port());
    CallOnItsOwnThread caller([&] {
        return component.Call("PrintCheckCopy",
                              {Param::Empty(), Param::Str(std::string(12 << 20, '7'))});
    });
    ASSERT_TRUE(silent.acceptOne());
    // The buffers are full and the sender is stuck once the unread bytes stop growing.
    long unread = -1;
    for (int still = 0; still < 5;) {
        std::this_thread::sleep_for(100ms);
        const long now = silent.unread();
        still = now > 0 && now == unread ? still + 1 : 0;
        unread = now;
    }
    EXPECT_LT(unread, 12 << 20);
    EXPECT_FALSE(caller.returned());
    silent.close();
    const CallOutcome hung = caller.Join();
    EXPECT_TRUE(hung.returned);
    EXPECT_FALSE(hung.result.flag);
    ExpectReportedOnce(component, 1);

    component.Connect("127.0.0.1", companion->port());
    ExpectWorks();
}

// Half an answer, then silence: the same, and the half is never taken for a result.
TEST_F(Faults, PeerFallingSilentMidAnswerHangsUntilItCloses) {
    companion->onRaw("GetLineLength", kLineLengthAnswer, Delivery().inPieces(2, 1h).thenClose());
    CallOnItsOwnThread caller([&] { return LineLength(); });
    std::this_thread::sleep_for(700ms);
    EXPECT_FALSE(caller.returned());

    const uint16_t port = companion->port();
    companion.reset();  // closes the connection mid-answer
    const CallOutcome hung = caller.Join();
    EXPECT_FALSE(hung.result.flag);
    EXPECT_TRUE(hung.params[1].untouched);
    ExpectReportedOnce(component, 4);

    companion = std::make_unique<TestCompanion>(port);
    ExpectWorks();
}

}  // namespace
}  // namespace zarvik::test
