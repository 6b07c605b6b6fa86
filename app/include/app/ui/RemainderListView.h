#pragma once

#include <QListView>

namespace vimbrel {

// The review's list (a RemainderModel drawn by RemainderRowDelegate). A
// screen reader sees each file row as a check box named after its switch
// ("Remove Tool in Application Support"), checked while the entry is chosen,
// with a Toggle action; header rows are static text.
class RemainderListView : public QListView {
  Q_OBJECT

 public:
  explicit RemainderListView(QWidget* parent = nullptr);
};

}  // namespace vimbrel
