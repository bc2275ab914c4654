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
    installer::Places places;

    RunFixture()
    {
        places.windows = "C:\\WINDOWS";
        places.windowsRoot = "C:\\";
        places.system = "C:\\WINDOWS\\SYSTEM";
        places.documents = "C:\\Docs";
        places.desktopUser = "C:\\User\\Desktop";
        places.desktopAll = "C:\\All\\Desktop";
        places.programsUser = "C:\\User\\Programs";
        places.programsAll = "C:\\All\\Programs";
        places.startupUser = "C:\\User\\Startup";
        places.startupAll = "C:\\All\\Startup";
        for (const std::string* folder :
             {&places.system, &places.documents, &places.desktopUser, &places.desktopAll,
              &places.programsUser, &places.programsAll, &places.startupUser, &places.startupAll})
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
        const installer::InstallChoices choices = installer::InstallChoices::Defaults(script, places.windows);
        return installer::InstallRun(script, choices, places, machine, view, registry).Run();
    }

    std::string Shown(size_t i) const { return testing_support::Utf8(prompts.At(i).text); }
};

}  // namespace installer_test
