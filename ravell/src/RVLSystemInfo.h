#pragma once

#include <QString>
#include <optional>

namespace vimbrel {

// Facts about the machine and the host application that go into every event
// and vendor request. On Linux: the model from the DMI product name, the MAC
// address of the interface carrying the default route, OS versions from
// os-release and uname, the language from the locale. The host's versions and
// identifier come from the QCoreApplication (applicationVersion and the
// properties "bundleVersion" and "bundleIdentifier"). Functions taking `root`
// read their files below that folder instead of "/" (for tests).
class RVLSystemInfo {
 public:
  struct OsVersion {
    long major = 0;
    long minor = 0;
    long patch = 0;
  };

  static constexpr char kGenericModel[] = "Generic Apple Machine";

  // The human-readable OS version on one line, e.g. "Debian GNU/Linux 12 (bookworm), Linux 6.1.0".
  static QString osVersion(const QString& root = {});
  static OsVersion osVersionNumbers(const QString& root = {});
  // "major.minor" and "major.minor.patch".
  static QString osVersionMajorMinor();
  static QString osVersionMajorMinorPatch();

  static QString appVersion();
  static QString appBuild();
  static QString appBundleIdentifier();
  static QString appName();
  static QString sdkVersion();

  // The text value of a named kernel setting: "hw.model" is the machine model,
  // any other name is read from /proc/sys with its dots as folders
  // ("kernel.osrelease"). "Generic Apple Machine" when it has no value.
  static QString systemInfoForKey(const QString& key, const QString& root = {});
  // The raw bytes of the primary interface's MAC address; empty when none.
  static QByteArray GetMACAddress(const QString& root = {});
  // "<vendor>:<device> <name>;" for every display controller on the PCI bus
  // (the "model" of each graphics device), in bus order.
  static QString GPUInfo(const QString& root = {});

  // The machine model string, or "Generic Apple Machine" when there is none.
  static QString modelIdentifier(const QString& root = {});
  // The model with every character that is not an ASCII letter removed.
  static QString modelLettersOnly(const QString& model);

  // Lowercase colon-separated MAC address of the primary interface: the one
  // carrying the default route, else the first Ethernet-type device interface.
  static std::optional<QString> hardwareIdentifier(const QString& root = {});
  // The MAC address, or the stored random UUID when there is none.
  static QString deviceIdentifier();
  // The data-store value "ravellUUID", created (uppercase, hyphenated) when absent.
  static QString getUUID();

  // Two- or three-letter language code of the current locale; empty for none.
  static QString languageCode();
};

}  // namespace vimbrel
