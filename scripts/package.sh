#!/usr/bin/env bash
# Builds the download for Windows users, dist/velt-<version>-win32.zip:
# velt.exe, help.chm, README.txt, LICENSE and SHA256SUMS. Every time stamp
# in it is the commit's time, so the same commit gives the same bytes (with
# the same tools: another compiler, chmcmd or zlib may give other bytes).
#
#   package.sh                 build velt.exe and help.chm (win32), then pack
#   package.sh --prebuilt DIR  pack the velt.exe, help.chm and licences/ already in DIR
#   package.sh --out DIR       write the zip into DIR instead of dist/
#   package.sh --verify        build the committed tree twice, in two fresh
#                              folders, and compare the results byte for byte
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

prebuilt="" out="$root/dist" verify=0
while [ $# -gt 0 ]; do
  case "$1" in
    --prebuilt) prebuilt="$(cd "$2" && pwd)"; shift 2 ;;
    --out) mkdir -p "$2"; out="$(cd "$2" && pwd)"; shift 2 ;;
    --verify) verify=1; shift ;;
    *) sed -n '2,11s/^# \{0,1\}//p' "$0"; exit 2 ;;
  esac
done

version=$(sed -n 's/^project(Velt VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[ -n "$version" ] || { echo "package: no project VERSION in CMakeLists.txt"; exit 1; }
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2>/dev/null) ||
    { echo "package: not a git checkout; set SOURCE_DATE_EPOCH"; exit 1; }
fi
export SOURCE_DATE_EPOCH
zip_name="velt-$version-win32.zip"

if [ $verify -eq 1 ]; then
  [ -z "$(git status --porcelain --untracked-files=no)" ] ||
    echo "package: note: uncommitted changes are not part of the check; it builds HEAD"
  commit=$(git rev-parse HEAD)
  work=$(mktemp -d /tmp/velt-verify.XXXXXX)
  # Folders of different names and lengths: no build path may reach the output.
  dirs=("$work/a" "$work/second-build-folder")
  for d in "${dirs[@]}"; do
    mkdir -p "$d"
    git archive "$commit" | tar -x -C "$d"
    echo "package: building $commit in $d"
    # No compiler cache: each build compiles every file itself.
    CCACHE_DISABLE=1 bash "$d/scripts/package.sh" --out "$d/dist" > "$d.log" 2>&1 ||
      { tail -n 30 "$d.log"; echo "package: VERIFY FAILED: the build in $d failed (log: $d.log)"; exit 1; }
  done
  same=1
  for f in build/win32/velt.exe build/win32/help.chm "dist/$zip_name"; do
    a="${dirs[0]}/$f" b="${dirs[1]}/$f"
    printf '%s  %s\n' "$(sha256sum < "$a" | cut -d' ' -f1)" "$(basename "$f")"
    if ! cmp -s "$a" "$b"; then
      same=0
      echo "  differs: $(cmp -l "$a" "$b" | wc -l) bytes, first at byte $(cmp "$a" "$b" | sed -n 's/.*byte \([0-9]*\).*/\1/p')"
    fi
  done
  if [ $same -eq 1 ]; then
    echo "package: VERIFY OK: velt.exe, help.chm and $zip_name are byte-identical in both folders"
    rm -rf "$work"
  else
    echo "package: VERIFY FAILED: the two builds differ (kept in $work)"
    exit 1
  fi
  exit 0
fi

if [ -z "$prebuilt" ]; then
  bash scripts/install-deps.sh
  [ -f build/win32/Makefile ] || cmake --preset win32 >/dev/null
  cmake --build --preset win32 -j "$(nproc)" --target velt velt_help list_licences argon2_licence
  prebuilt="$root/build/win32"
fi
list_licences=("$prebuilt/licences/zxcvbn-LICENSE.txt" "$prebuilt/licences/zxcvbn-ts-language-pl-LICENSE.txt"
               "$prebuilt/licences/argon2-LICENSE.txt")
for f in velt.exe help.chm "${list_licences[@]#$prebuilt/}"; do
  [ -f "$prebuilt/$f" ] || { echo "package: $prebuilt/$f is missing"; exit 1; }
done

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cp "$prebuilt/help.chm" "$stage/help.chm"
# The same stamp whether or not the build was given SOURCE_DATE_EPOCH.
python3 scripts/package.py stamp-chm "$stage/help.chm" "$SOURCE_DATE_EPOCH"
zip=$(python3 scripts/package.py zip "$out" "$version" "$SOURCE_DATE_EPOCH" \
      "$prebuilt/velt.exe" "$stage/help.chm" packaging/README.txt LICENSE "${list_licences[@]}")
echo "package: $zip"
cat "$zip.sha256"
