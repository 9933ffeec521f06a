#include <gtest/gtest.h>

#include "core/driver_error.h"
#include "model/documents.h"

namespace zarvik {
namespace {

std::string RequestJson(const std::string& xml) { return RequestKMText(ParseRequestKM(xml)); }

std::string FailureMessage(const std::string& xml) {
    try {
        ParseRequestKM(xml);
    } catch (const ZarvikKassaErrorException& error) {
        EXPECT_EQ(error.code, DriverErrorCode::InputDataError);
        return error.message;
    }
    return "no error";
}

TEST(RequestKM, WaitForResultIsAPresenceFlag) {
    for (const char* text : {"true", "false", ""}) {
        EXPECT_EQ(RequestJson(std::string("<R GUID=\"g\" MarkingCode=\"m\" WaitForResult=\"") +
                              text + "\"/>"),
                  "{\"GUID\":\"g\",\"WaitForResult\":true,\"MarkingCode\":\"m\","
                  "\"PlannedStatus\":0}")
            << text;
    }
}

TEST(RequestKM, QuantityIsSentOnlyWhenPositive) {
    for (const char* text : {"0", "-2", "abc", "nan"}) {
        EXPECT_EQ(
            RequestJson(std::string("<R GUID=\"g\" MarkingCode=\"m\" Quantity=\"") + text + "\"/>"),
            "{\"GUID\":\"g\",\"MarkingCode\":\"m\",\"PlannedStatus\":0}")
            << text;
    }
    EXPECT_EQ(RequestJson("<R GUID=\"g\" MarkingCode=\"m\" Quantity=\"1.5\"/>"),
              "{\"GUID\":\"g\",\"MarkingCode\":\"m\",\"PlannedStatus\":0,\"Quantity\":1.5}");
    EXPECT_EQ(RequestJson("<R GUID=\"g\" MarkingCode=\"m\" Quantity=\"2\" PlannedStatus=\"-3x\"/>"),
              "{\"GUID\":\"g\",\"MarkingCode\":\"m\",\"PlannedStatus\":-3,\"Quantity\":2.0}");
}

TEST(RequestKM, EveryMemberInItsOrder) {
    EXPECT_EQ(
        RequestJson("<RequestKM MeasureOfQuantity=\"0\" Quantity=\"0.25\" PlannedStatus=\"2\" "
                    "MarkingCode=\"01&#29;21\" WaitForResult=\"1\" GUID=\"abc\">"
                    "<FractionalQuantity Numerator=\"1\" Denominator=\"4\"/>"
                    "<FractionalQuantity Numerator=\"9\" Denominator=\"9\"/>"
                    "</RequestKM>"),
        "{\"GUID\":\"abc\",\"WaitForResult\":true,\"MarkingCode\":\"01\\u001D21\","
        "\"PlannedStatus\":2,\"Quantity\":0.25,\"MeasureOfQuantity\":\"0\","
        "\"FractionalQuantity\":{\"Numerator\":1,\"Denominator\":4}}");
}

TEST(RequestKM, FractionWithoutAttributesIsAbsent) {
    EXPECT_EQ(RequestJson("<R GUID=\"g\" MarkingCode=\"m\"><FractionalQuantity/></R>"),
              "{\"GUID\":\"g\",\"MarkingCode\":\"m\",\"PlannedStatus\":0}");
}

TEST(RequestKM, InfiniteQuantityIsAnInputDataError) {
    // It has no JSON number form and would cut the request text short.
    EXPECT_EQ(FailureMessage("<R GUID=\"g\" MarkingCode=\"m\" Quantity=\"inf\"/>"),
              "Некорректные входные данные: недопустимое числовое значение атрибута Quantity у "
              "элемента R: inf");
    EXPECT_EQ(FailureMessage("<R GUID=\"g\" MarkingCode=\"m\" Quantity=\"-INF\"/>"),
              "Некорректные входные данные: недопустимое числовое значение атрибута Quantity у "
              "элемента R: -INF");
}

TEST(RequestKMResult, WrittenAsOneElementLine) {
    EXPECT_EQ(WriteRequestKMResult({true, false}),
              "<RequestKMResult Checking=\"true\" CheckingResult=\"false\"/>\n");
    EXPECT_EQ(WriteRequestKMResult({}),
              "<RequestKMResult Checking=\"false\" CheckingResult=\"false\"/>\n");
}

TEST(ProcessingKMResult, NumbersAreUnsignedAndStatusInfoOptional) {
    ProcessingKMResult result;
    result.GUID = "g&1";
    result.Result = true;
    result.ResultCode = static_cast<uint32_t>(-1);
    result.HandleCode = 7;
    EXPECT_EQ(WriteProcessingKMResult(result),
              "<ProcessingKMResult GUID=\"g&amp;1\" Result=\"true\" ResultCode=\"4294967295\" "
              "HandleCode=\"7\"/>\n");
    result.StatusInfo = 0;
    EXPECT_EQ(WriteProcessingKMResult(result),
              "<ProcessingKMResult GUID=\"g&amp;1\" Result=\"true\" ResultCode=\"4294967295\" "
              "HandleCode=\"7\" StatusInfo=\"0\"/>\n");
    EXPECT_EQ(
        WriteProcessingKMResult({}),
        "<ProcessingKMResult GUID=\"\" Result=\"false\" ResultCode=\"0\" HandleCode=\"0\"/>\n");
}

}  // namespace
}  // namespace zarvik
