#include "tests/pdf/image_support/image_cases.h"

#include <gtest/gtest.h>

#include <sstream>
#include <utility>

namespace imagetest {

std::string PilPython() {
  static const std::string found = [] {
    for (const char* py : {"/usr/bin/python3", "python3"})
      if (testsupport::Run(std::string(py) + " -c 'import PIL' >/dev/null 2>&1") == 0) return std::string(py);
    return std::string();
  }();
  return found;
}

bool HaveImageTools() { return !PilPython().empty() && testsupport::HaveTool("convert"); }

std::string ImageCase::Get(const std::string& key) const {
  auto it = values.find(key);
  return it == values.end() ? std::string() : it->second;
}

int ImageCase::Int(const std::string& key) const { return std::stoi(Get(key)); }

const ImageSet& ImageSet::Made(const std::string& script, const std::string& kind) {
  static std::map<std::pair<std::string, std::string>, std::unique_ptr<ImageSet>> sets;
  auto& set = sets[{script, kind}];
  if (set) return *set;
  set.reset(new ImageSet);
  set->script_ = script;
  set->dir_ = std::make_unique<testsupport::TempDir>();
  std::string out;
  const int rc = testsupport::Run(PilPython() + " " + testsupport::DataPath(script) + " " + kind + " '" +
                                      set->dir_->path() + "' 2>&1",
                                  &out);
  if (rc != 0) {
    set->error_ = out;
    return *set;
  }
  std::istringstream manifest(testsupport::ReadFile(set->dir_->File("manifest.txt")));
  std::string line;
  while (std::getline(manifest, line)) {
    std::istringstream words(line);
    ImageCase c;
    words >> c.name;
    std::string kv;
    while (words >> kv) {
      const auto eq = kv.find('=');
      c.values[kv.substr(0, eq)] = kv.substr(eq + 1);
    }
    set->cases_.push_back(std::move(c));
  }
  set->ok_ = !set->cases_.empty();
  return *set;
}

const ImageCase& ImageSet::Case(const std::string& name) const {
  for (const auto& c : cases_)
    if (c.name == name) return c;
  static const ImageCase none;
  ADD_FAILURE() << "no case " << name << " made by " << script_;
  return none;
}

std::string ImageSet::Read(const std::string& file) const { return testsupport::ReadFile(dir_->File(file)); }

std::string RunPython(const std::string& script, const std::vector<std::string>& args, int* status) {
  testsupport::TempDir tmp;
  const std::string py = tmp.File("script.py");
  testsupport::WriteFile(py, "import sys\nfrom PIL import Image\n" + script);
  std::string command = PilPython() + " " + py;
  for (const auto& a : args) command += " '" + a + "'";
  std::string out;
  const int rc = testsupport::Run(command + " 2>&1", &out);
  if (status) *status = rc;
  return out;
}

}  // namespace imagetest
