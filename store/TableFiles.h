#pragma once

// The store's file operations besides the locked table file itself: finding names the
// way Windows does (whatever their case), deleting with Windows' rule that a file in use
// stays, reading a file's bytes. Together with FileLock and WriteFileAtomically (which
// replaces an index in one step) these are the only places in the program that call the
// operating system on table files.

#include <cstdint>
#include <filesystem>
#include <string_view>
#include <vector>

namespace tto::files {

bool FolderExists(const std::filesystem::path& folder);

// Every entry of folder whose name equals fileName ignoring case (program text), the
// exact spelling first, the others in name order. Empty when the folder is missing.
std::vector<std::filesystem::path> FindCaseVariants(const std::filesystem::path& folder,
                                                    std::string_view fileName);

// Whether another opener holds a lock on the file.
bool IsHeld(const std::filesystem::path& path);

// Whether this process may write the file (false for a read-only file).
bool MayWrite(const std::filesystem::path& path);

// Deletes the file unless another opener holds it (Windows cannot delete a file in use,
// and Velmora must never lose a table under its feet). Answers whether it was deleted;
// any failure answers false.
bool DeleteUnlessHeld(const std::filesystem::path& path);

// Deletes the file; a missing file is fine; other failures throw FileError.
void DeleteFile(const std::filesystem::path& path);

// Up to length bytes of the file from offset (fewer at its end). Throws FileError when
// the file cannot be opened or read.
std::vector<std::uint8_t> ReadFileRange(const std::filesystem::path& path, std::uint64_t offset,
                                        std::size_t length);

}  // namespace tto::files
