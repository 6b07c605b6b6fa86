// The queue's files across launches: launches killed or quit while the
// previous one's journals are being folded, a corrupt full file, files in the
// earlier layout, the bound, a full disk and two processes on one queue.
#include <signal.h>
#include <unistd.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <array>
#include <iostream>
#include <thread>

#include "RAKJournal.h"
#include "RAKQueue.h"
#include "RAKQueueFiles.h"
#include "RVLArchive.h"
#include "RavellTestSupport.h"

namespace vimbrel {
namespace {

using testing::RavellTest;

const QVariantMap kPadding{{QStringLiteral("padding"), QString(200, QLatin1Char('x'))}};

RAKQueue& queue() { return RAKQueue::sharedInstance(); }

void addEvents(const QString& prefix, int from, int to) {
  for (int i = from; i < to; ++i) {
    queue().addEvent(RAKEvent(prefix + QString::number(i), kPadding));
  }
}

QStringList actions() {
  QStringList names;
  for (const RAKEvent& event : queue().pendingEvents()) names << event.action();
  return names;
}

QStringList expected(const QString& prefix, int from, int to) {
  QStringList names;
  for (int i = from; i < to; ++i) names << prefix + QString::number(i);
  return names;
}

// The journal record layout of the files written by every version so far.
QByteArray journalRecord(char kind, const QByteArray& payload) {
  static const auto table = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t i = 0; i < 256; ++i) {
      std::uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1U) ? 0xEDB88320U ^ (c >> 1) : c >> 1;
      t[i] = c;
    }
    return t;
  }();
  const QByteArray body = QByteArray(1, kind) + payload;
  std::uint32_t crc = 0xFFFFFFFFU;
  for (const char c : body) crc = table[(crc ^ std::uint8_t(c)) & 0xFFU] ^ (crc >> 8);
  crc = ~crc;
  QByteArray record;
  rakqueuefiles::appendU32(record, std::uint32_t(payload.size()));
  rakqueuefiles::appendU32(record, crc);
  return record + body;
}

class QueueRecoveryTest : public RavellTest {
 protected:
  void SetUp() override {
    RavellTest::SetUp();
    RavellTesting::setQueueInterval(std::chrono::hours(1));
  }
  void TearDown() override {
    RAKJournal::setFailWritesForTesting(false);
    RavellTest::TearDown();
  }

  QString queueFile() const { return frameworkFolder() + QStringLiteral("/queue.rak"); }

  // Starts this test program again to run one child test in the same data
  // folder, with `mode` in its environment.
  QProcess* startChild(const char* test, const QString& mode) {
    auto* child = new QProcess();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("RAVELL_QUEUE_CHILD"), home_.path());
    environment.insert(QStringLiteral("RAVELL_QUEUE_MODE"), mode);
    child->setProcessEnvironment(environment);
    child->start(QCoreApplication::applicationFilePath(),
                 {QStringLiteral("--gtest_filter=QueueRecoveryTest.%1").arg(QLatin1String(test))});
    return child;
  }

  // A previous launch's files: a full file and the journals after it.
  void leaveFilesOfAPreviousLaunch(int count) {
    addEvents(QStringLiteral("E"), 0, count);
    queue().waitForBackgroundWrites();
    RavellTesting::resetAll();
  }

  void copyFolder(const QString& from, const QString& to) {
    QDir().mkpath(to);
    for (const QString& name : QDir(from).entryList(QDir::Files | QDir::Hidden)) {
      ASSERT_TRUE(QFile::copy(from + QLatin1Char('/') + name, to + QLatin1Char('/') + name));
    }
  }
};

bool isChild(const char* wantedMode = nullptr) {
  const QByteArray home = qgetenv("RAVELL_QUEUE_CHILD");
  if (home.isEmpty()) return false;
  if (wantedMode && qgetenv("RAVELL_QUEUE_MODE") != wantedMode) return false;
  setenv("XDG_DATA_HOME", home.constData(), 1);
  RavellTesting::resetAll();
  return true;
}

// Child: starts the queue and is killed after the number of microseconds in
// its mode, counted from the start or ("load+N") from the end of the load,
// while the previous launches' journals are folded. "quit": quits normally
// right away; "after": killed once the fold is done.
TEST_F(QueueRecoveryTest, ChildStartsAndEnds) {
  if (!isChild()) GTEST_SKIP() << "child process only";
  const QByteArray mode = qgetenv("RAVELL_QUEUE_MODE");
  RAKQueue& started = queue();
  if (mode == "quit") std::exit(0);
  if (mode == "after") {
    started.waitForLoad();
    started.waitForBackgroundWrites();
  } else if (mode.startsWith("load+")) {
    started.waitForLoad();
    std::this_thread::sleep_for(std::chrono::microseconds(mode.mid(5).toLongLong()));
  } else {
    std::this_thread::sleep_for(std::chrono::microseconds(mode.toLongLong()));
  }
  ::raise(SIGKILL);
}

TEST_F(QueueRecoveryTest, LaunchEndedDuringTheNextStartLosesNothing) {
  constexpr int kPending = 800;
  leaveFilesOfAPreviousLaunch(kPending);
  const QString original = home_.path() + QStringLiteral("/original");
  copyFolder(frameworkFolder(), original);
  const QStringList points{"0",         "300",       "1000",      "4000",      "10000",
                           "25000",     "70000",     "load+0",    "load+200",  "load+500",
                           "load+1000", "load+2000", "load+4000", "load+8000", "load+15000",
                           "quit",      "after"};
  for (const QString& point : points) {
    SCOPED_TRACE(point.toStdString());
    RavellTesting::resetAll();
    QDir(frameworkFolder()).removeRecursively();
    copyFolder(original, frameworkFolder());
    // Two launches ended that way in a row, then one that looks.
    for (int launch = 0; launch < 2; ++launch) {
      std::unique_ptr<QProcess> child(startChild("ChildStartsAndEnds", point));
      ASSERT_TRUE(child->waitForFinished(60000));
    }
    RavellTesting::resetAll();
    const QStringList kept = actions();
    const auto distinct = QSet<QString>(kept.begin(), kept.end()).size();
    std::cout << "[ kill at start ] point " << point.toStdString() << ": pending before "
              << kPending << ", kept after " << kept.size() << ", duplicates "
              << kept.size() - distinct << std::endl;
    EXPECT_EQ(kept, expected(QStringLiteral("E"), 0, kPending));
  }
}

TEST_F(QueueRecoveryTest, CorruptFullFileHidesNoJournal) {
  leaveFilesOfAPreviousLaunch(600);
  queue().waitForBackgroundWrites();
  addEvents(QStringLiteral("E"), 600, 620);  // In this launch's journal.
  RavellTesting::resetAll();
  const auto generations = RAKJournal::generationsBeside(queueFile());
  ASSERT_FALSE(generations.empty());
  ASSERT_GT(generations.back(), 0u);
  {
    QFile full(queueFile());
    ASSERT_TRUE(full.open(QIODevice::WriteOnly | QIODevice::Truncate));
    full.write("bplist00 torn");
  }
  // What the full file held is gone; every journal is still replayed.
  const QStringList kept = actions();
  EXPECT_EQ(kept, expected(QStringLiteral("E"), 600, 620));
  const QStringList aside =
      QDir(frameworkFolder()).entryList({QStringLiteral("queue.rak.corrupt-*")}, QDir::Files);
  EXPECT_EQ(aside.size(), 1);
  // And they are not overwritten by the next launches.
  addEvents(QStringLiteral("F"), 0, 3);
  queue().waitForBackgroundWrites();
  RavellTesting::resetAll();
  RavellTesting::resetAll();
  EXPECT_EQ(actions(), kept + expected(QStringLiteral("F"), 0, 3));
}

TEST_F(QueueRecoveryTest, FilesOfTheEarlierLayoutLoad) {
  // A full file of generation 3 (journal 2 is a leftover it already holds),
  // journal 3 with additions, a removal counted from the head and an identity.
  QDir().mkpath(frameworkFolder());
  QVariantList events;
  for (int i = 0; i < 4; ++i) {
    events.append(RAKEvent(QStringLiteral("E%1").arg(i), std::nullopt).archive());
  }
  ASSERT_TRUE(rvlarchive::writeDictionary(queueFile(),
                                          {{QStringLiteral("events"), events},
                                           {QStringLiteral("customIdentified"), false},
                                           {QStringLiteral("journalGeneration"), qulonglong(3)}}));
  const auto added = [](const char* name) {
    return journalRecord(
        'A', *rvlarchive::toBinaryPlist(RAKEvent(QLatin1String(name), kPadding).archive()));
  };
  QFile leftover(RAKJournal::pathFor(queueFile(), 2));
  ASSERT_TRUE(leftover.open(QIODevice::WriteOnly));
  leftover.write(added("E3"));
  leftover.close();
  QFile current(RAKJournal::pathFor(queueFile(), 3));
  ASSERT_TRUE(current.open(QIODevice::WriteOnly));
  current.write(added("E4") + added("E5") + journalRecord('R', QByteArray("\x02\0\0\0", 4)) +
                journalRecord('I', "user-7") + added("E6"));
  current.close();

  const QStringList loaded{"E2", "E3", "E4", "E5", "E6"};
  EXPECT_EQ(actions(), loaded);
  EXPECT_EQ(queue().userIdentifier(), QStringLiteral("user-7"));
  queue().waitForBackgroundWrites();
  RavellTesting::resetAll();
  EXPECT_EQ(actions(), loaded);
  EXPECT_EQ(queue().pendingEvents().back().properties(), std::optional<QVariantMap>(kPadding));
}

TEST_F(QueueRecoveryTest, QueueKeepsTheNewestEventsUpToItsBound) {
  // An earlier version had no bound.
  QDir().mkpath(frameworkFolder());
  const int stored = int(RAKQueue::kMaxPending) + 1500;
  QVariantList events;
  for (int i = 0; i < stored; ++i) {
    events.append(RAKEvent(QStringLiteral("E%1").arg(i), std::nullopt).archive());
  }
  ASSERT_TRUE(rvlarchive::writeDictionary(queueFile(), {{QStringLiteral("events"), events}}));
  const QStringList newest = expected(QStringLiteral("E"), 1500, stored);
  EXPECT_EQ(actions(), newest);
  EXPECT_EQ(queue().droppedCount(), 1500u);
  // Adding at the bound drops the oldest, for good.
  addEvents(QStringLiteral("F"), 0, 2);
  EXPECT_EQ(queue().droppedCount(), 1502u);
  queue().waitForBackgroundWrites();
  RavellTesting::resetAll();
  EXPECT_EQ(actions(), newest.mid(2) + expected(QStringLiteral("F"), 0, 2));
  EXPECT_EQ(queue().droppedCount(), 0u);
  queue().save();
  EXPECT_EQ(
      rvlarchive::readDictionary(queueFile()).root.value(QStringLiteral("events")).toList().size(),
      qsizetype(RAKQueue::kMaxPending));
}

TEST_F(QueueRecoveryTest, LoadsInTheBackgroundAndKeepsWhatIsAddedMeanwhile) {
  leaveFilesOfAPreviousLaunch(300);
  {
    // Another process holds the queue's files: the load waits for them,
    // the caller does not.
    rakqueuefiles::FolderLock held(queueFile());
    queue().identify(QStringLiteral("user-1"));
    addEvents(QStringLiteral("N"), 0, 5);
    EXPECT_FALSE(queue().isLoaded());
  }
  EXPECT_EQ(actions(), expected(QStringLiteral("E"), 0, 300) + expected(QStringLiteral("N"), 0, 5));
  EXPECT_EQ(queue().userIdentifier(), QStringLiteral("user-1"));
  queue().waitForBackgroundWrites();
  RavellTesting::resetAll();
  EXPECT_EQ(actions(), expected(QStringLiteral("E"), 0, 300) + expected(QStringLiteral("N"), 0, 5));
}

TEST_F(QueueRecoveryTest, EventsAddedOnAFullDiskAreWrittenOnceThereIsRoomAgain) {
  addEvents(QStringLiteral("E"), 0, 10);
  RAKJournal::setFailWritesForTesting(true);
  addEvents(QStringLiteral("E"), 10, 263);
  EXPECT_EQ(queue().unwrittenCount(), 253u);
  RAKJournal::setFailWritesForTesting(false);
  addEvents(QStringLiteral("E"), 263, 363);
  EXPECT_EQ(queue().unwrittenCount(), 0u);
  // As if killed: nothing but the files.
  queue().waitForBackgroundWrites();
  RavellTesting::resetAll();
  EXPECT_EQ(actions(), expected(QStringLiteral("E"), 0, 363));
}

// Child: one of two host processes adding events to the same queue at once,
// then quitting normally.
TEST_F(QueueRecoveryTest, ChildSharesTheQueue) {
  if (!isChild()) GTEST_SKIP() << "child process only";
  const QString prefix = QString::fromLatin1(qgetenv("RAVELL_QUEUE_MODE"));
  for (int i = 0; i < 300; ++i) {
    queue().addEvent(RAKEvent(prefix + QString::number(i), kPadding));
    if (i % 50 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  RavellTesting::resetAll();
}

TEST_F(QueueRecoveryTest, TwoProcessesSharingTheQueueLoseNothing) {
  leaveFilesOfAPreviousLaunch(100);
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    const QString a = QStringLiteral("A%1-").arg(round);
    const QString b = QStringLiteral("B%1-").arg(round);
    std::unique_ptr<QProcess> first(startChild("ChildSharesTheQueue", a));
    std::unique_ptr<QProcess> second(startChild("ChildSharesTheQueue", b));
    ASSERT_TRUE(first->waitForFinished(60000));
    ASSERT_TRUE(second->waitForFinished(60000));
    ASSERT_EQ(first->exitCode(), 0);
    ASSERT_EQ(second->exitCode(), 0);
    RavellTesting::resetAll();
    const QStringList kept = actions();
    QStringList ofA;
    QStringList ofB;
    for (const QString& name : kept) {
      if (name.startsWith(a)) ofA << name;
      if (name.startsWith(b)) ofB << name;
    }
    EXPECT_EQ(ofA, expected(a, 0, 300));
    EXPECT_EQ(ofB, expected(b, 0, 300));
    EXPECT_EQ(kept.mid(0, 100), expected(QStringLiteral("E"), 0, 100));
    EXPECT_EQ(kept.size(), 100 + 600 * (round + 1));
  }
}

TEST_F(QueueRecoveryTest, EventsFromManyThreadsKeepEachThreadsOrder) {
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([t] { addEvents(QStringLiteral("T%1-").arg(t), 0, 200); });
  }
  for (std::thread& thread : threads) thread.join();
  queue().waitForBackgroundWrites();
  RavellTesting::resetAll();
  const QStringList kept = actions();
  ASSERT_EQ(kept.size(), 800);
  for (int t = 0; t < 4; ++t) {
    const QString prefix = QStringLiteral("T%1-").arg(t);
    EXPECT_EQ(kept.filter(QRegularExpression(QLatin1Char('^') + prefix)), expected(prefix, 0, 200));
  }
}

}  // namespace
}  // namespace vimbrel
