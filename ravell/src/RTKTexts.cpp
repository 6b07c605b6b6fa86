#include "RTKTexts.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QLocale>
#include <QPainter>
#include <QTranslator>
#include <memory>
#include <mutex>

#include "DirectoryLocations.h"
#include "RVLLog.h"
#include "RVLSystemInfo.h"
#include "platform/SettingsStore.h"

// Registers the translations embedded in the framework (":/ravell/translations").
// Explicitly, because a static link of the framework drops the resource object
// that nothing refers to; registering it twice is harmless. At global scope, as
// the macro declares the resource's registration function.
static void registerTranslationResources() { Q_INIT_RESOURCE(ravell_translations); }

namespace vimbrel::rtktexts {
namespace {

constexpr char kContext[] = "RavellMAS";

// The translator of the current default locale: loaded the first time a text
// is needed, and loaded anew when the host changes its locale afterwards.
void installTranslator() {
  if (!QCoreApplication::instance()) return;
  static std::mutex mutex;
  static std::optional<QString> installedFor;
  static QTranslator* installed = nullptr;
  const std::lock_guard lock(mutex);
  const QLocale locale;
  if (installedFor == locale.name()) return;
  installedFor = locale.name();
  if (installed) {
    QCoreApplication::removeTranslator(installed);
    delete installed;
    installed = nullptr;
  }
  registerTranslationResources();
  auto translator = std::make_unique<QTranslator>();
  QStringList folders{QStringLiteral(":/ravell/translations")};
  const QString configured = qEnvironmentVariable("RAVELL_TRANSLATIONS");
  if (!configured.isEmpty()) folders.prepend(configured);
  for (const QString& folder : folders) {
    if (translator->load(locale, QStringLiteral("RavellMAS"), QStringLiteral("_"), folder)) {
      installed = translator.release();
      QCoreApplication::installTranslator(installed);
      return;
    }
  }
}

std::unique_ptr<SettingsStore> hostDefaults() {
  QString domain = RVLSystemInfo::appBundleIdentifier();
  if (domain.isEmpty()) domain = directorylocations::executableName();
  return openPlistSettingsStore(settingsFolder(), domain.toStdString());
}

void writeText(SettingsStore& store, const char* key, const QString& text) {
  const QByteArray utf8 = text.toUtf8();
  store.setBlob(key, Blob(utf8.begin(), utf8.end()));
}

QString readText(const char* key) {
  const auto blob = hostDefaults()->blob(key);
  if (!blob) return {};
  return QString::fromUtf8(reinterpret_cast<const char*>(blob->data()), qsizetype(blob->size()));
}

}  // namespace

QString tr(const char* english) {
  installTranslator();
  const QString translated = QCoreApplication::translate(kContext, english);
  return translated.isEmpty() ? QString::fromUtf8(english) : translated;
}

QString trWithAppName(const char* english) {
  return tr(english).replace(QStringLiteral("%@"), RVLSystemInfo::appName());
}

void handOver(const QString& message, const std::optional<QString>& title) {
  auto store = hostDefaults();
  writeText(*store, "RVLTmpMessage", message);
  if (title) writeText(*store, "RVLTmpTitle", *title);
  if (!store->synchronize())
    rvllog::warning(QStringLiteral("Could not hand the prompt texts over"));
}

QString handedMessage() { return readText("RVLTmpMessage"); }

QString handedTitle() { return readText("RVLTmpTitle"); }

QPixmap applicationIcon(int size) {
  const QIcon icon = QApplication::windowIcon();
  // Only a real icon of the host, at a size that does not blur.
  if (!icon.isNull() && icon.actualSize(QSize(size, size)).width() >= size / 2) {
    return icon.pixmap(size, size);
  }
  // The host has no icon of its own: a rounded tile with its initial.
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setBrush(QColor(0x3d, 0x7b, 0xd9));
  painter.setPen(Qt::NoPen);
  painter.drawRoundedRect(QRectF(0, 0, size, size), size * 0.22, size * 0.22);
  painter.setPen(Qt::white);
  QFont font = painter.font();
  font.setBold(true);
  font.setPixelSize(size / 2);
  painter.setFont(font);
  const QString name = RVLSystemInfo::appName();
  painter.drawText(QRect(0, 0, size, size), Qt::AlignCenter,
                   name.isEmpty() ? QStringLiteral("?") : name.left(1).toUpper());
  return pixmap;
}

}  // namespace vimbrel::rtktexts
