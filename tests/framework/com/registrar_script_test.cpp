// Registration scripts: parsing, and what registering and unregistering write and remove
// in an in-memory registry.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "framework/com/registrar_script.h"
#include "tests/support/memory_registry.h"

namespace {

using fw::reg::ParseScript;
using testing_support::MemoryRegistry;

// A registry holding what `script` registers.
void Seed(MemoryRegistry& registry, const char* script)
{
    ASSERT_EQ(fw::reg::RegisterScript(ParseScript(script, {}).script, registry), 0);
}

// Keys and values as MemoryRegistry::Dump() lists them, joined by ", ".
std::string Dump(const MemoryRegistry& registry)
{
    std::string text;
    for (const std::string& line : registry.Dump())
        text += (text.empty() ? "" : ", ") + line;
    return text;
}

TEST(RegistrarScript, RegisteringWritesWhatTheScriptListsAndUnregisteringRemovesItAgain)
{
    // Registered before, the script; what is there after registering it and after unregistering.
    const std::tuple<const char*, const char*, const char*, const char*, const char*> cases[] = {
        // clang-format off
        {"empty script", "", "", "", ""},
        {"empty key in a root block", "", "HKCR { } HKCR { A }", "HKCR\\A", ""},
        {"default string value", "", "HKCR { A = s 'x y' }", "HKCR\\A, HKCR\\A @=s:x y", ""},
        {"nested keys and val", "", "HKCR {\n A {\n  B = s 'b'\n  val Name = s 'n'\n }\n}",
         "HKCR\\A, HKCR\\A [Name]=s:n, HKCR\\A\\B, HKCR\\A\\B @=s:b", ""},
        {"quoted names and doubled quotes", "", "HKCR { 'With Space' = s 'it''s' { val 'v v' = s '''' } }",
         "HKCR\\With Space, HKCR\\With Space @=s:it's, HKCR\\With Space [v v]=s:'", ""},
        {"numbers decimal and hex", "", "HKLM { K { val A = d '42' val B = d '0xFFFFFFFF' val C = d '0' } }",
         "HKLM\\K, HKLM\\K [A]=d:42, HKLM\\K [B]=d:4294967295, HKLM\\K [C]=d:0", ""},
        {"keywords ignore case, long root names, NoRemove keeps values", "",
         "HKEY_CURRENT_USER { noremove A { VAL x = S 'y' } } HKU { C } HKEY_LOCAL_MACHINE { D }",
         "HKCU\\A, HKCU\\A [x]=s:y, HKLM\\D, HKU\\C", "HKCU\\A, HKCU\\A [x]=s:y"},
        {"variables in quoted data, percent escape, CRLF and tabs", "",
         "HKCR\r\n{\r\n\tA = s '%MODULE%' { val P = s '100%%' }\r\n}\r\n",
         "HKCR\\A, HKCR\\A @=s:C:\\It's here\\x.dll, HKCR\\A [P]=s:100%", ""},
        {"ForceRemove wipes what was under the key before", "HKCR { F { val Stale = s 'old' Sub } }",
         "HKCR { ForceRemove F = s 'new' }", "HKCR\\F, HKCR\\F @=s:new", ""},
        {"a ForceRemove key goes with foreign content", "", "HKCR { forceremove F { A } }", "HKCR\\F, HKCR\\F\\A", ""},
        {"a plain key keeps foreign values and loses only what the script lists",
         "HKCR { P { val Foreign = s 'keep' } }", "HKCR { P = s 'ours' { val Mine = s 'm' } }",
         "HKCR\\P, HKCR\\P @=s:ours, HKCR\\P [Foreign]=s:keep, HKCR\\P [Mine]=s:m",
         "HKCR\\P, HKCR\\P [Foreign]=s:keep"},
        {"a plain key with a foreign subkey stays", "HKCR { P { Other } }", "HKCR { P { Q = s 'q' } }",
         "HKCR\\P, HKCR\\P\\Other, HKCR\\P\\Q, HKCR\\P\\Q @=s:q", "HKCR\\P, HKCR\\P\\Other"},
        {"NoRemove keys stay, empty or not; {GUID} is a name", "HKCR { CLSID { {Other} } }",
         "HKCR { NoRemove CLSID { ForceRemove {2B07-23} { S = s 'x' } } NoRemove Empty }",
         "HKCR\\CLSID, HKCR\\CLSID\\{2B07-23}, HKCR\\CLSID\\{2B07-23}\\S, HKCR\\CLSID\\{2B07-23}\\S @=s:x, "
         "HKCR\\CLSID\\{Other}, HKCR\\Empty", "HKCR\\CLSID, HKCR\\CLSID\\{Other}, HKCR\\Empty"},
        {"key names compare without regard to case", "HKCR { clsid }", "HKCR { NoRemove CLSID { K } }",
         "HKCR\\clsid, HKCR\\clsid\\K", "HKCR\\clsid"},
        {"foreign keys beside the script's stay", "HKCR { Unrelated }", "HKCR { A { B } }",
         "HKCR\\A, HKCR\\A\\B, HKCR\\Unrelated", "HKCR\\Unrelated"},
        // clang-format on
    };
    for (const auto& [name, before, script, registered, unregistered] : cases) {
        SCOPED_TRACE(name);
        MemoryRegistry registry;
        Seed(registry, before);
        const fw::reg::ParseResult parsed = ParseScript(script, {{"MODULE", "C:\\It's here\\x.dll"}});
        ASSERT_TRUE(parsed.ok) << parsed.error;
        for (int round = 0; round < 2; ++round) {  // again: the same result
            EXPECT_EQ(fw::reg::RegisterScript(parsed.script, registry), 0);
            EXPECT_EQ(registered, Dump(registry));
        }
        for (int round = 0; round < 2; ++round) {
            EXPECT_EQ(fw::reg::UnregisterScript(parsed.script, registry), 0);
            EXPECT_EQ(unregistered, Dump(registry));
        }
    }
}

std::string Nested(int depth)
{
    std::string text = "HKCR {";
    for (int i = 0; i < depth; ++i)
        text += " K {";
    for (int i = 0; i <= depth; ++i)
        text += " }";
    return text;
}

TEST(RegistrarScript, MalformedScriptsFailWithTheirLineAndWriteNothing)
{
    const std::tuple<std::string, int, const char*> cases[] = {
        // script, line, message
        // clang-format off
        {"HKCR", 1, "expected '{'"},
        {"HKCR {", 1, "missing '}'"},
        {"HKCR { A {\n B\n", 3, "missing '}'"},
        {"HKXX { A }", 1, "unknown root key"},
        {"{ A }", 1, "expected a root key"},
        {"HKCR { A = 'x' }", 1, "expected a value type"},
        {"HKCR { A = s x }", 1, "expected quoted data"},
        {"HKCR { A = b '00' }", 1, "unsupported value type"},
        {"HKCR { A = s 'open }", 1, "unterminated quoted text"},
        {"HKCR { val X = s 'y' }", 1, "'val' outside a key"},
        {"HKCR { A { val = s 'y' } }", 1, "expected a value name"},
        {"HKCR { A { val X s 'y' } }", 1, "expected '='"},
        {"HKCR { A { val X = d '12x' } }", 1, "invalid number"},
        {"HKCR { A { val X = d '0x' } }", 1, "invalid number"},
        {"HKCR { A { val X = d '4294967296' } }", 1, "number out of range"},
        {"HKCR { '' }", 1, "invalid key name"},
        {"HKCR { 'A\\B' }", 1, "invalid key name"},
        {"HKCR { " + std::string(256, 'k') + " }", 1, "invalid key name"},
        {"HKCR { Delete A }", 1, "'Delete' is not supported"},
        {"HKCR { NoRemove }", 1, "expected a key name"},
        {"HKCR { A = s '%UNKNOWN%' }", 1, "unknown variable %UNKNOWN%"},
        {"HKCR {\n A = s '%MODULE }", 2, "unterminated %variable%"},
        {"HKCR { A = s 'x' } \n = ", 2, "expected a root key"},
        {std::string("HKCR {\n A\0 }", 12), 2, "null character"},
        {Nested(32), 1, "nested too deeply"},
        // clang-format on
    };
    for (const auto& [script, line, message] : cases) {
        SCOPED_TRACE(script);
        const fw::reg::ParseResult parsed = ParseScript(script, {{"MODULE", "m"}});
        EXPECT_FALSE(parsed.ok);
        EXPECT_EQ(parsed.line, line);
        EXPECT_NE(parsed.error.find(message), std::string::npos) << parsed.error;
        EXPECT_TRUE(parsed.script.blocks.empty());
    }
    EXPECT_TRUE(ParseScript(Nested(31), {}).ok);
    EXPECT_TRUE(ParseScript("HKCR { " + std::string(255, 'k') + " }", {}).ok);
}

TEST(RegistrarScript, AFailedRegistrationUndoesWhatItWroteAndReportsTheError)
{
    MemoryRegistry registry;
    Seed(registry, "HKCR { CLSID { {Other} } }");
    const std::string before = Dump(registry);
    const fw::reg::ParseResult parsed =
        ParseScript("HKCR { A = s 'a' NoRemove CLSID { ForceRemove {Mine} { Deep = s 'd' } } B }", {});
    registry.FailWritesTo("CLSID\\{Mine}\\Deep", 5);
    EXPECT_EQ(fw::reg::RegisterScript(parsed.script, registry), 5);
    EXPECT_EQ(before, Dump(registry));
}

}  // namespace
