#include <gtest/gtest.h>

#include "model/documents.h"

namespace zarvik {
namespace {

TEST(OutputParameters, OnlyShiftStateIsWrittenWhenNothingElseIsSet) {
    OutputParameters record;
    record.ShiftState = 2;
    EXPECT_EQ(WriteOutputParameters(record),
              "<outputParameters>\n"
              "    <Parameters ShiftState=\"2\"/>\n"
              "</outputParameters>\n");
}

TEST(OutputParameters, AttributesFollowTheFixedOrderWhateverIsSet) {
    OutputParameters record;
    record.FNFail = true;
    record.FNOverflow = false;
    record.FNError = false;
    record.BacklogDocumentFirstDateTime = "2024-03-01T09:05:07";
    record.BacklogDocumentFirstNumber = 17;
    record.BacklogDocumentsCounter = 3;
    record.CashBalance = 1234.5;
    record.DateTime = "2024-03-02T10:00:00";
    record.CheckNumber = 12;
    record.ShiftNumber = 5;
    record.ShiftState = 2;
    EXPECT_EQ(WriteOutputParameters(record),
              "<outputParameters>\n"
              "    <Parameters ShiftState=\"2\" ShiftNumber=\"5\" CheckNumber=\"12\" "
              "DateTime=\"2024-03-02T10:00:00\" CashBalance=\"1234.5\" "
              "BacklogDocumentsCounter=\"3\" BacklogDocumentFirstNumber=\"17\" "
              "BacklogDocumentFirstDateTime=\"2024-03-01T09:05:07\" FNError=\"false\" "
              "FNOverflow=\"false\" FNFail=\"true\"/>\n"
              "</outputParameters>\n");
}

TEST(OutputParameters, NumbersKeepTheirExactTextForms) {
    OutputParameters record;
    record.ShiftState = static_cast<uint32_t>(-1);
    record.ShiftNumber = static_cast<uint32_t>(-2);
    record.CashBalance = 0.1;
    record.DateTime = "";
    EXPECT_EQ(WriteOutputParameters(record),
              "<outputParameters>\n"
              "    <Parameters ShiftState=\"4294967295\" ShiftNumber=\"4294967294\" DateTime=\"\" "
              "CashBalance=\"0.10000000000000001\"/>\n"
              "</outputParameters>\n");
}

TEST(OutputParameters, CountersFollowTheAttributesAsFourChildElements) {
    OutputParameters record;
    record.ShiftState = 1;
    record.CashBalance = 1500;
    record.Counters.emplace();
    (*record.Counters)[0] = {3, 1500.5, 1, 0.1};
    (*record.Counters)[1] = {7, 200, -1, 0};
    EXPECT_EQ(WriteOutputParameters(record),
              "<outputParameters>\n"
              "    <Parameters ShiftState=\"1\" CashBalance=\"1500\">\n"
              "        <CountersOperationType1 CheckCount=\"3\" TotalChecksAmount=\"1500.5\" "
              "CorrectionCheckCount=\"1\" TotalCorrectionChecksAmount=\"0.10000000000000001\"/>\n"
              "        <CountersOperationType2 CheckCount=\"7\" TotalChecksAmount=\"200\" "
              "CorrectionCheckCount=\"-1\" TotalCorrectionChecksAmount=\"0\"/>\n"
              "        <CountersOperationType3 CheckCount=\"0\" TotalChecksAmount=\"0\" "
              "CorrectionCheckCount=\"0\" TotalCorrectionChecksAmount=\"0\"/>\n"
              "        <CountersOperationType4 CheckCount=\"0\" TotalChecksAmount=\"0\" "
              "CorrectionCheckCount=\"0\" TotalCorrectionChecksAmount=\"0\"/>\n"
              "    </Parameters>\n"
              "</outputParameters>\n");
}

TEST(OutputParameters, TextsAreEscapedAndOtherwiseUnchanged) {
    OutputParameters record;
    record.DateTime = "01.03.2024 & \"утро\" <9:05>";
    EXPECT_EQ(WriteOutputParameters(record),
              "<outputParameters>\n"
              "    <Parameters ShiftState=\"0\" "
              "DateTime=\"01.03.2024 &amp; &quot;утро&quot; &lt;9:05&gt;\"/>\n"
              "</outputParameters>\n");
}

}  // namespace
}  // namespace zarvik
