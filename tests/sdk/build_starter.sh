#!/usr/bin/env bash
# Builds the SDK's starter module the way a module author does: with the
# commands README.txt shows, run as written from the folder it lies in (the
# game folder, SDK beside it), and checks that the DLL is of the package's
# width and exports InitDLL and ExitDLL undecorated.
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
root=$(dirname "$sdk")
case $toolchain_name in
  *x86_64*) triple=x86_64-w64-mingw32 format=pei-x86-64 ;;
  *) triple=i686-w64-mingw32 format=pei-i386 ;;
esac

# Every header of the SDK compiles on its own.
for header in $(cd "$sdk/include" && find . -name '*.h' | sort); do
  echo "#include \"${header#./}\"" | "$triple-g++-posix" -std=c++17 -fsyntax-only -I "$sdk/include" -x c++ - ||
    { echo "SDK header ${header#./} does not compile on its own"; exit 1; }
done
commands=$(sed -n '/^Build the starter/,/^It gives/p' "$root/README.txt" | grep '^  cmake ')
[ "$(echo "$commands" | wc -l)" -eq 2 ] || { echo "README.txt does not show the two build commands"; exit 1; }
rm -rf "$root/build"
(cd "$root" && while read -r command; do echo "\$ $command" && eval "$command" || exit 1; done <<<"$commands") \
  >"$work/build.log" 2>&1 || { cat "$work/build.log"; exit 1; }
if grep -qi 'warning' "$work/build.log"; then cat "$work/build.log"; echo "warnings in the starter"; exit 1; fi
mkdir -p "$work/build" && cp "$root/build/Example.dll" "$work/build/" || { cat "$work/build.log"; exit 1; }
"$triple-objdump" -f "$work/build/Example.dll" | grep -q "file format $format" ||
  { "$triple-objdump" -f "$work/build/Example.dll"; echo "Example.dll is not $format"; exit 1; }
exports=$("$triple-objdump" -p "$work/build/Example.dll" | awk '/\[Ordinal\/Name Pointer\] Table/ { on = 1; next } on && NF == 0 { on = 0 } on { print $NF }' | sort | tr '\n' ' ')
echo "Example.dll exports: $exports"
[ "$exports" = "ExitDLL InitDLL " ] || { echo "expected exactly ExitDLL and InitDLL"; exit 1; }
