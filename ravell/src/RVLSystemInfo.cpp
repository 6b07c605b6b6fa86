#include "RVLSystemInfo.h"

#include <sys/utsname.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QUuid>

#include "RVLDataStore.h"

namespace vimbrel {
namespace {

QString readTrimmed(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  // Device-tree strings end with a NUL.
  return QString::fromUtf8(file.read(4096)).remove(QChar(u'\0')).trimmed();
}

// One value of os-release, unquoted.
QString osReleaseValue(const QString& root, const QString& key) {
  for (const char* candidate : {"/etc/os-release", "/usr/lib/os-release"}) {
    QFile file(root + QLatin1String(candidate));
    if (!file.open(QIODevice::ReadOnly)) continue;
    while (!file.atEnd()) {
      const QString line = QString::fromUtf8(file.readLine()).trimmed();
      if (!line.startsWith(key + QLatin1Char('='))) continue;
      QString value = line.mid(key.size() + 1);
      if (value.size() >= 2 &&
          (value.startsWith(QLatin1Char('"')) || value.startsWith(QLatin1Char('\'')))) {
        value = value.mid(1, value.size() - 2);
      }
      return value;
    }
    return {};
  }
  return {};
}

QString kernelRelease() {
  utsname names{};
  if (uname(&names) != 0) return {};
  return QString::fromLocal8Bit(names.release);
}

RVLSystemInfo::OsVersion parseVersion(const QString& text) {
  RVLSystemInfo::OsVersion version;
  const auto match =
      QRegularExpression(QStringLiteral("^(\\d+)(?:\\.(\\d+))?(?:\\.(\\d+))?")).match(text);
  if (!match.hasMatch()) return version;
  version.major = match.captured(1).toLong();
  version.minor = match.captured(2).toLong();
  version.patch = match.captured(3).toLong();
  return version;
}

bool isUsableMac(const QString& address) {
  static const QRegularExpression shape(QStringLiteral("^[0-9a-f]{2}(:[0-9a-f]{2}){5}$"));
  return shape.match(address).hasMatch() && address != QLatin1String("00:00:00:00:00:00");
}

QString defaultRouteInterface(const QString& root) {
  QFile file(root + QStringLiteral("/proc/net/route"));
  if (!file.open(QIODevice::ReadOnly)) return {};
  file.readLine();  // Header.
  while (!file.atEnd()) {
    const QStringList fields =
        QString::fromLatin1(file.readLine())
            .split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    if (fields.size() >= 2 && fields[1] == QLatin1String("00000000")) return fields[0];
  }
  return {};
}

QString interfaceAddress(const QString& root, const QString& name) {
  return readTrimmed(root + QStringLiteral("/sys/class/net/%1/address").arg(name)).toLower();
}

QVariant hostProperty(const char* name) {
  const QCoreApplication* app = QCoreApplication::instance();
  return app ? app->property(name) : QVariant();
}

}  // namespace

QString RVLSystemInfo::osVersion(const QString& root) {
  QString name = osReleaseValue(root, QStringLiteral("PRETTY_NAME"));
  if (name.isEmpty()) name = QStringLiteral("Linux");
  const QString kernel = kernelRelease();
  return kernel.isEmpty() ? name : name + QStringLiteral(", Linux ") + kernel;
}

RVLSystemInfo::OsVersion RVLSystemInfo::osVersionNumbers(const QString& root) {
  const QString versionId = osReleaseValue(root, QStringLiteral("VERSION_ID"));
  if (!versionId.isEmpty() && versionId.front().isDigit()) return parseVersion(versionId);
  return parseVersion(kernelRelease());
}

QString RVLSystemInfo::osVersionMajorMinor() {
  const OsVersion v = osVersionNumbers();
  return QStringLiteral("%1.%2").arg(v.major).arg(v.minor);
}

QString RVLSystemInfo::osVersionMajorMinorPatch() {
  const OsVersion v = osVersionNumbers();
  return QStringLiteral("%1.%2.%3").arg(v.major).arg(v.minor).arg(v.patch);
}

QString RVLSystemInfo::appVersion() {
  return QCoreApplication::instance() ? QCoreApplication::applicationVersion() : QString();
}

QString RVLSystemInfo::appBuild() { return hostProperty("bundleVersion").toString(); }

QString RVLSystemInfo::appBundleIdentifier() { return hostProperty("bundleIdentifier").toString(); }

QString RVLSystemInfo::appName() {
  return QCoreApplication::instance() ? QCoreApplication::applicationName() : QString();
}

QString RVLSystemInfo::sdkVersion() { return QStringLiteral(RAVELL_SDK_VERSION); }

QString RVLSystemInfo::modelIdentifier(const QString& root) {
  for (const char* source : {"/sys/class/dmi/id/product_name", "/proc/device-tree/model"}) {
    const QString model = readTrimmed(root + QLatin1String(source));
    if (!model.isEmpty()) return model;
  }
  return QLatin1String(kGenericModel);
}

QString RVLSystemInfo::systemInfoForKey(const QString& key, const QString& root) {
  if (key == QLatin1String("hw.model")) return modelIdentifier(root);
  QString value;
  static const QRegularExpression shape(QStringLiteral("^[A-Za-z0-9_]+(\\.[A-Za-z0-9_-]+)*$"));
  if (shape.match(key).hasMatch()) {
    value = readTrimmed(root + QStringLiteral("/proc/sys/") +
                        QString(key).replace(QLatin1Char('.'), QLatin1Char('/')));
  }
  return value.isEmpty() ? QLatin1String(kGenericModel) : value;
}

QByteArray RVLSystemInfo::GetMACAddress(const QString& root) {
  const auto address = hardwareIdentifier(root);
  if (!address) return {};
  return QByteArray::fromHex(address->toLatin1());
}

QString RVLSystemInfo::GPUInfo(const QString& root) {
  const QString bus = root + QStringLiteral("/sys/bus/pci/devices");
  QString info;
  for (const QString& device :
       QDir(bus).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::System, QDir::Name)) {
    const QString folder = bus + QLatin1Char('/') + device;
    // Class 0x03xxxx: display controllers.
    if (!readTrimmed(folder + QStringLiteral("/class")).startsWith(QLatin1String("0x03"))) continue;
    const QString vendor =
        readTrimmed(folder + QStringLiteral("/vendor")).remove(QStringLiteral("0x"));
    const QString product =
        readTrimmed(folder + QStringLiteral("/device")).remove(QStringLiteral("0x"));
    QString model = vendor + QLatin1Char(':') + product;
    const QString label = readTrimmed(folder + QStringLiteral("/label"));
    if (!label.isEmpty()) model += QLatin1Char(' ') + label;
    info += QStringLiteral("%1;").arg(model);
  }
  return info;
}

QString RVLSystemInfo::modelLettersOnly(const QString& model) {
  QString letters;
  for (const QChar c : model) {
    if ((c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
        (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))) {
      letters += c;
    }
  }
  return letters;
}

std::optional<QString> RVLSystemInfo::hardwareIdentifier(const QString& root) {
  const QString routed = defaultRouteInterface(root);
  if (!routed.isEmpty()) {
    const QString address = interfaceAddress(root, routed);
    if (isUsableMac(address)) return address;
  }
  const QString netRoot = root + QStringLiteral("/sys/class/net");
  const QStringList names =
      QDir(netRoot).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::System, QDir::Name);
  for (const QString& name : names) {
    if (name == QLatin1String("lo")) continue;
    const QString folder = netRoot + QLatin1Char('/') + name;
    if (!QFileInfo::exists(folder + QStringLiteral("/device"))) continue;
    if (readTrimmed(folder + QStringLiteral("/type")) != QLatin1String("1")) continue;
    const QString address = interfaceAddress(root, name);
    if (isUsableMac(address)) return address;
  }
  return std::nullopt;
}

QString RVLSystemInfo::deviceIdentifier() {
  static const std::optional<QString> hardware = hardwareIdentifier();
  return hardware ? *hardware : getUUID();
}

QString RVLSystemInfo::getUUID() {
  RVLDataStore& store = RVLDataStore::sharedInstance();
  const QString stored = store.objectForKey(QStringLiteral("ravellUUID")).toString();
  if (!stored.isEmpty()) return stored;
  const QString created = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
  store.setObject(created, QStringLiteral("ravellUUID"));
  store.synchronize();
  return created;
}

QString RVLSystemInfo::languageCode() {
  const QString code = QLocale::languageToCode(QLocale::system().language());
  static const QRegularExpression shape(QStringLiteral("^[a-z]{2,3}$"));
  return shape.match(code).hasMatch() ? code : QString();
}

}  // namespace vimbrel
