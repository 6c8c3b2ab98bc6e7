#include "XQFTFile.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

FILE* XQFTOpenRegularFile(const char* path, int flags, const char* mode, int* error)
{
    int fd = open(path, flags | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0) {
        *error = errno;
        return nullptr;
    }
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        *error = fstat(fd, &st) == 0 && S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        close(fd);
        return nullptr;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    FILE* f = fdopen(fd, mode);
    if (!f) {
        *error = errno;
        close(fd);
    }
    return f;
}

EXQFTReadFile XQFTReadRegularFile(const char* path, size_t limit, char** data, size_t* size,
                                  int* error)
{
    *size = 0;
    *error = 0;
    FILE* f = XQFTOpenRegularFile(path, O_RDONLY, "rb", error);
    if (!f)
        return EXQFTReadFile::OpenFailed;
    struct stat st;
    if (fstat(fileno(f), &st) != 0 || st.st_size < 0) {
        *error = errno ? errno : EIO;
        fclose(f);
        return EXQFTReadFile::OpenFailed;
    }
    if (uint64_t(st.st_size) > limit) {
        fclose(f);
        return EXQFTReadFile::TooLarge;
    }
    size_t length = size_t(st.st_size);
    char* buffer = static_cast<char*>(malloc(length + 1));
    if (!buffer) {
        fclose(f);
        return EXQFTReadFile::NoMemory;
    }
    size_t got = length ? fread(buffer, 1, length, f) : 0;
    fclose(f);
    if (got != length) {
        free(buffer);
        return EXQFTReadFile::ShortRead;
    }
    buffer[length] = '\0';
    *data = buffer;
    *size = length;
    return EXQFTReadFile::Ok;
}
