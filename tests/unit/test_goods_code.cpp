#include <gtest/gtest.h>

#include "model/goods_code.h"

namespace zarvik {
namespace {

template <typename Part>
std::string Compact(const Part& part, void (*write)(const Part&, JsonTextWriter&)) {
    std::string text;
    JsonTextStream stream(text, JsonTextStream::Form::Plain);
    JsonTextWriter writer(stream);
    write(part, writer);
    return text;
}

class GoodsCodeTest : public ::testing::Test {
  protected:
    XmlElement Parse(const char* xml) {
        text_ = xml;
        return ParseDocument(document_, text_, "not XML", "empty", "no root");
    }
    std::string CodesJson(const char* xml) {
        const XmlElement codes = UsablePart(Parse(xml), "GoodCodeData");
        if (!codes) return "absent";
        return Compact(ReadGoodCodeData(codes), WriteGoodCodeData);
    }
    std::string QuantityJson(const char* xml) {
        std::optional<FractionalQuantity> quantity = ReadFractionalQuantityOf(Parse(xml));
        if (!quantity) return "absent";
        return Compact(*quantity, WriteFractionalQuantity);
    }

    std::string text_;
    pugi::xml_document document_;
};

TEST_F(GoodsCodeTest, CodesAreSentInTableOrderUnderTheCompanionsNames) {
    EXPECT_EQ(CodesJson(R"(<P><GoodCodeData GS1.M="0104600" F6="z" EAN13="4600000000001"/></P>)"),
              R"({"EAN13":"4600000000001","GS1M":"0104600","F6":"z"})");
    EXPECT_EQ(CodesJson(R"(<P><GoodCodeData GS1.0="x"/></P>)"), R"({"GS10":"x"})");
}

TEST_F(GoodsCodeTest, AllSixteenKindsTravelTogether) {
    EXPECT_EQ(
        CodesJson(R"(<P><GoodCodeData NotIdentified="a" EAN8="b" EAN13="c" ITF14="d" GS1.0="e")"
                  R"( GS1.M="f" KMK="g" MI="h" EGAIS20="i" EGAIS30="j" F1="k" F2="l" F3="m")"
                  R"( F4="n" F5="o" F6="p"/></P>)"),
        R"({"NotIdentified":"a","EAN8":"b","EAN13":"c","ITF14":"d","GS10":"e","GS1M":"f",)"
        R"("KMK":"g","MI":"h","EGAIS20":"i","EGAIS30":"j","F1":"k","F2":"l","F3":"m",)"
        R"("F4":"n","F5":"o","F6":"p"})");
}

TEST_F(GoodsCodeTest, ElementWithOnlyUnknownAttributesIsAnEmptyObject) {
    EXPECT_EQ(CodesJson(R"(<P><GoodCodeData GS10="x" gs1.0="y" MarkingCode="z"/></P>)"), "{}");
}

TEST_F(GoodsCodeTest, ElementWithoutAttributesOrNoElementIsAbsent) {
    EXPECT_EQ(CodesJson(R"(<P><GoodCodeData><X EAN13="1"/></GoodCodeData></P>)"), "absent");
    EXPECT_EQ(CodesJson(R"(<P/>)"), "absent");
    // Only the first element of the name counts.
    EXPECT_EQ(CodesJson(R"(<P><GoodCodeData/><GoodCodeData EAN13="1"/></P>)"), "absent");
}

TEST_F(GoodsCodeTest, EmptyCodesAreNotSentAndSpacesAreKept) {
    EXPECT_EQ(CodesJson(R"(<P><GoodCodeData EAN8="" EAN13=" 46 "/></P>)"), R"({"EAN13":" 46 "})");
}

TEST_F(GoodsCodeTest, GroupSeparatorArrivesEscapedWhetherRawOrAsReference) {
    EXPECT_EQ(CodesJson("<P><GoodCodeData KMK=\"0104\x1D"
                        "93abc\"/></P>"),
              R"({"KMK":"0104\u001D93abc"})");
    EXPECT_EQ(CodesJson(R"(<P><GoodCodeData MI="01&#x1D;21&quot;q\"/></P>)"),
              R"({"MI":"01\u001D21\"q\\"})");
}

TEST_F(GoodsCodeTest, FractionScansLikePercentD) {
    EXPECT_EQ(QuantityJson(R"(<P><FractionalQuantity Numerator="3" Denominator="10"/></P>)"),
              R"({"Numerator":3,"Denominator":10})");
    EXPECT_EQ(QuantityJson(R"(<P><FractionalQuantity Numerator="2.5"/></P>)"),
              R"({"Numerator":2,"Denominator":0})");
    EXPECT_EQ(QuantityJson(R"(<P><FractionalQuantity Numerator="x" Denominator=" -4z"/></P>)"),
              R"({"Numerator":0,"Denominator":-4})");
    EXPECT_EQ(QuantityJson(R"(<P><FractionalQuantity Other="1"/></P>)"),
              R"({"Numerator":0,"Denominator":0})");
    EXPECT_EQ(QuantityJson(R"(<P><FractionalQuantity/></P>)"), "absent");
}

}  // namespace
}  // namespace zarvik
