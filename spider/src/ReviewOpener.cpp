#include "spider/ReviewOpener.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <cstdio>

namespace vimbrel::spider {

void ProcessReviewOpener::openReview(const std::string& bundle) {
  const QString here = QCoreApplication::applicationDirPath();
  QString program = "vimbrel";
  for (const QString& candidate : {here + "/vimbrel", here + "/../app/vimbrel"}) {
    if (QFileInfo(candidate).isExecutable()) {
      program = candidate;
      break;
    }
  }
  if (!QProcess::startDetached(program, {QString::fromStdString(bundle)})) {
    std::fprintf(stderr, "vimbrel-spider: cannot start %s\n", qPrintable(program));
  }
}

}  // namespace vimbrel::spider
