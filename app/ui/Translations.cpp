#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "app/ui/Style.h"

// Registers the translations embedded in the application
// (":/vimbrel/translations"). At global scope, as the macro declares the
// resource's registration function; explicit, because a static library drops
// a resource object that nothing refers to.
static void registerAppTranslations() { Q_INIT_RESOURCE(vimbrel_translations); }

namespace vimbrel::ui {

namespace {

// The group titles of the review, which the engine names in English.
[[maybe_unused]] constexpr const char* kGroupTitles[] = {
    QT_TRANSLATE_NOOP("RemainderGroup", "Executables"),
    QT_TRANSLATE_NOOP("RemainderGroup", "Preferences"),
    QT_TRANSLATE_NOOP("RemainderGroup", "Support files"),
    QT_TRANSLATE_NOOP("RemainderGroup", "Launch Agents"),
    QT_TRANSLATE_NOOP("RemainderGroup", "Logs"),
    QT_TRANSLATE_NOOP("RemainderGroup", "Plugins"),
    QT_TRANSLATE_NOOP("RemainderGroup", "Desktop Alias"),
    QT_TRANSLATE_NOOP("RemainderGroup", "Other"),
};

}  // namespace

void installTranslations() {
  static bool installed = false;
  if (installed || QCoreApplication::instance() == nullptr) return;
  installed = true;
  registerAppTranslations();
  const QLocale locale;
  // The window's own texts.
  auto* own = new QTranslator(QCoreApplication::instance());
  if (own->load(locale, QStringLiteral("Vimbrel"), QStringLiteral("_"),
                QStringLiteral(":/vimbrel/translations"))) {
    QCoreApplication::installTranslator(own);
  } else {
    delete own;
  }
  // Qt's own texts (a text field's context menu, the folder panel), where installed.
  auto* qt = new QTranslator(QCoreApplication::instance());
  if (qt->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
               QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QCoreApplication::installTranslator(qt);
  } else {
    delete qt;
  }
}

}  // namespace vimbrel::ui
