// The check package of ProcessCheck and ProcessCorrectionCheck: read it and
// encode the request as the driver does; whatever is accepted must become a
// request that is one well-formed JSON text carrying the check document.

#include "applink/json_rpc_client.h"
#include "fuzz_support.h"
#include "model/check_encoding.h"

using namespace zarvik;
using fuzz::Expect;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto check = fuzz::ReadInput(
        data, size, [](std::string text) { return ParseCheckPackage(std::move(text)); });
    if (!check) return 0;
    const JsonRpcParams params = {
        JsonRpcParam::String(""), JsonRpcParam::Bool(false),
        JsonRpcParam::Json(CheckDocumentText(*check, JsonTextStream::Form::Escaped))};
    const auto request =
        fuzz::ParseJson(RequestLine(1, "ProcessCheck", params), "the request does not parse");
    Expect(request.IsObject() && request.HasMember("params") && request["params"].IsArray() &&
               request["params"].Size() == 3 && request["params"][2].IsString(),
           "the check request has other parameters");
    // The document as the companion gets it: the third parameter of the request.
    const rapidjson::Value& text = request["params"][2];
    const auto sent = fuzz::ParseJson(std::string(text.GetString(), text.GetStringLength()),
                                      "the check JSON does not parse");
    Expect(sent.IsObject() && sent.HasMember("Parameters") && sent.HasMember("Payments") &&
               sent.HasMember("Positions"),
           "a part of the check document is missing");
    const auto& positions = sent["Positions"];
    Expect(positions.IsObject() && positions.HasMember("FiscalString") &&
               positions["FiscalString"].IsArray() &&
               positions["FiscalString"].Size() == check->FiscalStrings.size(),
           "receipt positions were lost or added");
    return 0;
}
