#include "output/OutputLog.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

SLogStreams RedirectStandardStreams(const char* path)
{
    std::fflush(stdout);
    std::fflush(stderr);
    // One open file description with O_APPEND for both descriptors: every write goes to the end.
    const int fd = ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) {
        std::fprintf(stderr, "Cannot write %s (%s): diagnostics stay on the console\n", path, std::strerror(errno));
        return {stdout, stderr, false};
    }
    const bool moved = ::dup2(fd, STDOUT_FILENO) >= 0 && ::dup2(fd, STDERR_FILENO) >= 0;
    ::close(fd);
    if (!moved)
        return {stdout, stderr, false};
    // Line buffering takes only with a buffer given: glibc ignores the mode for a stream in use.
    static char buffer[BUFSIZ];
    std::setvbuf(stdout, buffer, _IOLBF, sizeof buffer);
    return {stdout, stderr, true};
}
