// The marking-code request of RequestKM: read it and write it as the request does.
#include <rapidjson/document.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "model/marking_request.h"

using namespace zarvik;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string xml(reinterpret_cast<const char*>(data), size);
    RequestKM request;
    try {
        request = ParseRequestKM(xml);
    } catch (const ZarvikKassaErrorException& error) {
        fuzz::ExpectInputRefusal(error);
        return 0;
    }
    const std::string text = RequestKMText(request);
    rapidjson::Document sent;
    sent.Parse(text.data(), text.size());
    fuzz::Expect(!sent.HasParseError() && sent.IsObject(), "the request JSON does not parse");
    const auto code = sent.FindMember("MarkingCode");
    fuzz::Expect(code != sent.MemberEnd() && code->value.IsString(), "the marking code is missing");
    // The code goes on exactly as it arrived, up to a zero byte.
    const std::string arrived = request.MarkingCode.substr(0, request.MarkingCode.find('\0'));
    fuzz::Expect(std::string(code->value.GetString(), code->value.GetStringLength()) == arrived,
                 "the marking code changed on the way");
    return 0;
}
