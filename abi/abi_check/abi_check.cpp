// Compiles the boundary header as pedantic C++17 and pins the layout of its plain values.
#include "abi/host_abi.h"
#include "abi/CrowdRecordLayout.h"

#include <type_traits>

static_assert(std::is_standard_layout<VtVector>::value, "VtVector crosses the boundary");
static_assert(std::is_standard_layout<VtMatrix>::value, "VtMatrix crosses the boundary");
static_assert(std::is_standard_layout<VtData>::value, "VtData crosses the boundary");
static_assert(std::is_standard_layout<VtDescId>::value, "VtDescId crosses the boundary");
static_assert(sizeof(VtMatrix) == 12 * sizeof(double), "four vectors");
static_assert(offsetof(VtPrivateData, data) == sizeof(void*),
              "flag, then pointer at natural alignment");
static_assert(offsetof(VtRenderNotification, start) == sizeof(void*), "document, then the flag");

int vt_abi_check_cxx() {
    return VT_API_VERSION;
}
