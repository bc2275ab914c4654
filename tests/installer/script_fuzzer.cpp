// Fuzzes the script and log readers: any text reads without a crash, values keep
// their limits, counts stay bounded, and what the INI writer renders reads back to
// the same logged paths.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "installer/ini_text.h"
#include "installer/install_log.h"
#include "installer/setup_script.h"
#include "installer/uninstall_run.h"

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    installer::IniText ini(text);
    const installer::SetupScript script = installer::ReadSetupScript(ini, 1, installer::JapaneseDefaults());
    Check(script.components.size() == static_cast<size_t>(installer::kComponentCount));
    for (const installer::Component& c : script.components) {
        Check(c.files.size() <= static_cast<size_t>(installer::kMaxFileEntries));
        for (const installer::FileEntry& e : c.files)
            Check(e.file.size() <= installer::kTextLimit && e.rename.size() <= installer::kTextLimit);
    }
    Check(script.look.title.size() <= installer::kTextLimit);
    Check(script.finish.message.size() <= installer::kFinishTextLimit);

    const installer::InstallLog log = installer::ReadInstallLog(ini);
    Check(log.files.size() + log.missingFiles.size() <= static_cast<size_t>(installer::kMaxLogEntries));
    installer::UninstallContext context;
    context.extraFolders = {"C:\\App"};
    const installer::UninstallPlan plan = installer::PlanUninstall(log, context);
    Check(plan.entries.size() == log.files.size());

    // Rendering and reading again keeps every logged path. (Names are not compared:
    // a section name that ends in a lone lead byte joins the rendered ']'.)
    installer::IniText again(ini.Text());
    const installer::InstallLog reread = installer::ReadInstallLog(again);
    Check(reread.files.size() == log.files.size());
    for (size_t i = 0; i < log.files.size(); ++i)
        Check(reread.files[i].path == log.files[i].path);
    return 0;
}
