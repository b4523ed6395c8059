#include "tests/e2e/folders.h"

namespace e2e {

namespace {

const wchar_t *const ROOT = L"C:\\kf_e2e";

// Paths of MAX_PATH and longer need the \\?\ form on Windows.
std::wstring long_form(const std::wstring &path) {
    return path.size() < MAX_PATH || path.compare(0, 4, L"\\\\?\\") == 0 ? path : L"\\\\?\\" + path;
}

bool is_dot_entry(const WIN32_FIND_DATAW &entry) {
    return wcscmp(entry.cFileName, L".") == 0 || wcscmp(entry.cFileName, L"..") == 0;
}

// Calls `visit` for every entry of `folder` but "." and "..", in file-system order.
template <typename Visit> void for_each_entry(const std::wstring &folder, Visit visit) {
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        if (!is_dot_entry(entry))
            visit(entry);
    } while (FindNextFileW(search, &entry));
    FindClose(search);
}

void read_tree_into(const std::wstring &folder, const std::wstring &relative,
                    std::vector<DiskEntry> &entries) {
    for_each_entry(folder, [&](const WIN32_FIND_DATAW &entry) {
        std::wstring name = relative + entry.cFileName;
        std::wstring full = folder + L"\\" + entry.cFileName;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            entries.push_back({name + L"\\", entry.dwFileAttributes, std::string()});
            read_tree_into(full, name + L"\\", entries);
        } else {
            entries.push_back({name, entry.dwFileAttributes, read_file(full)});
        }
    });
}

} // namespace

std::string read_file(const std::wstring &path) {
    HANDLE file = CreateFileW(long_form(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return "<unreadable>";
    std::string bytes;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0)
        bytes.append(chunk, got);
    CloseHandle(file);
    return bytes;
}

TempFolder::TempFolder(const std::wstring &name)
    : path_(std::wstring(ROOT) + L"\\" + std::to_wstring(GetCurrentProcessId()) + L"\\" + name),
      valid_(false) {
    CreateDirectoryW(ROOT, nullptr);
    CreateDirectoryW((std::wstring(ROOT) + L"\\" + std::to_wstring(GetCurrentProcessId())).c_str(), nullptr);
    remove_tree(path_);
    valid_ = CreateDirectoryW(path_.c_str(), nullptr) != 0;
}

TempFolder::~TempFolder() {
    remove_tree(path_);
    // The parents go too once no other folder of this run is left in them.
    RemoveDirectoryW((std::wstring(ROOT) + L"\\" + std::to_wstring(GetCurrentProcessId())).c_str());
    RemoveDirectoryW(ROOT);
}

bool write_file(const std::wstring &path, const std::string &bytes, DWORD attributes) {
    std::wstring target = long_form(path);
    SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
    HANDLE file =
        CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
              written == bytes.size();
    ok = CloseHandle(file) && ok;
    return ok && (attributes == FILE_ATTRIBUTE_NORMAL || SetFileAttributesW(target.c_str(), attributes));
}

bool exists(const std::wstring &path) {
    return GetFileAttributesW(long_form(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool remove_tree(const std::wstring &path) {
    std::wstring target = long_form(path);
    DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return true;
    SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return DeleteFileW(target.c_str()) != 0;
    bool ok = true;
    for_each_entry(
        path, [&](const WIN32_FIND_DATAW &entry) { ok = remove_tree(path + L"\\" + entry.cFileName) && ok; });
    return RemoveDirectoryW(target.c_str()) && ok;
}

void PrintTo(const DiskEntry &entry, std::ostream *out) {
    *out << "\"" << utf8(entry.path) << "\" attributes 0x" << std::hex << entry.attributes << std::dec << ", "
         << entry.bytes.size() << " bytes";
}

std::vector<DiskEntry> read_tree(const std::wstring &folder) {
    std::vector<DiskEntry> entries;
    read_tree_into(folder, std::wstring(), entries);
    return entries;
}

std::vector<std::wstring> file_names(const std::wstring &folder) {
    std::vector<std::wstring> names;
    for_each_entry(folder, [&](const WIN32_FIND_DATAW &entry) {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(entry.cFileName);
    });
    return names;
}

Classified classify_folder(const std::wstring &folder) {
    auto ends_with = [](const std::wstring &name, const std::wstring &suffix) {
        return name.size() >= suffix.size() &&
               name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
    };
    Classified expected;
    for (const std::wstring &name : file_names(folder)) {
        if (ends_with(name, L".mp3_work.mp3"))
            expected.junk.push_back(folder + L"\\" + name);
        else if (ends_with(name, L".mp3"))
            expected.mp3.push_back(name);
        else
            expected.other.push_back(name);
    }
    return expected;
}

std::string utf8(const std::wstring &text) {
    int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                    nullptr, nullptr);
    std::string result(static_cast<size_t>(bytes > 0 ? bytes : 0), '\0');
    if (bytes > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &result[0], bytes,
                            nullptr, nullptr);
    return result;
}

std::wstring from_utf8(const std::string &bytes) {
    int chars = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(),
                                    static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(chars > 0 ? chars : 0), L'\0');
    if (chars > 0)
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()),
                            &text[0], chars);
    return text;
}

} // namespace e2e
