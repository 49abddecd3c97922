#pragma once

#include "platform/gfx/Picture.h"

struct ITarget;

namespace talvodesk {

/// Adds a cross of two line elements centred on (x, y) millimetres, as large as the event's "_mark_size" (a
/// negative size counts as 0), else its display calibre, else its calibre. False, with nothing added, without a
/// control or an event on it.
bool AddCrossMark(ITarget* target, float x, float y);
/// The cross of a group's mean breach, the one rule of the series view and the info page: a group of `hits`
/// shots that were not missed; with none (no shots, or missed ones only) no cross, since none has a centre.
/// False when nothing was added.
bool AddGroupCross(ITarget* target, long hits, float meanX, float meanY);

/// The five-target biathlon plate in a 15000 x 5000 logical space: its frame, and for `position` 1..5 that
/// target's circle, white with a black outline when `hitPosition` equals it, else black with a white outline.
platform::gfx::Picture CreateFiveTargetsPicture(long hitPosition, long position);

} // namespace talvodesk
