#pragma once
// A named store of settings kept in one XML property-list file ("<name>.plist"), per user or for
// all users. Load once, read and set values by key path ("Group/Sub/Item"), then Save. A clean
// store loaded with reloadOnChange follows changes that other programs save to the file.
//
// Every getter and setter returns one of EResult. Not thread-safe: serialise use of one object.
#include "XQFKeyPath.h"
#include "XQFTArray.h"
#include "XQFTString.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tinyxml2 {
class XMLDocument;
class XMLElement;
} // namespace tinyxml2

class CXQFKeyIndex;
class CXQFPreferencesImpl;

class CXQFPreferences
{
public:
    enum EResult : int {
        kDone = 0,       // read, or written and the store is dirty
        kMissing = 1,    // no such entry, no value element, or an integer without text (an
                         // empty string or data element reads as an empty value)
        kEmptyKey = 2,   // a setter was given a key path that names no entry
        kWrongType = 3,  // the value has another tag, or its content cannot be read or written
                         // as the accessor's type
        kNotLoaded = 4,  // never loaded, a reload failed, the path cannot be created, or a
                         // stream error while coding binary data
    };
    enum EScope : uint32_t { kScopeUser = 0, kScopeAllUsers = 1 };

    // Key paths deeper than this are refused: the parser would not read such a file back.
    static constexpr uint32_t kMaxKeyPathParts = 64;

    // Nothing is read until Load. Any scope other than kScopeAllUsers is per-user.
    CXQFPreferences(const CXQFTString& name, uint32_t scope);
    // Does not save: unsaved values are lost.
    ~CXQFPreferences();
    CXQFPreferences(const CXQFPreferences&) = delete;
    CXQFPreferences& operator=(const CXQFPreferences&) = delete;

    // Reads the file, creating it (and its folders) when missing, and repairs a missing
    // declaration, root or root dictionary. Messages for the user are appended to errors.
    bool Load(CXQFTString& errors, bool reloadOnChange);
    // Writes the store through a temporary file of its own renamed over the settings file; with
    // force false, a clean store writes nothing. Several programs may save one store at once: under
    // the store's lock the file is read again and the keys set here since the load (or the last
    // save) are put into it, so what the others saved meanwhile stays, and the store then holds the
    // merged document. A file that no longer parses is copied aside ("<file>.bak", ...) and
    // replaced by this store's document. False when nothing was written (dirty stays set); then
    // SaveError says why.
    bool Save(bool force);
    // Why the last Save failed ("<file>: <reason>"); empty after one that succeeded.
    const CXQFTString& SaveError() const { return m_saveError; }

    bool HasKey(const CXQFTString& key);
    int GetInteger(const CXQFTString& key, uint32_t* out, uint32_t defaultValue);
    int GetInteger(const CXQFTString& key, uint32_t* out);
    int GetBool(const CXQFTString& key, bool* out, bool defaultValue);
    int GetBool(const CXQFTString& key, bool* out);
    int GetString(const CXQFTString& key, CXQFTString* out, const CXQFTString& defaultValue);
    int GetString(const CXQFTString& key, CXQFTString* out);
    // Appends the items to what out already holds.
    int GetStringArray(const CXQFTString& key, CXQFTArray<CXQFTString>* out);
    // *data is a new buffer of *size bytes (null when empty); release it with free().
    int GetData(const CXQFTString& key, void** data, uint32_t* size);

    int SetString(const CXQFTString& key, const CXQFTString& value);
    int SetString(const CXQFTString& key, const char* value);
    int SetInteger(const CXQFTString& key, uint32_t value);
    int SetBool(const CXQFTString& key, bool value);
    int SetStringArray(const CXQFTString& key, const CXQFTArray<CXQFTString>& value);
    int SetData(const CXQFTString& key, const void* data, uint32_t size);

    bool IsLoaded() const { return m_document != nullptr; }
    // Empty unless the last load found a file it could not parse (and went on with an empty
    // store in its place): then "[line:column]: reason".
    const CXQFTString& ParseError() const { return m_parseError; }
    bool IsDirty() const { return m_dirty; }
    const CXQFTString& Name() const { return m_name; }
    uint32_t Scope() const { return m_scope; }
    // The settings file's path; false when the name or scope gives none.
    bool GetFilePath(CXQFTString* path) const;
    // The document as loaded and set, or null before the first load.
    const tinyxml2::XMLDocument* Document() const { return m_document.get(); }

    // "/a/b/", "a/b" and "a//b" all give [a, b]; the last part is kept even when empty.
    static CXQFTArray<CXQFTString> SplitKeyPath(const CXQFTString& key);

private:
    using SKeyPath = TKeyPath<kMaxKeyPathParts>;

    bool ValidateDocument(CXQFTString& errors);
    bool ValidateEntries(tinyxml2::XMLElement* first, bool inArray, CXQFTString& errors);
    bool ReloadIfChanged();

    enum class EPair { kFound, kNotFound, kNoValue };

    tinyxml2::XMLElement* RootDictionary() const;
    // The first child element of the root dictionary, or null.
    tinyxml2::XMLElement* FirstRootEntry() const;
    EPair FindPair(tinyxml2::XMLElement* dict, const SKeyPath& path, uint32_t i,
                   tinyxml2::XMLElement** value) const;
    // The value element named by parts first.. of path, looked up from dict: kDone or kMissing.
    int FindValue(const SKeyPath& path, uint32_t first, tinyxml2::XMLElement* dict,
                  tinyxml2::XMLElement** value) const;
    int FindEntry(const SKeyPath& path, tinyxml2::XMLElement** value) const;
    int CreatePath(const SKeyPath& path, uint32_t tag, tinyxml2::XMLElement** value);
    // Common start of the setters: finds or creates the value element for key.
    int PrepareSet(const CXQFTString& key, uint32_t tag, tinyxml2::XMLElement** value);
    int ReadText(const CXQFTString& key, uint32_t tag, const char** text);
    int SetText(const CXQFTString& key, uint32_t tag, const char* text);
    // A setter changed the value of key: the next save puts it into the file as it is then.
    void NoteChange(const CXQFTString& key);
    // Puts the values of the keys changed in from into this store's document, replacing what
    // stands there; a key whose way down is blocked (a value where from has a dictionary) takes
    // from's dictionary whole. False when a value cannot be placed.
    bool TakeChanges(const CXQFPreferences& from);
    bool PutValue(const SKeyPath& path, const tinyxml2::XMLElement& value);
    // Saves under the store's lock; Save takes it.
    bool SaveLocked();
    // Writes the document through a temporary file renamed over the settings file.
    bool WriteDocument();

    std::unique_ptr<tinyxml2::XMLDocument> m_document;
    std::unique_ptr<CXQFPreferencesImpl> m_impl;
    // Looks keys up without walking dictionaries; emptied whenever the document is replaced.
    std::unique_ptr<CXQFKeyIndex> m_index;
    CXQFTString m_name;
    uint32_t m_stamp = 0;
    bool m_reloadOnChange = false;
    bool m_dirty = false;
    uint32_t m_scope;
    CXQFTString m_parseError;
    CXQFTString m_saveError;
    // The key paths set since the load or the last save, each once, oldest first, as "a/b/c".
    std::vector<std::string> m_changed;
};
