#include <gtest/gtest.h>
#include <tinyxml2.h>

#include <string>

#include "model/xml_reader.h"

namespace zarvik {
namespace {

// A tree as one line: name[attr="value",...](children).
template <typename Element>
std::string Dump(const Element* element) {
    std::string out;
    for (; element; element = element->NextSiblingElement()) {
        out += element->Name();
        out += '[';
        for (auto* a = element->FirstAttribute(); a; a = a->Next()) {
            out += std::string(a->Name()) + "=\"" + a->Value() + "\"";
            if (a->Next()) out += ',';
        }
        out += "](" + Dump(element->FirstChildElement()) + ")";
    }
    return out;
}

struct Outcome {
    XmlParseResult result;
    int line;
    std::string tree;
};

Outcome Ours(const std::string& text) {
    XmlDocument document;
    const XmlParseResult result = document.Parse(text.data(), text.size());
    return {result, document.ErrorLineNum(), Dump(document.RootElement())};
}

Outcome Theirs(const std::string& text) {
    tinyxml2::XMLDocument document;
    const tinyxml2::XMLError error = document.Parse(text.data(), text.size());
    XmlParseResult result = XmlParseResult::Error;
    if (error == tinyxml2::XML_SUCCESS) result = XmlParseResult::Success;
    if (error == tinyxml2::XML_ERROR_EMPTY_DOCUMENT) result = XmlParseResult::EmptyDocument;
    return {result, document.ErrorLineNum(),
            result == XmlParseResult::Success ? Dump(document.RootElement()) : ""};
}

void ExpectAsTinyxml2(const std::string& text) {
    const Outcome ours = Ours(text);
    const Outcome theirs = Theirs(text);
    EXPECT_EQ(ours.result, theirs.result) << text;
    EXPECT_EQ(ours.line, theirs.line) << text;
    EXPECT_EQ(ours.tree, theirs.tree) << text;
}

// The value of attribute v of the root element <a v='...'/>.
std::string ValueOf(const std::string& quoted) {
    const std::string text = "<a v=" + quoted + "/>";
    XmlDocument document;
    EXPECT_EQ(document.Parse(text.data(), text.size()), XmlParseResult::Success) << text;
    const XmlElement* root = document.RootElement();
    return root && root->Attribute("v") ? root->Attribute("v") : "(none)";
}

TEST(XmlReaderValues, DecodeNamedEntitiesAndCharacterReferences) {
    EXPECT_EQ(ValueOf("\"&quot;&amp;&apos;&lt;&gt;\""), "\"&'<>");
    EXPECT_EQ(ValueOf("\"A&#66;&#x43;&#x6a;&#x6A;\""), "ABCjj");
    EXPECT_EQ(ValueOf("\"01&#x1D;93\""),
              "01\x1D"
              "93");
    EXPECT_EQ(ValueOf("\"&#1046;&#x20AC;\""), "\xD0\x96\xE2\x82\xAC");
    EXPECT_EQ(ValueOf("\"&#128512;&#x1F600;\""), "\xF0\x9F\x98\x80\xF0\x9F\x98\x80");
    EXPECT_EQ(ValueOf("\"Ява &quot;золотая&quot;\""), "Ява \"золотая\"");
}

TEST(XmlReaderValues, ReadUnknownAndBrokenEntitiesLikeTinyxml2WithoutItsStaleByte) {
    EXPECT_EQ(ValueOf("\"&nbsp; &amp &#x41 &#X41; &#12a;\""), "&nbsp; &amp &#x41 &#X41; &#12a;");
    // A trailing "&#" loses its '&'; an empty or zero reference ends the text.
    EXPECT_EQ(ValueOf("\"a&#\""), "a#");
    EXPECT_EQ(ValueOf("\"a&#;b\""), "a");
    EXPECT_EQ(ValueOf("\"a&#x0;b\""), "a");
    // Beyond 0x1FFFFF a reference vanishes.
    EXPECT_EQ(ValueOf("\"a&#x200000;b\""), "ab");
    // An unknown entity keeps its '&' also after a shortening reference, where
    // tinyxml2 leaves the byte already there ("<lx").
    EXPECT_EQ(ValueOf("\"&lt;&x\""), "<&x");
    EXPECT_EQ(ValueOf("\"Сок &quot;J7&quot; & Co\""), "Сок \"J7\" & Co");
    EXPECT_EQ(ValueOf("\"&amp;&bogus;&#65;&q\""), "&&bogus;A&q");
    for (const char* value :
         {"&#x1x41;", "&#1#65;", "&#99999999999999999999;", "&#x123456789abcdef0;", "&#xD800;",
          "&bogus;&#65;&amp;", "&#&#&#;&amp;", "&#x&#x;", "&lt&lt;"}) {
        ExpectAsTinyxml2(std::string("<a v=\"") + value + "\" w='" + value + "'/>");
    }
}

TEST(XmlReaderValues, ReadLongNamesAndValuesWhole) {
    for (size_t n = 1; n <= 40; ++n) {
        const std::string name(n, 'n');
        const std::string value(n, 'v');
        const std::string text = "<" + name + " " + name + "='" + value + "&amp;" + value + "\n'/>";
        ExpectAsTinyxml2(text);
        EXPECT_EQ(Ours(text).tree, name + "[" + name + "=\"" + value + "&" + value + "\n\"]()");
    }
}

TEST(XmlReaderValues, NormaliseLineEnds) {
    EXPECT_EQ(ValueOf("\"a\r\nb\rc\n\rd\ne\""), "a\nb\nc\nd\ne");
    EXPECT_EQ(ValueOf("\"&lt;\r\n&gt;\r\""), "<\n>\n");
}

TEST(XmlReaderValues, TakeEitherQuoteAndTheOtherInside) {
    EXPECT_EQ(ValueOf("'say \"yes\"'"), "say \"yes\"");
    EXPECT_EQ(ValueOf("\"it's\""), "it's");
    EXPECT_EQ(ValueOf("''"), "");
}

TEST(XmlReaderTree, KeepsElementsAndAttributesInOrder) {
    const std::string text =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<?xml-stylesheet href=\"x\"?>\n"
        "<!DOCTYPE CheckPackage>\n"
        "<!-- a receipt -->\n"
        "<CheckPackage>\n"
        "  <Parameters CashierName=\"Иванова\" OperationType = '1'/>\n"
        "  <Positions>\n"
        "    <FiscalString Name=\"a\"><![CDATA[<x>]]>text</FiscalString>\n"
        "    <TextString Text=\"b\"/>\n"
        "    <FiscalString Name=\"c\"></FiscalString>\n"
        "  </Positions>\n"
        "</CheckPackage>\n";
    XmlDocument document;
    ASSERT_EQ(document.Parse(text.data(), text.size()), XmlParseResult::Success);
    const XmlElement* root = document.RootElement();
    ASSERT_NE(root, nullptr);
    EXPECT_STREQ(root->Name(), "CheckPackage");
    EXPECT_EQ(root->NextSiblingElement(), nullptr);
    const XmlElement* parameters = root->FirstChildElement("Parameters");
    ASSERT_NE(parameters, nullptr);
    EXPECT_STREQ(parameters->Attribute("OperationType"), "1");
    EXPECT_EQ(parameters->Attribute("Missing"), nullptr);
    const XmlElement* positions = root->FirstChildElement("Positions");
    ASSERT_NE(positions, nullptr);
    const XmlElement* first = positions->FirstChildElement("FiscalString");
    ASSERT_NE(first, nullptr);
    EXPECT_STREQ(first->Attribute("Name"), "a");
    EXPECT_EQ(first->FirstChildElement(), nullptr);
    const XmlElement* second = first->NextSiblingElement("FiscalString");
    ASSERT_NE(second, nullptr);
    EXPECT_STREQ(second->Attribute("Name"), "c");
    EXPECT_EQ(second->NextSiblingElement("FiscalString"), nullptr);
    EXPECT_STREQ(first->NextSiblingElement()->Name(), "TextString");
    EXPECT_EQ(root->FirstChildElement("FiscalString"), nullptr);
    ExpectAsTinyxml2(text);
}

TEST(XmlReaderTree, AcceptsWhatTinyxml2Accepts) {
    for (const char* text :
         {"<a/><b/>", "< a x='1'y=\"2\" ></a >", "text<a/>", "\xEF\xBB\xBF<a/>",
          "  \xEF\xBB\xBF<a/>", "\xEF\xBB\xBF  ", "<a/></a>junk<<", "</a>", "</a/>",
          "<a></a x='1'>", "<?a?><?b?><c/>", "<\xD0\x96 \xD0\xB0='1'/>", "<a:b.c-d _='1'/>"}) {
        ExpectAsTinyxml2(text);
        EXPECT_EQ(Ours(text).result, XmlParseResult::Success) << text;
    }
}

TEST(XmlReaderTree, SurvivesReuseOfTheDocument) {
    XmlDocument document;
    std::string big = "<r>";
    for (int i = 0; i < 500; ++i) big += "<p n=\"" + std::to_string(i) + "&amp;\"/>";
    big += "</r>";
    ASSERT_EQ(document.Parse(big.data(), big.size()), XmlParseResult::Success);
    ASSERT_EQ(document.Parse("<x", 2), XmlParseResult::Error);
    EXPECT_EQ(document.RootElement(), nullptr);
    ASSERT_EQ(document.Parse("<s a='1'/>", 10), XmlParseResult::Success);
    EXPECT_STREQ(document.RootElement()->Attribute("a"), "1");
    EXPECT_EQ(document.RootElement()->FirstChildElement(), nullptr);
    ASSERT_EQ(document.Parse(big.data(), big.size()), XmlParseResult::Success);
    EXPECT_EQ(Dump(document.RootElement()), Theirs(big).tree);
}

TEST(XmlReaderErrors, ReportTheLineTinyxml2Reports) {
    const struct {
        const char* text;
        int line;
    } cases[] = {
        {"<a>\n<b>\n</a>", 2},               // mismatched end tag: the open element's line
        {"<a>\n  <b/>\n", 1},                // unclosed element
        {"<a>", 1},                          // nothing after the start tag
        {"<a\n x='1'\n y=1/>", 3},           // unquoted value
        {"<a x='1'\n\n x='2'/>", 3},         // duplicate attribute
        {"<a\n x/>", 2},                     // attribute without a value
        {"<a x='1\n\n", 1},                  // unterminated value
        {"<a\n\n #/>", 1},                   // stray character in a tag
        {"<a/>\n<?xml version='1.0'?>", 2},  // declaration after an element
        {"<!-- c -->\n<?xml?><a/>", 2},      // declaration after a comment
        {"<a>\n<?xml?></a>", 2},             // declaration inside an element
        {"<a/>\n\ntext", 3},                 // text with no element after it
        {"<a>text<", 1},                     // a lone '<' at the end
        {"\n<!-- open", 2},
        {"<a>\n<![CDATA[ open</a>", 2},
        {"\n\n<!DOCTYPE x", 3},
        {"<?xml ", 1},
        {"<1a/>", 1},
        {"</ a>", 1},
        {"<a></b>", 1},
    };
    for (const auto& c : cases) {
        const Outcome ours = Ours(c.text);
        EXPECT_EQ(ours.result, XmlParseResult::Error) << c.text;
        EXPECT_EQ(ours.line, c.line) << c.text;
        EXPECT_EQ(ours.tree, "") << c.text;
        ExpectAsTinyxml2(c.text);
    }
}

TEST(XmlReaderErrors, StopAtTheDepthTinyxml2Allows) {
    const auto nested = [](int depth, const char* inner) {
        std::string text;
        for (int i = 0; i < depth; ++i) text += "<e>\n";
        text += inner;
        for (int i = 0; i < depth; ++i) text += "</e>";
        return text;
    };
    EXPECT_EQ(Ours(nested(98, "")).result, XmlParseResult::Success);
    EXPECT_EQ(Ours(nested(98, "<e/>")).result, XmlParseResult::Success);
    const Outcome deep = Ours(nested(99, ""));
    EXPECT_EQ(deep.result, XmlParseResult::Error);
    EXPECT_EQ(deep.line, 99);
    for (int depth : {98, 99, 100, 5000}) ExpectAsTinyxml2(nested(depth, "<e/>"));
}

TEST(XmlReaderErrors, RefuseEveryTruncationAsTinyxml2Does) {
    const std::string text =
        "\xEF\xBB\xBF<?xml version=\"1.0\"?>\r\n<!DOCTYPE d><r a=\"&amp;x&#x1D;\" b='\n'>\n"
        "  <!-- c --><c/>t&lt;<![CDATA[]]>\n  <d e=\"1\"></d></r>\n";
    for (size_t length = 0; length <= text.size(); ++length) {
        ExpectAsTinyxml2(text.substr(0, length));
    }
}

TEST(XmlReaderInput, CallsBlankInputEmpty) {
    XmlDocument document;
    EXPECT_EQ(document.Parse("", 0), XmlParseResult::EmptyDocument);
    EXPECT_EQ(document.Parse(nullptr, 5), XmlParseResult::EmptyDocument);
    for (const std::string text : {" \t\r\n\v\f", "\xEF\xBB\xBF", "\n\n\xEF\xBB\xBF"}) {
        ASSERT_EQ(document.Parse("<a>\n\n<b>", 9), XmlParseResult::Error);
        EXPECT_EQ(document.Parse(text.data(), text.size()), XmlParseResult::EmptyDocument);
        EXPECT_EQ(document.ErrorLineNum(), 0);
        EXPECT_EQ(document.RootElement(), nullptr);
    }
}

TEST(XmlReaderInput, ReadsNothingAfterAZeroByte) {
    const std::string cut("<a x='1'/>\0<", 12);
    EXPECT_EQ(Ours(cut).result, XmlParseResult::Success);
    EXPECT_EQ(Ours(cut).tree, "a[x=\"1\"]()");
    const std::string open("<a>\0</a>", 8);
    EXPECT_EQ(Ours(open).result, XmlParseResult::Error);
    EXPECT_EQ(Ours(std::string("\0<a/>", 5)).result, XmlParseResult::EmptyDocument);
    for (const std::string& text : {cut, open, std::string("<a x='1\0'/>", 11)}) {
        ExpectAsTinyxml2(text);
    }
}

}  // namespace
}  // namespace zarvik
