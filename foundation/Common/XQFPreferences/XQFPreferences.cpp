// Lifetime, loading, validation and saving of the preference store. The typed accessors are in
// XQFPreferencesValues.cpp.
#include "XQFPreferences.h"

#include "DebugOutput.h"
#include "XQFPlistFormat.h"
#include "XQFKeyIndex.h"
#include "XQFPlistPrinter.h"
#include "XQFPreferencesLinux.h"

#include <cstdio>
#include <cstring>
#include <tinyxml2.h>

using tinyxml2::XMLDocument;
using tinyxml2::XMLElement;
using tinyxml2::XMLNode;

namespace {

// Warnings name this file on a line of their own, ahead of the text.
void Warn(int line, const char* text)
{
    DebugOutputPrintf("Common/XQFPreferences/XQFPreferences.cpp(%d):\n", line);
    DebugOutputPrintf("%s", text);
}

void AppendFormatted(CXQFTString& errors, const char* format, int value)
{
    char buffer[1024];
    snprintf(buffer, sizeof buffer, format, value);
    errors.Append(buffer);
}

} // namespace

CXQFPreferences::CXQFPreferences(const CXQFTString& name, uint32_t scope)
    : m_impl(std::make_unique<CXQFPreferencesLinux>()),
      m_index(std::make_unique<CXQFKeyIndex>()),
      m_name(name),
      m_scope(scope)
{
}

CXQFPreferences::~CXQFPreferences() = default;

bool CXQFPreferences::GetFilePath(CXQFTString* path) const
{
    return m_impl && m_impl->GetPath(m_name, m_scope, path);
}

bool CXQFPreferences::Load(CXQFTString& errors, bool reloadOnChange)
{
    if (!m_impl)
        return false;
    SPreferenceFile* file =
        m_impl->Open(m_name, CXQFPreferencesImpl::kModeRead, m_scope, false);
    if (!file || !file->handle) {
        errors.Append("ERROR: Failed to open file, or write temporary file!");
        m_impl->Close(file, false);
        return false; // the previous document stays
    }

    m_index->Clear();
    m_changed.clear();   // the values they name went with the document
    m_document = std::make_unique<XMLDocument>(true, tinyxml2::PRESERVE_WHITESPACE);
    tinyxml2::XMLError parsed = m_document->LoadFile(file->handle);
    m_impl->Close(file, false);

    // A file that did not parse is replaced by an empty document below; the save that replaces the
    // file keeps a copy of it.
    bool parseFailed = parsed != tinyxml2::XML_SUCCESS;
    m_parseError.Clear();
    if (parseFailed) {
        char buffer[1024];
        // The parser knows the line of the fault but not the column.
        snprintf(buffer, sizeof buffer, "[%d:%d]: %s", m_document->ErrorLineNum(), 0,
                 m_document->ErrorStr());
        m_parseError = buffer;
    }
    bool valid = ValidateDocument(errors);
    if (parseFailed && !valid) {
        errors.Append(m_parseError);
        return false;
    }
    if (!valid)
        return false;

    m_reloadOnChange = reloadOnChange;
    if (reloadOnChange)
        m_impl->GetModificationTime(m_name, m_scope, &m_stamp);
    return true;
}

bool CXQFPreferences::Save(bool force)
{
    if (!m_impl || !m_document) {
        m_saveError = m_name + ": the store was not loaded";
        return false;
    }
    if (!force && !m_dirty)
        return true;
    m_saveError.Clear();
    int lock = -1;
    if (!m_impl->Lock(m_name, m_scope, &lock)) {
        m_saveError = m_impl->LastError();
        return false;
    }
    const bool saved = SaveLocked();
    m_impl->Unlock(lock);
    if (!saved) {
        if (m_saveError.IsEmpty())
            m_saveError = m_impl->LastError();
        return false;
    }

    m_dirty = false;
    m_changed.clear();
    // Our own write must not look like a foreign change later.
    if (m_reloadOnChange)
        m_impl->GetModificationTime(m_name, m_scope, &m_stamp);
    return true;
}

bool CXQFPreferences::SaveLocked()
{
    // The file as the last writer left it; no other writer changes it while the lock is held.
    CXQFPreferences file(m_name, m_scope);
    CXQFTString errors;
    const bool loaded = file.Load(errors, false);
    if (!file.IsLoaded()) {
        // It cannot be read: it is not replaced by what this store holds alone.
        m_saveError = file.m_impl->LastError();
        return false;
    }
    if (loaded && file.ParseError().IsEmpty()) {
        if (!file.TakeChanges(*this)) {
            file.GetFilePath(&m_saveError);
            m_saveError.Append(": this store's changes do not fit what the file holds now");
            return false;
        }
        if (!file.WriteDocument()) {
            m_saveError = file.m_impl->LastError();
            return false;
        }
        m_document = std::move(file.m_document);
        m_index = std::move(file.m_index);
        return true;
    }

    // It does not parse, or holds entries this store cannot read: what it still holds is kept
    // aside before this store's document replaces it.
    CXQFTString path, copy;
    GetFilePath(&path);
    if (!m_impl->KeepCopy(m_name, m_scope, &copy)) {
        fprintf(stderr,
                "XQFPreferences: %s cannot be read as a store, and no copy of it could be kept; "
                "it is not overwritten.\n",
                path.CStr());
        m_saveError = path + ": it cannot be read as a store, and no copy of it could be kept (" +
                      m_impl->LastError() + ")";
        return false;
    }
    if (!copy.IsEmpty())
        fprintf(stderr,
                "XQFPreferences: %s cannot be read as a store and is replaced now; its former "
                "content is kept in %s\n",
                path.CStr(), copy.CStr());
    return WriteDocument();
}

bool CXQFPreferences::WriteDocument()
{
    SPreferenceFile* file =
        m_impl->Open(m_name, CXQFPreferencesImpl::kModeWrite, m_scope, true);
    if (!file || !file->handle) {
        m_impl->Close(file, false);
        return false;
    }
    bool printed = PrintPlist(*m_document, file->handle);
    bool committed = m_impl->Close(file, printed);
    return printed && committed;
}

bool CXQFPreferences::ReloadIfChanged()
{
    if (!m_document || m_dirty || !m_reloadOnChange)
        return true;
    uint32_t stamp = 0;
    if (!m_impl->GetModificationTime(m_name, m_scope, &stamp) || stamp == m_stamp)
        return true;
    CXQFTString scratch;
    return Load(scratch, true);
}

bool CXQFPreferences::ValidateDocument(CXQFTString& errors)
{
    XMLDocument& doc = *m_document;

    XMLNode* first = doc.FirstChild();
    if (!first || !first->ToDeclaration()) {
        Warn(__LINE__, "WARNING: No declaration found at the start. The declaration will be "
                       "recreated.\n");
        tinyxml2::XMLDeclaration* declaration =
            doc.NewDeclaration("xml version=\"1.0\" encoding=\"utf-8\"");
        if (!declaration || !doc.InsertFirstChild(declaration)) {
            errors.Append("Error: Failed to recreate the declaration.\n");
            return false;
        }
    }

    XMLElement* root = doc.FirstChildElement();
    if (!root) {
        Warn(__LINE__, "WARNING: No root <plist> tag found. Tag will be recreated.\n");
        root = doc.NewElement("plist");
        if (!root) {
            errors.Append("ERROR: Failed to recreate <plist> tag. Out of memory!\n");
            return false;
        }
        root->SetAttribute("version", "1.0");
        if (!doc.InsertEndChild(root)) {
            errors.Append("ERROR: Failed to link <plist> tag!\n");
            return false;
        }
    }

    XMLElement* dict = root->FirstChildElement();
    if (dict && NameIs(dict, kTagDict))
        return ValidateEntries(FirstRootEntry(), false, errors);

    Warn(__LINE__, "WARNING: No <dict> tag found. Tag will be recreated.\n");
    dict = doc.NewElement(PlistTag(kTagDict).CStr());
    if (!dict) {
        errors.Append("ERROR: Failed to recreate <dict> tag. Out of memory!\n");
        return false;
    }
    // First, not last: every accessor takes the root's first element as the root dictionary, so
    // a dictionary put after other content would be ignored and added again on every load.
    if (!root->InsertFirstChild(dict)) {
        errors.Append("ERROR: Failed to link <dict> tag!\n");
        return false;
    }
    return true;
}

bool CXQFPreferences::ValidateEntries(XMLElement* first, bool inArray, CXQFTString& errors)
{
    // The parser limits nesting, so the recursion into values stays shallow.
    for (XMLElement* element = first; element; element = element->NextSiblingElement()) {
        if (inArray) {
            if (NameIs(element, kTagKey)) {
                AppendFormatted(errors,
                                "ERROR: Array elements cannot contain a <key> tag! Line: %d\n",
                                element->GetLineNum());
                return false;
            }
            continue;
        }
        if (!NameIs(element, kTagKey)) {
            AppendFormatted(errors, "ERROR: Missing <key> tag on line: %d\n",
                            element->GetLineNum());
            return false;
        }
        XMLElement* value = element->NextSiblingElement();
        if (!value) {
            errors.Append("ERROR: Key missing value!");
            return false;
        }
        if (HashIs(value, kTagKey)) {
            AppendFormatted(errors, "ERROR: Key missing value on line: %d\n", value->GetLineNum());
            return false;
        }
        if (NameIs(value, kTagDict) && !ValidateEntries(value->FirstChildElement(), false, errors))
            return false;
        if (NameIs(value, kTagArray) && !ValidateEntries(value->FirstChildElement(), true, errors))
            return false;
        element = value;
    }
    return true;
}
