#include <signal.h>

#include <QDir>
#include <QFile>
#include <QProcess>

#include "RAKJournal.h"
#include "RAKQueue.h"
#include "RVLArchive.h"
#include "RavellTestSupport.h"

namespace vimbrel {
namespace {

using testing::RavellTest;

class QueueJournalTest : public RavellTest {
 protected:
  void SetUp() override {
    RavellTest::SetUp();
    RavellTesting::setQueueInterval(std::chrono::hours(1));
  }

  QString queueFile() const { return frameworkFolder() + QStringLiteral("/queue.rak"); }

  static RAKQueue& queue() { return RAKQueue::sharedInstance(); }

  static void addEvents(int from, int to) {
    const QVariantMap properties{{QStringLiteral("padding"), QString(200, QLatin1Char('x'))}};
    for (int i = from; i < to; ++i) {
      queue().addEvent(RAKEvent(QStringLiteral("E%1").arg(i), properties));
    }
  }

  static QStringList actions() {
    QStringList names;
    for (const RAKEvent& event : queue().pendingEvents()) names << event.action();
    return names;
  }

  static QStringList expected(int from, int to) {
    QStringList names;
    for (int i = from; i < to; ++i) names << QStringLiteral("E%1").arg(i);
    return names;
  }
};

// Run by KilledProcessKeepsEveryAddedEvent in a child process of its own.
TEST_F(QueueJournalTest, ChildAddsEventsAndIsKilled) {
  const QByteArray parentHome = qgetenv("RAVELL_JOURNAL_CHILD");
  if (parentHome.isEmpty()) GTEST_SKIP() << "child process only";
  setenv("XDG_DATA_HOME", parentHome.constData(), 1);
  RavellTesting::resetAll();
  addEvents(0, 500);
  ::raise(SIGKILL);
}

TEST_F(QueueJournalTest, KilledProcessKeepsEveryAddedEvent) {
  QProcess child;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("RAVELL_JOURNAL_CHILD"), home_.path());
  child.setProcessEnvironment(environment);
  child.start(QCoreApplication::applicationFilePath(),
              {QStringLiteral("--gtest_filter=QueueJournalTest.ChildAddsEventsAndIsKilled")});
  ASSERT_TRUE(child.waitForFinished(60000));
  ASSERT_EQ(child.exitStatus(), QProcess::CrashExit);

  RavellTesting::resetAll();
  EXPECT_EQ(actions(), expected(0, 500));
  // The relaunched queue goes on from there, and a second restart sees both.
  addEvents(500, 510);
  RavellTesting::resetAll();
  EXPECT_EQ(actions(), expected(0, 510));
}

TEST_F(QueueJournalTest, JournalIsFoldedIntoTheFullFileInTheBackground) {
  // Well past the smallest journal that is folded in.
  addEvents(0, 600);
  queue().waitForBackgroundWrites();
  const auto generations = RAKJournal::generationsBeside(queueFile());
  ASSERT_EQ(generations.size(), 1u);
  EXPECT_GE(generations[0], 1u);
  const QVariantMap full = rvlarchive::readDictionary(queueFile()).root;
  EXPECT_EQ(full.value(QStringLiteral("journalGeneration")).toULongLong(), generations[0]);
  const qsizetype inFile = full.value(QStringLiteral("events")).toList().size();
  EXPECT_GT(inFile, 0);
  EXPECT_LE(inFile, 600);

  queue().save();
  RavellTesting::resetAll();
  EXPECT_EQ(actions(), expected(0, 600));
  EXPECT_EQ(
      rvlarchive::readDictionary(queueFile()).root.value(QStringLiteral("events")).toList().size(),
      600);
}

TEST_F(QueueJournalTest, TornRecordAtTheEndIsIgnored) {
  addEvents(0, 5);
  const auto generations = RAKJournal::generationsBeside(queueFile());
  ASSERT_EQ(generations.size(), 1u);
  {
    QFile journal(RAKJournal::pathFor(queueFile(), generations[0]));
    ASSERT_TRUE(journal.open(QIODevice::Append));
    // The start of a record whose body never arrived.
    journal.write(QByteArray::fromHex("ff00000012345678"));
  }
  RavellTesting::resetAll();
  EXPECT_EQ(actions(), expected(0, 5));
  addEvents(5, 7);
  queue().waitForBackgroundWrites();
  RavellTesting::resetAll();
  EXPECT_EQ(actions(), expected(0, 7));
}

TEST_F(QueueJournalTest, FileWithoutJournalFromAnEarlierVersionLoads) {
  QDir().mkpath(frameworkFolder());
  const QVariantList events{RAKEvent(QStringLiteral("E0"), std::nullopt).archive()};
  ASSERT_TRUE(rvlarchive::writeDictionary(queueFile(),
                                          {{QStringLiteral("events"), events},
                                           {QStringLiteral("userIdentifier"), QStringLiteral("u")},
                                           {QStringLiteral("customIdentified"), true}}));
  EXPECT_EQ(actions(), expected(0, 1));
  EXPECT_EQ(queue().userIdentifier(), QStringLiteral("u"));
  EXPECT_TRUE(queue().isCustomIdentified());
  addEvents(1, 2);
  RavellTesting::resetAll();
  EXPECT_EQ(actions(), expected(0, 2));
}

}  // namespace
}  // namespace vimbrel
