; The peer installer of the benchmark: the same files into a folder under
; Program Files, the same three Start-menu shortcuts, and an uninstaller that
; removes exactly what was installed. Built by bench/measure.py with
;   makensis [-DAMD64] [-DSTORED] -DOUTFILE=... [-DPAYLOAD=<folder> -DREMOVE_LIST=<include>] peer.nsi
; AMD64 makes a 64-bit installer, to be compared with the x64 Setup.exe;
; PAYLOAD holds the files to install (none for the size comparison);
; REMOVE_LIST holds one Delete line per installed file.

; For the timed runs (STORED defined) the files are stored, not compressed:
; unpacking would only make the peer slower, and the comparison is about
; copying; the start-up check of the whole file is off for the same reason.
; The size comparison uses the defaults, which give the smaller file.
!ifdef STORED
SetCompress off
CRCCheck off
!endif

; Each side runs as the same kind of process: 32-bit against the x86 build,
; 64-bit (the only stubs of that kind are Unicode ones) against x64.
!ifdef AMD64
Target amd64-unicode
!endif

Name "Bench Peer"
OutFile "${OUTFILE}"
!ifdef AMD64
InstallDir "$PROGRAMFILES64\Bench Peer"
!else
InstallDir "$PROGRAMFILES\Bench Peer"
!endif
RequestExecutionLevel admin

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Var Group

; Each measured install goes into a folder of its own (/D=...); its group in
; the Start menu takes the folder's name, as ours takes the patch's name.
Section "Install"
  SetOutPath "$INSTDIR"
!ifdef PAYLOAD
  File "${PAYLOAD}/*"
!endif
  WriteUninstaller "$INSTDIR\uninstall.exe"
  Push "$INSTDIR"
  Call GroupName
  Pop $Group
  CreateDirectory "$SMPROGRAMS\$Group"
  CreateShortCut "$SMPROGRAMS\$Group\Start.lnk" "$INSTDIR\GamePatch.exe" "" "$INSTDIR\GamePatch.exe" 0
  CreateShortCut "$SMPROGRAMS\$Group\Read me.lnk" "$INSTDIR\GamePatch.txt" "" "$INSTDIR\GamePatch.txt" 0
  CreateShortCut "$SMPROGRAMS\$Group\Uninstall.lnk" "$INSTDIR\uninstall.exe" "" "$INSTDIR\uninstall.exe" 0
SectionEnd

Section "Uninstall"
  Push "$INSTDIR"
  Call un.GroupName
  Pop $Group
  Delete "$SMPROGRAMS\$Group\Start.lnk"
  Delete "$SMPROGRAMS\$Group\Read me.lnk"
  Delete "$SMPROGRAMS\$Group\Uninstall.lnk"
  RMDir "$SMPROGRAMS\$Group"
!ifdef REMOVE_LIST
  !include "${REMOVE_LIST}"
!endif
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
SectionEnd

; The last component of the path on the stack.
!macro GROUP_NAME prefix
Function ${prefix}GroupName
  Exch $0
  Push $1
  Push $2
  StrCpy $2 0
  loop:
    IntOp $2 $2 - 1
    StrCpy $1 $0 1 $2
    StrCmp $1 "" done
    StrCmp $1 "\" 0 loop
    IntOp $2 $2 + 1
    StrCpy $0 $0 "" $2
  done:
  Pop $2
  Pop $1
  Exch $0
FunctionEnd
!macroend
!insertmacro GROUP_NAME ""
!insertmacro GROUP_NAME "un."
