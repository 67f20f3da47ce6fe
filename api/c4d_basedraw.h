// The viewport an object draws into, and its per-object drawing context.
#pragma once

#include "c4d_baseobject.h"

enum { DRAWRESULT_ERROR = 0, DRAWRESULT_OK = 1, DRAWRESULT_SKIP = 2 };
typedef LONG DRAWRESULT;
enum { DRAWPASS_OBJECT = 0 };
typedef LONG DRAWPASS;

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
