#include "framework/com/registrar_script.h"

#include <cctype>
#include <cstdlib>
#include <stdexcept>

#include "framework/core/ascii.h"

namespace fw::reg {
namespace {

constexpr int kMaxDepth = 32;
constexpr size_t kMaxKeyName = 255;

struct SyntaxError : std::runtime_error {
    SyntaxError(int at, const std::string& what) : std::runtime_error(what), line(at) {}
    int line;
};

// Replaces %NAME% by the variable's value with single quotes doubled, %% by %.
// Line breaks stay where they were, so errors keep their lines.
std::string Substitute(std::string_view text, const Variables& variables)
{
    std::string out;
    out.reserve(text.size());
    int line = 1;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\0')
            throw SyntaxError(line, "null character in the script");
        if (c == '\n')
            ++line;
        if (c != '%') {
            out += c;
            continue;
        }
        const size_t end = text.find('%', i + 1);
        if (end == std::string_view::npos)
            throw SyntaxError(line, "unterminated %variable%");
        const std::string name(text.substr(i + 1, end - i - 1));
        if (name.empty()) {
            out += '%';
        } else {
            if (name.find('\n') != std::string::npos)
                throw SyntaxError(line, "unterminated %variable%");
            auto found = variables.find(name);
            if (found == variables.end())
                throw SyntaxError(line, "unknown variable %" + name + "%");
            for (char v : found->second) {
                out += v;
                if (v == '\'')
                    out += '\'';
            }
        }
        i = end;
    }
    return out;
}

enum class TokenKind { End, Open, Close, Equals, Word, Quoted };

struct Token {
    TokenKind kind = TokenKind::End;
    std::string text;
    int line = 1;
};

class Lexer {
public:
    explicit Lexer(std::string_view text) : text_(text) {}

    Token Next()
    {
        while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_]))) {
            if (text_[pos_] == '\n')
                ++line_;
            ++pos_;
        }
        Token token;
        token.line = line_;
        if (pos_ >= text_.size())
            return token;
        if (text_[pos_] == '\'') {
            token.kind = TokenKind::Quoted;
            ++pos_;
            for (;;) {
                if (pos_ >= text_.size())
                    throw SyntaxError(token.line, "unterminated quoted text");
                const char c = text_[pos_++];
                if (c == '\n')
                    ++line_;
                if (c == '\'') {
                    if (pos_ < text_.size() && text_[pos_] == '\'') {
                        token.text += '\'';
                        ++pos_;
                        continue;
                    }
                    break;
                }
                token.text += c;
            }
            return token;
        }
        const size_t start = pos_;
        while (pos_ < text_.size() && !std::isspace(static_cast<unsigned char>(text_[pos_])))
            ++pos_;
        token.text = std::string(text_.substr(start, pos_ - start));
        if (token.text == "{")
            token.kind = TokenKind::Open;
        else if (token.text == "}")
            token.kind = TokenKind::Close;
        else if (token.text == "=")
            token.kind = TokenKind::Equals;
        else
            token.kind = TokenKind::Word;
        return token;
    }

private:
    std::string_view text_;
    size_t pos_ = 0;
    int line_ = 1;
};

class Parser {
public:
    explicit Parser(std::string_view text) : lexer_(text) { Advance(); }

    Script ParseAll()
    {
        Script script;
        while (current_.kind != TokenKind::End) {
            RootBlock block;
            if (current_.kind != TokenKind::Word)
                Fail("expected a root key");
            block.root = RootFromName(current_.text);
            Advance();
            Expect(TokenKind::Open, "expected '{' after the root key");
            block.keys = ParseKeys(1, /*allowValues=*/false, nullptr);
            script.blocks.push_back(std::move(block));
        }
        return script;
    }

private:
    [[noreturn]] void Fail(const std::string& what) { throw SyntaxError(current_.line, what); }

    void Advance() { current_ = lexer_.Next(); }

    void Expect(TokenKind kind, const char* what)
    {
        if (current_.kind != kind)
            Fail(what);
        Advance();
    }

    Root RootFromName(const std::string& name)
    {
        if (fw::EqualsIgnoringAsciiCase(name, "HKCR") ||
            fw::EqualsIgnoringAsciiCase(name, "HKEY_CLASSES_ROOT"))
            return Root::ClassesRoot;
        if (fw::EqualsIgnoringAsciiCase(name, "HKCU") ||
            fw::EqualsIgnoringAsciiCase(name, "HKEY_CURRENT_USER"))
            return Root::CurrentUser;
        if (fw::EqualsIgnoringAsciiCase(name, "HKLM") ||
            fw::EqualsIgnoringAsciiCase(name, "HKEY_LOCAL_MACHINE"))
            return Root::LocalMachine;
        if (fw::EqualsIgnoringAsciiCase(name, "HKU") || fw::EqualsIgnoringAsciiCase(name, "HKEY_USERS"))
            return Root::Users;
        Fail("unknown root key '" + name + "'");
    }

    std::string Name(const char* what)
    {
        if (current_.kind != TokenKind::Word && current_.kind != TokenKind::Quoted)
            Fail(what);
        std::string name = current_.text;
        Advance();
        return name;
    }

    std::string KeyName()
    {
        std::string name = Name("expected a key name");
        if (name.empty() || name.size() > kMaxKeyName || name.find('\\') != std::string::npos)
            throw SyntaxError(current_.line, "invalid key name '" + name + "'");
        return name;
    }

    // After '=': a type letter and quoted data.
    Value Data(std::string name)
    {
        Value value;
        value.name = std::move(name);
        if (current_.kind != TokenKind::Word)
            Fail("expected a value type after '='");
        const std::string type = current_.text;
        Advance();
        if (current_.kind != TokenKind::Quoted)
            Fail("expected quoted data");
        const std::string data = current_.text;
        if (fw::EqualsIgnoringAsciiCase(type, "s")) {
            value.text = data;
        } else if (fw::EqualsIgnoringAsciiCase(type, "d")) {
            value.isNumber = true;
            value.number = Number(data);
        } else {
            Fail("unsupported value type '" + type + "'");
        }
        Advance();
        return value;
    }

    std::uint32_t Number(const std::string& data)
    {
        const bool hex = data.size() > 2 && data[0] == '0' && (data[1] == 'x' || data[1] == 'X');
        const std::string digits = hex ? data.substr(2) : data;
        if (digits.empty() || digits.size() > (hex ? 8u : 10u))
            Fail("invalid number '" + data + "'");
        for (char c : digits) {
            if (!(hex ? std::isxdigit(static_cast<unsigned char>(c))
                      : std::isdigit(static_cast<unsigned char>(c))))
                Fail("invalid number '" + data + "'");
        }
        const unsigned long long n = std::strtoull(digits.c_str(), nullptr, hex ? 16 : 10);
        if (n > 0xFFFFFFFFull)
            Fail("number out of range '" + data + "'");
        return static_cast<std::uint32_t>(n);
    }

    // Keys (and, inside a key, `val` lines) up to the closing '}', which is consumed.
    std::vector<Key> ParseKeys(int depth, bool allowValues, std::vector<Value>* values)
    {
        if (depth > kMaxDepth)
            Fail("keys nested too deeply");
        std::vector<Key> keys;
        for (;;) {
            if (current_.kind == TokenKind::Close) {
                Advance();
                return keys;
            }
            if (current_.kind == TokenKind::End)
                Fail("missing '}'");
            if (current_.kind == TokenKind::Word && fw::EqualsIgnoringAsciiCase(current_.text, "val")) {
                if (!allowValues)
                    Fail("'val' outside a key");
                Advance();
                std::string name = Name("expected a value name after 'val'");
                Expect(TokenKind::Equals, "expected '=' after the value name");
                values->push_back(Data(std::move(name)));
                continue;
            }
            Key key;
            if (current_.kind == TokenKind::Word && fw::EqualsIgnoringAsciiCase(current_.text, "NoRemove")) {
                key.flag = KeyFlag::NoRemove;
                Advance();
            } else if (current_.kind == TokenKind::Word &&
                       fw::EqualsIgnoringAsciiCase(current_.text, "ForceRemove")) {
                key.flag = KeyFlag::ForceRemove;
                Advance();
            } else if (current_.kind == TokenKind::Word &&
                       fw::EqualsIgnoringAsciiCase(current_.text, "Delete")) {
                Fail("'Delete' is not supported");
            }
            key.name = KeyName();
            if (current_.kind == TokenKind::Equals) {
                Advance();
                key.values.push_back(Data(std::string()));
            }
            if (current_.kind == TokenKind::Open) {
                Advance();
                key.subkeys = ParseKeys(depth + 1, true, &key.values);
            }
            keys.push_back(std::move(key));
        }
    }

    Lexer lexer_;
    Token current_;
};

std::string Join(const std::string& parent, const std::string& name)
{
    return parent.empty() ? name : parent + "\\" + name;
}

long RegisterKeys(Root root, const std::string& parent, const std::vector<Key>& keys, RegistryTarget& target)
{
    for (const Key& key : keys) {
        const std::string path = Join(parent, key.name);
        if (key.flag == KeyFlag::ForceRemove) {
            if (long error = target.DeleteTree(root, path))
                return error;
        }
        if (long error = target.CreateKey(root, path))
            return error;
        for (const Value& value : key.values) {
            if (long error = target.SetValue(root, path, value))
                return error;
        }
        if (long error = RegisterKeys(root, path, key.subkeys, target))
            return error;
    }
    return 0;
}

// Best effort: carries on after a failure and returns the first error.
long UnregisterKeys(Root root, const std::string& parent, const std::vector<Key>& keys,
                    RegistryTarget& target)
{
    long first = 0;
    auto note = [&first](long error) {
        if (error && !first)
            first = error;
    };
    for (const Key& key : keys) {
        const std::string path = Join(parent, key.name);
        if (!target.KeyExists(root, path))
            continue;
        if (key.flag == KeyFlag::ForceRemove) {
            note(target.DeleteTree(root, path));
            continue;
        }
        note(UnregisterKeys(root, path, key.subkeys, target));
        if (key.flag == KeyFlag::NoRemove)
            continue;
        for (const Value& value : key.values)
            note(target.DeleteValue(root, path, value.name));
        note(target.DeleteKeyIfEmpty(root, path));
    }
    return first;
}

}  // namespace

ParseResult ParseScript(std::string_view text, const Variables& variables)
{
    ParseResult result;
    try {
        const std::string expanded = Substitute(text, variables);
        Parser parser(expanded);
        result.script = parser.ParseAll();
        result.ok = true;
    } catch (const SyntaxError& e) {
        result.line = e.line;
        result.error = "line " + std::to_string(e.line) + ": " + e.what();
    }
    return result;
}

long RegisterScript(const Script& script, RegistryTarget& target)
{
    for (const RootBlock& block : script.blocks) {
        if (long error = RegisterKeys(block.root, std::string(), block.keys, target)) {
            UnregisterScript(script, target);
            return error;
        }
    }
    return 0;
}

long UnregisterScript(const Script& script, RegistryTarget& target)
{
    long first = 0;
    for (const RootBlock& block : script.blocks) {
        const long error = UnregisterKeys(block.root, std::string(), block.keys, target);
        if (error && !first)
            first = error;
    }
    return first;
}

}  // namespace fw::reg
