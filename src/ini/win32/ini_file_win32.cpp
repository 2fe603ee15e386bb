#include <windows.h>

#include <algorithm>
#include <string>

#include "ini/file_io.h"
#include "ini/ini_file.h"

namespace tarsil::ini {

namespace {

std::string toUtf8(const std::wstring& wide) {
  if (wide.empty()) return {};
  const int inLength = static_cast<int>(wide.size());
  const int length =
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), inLength, nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<std::size_t>(std::max(length, 0)), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), inLength, narrow.data(), length, nullptr, nullptr);
  return narrow;
}

// The system's own sentence for an error code, without its final period.
std::string Reason(DWORD error) {
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring reason(text != nullptr ? text : L"", length);
  if (text != nullptr) LocalFree(text);
  while (!reason.empty() && (reason.back() == L'\r' || reason.back() == L'\n' ||
                             reason.back() == L' ' || reason.back() == L'.')) {
    reason.pop_back();
  }
  if (reason.empty()) return "error " + std::to_string(error);
  return toUtf8(reason);
}

FileStatus failure(const char* verb, const std::filesystem::path& path, DWORD error) {
  return FileStatus{std::string(verb) + " " + pathText(path) + ": " + Reason(error)};
}

// Closes the handle it holds when it goes out of scope.
class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  ~Handle() { close(); }
  HANDLE get() const { return handle_; }
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  bool close() {
    const HANDLE handle = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    return handle == INVALID_HANDLE_VALUE || CloseHandle(handle) != 0;
  }

 private:
  HANDLE handle_;
};

bool writeAll(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), chunk, &written, nullptr)) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

// Where a write to `path` lands: a symbolic link is followed to its final
// target, so that the target is replaced and the link stays a link.
std::filesystem::path finalPath(const std::filesystem::path& path) {
  Handle file(CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                          nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!file.valid()) return path;
  std::wstring final(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        GetFinalPathNameByHandleW(file.get(), final.data(), static_cast<DWORD>(final.size()), 0);
    if (length == 0) return path;
    if (length < final.size()) {
      final.resize(length);
      return final;
    }
    final.resize(length + 1);
  }
}

}  // namespace

namespace detail {

FileBytes readWholeFile(const std::filesystem::path& path, std::uint64_t maxBytes) {
  FileBytes result;
  // Opening a folder fails with "Access denied", which would say nothing
  // about what is wrong.
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    result.status = {"Cannot read " + pathText(path) + ": it is a folder, not a file"};
    return result;
  }
  Handle file(CreateFileW(path.c_str(), GENERIC_READ,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) {
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) {
      result.status = failure("Cannot read", path, error);
    }
    return result;
  }
  if (GetFileType(file.get()) != FILE_TYPE_DISK) {
    result.status = {"Cannot read " + pathText(path) +
                     ": it is not a regular file (a pipe or device)"};
    return result;
  }
  LARGE_INTEGER size{};
  if (GetFileSizeEx(file.get(), &size)) {
    if (static_cast<std::uint64_t>(size.QuadPart) > maxBytes) {
      result.oversize = static_cast<std::uint64_t>(size.QuadPart);
      return result;
    }
    result.bytes.reserve(static_cast<std::size_t>(size.QuadPart));
  }
  char buffer[65536];
  for (;;) {
    DWORD count = 0;
    if (!ReadFile(file.get(), buffer, sizeof buffer, &count, nullptr)) {
      result.status = failure("Cannot read", path, GetLastError());
      result.bytes.clear();
      return result;
    }
    if (count == 0) break;
    result.bytes.append(buffer, count);
    if (result.bytes.size() > maxBytes) {  // it grew while being read
      result.oversize = result.bytes.size();
      result.bytes.clear();
      return result;
    }
  }
  result.exists = true;
  return result;
}

}  // namespace detail

namespace detail {

bool processIsRunning(unsigned long process) {
  const HANDLE handle =
      OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(process));
  if (handle == nullptr) return GetLastError() == ERROR_ACCESS_DENIED;
  DWORD code = 0;
  const bool running = GetExitCodeProcess(handle, &code) && code == STILL_ACTIVE;
  CloseHandle(handle);
  return running;
}

unsigned long currentProcess() { return GetCurrentProcessId(); }

}  // namespace detail

FileStatus writeFileAtomically(const std::filesystem::path& path, std::string_view bytes) {
  const std::filesystem::path target = finalPath(path);
  const DWORD attributes = GetFileAttributesW(target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return {"Cannot write " + pathText(path) + ": it is a folder, not a file"};
  }
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    return {"Cannot write " + pathText(path) + ": the file is read-only"};
  }

  detail::removeStaleTemporaries(target);
  const std::filesystem::path temporary =
      detail::temporaryPathFor(target, detail::currentProcess());
  DeleteFileW(temporary.c_str());
  Handle file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return failure("Cannot write", path, GetLastError());

  const auto fail = [&](DWORD error) {
    file.close();
    DeleteFileW(temporary.c_str());
    return failure("Cannot write", path, error);
  };
  if (!writeAll(file.get(), bytes)) return fail(GetLastError());
  if (!FlushFileBuffers(file.get())) return fail(GetLastError());
  if (!file.close()) return fail(GetLastError());
  if (!MoveFileExW(temporary.c_str(), target.c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return fail(GetLastError());
  }
  return {};
}

}  // namespace tarsil::ini
