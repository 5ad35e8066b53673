@echo off
rem Group Policy start-up script: installs Qwill @VERSION@ where it is missing or older. It lies
rem in the share beside setup.exe, qwill.exe and readme.txt (the release archive, unpacked).
setlocal
set WANT=@VERSION@
set KEY=HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Qwill
set HAVE=
rem setup.exe is a 32-bit program: on 64-bit Windows its entry is in the 32-bit view
for %%v in (32 64) do for /f "tokens=1,3" %%a in ('reg query "%KEY%" /v DisplayVersion /reg:%%v 2^>nul') do if "%%a"=="DisplayVersion" set HAVE=%%b
if defined HAVE if "%HAVE%" GEQ "%WANT%" exit /b 0
"%~dp0setup.exe" /s "/log=%SystemRoot%\Temp\qwill-setup.log"
exit /b %errorlevel%
