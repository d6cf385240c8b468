#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string_view>

namespace tto {

// Replaces the content of a file so that readers only ever see the old content or the
// new one, never a half-written file: the bytes go to a temporary file in the target's
// folder, are flushed to disk, and the temporary file is renamed over the target. A
// symbolic link is followed, so the link stays and its target is replaced. An existing
// file keeps its permissions; one we may not write (read-only) is not replaced.
//
// On failure the temporary file is removed, the target stays as it was, and a RunError is
// thrown whose text is failureText (program text) with the target's path in place of %s.
void WriteFileAtomically(const std::filesystem::path& target, std::string_view bytes,
                         std::string_view failureText = "Unable to write to %s");
void WriteFileAtomically(const std::filesystem::path& target, std::span<const std::uint8_t> bytes,
                         std::string_view failureText = "Unable to write to %s");

}  // namespace tto
