/* Compiles the boundary header as plain, pedantic C11. */
#include "abi/host_abi.h"
#include "abi/CrowdRecordLayout.h"

typedef char vt_check_vector_size[sizeof(VtVector) == 3 * sizeof(double) ? 1 : -1];
typedef char vt_check_matrix_size[sizeof(VtMatrix) == 4 * sizeof(VtVector) ? 1 : -1];

int vt_abi_check_c(void) {
    HostApi api = {VT_API_VERSION, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    return api.version;
}
