#!/usr/bin/env bash
# Builds the SDK's starter module the way a module author does: against the
# SDK as installed (headers, static libraries, toolchain file), with its own
# CMakeLists, and checks that the DLL exports InitDLL and ExitDLL undecorated.
#   build_starter.sh BUILD_DIR WORK_DIR TOOLCHAIN_NAME   (mingw-i686-posix.cmake or mingw-x86_64-posix.cmake)
# On success it leaves WORK_DIR/build/Example.dll. SDK may name an SDK folder
# to build against instead of installing one from BUILD_DIR.
set -u
build=$1 work=$2 toolchain_name=$3
rm -rf "$work" && mkdir -p "$work"
sdk=${SDK:-}
if [ -z "$sdk" ]; then
  cmake --install "$build" --prefix "$work/install" >/dev/null || { echo "install failed"; exit 1; }
  sdk=$work/install/SDK
fi
toolchain=$sdk/cmake/$toolchain_name
case $toolchain_name in *x86_64*) triple=x86_64-w64-mingw32 ;; *) triple=i686-w64-mingw32 ;; esac

# Every header of the SDK compiles on its own.
for header in $(cd "$sdk/include" && find . -name '*.h' | sort); do
  echo "#include \"${header#./}\"" | "$triple-g++-posix" -std=c++17 -fsyntax-only -I "$sdk/include" -x c++ - ||
    { echo "SDK header ${header#./} does not compile on its own"; exit 1; }
done
cmake -S "$sdk/example-module" -B "$work/build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_BUILD_TYPE=Release >"$work/configure.log" 2>&1 || { cat "$work/configure.log"; exit 1; }
cmake --build "$work/build" >"$work/build.log" 2>&1 || { cat "$work/build.log"; exit 1; }
if grep -q 'warning' "$work/build.log"; then cat "$work/build.log"; echo "warnings in the starter"; exit 1; fi
exports=$("$triple-objdump" -p "$work/build/Example.dll" | awk '/\[Ordinal\/Name Pointer\] Table/ { on = 1; next } on && NF == 0 { on = 0 } on { print $NF }' | sort | tr '\n' ' ')
echo "Example.dll exports: $exports"
[ "$exports" = "ExitDLL InitDLL " ] || { echo "expected exactly ExitDLL and InitDLL"; exit 1; }
