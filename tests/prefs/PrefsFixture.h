#pragma once
// Every test runs against configuration folders in a fresh temporary directory: XDG_CONFIG_HOME
// (per-user) and XDG_CONFIG_DIRS (all-users) point there, never at the real home or /etc/xdg.
#include "Common/XQFPreferences/XQFPreferences.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

class PrefsFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/xqft-prefs-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_root = pattern;
        setenv("XDG_CONFIG_HOME", (m_root + "/user").c_str(), 1);
        setenv("XDG_CONFIG_DIRS", (m_root + "/system:/etc/xdg").c_str(), 1);
    }

    void TearDown() override
    {
        std::error_code ec;
        for (auto& entry : std::filesystem::recursive_directory_iterator(m_root, ec))
            if (entry.is_directory(ec))
                std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                             std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(m_root, ec);
    }

    std::string Folder() const { return m_root + "/user/Orvistaline Technologies"; }
    std::string PathOf(const std::string& name) const { return Folder() + "/" + name + ".plist"; }

    static std::string ReadFile(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    static void WriteFile(const std::string& path, const std::string& text)
    {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::ofstream(path, std::ios::binary) << text;
    }

    // A store named name whose file holds body (inside <plist><dict> unless whole is set),
    // loaded with reloadOnChange; the load must succeed.
    std::unique_ptr<CXQFPreferences> Loaded(const std::string& name, const std::string& body = "")
    {
        WriteFile(PathOf(name), Plist(body));
        auto store = std::make_unique<CXQFPreferences>(CXQFTString(name.c_str()), 0);
        CXQFTString errors;
        EXPECT_TRUE(store->Load(errors, true)) << errors.CStr();
        return store;
    }

    static std::string Plist(const std::string& body)
    {
        return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n" +
               body + "</dict>\n</plist>\n";
    }

    static int Run(const std::string& command) { return std::system(command.c_str()); }

    static std::string Quoted(const std::string& s) { return "'" + s + "'"; }

    std::string m_root;
};

inline CXQFTString S(const char* text)
{
    return CXQFTString(text);
}
