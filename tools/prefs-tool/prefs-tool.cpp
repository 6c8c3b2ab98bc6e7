// Shell access to a preference store, for checks and scripts:
//   prefs-tool [--all-users] get STORE KEY
//   prefs-tool [--all-users] set STORE KEY string|integer|bool|data VALUE
//   prefs-tool [--all-users] set STORE KEY array [ITEM...]
//   prefs-tool [--all-users] dump STORE
// get and set exit with the store's result code (0 done, 1 missing, 2 empty key, 3 wrong type,
// 4 not loaded, also for dump and get on a file that does not parse); 5 when saving failed, 64 for
// a usage error. Data values are given and shown in base64.
#include "Common/XQFPreferences/XQFBase64.h"
#include "Common/XQFPreferences/XQFPlistPrinter.h"
#include "Common/XQFPreferences/XQFPreferences.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kUsage = 64;
constexpr int kSaveFailed = 5;

int Usage()
{
    fprintf(stderr, "usage: prefs-tool [--all-users] get STORE KEY\n"
                    "       prefs-tool [--all-users] set STORE KEY string|integer|bool|data VALUE\n"
                    "       prefs-tool [--all-users] set STORE KEY array [ITEM...]\n"
                    "       prefs-tool [--all-users] dump STORE\n");
    return kUsage;
}

bool Load(CXQFPreferences& store)
{
    CXQFTString errors;
    bool ok = store.Load(errors, false);
    if (!errors.IsEmpty())
        fprintf(stderr, "%s%s", errors.CStr(), errors.CStr()[errors.Length() - 1] == '\n' ? "" : "\n");
    return ok;
}

// Reading commands show what the file holds: a file that does not parse is reported, not shown
// as the empty store the load puts in its place.
bool LoadToRead(CXQFPreferences& store)
{
    if (!Load(store))
        return false;
    if (store.ParseError().IsEmpty())
        return true;
    CXQFTString path;
    store.GetFilePath(&path);
    fprintf(stderr, "prefs-tool: %s does not parse: %s\n", path.CStr(), store.ParseError().CStr());
    return false;
}

// Tries the types in turn: the store has no query for an entry's type.
int Get(CXQFPreferences& store, const CXQFTString& key)
{
    CXQFTString text;
    int result = store.GetString(key, &text);
    if (result == CXQFPreferences::kDone) {
        printf("%s\n", text.CStr());
        return result;
    }
    if (result != CXQFPreferences::kWrongType)
        return result;
    uint32_t number = 0;
    if ((result = store.GetInteger(key, &number)) != CXQFPreferences::kWrongType) {
        if (result == CXQFPreferences::kDone)
            printf("%u\n", number);
        return result;
    }
    bool flag = false;
    if ((result = store.GetBool(key, &flag)) != CXQFPreferences::kWrongType) {
        if (result == CXQFPreferences::kDone)
            printf("%s\n", flag ? "true" : "false");
        return result;
    }
    CXQFTArray<CXQFTString> items;
    if ((result = store.GetStringArray(key, &items)) != CXQFPreferences::kWrongType) {
        for (uint32_t i = 0; result == CXQFPreferences::kDone && i < items.size; ++i)
            printf("%s\n", items[i].CStr());
        return result;
    }
    void* data = nullptr;
    uint32_t size = 0;
    if ((result = store.GetData(key, &data, &size)) == CXQFPreferences::kDone) {
        std::string base64;
        EncodeBase64(data, size, &base64);
        fputs(base64.c_str(), stdout);
        free(data);
    }
    return result;
}

int Set(CXQFPreferences& store, const CXQFTString& key, const char* type, int count,
        char** values)
{
    int result = kUsage;
    if (strcmp(type, "array") == 0) {
        CXQFTArray<CXQFTString> items;
        for (int i = 0; i < count; ++i)
            items.Append(CXQFTString(values[i]));
        result = store.SetStringArray(key, items);
    } else if (count != 1) {
        return Usage();
    } else if (strcmp(type, "string") == 0) {
        result = store.SetString(key, values[0]);
    } else if (strcmp(type, "integer") == 0) {
        char* end = nullptr;
        unsigned long long value = strtoull(values[0], &end, 10);
        if (!*values[0] || *end || value > UINT32_MAX || values[0][0] == '-')
            return Usage();
        result = store.SetInteger(key, uint32_t(value));
    } else if (strcmp(type, "bool") == 0) {
        bool on = strcmp(values[0], "true") == 0;
        if (!on && strcmp(values[0], "false") != 0)
            return Usage();
        result = store.SetBool(key, on);
    } else if (strcmp(type, "data") == 0) {
        std::vector<char> bytes;
        if (!DecodeBase64(values[0], &bytes) || bytes.size() > UINT32_MAX)
            return Usage();
        result = store.SetData(key, bytes.data(), uint32_t(bytes.size()));
    } else {
        return Usage();
    }
    if (result != CXQFPreferences::kDone)
        return result;
    if (!store.Save(false)) {
        fprintf(stderr, "prefs-tool: saving failed: %s\n", store.SaveError().CStr());
        return kSaveFailed;
    }
    return result;
}

} // namespace

int main(int argc, char** argv)
{
    int arg = 1;
    uint32_t scope = CXQFPreferences::kScopeUser;
    if (arg < argc && strcmp(argv[arg], "--all-users") == 0) {
        scope = CXQFPreferences::kScopeAllUsers;
        ++arg;
    }
    if (argc - arg < 2)
        return Usage();
    const char* command = argv[arg];
    CXQFPreferences store(CXQFTString(argv[arg + 1]), scope);
    int rest = argc - arg - 2;
    char** params = argv + arg + 2;

    if (strcmp(command, "dump") == 0 && rest == 0) {
        if (!LoadToRead(store))
            return CXQFPreferences::kNotLoaded;
        PrintPlist(*store.Document(), stdout);
        return 0;
    }
    if (strcmp(command, "get") == 0 && rest == 1) {
        if (!LoadToRead(store))
            return CXQFPreferences::kNotLoaded;
        return Get(store, CXQFTString(params[0]));
    }
    if (strcmp(command, "set") == 0 && rest >= 2) {
        if (!Load(store))
            return CXQFPreferences::kNotLoaded;
        return Set(store, CXQFTString(params[0]), params[1], rest - 2, params + 2);
    }
    return Usage();
}
