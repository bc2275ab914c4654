// The profile as an INI file, through the private-profile functions.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "framework/core/profile.h"

namespace fw {

class IniProfile final : public Profile {
public:
    explicit IniProfile(std::string path) : path_(std::move(path)) {}
    const std::string& Path() const { return path_; }

    int GetInt(const char* section, const char* key, int defaultValue) override;
    std::string GetString(const char* section, const char* key, const std::string& defaultValue) override;
    bool WriteInt(const char* section, const char* key, int value) override;
    bool WriteString(const char* section, const char* key, const std::string& value) override;

    // While one is held, a section is read whole on its first read and later reads of
    // it are answered from that copy where they can be: a burst of reads (a layout of
    // 36 windows) opens the file once per section instead of once per key. Writes
    // through this profile drop the copies; changes made by others meanwhile are not
    // seen until the last snapshot ends.
    class Snapshot {
    public:
        explicit Snapshot(IniProfile& profile) : profile_(profile) { ++profile_.snapshots_; }
        ~Snapshot()
        {
            if (--profile_.snapshots_ == 0)
                profile_.sections_.clear();
        }
        Snapshot(const Snapshot&) = delete;
        Snapshot& operator=(const Snapshot&) = delete;

    private:
        IniProfile& profile_;
    };

private:
    // The held copy of `section`; null outside a snapshot or for a section too large to copy.
    const ProfileSection* Section(const char* section);

    std::string path_;
    int snapshots_ = 0;
    std::map<std::string, std::unique_ptr<ProfileSection>> sections_;
};

}  // namespace fw
