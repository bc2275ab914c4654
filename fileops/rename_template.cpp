#include "fileops/rename_template.h"

#include <algorithm>
#include <cstdio>

#include "framework/core/ascii.h"
#include "framework/core/path.h"

namespace fileops {

namespace {

constexpr int64_t kNumberCap = 999999999999999999;  // 18 digits

enum class Case { Keep, Upper, Lower };

// Reads a decimal digit run at text[i], saturating at kNumberCap; i moves past it.
int64_t ReadNumber(std::string_view text, size_t& i)
{
    int64_t value = 0;
    for (; i < text.size() && fw::IsAsciiDigit(text[i]); ++i)
        value = value > kNumberCap / 10 ? kNumberCap : std::min(kNumberCap, value * 10 + (text[i] - '0'));
    return value;
}

// The result, closed for good at the first character that does not fit.
class Output {
public:
    Output(const fw::CodePage& cp, size_t limit) : cp_(cp), limit_(limit) {}

    bool Full() const { return full_; }
    std::string Take() { return std::move(text_); }

    // Appends `piece` character by character. A lead byte that ended the last piece
    // makes one character with this piece's first byte, as in the whole result.
    void Append(std::string_view piece, Case change = Case::Keep)
    {
        size_t i = 0;
        if (openLead_ && !piece.empty()) {
            openLead_ = false;
            if (piece[0] != '\0' && !full_) {
                if (text_.size() + 1 > limit_) {
                    text_.pop_back();
                    full_ = true;
                    return;
                }
                text_.push_back(piece[0]);
                i = 1;
            }
        }
        while (i < piece.size() && !full_) {
            size_t length = cp_.CharLength(piece.data(), i, piece.size());
            if (text_.size() + length > limit_) {
                full_ = true;
                return;
            }
            char c = piece[i];
            if (length == 1 && change == Case::Upper)
                c = fw::AsciiUpper(c);
            else if (length == 1 && change == Case::Lower)
                c = fw::AsciiLower(c);
            text_.push_back(c);
            if (length == 2)
                text_.push_back(piece[i + 1]);
            else
                openLead_ = i + 1 == piece.size() && cp_.IsLeadByte(static_cast<unsigned char>(c));
            i += length;
        }
    }

    // A decimal value, zero-padded like "%0*lld" to `width` characters.
    void AppendNumber(int64_t value, int64_t width)
    {
        std::string digits = std::to_string(value < 0 ? -value : value);  // never INT64_MIN
        std::string piece = value < 0 ? "-" : "";
        int64_t shown = static_cast<int64_t>(piece.size() + digits.size());
        // The padding never needs to be longer than what still fits.
        int64_t room = static_cast<int64_t>(limit_ - std::min(limit_, text_.size()));
        piece.append(static_cast<size_t>(std::clamp<int64_t>(width - shown, 0, room + 1)), '0');
        piece += digits;
        Append(piece);
    }

    void AppendFixed(int value, int width)
    {
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "%0*d", width, value);
        Append(buffer);
    }

private:
    const fw::CodePage& cp_;
    size_t limit_;
    std::string text_;
    bool full_ = false;
    bool openLead_ = false;  // text_ ends with a lead byte whose trail may come next
};

struct NameParts {
    std::string_view base;
    std::string_view extension;
    std::string_view prefix;
    int64_t number = 0;
};

NameParts Split(std::string_view name, const fw::CodePage& cp)
{
    NameParts parts;
    const size_t dot = fw::ExtensionDot(name, cp);
    parts.base = name.substr(0, dot);
    if (dot != std::string_view::npos)
        parts.extension = name.substr(dot + 1);

    const std::string_view base = parts.base;
    size_t digit = 0;
    while (digit < base.size() &&
           !(fw::IsAsciiDigit(base[digit]) && cp.CharLength(base.data(), digit, base.size()) == 1))
        digit = cp.Next(base.data(), digit, base.size());
    parts.prefix = base.substr(0, digit);
    parts.number = ReadNumber(base, digit);
    return parts;
}

}  // namespace

std::string ExpandTemplate(std::string_view name, std::string_view pattern, const LocalTime& time,
                           int32_t counter, const fw::CodePage& codePage, size_t limit)
{
    const NameParts parts = Split(name, codePage);
    Output out(codePage, limit);
    const size_t n = pattern.size();
    for (size_t i = 0; i < n && !out.Full();) {
        size_t length = codePage.CharLength(pattern.data(), i, n);
        if (pattern[i] != '%') {
            out.Append(pattern.substr(i, length));
            i += length;
            continue;
        }
        ++i;
        const int64_t width = ReadNumber(pattern, i);
        int64_t offset = 0;
        if (i < n && pattern[i] == ':')
            offset = ReadNumber(pattern, ++i);
        Case change = Case::Keep;
        if (i < n && (pattern[i] == 'o' || pattern[i] == 'i'))
            change = pattern[i++] == 'o' ? Case::Upper : Case::Lower;
        if (i >= n)
            break;
        length = codePage.CharLength(pattern.data(), i, n);
        const char code = length == 1 ? pattern[i] : '\0';
        switch (code) {
            case 'C':
            case 'c':
                out.AppendNumber(counter + offset, width);
                break;
            case 'N':
            case 'n':
                out.AppendNumber(parts.number + offset, width);
                break;
            case 'W':
            case 'w':
                out.Append(parts.prefix, change);
                break;
            case 'F':
            case 'f':
                out.Append(parts.base, change);
                break;
            case 'E':
            case 'e':
                out.Append(parts.extension, change);
                break;
            case 'Y':
                out.AppendFixed(time.year, 4);
                break;
            case 'M':
                out.AppendFixed(time.month, 2);
                break;
            case 'D':
                out.AppendFixed(time.day, 2);
                break;
            case 'h':
                out.AppendFixed(time.hour, 2);
                break;
            case 'm':
                out.AppendFixed(time.minute, 2);
                break;
            case 's':
                out.AppendFixed(time.second, 2);
                break;
            default:
                out.Append(pattern.substr(i, length), change);
                break;
        }
        i += length;
    }
    return out.Take();
}

}  // namespace fileops
