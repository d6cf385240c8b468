#include "store/FileLock.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace tto::files {

namespace {

// Takes a lock of the given type on the whole file; false when another opener holds one.
bool TryLock(int fd, short type, const std::filesystem::path& path) {
  struct flock lock {};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  lock.l_start = 0;
  lock.l_len = 0;  // to the end, however the file grows
  if (fcntl(fd, F_OFD_SETLK, &lock) == 0) return true;
  const int error = errno;
  if (error == EAGAIN || error == EACCES) return false;
  throw FileError(error, "lock", path);
}

}  // namespace

FileError::FileError(int error, const std::string& operation, const std::filesystem::path& path)
    : std::system_error(error, std::generic_category(), operation + " " + path.string()),
      operation_(operation),
      path_(path) {}

std::optional<LockedFile> LockedFile::TryOpen(const std::filesystem::path& path, Mode mode) {
  const int createFlag = mode == Mode::CreateIfMissing ? O_CREAT : 0;
  bool readOnly = false;
  int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC | createFlag, 0666);
  if (fd < 0 && (errno == EACCES || errno == EROFS) && mode == Mode::OpenExisting) {
    fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    readOnly = true;
  }
  if (fd < 0) throw FileError(errno, "open", path);
  struct stat info {};
  if (fstat(fd, &info) != 0) {
    const int error = errno;
    ::close(fd);
    throw FileError(error, "stat", path);
  }
  if (!S_ISREG(info.st_mode)) {  // a table is a plain file, never a device or a folder
    ::close(fd);
    throw FileError(EISDIR, "open", path);
  }
  try {
    if (!TryLock(fd, readOnly ? F_RDLCK : F_WRLCK, path)) {
      ::close(fd);
      return std::nullopt;
    }
  } catch (...) {
    ::close(fd);
    throw;
  }
  return LockedFile(fd, path, readOnly);
}

LockedFile::LockedFile(int fd, std::filesystem::path path, bool readOnly)
    : fd_(fd), path_(std::move(path)), readOnly_(readOnly) {}

LockedFile::LockedFile(LockedFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      path_(std::move(other.path_)),
      readOnly_(other.readOnly_) {}

LockedFile& LockedFile::operator=(LockedFile&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = std::exchange(other.fd_, -1);
    path_ = std::move(other.path_);
    readOnly_ = other.readOnly_;
  }
  return *this;
}

LockedFile::~LockedFile() {
  if (fd_ >= 0) ::close(fd_);
}

std::uint64_t LockedFile::Size() const {
  struct stat info {};
  if (fstat(fd_, &info) != 0) throw FileError(errno, "stat", path_);
  return static_cast<std::uint64_t>(info.st_size);
}

std::size_t LockedFile::ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const {
  std::size_t done = 0;
  while (done < out.size()) {
    const ssize_t n =
        ::pread(fd_, out.data() + done, out.size() - done, static_cast<off_t>(offset + done));
    if (n < 0) {
      if (errno == EINTR) continue;
      throw FileError(errno, "read", path_);
    }
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  return done;
}

void LockedFile::WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n =
        ::pwrite(fd_, bytes.data() + done, bytes.size() - done, static_cast<off_t>(offset + done));
    if (n < 0) {
      if (errno == EINTR) continue;
      throw FileError(errno, "write", path_);
    }
    done += static_cast<std::size_t>(n);
  }
}

void LockedFile::Truncate(std::uint64_t size) {
  if (::ftruncate(fd_, static_cast<off_t>(size)) != 0) throw FileError(errno, "truncate", path_);
}

void LockedFile::Close() {
  if (fd_ < 0) return;
  const int fd = std::exchange(fd_, -1);
  if (::close(fd) != 0 && errno != EINTR) throw FileError(errno, "close", path_);
}

}  // namespace tto::files
