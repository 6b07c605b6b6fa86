#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>

namespace vimbrel::testing {

// Runs vimbrel-spider with the test's bus, off screen, with its settings under
// `configHome`.
inline QProcess* startAgent(const QString& configHome, QObject* parent = nullptr) {
  auto* process = new QProcess(parent);
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("XDG_CONFIG_HOME", configHome);
  // The single-instance lock stays in the test's own folder.
  env.insert("XDG_RUNTIME_DIR", configHome);
  env.insert("QT_QPA_PLATFORM", "offscreen");
  process->setProcessEnvironment(env);
  process->setProcessChannelMode(QProcess::SeparateChannels);
  process->start(VIMBREL_SPIDER_PATH, {});
  return process;
}

}  // namespace vimbrel::testing
