#include <gtest/gtest.h>

#include "model/text_document.h"

namespace zarvik {
namespace {

std::string DocumentJson(const std::string& xml) {
    return TextDocumentToJson(ReadTextDocument(xml));
}

TEST(TextDocument, EmptyPositionsGiveAnEmptyArray) {
    EXPECT_EQ(DocumentJson("<Document><Positions/></Document>"), "[]");
    EXPECT_EQ(DocumentJson("<Document><Positions> <!-- none --> text </Positions></Document>"),
              "[]");
}

TEST(TextDocument, ChildrenOfOtherNamesAreSkipped) {
    EXPECT_EQ(DocumentJson("<D><Positions><Picture Data=\"x\"/><textstring Text=\"a\"/>"
                           "<TextString Text=\"b\"/></Positions></D>"),
              "[{\"LineType\":\"TextString\",\"Text\":\"b\"}]");
}

TEST(TextDocument, OnlyTheFirstPositionsIsRead) {
    EXPECT_EQ(DocumentJson("<D><Positions><TextString Text=\"1\"/></Positions>"
                           "<Positions><TextString Text=\"2\"/></Positions></D>"),
              "[{\"LineType\":\"TextString\",\"Text\":\"1\"}]");
}

TEST(TextDocument, ControlCharactersAndQuotesAreEscaped) {
    EXPECT_EQ(DocumentJson("<D><Positions><TextString Text=\"a&#9;&quot;b&quot;\\&#29;\"/>"
                           "</Positions></D>"),
              "[{\"LineType\":\"TextString\",\"Text\":\"a\\t\\\"b\\\"\\\\\\u001D\"}]");
}

}  // namespace
}  // namespace zarvik
