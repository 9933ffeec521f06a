// Text across the platform boundary: the platform speaks UTF-16, the driver
// UTF-8. Conversion is lossless both ways; an unpaired surrogate or a broken
// UTF-8 sequence becomes U+FFFD instead of cutting the text short.
#pragma once

#include <string>

#include "component/native_api.h"

namespace zarvik {

std::string Utf16ToUtf8(const char16_t* text, size_t length);
std::string Utf16ToUtf8(const std::u16string& text);
std::u16string Utf8ToUtf16(const std::string& text);

// Platform text up to its terminating zero.
std::u16string FromPlatformText(const WCHAR_T* text);

// The in-parameter's text as UTF-8. Only a VTYPE_PWSTR with a pointer holds
// text; anything else reads as empty, never as a pointer made of other bits.
std::string GetInString(const tVariant& param);
// The same into `out`, whose buffer serves again from call to call.
void GetInString(const tVariant& param, std::string& out);

// Hands text to the platform in memory it allocates; the platform owns it
// afterwards. Refused memory leaves a null string of length 0.
void SetOutString(IMemoryManager* memory, const std::u16string& text, tVariant& out);
void SetOutText(IMemoryManager* memory, const std::string& utf8, tVariant& out);

// A zero-terminated copy in platform memory, or null.
WCHAR_T* AllocPlatformText(IMemoryManager* memory, const std::u16string& text);

}  // namespace zarvik
