#include "examples/NameWords.h"

#include <algorithm>
#include <tuple>

#include "store/AnsiText.h"

namespace tto::standin {

namespace {

// Letters of Windows-1252: ASCII and the accented Latin letters (× and ÷ are not).
bool IsLetter(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= 0xC0 && c != 0xD7 && c != 0xF7);
}

std::vector<std::string> Words(std::string_view ansiName) {
  const std::string lower = AnsiLowerCase(ansiName);
  std::vector<std::string> words;
  std::string word;
  for (const char c : lower + ' ') {
    if (IsLetter(static_cast<unsigned char>(c))) {
      word += c;
    } else if (!word.empty()) {
      words.push_back(std::move(word));
      word.clear();
    }
  }
  return words;
}

constexpr std::size_t kShortestWord = 4;
constexpr std::size_t kStemLength = 5;

}  // namespace

std::vector<std::string> WordStems(std::string_view ansiName) {
  std::vector<std::string> stems;
  for (const std::string& word : Words(ansiName)) {
    if (word.size() >= kShortestWord) stems.push_back(word.substr(0, kStemLength));
  }
  return stems;
}

std::optional<std::size_t> BestMatch(std::string_view name,
                                     const std::vector<std::string>& candidates) {
  const std::vector<std::string> wanted = WordStems(name);
  std::optional<std::size_t> best;
  // Larger is better: shared stems, head shared, fewer words (negated).
  std::tuple<std::size_t, bool, long> bestScore{0, false, 0};
  for (std::size_t i = 0; i < candidates.size(); ++i) {
    const std::vector<std::string> stems = WordStems(candidates[i]);
    std::size_t shared = 0;
    for (const std::string& stem : stems) {
      if (std::find(wanted.begin(), wanted.end(), stem) != wanted.end()) ++shared;
    }
    if (shared == 0) continue;
    const bool head = std::find(wanted.begin(), wanted.end(), stems.front()) != wanted.end();
    const std::tuple<std::size_t, bool, long> score{shared, head, -static_cast<long>(stems.size())};
    if (!best || score > bestScore) {
      best = i;
      bestScore = score;
    }
  }
  return best;
}

bool HasWord(std::string_view name, std::string_view stem) {
  const std::vector<std::string> words = Words(name);
  return std::any_of(words.begin(), words.end(),
                     [&](const std::string& word) { return word.starts_with(stem); });
}

}  // namespace tto::standin
