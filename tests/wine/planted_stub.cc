// A program planted in the start directory under a system program's name
// (reg.exe, notepad.exe): records that it ran, which it never should.

#include <fstream>

int main(int argc, char** argv) {
  std::ofstream mark("planted-ran.txt", std::ios::binary | std::ios::app);
  for (int i = 0; i < argc; ++i) mark << argv[i] << '\n';
  return 0;
}
