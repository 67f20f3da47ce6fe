// The viewport an object draws into, and its per-object drawing context.
#pragma once

#include "BaseObject.h"

/// What an object's Draw answers: drawn, skipped this pass, or failed.
enum class DrawResult : int32_t {
    Error = VT_DRAW_RESULT_ERROR,
    Ok = VT_DRAW_RESULT_OK,
    Skip = VT_DRAW_RESULT_SKIP,
};

/// The pass the host is drawing.
typedef int32_t DRAWPASS;
namespace DrawPass {
constexpr DRAWPASS Object = VT_DRAW_PASS_OBJECT;
}

class BaseDraw {
public:
    BaseDraw() = delete;
    ~BaseDraw() = delete;
};

class BaseDrawHelp {
public:
    BaseDrawHelp() = delete;
    ~BaseDrawHelp() = delete;
};
