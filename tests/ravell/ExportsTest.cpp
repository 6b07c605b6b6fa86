// libRavellMAS.so exports the API of its public headers and nothing else.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>

namespace {

struct PublicApi {
  QSet<QString> classes;
  // "Class::function" for every function a header declares without defining
  // it, so that the library must export it.
  QSet<QString> outOfLine;
};

PublicApi readHeaders() {
  PublicApi api;
  const QRegularExpression comment(QStringLiteral(R"(//[^\n]*)"));
  const QRegularExpression classBody(
      QStringLiteral(R"(class\s+RAVELL_EXPORT\s+(\w+)[^{;]*\{(.*?)\n\};)"),
      QRegularExpression::DotMatchesEverythingOption);
  // A function defined in the header ends its statement here.
  const QRegularExpression inlineBody(QStringLiteral(R"(\)\s*(const\s*)?\{[^{}]*\})"));
  const QRegularExpression function(
      QStringLiteral(R"(^[\w:<>,&*\s]*?(~?\w+)\s*\(.*\)\s*(const)?$)"),
      QRegularExpression::DotMatchesEverythingOption);
  for (const QString& name : QDir(QStringLiteral(RAVELL_PUBLIC_HEADERS))
                                 .entryList({QStringLiteral("*.h")}, QDir::Files)) {
    QFile file(QStringLiteral(RAVELL_PUBLIC_HEADERS "/") + name);
    if (!file.open(QIODevice::ReadOnly)) continue;
    const QString text = QString::fromUtf8(file.readAll()).remove(comment);
    for (auto it = classBody.globalMatch(text); it.hasNext();) {
      const auto match = it.next();
      const QString cls = match.captured(1);
      api.classes.insert(cls);
      QString body = match.captured(2);
      body.replace(inlineBody, QStringLiteral(") INLINE;"));
      for (QString statement : body.split(QLatin1Char(';'))) {
        statement.remove(QRegularExpression(QStringLiteral(R"(\b(public|private|protected):)")));
        statement = statement.simplified();
        if (statement.contains(QLatin1String("INLINE")) ||
            statement.endsWith(QLatin1String("= delete")) ||
            statement.endsWith(QLatin1String("= 0")) ||
            statement.endsWith(QLatin1String("= default")) ||
            statement.startsWith(QLatin1String("friend"))) {
          continue;
        }
        if (const auto declared = function.match(statement); declared.hasMatch()) {
          api.outOfLine.insert(cls + QStringLiteral("::") + declared.captured(1));
        }
      }
    }
  }
  return api;
}

QStringList exportedSymbols() {
  QProcess nm;
  nm.start(QStringLiteral("nm"), {QStringLiteral("-DC"), QStringLiteral("--defined-only"),
                                  QStringLiteral(RAVELL_SHARED_LIBRARY)});
  if (!nm.waitForFinished(60000) || nm.exitCode() != 0) return {};
  QStringList symbols;
  for (const QString& line : QString::fromUtf8(nm.readAllStandardOutput()).split('\n')) {
    // "<address> <type> <name>"; the linker's own markers are absolute ("A")
    // or mark the data segments' ends.
    const QStringList parts = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (parts.size() < 3) continue;
    const QString name = line.section(QLatin1Char(' '), 2);
    if (parts[1] == QLatin1String("A") || name.startsWith(QLatin1String("_edata")) ||
        name.startsWith(QLatin1String("_end")) || name.startsWith(QLatin1String("__bss_start"))) {
      continue;
    }
    symbols << name;
  }
  return symbols;
}

TEST(ExportsTest, TheLibraryExportsExactlyItsPublicApi) {
  const PublicApi api = readHeaders();
  ASSERT_TRUE(api.classes.contains(QStringLiteral("RavellToolKit")));
  ASSERT_TRUE(api.outOfLine.contains(QStringLiteral("Ravell::setupAfterAllKeys")));
  const QStringList symbols = exportedSymbols();
  ASSERT_FALSE(symbols.isEmpty()) << "nm found no symbols in " RAVELL_SHARED_LIBRARY;

  const QRegularExpression member(QStringLiteral(R"(^vimbrel::(\w+)::(~?\w+)\()"));
  const QRegularExpression typeData(
      QStringLiteral(R"(^(?:typeinfo for|typeinfo name for|vtable for) vimbrel::(\w+)$)"));
  QSet<QString> exported;
  for (const QString& symbol : symbols) {
    if (const auto match = member.match(symbol); match.hasMatch()) {
      const QString function = match.captured(1) + QStringLiteral("::") + match.captured(2);
      EXPECT_TRUE(api.outOfLine.contains(function))
          << "not in a public header: " << symbol.toStdString();
      exported.insert(function);
      continue;
    }
    if (const auto match = typeData.match(symbol); match.hasMatch()) {
      EXPECT_TRUE(api.classes.contains(match.captured(1))) << symbol.toStdString();
      continue;
    }
    ADD_FAILURE() << "exported but not public: " << symbol.toStdString();
  }
  for (const QString& function : api.outOfLine) {
    EXPECT_TRUE(exported.contains(function))
        << "declared but not exported: " << function.toStdString();
  }
}

}  // namespace
