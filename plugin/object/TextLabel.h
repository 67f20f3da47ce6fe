// A general text routine: a text label at a point of the viewport's drawing space. The
// generator numbers its agents with it.
#pragma once

#include "plugin/hostapi/PluginApi.h"

/// Draws `text` as a label: white letters on a dark translucent ground in a clip map, shown
/// as a textured quad whose lower-left corner is `pos` and which extends along +x and +y of
/// the drawing space, one pixel per unit times `scale`. A colour other than white tints a copy
/// of the picture. Draws nothing when the host refuses the memory it needs.
void SDrawText(BaseDraw* bd, const String& text, const LVector& pos, const LVector& colour,
               const LVector& scale);
