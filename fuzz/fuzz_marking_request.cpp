// The marking-code request of RequestKM: read it and write it as the request does.

#include "fuzz_support.h"
#include "model/marking_request.h"

using namespace zarvik;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    RequestKM request;
    if (!fuzz::Accepted([&] { request = ParseRequestKM(std::string(data, data + size)); })) {
        return 0;
    }
    rapidjson::Document sent;
    fuzz::ParseJson(sent, RequestKMText(request), "the request JSON does not parse");
    fuzz::Expect(sent.IsObject(), "the request is no object");
    const auto code = sent.FindMember("MarkingCode");
    // The code goes on exactly as it arrived.
    fuzz::Expect(code != sent.MemberEnd() && code->value.IsString() &&
                     std::string(code->value.GetString(), code->value.GetStringLength()) ==
                         fuzz::UpToZero(request.MarkingCode),
                 "the marking code changed on the way");
    return 0;
}
