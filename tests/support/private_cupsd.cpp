#include "tests/support/private_cupsd.h"

#include <cups/cups.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "tests/support/test_support.h"

namespace testsupport {

namespace {

constexpr const char* kCupsd = "/usr/sbin/cupsd";
constexpr auto kPoll = std::chrono::milliseconds(50);
constexpr int kStartPolls = 200;     // 10 s
constexpr int kDocumentPolls = 600;  // 30 s

// The printer: A5 (420 x 595 points) printable from (18, 36) to (402, 577), 144 dpi; PDF goes
// to the device as it is.
constexpr const char* kPpd = R"PPD(*PPD-Adobe: "4.3"
*FormatVersion: "4.3"
*FileVersion: "1.0"
*LanguageVersion: English
*LanguageEncoding: ISOLatin1
*PCFileName: "VELMORA.PPD"
*Manufacturer: "Velmora"
*Product: "(Velmora Test Printer)"
*ModelName: "Velmora Test Printer"
*ShortNickName: "Velmora Test Printer"
*NickName: "Velmora Test Printer"
*PSVersion: "(3010.000) 0"
*LanguageLevel: "3"
*ColorDevice: True
*DefaultColorSpace: RGB
*FileSystem: False
*Throughput: "1"
*LandscapeOrientation: Plus90
*TTRasterizer: Type42
*cupsFilter2: "application/pdf application/vnd.cups-pdf 0 -"
*OpenUI *PageSize/Media Size: PickOne
*OrderDependency: 10 AnySetup *PageSize
*DefaultPageSize: A5
*PageSize A5/A5: "<</PageSize[420 595]>>setpagedevice"
*CloseUI: *PageSize
*OpenUI *PageRegion: PickOne
*OrderDependency: 10 AnySetup *PageRegion
*DefaultPageRegion: A5
*PageRegion A5/A5: "<</PageSize[420 595]>>setpagedevice"
*CloseUI: *PageRegion
*DefaultImageableArea: A5
*ImageableArea A5/A5: "18 36 402 577"
*DefaultPaperDimension: A5
*PaperDimension A5/A5: "420 595"
*OpenUI *Resolution/Resolution: PickOne
*OrderDependency: 10 AnySetup *Resolution
*DefaultResolution: 144dpi
*Resolution 144dpi/144 DPI: "<</HWResolution[144 144]>>setpagedevice"
*CloseUI: *Resolution
)PPD";

// The device: the job's document (a file argument or standard input) written under the job's
// number, complete before it appears.
constexpr const char* kBackend = R"SH(#!/bin/sh
[ $# -eq 0 ] && exit 0
out="${DEVICE_URI#velmoratest:}"
if [ $# -ge 6 ]; then cat "$6" > "$out/.job-$1"; else cat > "$out/.job-$1"; fi || exit 1
mv "$out/.job-$1" "$out/job-$1.pdf"
)SH";

bool Write(const std::string& path, const std::string& text, mode_t mode) {
  WriteFile(path, text);
  return chmod(path.c_str(), mode) == 0;
}

std::string MakeShortTempDir(const char* prefix) {
  // A socket's path must stay short, so the folder is made below /tmp.
  std::string tmpl = std::string("/tmp/") + prefix + "-XXXXXX";
  return mkdtemp(tmpl.data()) ? tmpl : std::string();
}

}  // namespace

PrivateCupsd::PrivateCupsd() {
  if (access(kCupsd, X_OK) != 0) {
    why_ = std::string(kCupsd) + " is missing (Debian's cups package)";
    return;
  }
  dir_ = MakeShortTempDir("velmora-cupsd");
  if (dir_.empty()) {
    why_ = "no temporary folder";
    return;
  }
  if (WriteConfiguration()) Start();
}

PrivateCupsd::~PrivateCupsd() {
  Stop();
  if (!dir_.empty()) {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
}

bool PrivateCupsd::WriteConfiguration() {
  namespace fs = std::filesystem;
  std::error_code ec;
  for (const char* sub : {"ppd", "spool/tmp", "log", "cache", "state", "bin/backend", "out"})
    fs::create_directories(dir_ + "/" + sub, ec);
  // Filters and backends run through the package's helper; the folder holds our one backend.
  fs::create_symlink("/usr/lib/cups/daemon", dir_ + "/bin/daemon", ec);
  const std::string d = dir_;
  const bool ok =
      Write(d + "/cupsd.conf",
            "Listen " + d + "/sock\nLogLevel warn\nBrowsing No\nWebInterface No\nDefaultAuthType None\n"
            "<Location />\nOrder allow,deny\nAllow all\n</Location>\n"
            "<Policy default>\n<Limit All>\nOrder deny,allow\n</Limit>\n</Policy>\n",
            0644) &&
      Write(d + "/cups-files.conf",
            "ServerRoot " + d + "\nServerBin " + d + "/bin\nRequestRoot " + d + "/spool\nTempDir " + d +
                "/spool/tmp\nCacheDir " + d + "/cache\nStateDir " + d + "/state\nAccessLog " + d +
                "/log/access_log\nErrorLog " + d + "/log/error_log\nPageLog " + d + "/log/page_log\nPrintcap " + d +
                "/printcap\n",
            0644) &&
      Write(d + "/printers.conf",
            std::string("<DefaultPrinter ") + kQueue + ">\nInfo Velmora test printer\nDeviceURI velmoratest:" + d +
                "/out\nState Idle\nAccepting Yes\nShared No\n</DefaultPrinter>\n",
            0600) &&
      Write(d + "/ppd/" + kQueue + ".ppd", kPpd, 0644) && Write(d + "/bin/backend/velmoratest", kBackend, 0700);
  if (!ok || ec) why_ = "could not write the configuration in " + d;
  return ok && !ec;
}

bool PrivateCupsd::Start() {
  const std::string conf = dir_ + "/cupsd.conf", files = dir_ + "/cups-files.conf", log = dir_ + "/log/cupsd.out";
  pid_ = fork();
  if (pid_ == 0) {
    // The scheduler goes with the test program, however that ends.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (!freopen(log.c_str(), "w", stdout) || !freopen(log.c_str(), "a", stderr)) _exit(126);
    execl(kCupsd, kCupsd, "-f", "-c", conf.c_str(), "-s", files.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  if (pid_ < 0) {
    why_ = "fork failed";
    return false;
  }
  const std::string socket = dir_ + "/sock";
  cupsSetServer(socket.c_str());
  for (int i = 0; i < kStartPolls; ++i) {
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      why_ = "cupsd stopped at once: " + ReadFile(log) + ReadFile(dir_ + "/log/error_log");
      cupsSetServer(nullptr);
      return false;
    }
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, kQueue, nullptr);
    if (dest) {
      cupsFreeDests(1, dest);
      return true;
    }
    std::this_thread::sleep_for(kPoll);
  }
  why_ = "cupsd did not answer: " + ReadFile(dir_ + "/log/error_log");
  Stop();
  return false;
}

void PrivateCupsd::Stop() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  int status = 0;
  for (int i = 0; i < kStartPolls && waitpid(pid_, &status, WNOHANG) == 0; ++i) std::this_thread::sleep_for(kPoll);
  if (waitpid(pid_, &status, WNOHANG) == 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, &status, 0);
  }
  pid_ = -1;
  cupsSetServer(nullptr);
}

std::string PrivateCupsd::WaitForDocument(int job) const {
  const std::string path = dir_ + "/out/job-" + std::to_string(job) + ".pdf";
  for (int i = 0; i < kDocumentPolls && Running(); ++i) {
    if (access(path.c_str(), R_OK) == 0) return ReadFile(path);
    std::this_thread::sleep_for(kPoll);
  }
  return {};
}

NoCupsServer::NoCupsServer() : dir_(MakeShortTempDir("velmora-nocups")) {
  cupsSetServer((dir_ + "/no-server").c_str());
}

NoCupsServer::~NoCupsServer() {
  cupsSetServer(nullptr);
  std::error_code ec;
  if (!dir_.empty()) std::filesystem::remove_all(dir_, ec);
}

}  // namespace testsupport
