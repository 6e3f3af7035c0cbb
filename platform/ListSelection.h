#pragma once

#include <functional>

class QComboBox;

namespace platform {

// Runs the handler, guarded, when the user chooses an item from the box's
// list: in the open list with the mouse or Enter, or on the closed box with
// the arrow keys, Page Up, Page Down or the mouse wheel. Qt reports more than
// that as an activation: an editable box whose text matches an item reports it
// when it loses the focus (leaving the box, hiding, closing or destroying its
// window) and when it takes Enter. None of those is a choice, and none runs the
// handler; nor does anything while the box is not shown.
void OnListSelect(QComboBox* box, std::function<void()> handler);

} // namespace platform
