#pragma once
// The Linux back end of the preference store: XDG folders, POSIX files, and a commit by rename.
//   per-user:  $XDG_CONFIG_HOME (or ~/.config)          /Orvistaline Technologies/<name>.plist
//   all-users: first entry of $XDG_CONFIG_DIRS (or /etc/xdg) /Orvistaline Technologies/<name>.plist
// Scope 1 is all-users; every other scope is per-user. Missing folders are created on demand.
#include "XQFPreferencesImpl.h"

class CXQFPreferencesLinux : public CXQFPreferencesImpl
{
public:
    static constexpr const char* kCompanyFolder = "Orvistaline Technologies";

    SPreferenceFile* Open(const CXQFTString& name, uint32_t mode, uint32_t scope,
                          bool useTemp) override;
    bool Close(SPreferenceFile* file, bool commit) override;
    bool Lock(const CXQFTString& name, uint32_t scope, int* lock) override;
    void Unlock(int lock) override;
    bool GetModificationTime(const CXQFTString& name, uint32_t scope, uint32_t* stamp) override;
    bool KeepCopy(const CXQFTString& name, uint32_t scope, CXQFTString* copyPath) override;
    bool GetPath(const CXQFTString& name, uint32_t scope, CXQFTString* path) override;

    // The scope's configuration folder, without the company folder; false when none is known.
    static bool BaseFolder(uint32_t scope, CXQFTString* folder);
    // The settings file of a store and the folder that holds it. False for a name that cannot be
    // a plain file name (empty, "." or "..", a "/" or zero byte, or too long) or when no base
    // folder is known.
    static bool SettingsPath(const CXQFTString& name, uint32_t scope, CXQFTString* folder,
                             CXQFTString* file);
};
