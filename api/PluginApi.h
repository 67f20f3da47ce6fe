// Everything the crowd code sees of the host.
#pragma once

#include "C4DAtom.h"
#include "BaseContainer.h"
#include "BaseDraw.h"
#include "BaseObject.h"
#include "BaseBitmap.h"
#include "Description.h"
#include "GeClipMap.h"
#include "GeData.h"
#include "GeRayCollider.h"
#include "HostSystem.h"
#include "ObjectData.h"
#include "SplineObject.h"
#include "String.h"
#include "SceneHandles.h"
#include "MathTypes.h"
#include "HostMemory.h"
