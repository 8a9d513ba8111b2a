#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the build tree into a temporary prefix, checks the layout, moves the
# prefix elsewhere, and then uses it as a site and a developer would: the
# launcher prepares a working directory, and a separate CMake project finds
# the model library with find_package, builds and reads an OBJ file with it.
#   install_test.sh BUILD_DIR CONSUMER_SOURCE_DIR CXX_COMPILER [LINK_FLAGS]
set -euo pipefail

build_dir=$1
consumer_src=$2
cxx=$3
link_flags=${4:-}

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
source "$(dirname "${BASH_SOURCE[0]}")/checks.sh"
expect_file() {
    [ -f "$1" ] || fail "missing $1"
}

prefix=$tmp/prefix
if ! cmake --install "$build_dir" --prefix "$prefix" >"$tmp/install.log" 2>&1; then
    tail -n 40 "$tmp/install.log" >&2
    echo "FAIL: cmake --install failed" >&2
    exit 1
fi

# --- layout ---
for program in radarclient radarclient-launch; do
    [ -x "$prefix/bin/$program" ] || fail "bin/$program missing or not executable"
done
for tool in radarsim radarprobe; do
    if [ -e "$build_dir/run/$tool" ]; then
        [ -x "$prefix/bin/$tool" ] || fail "bin/$tool missing or not executable"
        expect_file "$prefix/share/man/man1/$tool.1.gz"
    fi
done
data=$prefix/share/radarclient
for model in radar2 radartisch radardisplay; do
    expect_file "$data/mdl/$model.obj"
done
for texture in radarr2t2 radartischr2t radarscheibe radgreen radardisplay person; do
    expect_file "$data/textures/$texture.png"
done
expect_file "$data/clientSettings.xml"
expect_file "$prefix/share/applications/radarclient.desktop"
expect_file "$prefix/share/icons/hicolor/scalable/apps/radarclient.svg"
for page in radarclient radarclient-launch; do
    expect_file "$prefix/share/man/man1/$page.1.gz"
done
for package in radarclient libradarglm-dev; do
    expect_file "$prefix/share/doc/$package/copyright"
    expect_file "$prefix/share/doc/$package/changelog.gz"
done
expect_file "$prefix/include/radarglm/glm/glm.h"
libs=("$prefix"/lib*/libradarglm.a)
expect_file "${libs[0]}"
configs=("$prefix"/lib*/cmake/RadarObjModel/RadarObjModelConfig.cmake)
expect_file "${configs[0]}"
# Nothing of the build tree may leak into the installed package files.
if grep -rq -- "$build_dir" "$prefix"/lib*/cmake/RadarObjModel; then
    fail "the installed CMake package mentions the build tree"
fi

# --- a moved prefix keeps working ---
moved="$tmp/moved prefix"
mv "$prefix" "$moved"
data=$moved/share/radarclient

home=$tmp/home
mkdir -p "$home"
workdir=$(env -i HOME="$home" PATH="$PATH" "$moved/bin/radarclient-launch" --prepare-only)
[ "$workdir" = "$home/.local/state/radarclient" ] || fail "working directory is '$workdir'"
for name in mdl textures; do
    [ "$(readlink -f "$workdir/$name")" = "$(readlink -f "$data/$name")" ] ||
        fail "$name links to '$(readlink "$workdir/$name")', not the moved prefix's data"
done
cmp -s "$workdir/clientSettings.xml" "$data/clientSettings.xml" ||
    fail "the working directory lacks the example settings"
[ -f "$workdir/mdl/radar2.obj" ] || fail "the models are not reachable from the working directory"

# --- a consumer project ---
cbuild=$tmp/consumer-build
if ! cmake -S "$consumer_src" -B "$cbuild" -DCMAKE_PREFIX_PATH="$moved" \
    -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_EXE_LINKER_FLAGS="$link_flags" \
    -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF >"$tmp/configure.log" 2>&1; then
    tail -n 40 "$tmp/configure.log" >&2
    echo "FAIL: the consumer project does not configure" >&2
    exit 1
fi
grep -qF "RadarObjModel found in $moved/" "$tmp/configure.log" ||
    fail "find_package did not pick the installed package: $(grep 'RadarObjModel found' "$tmp/configure.log")"
if ! cmake --build "$cbuild" >"$tmp/build.log" 2>&1; then
    tail -n 40 "$tmp/build.log" >&2
    echo "FAIL: the consumer project does not build" >&2
    exit 1
fi

models=$tmp/models
mkdir -p "$models"
cat >"$models/shape.obj" <<'EOF'
# a quad and a triangle in two groups, with a material library beside it
mtllib shape.mtl
v 0 0 0
v 1 0 0
v 1 1 0
v 0 1 0
v 0 0 1
vn 0 0 1
vt 0 0
vt 1 0
vt 1 1
g top
usemtl red
f 1/1/1 2/2/1 3/3/1 4/1/1
g side
f 1 2 5
EOF
cat >"$models/shape.mtl" <<'EOF'
newmtl red
Kd 1 0 0
EOF
expected='vertices 5 normals 1 uvs 3 triangles 3 groups 3 materials 2
group [ side] triangles 1 material red
group [ top] triangles 2 material red
group [default] triangles 0 material default'
# Run from elsewhere: the library must find the MTL file beside the OBJ file.
actual=$(cd "$tmp" && "$cbuild/objcount" models/shape.obj) || fail "objcount failed"
[ "$actual" = "$expected" ] || fail "objcount printed:
$actual
expected:
$expected"

finish_checks "installed tree, moved prefix, launcher and consumer project"
