// Everything the crowd code sees of the host.
#pragma once

#include "c4d_atom.h"
#include "c4d_basecontainer.h"
#include "c4d_basedraw.h"
#include "c4d_baseobject.h"
#include "c4d_bitmap.h"
#include "c4d_description.h"
#include "c4d_gedata.h"
#include "c4d_general.h"
#include "c4d_objectdata.h"
#include "c4d_string.h"
#include "c4d_utility.h"
#include "ge_math.h"
#include "ge_memory.h"
