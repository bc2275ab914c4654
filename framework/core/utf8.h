// UTF-8 from wide text on every platform (UTF-16 with surrogate pairs where wchar_t
// has 16 bits, UTF-32 elsewhere), for traces, test messages and registry text.
#pragma once

#include <string>

namespace fw {

std::string Utf8FromWide(const std::wstring& text);

}  // namespace fw
