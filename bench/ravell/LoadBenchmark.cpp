// Loading the queue at start: the full file of a previous launch with 1,000,
// 10,000 or 100,000 pending events (more than the queue keeps: such a file
// comes from a version without the bound, and the load drops the oldest).
// Reported: the whole load (on the loading thread), its processor time, the
// time the calling thread spent in the constructor, and the process's
// resident memory after the load.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <stdlib.h>
#include <time.h>

#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <fstream>
#include <string>

#include "DirectoryLocations.h"
#include "RAKEvent.h"
#include "RAKQueue.h"
#include "RVLArchive.h"
#include "RavellTesting.h"

namespace {

using vimbrel::RAKEvent;
using vimbrel::RAKQueue;

double processCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

double residentMegabytes() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
  }
  return 0;
}

void loadPendingQueue(benchmark::State& state) {
  QTemporaryDir home;
  setenv("XDG_DATA_HOME", home.path().toLocal8Bit().constData(), 1);
  vimbrel::RavellTesting::resetAll();
  const QVariantMap properties{{QStringLiteral("screen"), QStringLiteral("remainders")},
                               {QStringLiteral("count"), 12}};
  QVariantList events;
  for (int64_t i = 0; i < state.range(0); ++i) {
    events.append(RAKEvent(QStringLiteral("RSDK.Custom.Pending%1").arg(i), properties).archive());
  }
  const QString folder = *vimbrel::directorylocations::applicationSupportDirectory();
  const QString file = folder + QStringLiteral("/queue.rak");
  const QString original = home.path() + QStringLiteral("/queue.original");
  vimbrel::rvlarchive::writeDictionary(original, {{QStringLiteral("events"), events}});
  events.clear();
  // What building the file took goes back to the system, so that the
  // resident size shows the loaded queue.
  malloc_trim(0);

  double constructorSeconds = 0;
  double cpuSeconds = 0;
  double resident = 0;
  std::size_t pending = 0;
  for (auto _ : state) {
    state.PauseTiming();
    vimbrel::RavellTesting::resetAll();
    QFile::remove(file);
    QFile::copy(original, file);
    state.ResumeTiming();
    const double cpuStart = processCpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    RAKQueue& queue = RAKQueue::sharedInstance();
    constructorSeconds +=
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    queue.waitForLoad();
    cpuSeconds += processCpuSeconds() - cpuStart;
    state.PauseTiming();
    pending = queue.pendingCount();
    resident = residentMegabytes();
    queue.stop();
    state.ResumeTiming();
  }
  state.counters["pending_after"] = double(pending);
  state.counters["caller_blocked_ms"] = 1000.0 * constructorSeconds / double(state.iterations());
  state.counters["rss_mb"] = resident;
  // On a busy machine the wall time counts other programs' turns too.
  state.counters["load_cpu_ms"] = 1000.0 * cpuSeconds / double(state.iterations());
  vimbrel::RavellTesting::resetAll();
}
BENCHMARK(loadPendingQueue)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
