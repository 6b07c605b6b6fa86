#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QPoint>

#include "RVLArchive.h"
#include "RVLDataStore.h"
#include "RVLDataStoreSecure.h"
#include "RavellTestSupport.h"

namespace vimbrel {
namespace {

using testing::RavellTest;

class DataStoreTest : public RavellTest {
 protected:
  QString storePath() const { return frameworkFolder() + QStringLiteral("/ravdata.ravl"); }
  // What the file holds, read without the store.
  QVariantMap fileContents() const { return rvlarchive::readDictionary(storePath()).root; }
};

TEST_F(DataStoreTest, CredentialsStayInMemory) {
  auto& store = RVLDataStore::sharedInstance();
  store.setObject(QStringLiteral("0123abcd"), QStringLiteral("RavellApiKey"));
  store.setObject(QStringLiteral("1234567"), QStringLiteral("RavellProductKey"));
  store.setObject(QStringLiteral("kept"), QStringLiteral("other"));
  store.synchronize();
  EXPECT_EQ(store.objectForKey(QStringLiteral("RavellApiKey")).toString(), "0123abcd");
  EXPECT_EQ(fileContents().keys(), QStringList{QStringLiteral("other")});

  RavellTesting::resetAll();
  auto& relaunched = RVLDataStore::sharedInstance();
  EXPECT_FALSE(relaunched.objectForKey(QStringLiteral("RavellApiKey")).isValid());
  EXPECT_FALSE(relaunched.objectForKey(QStringLiteral("RavellProductKey")).isValid());
  EXPECT_EQ(relaunched.objectForKey(QStringLiteral("other")).toString(), "kept");
}

TEST_F(DataStoreTest, NullValueLeavesEntryAndRemovalWorks) {
  auto& store = RVLDataStore::sharedInstance();
  store.setObject(7, QStringLiteral("count"));
  store.setObject(QVariant(), QStringLiteral("count"));
  EXPECT_EQ(store.objectForKey(QStringLiteral("count")).toInt(), 7);
  EXPECT_FALSE(store.dictionaryForKey(QStringLiteral("count")));
  store.removeObjectForKey(QStringLiteral("count"));
  EXPECT_FALSE(store.objectForKey(QStringLiteral("count")).isValid());
}

TEST_F(DataStoreTest, EveryValueTypeSurvivesARestart) {
  const QDateTime date = QDateTime::fromMSecsSinceEpoch(1700000000123, Qt::UTC);
  const QVariantMap nested{{QStringLiteral("list"), QVariantList{1, QStringLiteral("two"), true}},
                           {QStringLiteral("bytes"), QByteArray("\x00\xff", 2)}};
  {
    auto& store = RVLDataStore::sharedInstance();
    store.setObject(true, QStringLiteral("flag"));
    store.setObject(qint64(-5), QStringLiteral("negative"));
    store.setObject(2.5, QStringLiteral("real"));
    store.setObject(QStringLiteral("t\u00e9xt"), QStringLiteral("text"));
    store.setObject(date, QStringLiteral("date"));
    store.setObject(nested, QStringLiteral("nested"));
    store.synchronize();
  }
  RavellTesting::resetAll();
  auto& store = RVLDataStore::sharedInstance();
  EXPECT_EQ(store.objectForKey(QStringLiteral("flag")).typeId(), QMetaType::Bool);
  EXPECT_TRUE(store.objectForKey(QStringLiteral("flag")).toBool());
  EXPECT_EQ(store.objectForKey(QStringLiteral("negative")).toLongLong(), -5);
  EXPECT_DOUBLE_EQ(store.objectForKey(QStringLiteral("real")).toDouble(), 2.5);
  EXPECT_EQ(store.objectForKey(QStringLiteral("text")).toString(), QStringLiteral("t\u00e9xt"));
  EXPECT_EQ(store.objectForKey(QStringLiteral("date")).toDateTime(), date);
  EXPECT_EQ(store.dictionaryForKey(QStringLiteral("nested")), nested);
}

TEST_F(DataStoreTest, CorruptFileIsMovedAsideAndTheStoreStartsEmpty) {
  ASSERT_TRUE(QDir().mkpath(frameworkFolder()));
  QFile file(storePath());
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("bplist00 this is not a property list");
  file.close();

  auto& store = RVLDataStore::sharedInstance();
  EXPECT_FALSE(store.objectForKey(QStringLiteral("anything")).isValid());
  const QStringList aside =
      QDir(frameworkFolder()).entryList({QStringLiteral("ravdata.ravl.corrupt-*")}, QDir::Files);
  ASSERT_EQ(aside.size(), 1);
  store.setObject(1, QStringLiteral("fresh"));
  store.synchronize();
  EXPECT_EQ(fileContents().value(QStringLiteral("fresh")).toInt(), 1);
}

TEST_F(DataStoreTest, FailedWriteLeavesThePreviousFileWhole) {
  auto& store = RVLDataStore::sharedInstance();
  store.setObject(QStringLiteral("first"), QStringLiteral("value"));
  store.synchronize();
  // Block the temporary file's name so that the next write cannot even start.
  const QString blocker = storePath() + QStringLiteral(".tmp.") + QString::number(getpid());
  ASSERT_TRUE(QDir().mkpath(blocker));
  store.setObject(QStringLiteral("second"), QStringLiteral("value"));
  store.synchronize();
  EXPECT_EQ(fileContents().value(QStringLiteral("value")).toString(), "first");
  EXPECT_EQ(store.objectForKey(QStringLiteral("value")).toString(), "second");
  ASSERT_TRUE(QDir(blocker).removeRecursively());
  store.synchronize();
  EXPECT_EQ(fileContents().value(QStringLiteral("value")).toString(), "second");
  EXPECT_EQ(QDir(frameworkFolder()).entryList(QDir::Files), QStringList{"ravdata.ravl"});
}

TEST_F(DataStoreTest, FailedWriteIsRetriedAtTheNextChange) {
  auto& store = RVLDataStore::sharedInstance();
  const QString blocker = storePath() + QStringLiteral(".tmp.") + QString::number(getpid());
  ASSERT_TRUE(QDir().mkpath(blocker));
  store.setObject(QStringLiteral("lost?"), QStringLiteral("value"));
  store.synchronize();
  EXPECT_FALSE(QFile::exists(storePath()));
  ASSERT_TRUE(QDir(blocker).removeRecursively());
  // No synchronize: the change itself writes what the failed write left.
  store.setObject(1, QStringLiteral("other"));
  EXPECT_EQ(fileContents().value(QStringLiteral("value")).toString(), "lost?");
}

TEST_F(DataStoreTest, NullsAndUnstorableValuesNeverBlockLaterWrites) {
  auto& store = RVLDataStore::sharedInstance();
  store.setObject(QStringLiteral("kept"), QStringLiteral("key"));
  store.setObject(QVariant::fromValue(nullptr), QStringLiteral("key"));
  store.setObject(QVariant::fromValue(nullptr), QStringLiteral("null"));
  store.setObject(QVariant::fromValue(QPoint(1, 2)), QStringLiteral("point"));
  EXPECT_EQ(store.objectForKey(QStringLiteral("key")).toString(), "kept");
  EXPECT_FALSE(store.objectForKey(QStringLiteral("null")).isValid());
  EXPECT_FALSE(store.objectForKey(QStringLiteral("point")).isValid());
  store.setObject(QStringLiteral("later"), QStringLiteral("after"));
  store.synchronize();
  EXPECT_EQ(fileContents().value(QStringLiteral("after")).toString(), "later");
}

TEST_F(DataStoreTest, HashObjectsDetectChanges) {
  auto& store = RVLDataStore::sharedInstance();
  store.setObject(QStringLiteral("123456"), QStringLiteral("RavellProductKey"));
  bool valid = true;
  EXPECT_FALSE(store.hashObjectForKey(QStringLiteral("score"), &valid).isValid());
  EXPECT_FALSE(valid);
  store.setHashObject(42, QStringLiteral("score"));
  EXPECT_EQ(store.hashObjectForKey(QStringLiteral("score"), &valid).toInt(), 42);
  EXPECT_TRUE(valid);
  auto entry = *store.dictionaryForKey(QStringLiteral("score"));
  entry.insert(QStringLiteral("score"), 43);
  store.setObject(entry, QStringLiteral("score"));
  EXPECT_EQ(store.hashObjectForKey(QStringLiteral("score"), &valid).toInt(), 43);
  EXPECT_FALSE(valid);
}

TEST_F(DataStoreTest, SecureValuesAreSignedWithTheSecret) {
  auto& store = RVLDataStore::sharedInstance();
  RVLDataStoreSecure secure(store);
  bool valid = false;
  // Without a secret nothing is written.
  secure.setSecureInteger(5, QStringLiteral("level"));
  EXPECT_FALSE(store.objectForKey(QStringLiteral("level")).isValid());

  RVLDataStoreSecure::setSecret(QStringLiteral("s3cret"));
  RVLDataStoreSecure::setSecret(QStringLiteral("ignored"));
  EXPECT_FALSE(secure.secureObjectForKey(QStringLiteral("level"), &valid).isValid());
  EXPECT_TRUE(valid);

  secure.setSecureInteger(5, QStringLiteral("level"));
  secure.setSecureObject(QVariantList{QStringLiteral("a"), QStringLiteral("b")},
                         QStringLiteral("names"));
  secure.setSecureObject(QVariantList{QStringLiteral("a"), 3}, QStringLiteral("mixed"));
  secure.setSecureObject(QVariant::fromValue(QDir()), QStringLiteral("nonproperty"));
  EXPECT_FALSE(store.objectForKey(QStringLiteral("nonproperty")).isValid());

  EXPECT_EQ(secure.secureIntegerForKey(QStringLiteral("level"), &valid), 5);
  EXPECT_TRUE(valid);
  EXPECT_FALSE(secure.secureStringForKey(QStringLiteral("level"), &valid).isValid());
  EXPECT_EQ(secure.secureStringArrayForKey(QStringLiteral("names"), &valid).toStringList(),
            (QStringList{"a", "b"}));
  EXPECT_FALSE(secure.secureStringArrayForKey(QStringLiteral("mixed"), &valid).isValid());
  EXPECT_EQ(secure.secureIntegerForKey(QStringLiteral("names"), &valid), 0);

  // An edited value no longer matches its digest.
  QVariantMap entry = *store.dictionaryForKey(QStringLiteral("level"));
  entry.insert(QStringLiteral("VelkSecureUserDefaultsValue"), 6);
  store.setObject(entry, QStringLiteral("level"));
  EXPECT_EQ(secure.secureIntegerForKey(QStringLiteral("level"), &valid), 0);
  EXPECT_FALSE(valid);
}

}  // namespace
}  // namespace vimbrel
