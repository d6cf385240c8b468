#pragma once

// Matching names by their words: which department teaches a subject, which room suits a
// subject or a task. Velmora's user sets these by hand; the stand-in guesses them from
// the names the school file gives ("Física y Química" is taught by the department "Física
// y Química", "Música" goes to the "Aula de Música").

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tto::standin {

// The significant words of a name (four letters or more), lower case, each cut to a stem
// of five characters so that plural and singular meet ("Tecnologías", "Tecnología").
std::vector<std::string> WordStems(std::string_view ansiName);

// The candidate whose name matches name best: the most shared stems; among equals, the
// one whose first word is shared (the head of "Física y Química" for "Física", where
// "Educación Física" shares it too), then the one with the fewest other words, then the
// first. Empty when no candidate shares a word.
std::optional<std::size_t> BestMatch(std::string_view name,
                                     const std::vector<std::string>& candidates);

// Whether name holds a word beginning with stem (lower case).
bool HasWord(std::string_view name, std::string_view stem);

}  // namespace tto::standin
