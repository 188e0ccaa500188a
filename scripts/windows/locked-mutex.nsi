; For scripts/windows/check-installer.sh: holds the program's mutex "TheStandard" with an access list that
; refuses everyone, as a program started by another account may, for a minute.
; makensis -DOUTFILE=<locked-mutex.exe> locked-mutex.nsi
Target amd64-unicode
OutFile "${OUTFILE}"
SilentInstall silent
RequestExecutionLevel user
Section
    System::Call 'advapi32::ConvertStringSecurityDescriptorToSecurityDescriptorW(w "D:(D;;GA;;;WD)", i 1, *p .r1, p 0) i .r0'
    System::Call '*(i 24, p r1, i 0) p .r2' ; SECURITY_ATTRIBUTES
    System::Call 'kernel32::CreateMutexW(p r2, i 0, w "TheStandard") p .r0'
    Sleep 60000
SectionEnd
