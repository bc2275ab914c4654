// Registration scripts: parsing, and what registering and unregistering write and remove.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/memory_registry.h"
#include "framework/com/registrar_script.h"

namespace {

using fw::reg::ParseScript;
using fw::reg::Root;
using fw::reg::Variables;
using testing_support::MemoryRegistry;
using Lines = std::vector<std::string>;

Lines Sorted(Lines lines)
{
    std::sort(lines.begin(), lines.end());
    return lines;
}

fw::reg::Script MustParse(const std::string& text, const Variables& variables = {})
{
    fw::reg::ParseResult parsed = ParseScript(text, variables);
    EXPECT_TRUE(parsed.ok) << parsed.error << "\n" << text;
    return parsed.script;
}

struct WellFormedCase {
    const char* name;
    const char* script;
    Lines registered;
};

const WellFormedCase kWellFormed[] = {
    {"empty script", "", {}},
    {"empty root block", "HKCR { }", {}},
    {"empty key", "HKCR { A }", {"HKCR\\A"}},
    {"default string value", "HKCR { A = s 'x y' }", {"HKCR\\A", "HKCR\\A @=s:x y"}},
    {"nested keys and val",
     "HKCR {\n A {\n  B = s 'b'\n  val Name = s 'n'\n }\n}",
     {"HKCR\\A", "HKCR\\A [Name]=s:n", "HKCR\\A\\B", "HKCR\\A\\B @=s:b"}},
    {"quoted names and doubled quotes",
     "HKCR { 'With Space' = s 'it''s' { val 'v v' = s '''' } }",
     {"HKCR\\With Space", "HKCR\\With Space @=s:it's", "HKCR\\With Space [v v]=s:'"}},
    {"brace-wrapped GUID names are words",
     "HKCR { NoRemove CLSID { ForceRemove {2B070C2D-2366-4F57-B396-5EA7C8CEBBAA} = s 'C' } }",
     {"HKCR\\CLSID", "HKCR\\CLSID\\{2B070C2D-2366-4F57-B396-5EA7C8CEBBAA}",
      "HKCR\\CLSID\\{2B070C2D-2366-4F57-B396-5EA7C8CEBBAA} @=s:C"}},
    {"numbers decimal and hex",
     "HKLM { K { val A = d '42' val B = d '0xFFFFFFFF' val C = d '0' } }",
     {"HKLM\\K", "HKLM\\K [A]=d:42", "HKLM\\K [B]=d:4294967295", "HKLM\\K [C]=d:0"}},
    {"keywords ignore case and long root names",
     "HKEY_CURRENT_USER { noremove A { VAL x = S 'y' } FORCEREMOVE B }",
     {"HKCU\\A", "HKCU\\A [x]=s:y", "HKCU\\B"}},
    {"several root blocks", "HKCR { A } HKCU { B }", {"HKCR\\A", "HKCU\\B"}},
    {"variable inside quoted data",
     "HKCR { A = s '%MODULE%' }",
     {"HKCR\\A", "HKCR\\A @=s:C:\\It's here\\x.dll"}},
    {"percent escape", "HKCR { A = s '100%%' }", {"HKCR\\A", "HKCR\\A @=s:100%"}},
    {"CRLF line ends and tabs", "HKCR\r\n{\r\n\tA = s 'a'\r\n}\r\n", {"HKCR\\A", "HKCR\\A @=s:a"}},
};

TEST(RegistrarScript, WellFormedScriptsRegisterExactlyWhatTheyList)
{
    const Variables variables{{"MODULE", "C:\\It's here\\x.dll"}};
    for (const WellFormedCase& c : kWellFormed) {
        SCOPED_TRACE(c.name);
        MemoryRegistry registry;
        const fw::reg::Script script = MustParse(c.script, variables);
        EXPECT_EQ(fw::reg::RegisterScript(script, registry), 0);
        EXPECT_EQ(registry.Dump(), Sorted(c.registered));
        EXPECT_EQ(fw::reg::UnregisterScript(script, registry), 0);
        // NoRemove keys stay with their values; everything else written goes again.
        for (const std::string& line : registry.Dump())
            EXPECT_TRUE(line == "HKCR\\CLSID" || line.starts_with("HKCU\\A")) << line;
    }
}

struct MalformedCase {
    const char* script;
    int line;
    const char* message;
};

const MalformedCase kMalformed[] = {
    {"HKCR", 1, "expected '{'"},
    {"HKCR {", 1, "missing '}'"},
    {"HKCR { A {\n B\n", 3, "missing '}'"},
    {"HKXX { A }", 1, "unknown root key"},
    {"{ A }", 1, "expected a root key"},
    {"HKCR { A } }", 1, "expected a root key"},
    {"HKCR { A = 'x' }", 1, "expected a value type"},
    {"HKCR { A = s x }", 1, "expected quoted data"},
    {"HKCR { A = s }", 1, "expected quoted data"},
    {"HKCR { A = b '00' }", 1, "unsupported value type"},
    {"HKCR { A = s 'open }", 1, "unterminated quoted text"},
    {"HKCR { val X = s 'y' }", 1, "'val' outside a key"},
    {"HKCR { A { val = s 'y' } }", 1, "expected a value name"},
    {"HKCR { A { val X s 'y' } }", 1, "expected '='"},
    {"HKCR { A { val X = d '12x' } }", 1, "invalid number"},
    {"HKCR { A { val X = d '0x' } }", 1, "invalid number"},
    {"HKCR { A { val X = d '4294967296' } }", 1, "number out of range"},
    {"HKCR { A { val X = d '-1' } }", 1, "invalid number"},
    {"HKCR { '' }", 1, "invalid key name"},
    {"HKCR { 'A\\B' }", 1, "invalid key name"},
    {"HKCR { Delete A }", 1, "'Delete' is not supported"},
    {"HKCR { NoRemove }", 1, "expected a key name"},
    {"HKCR { A = s '%UNKNOWN%' }", 1, "unknown variable %UNKNOWN%"},
    {"HKCR {\n A = s '%MODULE }", 2, "unterminated %variable%"},
    {"HKCR { A = s 'x' } \n = ", 2, "expected a root key"},
};

TEST(RegistrarScript, MalformedScriptsFailWithTheirLineAndWriteNothing)
{
    const Variables variables{{"MODULE", "m"}};
    for (const MalformedCase& c : kMalformed) {
        SCOPED_TRACE(c.script);
        const fw::reg::ParseResult parsed = ParseScript(c.script, variables);
        EXPECT_FALSE(parsed.ok);
        EXPECT_EQ(parsed.line, c.line);
        EXPECT_NE(parsed.error.find(c.message), std::string::npos) << parsed.error;
        EXPECT_TRUE(parsed.script.blocks.empty());
    }
}

TEST(RegistrarScript, NullCharacterAndDeepNestingAreRejected)
{
    EXPECT_FALSE(ParseScript(std::string("HKCR { A\0 }", 11), {}).ok);
    std::string deep = "HKCR {";
    for (int i = 0; i < 100; ++i)
        deep += " K {";
    for (int i = 0; i < 101; ++i)
        deep += " }";
    const fw::reg::ParseResult parsed = ParseScript(deep, {});
    EXPECT_FALSE(parsed.ok);
    EXPECT_NE(parsed.error.find("nested too deeply"), std::string::npos);
}

// Registering over and unregistering from a registry that already holds things.
struct ApplyCase {
    const char* name;
    Lines before;  // keys and values to create first: "Root\Path" or "Root\Path|name|text"
    const char* script;
    Lines registered;
    Lines unregistered;
};

const ApplyCase kApply[] = {
    {"ForceRemove wipes what was under the key before",
     {"HKCR\\F|Stale|old", "HKCR\\F\\Sub"},
     "HKCR { ForceRemove F = s 'new' }",
     {"HKCR\\F", "HKCR\\F @=s:new"},
     {}},
    {"a plain key keeps what was there and loses only what the script lists",
     {"HKCR\\P|Foreign|keep"},
     "HKCR { P = s 'ours' { val Mine = s 'm' } }",
     {"HKCR\\P", "HKCR\\P @=s:ours", "HKCR\\P [Foreign]=s:keep", "HKCR\\P [Mine]=s:m"},
     {"HKCR\\P", "HKCR\\P [Foreign]=s:keep"}},
    {"a plain key with a foreign subkey stays after unregistering",
     {"HKCR\\P\\Other"},
     "HKCR { P { Q = s 'q' } }",
     {"HKCR\\P", "HKCR\\P\\Other", "HKCR\\P\\Q", "HKCR\\P\\Q @=s:q"},
     {"HKCR\\P", "HKCR\\P\\Other"}},
    {"a NoRemove key survives unregistering, empty or not",
     {"HKCR\\CLSID\\{Other}"},
     "HKCR { NoRemove CLSID { ForceRemove {Mine} { InprocServer32 = s 'x' } } NoRemove Empty }",
     {"HKCR\\CLSID", "HKCR\\CLSID\\{Mine}", "HKCR\\CLSID\\{Mine}\\InprocServer32",
      "HKCR\\CLSID\\{Mine}\\InprocServer32 @=s:x", "HKCR\\CLSID\\{Other}", "HKCR\\Empty"},
     {"HKCR\\CLSID", "HKCR\\CLSID\\{Other}", "HKCR\\Empty"}},
    {"a ForceRemove key goes with foreign content on unregistering",
     {},
     "HKCR { ForceRemove F { A } }",
     {"HKCR\\F", "HKCR\\F\\A"},
     {}},
    {"key names compare without regard to case",
     {"HKCR\\clsid"},
     "HKCR { NoRemove CLSID { K } }",
     {"HKCR\\clsid", "HKCR\\clsid\\K"},
     {"HKCR\\clsid"}},
    {"unregistering what is not there succeeds and changes nothing",
     {"HKCR\\Unrelated"},
     "",
     {"HKCR\\Unrelated"},
     {"HKCR\\Unrelated"}},
};

void Seed(MemoryRegistry& registry, const Lines& lines)
{
    for (const std::string& line : lines) {
        const size_t bar = line.find('|');
        const std::string key = line.substr(5, bar == std::string::npos ? std::string::npos : bar - 5);
        ASSERT_EQ(line.substr(0, 5), "HKCR\\");
        ASSERT_EQ(registry.CreateKey(Root::ClassesRoot, key), 0);
        if (bar != std::string::npos) {
            const size_t bar2 = line.find('|', bar + 1);
            fw::reg::Value value;
            value.name = line.substr(bar + 1, bar2 - bar - 1);
            value.text = line.substr(bar2 + 1);
            ASSERT_EQ(registry.SetValue(Root::ClassesRoot, key, value), 0);
        }
    }
}

TEST(RegistrarScript, RegisterAndUnregisterOverExistingContent)
{
    for (const ApplyCase& c : kApply) {
        SCOPED_TRACE(c.name);
        MemoryRegistry registry;
        Seed(registry, c.before);
        const fw::reg::Script script = MustParse(c.script);
        EXPECT_EQ(fw::reg::RegisterScript(script, registry), 0);
        EXPECT_EQ(registry.Dump(), Sorted(c.registered));
        // Registering twice gives the same result.
        EXPECT_EQ(fw::reg::RegisterScript(script, registry), 0);
        EXPECT_EQ(registry.Dump(), Sorted(c.registered));
        EXPECT_EQ(fw::reg::UnregisterScript(script, registry), 0);
        EXPECT_EQ(registry.Dump(), Sorted(c.unregistered));
    }
}

TEST(RegistrarScript, AFailedRegistrationUndoesWhatItWroteAndReportsTheError)
{
    MemoryRegistry registry;
    Seed(registry, {"HKCR\\CLSID\\{Other}"});
    const Lines before = registry.Dump();
    const fw::reg::Script script =
        MustParse("HKCR { A = s 'a' NoRemove CLSID { ForceRemove {Mine} { Deep = s 'd' } } B }");
    registry.FailWritesTo("CLSID\\{Mine}\\Deep", 5);
    EXPECT_EQ(fw::reg::RegisterScript(script, registry), 5);
    EXPECT_EQ(registry.Dump(), before);
}

std::string ReadFile(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(RegistrarScript, PictureCacheScriptWritesTheCacheClassEntries)
{
    const std::string text = ReadFile(VELMORA_CACHE_SCRIPT);
    ASSERT_FALSE(text.empty());
    const std::string module = "C:\\Program Files\\O'Brien\\VelmoraThumbCtl.dll";
    const fw::reg::Script script = MustParse(text, {{"MODULE", module}});
    MemoryRegistry registry;
    ASSERT_EQ(fw::reg::RegisterScript(script, registry), 0);
    const std::string clsid = "HKCR\\CLSID\\{2B070C2D-2366-4F57-B396-5EA7C8CEBBAA}";
    const Lines expected = {
        "HKCR\\VelmoraThumbCtl.CPictureCache.1",
        "HKCR\\VelmoraThumbCtl.CPictureCache.1 @=s:VelmoraPictureCache Class",
        "HKCR\\VelmoraThumbCtl.CPictureCache.1\\CLSID",
        "HKCR\\VelmoraThumbCtl.CPictureCache.1\\CLSID @=s:{2B070C2D-2366-4F57-B396-5EA7C8CEBBAA}",
        "HKCR\\VelmoraThumbCtl.CPictureCache",
        "HKCR\\VelmoraThumbCtl.CPictureCache @=s:VelmoraPictureCache Class",
        "HKCR\\VelmoraThumbCtl.CPictureCache\\CLSID",
        "HKCR\\VelmoraThumbCtl.CPictureCache\\CLSID @=s:{2B070C2D-2366-4F57-B396-5EA7C8CEBBAA}",
        "HKCR\\VelmoraThumbCtl.CPictureCache\\CurVer",
        "HKCR\\VelmoraThumbCtl.CPictureCache\\CurVer @=s:VelmoraThumbCtl.CPictureCache.1",
        "HKCR\\CLSID",
        clsid,
        clsid + " @=s:VelmoraPictureCache Class",
        clsid + "\\ProgID",
        clsid + "\\ProgID @=s:VelmoraThumbCtl.CPictureCache.1",
        clsid + "\\VersionIndependentProgID",
        clsid + "\\VersionIndependentProgID @=s:VelmoraThumbCtl.CPictureCache",
        clsid + "\\Programmable",
        clsid + "\\InprocServer32",
        clsid + "\\InprocServer32 @=s:" + module,
        clsid + "\\InprocServer32 [ThreadingModel]=s:Free",
        clsid + "\\TypeLib",
        clsid + "\\TypeLib @=s:{F9AA4C14-9AF3-42FF-A8A0-EB777C82D655}",
    };
    EXPECT_EQ(registry.Dump(), Sorted(expected));
    EXPECT_EQ(fw::reg::UnregisterScript(script, registry), 0);
    EXPECT_EQ(registry.Dump(), Lines{"HKCR\\CLSID"});
}

}  // namespace
