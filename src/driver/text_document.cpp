// Non-fiscal text documents: the lines go to the companion application in
// document order, which lays them out and prints them.
#include "model/text_document.h"

#include "applink/kassa_app_client.h"
#include "driver/kkt_driver.h"

namespace zarvik {

// The answer's result is not read: any answer without an error is printed.
void KktDriver::PrintTextDocument(std::string document) {
    const std::vector<TextDocumentLine> lines = ReadTextDocument(std::move(document));
    app_.invoke("PrintTextDocument", {JsonRpcParam::String(TextDocumentToJson(lines))});
}

}  // namespace zarvik
