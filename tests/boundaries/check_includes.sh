#!/usr/bin/env bash
# Keeps the layering: dependencies run downward only, and each layer reaches the one beside it
# through its declared header. Prints every offending line and fails when there is one.
#
#   check_includes.sh <source-root>
#
# The rules:
#  1. Nothing in platform/ or components/ includes varnix/, shell/ or startpage/ headers.
#  2. The system's own code (varnix/, shell/, startpage/; tests excluded) includes no Qt, POSIX
#     or curl header: it speaks Windows, and the layers below answer.
#  3. The program (shell/, startpage/) and Varnix reach the editor component only through its
#     interface header folder (components/pdfeditor/interface/).
#  4. Nothing outside the win32 layer includes its private headers (files beside its sources).
#  5. No product name appears in platform/ sources.
#  6. The win32 host seam (win32/host.h) is for the layers beside the win32 layer: the system's
#     own code (varnix/, shell/, startpage/) never includes it.
set -uo pipefail
root="${1:?source root}"
cd "$root" || exit 2
failed=0

report() { # rule, grep output
    if [[ -n "$2" ]]; then
        printf '%s\n%s\n\n' "$1" "$2"
        failed=1
    fi
}

sources() { # folders...
    local folder
    for folder in "$@"; do
        [[ -d "$folder" ]] && find "$folder" -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.hpp' \)
    done
}

grep_sources() { # pattern, folders...
    local pattern="$1"
    shift
    sources "$@" | xargs -r grep -nE "$pattern" /dev/null
}

report "platform/ and components/ must not include varnix/, shell/ or startpage/ headers:" \
    "$(grep_sources '^\s*#\s*include\s*[<"](varnix|shell|startpage)/' platform components)"

posix='unistd|fcntl|dlfcn|dirent|pwd|grp|signal|spawn|poll|pthread|iconv|libgen|termios|syslog|link|elf'
qt_posix_curl="^\\s*#\\s*include\\s*<(Q[A-Za-z]+|Qt[A-Za-z]*/|curl/|sys/|netinet/|arpa/|(${posix})\\.h>)"
report "varnix/, shell/ and startpage/ must not include Qt, POSIX or curl headers:" \
    "$(sources varnix shell startpage | grep -vE '/(tests|testing)/' |
        xargs -r grep -nE "$qt_posix_curl" /dev/null)"

if [[ -d components/pdfeditor ]]; then
    # The component's own headers; its test helpers (sample files) may serve the program's tests.
    editor_headers=$(find components/pdfeditor -name '*.h' -not -path '*/interface/*' \
        -not -path '*/tests/*' -not -path '*/testing/*' -printf '%f\n' | sort -u | paste -sd'|' -)
    if [[ -n "$editor_headers" ]]; then
        report "the program reaches the editor component only through its interface header:" \
            "$(grep_sources "^\\s*#\\s*include\\s*[<\"]([A-Za-z_/]*/)?(${editor_headers//./\\.})[>\"]" \
                varnix shell startpage)"
    fi
fi

# The section format (platform/win32/format) is shared with the resource compiler by design.
private_win32=$(find platform/win32 -name '*.h' -not -path 'platform/win32/include/*' \
    -not -path 'platform/win32/format/*' -not -path '*/tests/*' -not -path '*/testing/*' \
    -printf '%f\n' | sort -u | paste -sd'|' -)
report "only the win32 layer includes its private headers:" \
    "$(sources platform/duilib components varnix shell startpage tools |
        xargs -r grep -nE "^\\s*#\\s*include\\s*\"([A-Za-z_/]*/)?(${private_win32//./\\.})\"" /dev/null)"

report "no product name in platform/:" \
    "$(sources platform | xargs -r grep -niE 'velmora|varnix|brivano|ardevo' /dev/null)"

report "the system's own code does not include the win32 host seam:" \
    "$(grep_sources '^\s*#\s*include\s*[<"]win32/host\.h[>"]' varnix shell startpage)"

exit $failed
