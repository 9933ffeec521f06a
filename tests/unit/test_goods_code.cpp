// Goods codes and the fractional quantity of a position, as sent.
#include <gtest/gtest.h>

#include "model/goods_code.h"

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
        {R"(<P><GoodCodeData GS1.0="x"/></P>)", R"({"GS10":"x"})"},
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

}  // namespace
}  // namespace zarvik
