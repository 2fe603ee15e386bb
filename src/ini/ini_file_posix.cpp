#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
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

// Where a write to `path` lands: a symbolic link is followed to its final
// target, so that the target is replaced and the link stays a link. A
// relative link is relative to the folder it lives in.
bool resolveLinks(const std::filesystem::path& path, std::filesystem::path& target, int& error) {
  target = path;
  for (int hops = 0; hops < 40; ++hops) {
    struct stat info {};
    if (::lstat(target.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return true;
    std::string link(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : 4096), '\0');
    const ssize_t length = ::readlink(target.c_str(), link.data(), link.size());
    if (length < 0) {
      error = errno;
      return false;
    }
    link.resize(static_cast<std::size_t>(length));
    const std::filesystem::path next(link);
    target = next.is_absolute() ? next : target.parent_path() / next;
  }
  error = ELOOP;
  return false;
}

}  // namespace

namespace detail {

FileBytes readWholeFile(const std::filesystem::path& path, std::uint64_t maxBytes) {
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
  const auto size = static_cast<std::uint64_t>(info.st_size);
  if (size > maxBytes) {
    result.oversize = size;
    return result;
  }
  result.bytes.reserve(static_cast<std::size_t>(size));
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
  const auto id = static_cast<pid_t>(process);
  if (id <= 0 || static_cast<unsigned long>(id) != process) return false;
  return ::kill(id, 0) == 0 || errno == EPERM;
}

unsigned long currentProcess() { return static_cast<unsigned long>(::getpid()); }

}  // namespace detail

FileStatus writeFileAtomically(const std::filesystem::path& path, std::string_view bytes) {
  std::filesystem::path target;
  int error = 0;
  if (!resolveLinks(path, target, error)) return failure("Cannot write", path, error);

  // A replaced file keeps who may read it. One that nobody may write is
  // read-only, as Windows has it, also for root: it stays as it is.
  struct stat old {};
  const bool exists = ::stat(target.c_str(), &old) == 0;
  if (exists && S_ISDIR(old.st_mode)) {
    return {"Cannot write " + pathText(path) + ": it is a folder, not a file"};
  }
  if (exists && !S_ISREG(old.st_mode)) {
    return {"Cannot write " + pathText(path) +
            ": it is not a regular file (a pipe, socket or device)"};
  }
  if (exists && (old.st_mode & 0222) == 0) {
    return {"Cannot write " + pathText(path) + ": the file is read-only"};
  }

  detail::removeStaleTemporaries(target);
  const std::filesystem::path temporary =
      detail::temporaryPathFor(target, detail::currentProcess());
  ::unlink(temporary.c_str());
  Descriptor file(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
  if (file.get() < 0) return failure("Cannot write", path, errno);

  const auto fail = [&](int code) {
    if (file.get() >= 0) file.close();
    ::unlink(temporary.c_str());
    return failure("Cannot write", path, code);
  };
  if (exists) ::fchmod(file.get(), old.st_mode & 07777);
  if (!writeAll(file.get(), bytes)) return fail(errno);
  if (::fsync(file.get()) != 0) return fail(errno);
  if (!file.close()) return fail(errno);
  if (::rename(temporary.c_str(), target.c_str()) != 0) return fail(errno);

  // The rename itself lasts only once the folder is on disk too.
  std::filesystem::path folder = target.parent_path();
  if (folder.empty()) folder = ".";
  Descriptor directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (directory.get() >= 0) ::fsync(directory.get());
  return {};
}

}  // namespace tarsil::ini
