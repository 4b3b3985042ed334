#!/usr/bin/env bash
# A package made with the builder's English interface leaves the Japanese
# greeting and group out; one made with the Japanese interface may leave the
# English ones empty. Installed by a user of the other language, each still
# greets with its own greeting and puts its shortcut into its own group.
# Wine gives a program the language its process tree started with, so each
# builder and each installation starts here with its own.
#   language.sh <bin folder> <work folder>
set -eu
bin=$1
work=$2
root=$(cd "$(dirname "$0")/../../.." && pwd)
winpath() { printf 'Z:%s' "$(printf '%s' "$1" | tr / '\\')"; }
fail() { echo "$*" >&2; exit 1; }
rm -rf "$work"
mkdir -p "$work"
printf 'read me\r\n' >"$work/a.txt"
(cd "$work" && gcab --create --zip archive.cab a.txt)

# build <builder language> <folder> <definition lines...>
build() {
  local lang=$1 dir=$work/$2
  shift 2
  mkdir -p "$dir"
  {
    printf '[Vesmarin]\r\n'
    printf '%s\r\n' "SrcArchiveFile=$(winpath "$work/archive.cab")" \
      "DstExeFile=$(winpath "$dir/Setup.exe")" 64bitSFX=1 AskExtPath=0 UseExtractFolder=1 \
      BaseFolder=6 "ExtractFolder=$(winpath "$dir/installed")" ManifestType=0 IconType=blue \
      UseStartMenu=1 StartMenuToCommon=0 StartMenu0_Title=Notes StartMenu0_TitleE=Notes \
      StartMenu0_File=a.txt StartMenu0_FileE=a.txt "$@"
  } | iconv -f UTF-8 -t UTF-16 >"$dir/package.ini"
  VESMARIN_LANG=$lang "$root/scripts/wine-run.sh" "$bin/Vesmarin.exe" "$(winpath "$dir/package.ini")" ||
    fail "the $lang builder refused the $2 package"
  [ -f "$dir/Setup.exe" ] || fail "the $lang builder made no $2 package"
}

# install <user language> <folder> <greeting> <group>
install() {
  VESMARIN_LANG=$1 VESMARIN_LANGUAGE_USER=${1%%_*} \
    VESMARIN_LANGUAGE_SETUP="$(winpath "$work/$2/Setup.exe")" VESMARIN_LANGUAGE_GREETING=$3 \
    VESMARIN_LANGUAGE_GROUP=$4 VESMARIN_LANGUAGE_TITLE=Notes \
    "$root/scripts/wine-run.sh" "$bin/wizard_language_e2e_tests.exe" ||
    { echo "the $2 package read wrong for a $1 user" >&2; failed=1; }
}

english="Welcome from the English package."
japanese="日本語のパッケージへようこそ。"
group=$$
# As the English interface saves it: no Greeting0 and no StartMenuGroup
# (the English builder would not read them either).
build en_US.UTF-8 english DialogTitleE=Language "GreetingE0=$english" \
  "StartMenuGroupE=Vsm English $group"
# Japanese texts only.
build ja_JP.UTF-8 japanese DialogTitle=Language "Greeting0=$japanese" \
  "StartMenuGroup=Vsm 日本語 $group"
failed=0
install ja_JP.UTF-8 english "$english" "Vsm English $group"
install en_US.UTF-8 japanese "$japanese" "Vsm 日本語 $group"
exit $failed
