#include "tests/app/support/batch_program.h"

#include <sys/stat.h>

namespace apptest {

BatchProgram::BatchProgram(const testsupport::TempDir& dir) : dir_(dir), prog_(dir.File("prog/")) {
  ::mkdir(prog_.c_str(), 0755);
  ready_ = true;
  // The program finds its configuration beside itself.
  for (const char* f : {"velmora", "libvelmora-gdiplus.so"}) {
    const std::string from = testsupport::BinaryDir() + "/" + f;
    ready_ = ready_ && testsupport::Run("ln '" + from + "' '" + prog_ + f + "' 2>/dev/null || cp '" + from + "' '" +
                                        prog_ + f + "'") == 0;
  }
}

void BatchProgram::Config(const std::vector<std::string>& lines) const {
  std::string text;
  for (const auto& l : lines) text += l + "\r\n";
  testsupport::WriteFile(prog_ + "Velmora.cfg", text);
}

BatchResult BatchProgram::Run(const std::string& argument, const testsupport::ChildLimits& limits) const {
  return Exec(argument, limits, false);
}

BatchResult BatchProgram::RunWithDisplay(const std::string& argument) const {
  return Exec(argument, {.seconds = 300}, true);
}

BatchResult BatchProgram::Exec(const std::string& argument, const testsupport::ChildLimits& limits,
                               bool withDisplay) const {
  BatchResult r;
  const std::string out = dir_.File("stdout.txt"), err = dir_.File("stderr.txt");
  std::vector<std::string> unset;
  if (!withDisplay) unset.push_back("DISPLAY");
  r.end = testsupport::ExecLimited({prog_ + "velmora", argument},
                                   {.cwd = "/",
                                    .stdout_path = out,
                                    .stderr_path = err,
                                    .unset_env = unset,
                                    .set_env = environment_,
                                    .user = user_,
                                    .group = group_}, limits);
  if (r.end.how == testsupport::ChildEnd::How::kExited) r.status = r.end.code;
  r.out = testsupport::ReadFile(out);
  r.err = testsupport::ReadFile(err);
  return r;
}

std::vector<std::string> OutputLines(const std::string& out) {
  std::vector<std::string> lines;
  for (size_t p = 0; p < out.size();) {
    const size_t e = out.find("\r\n", p);
    if (e == std::string::npos) {
      lines.push_back("<no CR LF>" + out.substr(p));
      break;
    }
    lines.push_back(out.substr(p, e - p));
    p = e + 2;
  }
  return lines;
}

std::map<std::string, std::string> OutputMatches(const std::string& out) {
  const auto lines = OutputLines(out);
  std::map<std::string, std::string> m;
  for (size_t i = 4; i + 2 < lines.size(); i += 2) m[lines[i + 1]] = lines[i];
  return m;
}

}  // namespace apptest
