#include "XQFPreferencesLinux.h"

#include "XQFPlistFormat.h"
#include "XQFTFile.h"

#include <cerrno>
#include <dirent.h>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <limits.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <string>
#include <vector>

namespace {

// Each writer's temporary file: mkstemp fills in the X's.
constexpr const char kTempSuffix[] = ".tmp-XXXXXX";
constexpr const char kLockSuffix[] = ".lock";
constexpr const char kPlistSuffix[] = ".plist";
// Room left in a file name after ".plist" for the temporary suffix, the lock suffix and the
// longest copy suffix (".bak99").
constexpr size_t kMaxNameLength = NAME_MAX - (sizeof kPlistSuffix - 1) - (sizeof kTempSuffix - 1);
static_assert(sizeof kLockSuffix <= sizeof kTempSuffix && sizeof ".bak99" <= sizeof kTempSuffix);

bool IsAbsolute(const char* path)
{
    return path && path[0] == '/';
}

CXQFTString WithoutTrailingSlashes(const char* path)
{
    size_t n = strlen(path);
    while (n > 1 && path[n - 1] == '/')
        --n;
    return CXQFTString(path, n);
}

bool HomeFolder(CXQFTString* home)
{
    const char* env = getenv("HOME");
    if (IsAbsolute(env)) {
        *home = WithoutTrailingSlashes(env);
        return true;
    }
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? size_t(size) : 16384);
    passwd entry;
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found ||
        !IsAbsolute(found->pw_dir))
        return false;
    *home = WithoutTrailingSlashes(found->pw_dir);
    return true;
}

bool ValidName(const CXQFTString& name)
{
    const char* s = name.CStr();
    size_t n = name.Length();
    if (n == 0 || n > kMaxNameLength || strlen(s) != n)
        return false;
    if (strchr(s, '/'))
        return false;
    return name != "." && name != "..";
}

bool IsDirectory(const char* path)
{
    struct stat st;
    return stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

// mkdir -p: every missing folder on the way is created.
bool MakeFolders(const CXQFTString& path, mode_t mode)
{
    if (IsDirectory(path.CStr()))
        return true;
    CXQFTString prefix;
    size_t start = 1;
    while (start <= path.Length()) {
        size_t slash = path.Find('/', start);
        size_t end = slash == CXQFTString::npos ? path.Length() : slash;
        prefix = path.Left(end);
        if (mkdir(prefix.CStr(), mode) != 0 && !(errno == EEXIST && IsDirectory(prefix.CStr())))
            return false;
        start = end + 1;
    }
    return true;
}

bool WriteAll(int fd, const char* data, size_t size)
{
    while (size > 0) {
        ssize_t n = write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= size_t(n);
    }
    return true;
}

// A new settings file holds exactly the template. O_EXCL: an existing file is never replaced.
void CreateFromTemplate(const CXQFTString& file, uint32_t scope)
{
    // Written whole under a name of its own, then linked in place: another program opening the
    // store meanwhile finds no file or the whole template, never an empty one (which a save would
    // take for a broken store and keep aside). The link fails if someone else was first.
    std::string temp = std::string(file.CStr()) + ".new-XXXXXX";
    int fd = mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        return;
    // The same permissions as a save gives a new file of the scope.
    const bool ok = fchmod(fd, scope == 1 ? 0644 : 0600) == 0 && WriteAll(fd, kPlistTemplate, strlen(kPlistTemplate));
    if (close(fd) == 0 && ok)
        link(temp.c_str(), file.CStr());
    unlink(temp.c_str());
}

// Regular files only (foundation/XQFTFile.h): a FIFO or directory in the file's place fails.
FILE* OpenRegular(const CXQFTString& file, int flags, const char* mode, int* error)
{
    return XQFTOpenRegularFile(file.CStr(), flags, mode, error);
}

FILE* OpenRegularForReading(const CXQFTString& file, int* error)
{
    return OpenRegular(file, O_RDONLY, "rb", error);
}

void PutLittleEndian(unsigned char* out, uint64_t v)
{
    for (int i = 0; i < 8; ++i)
        out[i] = static_cast<unsigned char>(v >> (8 * i));
}

mode_t FolderMode(uint32_t scope)
{
    return scope == 1 ? 0755 : 0700; // per-user configuration stays private
}

CXQFTString Reason(const CXQFTString& path, const char* why)
{
    return path + ": " + why;
}

// Why MakeFolders failed on the way to folder.
CXQFTString FolderError(const CXQFTString& folder, int error)
{
    return Reason(folder, error == EEXIST || error == ENOTDIR ? "a file that is not a folder stands in the way"
                                                              : strerror(error));
}

// The file a save replaces: the settings file, or the file it links to when it is a symbolic link.
// The user's link stays, and later saves keep reaching the file it names.
CXQFTString WriteTarget(const CXQFTString& file)
{
    struct stat st;
    char resolved[PATH_MAX];
    if (lstat(file.CStr(), &st) == 0 && S_ISLNK(st.st_mode) && realpath(file.CStr(), resolved))
        return CXQFTString(resolved);
    return file;
}

// Writers make their temporary files only while they hold the lock: one there now was left by a
// writer that died in the middle of a save.
void RemoveStaleTemporaries(const CXQFTString& target)
{
    const char* path = target.CStr();
    const char* slash = strrchr(path, '/');
    const std::string folder = slash == path ? "/" : std::string(path, size_t(slash - path));
    const std::string prefix = std::string(slash + 1) + ".tmp-";
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return;
    while (const dirent* entry = readdir(dir)) {
        const size_t n = strlen(entry->d_name);
        if (n == prefix.size() + 6 && strncmp(entry->d_name, prefix.c_str(), prefix.size()) == 0)
            unlinkat(dirfd(dir), entry->d_name, 0);
    }
    closedir(dir);
}

} // namespace

bool CXQFPreferencesLinux::BaseFolder(uint32_t scope, CXQFTString* folder)
{
    if (scope == 1) {
        const char* dirs = getenv("XDG_CONFIG_DIRS");
        if (dirs && *dirs) {
            CXQFTString list(dirs);
            size_t start = 0;
            while (start <= list.Length()) {
                size_t colon = list.Find(':', start);
                size_t end = colon == CXQFTString::npos ? list.Length() : colon;
                CXQFTString entry(list, start, end - start);
                if (IsAbsolute(entry.CStr())) {
                    *folder = WithoutTrailingSlashes(entry.CStr());
                    return true;
                }
                start = end + 1;
            }
        }
        *folder = "/etc/xdg";
        return true;
    }
    const char* config = getenv("XDG_CONFIG_HOME");
    if (IsAbsolute(config)) {
        *folder = WithoutTrailingSlashes(config);
        return true;
    }
    CXQFTString home;
    if (!HomeFolder(&home))
        return false;
    *folder = home == "/" ? CXQFTString("/.config") : home + "/.config";
    return true;
}

bool CXQFPreferencesLinux::SettingsPath(const CXQFTString& name, uint32_t scope,
                                        CXQFTString* folder, CXQFTString* file)
{
    if (!ValidName(name))
        return false;
    CXQFTString base;
    if (!BaseFolder(scope, &base))
        return false;
    *folder = (base == "/" ? CXQFTString() : base) + "/" + kCompanyFolder;
    *file = *folder + "/" + name + kPlistSuffix;
    return true;
}

bool CXQFPreferencesLinux::GetPath(const CXQFTString& name, uint32_t scope, CXQFTString* path)
{
    CXQFTString folder;
    return SettingsPath(name, scope, &folder, path);
}

SPreferenceFile* CXQFPreferencesLinux::Open(const CXQFTString& name, uint32_t mode,
                                            uint32_t scope, bool useTemp)
{
    CXQFTString folder, file;
    if (!SettingsPath(name, scope, &folder, &file)) {
        m_lastError = Reason(name, "no settings file can have this name");
        return nullptr;
    }
    SPreferenceFile* record = new SPreferenceFile;
    record->path = file;
    if (mode == kModeRead) {
        int error = 0;
        record->handle = OpenRegularForReading(file, &error);
        // Only a file that is not there is created; one that cannot be read is left alone.
        if (!record->handle && error == ENOENT && MakeFolders(folder, FolderMode(scope))) {
            CreateFromTemplate(file, scope);
            record->handle = OpenRegularForReading(file, &error);
        }
        if (!record->handle)
            m_lastError = Reason(file, error == EINVAL ? "not a regular file" : strerror(error));
        return record;
    }
    if (!MakeFolders(folder, FolderMode(scope))) {
        const int error = errno;
        m_lastError = FolderError(folder, error);
        return record;
    }
    record->isTemporary = mode == kModeWrite && useTemp;
    if (!record->isTemporary) {
        int error = 0;
        record->handle = OpenRegular(file, O_WRONLY | O_CREAT | O_TRUNC, "wb", &error);
        if (!record->handle)
            m_lastError = Reason(file, error == EINVAL ? "not a regular file" : strerror(error));
        return record;
    }
    // A symbolic link is written through: the temporary file stands beside its target, which the
    // rename replaces.
    record->path = WriteTarget(file);
    // A name of this writer's own: two writers sharing one temporary file would interleave their
    // bytes, and one could rename the other's half-written file over the settings file.
    std::string temp = std::string(record->path.CStr()) + kTempSuffix;
    int fd = mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        m_lastError = Reason(record->path, (std::string("no temporary file can be made beside it: ") +
                                            strerror(error)).c_str());
        return record;
    }
    // The replacement keeps the permissions of the file it replaces (a private file stays so);
    // a new file gets what the folder's scope gives.
    struct stat st;
    fchmod(fd, stat(record->path.CStr(), &st) == 0 ? st.st_mode & 07777 : (scope == 1 ? 0644 : 0600));
    record->handle = fdopen(fd, "wb");
    if (!record->handle) {
        const int error = errno;
        m_lastError = Reason(record->path, strerror(error));
        close(fd);
        unlink(temp.c_str());
        return record;
    }
    record->temporaryPath = CXQFTString(temp.c_str());
    return record;
}

bool CXQFPreferencesLinux::Close(SPreferenceFile* file, bool commit)
{
    if (!file)
        return false;
    bool ok = true;
    if (file->handle) {
        if (file->isTemporary) {
            // The data must be on disk before the rename makes it the settings file.
            ok = fflush(file->handle) == 0 && !ferror(file->handle);
            if (ok && commit)
                ok = fsync(fileno(file->handle)) == 0;
        }
        if (fclose(file->handle) != 0)
            ok = false;
        if (!ok) {
            const int error = errno;
            m_lastError = Reason(file->path, (std::string("writing failed: ") + strerror(error)).c_str());
        }
        if (file->isTemporary) {
            const CXQFTString& temp = file->temporaryPath;
            if (commit && ok && rename(temp.CStr(), file->path.CStr()) != 0) {
                const int error = errno;
                ok = false;
                m_lastError = Reason(file->path, (std::string("it cannot be replaced: ") + strerror(error)).c_str());
            }
            if (!commit || !ok)
                unlink(temp.CStr());
        }
    } else if (commit) {
        ok = false;
    }
    delete file;
    return ok;
}

bool CXQFPreferencesLinux::Lock(const CXQFTString& name, uint32_t scope, int* lock)
{
    CXQFTString folder, file;
    if (!SettingsPath(name, scope, &folder, &file)) {
        m_lastError = Reason(name, "no settings file can have this name");
        return false;
    }
    if (!MakeFolders(folder, FolderMode(scope))) {
        const int error = errno;
        m_lastError = FolderError(folder, error);
        return false;
    }
    const CXQFTString path = file + kLockSuffix;
    // The lock file is never removed: a writer that removed it could leave the next one locking
    // a file that no longer has the name the others open. Read access is enough for flock (a
    // store all users read may have a lock file only one of them can write).
    const int flags = O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK;
    int fd = open(path.CStr(), O_RDWR | O_CREAT | flags, scope == 1 ? 0644 : 0600);
    int error = errno;
    if (fd < 0 && (error == EACCES || error == EROFS)) {
        fd = open(path.CStr(), O_RDONLY | flags);
        // A lock file that is not there could not be made: that is the reason, not its absence.
        if (fd < 0 && errno != ENOENT)
            error = errno;
    }
    if (fd < 0) {
        m_lastError = Reason(path, error == ELOOP    ? "the lock file is a symbolic link"
                                   : error == EISDIR ? "the lock file is a directory"
                                                     : strerror(error));
        return false;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        m_lastError = Reason(path, S_ISFIFO(st.st_mode)  ? "the lock file is a FIFO"
                                   : S_ISDIR(st.st_mode) ? "the lock file is a directory"
                                                         : "the lock file is not a regular file");
        close(fd);
        return false;
    }
    int locked;
    while ((locked = flock(fd, LOCK_EX)) != 0 && errno == EINTR) {
    }
    if (locked != 0) {
        error = errno;
        m_lastError = Reason(path, strerror(error));
        close(fd);
        return false;
    }
    RemoveStaleTemporaries(WriteTarget(file));
    *lock = fd;
    return true;
}

void CXQFPreferencesLinux::Unlock(int lock)
{
    if (lock >= 0)
        close(lock);   // closing the only descriptor lets the lock go
}

bool CXQFPreferencesLinux::GetModificationTime(const CXQFTString& name, uint32_t scope,
                                               uint32_t* stamp)
{
    CXQFTString file;
    if (!GetPath(name, scope, &file))
        return false;
    struct stat st;
    if (stat(file.CStr(), &st) != 0)
        return false;
    // Seconds alone miss a second change within the same second; the nanoseconds, the size and
    // the inode (a rename gives a new one) make that unlikely.
    unsigned char bytes[32];
    PutLittleEndian(bytes, uint64_t(st.st_mtim.tv_sec));
    PutLittleEndian(bytes + 8, uint64_t(st.st_mtim.tv_nsec));
    PutLittleEndian(bytes + 16, uint64_t(st.st_size));
    PutLittleEndian(bytes + 24, uint64_t(st.st_ino));
    *stamp = XQFTHashFnv1(bytes, sizeof bytes);
    return true;
}

bool CXQFPreferencesLinux::KeepCopy(const CXQFTString& name, uint32_t scope, CXQFTString* copyPath)
{
    copyPath->Clear();
    CXQFTString file;
    if (!GetPath(name, scope, &file))
        return false;
    int in = open(file.CStr(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (in < 0) {
        const int error = errno;
        m_lastError = Reason(file, strerror(error));
        return error == ENOENT;
    }
    int out = -1;
    CXQFTString candidate;
    for (int i = 0; i < 100 && out < 0; ++i) {
        candidate = i == 0 ? file + ".bak" : StringFromFormat("%s.bak%d", file.CStr(), i);
        out = open(candidate.CStr(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (out < 0 && errno != EEXIST)
            break;
    }
    bool ok = out >= 0;
    char buffer[65536];
    while (ok) {
        ssize_t n = read(in, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        ok = WriteAll(out, buffer, size_t(n));
    }
    close(in);
    if (out >= 0) {
        if (ok)
            ok = fsync(out) == 0;
        if (close(out) != 0)
            ok = false;
        if (!ok)
            unlink(candidate.CStr());
    }
    if (ok)
        *copyPath = candidate;
    else
        m_lastError = Reason(file, "no copy of it can be written beside it");
    return ok;
}
