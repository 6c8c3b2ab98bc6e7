#pragma once
// The file side of the preference store. The store never touches the file system itself: it asks
// a back end to map a store name and scope to a file, to open it for reading or for writing
// through a temporary file, to commit that file, to lock the store against other writers, and for
// a stamp of the file's last change.
#include "XQFTString.h"

#include <cstdint>
#include <cstdio>

// One open settings file, allocated by Open and released by Close.
struct SPreferenceFile
{
    FILE* handle = nullptr;  // null when opening failed
    CXQFTString path;        // the settings file (a write: the file it links to), not the temporary
    bool isTemporary = false; // handle is the temporary file that a commit moves over path
    CXQFTString temporaryPath; // that file's own name, one per writer
};

class CXQFPreferencesImpl
{
public:
    enum EMode : uint32_t { kModeRead = 0, kModeWrite = 1 };

    virtual ~CXQFPreferencesImpl() = default;

    // Read mode opens the settings file, creating it from the empty template when it does not
    // exist yet. Write mode with useTemp creates a temporary file of the caller's own beside the
    // settings file (no other writer can open it), or beside the file it names when it is a
    // symbolic link, which the commit then replaces and the link keeps naming; other modes open
    // the settings file for writing. Returns a record even when the file could not be opened
    // (null handle); null when the name or scope maps to no usable path.
    virtual SPreferenceFile* Open(const CXQFTString& name, uint32_t mode, uint32_t scope,
                                  bool useTemp) = 0;

    // Closes and releases the record. With commit, the temporary file's data is flushed to disk
    // and the file is renamed over the settings file. False when closing, flushing or the rename
    // failed; the settings file is then untouched and the temporary file is removed.
    virtual bool Close(SPreferenceFile* file, bool commit) = 0;

    // Takes the store's advisory lock (a lock file beside the settings file), waiting for another
    // holder to let it go; writers that reread, merge and replace the file under it lose nothing
    // of each other. False when the lock file cannot be opened or locked. Unlock lets it go (a
    // process that dies lets it go too).
    virtual bool Lock(const CXQFTString& name, uint32_t scope, int* lock) = 0;
    virtual void Unlock(int lock) = 0;

    // A stamp of the settings file's last change, compared only for equality. False (stamp
    // untouched) when the file's status cannot be read.
    virtual bool GetModificationTime(const CXQFTString& name, uint32_t scope, uint32_t* stamp) = 0;

    // Copies the settings file to a free name beside it ("<file>.bak", "<file>.bak1", ...) and
    // gives that name. True with an empty copyPath when there is no file to keep.
    virtual bool KeepCopy(const CXQFTString& name, uint32_t scope, CXQFTString* copyPath) = 0;

    // The path of the settings file, for messages and tools; false when there is none.
    virtual bool GetPath(const CXQFTString& name, uint32_t scope, CXQFTString* path) = 0;

    // Why the last Open, Close, Lock or KeepCopy that failed did: the file it failed on and the
    // reason ("<path>: <reason>").
    const CXQFTString& LastError() const { return m_lastError; }

protected:
    CXQFTString m_lastError;
};
