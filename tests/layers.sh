#!/bin/sh
# Dependencies point down: app -> subsystems -> services -> platform. A folder that includes a
# header of a layer above it is named with the lines that do; so is the application's top when it
# puts a file into quvo_core, on which the tools build.
set -eu
root="$(cd "$(dirname "$0")/.." && pwd)"
status=0

# refuse <folder> <folders it may not include, as "a|b"> <what the rule is>
refuse() {
    if hits="$(grep -rnE "^#include \"($2)/" "$root/$1")"; then
        printf '%s\n%s\n' "$3" "$hits" >&2
        status=1
    fi
}

subsystems='search|play|portals|config|update'
refuse src/platform "services|app|$subsystems" 'src/platform includes nothing of the layers above it:'
refuse src/services "app|$subsystems" 'src/services includes only src/platform:'
for subsystem in search play portals config update; do
    refuse "src/$subsystem" app "src/$subsystem does not reach into the application's top:"
done
refuse tools app 'the tools build without the application (src/app):'
refuse bench app 'the benchmarks build without the application (src/app):'
if grep -n 'target_sources(quvo_core' "$root/src/app/CMakeLists.txt" >&2; then
    echo 'src/app puts files into quvo_core, which the tools build on' >&2
    status=1
fi
exit "$status"
