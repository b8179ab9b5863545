// Entry point of the test-bed. The shell takes over once the application exists.
#include <cstdio>

int main(int, char**) {
  std::puts("testbed: the window shell is not built yet");
  return 0;
}
