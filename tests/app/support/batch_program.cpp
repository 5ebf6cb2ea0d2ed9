#include "tests/app/support/batch_program.h"

#include <sys/stat.h>
#include <unistd.h>

namespace apptest {

const char* const kWindowSteps =
    "await() { xdotool search --sync --onlyvisible --name \"^$1\\$\" >/dev/null; sleep 0.4; }\n"
    "click() { w=$(xdotool search --sync --onlyvisible --name '^Velmora 1.0$' | head -1); "
    "eval $(xdotool getwindowgeometry --shell $w); "
    "xdotool mousemove $((X + WIDTH - 680 + $1)) $((Y + HEIGHT - 433 + $2)) click 1; sleep 0.3; }\n"
    "run() { click 98 395; await Information; xdotool key Return; await Velmora; xdotool key Return; sleep 0.5; }\n";

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

BatchResult BatchProgram::RunInto(const std::string& stdoutPath, const testsupport::ChildLimits& limits) const {
  return Exec("X", limits, false, stdoutPath);
}

testsupport::ExecOptions BatchProgram::Options(bool withDisplay, const std::string& stdoutPath) const {
  std::vector<std::string> unset;
  if (!withDisplay) unset.push_back("DISPLAY");
  return {.cwd = "/",
          .stdout_path = stdoutPath.empty() ? dir_.File("stdout.txt") : stdoutPath,
          .stderr_path = dir_.File("stderr.txt"),
          .unset_env = unset,
          .set_env = environment_,
          .user = user_,
          .group = group_};
}

BatchResult BatchProgram::Collect(const testsupport::ChildEnd& end, bool readOut) const {
  BatchResult r;
  r.end = end;
  if (r.end.how == testsupport::ChildEnd::How::kExited) r.status = r.end.code;
  if (readOut) r.out = testsupport::ReadFile(dir_.File("stdout.txt"));
  r.err = testsupport::ReadFile(dir_.File("stderr.txt"));
  return r;
}

BatchResult BatchProgram::Exec(const std::string& argument, const testsupport::ChildLimits& limits,
                               bool withDisplay, const std::string& stdoutPath) const {
  return Collect(testsupport::ExecLimited({prog_ + "velmora", argument}, Options(withDisplay, stdoutPath), limits),
                 stdoutPath.empty());
}

BatchResult BatchProgram::RunWithStreamsClosed(const testsupport::ChildLimits& limits) const {
  testsupport::ExecOptions options = Options(false, {});
  options.close_standard_streams = true;
  ::unlink(dir_.File("stdout.txt").c_str());
  ::unlink(dir_.File("stderr.txt").c_str());
  return Collect(testsupport::ExecLimited({prog_ + "velmora", "X"}, options, limits), false);
}

int BatchProgram::Start(const std::string& fifoPath, const testsupport::ChildLimits& limits) const {
  return testsupport::StartLimited({prog_ + "velmora", "X"}, Options(false, fifoPath), limits);
}

BatchResult BatchProgram::Finish(int pid, const testsupport::ChildLimits& limits) const {
  return Collect(testsupport::WaitLimited(pid, limits), false);
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
