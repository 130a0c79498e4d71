// The lists' contents from GetLogicalDrives, GetFullPathNameW and FindFirstFileW.
#include "folder_lists.h"

#include <windows.h>

#include <algorithm>

#include "form/package_form.h"
#include "maker/picture_reader.h"
#include "wide.h"

namespace klv::win32 {
namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

std::wstring FullPath(const std::wstring& path) {
  const DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (size == 0) return std::wstring();
  std::wstring full(size, L'\0');
  const DWORD length = GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
  if (length == 0 || length >= size) return std::wstring();
  full.resize(length);
  return full;
}

// True for a drive's root: "C:\".
bool IsRoot(const std::wstring& path) {
  return path.size() == 3 && path[1] == L':' && IsSeparator(path[2]);
}

std::wstring Join(const std::wstring& folder, const std::wstring& name) {
  if (!folder.empty() && IsSeparator(folder.back())) return folder + name;
  return folder + L'\\' + name;
}

bool NameLess(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                              static_cast<int>(b.size()), TRUE) == CSTR_LESS_THAN;
}

// Every entry of `folder` that `keep` takes, by name.
template <typename Keep>
std::vector<std::wstring> Entries(const std::wstring& folder, Keep keep) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(Join(folder, L"*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    const std::wstring name = found.cFileName;
    if (name != L"." && name != L".." && keep(found)) names.push_back(name);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  std::sort(names.begin(), names.end(), NameLess);
  return names;
}

bool IsPictureName(const std::wstring& name) {
  for (const std::string& extension : ReadablePictureExtensions()) {
    if (name.size() <= extension.size()) continue;
    const size_t start = name.size() - extension.size();
    bool same = true;
    for (size_t i = 0; i < extension.size() && same; ++i) {
      const wchar_t c = name[start + i];
      const wchar_t lower = c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
      same = lower == static_cast<wchar_t>(extension[i]);
    }
    if (same) return true;
  }
  return false;
}

}  // namespace

std::wstring WorkingFolder() {
  const DWORD size = GetCurrentDirectoryW(0, nullptr);
  std::wstring folder(size, L'\0');
  const DWORD length = GetCurrentDirectoryW(size, folder.data());
  folder.resize(length < size ? length : 0);
  return folder;
}

std::vector<std::wstring> DriveNames() {
  std::vector<std::wstring> names;
  const DWORD drives = GetLogicalDrives();
  for (int letter = 0; letter < 26; ++letter) {
    if ((drives & (1u << letter)) != 0) {
      names.push_back(std::wstring(1, static_cast<wchar_t>(L'A' + letter)) + L":");
    }
  }
  return names;
}

std::wstring DriveOfPath(const std::wstring& path) {
  if (path.size() < 2 || path[1] != L':') return std::wstring();
  wchar_t letter = path[0];
  if (letter >= L'a' && letter <= L'z') letter = static_cast<wchar_t>(letter - L'a' + L'A');
  return std::wstring(1, letter) + L":";
}

std::wstring CurrentFolderOfDrive(const std::wstring& drive) {
  // "C:" alone names the drive's current folder.
  const std::wstring folder = FullPath(drive);
  return folder.empty() ? drive + L"\\" : folder;
}

std::optional<std::wstring> OpenableFolder(const std::wstring& path) {
  if (path.empty()) return std::nullopt;
  std::wstring full = FullPath(path);
  if (full.empty()) return std::nullopt;
  while (full.size() > 1 && IsSeparator(full.back()) && !IsRoot(full)) full.pop_back();
  const DWORD attributes = GetFileAttributesW(full.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    return std::nullopt;
  }
  // A folder whose entries cannot be read cannot be shown.
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(Join(full, L"*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return std::nullopt;
  FindClose(search);
  return full;
}

std::vector<FolderLine> FolderLines(const std::wstring& folder, size_t* current) {
  std::vector<FolderLine> lines;
  // The root ("C:\"), then each folder down the path.
  const size_t root_length = folder.size() >= 3 && folder[1] == L':' ? 3 : 0;
  std::wstring walked = folder.substr(0, root_length);
  lines.push_back({walked, walked, 0});
  size_t start = root_length;
  int level = 0;
  while (start < folder.size()) {
    size_t end = start;
    while (end < folder.size() && !IsSeparator(folder[end])) ++end;
    if (end > start) {
      const std::wstring name = folder.substr(start, end - start);
      walked = Join(walked, name);
      lines.push_back({name, walked, ++level});
    }
    start = end + 1;
  }
  *current = lines.size() - 1;
  const std::vector<std::wstring> subfolders = Entries(folder, [](const WIN32_FIND_DATAW& entry) {
    const DWORD hidden = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    return (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
           (entry.dwFileAttributes & hidden) == 0;
  });
  for (const std::wstring& name : subfolders)
    lines.push_back({name, Join(folder, name), level + 1});
  return lines;
}

std::vector<std::wstring> ListedFiles(const std::wstring& folder) {
  return Entries(folder, [](const WIN32_FIND_DATAW& entry) {
    return (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
           (IsPictureName(entry.cFileName) || form::IsPackageName(Utf8(entry.cFileName)));
  });
}

}  // namespace klv::win32
