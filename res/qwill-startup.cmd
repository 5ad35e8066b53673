@echo off
rem Group Policy start-up script: installs Qwill @VERSION@ where it is missing or older. It lies
rem in the share beside setup.exe, qwill.exe and readme.txt (the release archive, unpacked).
rem Its exit code is setup.exe's, or 0 where nothing was to be done.
setlocal
set WANT=@VERSION@
set KEY=HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Qwill
set HAVE=
rem setup.exe is a 32-bit program: on 64-bit Windows its entry is in the 32-bit view; the plain
rem query serves 32-bit Windows XP, whose reg.exe knows no /reg: switch
for %%v in (/reg:32 /reg:64 "") do for /f "tokens=1,3" %%a in ('reg query "%KEY%" /v DisplayVersion %%~v 2^>nul') do if "%%a"=="DisplayVersion" set HAVE=%%b
if defined HAVE call :atleast %HAVE% %WANT%
if defined HAVE if not errorlevel 1 exit /b 0
rem The log is in %SystemRoot%\Logs, which standard users cannot write: in %SystemRoot%\Temp
rem anyone may lay a file first, and read or redirect what this run writes.
rem Windows XP has no such folder: made here by the computer's account, it takes the rights of
rem %SystemRoot% (administrators and SYSTEM may write, users only read)
if not exist "%SystemRoot%\Logs\" mkdir "%SystemRoot%\Logs"
"%~dp0setup.exe" /s "/log=%SystemRoot%\Logs\qwill-setup.log"
exit /b %errorlevel%

rem Exit code 0 when version %1 is at least version %2. They are compared part by part, each
rem part as a whole number: 2.06 < 2.10 < 10.0 (as text, 10.0 would come before 2.06).
:atleast
set A=%1.
set B=%2.
:part
if "%A%%B%"=="" exit /b 0
set PA=0
set PB=0
for /f "tokens=1 delims=." %%a in ("%A%") do set PA=%%a
for /f "tokens=1 delims=." %%a in ("%B%") do set PB=%%a
for /f "tokens=1* delims=." %%a in ("%A%") do set A=%%b
for /f "tokens=1* delims=." %%a in ("%B%") do set B=%%b
rem without leading zeros, which would make a part octal (08 is no number then)
for /f "tokens=* delims=0" %%n in ("%PA%") do set PA=%%n
for /f "tokens=* delims=0" %%n in ("%PB%") do set PB=%%n
if %PA% GTR %PB% exit /b 0
if %PA% LSS %PB% exit /b 1
goto part
