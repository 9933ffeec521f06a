// Non-fiscal text documents: the lines go to the companion application in
// document order, which lays them out and prints them.
#include "model/text_document.h"

#include "applink/kassa_app_client.h"
#include "driver/kkt_driver.h"

namespace zarvik {

namespace app {

// The answer's result is not read: any answer without an error is printed.
void PrintTextDocument(KassaAppClient& client, const std::vector<TextDocumentLine>& lines) {
    JsonRpcResult out;
    client.invoke("PrintTextDocument", {JsonRpcParam::String(TextDocumentToJson(lines))}, out);
}

}  // namespace app

void KktDriver::PrintTextDocument(std::string document) {
    app::PrintTextDocument(app_, ReadTextDocument(std::move(document)));
}

}  // namespace zarvik
