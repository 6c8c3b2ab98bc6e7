#pragma once
// A file in the temporary folder, removed when the test ends.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

class CTempFile
{
public:
    explicit CTempFile(const std::vector<unsigned char>& bytes = {})
    {
        const char* dir = getenv("TMPDIR");
        m_path = std::string(dir && *dir ? dir : "/tmp") + "/xqft-test-XXXXXX";
        int fd = mkstemp(m_path.data());
        if (fd >= 0) {
            if (!bytes.empty() && write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
                m_path.clear();
            close(fd);
        }
    }
    ~CTempFile()
    {
        if (!m_path.empty())
            unlink(m_path.c_str());
    }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};
