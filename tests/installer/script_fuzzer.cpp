// Any text reads as a script and as a log without a crash, every text within its
// limit and every logged file planned; the text rendered reads back to the same paths.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "installer/ini_text.h"
#include "installer/install_log.h"
#include "installer/setup_script.h"
#include "installer/uninstall_run.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    installer::IniText ini(std::string(reinterpret_cast<const char*>(data), size));
    const installer::SetupScript script = installer::ReadSetupScript(ini, 1, installer::JapaneseDefaults());
    bool ok = script.look.title.size() <= installer::kTextLimit;
    for (const installer::Component& c : script.components)
        for (const installer::FileEntry& e : c.files)
            ok = ok && e.file.size() <= installer::kTextLimit && e.rename.size() <= installer::kTextLimit;
    const installer::InstallLog log = installer::ReadInstallLog(ini);
    ok = ok && installer::PlanUninstall(log, {}).entries.size() == log.files.size();
    installer::IniText again(ini.Text());  // (a section name ending in a lone lead byte joins its ']')
    const installer::InstallLog reread = installer::ReadInstallLog(again);
    ok = ok && reread.files.size() == log.files.size();
    for (size_t i = 0; ok && i < log.files.size(); ++i)
        ok = reread.files[i].path == log.files[i].path;
    if (!ok)
        std::abort();
    return 0;
}
