#pragma once
// Temporary folders and files for the shader-editor tests.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

class CTempFolder
{
public:
    CTempFolder()
    {
        char pattern[] = "/tmp/xqft-shader-XXXXXX";
        const char* made = mkdtemp(pattern);
        m_path = made ? made : "/tmp";
    }
    ~CTempFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    const std::string& Path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + "/" + name; }
    std::string Write(const std::string& name, const std::string& bytes) const
    {
        std::string path = File(name);
        if (FILE* f = fopen(path.c_str(), "wb")) {
            fwrite(bytes.data(), 1, bytes.size(), f);
            fclose(f);
        }
        return path;
    }

private:
    std::string m_path;
};
