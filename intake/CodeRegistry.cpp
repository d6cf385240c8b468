#include "intake/CodeRegistry.h"

#include "store/AnsiText.h"

namespace tto {

bool CodigosTabla::Contains(std::string_view code) const {
  return entries_.contains(AnsiFoldCase(code));
}

void CodigosTabla::Add(std::string_view code) {
  ++entries_[AnsiFoldCase(code)];
}

std::string CodigosTabla::StemWithFreeNumber(std::string_view stem) const {
  const std::string foldedStem = AnsiFoldCase(stem);
  int& number = firstUntried_.try_emplace(foldedStem, 1).first->second;
  while (entries_.contains(foldedStem + std::to_string(number))) ++number;
  return std::string(stem) + std::to_string(number);
}

std::string FirstTwoLastTwo(std::string_view code) {
  if (code.size() <= 4) return std::string(code);
  return std::string(code.substr(0, 2)) + std::string(code.substr(code.size() - 2));
}

std::string GiveOutCode(std::string_view code, CodigosTabla& registry, LongCodeRule rule) {
  std::string result(code);
  if (registry.Contains(result)) result = registry.StemWithFreeNumber(code.substr(0, 3));
  if (result.size() > 4) {
    switch (rule) {
      case LongCodeRule::Keep:
        break;
      case LongCodeRule::StemWithNumber:
        result = registry.StemWithFreeNumber(std::string_view(result).substr(0, 2));
        break;
      case LongCodeRule::FirstTwoLastTwo:
        result = FirstTwoLastTwo(result);
        break;
    }
  }
  registry.Add(result);
  return result;
}

}  // namespace tto
