#include "installer/replace_rule.h"

namespace installer {

bool SourceNotOlder(const std::optional<FileVersion>& source, const std::optional<FileVersion>& target)
{
    return !source || !target || *source >= *target;
}

bool ShouldCopy(ExistingFileRule rule, bool targetExists, const std::optional<FileVersion>& source,
                const std::optional<FileVersion>& target)
{
    if (!targetExists)
        return true;
    if (rule == ExistingFileRule::ReplaceUnlessNewer)
        return SourceNotOlder(source, target);
    return rule != ExistingFileRule::Keep;
}

std::vector<ReplaceStep> PlanInUseReplacement(bool ntFamily, InUseRule rule, const std::string& source,
                                              const std::string& target)
{
    if (ntFamily) {
        const std::string aside = target + ".DeleteOnReboot";
        return {{ReplaceOp::MoveAside, target, aside},
                {ReplaceOp::Copy, source, target},
                {ReplaceOp::DeleteAtRestart, aside, {}}};
    }
    if (rule == InUseRule::ReplaceOnNtOnly)
        return {{ReplaceOp::DeleteAgain, target, source}, {ReplaceOp::KeepOld, target, {}}};
    const std::string beside = target + ".replace";
    return {{ReplaceOp::DeleteAgain, target, source},
            {ReplaceOp::Copy, source, beside},
            {ReplaceOp::RecordRename, target, beside}};
}

std::optional<std::string> InsertRenameRecord(const std::string& wininit, const std::string& key,
                                              const std::string& value)
{
    std::string out;
    bool inserted = false;
    size_t start = 0;
    while (start < wininit.size()) {
        size_t end = wininit.find('\n', start);
        const size_t next = end == std::string::npos ? wininit.size() : end + 1;
        if (end == std::string::npos)
            end = wininit.size();
        std::string line = wininit.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        out += line + "\r\n";
        if (!inserted &&
            (line.find("[rename]") != std::string::npos || line.find("[RENAME]") != std::string::npos)) {
            out += key + "=" + value + "\r\n";
            inserted = true;
        }
        start = next;
    }
    if (!inserted)
        return std::nullopt;
    return out;
}

}  // namespace installer
