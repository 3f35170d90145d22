#include "qt/web/web_view_loader.h"

#include <QCoreApplication>
#include <QtGlobal>
#include <algorithm>
#include <filesystem>
#include <system_error>
#include <utility>

#include "platform/dynamic_library.h"
#include "qt/web/web_view_module.h"

namespace qnc::web {
#if QNC_HAVE_WEBENGINE
namespace {

// True when `path` lies inside `folder` (both made absolute and normalised).
bool IsInside(const std::string& path, const std::string& folder) {
  std::error_code error;
  const std::filesystem::path inner = std::filesystem::weakly_canonical(path, error);
  if (error) return false;
  const std::filesystem::path outer = std::filesystem::weakly_canonical(folder, error);
  if (error) return false;
  return std::mismatch(outer.begin(), outer.end(), inner.begin(), inner.end()).first == outer.end();
}

}  // namespace
#endif

std::vector<std::string> WebViewModuleCandidates(const std::string& programDir) {
  std::vector<std::string> candidates;
#if QNC_HAVE_WEBENGINE
  const std::filesystem::path installed = programDir + "/" QNC_WEB_VIEW_FROM_BINDIR "/" QNC_WEB_VIEW_FILE_NAME;
  candidates.push_back(installed.lexically_normal().string());
  // Only a program inside the build tree looks there: an installed one never
  // loads code from wherever it happened to be built.
  if (IsInside(programDir, QNC_WEB_VIEW_BUILD_TREE)) candidates.push_back(QNC_WEB_VIEW_BUILD_PATH);
#else
  (void)programDir;
#endif
  return candidates;
}

std::vector<std::string> PageProgramCandidates(const std::string& programDir) {
  std::vector<std::string> candidates;
#if QNC_HAVE_WEBENGINE
  candidates.push_back((std::filesystem::path(programDir) / QNC_PAGE_PROGRAM_FILE_NAME).lexically_normal().string());
  if (IsInside(programDir, QNC_WEB_VIEW_BUILD_TREE)) candidates.push_back(QNC_PAGE_PROGRAM_BUILD_PATH);
#else
  (void)programDir;
#endif
  return candidates;
}

std::string ProgramPageProgram() {
  for (const std::string& candidate : PageProgramCandidates(QCoreApplication::applicationDirPath().toStdString())) {
    std::error_code error;
    const auto status = std::filesystem::status(candidate, error);
    if (!error && std::filesystem::is_regular_file(status) &&
        (status.permissions() & std::filesystem::perms::owner_exec) != std::filesystem::perms::none) {
      return candidate;
    }
  }
  return {};
}

const WebViewModule* LoadWebViewModule(const std::vector<std::string>& candidates, std::string& failure) {
  // Never destroyed, so the modules are never unloaded.
  static auto* const kept = new std::vector<DynamicLibrary>();
  failure.clear();
  if (candidates.empty()) {
    failure = "no place to look for it";
    return nullptr;
  }
  for (const std::string& path : candidates) {
    std::error_code error;
    if (path.find('/') != std::string::npos && !std::filesystem::exists(path, error)) {
      failure += (failure.empty() ? "" : "; ") + path + ": no such file";
      continue;
    }
    DynamicLibrary library = DynamicLibrary::Open(path);
    if (!library) {
      failure += (failure.empty() ? "" : "; ") + library.Error();
      continue;
    }
    const auto entry = library.FunctionNamed<WebViewModuleEntry>(kWebViewModuleEntry);
    const WebViewModule* module = entry != nullptr ? entry() : nullptr;
    if (module == nullptr) {
      failure += (failure.empty() ? "" : "; ") + path + ": not a browser module";
      continue;
    }
    kept->push_back(std::move(library));
    failure.clear();
    return module;
  }
  return nullptr;
}

const WebViewModule* ProgramWebViewModule() {
#if QNC_HAVE_WEBENGINE
  static const WebViewModule* const module = [] {
    std::string failure;
    const WebViewModule* loaded =
        LoadWebViewModule(WebViewModuleCandidates(QCoreApplication::applicationDirPath().toStdString()), failure);
    if (loaded == nullptr) {
      qWarning("the embedded browser cannot be loaded (%s); game pages open in the system web browser",
               failure.c_str());
    }
    return loaded;
  }();
  return module;
#else
  return nullptr;
#endif
}

}  // namespace qnc::web
