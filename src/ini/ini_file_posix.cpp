#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <string>

#include "ini/file_io.h"
#include "ini/ini_file.h"

namespace tarsil::ini {

namespace {

FileStatus failure(const char* verb, const std::filesystem::path& path, int error) {
  return FileStatus{std::string(verb) + " " + pathText(path) + ": " + std::strerror(error)};
}

// Closes the descriptor it holds when it goes out of scope.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  // Closes now, so that a failing close can be reported.
  bool close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

bool writeAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

// A name no other writer uses at the same time: the process id and a counter.
std::filesystem::path temporaryPath(const std::filesystem::path& target) {
  static std::atomic<unsigned> counter{0};
  std::filesystem::path temporary = target;
  temporary += ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
  return temporary;
}

}  // namespace

namespace detail {

FileBytes readWholeFile(const std::filesystem::path& path) {
  FileBytes result;
  // Without blocking: opening a FIFO for reading would wait for a writer.
  // Whatever is no regular file is refused below, before a byte is read.
  Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
  if (file.get() < 0) {
    // A missing folder on the way reads as a missing file, as on Windows.
    if (errno != ENOENT && errno != ENOTDIR) result.status = failure("Cannot read", path, errno);
    return result;
  }
  struct stat info {};
  if (::fstat(file.get(), &info) != 0) {
    result.status = failure("Cannot read", path, errno);
    return result;
  }
  if (S_ISDIR(info.st_mode)) {
    result.status = {"Cannot read " + pathText(path) + ": it is a folder, not a file"};
    return result;
  }
  if (!S_ISREG(info.st_mode)) {
    result.status = {"Cannot read " + pathText(path) +
                     ": it is not a regular file (a pipe, socket or device)"};
    return result;
  }
  char buffer[65536];
  for (;;) {
    const ssize_t count = ::read(file.get(), buffer, sizeof buffer);
    if (count == 0) break;
    if (count < 0) {
      if (errno == EINTR) continue;
      result.status = failure("Cannot read", path, errno);
      result.bytes.clear();
      return result;
    }
    result.bytes.append(buffer, static_cast<std::size_t>(count));
  }
  result.exists = true;
  return result;
}

}  // namespace detail

FileStatus writeFileAtomically(const std::filesystem::path& path, std::string_view bytes) {
  std::filesystem::path temporary;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temporary = temporaryPath(path);
    fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) return failure("Cannot write", path, errno);
  Descriptor file(fd);

  const auto fail = [&](int error) {
    if (file.get() >= 0) file.close();
    ::unlink(temporary.c_str());
    return failure("Cannot write", path, error);
  };
  // A replaced file keeps who may read it.
  struct stat old {};
  if (::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
    ::fchmod(file.get(), old.st_mode & 07777);
  }
  if (!writeAll(file.get(), bytes)) return fail(errno);
  if (::fsync(file.get()) != 0) return fail(errno);
  if (!file.close()) return fail(errno);
  if (::rename(temporary.c_str(), path.c_str()) != 0) return fail(errno);

  // The rename itself lasts only once the folder is on disk too.
  std::filesystem::path folder = path.parent_path();
  if (folder.empty()) folder = ".";
  Descriptor directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (directory.get() >= 0) ::fsync(directory.get());
  return {};
}

}  // namespace tarsil::ini
