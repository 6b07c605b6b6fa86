#include "RavellToolKit.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QPointer>
#include <QUrl>
#include <mutex>

#include "RAKEvent.h"
#include "RAKQueue.h"
#include "RTKEmail.h"
#include "RTKFeedback.h"
#include "RTKHappiness.h"
#include "RTKPromptDelegate.h"
#include "RTKRate.h"
#include "RTKSchedule.h"
#include "RTKTexts.h"
#include "RTKThanks.h"
#include "RTKTransparentWindow.h"
#include "RVLDataStore.h"
#include "RVLLog.h"

namespace vimbrel {
namespace {

const char kHappinessMessage[] =
    "We'd love it if you could take a second to tell us how you're enjoying using %@";
const char kHappinessTitle[] = "Are you enjoying %@?";
const char kRatingMessage[] =
    "Ratings help us make %@ better! We're really excited to see what you think.";
const char kRatingTitle[] = "Help improve %@!";
const char kFeedbackMessage[] =
    "Send direct feedback on how we can improve %@ using the form below.";

const QString kHappinessFlag = QStringLiteral("RVLHappinessPrompt");
const QString kRatingFlag = QStringLiteral("RVLRatingPrompt");
const QString kFeedbackFlag = QStringLiteral("RVLFeedbackPrompt");
const QString kEmailFlag = QStringLiteral("RVLEmailPrompt");

void record(const char* action, const std::optional<QVariantMap>& properties = std::nullopt) {
  RAKQueue::sharedInstance().addEvent(RAKEvent(QLatin1String(action), properties));
}

void storeFlag(const QString& key) {
  RVLDataStore& store = RVLDataStore::sharedInstance();
  store.setObject(true, key);
  store.synchronize();
}

bool haveWidgets() {
  if (qobject_cast<QApplication*>(QCoreApplication::instance())) return true;
  rvllog::warning(QStringLiteral("Prompts need a QApplication; nothing shown"));
  return false;
}

}  // namespace

// The toolkit's side of the prompt windows: what happens after each answer.
class RTKToolKitBridge : public RTKPromptDelegate {
 public:
  explicit RTKToolKitBridge(RavellToolKit& toolKit) : toolKit_(toolKit) {}

  void happinessFinished(int value) override {
    record("RSDK.Happiness.Submitted", QVariantMap{{QStringLiteral("happiness"), value}});
    storeFlag(kHappinessFlag);
    if (toolKit_.delegate_)
      toolKit_.delegate_->RTKToolSubmitted(QStringLiteral("happiness"), value);
  }
  void happinessClosed() override {
    record("RSDK.Happiness.Dismissed");
    storeFlag(kHappinessFlag);
  }
  void ratingFinished(int value) override {
    record("RSDK.Rating.Submitted", QVariantMap{{QStringLiteral("rating"), value}});
    // The thank-you window comes first; the flag is stored once it has closed.
    toolKit_.presentThanksView();
    storeFlag(kRatingFlag);
    if (toolKit_.delegate_) toolKit_.delegate_->RTKToolSubmitted(QStringLiteral("rating"), value);
  }
  void ratingClosed() override {
    record("RSDK.Rating.Dismissed");
    storeFlag(kRatingFlag);
  }
  void feedbackFinished() override {
    record("RSDK.Feedback.Submitted");
    storeFlag(kFeedbackFlag);
  }
  void feedbackClosed() override {
    record("RSDK.Feedback.Dismissed");
    storeFlag(kFeedbackFlag);
  }
  void emailFinished() override { record("RSDK.Email.Submitted"); }
  void emailClosed() override { record("RSDK.Email.Dismissed"); }
  void thanksFeedback() override {
    toolKit_.presentFeedbackViewWithSchedule(std::nullopt, std::nullopt, QStringLiteral("thanks"));
  }
  void thanksClosed() override { record("RSDK.Thanks.Dismissed"); }

  // Runs a prompt window modally and forgets it once it has closed.
  void runModal(RTKTransparentWindow* window) {
    QPointer<RTKTransparentWindow> guard(window);
    window->exec();
    delete guard.data();
  }

 private:
  RavellToolKit& toolKit_;
};

RavellToolKit& RavellToolKit::sharedInstance() {
  static RavellToolKit* instance = nullptr;
  static std::once_flag once;
  std::call_once(once, [] { instance = new RavellToolKit(); });
  return *instance;
}

RavellToolKit::RavellToolKit() : bridge_(std::make_unique<RTKToolKitBridge>(*this)) {}

RavellToolKit::~RavellToolKit() = default;

bool RavellToolKit::isSetupAfterAllKeys() const {
  const RVLDataStore& store = RVLDataStore::sharedInstance();
  return store.objectForKey(QLatin1String(RVLDataStore::kApiKey)).isValid() &&
         store.objectForKey(QLatin1String(RVLDataStore::kVendorKey)).isValid() &&
         store.objectForKey(QLatin1String(RVLDataStore::kProductKey)).isValid();
}

bool RavellToolKit::isPromptUsed(const QString& flagKey) const {
  return RVLDataStore::sharedInstance().objectForKey(flagKey).isValid();
}

namespace {

// The gate all four scheduled prompts pass: the used flag (only with a
// schedule), the schedule itself (which records an event schedule even
// before the credentials are there), then the credentials.
bool passesGate(const RavellToolKit& toolKit, const std::optional<QString>& schedule,
                const QString& flag, const QString& tool) {
  if (schedule && toolKit.isPromptUsed(flag)) return false;
  if (!RTKSchedule::shouldLaunchWithSchedule(schedule, tool)) return false;
  return toolKit.isSetupAfterAllKeys();
}

}  // namespace

void RavellToolKit::presentHappinessViewWithSchedule(const std::optional<QString>& schedule,
                                                     const std::optional<QString>& message) {
  if (!passesGate(*this, schedule, kHappinessFlag, QStringLiteral("happiness")) || !haveWidgets()) {
    return;
  }
  const RTKSchedule::Presenting presenting(QStringLiteral("happiness"));
  record("RSDK.Happiness.Displayed");
  rtktexts::handOver(message.value_or(rtktexts::trWithAppName(kHappinessMessage)),
                     rtktexts::trWithAppName(kHappinessTitle));
  bridge_->runModal(RTKHappiness::createWindow(bridge_.get()));
}

void RavellToolKit::presentRatingViewWithSchedule(const std::optional<QString>& schedule,
                                                  const std::optional<QString>& message) {
  if (!passesGate(*this, schedule, kRatingFlag, QStringLiteral("rating")) || !haveWidgets()) {
    return;
  }
  const RTKSchedule::Presenting presenting(QStringLiteral("rating"));
  record("RSDK.Rating.Displayed");
  rtktexts::handOver(message.value_or(rtktexts::trWithAppName(kRatingMessage)),
                     rtktexts::trWithAppName(kRatingTitle));
  bridge_->runModal(RTKRate::createWindow(bridge_.get()));
}

void RavellToolKit::presentFeedbackViewWithSchedule(const std::optional<QString>& schedule,
                                                    const std::optional<QString>& message,
                                                    const std::optional<QString>& label) {
  if (!passesGate(*this, schedule, kFeedbackFlag, QStringLiteral("feedback")) || !haveWidgets()) {
    return;
  }
  const RTKSchedule::Presenting presenting(QStringLiteral("feedback"));
  record("RSDK.Feedback.Displayed");
  rtktexts::handOver(message.value_or(rtktexts::trWithAppName(kFeedbackMessage)), std::nullopt);
  bridge_->runModal(RTKFeedback::createWindow(bridge_.get(), label.value_or(QString())));
}

void RavellToolKit::presentEmailSubscribePromptWithSchedule(const std::optional<QString>& schedule,
                                                            const std::optional<QString>& message) {
  if (!passesGate(*this, schedule, kEmailFlag, QStringLiteral("email"))) return;
  const RTKSchedule::Presenting presenting(QStringLiteral("email"));
  record("RSDK.Email.Displayed");
  RTKEmail::presentEmailSubscribePromptWithMessage(message);
}

void RavellToolKit::presentThanksView() {
  if (!isSetupAfterAllKeys() || !haveWidgets()) return;
  record("RSDK.Thanks.Displayed");
  bridge_->runModal(RTKThanks::createWindow(bridge_.get()));
}

void RavellToolKit::presentAppStoreRatingWithSchedule(const std::optional<QString>&,
                                                      const QString& appId) {
  QUrl url;
  url.setScheme(QStringLiteral("macappstore"));
  url.setHost(QStringLiteral("itunes.apple.com"));
  url.setPath(QStringLiteral("/app/id") + appId);
  url.setQuery(QStringLiteral("mt=12"));
  QDesktopServices::openUrl(url);
}

QWidget* RavellToolKit::buildPromptWindow(const QString& windowName) {
  if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return nullptr;
  if (windowName == QLatin1String("RTKHappinessWindow")) {
    rtktexts::handOver(rtktexts::trWithAppName(kHappinessMessage),
                       rtktexts::trWithAppName(kHappinessTitle));
    return RTKHappiness::createWindow(nullptr);
  }
  if (windowName == QLatin1String("RTKRateWindow")) {
    rtktexts::handOver(rtktexts::trWithAppName(kRatingMessage),
                       rtktexts::trWithAppName(kRatingTitle));
    return RTKRate::createWindow(nullptr);
  }
  if (windowName == QLatin1String("RTKFeedbackWindow")) {
    rtktexts::handOver(rtktexts::trWithAppName(kFeedbackMessage), std::nullopt);
    return RTKFeedback::createWindow(nullptr, QString());
  }
  if (windowName == QLatin1String("RTKThanksWindow")) return RTKThanks::createWindow(nullptr);
  if (windowName == QLatin1String("EmailAlert")) return RTKEmail::buildAlert(std::nullopt);
  return nullptr;
}

}  // namespace vimbrel
