#include <cstdio>

// Placeholder until the command-line front end lands.
int main() {
  std::puts("transtarvos " TTO_VERSION);
  return 0;
}
