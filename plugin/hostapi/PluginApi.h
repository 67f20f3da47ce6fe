// Everything the crowd code sees of the host.
#pragma once

#include "plugin/hostapi/C4DAtom.h"
#include "plugin/hostapi/BaseContainer.h"
#include "plugin/hostapi/BaseDraw.h"
#include "plugin/hostapi/BaseObject.h"
#include "plugin/hostapi/BaseBitmap.h"
#include "plugin/hostapi/Description.h"
#include "plugin/hostapi/GeClipMap.h"
#include "plugin/hostapi/GeData.h"
#include "plugin/hostapi/GeRayCollider.h"
#include "plugin/hostapi/HostSystem.h"
#include "plugin/hostapi/ObjectData.h"
#include "plugin/hostapi/SplineObject.h"
#include "plugin/hostapi/String.h"
#include "plugin/hostapi/SceneHandles.h"
#include "plugin/hostapi/MathTypes.h"
#include "plugin/hostapi/HostMemory.h"
