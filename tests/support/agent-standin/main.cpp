// A stand-in for the login-item agent in tests: it owns the agent's
// session-bus name, if there is a session bus, and quits when asked through
// it; a second instance in one session leaves at once, as the agent does.
// With VIMBREL_STANDIN_IGNORE_QUIT set it answers the quit request with an
// error and keeps running, so that only a signal stops it.
#include <QtCore/QCoreApplication>
#include <QtCore/QObject>
#include <QtCore/QTimer>
#include <QtDBus/QDBusConnection>
#include <QtDBus/QDBusContext>
#include <QtDBus/QDBusMessage>
#include <cstdlib>

namespace {

constexpr const char* kBusName = "com.Orvik.Seltan.Vimbrel-Spider";

class QuitObject : public QObject, protected QDBusContext {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "com.Orvik.Seltan.VimbrelSpider")

 public slots:
  Q_SCRIPTABLE void Quit() {
    if (std::getenv("VIMBREL_STANDIN_IGNORE_QUIT")) {
      sendErrorReply(QDBusError::AccessDenied, QStringLiteral("not quitting"));
      return;
    }
    // Quit after the reply has gone out.
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
  }
};

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QuitObject quitObject;
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (bus.isConnected()) {
    if (!bus.registerService(QString::fromLatin1(kBusName))) return 0;
    bus.registerObject(QStringLiteral("/com/Orvik/Seltan/VimbrelSpider"), &quitObject,
                       QDBusConnection::ExportScriptableSlots);
  }
  return app.exec();
}

#include "main.moc"
