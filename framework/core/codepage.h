// Multi-byte code page services: lead bytes, character stepping and upper-casing.
// Paths are byte strings in the system ANSI code page; every scan goes through
// these functions so that a trail byte is never taken for a separator.
#pragma once

#include <cstddef>
#include <string>

namespace fw {

class CodePage {
public:
    virtual ~CodePage() = default;

    virtual bool IsLeadByte(unsigned char c) const = 0;

    // Upper-cases one character in place. For a double-byte character `lead` and
    // `trail` are both rewritten; for a single-byte one `trail` is ignored.
    virtual void UpperChar(unsigned char& lead, unsigned char& trail, bool doubleByte) const = 0;

    // Length in bytes of the character starting at s[i] (1 or 2; 1 at a lone lead byte
    // before the terminator). Mirrors CharNextA.
    size_t CharLength(const char* s, size_t i, size_t n) const;

    // Index of the character after the one at i (never past n).
    size_t Next(const char* s, size_t i, size_t n) const { return i + CharLength(s, i, n); }

    // Index of the character before position i, scanning from the start (CharPrevA).
    size_t Prev(const char* s, size_t i) const;

    // Upper-cases a whole string without splitting double-byte characters (CharUpperA).
    void ToUpper(std::string& s) const;
    // Upper-cases only the single-byte ASCII letters; double-byte characters stay as
    // they are, trail bytes included.
    void UpperAscii(std::string& s) const;
};

// The code page used for paths: the ANSI code page on Windows, the built-in
// code page 932 elsewhere.
const CodePage& SystemCodePage();

// Built-in tables, available on every platform.
const CodePage& CodePage932();
const CodePage& SingleByteCodePage();

}  // namespace fw
