#pragma once

#include <QString>
#include <QVariantMap>
#include <cstdint>
#include <optional>

namespace vimbrel {

// One analytics event: a name, optional properties and its UTC creation time.
// Its JSON form (the payload) is built at sending time, with the write key,
// the actor and the context properties of that moment.
class RAKEvent {
 public:
  // Creates the event now and runs the event-triggered prompt check for it:
  // at once on the main thread, queued to the main thread from any other (the
  // prompts are windows). Creating an event does not queue it.
  RAKEvent(const QString& action, const std::optional<QVariantMap>& properties);

  // The archived form {"action", "properties" (when present), "timestamp"}.
  QVariantMap archive() const;
  // Restores an archived event (no prompt check); nothing when it is malformed.
  static std::optional<RAKEvent> fromArchive(const QVariant& archived);

  // True when the properties can be written as JSON (and so sent).
  bool isWritable() const;

  // {"action_name", "timestamp", "write_key", "actor", "properties"}; the
  // context properties override event properties of the same name.
  QVariantMap payload(const QString& writeKey, const QString& actor) const;
  // The properties every event carries about the application, OS and machine.
  static QVariantMap contextProperties();

  // Names the event in the queue's journal when it leaves the queue: its
  // action and creation time. Two events with the same key are sent alike.
  std::uint64_t key() const;

  const QString& action() const { return action_; }
  const std::optional<QVariantMap>& properties() const { return properties_; }
  const QString& timestamp() const { return timestamp_; }

 private:
  RAKEvent() = default;

  QString action_;
  std::optional<QVariantMap> properties_;
  QString timestamp_;
};

}  // namespace vimbrel
