// The bound on blend evaluation. The world evaluates a generator's behaviours and blends for
// every agent at every frame, following each blend's list into the blends it names; a
// blend is skipped only where it already lies on the current path. Blends that list each
// other therefore expand like the paths through them, factorially: ten blends that each
// list all the others visit millions of entries per agent.
//
// A scene is refused when one agent's evaluation would visit more than
// kMaxBlendExpansion list entries, counted as the world walks them (every entry of a
// blend's list, only the indexed one in the single-entry mode). Scenes under the limit
// play exactly as before.
#pragma once

#include "scenefile/SceneBuilder.h"

#include <cstddef>

namespace vantri {

constexpr size_t kMaxBlendExpansion = 10000;

/// A scene_error at the generator's behaviour list, naming the generator and the blends it
/// reaches, when one of `built`'s generators expands beyond kMaxBlendExpansion.
Status check_blend_expansion(const std::vector<BuiltObject>& built, const Document& document);

} // namespace vantri
