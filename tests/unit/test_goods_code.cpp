// Goods codes and the fractional quantity of a position, and the marking-code
// request of RequestKM, as sent or refused.
#include <gtest/gtest.h>

#include "core/driver_error.h"
#include "model/goods_code.h"
#include "model/marking_request.h"

namespace zarvik {
namespace {

// The codes of <P>'s GoodCodeData, or its fractional quantity, as sent; "absent" when not sent.
std::string Sent(const char* xml, bool codes) {
    std::string text = xml, sent;
    pugi::xml_document document;
    const XmlElement parent = ParseDocument(document, text, "not XML", "empty", "no root");
    JsonTextStream stream(sent, JsonTextStream::Form::Plain);
    JsonTextWriter writer(stream);
    if (codes) {
        const XmlElement element = UsablePart(parent, "GoodCodeData");
        if (!element) return "absent";
        WriteGoodCodeData(ReadGoodCodeData(element), writer);
    } else {
        const std::optional<FractionalQuantity> quantity = ReadFractionalQuantityOf(parent);
        if (!quantity) return "absent";
        WriteFractionalQuantity(*quantity, writer);
    }
    return sent;
}

TEST(GoodsCode, CodesAsSent) {
    const std::pair<const char*, const char*> rows[] = {
        // In table order, under the companion's names.
        {R"(<P><GoodCodeData GS1.M="0104600" F6="z" EAN13="4600000000001"/></P>)",
         R"({"EAN13":"4600000000001","GS1M":"0104600","F6":"z"})"},
        {R"(<P><GoodCodeData GS10="x" gs1.0="y" MarkingCode="z"/></P>)", "{}"},
        // Without attributes, or only the first element of the name counts.
        {R"(<P><GoodCodeData><X EAN13="1"/></GoodCodeData></P>)", "absent"},
        {R"(<P><GoodCodeData/><GoodCodeData EAN13="1"/></P>)", "absent"},
        // Empty codes are not sent; spaces are kept.
        {R"(<P><GoodCodeData EAN8="" EAN13=" 46 "/></P>)", R"({"EAN13":" 46 "})"},
        // The group separator arrives escaped, raw or as a reference.
        {"<P><GoodCodeData KMK=\"0104\x1D"
         "93abc\"/></P>",
         R"({"KMK":"0104\u001D93abc"})"},
        {R"(<P><GoodCodeData MI="01&#x1D;21&quot;q\"/></P>)", R"({"MI":"01\u001D21\"q\\"})"},
    };
    for (const auto& [xml, sent] : rows) EXPECT_EQ(Sent(xml, true), sent) << xml;
}

TEST(GoodsCode, FractionScansLikePercentD) {
    const std::pair<const char*, const char*> rows[] = {
        {R"(<P><FractionalQuantity Numerator="3" Denominator="10"/></P>)",
         R"({"Numerator":3,"Denominator":10})"},
        {R"(<P><FractionalQuantity Numerator="2.5"/></P>)", R"({"Numerator":2,"Denominator":0})"},
        {R"(<P><FractionalQuantity Numerator="x" Denominator=" -4z"/></P>)",
         R"({"Numerator":0,"Denominator":-4})"},
        {R"(<P><FractionalQuantity Other="1"/></P>)", R"({"Numerator":0,"Denominator":0})"},
        {R"(<P><FractionalQuantity/></P>)", "absent"},
    };
    for (const auto& [xml, sent] : rows) EXPECT_EQ(Sent(xml, false), sent) << xml;
}

// The operations' integration table holds the request's common forms.
std::string RequestSent(const std::string& attributes, const std::string& children = "") {
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
    for (const auto& [attributes, sent] : rows)
        EXPECT_EQ(RequestSent(attributes), sent) << attributes;
    // A fraction without attributes is absent; only the first one counts.
    EXPECT_EQ(RequestSent("", "<FractionalQuantity/>"), plain);
    EXPECT_EQ(RequestSent("",
                          "<FractionalQuantity Numerator=\"1\" Denominator=\"4\"/>"
                          "<FractionalQuantity Numerator=\"9\" Denominator=\"9\"/>"),
              "{\"GUID\":\"g\",\"MarkingCode\":\"m\",\"PlannedStatus\":0,"
              "\"FractionalQuantity\":{\"Numerator\":1,\"Denominator\":4}}");
}

}  // namespace
}  // namespace zarvik
