#include "probe_support.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/kd.h>
#include <linux/uinput.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

namespace probe {
namespace {

int failureCount = 0;

}  // namespace

void check(bool ok, const std::string& what, const std::string& detail) {
  std::printf("%s - %s%s%s\n", ok ? "ok" : "not ok", what.c_str(), detail.empty() ? "" : ": ",
              detail.c_str());
  std::fflush(stdout);
  if (!ok) ++failureCount;
}

int failures() { return failureCount; }

double nowMs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

void sleepMs(double ms) { usleep(static_cast<useconds_t>(ms * 1000)); }

std::string nodeNamed(const std::string& name) {
  DIR* folder = opendir("/dev/input");
  if (folder == nullptr) return {};
  std::string found;
  while (dirent* entry = readdir(folder)) {
    if (std::strncmp(entry->d_name, "event", 5) != 0) continue;
    const std::string path = std::string("/dev/input/") + entry->d_name;
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK);
    if (fd < 0) continue;
    char text[256] = {};
    ioctl(fd, EVIOCGNAME(sizeof(text) - 1), text);
    close(fd);
    if (name == text) found = path;
  }
  closedir(folder);
  return found;
}

FakeKeyboard::FakeKeyboard(const char* name, std::uint16_t vendor) : name_(name), vendor_(vendor) {
  create();
}

FakeKeyboard::~FakeKeyboard() { destroy(); }

void FakeKeyboard::create() {
  fd_ = open("/dev/uinput", O_RDWR | O_NONBLOCK | O_CLOEXEC);
  ioctl(fd_, UI_SET_EVBIT, EV_KEY);
  ioctl(fd_, UI_SET_EVBIT, EV_MSC);
  ioctl(fd_, UI_SET_MSCBIT, MSC_SCAN);
  ioctl(fd_, UI_SET_EVBIT, EV_LED);
  for (int lamp : {LED_NUML, LED_CAPSL, LED_SCROLLL}) ioctl(fd_, UI_SET_LEDBIT, lamp);
  for (int code = KEY_ESC; code <= KEY_F24; ++code) ioctl(fd_, UI_SET_KEYBIT, code);
  uinput_setup setup{};
  setup.id = {BUS_USB, vendor_, 0x0002, 0x0111};
  std::snprintf(setup.name, sizeof(setup.name), "%s", name_);
  ioctl(fd_, UI_DEV_SETUP, &setup);
  ioctl(fd_, UI_DEV_CREATE);
  waitFor([&] { return !(node_ = nodeNamed(name_)).empty(); });
}

void FakeKeyboard::destroy() {
  if (fd_ < 0) return;
  ioctl(fd_, UI_DEV_DESTROY);
  close(fd_);
  fd_ = -1;
}

void FakeKeyboard::key(std::uint16_t code, std::int32_t value) const {
  input_event report[2]{};
  report[0].type = EV_KEY;
  report[0].code = code;
  report[0].value = value;
  report[1].type = EV_SYN;
  report[1].code = SYN_REPORT;
  if (write(fd_, report, sizeof(report)) != sizeof(report)) std::perror("uinput write");
}

std::optional<int> FakeKeyboard::lamp(std::uint16_t which) const {
  std::optional<int> value;
  input_event event{};
  while (read(fd_, &event, sizeof(event)) == sizeof(event)) {
    if (event.type == EV_LED && event.code == which) value = event.value;
  }
  return value;
}

Reader::Reader(const std::string& node) {
  fd_ = open(node.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  int clock = CLOCK_MONOTONIC;
  ioctl(fd_, EVIOCSCLOCKID, &clock);
}

Reader::~Reader() {
  if (fd_ >= 0) close(fd_);
}

std::vector<Reader::Key> Reader::keys(std::size_t count, double ms) {
  std::vector<Key> got;
  const double end = nowMs() + ms;
  for (;;) {
    input_event event{};
    while (got.size() < count && read(fd_, &event, sizeof(event)) == sizeof(event)) {
      if (event.type != EV_KEY) continue;
      got.push_back({event.code, event.value,
                     static_cast<double>(event.input_event_sec) * 1e3 +
                         static_cast<double>(event.input_event_usec) / 1e3});
    }
    const double left = end - nowMs();
    pollfd ready{fd_, POLLIN, 0};
    if (got.size() >= count || left <= 0 || poll(&ready, 1, static_cast<int>(left) + 1) <= 0) {
      return got;
    }
  }
}

std::string text(const std::vector<Reader::Key>& keys) {
  std::string out;
  for (const Reader::Key& key : keys) {
    out += (out.empty() ? "" : " ") + std::to_string(key.code) + ":" + std::to_string(key.value);
  }
  return out.empty() ? "nothing" : out;
}

bool same(const std::vector<Reader::Key>& keys,
          const std::vector<std::pair<std::uint16_t, std::int32_t>>& expected) {
  if (keys.size() != expected.size()) return false;
  for (std::size_t i = 0; i < keys.size(); ++i) {
    if (keys[i].code != expected[i].first || keys[i].value != expected[i].second) return false;
  }
  return true;
}

std::vector<std::uint16_t> keysDown(const std::string& node) {
  std::vector<std::uint16_t> down;
  const int fd = open(node.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return down;
  std::uint8_t state[KEY_CNT / 8] = {};
  if (ioctl(fd, EVIOCGKEY(sizeof(state)), state) >= 0) {
    for (std::uint16_t code = 0; code < KEY_CNT; ++code) {
      if ((state[code / 8] >> (code % 8)) & 1u) down.push_back(code);
    }
  }
  close(fd);
  return down;
}

std::string logText() {
  std::ifstream file(kLog);
  std::stringstream all;
  all << file.rdbuf();
  return all.str();
}

std::size_t logCount(const std::string& text) {
  const std::string all = logText();
  std::size_t count = 0;
  for (std::size_t at = all.find(text); at != std::string::npos; at = all.find(text, at + 1)) {
    ++count;
  }
  return count;
}

Usage usageOf(pid_t pid) {
  Usage usage;
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.starts_with("voluntary_ctxt_switches:") ||
        line.starts_with("nonvoluntary_ctxt_switches:")) {
      usage.switches += std::stol(line.substr(line.find(':') + 1));
    }
  }
  // Time on the CPU in nanoseconds: the first field.
  std::ifstream schedstat("/proc/" + std::to_string(pid) + "/schedstat");
  schedstat >> usage.cpuNs;
  return usage;
}

void muteConsoleKeyboard() {
  const int console = open("/dev/tty0", O_RDWR | O_CLOEXEC);
  if (console < 0) return;
  if (ioctl(console, KDSKBMODE, K_OFF) != 0) std::perror("KDSKBMODE");
  close(console);
}

bool writeInPlace(const char* path, const std::string& content) {
  const int fd = open(path, O_WRONLY | O_TRUNC | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  const bool wrote =
      write(fd, content.data(), content.size()) == static_cast<ssize_t>(content.size());
  return close(fd) == 0 && wrote;
}

}  // namespace probe
