#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/RemainderEntry.h"
#include "engine/Survivor.h"
#include "extensions/BackgroundRemoval.h"
#include "platform/FileSystem.h"
#include "platform/SettingsStore.h"

namespace vimbrel {

class WorkflowState;

// The removal of a review as one workflow below the pages: the engine's
// removal of the chosen entries runs on a worker thread (the same
// BackgroundRemoval the extension pages use), its progress can be read at any
// time, and when it ends the survivors and the bytes actually freed are
// written into the workflow state. The order, the safety rules and the
// survivors are the engine's.
class ReviewRemoval {
 public:
  struct Progress {
    std::size_t itemsDone = 0;
    std::size_t itemsTotal = 0;
    std::uint64_t bytesDone = 0;
    std::uint64_t bytesTotal = 0;
  };

  // `settings` give the granted roots, resolved when a removal starts.
  ReviewRemoval(const FileSystem& fileSystem, const SettingsStore& settings, WorkflowState& state);
  // Waits for a running removal: a deletion is never abandoned halfway.
  ~ReviewRemoval();
  ReviewRemoval(const ReviewRemoval&) = delete;
  ReviewRemoval& operator=(const ReviewRemoval&) = delete;

  // Starts removing `chosen` (the review's list, switched-off rows as
  // placeholders) with `chosenBundle`; `sizes` are the search's, by position.
  // False when a removal already runs.
  bool start(std::vector<RemainderEntry> chosen, std::vector<SizeEntry> sizes,
             std::string chosenBundle);
  bool running() const { return background_->running(); }
  Progress progress() const;
  // The timer's tick: true once, when the removal has ended and the state
  // holds its survivors and freed size.
  bool poll();
  // Blocks until a running removal has ended (closing the window).
  void wait();

 private:
  class CountingFileSystem;
  struct Run;

  const FileSystem& fileSystem_;
  const SettingsStore& settings_;
  WorkflowState& state_;
  std::shared_ptr<Run> run_;
  // Last, so that it is destroyed first: its destructor joins the worker
  // while everything the worker reads is still alive.
  std::unique_ptr<extensions::BackgroundRemoval> background_;
};

}  // namespace vimbrel
