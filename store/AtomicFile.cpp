#include "store/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <random>
#include <string>

#include "store/AnsiText.h"
#include "store/FileDescriptor.h"
#include "store/RunError.h"

namespace tto {
namespace {

namespace fs = std::filesystem;

[[noreturn]] void Fail(std::string_view failureText, const fs::path& target) {
  std::string text(failureText);
  if (const auto at = text.find("%s"); at != std::string::npos) {
    text.replace(at, 2, PathToAnsi(target));
  }
  throw RunError(text);
}

// The file a path finally names, through any chain of symbolic links (a dangling link
// names the file it would create).
fs::path FollowLinks(fs::path path) {
  std::error_code error;
  for (int hops = 0; hops < 40 && fs::is_symlink(fs::symlink_status(path, error)); ++hops) {
    const fs::path next = fs::read_symlink(path, error);
    if (error) break;
    path = next.is_absolute() ? next : path.parent_path() / next;
  }
  return path;
}

bool WriteAll(int fd, std::string_view bytes) {
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

// A new file beside target with a name no one else uses; created with the usual mode
// (0666 less the umask), as the file itself would have been.
std::pair<fs::path, int> CreateTemporaryBeside(const fs::path& target) {
  static std::mt19937_64 random{std::random_device{}()};
  const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
  const std::string stem = target.filename().string().substr(0, 200);  // room in NAME_MAX
  for (int attempt = 0; attempt < 100; ++attempt) {
    const fs::path candidate =
        folder / ("." + stem + ".tmp" + std::to_string(random() % 1000000000));
    const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) return {candidate, fd};
    if (errno != EEXIST) break;
  }
  return {{}, -1};
}

void SyncFolder(const fs::path& folder) {
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);  // best effort: the rename is done either way
    ::close(fd);
  }
}

}  // namespace

void WriteFileAtomically(const fs::path& target, std::span<const std::uint8_t> bytes,
                         std::string_view failureText) {
  WriteFileAtomically(target,
                      std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()),
                      failureText);
}

void WriteFileAtomically(const fs::path& target, std::string_view bytes,
                         std::string_view failureText) {
  const fs::path file = FollowLinks(target);
  struct stat existing {};
  const bool exists = ::stat(file.c_str(), &existing) == 0;
  // A read-only file is not replaced behind its owner's back: Windows refuses to write it.
  if (exists && (!S_ISREG(existing.st_mode) || ::access(file.c_str(), W_OK) != 0)) {
    Fail(failureText, target);
  }

  auto [temporary, fd] = CreateTemporaryBeside(file);
  if (fd < 0) Fail(failureText, target);
  FileDescriptor descriptor(fd);
  bool written = true;
  if (exists) {
    written = ::fchmod(fd, existing.st_mode & 07777) == 0;
    // Keeps the owner where we may (root writing a user's file); failing that is harmless.
    if (::fchown(fd, existing.st_uid, existing.st_gid) != 0) errno = 0;
  }
  written = written && WriteAll(fd, bytes) && ::fsync(fd) == 0;
  written = descriptor.Close() && written;
  if (!written || ::rename(temporary.c_str(), file.c_str()) != 0) {
    ::unlink(temporary.c_str());
    Fail(failureText, target);
  }
  SyncFolder(file.parent_path());
}

}  // namespace tto
