#include <windows.h>

#include <algorithm>
#include <atomic>
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

std::filesystem::path temporaryPath(const std::filesystem::path& target) {
  static std::atomic<unsigned> counter{0};
  std::filesystem::path temporary = target;
  temporary += L".tmp" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(counter++);
  return temporary;
}

}  // namespace

namespace detail {

FileBytes readWholeFile(const std::filesystem::path& path) {
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
  }
  result.exists = true;
  return result;
}

}  // namespace detail

FileStatus writeFileAtomically(const std::filesystem::path& path, std::string_view bytes) {
  std::filesystem::path temporary;
  HANDLE created = INVALID_HANDLE_VALUE;
  for (int attempt = 0; attempt < 100 && created == INVALID_HANDLE_VALUE; ++attempt) {
    temporary = temporaryPath(path);
    created = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
    if (created == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) break;
  }
  if (created == INVALID_HANDLE_VALUE) return failure("Cannot write", path, GetLastError());
  Handle file(created);

  const auto fail = [&](DWORD error) {
    file.close();
    DeleteFileW(temporary.c_str());
    return failure("Cannot write", path, error);
  };
  if (!writeAll(file.get(), bytes)) return fail(GetLastError());
  if (!FlushFileBuffers(file.get())) return fail(GetLastError());
  if (!file.close()) return fail(GetLastError());
  if (!MoveFileExW(temporary.c_str(), path.c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return fail(GetLastError());
  }
  return {};
}

}  // namespace tarsil::ini
