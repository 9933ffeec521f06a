// What the benchmark sends: the platform's input documents and the companion
// application's answers, the way a till produces them.
#pragma once

#include <string>

#include "test_companion.h"

namespace zarvik::bench {

// A sale of `positions` FFD 1.2 positions: marked goods with their marking
// code and goods codes, industry attributes, discounts, VAT, mixed payment.
std::string ReceiptPackage(int positions);

std::string OpenShiftInput();
std::string RequestKMInput();

// Successful results for every method the measured operations call.
void AnswerLikeTheCompanion(test::TestCompanion& companion);

}  // namespace zarvik::bench
