#include <cstdio>

int main(int argc, char** argv) {
  (void)argv;
  if (argc < 2) {
    std::puts("usage: nurasera [-debug] [-linestop] [-run] [-security low|mid|high] [-resource FILE] SCRIPT.nrs [ARGS...]");
  }
  return 0;
}
