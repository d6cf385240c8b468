#pragma once

#include <string>
#include <string_view>
#include <unordered_map>

namespace tto {

// CodigosTabla: the codes a teacher, room or group builder has given out during one call.
// Membership ignores letter case (ab1 equals AB1, é equals É); entries are never removed,
// and the same code may be added more than once.
class CodigosTabla {
 public:
  bool Contains(std::string_view code) const;
  void Add(std::string_view code);

  // The stem followed by the first number from 1 up (decimal, no leading zeros) that
  // gives a code not in the registry.
  std::string StemWithFreeNumber(std::string_view stem) const;

 private:
  // Folded code -> how many times it was added.
  std::unordered_map<std::string, int> entries_;
  // Folded stem -> a number below which every candidate is known to be taken. The
  // registry only grows, so a candidate once taken stays taken.
  mutable std::unordered_map<std::string, int> firstUntried_;
};

// What a builder does with a code still longer than four characters after the taken-code
// rule has run.
enum class LongCodeRule {
  Keep,             // teachers
  StemWithNumber,   // rooms: its first two characters and a free number
  FirstTwoLastTwo,  // groups: its first two and last two characters, not tested again
};

// The code-numbering rule shared by the teacher, room and group builders: a taken code
// becomes its first three characters and a free number; then the long-code rule applies.
// The code given out is added to the registry.
std::string GiveOutCode(std::string_view code, CodigosTabla& registry, LongCodeRule rule);

// The first two characters followed by the last two: the shortening of codes longer
// than four characters (groups, and the catalogue's school codes).
std::string FirstTwoLastTwo(std::string_view code);

}  // namespace tto
