// Finding and loading the browser module: the real module from the build
// tree, and from an install layout made in a temporary folder.
#include "qt/web/web_view_loader.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <string>
#include <vector>

#include "loaded_libraries.h"

namespace qnc::web {
namespace {

const std::string kBuiltModule = QNC_TEST_WEB_VIEW_MODULE;

std::string FileNameOf(const std::string& path) {
  return QFileInfo(QString::fromStdString(path)).fileName().toStdString();
}

TEST(WebViewLoader, AProgramInTheBuildTreeLooksBesideItselfThenAtTheBuiltModule) {
  const std::string programDir = QCoreApplication::applicationDirPath().toStdString();
  const std::vector<std::string> candidates = WebViewModuleCandidates(programDir);
  ASSERT_EQ(candidates.size(), 2u);
  EXPECT_EQ(FileNameOf(candidates[0]), FileNameOf(kBuiltModule));
  EXPECT_EQ(candidates[1], kBuiltModule);
}

TEST(WebViewLoader, AnInstalledProgramLooksOnlyInItsPrefixsLibraryFolder) {
  const std::vector<std::string> candidates = WebViewModuleCandidates("/opt/quorix/" QNC_TEST_INSTALL_BINDIR);
  ASSERT_EQ(candidates.size(), 1u);
  EXPECT_EQ(candidates[0], "/opt/quorix/" QNC_TEST_INSTALL_LIBDIR "/quorix-net-check/" + FileNameOf(kBuiltModule));
}

TEST(WebViewLoader, FindsTheModuleInTheInstallLayoutAndKeepsItLoaded) {
  // <prefix>/<bindir>/ for the program, <prefix>/<libdir>/quorix-net-check/ for the module.
  QTemporaryDir prefix;
  ASSERT_TRUE(prefix.isValid());
  const QString bindir = prefix.filePath(QStringLiteral(QNC_TEST_INSTALL_BINDIR));
  const QString moduleDir = prefix.filePath(QStringLiteral(QNC_TEST_INSTALL_LIBDIR "/quorix-net-check"));
  ASSERT_TRUE(QDir().mkpath(bindir));
  ASSERT_TRUE(QDir().mkpath(moduleDir));
  const QString installed = moduleDir + "/" + QString::fromStdString(FileNameOf(kBuiltModule));
  ASSERT_TRUE(QFile::copy(QString::fromStdString(kBuiltModule), installed));

  std::string failure;
  const WebViewModule* module = LoadWebViewModule(WebViewModuleCandidates(bindir.toStdString()), failure);
  EXPECT_NE(module, nullptr) << failure;
  EXPECT_EQ(failure, "");
  EXPECT_TRUE(test::IsMapped(installed));  // still loaded after the call
}

TEST(WebViewLoader, SkipsWhatIsMissingOrNotABrowserModule) {
  const std::string missing = "/nonexistent/quorix/libqnc_web_view.so";
  const std::string otherLibrary = "libm.so.6";  // loads, but exports no browser
  struct Case {
    const char* name;
    std::vector<std::string> candidates;
    bool found;
    std::vector<std::string> saidInFailure;
  };
  const std::vector<Case> cases{
      {"nowhere to look", {}, false, {}},
      {"missing file", {missing}, false, {missing}},
      {"other library", {otherLibrary}, false, {otherLibrary + ": not a browser module"}},
      {"both, then nothing", {missing, otherLibrary}, false, {missing, otherLibrary}},
      {"missing, then the module", {missing, kBuiltModule}, true, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string failure;
    const WebViewModule* module = LoadWebViewModule(c.candidates, failure);
    EXPECT_EQ(module != nullptr, c.found);
    EXPECT_EQ(failure.empty(), c.found) << failure;
    for (const std::string& said : c.saidInFailure) EXPECT_NE(failure.find(said), std::string::npos) << failure;
  }
}

TEST(WebViewLoader, TheProgramsModuleIsTheBuiltOneAndIsLookedForOnce) {
  const WebViewModule* first = ProgramWebViewModule();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(ProgramWebViewModule(), first);
  EXPECT_TRUE(test::IsMapped(QString::fromStdString(kBuiltModule)));
}

}  // namespace
}  // namespace qnc::web
