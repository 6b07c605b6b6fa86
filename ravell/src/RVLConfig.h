#pragma once

#include <QObject>
#include <QString>
#include <QVariant>
#include <memory>

namespace vimbrel {

struct RVLResponse;

// One fetch of the remote configuration: the tools request tells whether
// analytics is active and under which plan, the keys request then brings the
// plan's write key. Answers are encrypted with the built-in key. An empty tool
// list, or a keys answer without the plan, stops the event queue for this run.
// The object keeps itself alive until its requests are answered.
class RVLConfig : public std::enable_shared_from_this<RVLConfig> {
 public:
  static std::shared_ptr<RVLConfig> create();

  void getTools();
  void getKeys(const QString& planIdentifier);

 private:
  RVLConfig() = default;
  // The decrypted JSON answer, or null when the body cannot be read.
  static QVariant decodeAnswer(const RVLResponse& response);
  static void toolsAnswered(const QVariant& answer, const std::shared_ptr<RVLConfig>& self);
  static void keysAnswered(const QVariant& answer);

  std::unique_ptr<QObject> context_ = std::make_unique<QObject>();
};

}  // namespace vimbrel
