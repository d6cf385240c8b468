#pragma once

#include <unistd.h>

#include <utility>

namespace tto {

// Owns a raw file descriptor and closes it when the scope ends. A negative descriptor
// (a failed open) owns nothing.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;

  int get() const { return fd_; }
  // Closes now, answering whether the close succeeded (a write may fail only here).
  bool Close() { return ::close(std::exchange(fd_, -1)) == 0; }

 private:
  int fd_;
};

}  // namespace tto
