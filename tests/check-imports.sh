#!/usr/bin/env bash
# Fails when any given program imports at load time a DLL that Windows does
# not always take from its system folder. Usage: check-imports.sh OBJDUMP
# PROGRAM...
objdump=$1
shift
# Known DLLs and the like: the loader never searches the program's folder
# for them.
allowed=" kernel32.dll ntdll.dll user32.dll gdi32.dll advapi32.dll shell32.dll ole32.dll
oleaut32.dll comctl32.dll comdlg32.dll shlwapi.dll msvcrt.dll imagehlp.dll imm32.dll psapi.dll
rpcrt4.dll sechost.dll setupapi.dll ws2_32.dll combase.dll "
allowed=$(printf '%s' "$allowed" | tr '\n' ' ')
status=0
for f in "$@"; do
  if [ ! -s "$f" ]; then echo "missing: $f"; status=1; continue; fi
  names=$("$objdump" -p "$f" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z')
  if [ -z "$names" ]; then echo "no import table read: $f"; status=1; continue; fi
  bad=""
  for n in $names; do
    case "$n" in api-ms-win-*) continue ;; esac
    case "$allowed" in *" $n "*) ;; *) bad="$bad $n" ;; esac
  done
  if [ -n "$bad" ]; then
    echo "imports a DLL from outside the system set: $f:$bad"
    status=1
  else
    echo "system DLLs only: $f"
  fi
done
exit $status
