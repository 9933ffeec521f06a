#include <gtest/gtest.h>

#include "model/text_document.h"

namespace zarvik {
namespace {

TEST(TextDocument, LinesAsSent) {
    const std::pair<const char*, const char*> rows[] = {
        {"<Document><Positions> <!-- none --> text </Positions></Document>", "[]"},
        // Names are matched exactly; only the first Positions counts.
        {"<D><Positions><Picture Data=\"x\"/><textstring Text=\"a\"/><TextString Text=\"b\"/>"
         "</Positions><Positions><TextString Text=\"2\"/></Positions></D>",
         "[{\"LineType\":\"TextString\",\"Text\":\"b\"}]"},
        {"<D><Positions><TextString Text=\"a&#9;&quot;b&quot;\\&#29;\"/></Positions></D>",
         "[{\"LineType\":\"TextString\",\"Text\":\"a\\t\\\"b\\\"\\\\\\u001D\"}]"},
    };
    for (const auto& [xml, sent] : rows) {
        EXPECT_EQ(TextDocumentToJson(ReadTextDocument(xml)), sent) << xml;
    }
}

}  // namespace
}  // namespace zarvik
