#pragma once

#include <string>

namespace vimbrel::spider {

// Opens Vimbrel's review of a bundle, as dropping it on the window does.
class ReviewOpener {
 public:
  virtual ~ReviewOpener() = default;
  virtual void openReview(const std::string& bundle) = 0;
};

// Starts the window program, `vimbrel PATH`: the one installed beside the
// agent (or built beside it), otherwise the one on the PATH.
class ProcessReviewOpener final : public ReviewOpener {
 public:
  void openReview(const std::string& bundle) override;
};

}  // namespace vimbrel::spider
