#!/usr/bin/env bash
# The package as a user gets it: made with cpack, unpacked into an empty
# directory, the SDK starter built from the unpacked SDK and added to the game
# as its exporter module, then the demo run from there.
#   package_run.sh BUILD_DIR WORK_DIR TOOLCHAIN_NAME
set -u
build=$1 work=$2 toolchain_name=$3
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$work" && mkdir -p "$work/unpacked"
(cd "$build" && cpack -C Release -B "$work/cpack" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; exit 1; }
zip=$(ls "$work"/cpack/Varn-*.zip 2>/dev/null | head -1)
[ -n "$zip" ] || { echo "no zip made"; exit 1; }
echo "package: $(basename "$zip"), $(stat -c %s "$zip") bytes"
unzip -q "$zip" -d "$work/unpacked" || exit 1
game=$(ls -d "$work"/unpacked/Varn-*)

# Windows looks for a module's DLLs beside the program, not in System\: every
# library DLL that Varn.exe or a module imports (libgcrypt's, for the network
# layer's password key) must lie beside Varn.exe.
for dll in libgcrypt-20.dll libgpg-error-0.dll; do
  [ -f "$game/$dll" ] || { echo "the package has no $dll beside Varn.exe"; exit 1; }
done
for program in "$game"/Varn.exe "$game"/*.dll "$game"/System/*.dll; do
  for import in $(objdump -p "$program" | sed -n 's/^[[:space:]]*DLL Name: \(lib.*\.dll\)$/\1/p'); do
    [ -f "$game/$import" ] || { echo "$(basename "$program") imports $import, which is not beside Varn.exe"; exit 1; }
  done
done
echo "the DLLs the modules import lie beside Varn.exe"

SDK=$game/SDK bash "$here/../../sdk/build_starter.sh" "$build" "$work/starter" "$toolchain_name" || exit 1
cp "$work/starter/build/Example.dll" "$game/System/" || exit 1
printf '[System]\r\nExporterDLL=Example.dll\r\n' >>"$game/startup.ini"

bash "$here/../../../scripts/demo.sh" --game "$game" --out "$work/demo-out"
code=$?
[ $code -eq 0 ] || exit $code
grep -q '^info: example: ready at .* s, sound volume 100' "$work/demo-out/Varn.log" ||
  { echo "the starter module did not run or did not read the options"; exit 1; }
echo "the starter module ran in the unpacked game"
