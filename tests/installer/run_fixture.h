// A machine with the system's folders, a page, a registry and scripted prompts, and
// one call that reads a script and runs the install over them.
#pragma once

#include <string>

#include "tests/support/memory_registry.h"
#include "installer/ini_text.h"
#include "installer/install_run.h"
#include "tests/installer/fake_machine.h"
#include "tests/support/scripted_prompts.h"

namespace installer_test {

inline const char kInstallFolder[] = "C:\\Apps\\Tool";

struct RunFixture {
    FakeMachine machine;
    FakeView view;
    testing_support::MemoryRegistry registry;
    testing_support::ScriptedPrompts prompts;
    installer::SystemFolders folders;

    RunFixture()
    {
        folders.windows = "C:\\WINDOWS";
        folders.windowsRoot = "C:\\";
        folders.system = "C:\\WINDOWS\\SYSTEM";
        folders.documents = "C:\\Docs";
        folders.desktopUser = "C:\\User\\Desktop";
        folders.desktopAll = "C:\\All\\Desktop";
        folders.programsUser = "C:\\User\\Programs";
        folders.programsAll = "C:\\All\\Programs";
        folders.startupUser = "C:\\User\\Startup";
        folders.startupAll = "C:\\All\\Startup";
        for (const std::string* folder :
             {&folders.system, &folders.documents, &folders.desktopUser, &folders.desktopAll,
              &folders.programsUser, &folders.programsAll, &folders.startupUser, &folders.startupAll})
            machine.AddFolder(*folder);
    }

    installer::SetupScript Script(const std::string& text)
    {
        installer::IniText ini("[TARGET]\nBASENAME=Apps\nDIRNAME=Tool\n" + text);
        return installer::ReadSetupScript(ini, 1, installer::JapaneseDefaults());
    }

    installer::InstallResult Install(const std::string& text)
    {
        const installer::SetupScript script = Script(text);
        const installer::InstallChoices choices =
            installer::InstallChoices::Defaults(script, folders.windows);
        return installer::InstallRun(script, choices, folders, machine, view, registry).Run();
    }

    std::string Shown(size_t i) const { return testing_support::Utf8(prompts.At(i).text); }
};

}  // namespace installer_test
