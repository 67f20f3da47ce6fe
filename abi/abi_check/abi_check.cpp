// Compiles the boundary header as pedantic C++17 and pins the layout of its plain values.
#include "abi/host_abi.h"
#include "abi/CrowdRecordLayout.h"

#include <cstddef>
#include <type_traits>

static_assert(std::is_standard_layout<VtVector>::value, "VtVector crosses the boundary");
static_assert(std::is_standard_layout<VtMatrix>::value, "VtMatrix crosses the boundary");
static_assert(std::is_standard_layout<VtData>::value, "VtData crosses the boundary");
static_assert(std::is_standard_layout<VtDescId>::value, "VtDescId crosses the boundary");
static_assert(sizeof(VtMatrix) == 12 * sizeof(double), "four vectors");
static_assert(offsetof(VtPrivateData, data) == sizeof(void*),
              "flag, then pointer at natural alignment");
static_assert(offsetof(VtRenderNotification, start) == sizeof(void*), "document, then the flag");

// A retired table entry stays as a null slot, so the entries after it keep their places.
constexpr std::size_t kSlot = sizeof(void (*)(void));
static_assert(offsetof(VtAtomTable, set_name) ==
                  offsetof(VtAtomTable, get_data_instance) + 2 * kSlot,
              "retired_get_name keeps set_name in place");
static_assert(offsetof(VtAtomTable, insert_under_last) ==
                  offsetof(VtAtomTable, get_next) + 2 * kSlot,
              "retired_get_up keeps insert_under_last in place");
static_assert(offsetof(VtObjectTable, get_rad) == offsetof(VtObjectTable, set_rel_rot) + 2 * kSlot,
              "retired_get_rel_scale keeps get_rad in place");
static_assert(offsetof(VtObjectTable, doc_get_fps) ==
                  offsetof(VtObjectTable, doc_get_min_time) + 2 * kSlot,
              "retired_doc_get_max_time keeps doc_get_fps in place");
static_assert(offsetof(VtContainerTable, in_exclude_get_count) ==
                  offsetof(VtContainerTable, custom_clone) + 2 * kSlot,
              "retired_custom_get_type keeps in_exclude_get_count in place");

int vt_abi_check_cxx() {
    return VT_API_VERSION;
}
