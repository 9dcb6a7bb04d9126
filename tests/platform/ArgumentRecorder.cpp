// Stands in for a program the desktop starts (xdg-open, a bundle's executable): writes the name
// it was started by and its arguments, one a line, to the file $PLOVANE_RECORDED_ARGUMENTS. The
// file appears whole, so a test that sees it can read it.
#include <cstdlib>
#include <filesystem>
#include <fstream>

int main(int argc, char** argv) {
  const char* record = std::getenv("PLOVANE_RECORDED_ARGUMENTS");
  if (record == nullptr) return 2;
  const std::filesystem::path file = record;
  const auto partial = std::filesystem::path(file).concat(".partial");
  {
    std::ofstream out(partial);
    out << std::filesystem::path(argv[0]).filename().string() << '\n';
    for (int i = 1; i < argc; ++i) out << argv[i] << '\n';
    if (!out.flush()) return 1;
  }
  std::filesystem::rename(partial, file);
  return 0;
}
