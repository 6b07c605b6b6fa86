#pragma once

#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <cstdio>
#include <fstream>
#include <string>

#include "app/ui/AppDelegate.h"

namespace vimbrel::bench {

// Resident memory of this process, in KiB.
inline long residentKiB() {
  std::ifstream statm("/proc/self/statm");
  long size = 0, resident = 0;
  statm >> size >> resident;
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// Desktop services that do nothing, so that only the window's work is timed.
class QuietViewer final : public FileViewer {
 public:
  void reveal(const std::vector<std::string>&) override {}
};
class QuietOpener final : public UrlOpener {
 public:
  bool openUrl(const std::string&) override { return true; }
  bool openFile(const std::string&) override { return true; }
};
class QuietSounds final : public SoundPlayer {
 public:
  void play(const std::string&) override {}
};

template <typename Predicate>
bool spinUntil(Predicate done, int milliseconds) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > milliseconds) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  return true;
}

}  // namespace vimbrel::bench
