// The marking-code request of RequestKM: read it and write it as the request does.

#include "fuzz_support.h"
#include "model/marking_request.h"

using namespace zarvik;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto request = fuzz::ReadInput(data, size, ParseRequestKM);
    if (!request) return 0;
    const auto sent = fuzz::ParseJson(RequestKMText(*request), "the request JSON does not parse");
    fuzz::Expect(sent.IsObject(), "the request is no object");
    // The code goes on exactly as it arrived.
    fuzz::Expect(fuzz::Text(sent, "MarkingCode") == fuzz::UpToZero(request->MarkingCode),
                 "the marking code changed on the way");
    return 0;
}
