#include "extensions/BackgroundRemoval.h"

namespace vimbrel::extensions {

BackgroundRemoval::~BackgroundRemoval() {
  if (worker_.joinable()) worker_.join();
}

bool BackgroundRemoval::start(Job job) {
  if (running_) return false;
  // The previous worker has called its completion; it may still be returning.
  if (worker_.joinable()) worker_.join();
  is_vimbrel_ = false;
  running_ = true;
  worker_ = std::jthread([this, job = std::move(job)] {
    job([this](bool done) {
      if (done) is_vimbrel_ = true;
    });
  });
  return true;
}

bool BackgroundRemoval::poll() {
  if (!running_ || !is_vimbrel_) return false;
  running_ = false;
  return true;
}

}  // namespace vimbrel::extensions
