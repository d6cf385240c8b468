#pragma once

// An open file that holds an exclusive lock on itself: the store's one way of opening a
// table file. The lock is an open-file-description lock (fcntl F_OFD_SETLK), so it is
// refused to another process and also to a second opener inside this process; it goes
// away with the descriptor, whatever ends the program.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <system_error>

namespace tto::files {

// A failed system call on a file: what was attempted, on which path, and errno's text.
class FileError : public std::system_error {
 public:
  FileError(int error, const std::string& operation, const std::filesystem::path& path);
  const std::filesystem::path& path() const { return path_; }
  std::string operation() const { return operation_; }

 private:
  std::string operation_;
  std::filesystem::path path_;
};

class LockedFile {
 public:
  enum class Mode {
    OpenExisting,  // the file must exist
    CreateIfMissing,
  };

  // Opens the file and takes the lock. Answers nullopt, having changed nothing, when
  // another opener holds it. A file that may only be read is opened read-only with a
  // shared lock (writers are still kept out). Other failures throw FileError.
  static std::optional<LockedFile> TryOpen(const std::filesystem::path& path, Mode mode);

  LockedFile(LockedFile&& other) noexcept;
  LockedFile& operator=(LockedFile&& other) noexcept;
  LockedFile(const LockedFile&) = delete;
  LockedFile& operator=(const LockedFile&) = delete;
  ~LockedFile();

  const std::filesystem::path& path() const { return path_; }
  bool ReadOnly() const { return readOnly_; }

  std::uint64_t Size() const;
  // Reads up to out.size() bytes at offset; answers how many were read (fewer at the end).
  std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const;
  // Writes every byte or throws.
  void WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes);
  void Truncate(std::uint64_t size);
  // Releases the lock and closes the descriptor. Errors on closing are reported.
  void Close();

 private:
  LockedFile(int fd, std::filesystem::path path, bool readOnly);
  int fd_ = -1;
  std::filesystem::path path_;
  bool readOnly_ = false;
};

}  // namespace tto::files
