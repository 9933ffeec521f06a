// The output document's forms the operations' table does not reach: numbers
// past 2^31 and every character XML must escape.
#include <gtest/gtest.h>

#include "model/documents.h"

namespace zarvik {
namespace {

TEST(OutputParameters, NumbersAndTextsKeepTheirExactForms) {
    OutputParameters record;
    record.ShiftState = static_cast<uint32_t>(-1);
    record.ShiftNumber = static_cast<uint32_t>(-2);
    record.DateTime = "01.03.2024 & \"утро\" <9:05>";
    EXPECT_EQ(WriteOutputParameters(record),
              "<outputParameters>\n"
              "    <Parameters ShiftState=\"4294967295\" ShiftNumber=\"4294967294\" "
              "DateTime=\"01.03.2024 &amp; &quot;утро&quot; &lt;9:05&gt;\"/>\n"
              "</outputParameters>\n");
}

}  // namespace
}  // namespace zarvik
