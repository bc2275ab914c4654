// Setup scripts and install logs as INI text, read by the rules of the private-profile
// functions, so that the installer decides every parsing question the same way on any
// platform:
//
// - Lines end at LF, CR LF or a lone CR; the text ends at its first NUL byte. A UTF-8
//   byte order mark at the very start is skipped.
// - Blanks (space, tab) around a line, a section name, a key and a value are dropped.
//   Empty lines and lines starting with ';' are skipped.
// - "[name]" starts a section; text after the first ']' is ignored, and a line with
//   '[' but no ']' names the section by the rest of the line. Lines before the first
//   section belong to none and are never found.
// - "key=value" splits at the first '='; a line without '=' is a key with an empty
//   value; a line with an empty key is skipped.
// - Names compare without regard to ASCII case. A repeated section continues the first
//   one; of repeated keys the first wins.
// - A value wrapped in a matching pair of double or single quotes loses that pair.
// - An integer read gives the default when the key is missing or its value is empty,
//   else the profile's decimal conversion (fw::ParseProfileInt: wraps modulo 2^32).
//
// Every scan steps by characters of the code page, so a trail byte equal to ']' or
// '=' never ends a name.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "framework/core/codepage.h"
#include "framework/core/profile.h"

namespace installer {

class IniText final : public fw::Profile {
public:
    explicit IniText(std::string_view text = {}, const fw::CodePage& codePage = fw::SystemCodePage());

    // Whether a section of that name exists (even without keys).
    bool HasSection(const char* section) const;
    // Whether the key exists (even with an empty value).
    bool HasKey(const char* section, const char* key) const;

    int GetInt(const char* section, const char* key, int defaultValue) override;
    std::string GetString(const char* section, const char* key, const std::string& defaultValue) override;
    // Writes replace the value of an existing key or append the key to its section; a
    // new section goes to the end.
    bool WriteInt(const char* section, const char* key, int value) override;
    bool WriteString(const char* section, const char* key, const std::string& value) override;

    // The text as the profile write functions leave it: "[name]" and "key=value" lines
    // ending in CR LF, sections in order of appearance.
    std::string Text() const;

private:
    struct Entry {
        std::string key;
        std::string value;
    };
    struct Section {
        std::string name;
        std::vector<Entry> entries;
        std::map<std::string, size_t> index;  // folded key -> entry
    };

    Section& AddSection(std::string_view name);
    Section* FindSection(std::string_view name);
    const Section* FindSection(std::string_view name) const;
    const Entry* FindEntry(const char* section, const char* key) const;
    // The name with its single-byte letters upper-cased.
    std::string Fold(std::string_view name) const;
    void Parse(std::string_view text);

    const fw::CodePage& codePage_;
    std::vector<Section> sections_;
    std::map<std::string, size_t> index_;  // folded section name -> section
};

// At most `limit` bytes of `text`, never ending inside a double-byte character: the
// value a private-profile read returns into a buffer of limit + 1 bytes.
std::string LimitText(const std::string& text, size_t limit,
                      const fw::CodePage& codePage = fw::SystemCodePage());

}  // namespace installer
