// The fixture of the batch-mode tests: the built program in a scratch program folder of its
// own, pictures made by Pillow, an ordinary user to run as and a failing disk under it.
#pragma once

#include <gtest/gtest.h>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "tests/app/support/batch_program.h"
#include "tests/support/test_support.h"

namespace apptest {

class BatchMode : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!testsupport::HaveTool("/usr/bin/python3")) GTEST_SKIP() << "needs python3 with Pillow";
    prog = program.folder();
    images = dir.File("images/");
    ::mkdir(images.c_str(), 0755);
    ASSERT_TRUE(program.ready());
  }

  void Config(const std::vector<std::string>& lines) { program.Config(lines); }

  // Solid pictures by Pillow in the folder (any bytes but a quote): a Python list of
  // (name, width, height, (r, g, b)).
  void MakeSolids(const std::string& folder, const std::string& pictures) {
    testsupport::WriteFile(dir.File("solids.py"), "import os, sys\nfrom PIL import Image\nfor name, w, h, c in [" + pictures +
                                                      "]:\n  Image.new('RGB', (w, h), c).save(os.path.join(sys.argv[1], name))\n");
    ASSERT_EQ(testsupport::Run("/usr/bin/python3 " + dir.File("solids.py") + " '" + folder + "'"), 0);
  }

  // Pictures of 4 x 4 solid cells in every format the program reads, in the images folder.
  void MakeCells();

  BatchResult RunBatch(const std::string& argument = "X") { return program.Run(argument); }

  static std::vector<std::string> Lines(const std::string& out) { return apptest::OutputLines(out); }
  static std::map<std::string, std::string> Matches(const std::string& out) { return apptest::OutputMatches(out); }

  std::string Listing(const std::string& folder) {
    std::string s;
    testsupport::Run("ls -A '" + folder + "'", &s);
    return s;
  }

  // From here on the program runs as an ordinary user, for whom file permissions hold: "nobody"
  // when the test runs as root, else the test's own user. The test's folder is opened to it,
  // and it gets a home of its own and a target folder it may fill. False when there is no
  // such user.
  bool AsOrdinaryUser() {
    ::chmod(dir.path().c_str(), 0755);
    user = ::geteuid();
    group = ::getegid();
    if (user == 0) {
      const passwd* nobody = ::getpwnam("nobody");
      if (!nobody) return false;
      user = nobody->pw_uid;
      group = nobody->pw_gid;
      program.RunAs(long(user), long(group));
    }
    for (const std::string& folder : {dir.File("home"), dir.File("out")}) {
      ::mkdir(folder.c_str(), 0755);
      if (::chown(folder.c_str(), user, group) != 0) return false;
    }
    environment = {"HOME=" + dir.File("home")};
    program.SetEnvironment(environment);
    return true;
  }

  // The failing disk of tests/support/file_faults.c under the program, with its settings
  // ("NAME=value"), beside the environment set before.
  void FailingDisk(const std::vector<std::string>& settings) {
    const std::string shim = testsupport::BinaryDir() + "/test-fixtures/libvelmora-file-faults.so";
    ASSERT_EQ(::access(shim.c_str(), R_OK), 0) << shim;
    const char* asan = std::getenv("ASAN_OPTIONS");
    std::vector<std::string> all = environment;
    all.push_back("LD_PRELOAD=" + shim);
    all.push_back(std::string("ASAN_OPTIONS=") + (asan ? asan : "") + ":verify_asan_link_order=0");
    all.insert(all.end(), settings.begin(), settings.end());
    program.SetEnvironment(all);
  }

  // Velmora.cfg as the settings of a run are saved: CR LF after each of the eight lines.
  static std::string Saved(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& l : lines) text += l + "\r\n";
    return text;
  }

  testsupport::TempDir dir;
  apptest::BatchProgram program{dir};
  std::string prog, images;
  uid_t user = 0;
  gid_t group = 0;
  std::vector<std::string> environment;
};

}  // namespace apptest
