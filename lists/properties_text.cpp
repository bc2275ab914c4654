#include "lists/properties_text.h"

#include <cstdio>

#include "framework/core/filesystem.h"

namespace lists {

namespace {

struct AttributeLine {
    uint32_t bit;
    const wchar_t* line;
};

const AttributeLine kAttributeLines[] = {
    {fw::kAttrArchive, L"  アーカイブ\r\n"},  {fw::kAttrReadOnly, L"  読み込み専用\r\n"},
    {fw::kAttrHidden, L"  隠しファイル\r\n"}, {fw::kAttrSystem, L"  システム\r\n"},
    {kAttrEncrypted, L"  暗号化\r\n"},        {kAttrCompressed, L"  圧縮\r\n"},
    {kAttrTemporary, L"  テンポラリ\r\n"},    {kAttrOffline, L"  オフライン\r\n"},
};

// "%04d/%02d/%02d %02d:%02d:%02d.%03d"
std::wstring FormatTime(const LocalTime& t)
{
    char text[96];
    std::snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d:%02d.%03d", t.year, t.month, t.day, t.hour,
                  t.minute, t.second, t.milliseconds);
    return std::wstring(text, text + std::char_traits<char>::length(text));
}

}  // namespace

std::wstring PropertiesText(const std::string& path, const FileProperties& file,
                            const std::function<std::wstring(const std::string&)>& widenPath)
{
    if (!file.found)
        return L"ファイル情報を読み取れません";
    std::wstring text = widenPath(path);
    text += L"\r\n\r\nサイズ:" + std::to_wstring(file.size) + L" Bytes\r\n";
    text += L"\r\n属性:\r\n";
    for (const AttributeLine& attribute : kAttributeLines)
        if (file.attributes & attribute.bit)
            text += attribute.line;
    text += L"\r\n更新日:" + FormatTime(file.lastWrite) + L"\r\n";
    text += L"作成日:" + FormatTime(file.created) + L"\r\n";
    return text;
}

}  // namespace lists
