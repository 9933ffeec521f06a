// The marking-code request of RequestKM as sent, or its refusal; the
// operation's table in the integration tests holds the common forms.
#include <gtest/gtest.h>

#include "core/driver_error.h"
#include "model/marking_request.h"

namespace zarvik {
namespace {

std::string Sent(const std::string& attributes, const std::string& children = "") {
    try {
        return RequestKMText(ParseRequestKM("<R GUID=\"g\" MarkingCode=\"m\"" + attributes + ">" +
                                            children + "</R>"));
    } catch (const ZarvikKassaErrorException& error) {
        EXPECT_EQ(error.code, DriverErrorCode::InputDataError);
        return error.message;
    }
}

TEST(RequestKM, SentOrRefused) {
    const std::string plain = "{\"GUID\":\"g\",\"MarkingCode\":\"m\",\"PlannedStatus\":0}";
    const std::string infinite =
        "Некорректные входные данные: недопустимое числовое значение "
        "атрибута Quantity у элемента R: ";
    const std::pair<std::string, std::string> rows[] = {
        // WaitForResult is a presence flag.
        {" WaitForResult=\"\"",
         "{\"GUID\":\"g\",\"WaitForResult\":true,\"MarkingCode\":\"m\",\"PlannedStatus\":0}"},
        // A quantity is sent only when positive.
        {" Quantity=\"nan\"", plain},
        {" Quantity=\"2\" PlannedStatus=\"-3x\"",
         "{\"GUID\":\"g\",\"MarkingCode\":\"m\",\"PlannedStatus\":-3,\"Quantity\":2.0}"},
        // Infinity has no JSON number form and would cut the request short.
        {" Quantity=\"-INF\"", infinite + "-INF"},
    };
    for (const auto& [attributes, sent] : rows) EXPECT_EQ(Sent(attributes), sent) << attributes;
    // A fraction without attributes is absent; only the first one counts.
    EXPECT_EQ(Sent("", "<FractionalQuantity/>"), plain);
    EXPECT_EQ(Sent("",
                   "<FractionalQuantity Numerator=\"1\" Denominator=\"4\"/>"
                   "<FractionalQuantity Numerator=\"9\" Denominator=\"9\"/>"),
              "{\"GUID\":\"g\",\"MarkingCode\":\"m\",\"PlannedStatus\":0,"
              "\"FractionalQuantity\":{\"Numerator\":1,\"Denominator\":4}}");
}

}  // namespace
}  // namespace zarvik
