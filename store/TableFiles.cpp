#include "store/TableFiles.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <string>
#include <system_error>
#include <utility>

#include "store/AnsiText.h"
#include "store/FileDescriptor.h"
#include "store/FileLock.h"
#include "store/Table.h"

namespace tto::files {

bool FolderExists(const std::filesystem::path& folder) {
  std::error_code error;
  return std::filesystem::is_directory(folder, error);
}

std::vector<std::filesystem::path> FindCaseVariants(const std::filesystem::path& folder,
                                                    std::string_view fileName) {
  std::vector<std::filesystem::path> found;
  std::error_code error;
  std::filesystem::directory_iterator it(folder, error);
  if (error) return found;
  const std::string wanted = AnsiFoldCase(fileName);
  for (; it != std::filesystem::directory_iterator(); it.increment(error)) {
    if (error) break;
    const std::string name = it->path().filename().string();
    if (AnsiFoldCase(Utf8ToAnsi(name)) == wanted) found.push_back(it->path());
  }
  std::sort(found.begin(), found.end(),
            [&](const std::filesystem::path& a, const std::filesystem::path& b) {
              const bool aExact = Utf8ToAnsi(a.filename().string()) == fileName;
              const bool bExact = Utf8ToAnsi(b.filename().string()) == fileName;
              if (aExact != bExact) return aExact;
              return a.filename() < b.filename();
            });
  return found;
}

bool IsHeld(const std::filesystem::path& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  FileDescriptor descriptor(fd);
  struct flock lock {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  if (fcntl(fd, F_OFD_GETLK, &lock) != 0) return false;
  return lock.l_type != F_UNLCK;
}

bool MayWrite(const std::filesystem::path& path) {
  return ::access(path.c_str(), W_OK) == 0;
}

bool DeleteUnlessHeld(const std::filesystem::path& path) {
  try {
    // Holding our own lock while unlinking closes the gap between the check and the
    // deletion: nobody can take the table in between.
    std::optional<LockedFile> file = LockedFile::TryOpen(path, LockedFile::Mode::OpenExisting);
    if (!file) return false;
    if (::unlink(path.c_str()) != 0) return false;
    file->Close();
    return true;
  } catch (const FileError&) {
    return false;
  }
}

void DeleteFile(const std::filesystem::path& path) {
  if (::unlink(path.c_str()) != 0 && errno != ENOENT) throw FileError(errno, "unlink", path);
}

std::vector<std::uint8_t> ReadFileRange(const std::filesystem::path& path, std::uint64_t offset,
                                        std::size_t length) {
  FileDescriptor descriptor(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (descriptor.get() < 0) throw FileError(errno, "open", path);
  std::vector<std::uint8_t> bytes(length);
  std::size_t done = 0;
  while (done < length) {
    const ssize_t n = ::pread(descriptor.get(), bytes.data() + done, length - done,
                              static_cast<off_t>(offset + done));
    if (n < 0) {
      if (errno == EINTR) continue;
      throw FileError(errno, "read", path);
    }
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  bytes.resize(done);
  return bytes;
}

}  // namespace tto::files

namespace tto {

std::filesystem::path FindFileIgnoringCase(const std::filesystem::path& folder,
                                           std::string_view fileName) {
  const std::vector<std::filesystem::path> variants = files::FindCaseVariants(folder, fileName);
  return variants.empty() ? std::filesystem::path() : variants.front();
}

}  // namespace tto
