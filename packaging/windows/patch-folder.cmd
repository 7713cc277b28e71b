@echo off
rem SPDX-License-Identifier: MIT
rem Patches every TrueType font in a folder and its subfolders (.ttf and .ttc)
rem with the tovalin.exe beside this script, in quiet mode, and tells the
rem outcomes apart by exit status. A collection can hold the plain zero more
rem than once and each run replaces one, so a font is run again while it
rem reports a replacement, at most 16 times. With "undo" it runs
rem tovalin-undo.exe the same way. Exits 1 when any font ended in a failure or
rem the tool is missing, 2 without a folder, 0 otherwise.
rem   usage: patch-folder.cmd FOLDER          patch
rem          patch-folder.cmd FOLDER undo     undo
setlocal EnableExtensions DisableDelayedExpansion
if "%~1"=="" goto usage
if not exist "%~1\" goto usage
set "tool=%~dp0tovalin.exe"
set "done_word=patched"
set "unchanged=unchanged, not this font or already patched"
if /i not "%~2"=="undo" goto tool_chosen
set "tool=%~dp0tovalin-undo.exe"
set "done_word=restored"
set "unchanged=unchanged, no slashed zero to undo"
:tool_chosen
if exist "%tool%" goto walk
echo the tool is not beside this script: %tool% 1>&2
exit /b 1

:walk
set failed=0
for /r "%~1" %%F in (*.ttf *.ttc) do call :font "%%~fF"
exit /b %failed%

:usage
echo usage: patch-folder.cmd FOLDER [undo] 1>&2
exit /b 2

rem One font, run until no zero is left; one line by its exit status.
:font
set zeros=0
:again
rem Quiet mode still waits after a failure: give it no input to wait for.
"%tool%" %1 quiet < NUL > NUL
set status=%errorlevel%
if not "%status%"=="0" goto ran
if %zeros% geq 16 goto ran
set /a zeros+=1
goto again
:ran
rem After one or more replacements, "nothing more found" is the good end.
if %zeros% gtr 0 if "%status%"=="1" set status=0
set "line=the tool ended unexpectedly (status %status%), check the file: %~1"
if "%status%"=="0" set "line=%done_word%: %~1"
if "%status%"=="0" if %zeros% gtr 1 set "line=%done_word% (%zeros% zeros): %~1"
if "%status%"=="1" set "line=%unchanged%: %~1"
if "%status%"=="3" set "line=cannot be opened, unchanged: %~1"
if "%status%"=="4" set "line=input/output failure, check the file: %~1"
if "%status%"=="5" set "line=%done_word%, but its times could not be put back: %~1"
if "%status%"=="6" set "line=changed by another program during the run, check it: %~1"
if not "%status%"=="0" if not "%status%"=="1" set failed=1
rem Printed with delayed expansion, so that no character of a name is taken for syntax.
setlocal EnableDelayedExpansion
echo !line!
endlocal
goto :eof
