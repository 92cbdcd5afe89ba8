// Runs kept fuzzing inputs through a harness without libFuzzer, for the
// native test run: every file of each folder named on the command line (a
// missing folder counts as empty). Any sanitizer report ends the run.
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
  int replayed = 0;
  for (int i = 1; i < argc; ++i) {
    std::vector<std::string> files;
    if (DIR* dir = opendir(argv[i])) {
      while (dirent* e = readdir(dir)) {
        std::string path = std::string(argv[i]) + "/" + e->d_name;
        struct stat st;
        if (stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) files.push_back(path);
      }
      closedir(dir);
    }
    std::sort(files.begin(), files.end());
    for (const std::string& path : files) {
      std::ifstream in(path, std::ios::binary);
      std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
      ++replayed;
    }
  }
  std::printf("replayed %d inputs\n", replayed);
  return 0;
}
