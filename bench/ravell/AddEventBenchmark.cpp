// addEvent with many events pending: every call appends one record to the
// queue's journal; the full file is rewritten only in the background, once the
// journal has outgrown it.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <QCoreApplication>
#include <QTemporaryDir>

#include "DirectoryLocations.h"
#include "RAKEvent.h"
#include "RAKQueue.h"
#include "RVLArchive.h"
#include "RavellTesting.h"

namespace {

using vimbrel::RAKEvent;
using vimbrel::RAKQueue;

void addEventWithPending(benchmark::State& state) {
  QTemporaryDir home;
  setenv("XDG_DATA_HOME", home.path().toLocal8Bit().constData(), 1);
  vimbrel::RavellTesting::resetAll();
  const QVariantMap properties{{QStringLiteral("screen"), QStringLiteral("remainders")},
                               {QStringLiteral("count"), 12}};
  // Start from a queue file that already holds the pending events.
  QVariantList events;
  const QVariantMap archived =
      RAKEvent(QStringLiteral("RSDK.Custom.Pending"), properties).archive();
  for (int64_t i = 0; i < state.range(0); ++i) events.append(archived);
  const QString folder = *vimbrel::directorylocations::applicationSupportDirectory();
  vimbrel::rvlarchive::writeDictionary(folder + QStringLiteral("/queue.rak"),
                                       {{QStringLiteral("events"), events}});
  RAKQueue& queue = RAKQueue::sharedInstance();
  queue.stop();
  for (auto _ : state) {
    queue.addEvent(RAKEvent(QStringLiteral("RSDK.Custom.Measured"), properties));
  }
  state.counters["pending"] = double(queue.pendingCount());
  vimbrel::RavellTesting::resetAll();
}
BENCHMARK(addEventWithPending)->Arg(0)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
