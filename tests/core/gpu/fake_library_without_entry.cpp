// A shared library that loads fine but exports no "nvapi_QueryInterface": an
// unrelated library installed under the driver's name.
#include <cstdio>
#include <cstdlib>

namespace {

void Log(const char* line) {
  const char* path = std::getenv("QNC_FAKE_NVAPI_LOG");
  if (path == nullptr) return;
  if (std::FILE* file = std::fopen(path, "a")) {
    std::fprintf(file, "%s\n", line);
    std::fclose(file);
  }
}

__attribute__((constructor)) void OnLoad() { Log("load"); }
__attribute__((destructor)) void OnUnload() { Log("unload"); }

}  // namespace

extern "C" __attribute__((visibility("default"))) int nvapi_SomethingElse() { return 0; }
