// Feeds arbitrary bytes to the settings reader, the decoder choice and the
// settings path, and checks the limits every result must keep.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "framework/core/codepage.h"
#include "thumbctl/server/library_settings.h"

using thumbctl::LibrarySettings;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const fw::CodePage& cp = fw::CodePage932();
    LibrarySettings s = LibrarySettings::Parse(text, cp);
    if (s.RecordCount() > thumbctl::kRecordCount)
        abort();
    for (size_t i = 0; i < s.RecordCount(); ++i) {
        if (s.Record(i).key.size() >= thumbctl::kKeySize || s.Record(i).value.size() >= thumbctl::kValueSize)
            abort();
    }
    std::string filter = s.FilterText();
    if (filter.size() > 259 || filter.rfind("*.jpeg;*.jpg;*.gif;*.bmp", 0) != 0)
        abort();
    std::string path = text.substr(0, 259);
    path = path.substr(0, path.find('\0'));
    thumbctl::DecoderChoice choice = s.DecoderFor(path, cp);
    if (choice.plugin && choice.pluginPath.empty())
        abort();
    std::string ini = thumbctl::SettingsPathFor(path, cp);
    if (ini.size() < 4 || ini.compare(ini.size() - 4, 4, ".ini") != 0)
        abort();
    return 0;
}
