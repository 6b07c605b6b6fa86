#pragma once

class QLineEdit;

namespace vimbrel::ui {

// Names the clear button of a filter field ("Clear", object name "clear"),
// which Qt leaves nameless, so that a screen reader can say what it does.
void nameClearButton(QLineEdit* field);

}  // namespace vimbrel::ui
