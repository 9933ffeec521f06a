// Non-fiscal text documents: the lines go to the companion application in
// document order, which lays them out and prints them.
#include "model/text_document.h"

#include "applink/kassa_app_client.h"
#include "driver/kkt_driver.h"

namespace zarvik {

namespace app {

// The answer's result is not read: any answer without an error is printed.
void PrintTextDocument(KassaAppClient& client, const std::vector<TextDocumentLine>& lines) {
    rapidjson::Document document;
    const rapidjson::Value array = TextDocumentToJson(lines, document.GetAllocator());
    JsonRpcResult out;
    client.invoke("PrintTextDocument", {JsonRpcParam::String(WriteCompactJson(array))}, out);
}

}  // namespace app

void KktDriver::PrintTextDocument(const std::string& document) {
    app::PrintTextDocument(app_, ReadTextDocument(document));
}

}  // namespace zarvik
