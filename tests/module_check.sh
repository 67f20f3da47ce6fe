#!/usr/bin/env bash
# Checks the built plug-in module as the host sees it: it exports c4d_main and nothing else,
# and needs no library beyond the C and C++ runtimes and the math library.
set -euo pipefail
module="$1"
sanitized="${2:-}"

exports=$(nm -D --defined-only "$module" | awk '{print $NF}')
if [ "$exports" != "c4d_main" ]; then
    echo "$module exports more than c4d_main:"
    echo "$exports"
    exit 1
fi

allowed='^(libc\.so\.6|libm\.so\.6|libstdc\+\+\.so\.6|libgcc_s\.so\.1)$'
if [ -n "$sanitized" ]; then
    allowed='^(libc\.so\.6|libm\.so\.6|libstdc\+\+\.so\.6|libgcc_s\.so\.1|libasan\.so\.[0-9]+|libubsan\.so\.[0-9]+)$'
fi
needed=$(readelf -d "$module" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')
for library in $needed; do
    if ! [[ "$library" =~ $allowed ]]; then
        echo "$module needs $library"
        exit 1
    fi
done
echo "module check passed: exports c4d_main only; needs: $(echo $needed)"
