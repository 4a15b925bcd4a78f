# What every CI script shares; each sources this file first and then reads as a list of
# its steps. It stops the script at the first failing command, works from the project's
# root, and gives the script a scratch folder that is removed when it ends.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
# The presets make warnings errors where CI is set, as it is on CI's machines.
export CI=true

# A step's heading, with how far into the whole run it starts: .ci/run's legs share its clock.
export CI_STARTED=${CI_STARTED:-$(date +%s)}
step() { printf '\n==== %s (at %d s)\n' "$*" $(($(date +%s) - CI_STARTED)); }

# Installs the Debian packages that are missing, all in one go. Each argument is
# what:package, where `what` is a command, a file or a pattern of files that the package
# brings; with nothing before the colon, the package itself is looked for.
need() {
    local item what missing=()
    for item in "$@"; do
        what=${item%%:*}
        if [ -z "$what" ]; then
            dpkg -s "${item#:}" >/dev/null 2>&1 || missing+=("${item#:}")
        else
            command -v "$what" >/dev/null || compgen -G "$what" >/dev/null || missing+=("${item#*:}")
        fi
    done
    [ ${#missing[@]} -gt 0 ] || return 0
    step "installing ${missing[*]}"
    apt-get update -q
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
}

# Copies the source tree into the folder $1, without version control or anything built
# or installed in it, as a second machine would have it.
copy_tree() {
    mkdir -p "$1"
    tar -c --exclude=./.git --exclude=./build --exclude=node_modules . | tar -x -C "$1"
}

# The README's example, and the line the tool prints for it.
example=(Kg1 Rf1 Pf2g2h2 / Kg8 Pf7g7h7)
example_fen="6k1/5ppp/8/8/8/8/5PPP/5RK1 w - - 0 1"

# The version in the CMake project, such as 1.3.0.
project_version() {
    sed -n 's/^ *VERSION \([0-9.]*\)$/\1/p' CMakeLists.txt
}

# Commands to run when the script ends, however it ends, before the scratch folder goes.
at_exit=()
scratch=$(mktemp -d)
trap 'for command in "${at_exit[@]}"; do eval "$command"; done; rm -rf "$scratch"' EXIT
