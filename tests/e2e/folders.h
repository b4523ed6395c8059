// Test folders on disk, made and read with plain Win32 calls so that non-ASCII names are exact.
#pragma once

#include <windows.h>

#include <ostream>
#include <string>
#include <vector>

namespace e2e {

// A fresh folder C:\kf_e2e\<this process id>\<name>, removed with all it holds when this goes away.
class TempFolder {
  public:
    explicit TempFolder(const std::wstring &name);
    ~TempFolder();
    TempFolder(const TempFolder &) = delete;
    TempFolder &operator=(const TempFolder &) = delete;

    bool valid() const { return valid_; }
    // The folder's path, without a trailing backslash.
    const std::wstring &path() const { return path_; }
    std::wstring operator/(const std::wstring &name) const { return path_ + L"\\" + name; }

  private:
    std::wstring path_;
    bool valid_;
};

// Writes a file (replacing one that exists) and then gives it `attributes`.
bool write_file(const std::wstring &path, const std::string &bytes, DWORD attributes = FILE_ATTRIBUTE_NORMAL);
bool exists(const std::wstring &path);
// Removes a file or a folder with everything in it, read-only entries included.
bool remove_tree(const std::wstring &path);

// One entry of a folder tree as found on disk, with the bytes of a file.
struct DiskEntry {
    std::wstring path; // relative to the folder that was read
    DWORD attributes;
    std::string bytes;
    bool operator==(const DiskEntry &other) const {
        return path == other.path && attributes == other.attributes && bytes == other.bytes;
    }
};
void PrintTo(const DiskEntry &entry, std::ostream *out);
// Everything under `folder`, recursively, in the order the file system lists it.
std::vector<DiskEntry> read_tree(const std::wstring &folder);

// The names of the files (not folders) directly in `folder`, in the order the file system lists them.
std::vector<std::wstring> file_names(const std::wstring &folder);

// What the three lists are to hold for `folder`, in the order the file system lists its files.
struct Classified {
    std::vector<std::wstring> junk; // full paths
    std::vector<std::wstring> mp3;  // names
    std::vector<std::wstring> other;
};
Classified classify_folder(const std::wstring &folder);

// A file's bytes; "<unreadable>" if it cannot be read.
std::string read_file(const std::wstring &path);

// For failure messages.
std::string utf8(const std::wstring &text);
// UTF-8 bytes as the window system decodes them; the empty text for bytes that are not UTF-8.
std::wstring from_utf8(const std::string &bytes);

} // namespace e2e
