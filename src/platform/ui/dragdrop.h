// Dragging between controls as the toolkit delivers it: a control whose
// items are dragged starts the toolkit's drag when the pointer moves far
// enough with the left button held; a control that takes drops is asked
// while the drag passes over it and told where it was dropped. Only drags
// started by a control of this program are offered.
#pragma once
#include <memory>

#include "platform/ui/controls.h"

class QMimeData;

namespace plat {

enum class TDragState { dsDragEnter, dsDragLeave, dsDragMove };
// (target, source, x, y, state, accept): accept starts true.
using TDragOverEvent = Event<TObject*, TObject*, int, int, TDragState, bool&>;
// (target, source, x, y).
using TDragDropEvent = Event<TObject*, TObject*, int, int>;

// Makes a control a source of drags (automatic drag: a press and a move of
// the toolkit's drag distance start it). The watcher goes with the control.
void EnableDragSource(TControl* control);

// Makes a control take drops; the events are asked for every drag over it.
// Without an over-event every drag is refused.
void EnableDropTarget(TControl* control, TDragOverEvent over, TDragDropEvent drop);

// The data of a drag from a control, as the toolkit carries it (the control
// becomes the drag's source until the next drag).
std::unique_ptr<QMimeData> DragDataOf(TControl* source);

}  // namespace plat
