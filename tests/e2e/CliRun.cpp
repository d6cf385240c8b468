#include "tests/e2e/CliRun.h"

#include <sys/wait.h>

#include <array>
#include <cstdio>

namespace tto::testing {

std::string Quoted(const std::string& argument) {
  std::string out = "'";
  for (char c : argument) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

CommandResult RunCommand(const std::string& command) {
  CommandResult result;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return result;
  std::array<char, 4096> buffer;
  std::size_t read = 0;
  while ((read = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) {
    result.out.append(buffer.data(), read);
  }
  const int status = pclose(pipe);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

CommandResult Transtarvos(const std::string& arguments) {
  return RunCommand("LC_ALL=C " + Quoted(TTO_TRANSTARVOS) + " " + arguments);
}

}  // namespace tto::testing
