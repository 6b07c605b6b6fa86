#include <QDir>
#include <QFile>

#include "RAKQueue.h"
#include "RVLBase64.h"
#include "RVLCrypt.h"
#include "RVLDataStore.h"
#include "RVLSystemInfo.h"
#include "RVLUtilities.h"
#include "RavellTestSupport.h"
#include "ravell/RavellAnalyticsKit.h"

namespace vimbrel {
namespace {

using rvlbase64::NewBase64Decode;
using rvlbase64::NewBase64Encode;

class UtilitiesTest : public testing::RavellTest {
 protected:
  void SetUp() override {
    RavellTest::SetUp();
    setenv("RAVELL_API_URL", "https://api.test", 1);
    setenv("RAVELL_API3_URL", "https://api3.test/", 1);
    RVLDataStore& store = RVLDataStore::sharedInstance();
    store.setObject(QStringLiteral("1234567"), QStringLiteral("RavellProductKey"));
    store.setObject(QStringLiteral("key+1"), QStringLiteral("RavellApiKey"));
    store.setObject(QStringLiteral("vendor-1"), QStringLiteral("RavellVendorKey"));
  }

  // Splits a form body into its (still encoded) fields.
  static QMap<QString, QString> fields(const QString& body) {
    QMap<QString, QString> result;
    for (const QString& pair : body.split(QLatin1Char('&'))) {
      const auto equals = pair.indexOf(QLatin1Char('='));
      result.insert(pair.left(equals), pair.mid(equals + 1));
    }
    return result;
  }
};

TEST_F(UtilitiesTest, QueryBuildingEncodesEverythingButUnreservedBytes) {
  EXPECT_EQ(RVLUtilities::addQueryStringToUrlString(
                {}, {{QStringLiteral("a name"), QStringLiteral("two words")},
                     {QStringLiteral("count"), 42},
                     {QStringLiteral("flag"), true}}),
            QStringLiteral("a%20name=two%20words&count=42&flag=1"));
  EXPECT_EQ(RVLUtilities::addQueryStringToUrlString({}, {}), QString());
  EXPECT_EQ(RVLUtilities::urlEscapeString(QStringLiteral("a+b&c=d/e?f-g.h_i~j")),
            QStringLiteral("a%2Bb%26c%3Dd%2Fe%3Ff-g.h_i~j"));
  EXPECT_EQ(RVLUtilities::urlEscapeString(QStringLiteral("\u00e9\u20ac")),
            QStringLiteral("%C3%A9%E2%82%AC"));
  EXPECT_EQ(RVLUtilities::urlEscapeString(QString::fromUtf8("a\0b", 3)), QStringLiteral("ab"));
}

TEST_F(UtilitiesTest, EncryptedFamilyCarriesTheWholeQueryInArg) {
  const RVLRequest request = RVLUtilities::urlRequestWithParameters(
      QVariantMap{{QStringLiteral("uid"), QStringLiteral("p 1")},
                  {QStringLiteral("api_key"), QStringLiteral("caller")}},
      QStringLiteral("config/keys"));
  EXPECT_EQ(request.url, QUrl(QStringLiteral("https://api.test/2.2/config/keys")));
  EXPECT_EQ(request.timeoutMs, 30000);
  const QString body = QString::fromLatin1(request.body);
  ASSERT_TRUE(body.startsWith(QLatin1String("arg=")));
  QString arg = body.mid(4);
  EXPECT_FALSE(arg.contains(QLatin1Char('+')));
  arg.replace(QStringLiteral("%2B"), QStringLiteral("+"));
  const auto query = rvlcrypt::aes256DecryptString(arg, QString::fromLatin1(rvlcrypt::kBuiltInKey));
  ASSERT_TRUE(query);
  // Strip the PKCS#7 bytes the client keeps after decryption.
  QString plain = *query;
  while (!plain.isEmpty() && plain.back().unicode() <= 16) plain.chop(1);

  const QString system = rvlbase64::encodedString(RVLUtilities::systemJson());
  EXPECT_EQ(plain, RVLUtilities::addQueryStringToUrlString(
                       {}, {{QStringLiteral("uid"), QStringLiteral("p 1")},
                            {QStringLiteral("api_key"), QStringLiteral("key+1")},
                            {QStringLiteral("product_id"), QStringLiteral("1234567")},
                            {QStringLiteral("system"), system}}));
  const auto parts = fields(plain);
  EXPECT_EQ(parts.value(QStringLiteral("api_key")), QStringLiteral("key%2B1"));
  EXPECT_EQ(parts.value(QStringLiteral("uid")), QStringLiteral("p%201"));
  // The machine description is long enough to wrap, and its CR LF survive encoded.
  EXPECT_TRUE(parts.value(QStringLiteral("system")).contains(QStringLiteral("%0D%0A")));
  EXPECT_EQ(rvlbase64::decodeB(QUrl::fromPercentEncoding(parts.value("system").toLatin1())),
            RVLUtilities::systemJson());
}

TEST_F(UtilitiesTest, PlainFamilyLetsTheCallerOverrideExceptTheSystemFields) {
  const RVLRequest request = RVLUtilities::v3APIRequestWithParameters(
      {{QStringLiteral("uuid"), QStringLiteral("caller-uuid")}, {QStringLiteral("rating"), 4}},
      QStringLiteral("lumora/rating"));
  EXPECT_EQ(request.url, QUrl(QStringLiteral("https://api3.test/3.1/lumora/rating")));
  const auto parts = fields(QString::fromLatin1(request.body));
  EXPECT_EQ(parts.value(QStringLiteral("uuid")), QStringLiteral("caller-uuid"));
  EXPECT_EQ(parts.value(QStringLiteral("system_uuid")),
            RVLUtilities::urlEscapeString(RVLSystemInfo::deviceIdentifier()));
  EXPECT_EQ(parts.value(QStringLiteral("rating")), QStringLiteral("4"));
  EXPECT_EQ(parts.value(QStringLiteral("vendor_id")), QStringLiteral("vendor-1"));
  EXPECT_EQ(parts.value(QStringLiteral("api_key")), QStringLiteral("key%2B1"));
  EXPECT_EQ(parts.value(QStringLiteral("system_os")), QStringLiteral("mac"));
  EXPECT_TRUE(parts.contains(QStringLiteral("application_identifier")));
  EXPECT_TRUE(parts.value(QStringLiteral("system_os_version")).contains(QStringLiteral(".")));
}

TEST_F(UtilitiesTest, CustomEventAndPaymentRules) {
  RAKQueue& queue = RAKQueue::sharedInstance();
  RavellAnalyticsKit::track(QStringLiteral("RSDK"));
  RavellAnalyticsKit::track(QStringLiteral("RSDKThing"));
  RavellAnalyticsKit::track(QStringLiteral("RSD"));
  RavellAnalyticsKit::payment(9.99, QStringLiteral("EURO"), QStringLiteral("pro"), 2);
  RavellAnalyticsKit::payment(9.99, QStringLiteral("EUR"), QStringLiteral("pro"), 4);
  RavellAnalyticsKit::payment(9.99, QStringLiteral("EU"), QStringLiteral("pro"), 2);
  const auto events = queue.pendingEvents();
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].action(), QStringLiteral("RSDK.Custom.RSD"));
  EXPECT_EQ(events[1].action(), QStringLiteral("RSDK.Payment"));
  EXPECT_EQ(events[1].properties()->value("Payment.Store").toString(), "appstore_mac");
  EXPECT_DOUBLE_EQ(events[1].properties()->value("$sale_value").toDouble(), 9.99);
}

// A fake system root with the files the machine facts come from.
class SystemInfoTest : public ::testing::Test {
 protected:
  void write(const QString& relative, const QByteArray& content) {
    const QString path = root_.path() + relative;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
  }
  void addInterface(const QString& name, const QByteArray& address, bool device, int type = 1) {
    write("/sys/class/net/" + name + "/address", address + "\n");
    write("/sys/class/net/" + name + "/type", QByteArray::number(type) + "\n");
    if (device) QDir().mkpath(root_.path() + "/sys/class/net/" + name + "/device");
  }
  QTemporaryDir root_;
};

TEST_F(SystemInfoTest, MacAddressComesFromTheDefaultRouteThenFromEthernetDevices) {
  EXPECT_FALSE(RVLSystemInfo::hardwareIdentifier(root_.path()));
  addInterface("lo", "00:00:00:00:00:00", false, 772);
  addInterface("eth1", "AA:BB:CC:00:00:01", true);
  addInterface("eth0", "aa:bb:cc:00:00:00", false);
  addInterface("wlan0", "aa:bb:cc:00:00:02", true);
  // No default route: the first Ethernet-type interface with a device.
  EXPECT_EQ(RVLSystemInfo::hardwareIdentifier(root_.path()), QStringLiteral("aa:bb:cc:00:00:01"));
  write("/proc/net/route",
        "Iface\tDestination\tGateway\tFlags\n"
        "wlan0\t0000A8C0\t00000000\t0001\n"
        "eth0\t00000000\t0100A8C0\t0003\n");
  EXPECT_EQ(RVLSystemInfo::hardwareIdentifier(root_.path()), QStringLiteral("aa:bb:cc:00:00:00"));
}

TEST_F(SystemInfoTest, SettingsByNameMacBytesAndGraphicsDevices) {
  EXPECT_EQ(RVLSystemInfo::systemInfoForKey(QStringLiteral("kernel.osrelease"), root_.path()),
            QStringLiteral("Generic Apple Machine"));
  write("/proc/sys/kernel/osrelease", "6.1.0-13-amd64\n");
  EXPECT_EQ(RVLSystemInfo::systemInfoForKey(QStringLiteral("kernel.osrelease"), root_.path()),
            QStringLiteral("6.1.0-13-amd64"));
  // Names that would leave /proc/sys are not read.
  EXPECT_EQ(RVLSystemInfo::systemInfoForKey(QStringLiteral("../../etc/passwd"), root_.path()),
            QStringLiteral("Generic Apple Machine"));
  write("/sys/class/dmi/id/product_name", "Box 1\n");
  EXPECT_EQ(RVLSystemInfo::systemInfoForKey(QStringLiteral("hw.model"), root_.path()), "Box 1");

  EXPECT_TRUE(RVLSystemInfo::GetMACAddress(root_.path()).isEmpty());
  addInterface("eth0", "aa:bb:cc:00:00:0f", true);
  EXPECT_EQ(RVLSystemInfo::GetMACAddress(root_.path()), QByteArray::fromHex("aabbcc00000f"));

  EXPECT_EQ(RVLSystemInfo::GPUInfo(root_.path()), QString());
  write("/sys/bus/pci/devices/0000:00:02.0/class", "0x030000\n");
  write("/sys/bus/pci/devices/0000:00:02.0/vendor", "0x8086\n");
  write("/sys/bus/pci/devices/0000:00:02.0/device", "0x9a49\n");
  write("/sys/bus/pci/devices/0000:00:1f.3/class", "0x040380\n");
  write("/sys/bus/pci/devices/0000:01:00.0/class", "0x030200\n");
  write("/sys/bus/pci/devices/0000:01:00.0/vendor", "0x10de\n");
  write("/sys/bus/pci/devices/0000:01:00.0/device", "0x1f95\n");
  EXPECT_EQ(RVLSystemInfo::GPUInfo(root_.path()), QStringLiteral("8086:9a49;10de:1f95;"));
}

TEST(RVLBase64Free, NewBase64EncodeAndDecodeWorkOnRawBuffers) {
  const QByteArray bytes(49, 'a');
  const QByteArray lines = NewBase64Encode(bytes.constData(), std::size_t(bytes.size()), true);
  EXPECT_EQ(lines.size(), 64 + 2 + 4);
  EXPECT_EQ(lines.mid(64, 2), "\r\n");
  EXPECT_FALSE(NewBase64Encode(bytes.constData(), std::size_t(bytes.size()), false).contains('\n'));
  EXPECT_EQ(NewBase64Decode(lines.constData(), -1), bytes);
  EXPECT_EQ(NewBase64Decode("YWJj=ZA", 7), QByteArray("abcd"));
  EXPECT_EQ(NewBase64Decode("YWJjZA", 4), QByteArray("abc"));
  EXPECT_TRUE(RAKQueue::isApiAvailable());
}

TEST_F(SystemInfoTest, ModelAndVersions) {
  EXPECT_EQ(RVLSystemInfo::modelIdentifier(root_.path()), QStringLiteral("Generic Apple Machine"));
  write("/sys/class/dmi/id/product_name", "ThinkPad X1 Carbon Gen 9\n");
  EXPECT_EQ(RVLSystemInfo::modelIdentifier(root_.path()),
            QStringLiteral("ThinkPad X1 Carbon Gen 9"));
  EXPECT_EQ(RVLSystemInfo::modelLettersOnly(QStringLiteral("MacBookPro18,3")), "MacBookPro");
  EXPECT_EQ(RVLSystemInfo::modelLettersOnly(QStringLiteral("Generic")), "Generic");

  write("/etc/os-release",
        "NAME=\"Ubuntu\"\nVERSION_ID=\"22.04\"\nPRETTY_NAME=\"Ubuntu 22.04.3 LTS\"\n");
  const auto version = RVLSystemInfo::osVersionNumbers(root_.path());
  EXPECT_EQ(version.major, 22);
  EXPECT_EQ(version.minor, 4);
  EXPECT_EQ(version.patch, 0);
  EXPECT_TRUE(RVLSystemInfo::osVersion(root_.path()).startsWith("Ubuntu 22.04.3 LTS"));
  EXPECT_FALSE(RVLSystemInfo::osVersion(root_.path()).contains(QLatin1Char('\n')));
}

}  // namespace
}  // namespace vimbrel
