#include "tests/installer/fake_machine.h"

#include "installer/ini_text.h"
#include "tests/support/scripted_prompts.h"

namespace installer_test {

namespace {

std::string Parent(const std::string& key)
{
    const size_t slash = key.rfind('\\');
    if (slash == std::string::npos)
        return {};
    return slash == 2 && key[1] == ':' ? key.substr(0, 3) : key.substr(0, slash);
}

}  // namespace

// The log file, rewritten after every write as the profile functions do.
class FakeMachine::LogProfile final : public fw::Profile {
public:
    LogProfile(FakeMachine& machine, std::string path) : machine_(machine), path_(std::move(path)) {}
    int GetInt(const char* s, const char* k, int d) override { return text_.GetInt(s, k, d); }
    std::string GetString(const char* s, const char* k, const std::string& d) override
    {
        return text_.GetString(s, k, d);
    }
    bool WriteInt(const char* s, const char* k, int v) override
    {
        return WriteString(s, k, std::to_string(v));
    }
    bool WriteString(const char* s, const char* k, const std::string& v) override
    {
        if (!machine_.HasFolder(Parent(Key(path_))))
            return false;
        text_.WriteString(s, k, v);
        File& file = machine_.files_[Key(path_)];
        file.path = path_;
        file.content = text_.Text();
        return true;
    }

private:
    FakeMachine& machine_;
    std::string path_;
    installer::IniText text_;
};

std::string FakeMachine::Key(const std::string& path)
{
    std::string key = path;
    for (char& c : key)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    if (key.size() > 3 && key.back() == '\\')
        key.pop_back();
    return key;
}

bool FakeMachine::Fail(uint32_t code)
{
    lastError_ = code;
    return false;
}

FakeMachine::File& FakeMachine::AddFile(const std::string& path, const std::string& content,
                                        std::optional<FileVersion> version)
{
    const std::string parent = Parent(Key(path));
    if (!parent.empty())
        AddFolder(path.substr(0, parent.size()));
    File& file = files_[Key(path)];
    file = {path, content, version, false, false};
    return file;
}

void FakeMachine::AddFolder(const std::string& path)
{
    const std::string key = Key(path);
    const std::string parent = Parent(key);
    if (!parent.empty() && parent != key)
        AddFolder(path.substr(0, parent.size()));
    folders_.emplace(key, path);
}

bool FakeMachine::HasFile(const std::string& path) const
{
    return files_.count(Key(path)) != 0;
}

bool FakeMachine::HasFolder(const std::string& path) const
{
    return folders_.count(Key(path)) != 0;
}

const FakeMachine::File* FakeMachine::Find(const std::string& path) const
{
    auto it = files_.find(Key(path));
    return it == files_.end() ? nullptr : &it->second;
}

std::string FakeMachine::Content(const std::string& path) const
{
    const File* file = Find(path);
    return file ? file->content : std::string();
}

std::vector<std::string> FakeMachine::FilePaths() const
{
    std::vector<std::string> paths;
    for (const auto& [key, file] : files_)
        paths.push_back(file.path);
    return paths;
}

bool FakeMachine::FileExists(const std::string& path)
{
    return HasFile(path) || HasFolder(path);
}

bool FakeMachine::FolderExists(const std::string& path)
{
    return HasFolder(path);
}

bool FakeMachine::CreateFolder(const std::string& path)
{
    const std::string parent = Parent(Key(path));
    if (parent.empty() || !HasFolder(parent) || HasFile(path))
        return Fail(3);
    trace.push_back("mkdir " + path);
    folders_.emplace(Key(path), path);
    return true;
}

bool FakeMachine::RemoveFolder(const std::string& path)
{
    const std::string key = Key(path);
    if (!HasFolder(path))
        return Fail(2);
    for (const auto& [k, file] : files_)
        if (Parent(k) == key)
            return Fail(145);
    for (const auto& [k, folder] : folders_)
        if (k != key && Parent(k) == key)
            return Fail(145);
    trace.push_back("rmdir " + path);
    folders_.erase(key);
    return true;
}

bool FakeMachine::DeleteFile(const std::string& path)
{
    auto it = files_.find(Key(path));
    if (it == files_.end())
        return Fail(2);
    if (it->second.locked || it->second.readOnly)
        return Fail(5);
    trace.push_back("delete " + path);
    files_.erase(it);
    return true;
}

bool FakeMachine::CopyFile(const std::string& source, const std::string& target)
{
    const File* from = Find(source);
    if (!from)
        return Fail(2);
    if (!HasFolder(Parent(Key(target))))
        return Fail(3);
    if (const File* to = Find(target); to && (to->locked || to->readOnly))
        return Fail(5);
    trace.push_back("copy " + source + " > " + target);
    File copy = *from;
    copy.path = target;
    copy.locked = copy.readOnly = false;
    files_[Key(target)] = copy;
    return true;
}

bool FakeMachine::MoveReplacing(const std::string& from, const std::string& to)
{
    auto it = files_.find(Key(from));
    if (it == files_.end())
        return Fail(2);
    if (const File* existing = Find(to); existing && (existing->locked || existing->readOnly))
        return Fail(5);
    trace.push_back("move " + from + " > " + to);
    File moved = it->second;
    moved.path = to;
    files_.erase(it);
    files_[Key(to)] = moved;
    return true;
}

bool FakeMachine::DeleteAtRestart(const std::string& path)
{
    trace.push_back("delete at restart " + path);
    return true;
}

std::optional<FileVersion> FakeMachine::Version(const std::string& path)
{
    const File* file = Find(path);
    return file ? file->version : std::nullopt;
}

bool FakeMachine::ReadWininit(std::string& text)
{
    if (!wininit)
        return false;
    text = *wininit;
    return true;
}

bool FakeMachine::WriteWininit(const std::string& text)
{
    wininit = text;
    return true;
}

void FakeMachine::WriteWininitProfile(const std::string& key, const std::string& value)
{
    wininitProfile.push_back(key + "=" + value);
}

installer::ServerOutcome FakeMachine::CallServer(const std::string& path, bool unregister)
{
    auto it = servers.find(path);
    if (it == servers.end() || !HasFile(path))
        return {};
    trace.push_back((unregister ? "unregister " : "register ") + path);
    return it->second;
}

installer::RunOutcome FakeMachine::RunAndWait(const std::string& verb, const std::string& file,
                                              const std::string& parameters)
{
    trace.push_back("run " + verb + " " + file + (parameters.empty() ? "" : " " + parameters));
    auto it = programs.find(file);
    return it == programs.end() ? installer::RunOutcome{} : it->second;
}

long FakeMachine::CreateShortcut(const installer::ShortcutSpec& link)
{
    if (failingLinks.count(link.linkFile) || !HasFolder(Parent(Key(link.linkFile))))
        return static_cast<long>(0x80004005u);
    trace.push_back("link " + link.linkFile + " > " + link.target +
                    (link.arguments.empty() ? "" : " " + link.arguments));
    AddFile(link.linkFile, "lnk");
    return 0;
}

std::unique_ptr<fw::Profile> FakeMachine::OpenLog(const std::string& path)
{
    return std::make_unique<LogProfile>(*this, path);
}

void FakeView::AddLine(const std::wstring& line, bool select)
{
    lines.push_back((select ? "> " : "") + testing_support::Utf8(line));
}

}  // namespace installer_test
