#include "installer/setup_machine.h"

namespace installer {

std::string UninstallKey(const std::string& applic)
{
    return "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + applic;
}

void RecordWininit(SetupMachine& machine, const std::string& key, const std::string& value)
{
    std::string text;
    if (machine.ReadWininit(text)) {
        if (std::optional<std::string> updated = InsertRenameRecord(text, key, value)) {
            machine.WriteWininit(*updated);
            return;
        }
    }
    machine.WriteWininitProfile(key, value);
}

}  // namespace installer
