// The check package of ProcessCheck and ProcessCorrectionCheck: read it and
// encode the request as the driver does; whatever is accepted must become a
// request that is one well-formed JSON text carrying the check document.
#include <rapidjson/document.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "applink/json_rpc_client.h"
#include "fuzz_support.h"
#include "model/check_encoding.h"

using namespace zarvik;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string xml(reinterpret_cast<const char*>(data), size);
    CheckPackage check;
    try {
        check = ParseCheckPackage(xml);
    } catch (const ZarvikKassaErrorException& error) {
        fuzz::ExpectInputRefusal(error);
        return 0;
    }
    {
        const JsonRpcParams params = {
            JsonRpcParam::String(""), JsonRpcParam::Bool(false),
            JsonRpcParam::Json(CheckDocumentText(check, JsonTextStream::Form::Escaped))};
        // The document as the companion gets it: the third string of the request.
        const std::string line = RequestLine(1, "ProcessCheck", params);
        rapidjson::Document request;
        request.Parse(line.data(), line.size());
        fuzz::Expect(!request.HasParseError() && request.IsObject() &&
                         request.HasMember("params") && request["params"].IsArray() &&
                         request["params"].Size() == 3 && request["params"][2].IsString(),
                     "the check request does not parse");
        const rapidjson::Value& text = request["params"][2];
        rapidjson::Document sent;
        sent.Parse(text.GetString(), text.GetStringLength());
        fuzz::Expect(!sent.HasParseError() && sent.IsObject(), "the check JSON does not parse");
        for (const char* part : {"Parameters", "Positions", "Payments"}) {
            fuzz::Expect(sent.HasMember(part), "a part of the check document is missing");
        }
        const auto& positions = sent["Positions"];
        fuzz::Expect(positions.IsObject() && positions.HasMember("FiscalString") &&
                         positions["FiscalString"].IsArray() &&
                         positions["FiscalString"].Size() == check.FiscalStrings.size(),
                     "receipt positions were lost or added");
    }
    return 0;
}
