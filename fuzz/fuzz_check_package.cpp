// The check package of ProcessCheck and ProcessCorrectionCheck: read it and
// encode the request both ways; whatever is accepted must become a request
// that is one well-formed JSON text.
#include <rapidjson/document.h>

#include <cstddef>
#include <cstdint>
#include <string>

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
    for (const bool electronically : {false, true}) {
        JsonRpcParams params;
        try {
            params = ProcessCheckParams(electronically, check);
        } catch (const ZarvikKassaErrorException& error) {
            fuzz::ExpectInputRefusal(error);
            return 0;
        }
        fuzz::Expect(params.size() == 3, "the check request has the wrong parameter count");
        fuzz::Expect(params[1].kind == JsonRpcParam::Kind::Bool && params[1].flag == electronically,
                     "the electronically flag was lost");
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
