// Stands in for Notepad in the Wine tests (installed as the system's
// notepad.exe): records the arguments it was started with and a copy of the
// file it was asked to show, in the current directory.

#include <fstream>

int main(int argc, char** argv) {
  std::ofstream arguments("notepad-args.txt", std::ios::binary);
  for (int i = 1; i < argc; ++i) arguments << argv[i] << '\n';
  if (argc < 2) return 0;
  std::ifstream shown(argv[1], std::ios::binary);
  std::ofstream copy("notepad-saw.txt", std::ios::binary);
  if (shown) copy << shown.rdbuf();
  return 0;
}
